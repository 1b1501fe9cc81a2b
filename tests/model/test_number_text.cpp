#include "model/error.h"
#include "model/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
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
