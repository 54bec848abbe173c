#include "docengine/session/EngineAutomation.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace glyphmere::docengine {
namespace {

using platform::AutomationError;
using platform::Variant;

TEST(EngineAutomation, OtherClasses_AreNotServed)
{
    EngineAutomation automation;
    EXPECT_EQ(testing_support::errorText<AutomationError>([&] { automation.create("Excel.Application"); }),
              "the class \"Excel.Application\" is not available: the built-in engine serves only \"Word.Application\"");
    EXPECT_THROW(automation.attach("Excel.Application"), AutomationError);
}

TEST(EngineAutomation, Attach_FindsALiveInstanceUntilItQuits)
{
    EngineAutomation automation;
    EXPECT_THROW(automation.attach("Word.Application"), AutomationError);
    const Variant app = automation.create("word.application");
    EXPECT_EQ(automation.attach("Word.Application"), app.object());
    EXPECT_EQ(automation.attach("Word.Application")->defaultValue().toText(), "Glyphmere Document Engine");
    app.call("Quit");
    EXPECT_EQ(automation.liveInstanceCount(), 0u);
    EXPECT_THROW(automation.attach("Word.Application"), AutomationError);
}

TEST(EngineAutomation, ReleasedInstance_LeavesTheTable)
{
    EngineAutomation automation;
    automation.create("Word.Application");
    EXPECT_EQ(automation.liveInstanceCount(), 0u);
    EXPECT_THROW(automation.attach("Word.Application"), AutomationError);
}

TEST(EngineAutomation, ConcurrentCreateAndQuit_KeepTheCountRight)
{
    EngineAutomation automation;
    constexpr int threads = 8;
    constexpr int rounds = 200;
    std::vector<std::vector<Variant>> kept(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&automation, &kept, t] {
            for (int i = 0; i < rounds; ++i) {
                Variant app = automation.create("Word.Application");
                if (i % 10 == 0) {
                    kept[t].push_back(app);
                    continue;
                }
                try {
                    automation.attach("Word.Application"); // another thread's instance may have quit meanwhile
                } catch (const AutomationError&) {
                }
                app.call("Quit");
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(automation.liveInstanceCount(), static_cast<std::size_t>(threads * rounds / 10));
    kept.clear();
    EXPECT_EQ(automation.liveInstanceCount(), 0u);
}

} // namespace
} // namespace glyphmere::docengine
