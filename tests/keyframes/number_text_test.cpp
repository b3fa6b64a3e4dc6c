// SPDX-License-Identifier: MIT
#include "keyframes/number_text.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "support/test_support.h"

namespace zerka {
namespace {

using testing::ExpectFileError;

TEST(NumberText, ParsesPlainSignedAndExponentForms)
{
    const std::pair<const char *, double> rows[] = {
        {"0", 0.0},      {"  12.5 ", 12.5},       {"+3", 3.0}, {"-0.25", -0.25}, {"1.0e-005", 1e-5},
        {"2E3", 2000.0}, {"\t-1.5e+2\t", -150.0}, {".5", 0.5}, {"7.", 7.0},      {"1e-400", 0.0},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text);
        EXPECT_DOUBLE_EQ(ParseDoubleText(text), expected);
    }
}

TEST(NumberText, RejectsLocaleAndSpecialForms)
{
    for (const char *text : {"", "   ", "1,5", "0x10", "inf", "nan", "-inf", "1 000", "1.2.3", "e5",
                             "1e", "1e+", "--1", "+-1", "abc", "1_000", ".", "-",
                             // a bad byte among the last eight, read eight at a time
                             "0.1234:67", "12.34567/", "1.12345\x7f", "1.1234567\xff", "-0.12 456"}) {
        SCOPED_TRACE(text);
        ExpectFileError([&] { ParseDoubleText(text); }, ErrorCode::TypeMismatch);
    }
    ExpectFileError([] { ParseDoubleText("1e400"); }, ErrorCode::Overflow);
    ExpectFileError([] { ParseDoubleText("-99999999999999999999e300"); }, ErrorCode::Overflow);
}

TEST(NumberText, IntegersRoundHalfToEvenWithin16Bits)
{
    const std::pair<const char *, int> rows[] = {
        {" 12 ", 12}, {"2.5", 2},       {"3.5", 4},         {"-2.5", -2},
        {"-0.4", 0},  {"32767", 32767}, {"-32768", -32768}, {"1e2", 100},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseIntegerText(text), expected);
    }
    for (const char *text : {"32768", "-32769", "1e9"}) {
        SCOPED_TRACE(text);
        ExpectFileError([&] { ParseIntegerText(text); }, ErrorCode::Overflow);
    }
    ExpectFileError([] { ParseIntegerText("x1"); }, ErrorCode::TypeMismatch);
}

TEST(NumberText, FormatsEightDecimalsInTheCLocaleWhateverTheProcessLocale)
{
    // A window sets the user's locale for the whole process; the written numbers must not
    // follow it.
    const char *previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale, whose decimal separator is a comma, is not "
                        "installed";
    EXPECT_EQ(FormatDouble(0.5), "0.50000000");
    EXPECT_EQ(FormatDouble(-12), "-12.00000000");
    EXPECT_EQ(FormatDouble(1234.5678), "1234.56780000");
    EXPECT_EQ(FormatDouble(-0.000001), "-0.00000100");
    EXPECT_EQ(ParseDoubleText("1.5"), 1.5);
    std::setlocale(LC_ALL, saved.c_str());
}

// Both number paths have a fast route for the plain decimals key files are made of; the C
// library's own conversions are the reference they must match to the last digit.
std::string PrintfEightDecimals(double value)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.8f", value);
    return buffer;
}

TEST(NumberText, FormatsEveryValueAsPrintfDoes)
{
    const double rows[] = {
        0.0,
        -0.0,
        1e-9,
        -1e-9,
        0.000000005,
        0.000000015,
        0.000000025,
        -0.000000025,
        0.125,
        2.5e-8,
        1.000000005,
        0.45833333,
        0.458333335,
        12345678.5,
        89999999.99999999,
        90000000.0,
        -90000000.0,
        1e15,
        123456789012.345678,
        4.9e-324,
        0.1 + 0.2,
        -1.0 / 3.0,
        2.0 / 3.0,
        1e22,
        -1e300,
    };
    for (const double value : rows) {
        SCOPED_TRACE(PrintfEightDecimals(value));
        EXPECT_EQ(FormatDouble(value), PrintfEightDecimals(value));
    }
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-12, 10);
    std::uniform_int_distribution<long long> units(-9'000'000'000'000'000LL,
                                                   9'000'000'000'000'000LL);
    for (int i = 0; i < 200'000; ++i) {
        // Random magnitudes, and values at and around a half of the last written digit.
        const double values[] = {std::ldexp(mantissa(random), exponent(random) * 3),
                                 (static_cast<double>(units(random) / 1000) + 0.5) / 1e8,
                                 std::nextafter(static_cast<double>(units(random)) / 1e8, 0.0)};
        for (const double value : values) {
            const std::string expected = PrintfEightDecimals(value);
            if (FormatDouble(value) != expected) {
                ADD_FAILURE() << "value " << std::hexfloat << value << " expected " << expected;
                return;
            }
        }
    }
}

TEST(NumberText, ParsesEveryDecimalAsStrtodDoes)
{
    const char *rows[] = {"0.1",
                          "-0.000000",
                          "9007199254740993",
                          "9007199254740992.5",
                          "1234567890123456789",
                          "12345678901234567890",
                          "0.30000000000000004",
                          "0.0000000000000000000001",
                          "0.00000000000000000000001",
                          "179769313486231570000000000000000000000",
                          "4.9e-324",
                          "-.5"};
    for (const char *text : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseDoubleText(text), std::strtod(text, nullptr));
    }
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> length(1, 21);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < 200'000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int digits = length(random);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        if (ParseDoubleText(text) != std::strtod(text.c_str(), nullptr)) {
            ADD_FAILURE() << text;
            return;
        }
    }
}

TEST(NumberText, SignSpacedPutsASpaceBeforeNonNegativeNumbers)
{
    EXPECT_EQ(SignSpaced(3), " 3");
    EXPECT_EQ(SignSpaced(0), " 0");
    EXPECT_EQ(SignSpaced(-1), "-1");
}

}  // namespace
}  // namespace zerka
