#include "model/error.h"
#include "model/number_text.h"
#include "model/rounding.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale>
#include <random>
#include <string>

using namespace carexa;

namespace {

struct TextCase
{
    double value;
    const char *text;
};

class GeneralText : public testing::TestWithParam<TextCase>
{ };

TEST_P(GeneralText, IsShortestUpToFifteenDigits)
{
    EXPECT_EQ(FormatGeneral(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Screen, GeneralText,
    testing::Values(TextCase {0, "0"}, TextCase {12.5, "12.5"}, TextCase {3.0, "3"},
        TextCase {100, "100"}, TextCase {-2.5, "-2.5"}, TextCase {0.0001, "0.0001"},
        TextCase {0.00001, "0.00001"}, TextCase {0.000009, "9E-6"}, TextCase {1e-8, "1E-8"},
        TextCase {1.5e-7, "1.5E-7"}, TextCase {0.00005, "0.00005"}, TextCase {0.1 + 0.2, "0.3"},
        TextCase {1.0 / 3, "0.333333333333333"}, TextCase {2.0 / 3, "0.666666666666667"},
        TextCase {6 / (17 * 0.6), "0.588235294117647"},
        TextCase {123456789012345, "123456789012345"}, TextCase {1e15, "1E15"},
        TextCase {1234567890123456, "1.23456789012346E15"}, TextCase {1e144, "1E144"},
        TextCase {-1e-8, "-1E-8"}, TextCase {1234570, "1234570"}));

class FileText : public testing::TestWithParam<TextCase>
{ };

TEST_P(FileText, IsPrintfGeneralWithSixDigits)
{
    EXPECT_EQ(FormatFileDouble(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(ProjectFile, FileText,
    testing::Values(TextCase {0.0001, "0.0001"}, TextCase {12.5, "12.5"}, TextCase {0, "0"},
        TextCase {0.00001, "1e-05"}, TextCase {1234567, "1.23457e+06"},
        TextCase {1234567.891, "1.23457e+06"}, TextCase {-0.5, "-0.5"}, TextCase {100000, "100000"},
        TextCase {1e6, "1e+06"}, TextCase {0.588235294, "0.588235"}, TextCase {1e-8, "1e-08"},
        TextCase {1e144, "1e+144"}, TextCase {38.4, "38.4"}));

TEST(ParseDouble, TakesPlainNumbersWithAFullStop)
{
    EXPECT_EQ(ParseDouble("12.5"), 12.5);
    EXPECT_EQ(ParseDouble("2."), 2);
    EXPECT_EQ(ParseDouble(".5"), 0.5);
    EXPECT_EQ(ParseDouble("-3"), -3);
    EXPECT_EQ(ParseDouble("+4"), 4);
    EXPECT_EQ(ParseDouble("1e3"), 1000);
    EXPECT_EQ(ParseDouble("1.23457e+06"), 1234570);
    EXPECT_EQ(ParseDouble("0.0001"), 0.0001);
    EXPECT_EQ(ParseDouble("1E-8"), 1e-8);
}

TEST(ParseDouble, RefusesEverythingElseNamingTheText)
{
    for (const char *text : {"", ".", "1.2.3", "12,5", "abc", "inf", "-inf", "nan", "NAN", "1e999",
             " 5", "5 ", "-", "+-5", "--5", "0x10", "1e", ":", "\"", "1.234.5"}) {
        try {
            ParseDouble(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError &e) {
            EXPECT_EQ(e.text(), text);
            EXPECT_NE(std::string(e.what()).find("'" + QuotedText(text) + "'"), std::string::npos)
                << e.what();
        }
    }
}

TEST(ParseInteger, TakesWholeNumbersOfThirtyTwoBits)
{
    EXPECT_EQ(ParseInteger("60"), 60);
    EXPECT_EQ(ParseInteger("-3"), -3);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    for (const char *text : {"7.5", "", "99999999999", "12a", " 1", "1e3"})
        EXPECT_THROW(ParseInteger(text), ConversionError) << text;
}

TEST(TruncateToInt32, TruncatesTowardZeroAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(TruncateToInt32(2.9), 2);
    EXPECT_EQ(TruncateToInt32(-2.9), -2);
    EXPECT_EQ(TruncateToInt32(35.7), 35);
    EXPECT_THROW(TruncateToInt32(1e20), ConversionError);
    EXPECT_THROW(TruncateToInt32(-3e9), ConversionError);
}

// The user's locale may use a comma as decimal separator; texts must not follow it.
TEST(NumberText, DoesNotDependOnTheProcessLocale)
{
    const char *chosen = nullptr;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen)
        GTEST_SKIP() << "no comma-decimal locale installed (scripts/install-deps.sh makes one)";
    const std::locale previous = std::locale::global(std::locale(chosen));

    EXPECT_EQ(FormatGeneral(12.5), "12.5");
    EXPECT_EQ(FormatGeneral(1e-8), "1E-8");
    EXPECT_EQ(FormatFileDouble(1234567.891), "1.23457e+06");
    EXPECT_EQ(FormatFileDouble(0.25), "0.25");
    EXPECT_EQ(ParseDouble("0.25"), 0.25);
    EXPECT_THROW(ParseDouble("0,25"), ConversionError);

    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
}

} // namespace

namespace {

std::string Written(char *(*write)(char *, double), double value)
{
    std::array<char, carexa::kNumberTextCapacity> buffer {};
    return std::string(buffer.data(), write(buffer.data(), value));
}

std::string RoundedText(double value, int decimals)
{
    std::array<char, carexa::kNumberTextCapacity> buffer {};
    return std::string(buffer.data(), carexa::WriteRoundedGeneral(buffer.data(), value, decimals));
}

// The file form is the C library's %g with precision 6, also where the quick way decides the
// digits: near powers of ten, on and near halves of the sixth digit, across the exponent forms.
TEST(FileNumbers, MatchPercentGWithSixDigits)
{
    EXPECT_EQ(carexa::FormatFileDouble(1234565), "1.23456e+06"); // a tie goes to even
    EXPECT_EQ(carexa::FormatFileDouble(1234575), "1.23458e+06");
    EXPECT_EQ(carexa::FormatFileDouble(999999.5), "1e+06");
    EXPECT_EQ(carexa::FormatFileDouble(999999.4), "999999");
    EXPECT_EQ(carexa::FormatFileDouble(0.00001), "1e-05");
    EXPECT_EQ(carexa::FormatFileDouble(0.0001), "0.0001");
    EXPECT_EQ(carexa::FormatFileDouble(0.000123456789), "0.000123457");
    EXPECT_EQ(carexa::FormatFileDouble(-12.5), "-12.5");
    EXPECT_EQ(carexa::FormatFileDouble(100), "100");
    EXPECT_EQ(carexa::FormatFileDouble(1e15), "1e+15");

    std::mt19937_64 random(11);
    const auto reference = [](double value) {
        char buffer[64];
        return std::string(buffer, std::snprintf(buffer, sizeof buffer, "%.6g", value));
    };
    for (int i = 0; i < 100000; ++i) {
        const double power = std::pow(10.0, static_cast<double>(static_cast<int>(random() % 24) - 7));
        for (double value : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300),
                 9.999995 * power, 1.234565 * power,
                 static_cast<double>(random() % 100000000) / power,
                 std::ldexp(static_cast<double>(random() % 1000000007), static_cast<int>(random() % 80) - 60)}) {
            ASSERT_EQ(Written(carexa::WriteFileDouble, value), reference(value)) << value;
            ASSERT_EQ(Written(carexa::WriteFileDouble, -value), reference(-value)) << -value;
        }
    }
}

// Rounded values are written from their whole number of units; the text is the screen form.
TEST(RoundedNumbers, MatchTheScreenForm)
{
    EXPECT_EQ(RoundedText(12.346, 3), "12.346");
    EXPECT_EQ(RoundedText(12.3, 3), "12.3");
    EXPECT_EQ(RoundedText(100, 3), "100");
    EXPECT_EQ(RoundedText(0.001, 3), "0.001");
    EXPECT_EQ(RoundedText(1e-8, 3), "1E-8");
    EXPECT_EQ(RoundedText(0, 2), "0");
    EXPECT_EQ(RoundedText(0.000001, 6), "1E-6");
    EXPECT_EQ(RoundedText(2.80699981710047E190, 3), "2.80699981710047E190");
    EXPECT_EQ(RoundedText(0.1 + 0.2, 3), "0.3"); // not rounded: the general way
    EXPECT_EQ(RoundedText(1.25, 1), "1.25");

    std::mt19937_64 random(12);
    for (int i = 0; i < 100000; ++i) {
        const double value = std::ldexp(static_cast<double>(random() % 1000000007),
            static_cast<int>(random() % 60) - 40);
        for (int decimals : {0, 2, 3, 4, 6}) {
            const double rounded = carexa::RoundPositive(value, decimals);
            ASSERT_EQ(RoundedText(rounded, decimals), carexa::FormatGeneral(rounded))
                << value << " to " << decimals;
        }
    }
}

} // namespace
