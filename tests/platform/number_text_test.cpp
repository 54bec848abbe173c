#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

namespace glyphmere::platform {
namespace {

struct NumberCase {
    const char* text;
    std::optional<double> value;
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class NumberTextTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, ReadsAsTheUserMeantIt)
{
    const NumberCase& c = GetParam();
    EXPECT_EQ(parseNumberText(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(isNumeric(c.text), c.value.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberTextTest,
    testing::Values(NumberCase{"12", 12}, NumberCase{"10.5", 10.5}, NumberCase{"10,5", 10.5}, NumberCase{"  14\t", 14},
                    NumberCase{"+8", 8}, NumberCase{"-3", -3}, NumberCase{".5", 0.5}, NumberCase{"5.", 5},
                    NumberCase{"1e2", 100}, NumberCase{"2.5E-1", 0.25}, NumberCase{"", std::nullopt},
                    NumberCase{"   ", std::nullopt}, NumberCase{"abc", std::nullopt}, NumberCase{"12pt", std::nullopt},
                    NumberCase{"1.2.3", std::nullopt}, NumberCase{"1,5.5", std::nullopt},
                    NumberCase{"&H10", std::nullopt}, NumberCase{"0x10", std::nullopt}, NumberCase{"inf", std::nullopt},
                    NumberCase{"nan", std::nullopt}, NumberCase{"1e999", std::nullopt}, NumberCase{"1e", std::nullopt},
                    NumberCase{"+", std::nullopt}, NumberCase{".", std::nullopt}, NumberCase{"1 2", std::nullopt}));

TEST(NumberText, CommaLocaleDoesNotChangeTheRule)
{
    // Qt sets the process locale from the environment; a comma locale must not change what reads as a number.
    // CTest generates the locale into the build folder and points LOCPATH at it (tests/platform).
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing; run the test through CTest, which generates it";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(parseNumberText("10.5"), 10.5);
    EXPECT_EQ(parseNumberText("10,5"), 10.5);
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace
} // namespace glyphmere::platform
