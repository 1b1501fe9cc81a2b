#include "io/csv_export.h"

#include "model/text_grid.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

// Collects what an export writes, and counts the writes.
class CountingSink : public ByteSink
{
public:
    void write(std::string_view bytes) override
    {
        text += bytes;
        ++writes;
    }
    void finish() override { ++finishes; }
    std::string text;
    int writes = 0;
    int finishes = 0;
};

TEST(CsvExport, HeadingsCarryUnits)
{
    const std::vector<std::string> forcing = ForcingCsvHeadings();
    EXPECT_EQ(forcing,
        (std::vector<std::string> {"Day", "temp. (deg C)", "water flow (m3/d)", "BOD5 (mg/L)",
            "Nitrate (mg/L)", "Ammonium (mg/L)", "total P. (mg/L)", "Org. Nit. (mg/L)", "POM %",
            "PON %", "POP %", "RTB (days)"}));
    const std::vector<std::string> series = SeriesCsvHeadings();
    EXPECT_EQ(series[1], "BOD5 out (mg/L)");
    EXPECT_EQ(series[5], "org. N. out (mg/L)");
    EXPECT_EQ(series[6], "eff. BOD5 rem (%)");
    EXPECT_EQ(series[11], "eff. t.n. rem (%)");
    const std::vector<std::string> boxes = AdditionalCsvHeadings();
    ASSERT_EQ(boxes.size(), 26u);
    EXPECT_EQ(boxes[1], "BOD5-A (mg/L)");
    EXPECT_EQ(boxes[16], "TPO-A (mg/L)");
    EXPECT_EQ(boxes[25], "ORN-E (mg/L)");
}

TEST(CsvExport, QuotesOnlyWhereNeeded)
{
    const std::pair<const char *, const char *> cases[] = {{"12.5", "12.5"}, {"", ""},
        {"1,5", "\"1,5\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"a\nb", "\"a\nb\""},
        {"a\rb", "\"a\rb\""}, {" 1", "\" 1\""}, {"1 ", "\"1 \""}, {"a b", "a b"}, {"a;b", "a;b"}};
    for (const auto &[field, written] : cases) {
        std::string out;
        AppendCsvField(out, field);
        EXPECT_EQ(out, written) << field;
    }
}

TEST(CsvExport, WritesTheGridTextsDayByDay)
{
    TextGrid grid(3, 4);
    grid.setCell(0, 1, "not used");
    grid.setCell(1, 1, "12.5");
    grid.setCell(2, 1, "1E-8");
    grid.setCell(1, 2, "1,5");
    grid.setCell(1, 3, "past the days");
    CountingSink sink;
    WriteGridCsv(grid, 2, {"Day", "x (mg/L)", "y, z"}, sink);
    EXPECT_EQ(sink.text, "Day,x (mg/L),\"y, z\"\n1,12.5,1E-8\n2,\"1,5\",\n");
    EXPECT_EQ(sink.finishes, 1);
}

TEST(CsvExport, LargeTablesGoOutInBlocks)
{
    TextGrid grid(2, 1);
    for (int r = 1; r <= 200000; ++r)
        grid.setNumber(1, r, 123.456789);
    grid.setCell(1, 7, "1,5");
    CountingSink sink;
    WriteGridCsv(grid, 200000, {"Day", "x"}, sink);
    EXPECT_GT(sink.writes, 2);
    EXPECT_LT(sink.writes, 20);
    EXPECT_EQ(sink.finishes, 1);
    EXPECT_EQ(std::count(sink.text.begin(), sink.text.end(), '\n'), 200001);
    EXPECT_EQ(sink.text.substr(sink.text.size() - 18), "200000,123.456789\n");
    EXPECT_NE(sink.text.find("\n7,\"1,5\"\n"), std::string::npos);
}

} // namespace

namespace {

TEST(CsvExport, DefaultExtension)
{
    const std::pair<const char *, const char *> cases[]
        = {{"flows", "flows.csv"}, {"flows.txt", "flows.txt"},
            {"/data/v1.2/flows", "/data/v1.2/flows.csv"}, {"/data/.hidden", "/data/.hidden.csv"},
            {"flows.", "flows."}, {"a.csv", "a.csv"}, {"dir/a.b", "dir/a.b"}};
    for (const auto &[name, written] : cases)
        EXPECT_EQ(DefaultExtension(name, ".csv"), written) << name;
}

} // namespace
