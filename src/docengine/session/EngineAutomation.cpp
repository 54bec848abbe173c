#include "docengine/session/EngineAutomation.h"

#include "docengine/session/EngineObjects.h"
#include "docengine/session/FontNames.h"
#include "docengine/session/OpenerByContent.h"

#include "common/AsciiCase.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace glyphmere::docengine {
namespace {

constexpr std::string_view kWordClass = "Word.Application";

void requireWordClass(std::string_view className)
{
    if (!common::equalsIgnoringCase(className, kWordClass))
        throw platform::AutomationError("the class \"" + std::string(className) +
                                        "\" is not available: the built-in engine serves only \"Word.Application\"");
}

} // namespace

// The live instances: added by create, removed by Quit or when the instance's last reference goes.
struct EngineAutomation::Table {
    std::uint64_t reserveId()
    {
        const std::lock_guard lock(mutex);
        return ++lastId;
    }

    void add(std::uint64_t id, const platform::ObjectRef& instance)
    {
        const std::lock_guard lock(mutex);
        live.emplace(id, instance);
    }

    void remove(std::uint64_t id)
    {
        const std::lock_guard lock(mutex);
        live.erase(id);
    }

    // The newest instance that is still alive, or nullptr.
    platform::ObjectRef newest() const
    {
        const std::lock_guard lock(mutex);
        for (auto it = live.rbegin(); it != live.rend(); ++it) {
            if (platform::ObjectRef instance = it->second.lock())
                return instance;
        }
        return nullptr;
    }

    std::size_t count() const
    {
        const std::lock_guard lock(mutex);
        return live.size();
    }

    mutable std::mutex mutex;
    std::map<std::uint64_t, std::weak_ptr<platform::AutomationObject>> live;
    std::uint64_t lastId = 0;
};

EngineAutomation::EngineAutomation(SaveDeferral* deferral) : m_table(std::make_shared<Table>()), m_deferral(deferral) {}

EngineAutomation::~EngineAutomation() = default;

platform::ObjectRef EngineAutomation::create(std::string_view className)
{
    requireWordClass(className);
    auto session = std::make_shared<EngineSession>(openerByContent(m_deferral));
    const std::uint64_t id = m_table->reserveId();
    std::weak_ptr<Table> table = m_table;
    platform::ObjectRef instance = makeApplication(session, installedFontNames, [table, id] {
        if (auto live = table.lock())
            live->remove(id);
    });
    m_table->add(id, instance);
    return instance;
}

platform::ObjectRef EngineAutomation::attach(std::string_view className)
{
    requireWordClass(className);
    if (platform::ObjectRef instance = m_table->newest())
        return instance;
    throw platform::AutomationError("no instance of \"Word.Application\" is running");
}

std::size_t EngineAutomation::liveInstanceCount() const { return m_table->count(); }

} // namespace glyphmere::docengine
