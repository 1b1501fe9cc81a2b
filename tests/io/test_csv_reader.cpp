#include "io/csv_reader.h"

#include "model/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace carexa;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;

namespace {

// The records of a table as lines of "field|field", each prefixed by its line number.
std::vector<std::string> Records(const CsvTable &table)
{
    std::vector<std::string> records;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        std::string record = std::to_string(table.line(r));
        record += ':';
        for (std::size_t c = 0; c < table.fieldCount(r); ++c) {
            if (c > 0)
                record += '|';
            record += table.field(r, c);
        }
        records.push_back(record);
    }
    return records;
}

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string text;
    for (const int byte : bytes)
        text += static_cast<char>(byte);
    return text;
}

std::string ErrorOf(std::string_view text, char delimiter)
{
    try {
        ParseCsv(text, delimiter);
    } catch (const Error &e) {
        return e.what();
    }
    return "no error";
}

struct ParseCase
{
    const char *name;
    std::string text;
    char delimiter;
    std::vector<std::string> records;
};

class CsvReaderParse : public testing::TestWithParam<ParseCase>
{ };

TEST_P(CsvReaderParse, GivesTheRecordsWithTheirLines)
{
    EXPECT_EQ(Records(ParseCsv(GetParam().text, GetParam().delimiter)), GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(Dialects, CsvReaderParse,
    testing::Values(ParseCase {"plain", "a,b\n1,2\n", ',', {"1:a|b", "2:1|2"}},
        ParseCase {"crlf_and_no_final_break", "a,b\r\n1,2", ',', {"1:a|b", "2:1|2"}},
        ParseCase {"lone_cr", "a;b\r1;2\r", ';', {"1:a|b", "2:1|2"}},
        // RFC 4180: a quoted field holds the delimiter, doubled quotes and line breaks; the
        // record is numbered by the line it starts on, and the next one counts the break.
        ParseCase {"quoted", "x,\"a,b\",\"say \"\"hi\"\"\"\n\"two\nlines\",2\n3,4\n", ',',
            {"1:x|a,b|say \"hi\"", "2:two\nlines|2", "4:3|4"}},
        ParseCase {"blank_and_empty_records", "a,b\n\n  \n,,\n1,2\n", ',', {"1:a|b", "5:1|2"}},
        ParseCase {"empty_records_first_and_quoted", ";;\n\"\"\nx;y\n\"\";\"\"\nz\n", ';',
            {"3:x|y", "5:z"}},
        ParseCase {"spaces_dropped", " a , \" b \" \n", ',', {"1:a|b"}},
        ParseCase {"tab_keeps_tabs_as_delimiters", "a\t\tb\n", '\t', {"1:a||b"}},
        ParseCase {"empty_fields_kept", ";x;\n", ';', {"1:|x|"}},
        ParseCase {"semicolon_leaves_commas", "1,5;2,25\n", ';', {"1:1,5|2,25"}}),
    [](const testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(CsvReader, StopsAtTheRecordLimit)
{
    const CsvTable all = ParseCsv("1\n2\n3\n", ',', 3);
    EXPECT_EQ(all.rowCount(), 3u);
    EXPECT_FALSE(all.truncated());
    const CsvTable two = ParseCsv("1\n2\n3\n", ',', 2);
    EXPECT_EQ(Records(two), (std::vector<std::string> {"1:1", "2:2"}));
    EXPECT_TRUE(two.truncated());
}

TEST(CsvReader, FieldsPastTheEndAreEmpty)
{
    const CsvTable table = ParseCsv("a,b\n", ',');
    EXPECT_EQ(table.field(0, 1), "b");
    EXPECT_EQ(table.field(0, 2), "");
    // A field of spaces alone is empty.
    const CsvTable spaces = ParseCsv("a, ,  ,b\n", ',');
    EXPECT_EQ(spaces.field(0, 1), "");
    EXPECT_EQ(spaces.field(0, 2), "");
    EXPECT_EQ(spaces.field(0, 3), "b");
}

TEST(CsvReader, MisplacedQuotesNameLineAndColumn)
{
    EXPECT_EQ(ErrorOf("a,b\n1,2\"x\",3\n", ','),
        "Line 2, column 2: a quotation mark is out of place in '1,2\\\"x\\\",3\\n'. A field "
        "that holds quotation marks must be enclosed in them, with each mark inside doubled.");
    EXPECT_EQ(ErrorOf("a;b\n\n\"x\"y;2\n", ';').substr(0, 53),
        "Line 3, column 1: a quotation mark is out of place in");
    EXPECT_EQ(ErrorOf("a,b\n1,\"open\n2,3\n", ','),
        "Line 2, column 2: a field opened with a quotation mark is never closed.");
}

TEST(CsvReader, DecodesByteOrderMarks)
{
    EXPECT_EQ(DecodeTextFile(Bytes({0xEF, 0xBB, 0xBF}) + "a,b"), "a,b");
    EXPECT_EQ(DecodeTextFile("a,b"), "a,b");
    // "T;°\n" in UTF-16, little and big endian, and a character beyond the basic plane.
    const std::string degree = "T;" + Bytes({0xC2, 0xB0}) + "\n";
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 'T', 0, ';', 0, 0xB0, 0, '\n', 0})), degree);
    EXPECT_EQ(DecodeTextFile(Bytes({0xFE, 0xFF, 0, 'T', 0, ';', 0, 0xB0, 0, '\n'})), degree);
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE})),
        Bytes({0xF0, 0x9F, 0x98, 0x80}));
    // The ends of the two- and three-byte forms: U+07FF, U+0800, U+FFFF.
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 0xFF, 0x07, 0x00, 0x08, 0xFF, 0xFF})),
        Bytes({0xDF, 0xBF, 0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}));
    // The first and the last pair: U+10000 and U+10FFFF.
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 0x00, 0xD8, 0x00, 0xDC})),
        Bytes({0xF0, 0x90, 0x80, 0x80}));
    EXPECT_EQ(DecodeTextFile(Bytes({0xFE, 0xFF, 0xDB, 0xFF, 0xDF, 0xFF})),
        Bytes({0xF4, 0x8F, 0xBF, 0xBF}));
    // Surrogates that do not pair become the replacement character.
    const std::string replacement = Bytes({0xEF, 0xBF, 0xBD});
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 0x3D, 0xD8, 'A', 0})), replacement + "A");
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 0x00, 0xDE, 'A', 0})), replacement + "A");
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 'A', 0, 0x3D, 0xD8})), "A" + replacement);
    EXPECT_EQ(DecodeTextFile(Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xE0})),
        replacement + Bytes({0xEE, 0x80, 0x80}));
    EXPECT_THROW(DecodeTextFile(Bytes({0xFF, 0xFE, 'T', 0, ';'})), Error);
}

TEST(CsvReader, RefusesFilesThatAreNoText)
{
    try {
        DecodeTextFile(std::string("PK\x03\x04\x14\0\0\0", 8));
        FAIL();
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("workbook"), std::string::npos);
    }
    EXPECT_THROW(DecodeTextFile(std::string("a,b\n1,\0", 7)), Error);
}

TEST(CsvReader, ReadsFilesAndRefusesMissingOrEmptyOnes)
{
    TempDir dir;
    WriteText(dir / "data.csv",
        "\xEF\xBB\xBF"
        "Day,temp.\n1,5\n");
    EXPECT_EQ(ReadImportFile(dir / "data.csv"), "Day,temp.\n1,5\n");

    WriteText(dir / "empty.csv", "");
    // A named pipe is refused at once: reading one would wait for a writer for ever.
    ASSERT_EQ(::mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    const std::pair<std::filesystem::path, std::string> refused[] = {
        {dir / "none.csv", "cannot be opened: No such file or directory."},
        {dir / "empty.csv", "is empty."},
        {dir.path(), "cannot be read: it is a folder."},
        {dir / "pipe.csv", "cannot be read: it is a named pipe (FIFO), not a regular file."},
        {"/dev/null", "cannot be read: it is a device, not a regular file."},
    };
    for (const auto &[file, reason] : refused) {
        try {
            ReadImportFile(file);
            ADD_FAILURE() << file;
        } catch (const Error &e) {
            EXPECT_EQ(std::string(e.what()), "The file \"" + file.string() + "\" " + reason);
        }
    }
}

} // namespace
