#include "word/EngineChoice.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace glyphmere::word {
namespace {

// The registry's answer for every class, and the classes it was asked about.
class ScriptedRegistry final : public platform::ClassRegistry {
public:
    explicit ScriptedRegistry(std::optional<std::string> reason) : m_reason(std::move(reason)) {}

    std::optional<std::string> whyNotRegistered(std::string_view className) override
    {
        asked.emplace_back(className);
        return m_reason;
    }

    std::vector<std::string> asked;

private:
    std::optional<std::string> m_reason;
};

constexpr const char* kNotRegistered = "Invalid class string";

struct ChoiceRow {
    const char* setting;
    bool wordRegistered;
    RestyleEngine engine;
    bool registryAsked;
    const char* notice;
};

class EngineChoiceTest : public testing::TestWithParam<ChoiceRow> {};

TEST_P(EngineChoiceTest, FollowsTheSettingThenTheRegistrationOfWord)
{
    const ChoiceRow& row = GetParam();
    ScriptedRegistry registry(row.wordRegistered ? std::nullopt : std::optional<std::string>(kNotRegistered));

    const EngineChoice choice = chooseRestyleEngine(registry, row.setting);

    EXPECT_EQ(choice.engine, row.engine);
    EXPECT_EQ(choice.notice, row.notice);
    EXPECT_EQ(registry.asked,
              row.registryAsked ? std::vector<std::string>{"Word.Application"} : std::vector<std::string>{});
}

constexpr const char* kBuiltInNotice =
    "Microsoft Word is not installed (Invalid class string), so Glyphmere restyles the documents with its "
    "built-in engine.";

INSTANTIATE_TEST_SUITE_P(Rows, EngineChoiceTest,
                         testing::Values(ChoiceRow{"", true, RestyleEngine::Word, true, ""},
                                         ChoiceRow{"Word", true, RestyleEngine::Word, true, ""},
                                         ChoiceRow{"anything else", true, RestyleEngine::Word, true, ""},
                                         ChoiceRow{"Built-in", true, RestyleEngine::BuiltIn, false, ""},
                                         ChoiceRow{"BUILT-IN", true, RestyleEngine::BuiltIn, false, ""},
                                         ChoiceRow{"Built-in", false, RestyleEngine::BuiltIn, false, ""},
                                         ChoiceRow{"", false, RestyleEngine::BuiltIn, true, kBuiltInNotice},
                                         ChoiceRow{"Word", false, RestyleEngine::BuiltIn, true, kBuiltInNotice}));

} // namespace
} // namespace glyphmere::word
