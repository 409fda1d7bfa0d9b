#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "model/number_text.h"

namespace kes {
namespace {

struct ScanCase {
    const char* text;
    int count;
    int converted;
    std::array<float, 6> values; // values after the scan, others 0
};

const ScanCase kScanCases[] = {
    {"1,2,3", 3, 3, {1, 2, 3}},
    {"1, 2,  3", 3, 3, {1, 2, 3}},             // blanks before a number are fine
    {" \t1,2,3", 3, 3, {1, 2, 3}},
    {"1 ,2,3", 3, 1, {1}},                     // a blank before a comma is not
    {"1,2", 3, 2, {1, 2}},                     // partial conversion keeps what it read
    {"1,2,3abc", 3, 3, {1, 2, 3}},             // trailing text ignored
    {"1,2,3,4", 3, 3, {1, 2, 3}},
    {"1.5,-2e3,+.5", 3, 3, {1.5f, -2000, 0.5f}},
    {"1.,.25,-0", 3, 3, {1, 0.25f, -0.0f}},
    {"", 3, 0, {}},
    {"abc", 3, 0, {}},
    {"1,,3", 3, 1, {1}},
    {"1,x,3", 3, 1, {1}},
    {"--1,2,3", 3, 0, {}},
    {"0x10,1e-2,7", 3, 3, {16, 0.01f, 7}},
    {"0.0000,0.0000,0.0000,0.0,0.0,0.0", 6, 6, {}},
    {"1,2,3,4,5,6", 6, 6, {1, 2, 3, 4, 5, 6}},
    {"1,2,3,4,5", 6, 5, {1, 2, 3, 4, 5}},
    {"1,2,3,4,5,6 and more", 6, 6, {1, 2, 3, 4, 5, 6}},
    {"0.12345,1e40,-1e40", 3, 3, {0.12345f, std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity()}},
};

void checkScanCases()
{
    for (const ScanCase& c : kScanCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        float values[6] = {};
        EXPECT_EQ(scanNumbers(c.text, values, c.count), c.converted);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(values[i], c.values[static_cast<std::size_t>(i)]) << "value " << i;
        EXPECT_EQ(holdsNumbers(c.text, c.count), c.converted == c.count);
    }
}

struct IntegerCase {
    const char* text;
    std::int32_t value;
};

const IntegerCase kIntegerCases[] = {
    {"007", 7},      {" -12x", -12}, {"+5", 5},  {"abc", 0}, {"", 0}, {"1.9", 1},
    {"70000", 70000}, {"99999999999", std::numeric_limits<std::int32_t>::max()},
    {"-99999999999", std::numeric_limits<std::int32_t>::min()}, {"- 5", 0},
};

void checkIntegerCases()
{
    for (const IntegerCase& c : kIntegerCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(leadingInteger(c.text), c.value);
        EXPECT_EQ(holdsNonZeroInteger(c.text), c.value != 0);
    }
}

struct NumberCase {
    const char* text;
    double value;
};

const NumberCase kNumberCases[] = {
    {"25", 25}, {"12.5xyz", 12.5}, {"x", 0}, {" -3", -3}, {"1e3", 1000}, {"", 0}, {".5", 0.5},
};

void checkNumberCases()
{
    for (const NumberCase& c : kNumberCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(leadingNumber(c.text), c.value);
    }
}

struct FormatCase {
    float value;
    const char* fixed4;
    const char* whole;
};

const FormatCase kFormatCases[] = {
    {0.12345f, "0.1235", "0"},  {1.23456f, "1.2346", "1"}, {25.0f, "25.0000", "25"},
    {-0.0f, "-0.0000", "-0"},   {2.5f, "2.5000", "2"},     {3.5f, "3.5000", "4"},
    {-1234.5f, "-1234.5000", "-1234"}, {1e10f, "10000000000.0000", "10000000000"},
};

void checkFormatCases()
{
    for (const FormatCase& c : kFormatCases) {
        SCOPED_TRACE(c.fixed4);
        EXPECT_EQ(formatFixed4(c.value), c.fixed4);
        EXPECT_EQ(formatWhole(c.value), c.whole);
    }
    const float three[3] = {1, 2.5f, -3};
    EXPECT_EQ(formatFixed4List(three, 3), "1.0000,2.5000,-3.0000");
    EXPECT_EQ(formatInteger(-7), "-7");
    EXPECT_EQ(formatInteger(4464), "4464");
}

TEST(NumberText, ScansNumbersLikeTheCLibraryInTheCLocale) { checkScanCases(); }
// The shortest texts read back to the very same float: a table of the
// values that matter, then random bit patterns of every kind.
void checkShortestCases()
{
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.1f, "0.1"},
        {-2.0f, "-2"},
        {1e30f, "1e+30"},
        {-0.0f, "-0"},
        {0.0f, "0"},
        {16777216.0f, "16777216"},
        {std::numeric_limits<float>::max(), "3.4028235e+38"},
        {std::numeric_limits<float>::min(), "1.1754944e-38"},
        {std::numeric_limits<float>::denorm_min(), "1e-45"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
        {-std::numeric_limits<float>::quiet_NaN(), "-nan"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatShortest(c.value), c.text);
    }
    float three[3] = {1.5f, -0.0f, 1e-40f};
    EXPECT_EQ(formatShortestList(three, 3), "1.5,-0,1e-40");

    std::uint32_t bits = 12345;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 1664525u + 1013904223u; // every exponent, sign and mantissa
        const float value = std::bit_cast<float>(bits);
        const std::string text = formatShortest(value);
        float back = 0;
        ASSERT_EQ(scanNumbers(text, &back, 1), 1) << text;
        if (std::isnan(value))
            EXPECT_TRUE(std::isnan(back) && std::signbit(back) == std::signbit(value)) << text;
        else
            EXPECT_EQ(std::bit_cast<std::uint32_t>(back), bits) << text;
    }
}

TEST(NumberText, ReadsLeadingIntegers) { checkIntegerCases(); }
TEST(NumberText, ReadsLeadingNumbers) { checkNumberCases(); }
TEST(NumberText, FormatsNumbers) { checkFormatCases(); }
TEST(NumberText, ShortestTextsReadBackToTheSameFloat) { checkShortestCases(); }

// Under a locale whose decimal separator is a comma, the C library itself reads
// "1.5" as 1; the rules must not change.
TEST(NumberText, GiveTheSameResultsUnderACommaDecimalLocale)
{
    const char* saved = std::setlocale(LC_ALL, nullptr);
    std::string savedName = saved ? saved : "C";
    // The last name is the one Windows knows.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")
        && !std::setlocale(LC_ALL, "German_Germany.1252"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(std::strtod("1.5", nullptr), 1.0) << "the locale is not in effect";

    checkScanCases();
    checkIntegerCases();
    checkNumberCases();
    checkFormatCases();
    checkShortestCases();

    std::setlocale(LC_ALL, savedName.c_str());
}

TEST(NumberText, CapsTextsAtACharacterBoundary)
{
    EXPECT_EQ(capText(std::string(249, 'a')), std::string(249, 'a'));
    EXPECT_EQ(capText(std::string(260, 'a')), std::string(249, 'a'));
    // "é" is two bytes: at 248 + 2 it no longer fits and is dropped whole.
    EXPECT_EQ(capText(std::string(248, 'a') + "\xC3\xA9"), std::string(248, 'a'));
    EXPECT_EQ(capText(std::string(247, 'a') + "\xC3\xA9"), std::string(247, 'a') + "\xC3\xA9");
    // A three-byte character cut in its middle.
    EXPECT_EQ(capText(std::string(247, 'a') + "\xE2\x82\xAC"), std::string(247, 'a'));
}

} // namespace
} // namespace kes
