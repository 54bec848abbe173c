#include "docengine/binary/RestylePlan.h"

#include "docengine/EngineError.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using testing::HasSubstr;

std::string marked(const std::optional<std::string>& grpprl) { return grpprl.value_or("") + "+"; }

std::string describe(const RestylePlan& plan)
{
    std::string text;
    for (const CharacterRun& run : plan.runs)
        text += std::to_string(run.fcStart) + "-" + std::to_string(run.fcEnd) + ":" + run.grpprl.value_or("none") + " ";
    return text;
}

TEST(RestylePlan, RunsCrossingTargetEdgesAreSplitAndOnlyTheInsideEdited)
{
    const std::vector<CharacterRun> runs = {{0, 10, "a"}, {10, 20, std::nullopt}, {20, 30, "b"}};
    const RestylePlan plan = planRestyle(runs, {{5, 25}}, {{0, 5}, {25, 30}}, marked);
    EXPECT_EQ(describe(plan), "0-5:a 5-10:a+ 10-20:+ 20-25:b+ 25-30:b ");
    EXPECT_EQ(plan.editedRuns, 3);
}

TEST(RestylePlan, TargetsOutOfOrderAndAdjacentAreJoined)
{
    const std::vector<CharacterRun> runs = {{0, 40, "a"}};
    const RestylePlan plan = planRestyle(runs, {{30, 40}, {10, 20}, {20, 30}}, {{0, 10}}, marked);
    EXPECT_EQ(describe(plan), "0-10:a 10-40:a+ ");
}

TEST(RestylePlan, TargetTextWithoutRunsGetsRunsAtTheEdgesAndInGaps)
{
    const std::vector<CharacterRun> runs = {{10, 20, "a"}, {30, 40, "b"}};
    const RestylePlan plan = planRestyle(runs, {{4, 46}}, {}, marked);
    EXPECT_EQ(describe(plan), "4-10:+ 10-20:a+ 20-30:+ 30-40:b+ 40-46:+ ");
    EXPECT_EQ(plan.editedRuns, 5);
}

TEST(RestylePlan, UntouchedRunsKeepTheirListsAndGaps)
{
    const std::vector<CharacterRun> runs = {{0, 10, "a"}, {20, 30, "b"}, {30, 40, std::nullopt}};
    const RestylePlan plan = planRestyle(runs, {{30, 40}}, {{0, 30}}, marked);
    EXPECT_EQ(describe(plan), "0-10:a 20-30:b 30-40:+ ");
}

TEST(RestylePlan, TextReachedAsTargetAndAsOtherTextIsRefused)
{
    const std::vector<CharacterRun> runs = {{0, 40, "a"}};
    EXPECT_THAT(testing_support::errorText<EngineError>([&] {
                    planRestyle(runs, {{0, 20}}, {{19, 40}}, marked);
                }),
                HasSubstr("the same text from two stories"));
}

TEST(RestylePlan, OverlappingRunsAreRefused)
{
    const std::vector<CharacterRun> runs = {{0, 20, "a"}, {10, 30, "b"}};
    EXPECT_THROW(planRestyle(runs, {{0, 30}}, {}, marked), EngineError);
}

} // namespace
} // namespace glyphmere::docengine
