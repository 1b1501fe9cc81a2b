#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/grid_block.h"
#include "model/observed_grid.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

// The texts of a block, row by row, "|" between the fields and "/" between the rows.
std::string Texts(const GridBlock &block)
{
    std::string out;
    for (int r = 0; r < block.rowCount(); ++r) {
        if (r > 0)
            out += '/';
        for (int c = 0; c < block.columnCount(); ++c) {
            if (c > 0)
                out += '|';
            out += block.text(c, r);
        }
    }
    return out;
}

TextGrid ForcingLayout(int days)
{
    TextGrid grid(5, 5);
    LayOutForcingGrid(grid, days);
    for (int r = 1; r <= days; ++r) {
        for (int c = 1; c <= 11; ++c)
            grid.setCell(c, r, "0.0001");
    }
    return grid;
}

TEST(GridBlock, KeepsItsTextsRowByRow)
{
    GridBlock block(3, 2, "x");
    EXPECT_EQ(Texts(block), "x|x|x/x|x|x");
    block.setText(2, 1, "7");
    block.setText(0, 1, "5");
    EXPECT_EQ(Texts(block), "x|x|x/5|x|7");
    block.keepRows(1);
    EXPECT_EQ(block.rowCount(), 1);
    EXPECT_EQ(Texts(block), "x|x|x");
    block.keepRows(4); // never grows
    EXPECT_EQ(block.rowCount(), 1);
    EXPECT_FALSE(block.empty());
    EXPECT_THROW(block.text(3, 0), std::out_of_range);
    block.keepRows(0);
    EXPECT_TRUE(block.empty());
    EXPECT_TRUE(GridBlock(0, 3).empty());
    EXPECT_TRUE(GridBlock(2, 0).empty());
}

TEST(GridBlock, WriteReturnsWhatItReplaced)
{
    TextGrid grid = ForcingLayout(3);
    grid.setCell(2, 2, "40");
    GridBlock block(2, 2);
    block.setText(0, 0, "1");
    block.setText(1, 0, "2");
    block.setText(0, 1, "3");
    block.setText(1, 1, "4");
    const GridBlock replaced = WriteBlock(grid, 2, 2, block);
    EXPECT_EQ(Texts(replaced), "40|0.0001/0.0001|0.0001");
    EXPECT_EQ(grid.cell(2, 2), "1");
    EXPECT_EQ(grid.cell(3, 3), "4");
    EXPECT_EQ(grid.cell(4, 2), "0.0001"); // beside the block: untouched
    // Written back, the grid is as before.
    WriteBlock(grid, 2, 2, replaced);
    EXPECT_EQ(grid.cell(2, 2), "40");
    EXPECT_EQ(grid.cell(3, 3), "0.0001");
    // Past the shown rows the grid keeps the texts.
    WriteBlock(grid, 1, 4, GridBlock(1, 2, "9"));
    EXPECT_EQ(grid.cell(1, 5), "9");
    EXPECT_EQ(Texts(ReadBlock(grid, {1, 3, 1, 3})), "0.0001/9/9");
}

TEST(GridBlock, CopiedTextIsTabSeparatedWithOptionalHeadings)
{
    TextGrid grid = ForcingLayout(4);
    grid.setCell(2, 1, "10.5");
    grid.setCell(3, 2, "");
    grid.setCell(3, 3, "a\tb \"c\"");
    EXPECT_EQ(BlockText(grid, {2, 1, 2, 3}, false),
        "10.5\t0.0001\n0.0001\t\n0.0001\t\"a\tb \"\"c\"\"\"\n");
    EXPECT_EQ(BlockText(grid, {10, 4, 2, 1}, true), "POP %\tRTB\n0.0001\t0.0001\n");
    EXPECT_EQ(BlockText(grid, {1, 1, 1, 1}, false), "0.0001\n");
}

struct SeparatorCase
{
    const char *text;
    FieldSeparator separator;
};

class Separators : public testing::TestWithParam<SeparatorCase>
{ };

TEST_P(Separators, AreFoundInThisOrder)
{
    EXPECT_EQ(DetectSeparator(GetParam().text), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(GridBlock, Separators,
    testing::Values(SeparatorCase {"1;2,5\t3", FieldSeparator::Tab},
        SeparatorCase {"1;2,5\n3;4", FieldSeparator::Semicolon},
        SeparatorCase {"1,2\n3,4", FieldSeparator::Comma},
        SeparatorCase {"1\n2\n3", FieldSeparator::None}, SeparatorCase {"", FieldSeparator::None},
        SeparatorCase {"\"a\tb\",1", FieldSeparator::Comma}, // the tab is inside quotes
        SeparatorCase {"\"a;b\"\n1", FieldSeparator::None},
        SeparatorCase {"\"x\"\"\"\t1", FieldSeparator::Tab}));

struct ParseCase
{
    const char *name;
    const char *text;
    int column; // the grid column the paste starts at
    const char *texts; // as Texts() writes the block
    bool headingSkipped;
    bool dayColumnSkipped;
};

class Pasting : public testing::TestWithParam<ParseCase>
{ };

TEST_P(Pasting, SplitsTheTextIntoABlock)
{
    const ParseCase &c = GetParam();
    const TextGrid grid = ForcingLayout(10);
    const PastedText pasted = ParsePastedText(c.text, grid, c.column);
    EXPECT_EQ(Texts(pasted.block), c.texts);
    EXPECT_EQ(pasted.headingSkipped, c.headingSkipped);
    EXPECT_EQ(pasted.dayColumnSkipped, c.dayColumnSkipped);
}

INSTANTIATE_TEST_SUITE_P(GridBlock, Pasting,
    testing::Values(ParseCase {"Tabs", "1\t2\n3\t4\n", 1, "1|2/3|4", false, false},
        ParseCase {"WindowsLineEnds", "1\t2\r\n3\t4\r\n", 1, "1|2/3|4", false, false},
        ParseCase {"OldMacLineEnds", "1\r2\r", 1, "1/2", false, false},
        ParseCase {"NoFinalLineBreak", "1;2\n3;4", 1, "1|2/3|4", false, false},
        ParseCase {"BlankLinesAtTheEnd", "5\n6\n\n  \n", 1, "5/6", false, false},
        ParseCase {"BlankLineInside", "5\n\n6", 1, "5//6", false, false},
        ParseCase {"ShortLinesArePadded", "1,2,3\n4\n", 1, "1|2|3/4||", false, false},
        ParseCase {"Trimmed", " 1 ; 2 ;\n", 1, "1|2|", false, false},
        ParseCase {"TabsKeepSpacesOut", "\t 7 \t\n", 1, "|7|", false, false},
        ParseCase {"DecimalCommaWithTabs", "12,5\t3\n", 1, "12.5|3", false, false},
        ParseCase {"DecimalCommaWithSemicolons", "12,5;0,25\n", 1, "12.5|0.25", false, false},
        ParseCase {"CommaSeparatesInCsv", "12,5\n", 1, "12|5", false, false},
        ParseCase {"TwoCommasAreNoDecimal", "1,234,5\t1\n", 1, "1,234,5|1", false, false},
        ParseCase {"CommaBesideFullStop", "1,234.5\t1\n", 1, "1,234.5|1", false, false},
        ParseCase {"QuotedFields", "\"1,5\",\"a\"\"b\"\n", 1, "1,5|a\"b", false, false},
        ParseCase {"QuotedLineBreak", "\"x\ny\"\t2\n3\t4", 1, "x\ny|2/3|4", false, false},
        ParseCase {"QuoteAfterBlanks", "  \"7\"\n", 1, "7", false, false},
        ParseCase {"Headings", "temp.\twater flow\n1\t2\n", 1, "1|2", true, false},
        ParseCase {"HeadingsAnyCase", " TEMP. ;Water Flow\n1;2\n", 1, "1|2", true, false},
        ParseCase {"HeadingsFromTheColumn", "BOD5,Nitrate\n7,8\n", 3, "7|8", true, false},
        ParseCase {
            "HeadingsOfOtherColumns", "BOD5,Nitrate\n7,8\n", 1, "BOD5|Nitrate/7|8", false, false},
        ParseCase {"HeadingsPastTheGrid", "RTB\tRTB\n1\t2\n", 11, "RTB|RTB/1|2", false, false},
        ParseCase {
            "DayColumn", "Day;temp.;water flow\n1;10;50\n2;11;60\n", 1, "10|50/11|60", true, true},
        ParseCase {"DayAloneIsNoHeading", "Day\n1\n", 1, "Day/1", false, false},
        ParseCase {"DayWithOtherHeadings", "Day\tBOD5\n1\t2\n", 1, "Day|BOD5/1|2", false, false},
        ParseCase {"OnlyAHeading", "temp.\n", 1, "", true, false},
        ParseCase {"Empty", "", 1, "", false, false},
        ParseCase {"Blank", "  \n\n", 1, "", false, false}),
    [](const testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(GridBlock, HeadingsCompareLettersInEitherCase)
{
    TextGrid grid(3, 2);
    grid.setCell(0, 0, "Day");
    grid.setCell(1, 0, "Az");
    grid.setCell(2, 0, "[x]");
    EXPECT_TRUE(ParsePastedText("aZ\t[X]\n1\t2\n", grid, 1).headingSkipped);
    EXPECT_FALSE(ParsePastedText("aZ\t{x}\n1\t2\n", grid, 1).headingSkipped);
    EXPECT_FALSE(ParsePastedText("bZ\n1\n", grid, 1).headingSkipped);
}

TEST(GridBlock, ObservedHeadingsAreRecognised)
{
    TextGrid grid(5, 5);
    BuildObservedGrid(grid, 5);
    const PastedText pasted = ParsePastedText("eff. amm rem\teff. P. rem\n1\t2\n", grid, 8);
    EXPECT_TRUE(pasted.headingSkipped);
    EXPECT_EQ(Texts(pasted.block), "1|2");
}

GridBlock Block(std::initializer_list<std::initializer_list<const char *>> rows)
{
    GridBlock block(static_cast<int>(rows.begin()->size()), static_cast<int>(rows.size()));
    int r = 0;
    for (const auto &row : rows) {
        int c = 0;
        for (const char *text : row)
            block.setText(c++, r, text);
        ++r;
    }
    return block;
}

TEST(GridBlock, PreparingAPasteFillsEmptyTextsAndKeepsNumbersAsTyped)
{
    const TextGrid grid = ForcingLayout(3);
    const GridBlock ready
        = PreparePaste(Block({{"12.50", ""}, {"-3", "1e-4"}, {"+.5", "7"}}), grid, 10, 2, "0.0001");
    EXPECT_EQ(Texts(ready), "12.50|0.0001/-3|1e-4/+.5|7");
}

struct RefusalCase
{
    const char *name;
    GridBlock block;
    int column;
    int row;
    const char *message;
};

class BlockRefusals : public testing::TestWithParam<RefusalCase>
{ };

TEST_P(BlockRefusals, NameTheFirstOffendingCell)
{
    const RefusalCase &c = GetParam();
    const TextGrid grid = ForcingLayout(5);
    try {
        PreparePaste(c.block, grid, c.column, c.row, "0.0001");
        FAIL() << "accepted";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(GridBlock, BlockRefusals,
    testing::Values(RefusalCase {"Letters", Block({{"1", "2"}, {"3", "n/a"}, {"x", "6"}}), 1, 4,
                        "Day 5, \"water flow\": 'n/a' is not a valid number. Nothing was pasted."},
        RefusalCase {"PastTheLastDay", Block({{"1"}, {"2"}, {"3"}, {"1.2.3"}}), 11, 3,
            "Day 6, \"RTB\": '1.2.3' is not a valid number. Nothing was pasted."},
        RefusalCase {"DecimalComma", Block({{"12,5"}}), 3, 1,
            "Day 1, \"BOD5\": '12,5' is not a valid number. Nothing was pasted."},
        RefusalCase {"Infinity", Block({{"inf"}}), 1, 1,
            "Day 1, \"temp.\": 'inf' is not a valid number. Nothing was pasted."},
        RefusalCase {"LongTextIsCut", Block({{"0123456789012345678901234567890123456789xyz"}}), 2,
            2,
            "Day 2, \"water flow\": '0123456789012345678901234567890123456789...' is not a "
            "valid number. Nothing was pasted."},
        RefusalCase {"ControlCharacters", Block({{"4\x1b"}}), 2, 2,
            "Day 2, \"water flow\": '4\\x1B' is not a valid number. Nothing was pasted."},
        RefusalCase {"TooWide", Block({{"1", "2", "3"}}), 10, 1,
            "The pasted data hold 3 columns; from \"POP %\" on the grid has 2. Nothing was "
            "pasted."}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST(GridBlock, TheWidestBlockThatFitsIsAccepted)
{
    const TextGrid grid = ForcingLayout(2);
    EXPECT_NO_THROW(PreparePaste(GridBlock(11, 1, "1"), grid, 1, 1, "0.0001"));
    EXPECT_THROW(PreparePaste(GridBlock(12, 1, "1"), grid, 1, 1, "0.0001"), Error);
    EXPECT_NO_THROW(PreparePaste(GridBlock(1, 1, "1"), grid, 11, 1, "0.0001"));
}

} // namespace
