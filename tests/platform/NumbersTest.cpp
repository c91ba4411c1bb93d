#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>
#include <utility>

#include "platform/Arith.h"
#include "platform/Numbers.h"

TEST(Numbers, WholeNumbers)
{
    EXPECT_EQ(parseWholeNumber("42"), 42);
    EXPECT_EQ(parseWholeNumber("  -7"), -7);
    EXPECT_EQ(parseWholeNumber("0"), 0);
    for (const char* bad : {"", " ", "-", "+3", "4 ", "4.0", "1e3", "x1", "99999999999999999999"})
        EXPECT_FALSE(parseWholeNumber(bad).has_value()) << bad;
}

TEST(Numbers, DecimalsIgnoreTheLocale)
{
    // A comma locale must not change what "." means.
    const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(parseDecimal("7.83"), 7.83L);
    EXPECT_EQ(formatFixed(7.5, 2), "7.50");
    if (old)
        std::setlocale(LC_NUMERIC, "C");

    EXPECT_EQ(parseDecimal("60"), 60.0L);
    EXPECT_EQ(parseDecimal("-0.5"), -0.5L);
    EXPECT_EQ(parseDecimal(".5"), 0.5L);
    EXPECT_EQ(parseDecimal("5."), 5.0L);
    for (const char* bad : {"", ".", "-", " 1", "1 ", "1,5", "1e3", "inf", "nan", "1.2.3", "+1"})
        EXPECT_FALSE(parseDecimal(bad).has_value()) << bad;
    EXPECT_FALSE(parseDecimal(std::string(5000, '9')).has_value()) << "beyond a long double";
}

TEST(Numbers, LenientPrefixes)
{
    EXPECT_EQ(leadingDecimal("440.5Hz"), 440.5L);
    EXPECT_EQ(leadingDecimal("r5"), 0.0L);
    EXPECT_EQ(leadingDecimal(""), 0.0L);
    EXPECT_EQ(leadingInteger("  16 s"), 16);
    EXPECT_EQ(leadingInteger("64"), 64);
    EXPECT_FALSE(leadingInteger("none").has_value());
    EXPECT_FALSE(leadingInteger(" -3").has_value());
}

TEST(Numbers, FormatAndRoundToEven)
{
    EXPECT_EQ(formatFixed(9.899999618530273, 1), "9.9");
    EXPECT_EQ(formatFixed(40.0, 2), "40.00");
    EXPECT_EQ(formatInt(-2000), "-2000");
    EXPECT_EQ(roundEven(0.5L), 0);
    EXPECT_EQ(roundEven(1.5L), 2);
    EXPECT_EQ(roundEven(2.5L), 2);
    EXPECT_EQ(roundEven(-2.5L), -2);
    EXPECT_EQ(roundEven32(5512.5L), 5512);
    EXPECT_EQ(roundEven(1e12L + 0.5L), 1000000000000LL);
}

TEST(Numbers, LenientReadersOfOtherProgramsFiles)
{
    constexpr std::int32_t kMax = 2147483647;
    const std::pair<const char*, std::int32_t> wholes[] = {
        {"  +12x", 12}, {"-7:30", -7}, {"", 0}, {"abc", 0}, {"- 5", 0}, {"3.9", 3},
        {"2147483647", kMax}, {"99999999999999999999999", kMax}, {"-99999999999999999999", -kMax - 1},
    };
    for (const auto& [text, value] : wholes)
        EXPECT_EQ(leadingWhole(text), value) << text;

    const long double inf = std::numeric_limits<long double>::infinity();
    const std::pair<std::string, long double> reals[] = {
        {" 7.83Hz", 7.83L}, {"-.5", -0.5L}, {"+5.", 5.0L}, {".", 0}, {"1e3", 1}, {"", 0}, {"x1", 0},
        {std::string(6000, '9'), inf}, {"-" + std::string(6000, '9'), -inf}, {"0." + std::string(6000, '0') + "1", 0},
    };
    for (const auto& [text, value] : reals)
        EXPECT_EQ(leadingReal(text), value) << text.substr(0, 12);
}
