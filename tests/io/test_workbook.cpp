#include "io/workbook.h"

#include "model/error.h"
#include "model/observed_grid.h"
#include "results/data_sheet.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace carexa;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;

namespace {

class Workbook : public testing::Test
{
protected:
    Workbook()
    {
        state.setSimulationLength(3000);
        BuildObservedGrid(observed, state.observedLength);
        observed.setCell(1, 7, "12.5");
        observed.setCell(2, 8, "typed");
    }
    ModelState state;
    TextGrid observed {12, 61};
    std::array<std::string, 8> design {"10", "30", "0.6", "1", "", "1", "x", "6"};
    SeriesValues results = ResultSeries(state);
    TempDir dir;
};

TEST_F(Workbook, WritesAZipPackageAndReportsProgress)
{
    std::vector<std::int64_t> reports;
    std::int64_t total = 0;
    ASSERT_TRUE(WriteWorkbook(dir / "book.xlsx", {state, observed, design, results},
        [&](std::int64_t done, std::int64_t all) {
            reports.push_back(done);
            total = all;
            return true;
        }));
    const std::string bytes = ReadText(dir / "book.xlsx");
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    // Forcing, results and boxes have a row per day, the observed sheet one per observed day.
    EXPECT_EQ(total, 3 * 3000 + 60);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), total);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    // Nothing but the workbook is left in its folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                  std::filesystem::directory_iterator()),
        1);
}

TEST_F(Workbook, StoppingLeavesAnEarlierFileAlone)
{
    WriteText(dir / "book.xlsx", "earlier");
    int calls = 0;
    EXPECT_FALSE(WriteWorkbook(dir / "book.xlsx", {state, observed, design, results},
        [&](std::int64_t, std::int64_t) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(ReadText(dir / "book.xlsx"), "earlier");
}

TEST_F(Workbook, AFolderThatIsNotThereIsReported)
{
    try {
        WriteWorkbook(dir / "missing" / "book.xlsx", {state, observed, design, results});
        FAIL();
    } catch (const Error &e) {
        EXPECT_NE(
            std::string(e.what()).find("The workbook could not be saved to"), std::string::npos)
            << e.what();
    }
}

} // namespace
