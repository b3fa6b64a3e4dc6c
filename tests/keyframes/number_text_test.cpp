#include "keyframes/number_text.h"

#include <clocale>

#include "support/test_support.h"

namespace zerka {
namespace {

using testing::ExpectFileError;

TEST(NumberText, ParsesPlainSignedAndExponentForms)
{
    const std::pair<const char *, double> rows[] = {
        {"0", 0.0},       {"  12.5 ", 12.5}, {"+3", 3.0},        {"-0.25", -0.25},
        {"1.0e-005", 1e-5}, {"2E3", 2000.0}, {"\t-1.5e+2\t", -150.0}, {".5", 0.5},
        {"7.", 7.0},      {"1e-400", 0.0},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text);
        EXPECT_DOUBLE_EQ(ParseDoubleText(text), expected);
    }
}

TEST(NumberText, RejectsLocaleAndSpecialForms)
{
    for (const char *text : {"", "   ", "1,5", "0x10", "inf", "nan", "-inf", "1 000", "1.2.3",
                             "e5", "1e", "1e+", "--1", "+-1", "abc", "1_000", ".", "-"}) {
        SCOPED_TRACE(text);
        ExpectFileError([&] { ParseDoubleText(text); }, ErrorCode::TypeMismatch);
    }
    ExpectFileError([] { ParseDoubleText("1e400"); }, ErrorCode::Overflow);
    ExpectFileError([] { ParseDoubleText("-99999999999999999999e300"); }, ErrorCode::Overflow);
}

TEST(NumberText, IntegersRoundHalfToEvenWithin16Bits)
{
    const std::pair<const char *, int> rows[] = {
        {" 12 ", 12}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"-0.4", 0},
        {"32767", 32767}, {"-32768", -32768}, {"1e2", 100},
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
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FormatDouble(0.5), "0.50000000");
    EXPECT_EQ(FormatDouble(-12), "-12.00000000");
    EXPECT_EQ(FormatDouble(1234.5678), "1234.56780000");
    EXPECT_EQ(FormatDouble(-0.000001), "-0.00000100");
    EXPECT_EQ(ParseDoubleText("1.5"), 1.5);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(NumberText, SignSpacedPutsASpaceBeforeNonNegativeNumbers)
{
    EXPECT_EQ(SignSpaced(3), " 3");
    EXPECT_EQ(SignSpaced(0), " 0");
    EXPECT_EQ(SignSpaced(-1), "-1");
}

}  // namespace
}  // namespace zerka
