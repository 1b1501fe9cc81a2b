#include "model/error.h"

#include <gtest/gtest.h>

using namespace carexa;

TEST(QuotedText, ShortPrintableTextStaysAsItIs)
{
    EXPECT_EQ(QuotedText(""), "");
    EXPECT_EQ(QuotedText("1.2.3"), "1.2.3");
    EXPECT_EQ(QuotedText(std::string(40, 'a')), std::string(40, 'a'));
}

TEST(QuotedText, LongTextIsCutAfterFortyCharacters)
{
    EXPECT_EQ(QuotedText(std::string(41, 'b')), std::string(40, 'b') + "...");
    EXPECT_EQ(QuotedText(std::string(200'000'000 / 1000, '7')).size(), 43u);
}

TEST(QuotedText, ControlQuoteAndNonAsciiBytesAreEscaped)
{
    EXPECT_EQ(QuotedText("a\nb\rc\td"), "a\\nb\\rc\\td");
    EXPECT_EQ(QuotedText(std::string("x\0y", 3)), "x\\x00y");
    EXPECT_EQ(QuotedText("\x1b[31m"), "\\x1B[31m");
    EXPECT_EQ(QuotedText("it's \"q\" \\"), "it\\'s \\\"q\\\" \\\\");
    EXPECT_EQ(QuotedText("\x7f\xc3\xa6"), "\\x7F\\xC3\\xA6");
    EXPECT_EQ(QuotedText(" ~"), " ~");
}

TEST(ConversionError, QuotesTheTextShortAndKeepsItWhole)
{
    const std::string text(100, '9');
    const ConversionError error(text + "x");
    std::string expected(1, '\'');
    expected.append(40, '9');
    expected += "...' is not a valid number.";
    EXPECT_EQ(std::string(error.what()), expected);
    EXPECT_EQ(error.text(), text + "x");
    EXPECT_EQ(std::string(ConversionError("1,5", "whole number").what()),
        "'1,5' is not a valid whole number.");
}

// A position inside its list passes; one outside is refused (release) or stops at the assertion
// (debug), on both sides of the list.
TEST(CheckedIndex, InsideTheListPassesOutsideIsRefused)
{
    const auto refusal = [] { return std::string("outside"); };
    EXPECT_EQ(CheckedIndex(0, 3, refusal), 0u);
    EXPECT_EQ(CheckedIndex(2, 3, refusal), 2u);
#ifdef NDEBUG
    for (std::int64_t index : {std::int64_t {3}, std::int64_t {-1}, std::int64_t {1} << 62}) {
        try {
            CheckedIndex(index, 3, refusal);
            ADD_FAILURE() << index;
        } catch (const Error &e) {
            EXPECT_STREQ(e.what(), "outside");
        }
    }
    EXPECT_THROW(CheckedIndex(0, 0, refusal), Error);
#else
    EXPECT_DEATH(CheckedIndex(3, 3, refusal), "outside its list");
    EXPECT_DEATH(CheckedIndex(-1, 3, refusal), "outside its list");
#endif
}
