#include "io/csv_import.h"

#include "io/csv_export.h"
#include "model/error.h"
#include "model/model_state.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

constexpr auto F = ImportTarget::Forcing;
constexpr auto O = ImportTarget::Observed;

std::string ErrorOf(std::string_view text, const ImportSettings &settings, ImportTarget target = F)
{
    try {
        ReadImport(text, settings, target);
    } catch (const Error &e) {
        return e.what();
    }
    return "no error";
}

// ---------------------------------------------------------------------------------------------
// Headings

struct HeadingCase
{
    const char *heading;
    ImportTarget target;
    int column;
};

class CsvImportHeading : public testing::TestWithParam<HeadingCase>
{ };

TEST_P(CsvImportHeading, NamesItsGridColumn)
{
    EXPECT_EQ(MatchHeading(GetParam().heading, GetParam().target), GetParam().column)
        << GetParam().heading;
}

INSTANTIATE_TEST_SUITE_P(UsualNames, CsvImportHeading,
    testing::Values(HeadingCase {"temp.", F, 1},
        HeadingCase {"Temperature [\xC2\xB0"
                     "C]",
            F, 1},
        HeadingCase {"T", F, 1}, HeadingCase {"Temp C", F, 1},
        HeadingCase {"Water flow (m3/d)", F, 2}, HeadingCase {"Q", F, 2},
        HeadingCase {"Inflow", F, 2}, HeadingCase {"Flow m3/d", F, 2},
        HeadingCase {"BOD5 in", F, 3}, HeadingCase {"BSB5 Zulauf", F, 3},
        HeadingCase {"NO3-N", F, 4}, HeadingCase {"NH4-N mg/l", F, 5}, HeadingCase {"TP", F, 6},
        HeadingCase {"Total phosphorus", F, 6}, HeadingCase {"Org. Nit.", F, 7},
        HeadingCase {"Organic N", F, 7}, HeadingCase {"POM %", F, 8}, HeadingCase {"PON", F, 9},
        HeadingCase {"POP %", F, 10}, HeadingCase {"RTB (days)", F, 11},
        // Not forcing data: outflows, total nitrogen, removal, unknown words.
        HeadingCase {"BOD5 out", F, 0}, HeadingCase {"TN", F, 0},
        HeadingCase {"eff. BOD5 rem", F, 0}, HeadingCase {"Battery (V)", F, 0},
        HeadingCase {"", F, 0}, HeadingCase {"(mg/L)", F, 0}, HeadingCase {"BOD5 out (mg/L)", O, 1},
        HeadingCase {"BOD", O, 1}, HeadingCase {"BOD5 effluent", O, 1},
        HeadingCase {"nit. out", O, 2}, HeadingCase {"amm. out", O, 3}, HeadingCase {"NH4-N", O, 3},
        HeadingCase {"total P. out", O, 4}, HeadingCase {"org. N. out", O, 5},
        HeadingCase {"eff. BOD5 rem (%)", O, 6}, HeadingCase {"eff. nit. rem", O, 7},
        HeadingCase {"eff. amm rem", O, 8}, HeadingCase {"eff. P. rem", O, 9},
        HeadingCase {"eff. o.n. rem", O, 10}, HeadingCase {"eff. t.n. rem", O, 11},
        HeadingCase {"TN removal", O, 11}, HeadingCase {"BOD5 removal efficiency", O, 6},
        HeadingCase {"TN", O, 0}, HeadingCase {"temp.", O, 0}, HeadingCase {"BOD5 in", O, 0}));

TEST(CsvImport, OwnExportHeadingsAreRecognised)
{
    const std::vector<std::string> forcing = ForcingCsvHeadings();
    const std::vector<std::string> series = SeriesCsvHeadings();
    ASSERT_EQ(forcing.size(), 12u);
    ASSERT_EQ(series.size(), 12u);
    for (int c = 1; c <= kImportColumns; ++c) {
        EXPECT_EQ(MatchHeading(forcing[static_cast<std::size_t>(c)], F), c) << forcing[c];
        EXPECT_EQ(MatchHeading(series[static_cast<std::size_t>(c)], O), c) << series[c];
        // The grid's own headings too.
        EXPECT_EQ(MatchHeading(ImportColumnName(F, c), F), c);
        EXPECT_EQ(MatchHeading(ImportColumnName(O, c), O), c);
    }
    EXPECT_EQ(DayHeadingKind(forcing[0]), DayColumn::DayNumbers);
}

TEST(CsvImport, DayHeadings)
{
    EXPECT_EQ(DayHeadingKind("Day"), DayColumn::DayNumbers);
    EXPECT_EQ(DayHeadingKind("Tag"), DayColumn::DayNumbers);
    EXPECT_EQ(DayHeadingKind("Date"), DayColumn::Dates);
    EXPECT_EQ(DayHeadingKind("Datum/Zeit"), DayColumn::None);
    EXPECT_EQ(DayHeadingKind("Date/Time"), DayColumn::Dates);
    EXPECT_EQ(DayHeadingKind("temp."), DayColumn::None);
}

// ---------------------------------------------------------------------------------------------
// Dates

struct DateCase
{
    const char *text;
    bool monthFirst;
    std::optional<std::int64_t> days; ///< since 1970-01-01
};

class CsvImportDate : public testing::TestWithParam<DateCase>
{ };

TEST_P(CsvImportDate, ReadsTheDay)
{
    EXPECT_EQ(ParseDate(GetParam().text, GetParam().monthFirst), GetParam().days)
        << GetParam().text;
}

// 2000-03-01 is 30 years of 365 days, 7 leap days (1972 to 1996), 31 + 29 days after 1970-01-01.
INSTANTIATE_TEST_SUITE_P(Formats, CsvImportDate,
    testing::Values(DateCase {"1970-01-01", false, 0}, DateCase {"2000-03-01", false, 11017},
        DateCase {"2000-3-1", false, 11017}, DateCase {"2000/03/01", false, 11017},
        DateCase {"01.03.2000", false, 11017}, DateCase {"1.3.2000", true, 11017},
        DateCase {"01/03/2000", false, 11017}, DateCase {"03/01/2000", true, 11017},
        DateCase {"01-03-2000", false, 11017}, DateCase {"2000-03-01 08:30", false, 11017},
        DateCase {"2000-03-01T08:30:00", false, 11017}, DateCase {"29.02.2000", false, 11016},
        DateCase {"31.12.1999", false, 10956}, DateCase {"29.02.1900", false, std::nullopt},
        DateCase {"29.02.2023", false, std::nullopt}, DateCase {"31/04/2024", false, std::nullopt},
        DateCase {"13/02/2024", true, std::nullopt}, DateCase {"00.01.2024", false, std::nullopt},
        DateCase {"01.13.2024", false, std::nullopt}, DateCase {"2024-01-05x", false, std::nullopt},
        DateCase {"2024-01-05 ", false, std::nullopt}, DateCase {"24-01-05", false, std::nullopt},
        DateCase {"001.03.2000", false, std::nullopt}, DateCase {"2024.01.05", false, std::nullopt},
        DateCase {"0999-01-01", false, std::nullopt}, DateCase {"1.5", false, std::nullopt},
        DateCase {"", false, std::nullopt}, DateCase {"2024-01", false, std::nullopt}));

TEST(CsvImport, EveryMonthHasItsDays)
{
    // The last day of each month is a date, the day after it none; February by the leap rule.
    const int last[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        for (const int year : {2023, 2024}) {
            const int days = last[month - 1] + (month == 2 && year == 2024 ? 1 : 0);
            const auto date = [&](int day) {
                return std::to_string(day) + '.' + std::to_string(month) + '.'
                    + std::to_string(year);
            };
            EXPECT_TRUE(ParseDate(date(days), false)) << date(days);
            EXPECT_FALSE(ParseDate(date(days + 1), false)) << date(days + 1);
        }
    }
    EXPECT_TRUE(ParseDate("29.02.2000", false)); // every 400 years
    EXPECT_EQ(*ParseDate("01.03.2024", false) - *ParseDate("28.02.2024", false), 2);
    EXPECT_EQ(*ParseDate("01.01.2024", false) - *ParseDate("01.01.2023", false), 365);
}

// ---------------------------------------------------------------------------------------------
// Guessing the settings

ImportSettings Settings(char delimiter, DecimalMark mark, int skip, bool heading, DayColumn days,
    std::vector<int> columns)
{
    ImportSettings settings;
    settings.delimiter = delimiter;
    settings.decimalMark = mark;
    settings.skipRows = skip;
    settings.heading = heading;
    settings.dayColumn = days;
    settings.columns = std::move(columns);
    return settings;
}

struct DetectCase
{
    const char *name;
    std::string text;
    ImportTarget target;
    ImportSettings settings;
};

class CsvImportDetect : public testing::TestWithParam<DetectCase>
{ };

TEST_P(CsvImportDetect, FindsTheSettings)
{
    const ImportSettings found = DetectImport(GetParam().text, GetParam().target);
    const ImportSettings &want = GetParam().settings;
    EXPECT_EQ(found.delimiter, want.delimiter);
    EXPECT_EQ(found.decimalMark, want.decimalMark);
    EXPECT_EQ(found.skipRows, want.skipRows);
    EXPECT_EQ(found.heading, want.heading);
    EXPECT_EQ(found.dayColumn, want.dayColumn);
    EXPECT_EQ(found.firstDay, 1);
    EXPECT_EQ(found.columns, want.columns);
}

constexpr auto P = DecimalMark::Point;
constexpr auto C = DecimalMark::Comma;

INSTANTIATE_TEST_SUITE_P(Files, CsvImportDetect,
    testing::Values(
        DetectCase {"own_export",
            "Day,temp. (deg C),water flow (m3/d),BOD5 (mg/L),Nitrate (mg/L),Ammonium (mg/L),"
            "total P. (mg/L),Org. Nit. (mg/L),POM %,PON %,POP %,RTB (days)\n"
            "1,12.5,38.4,137.7,3.1,29.7,3.8,20.9,7.7,10.1,32.9,1.3\n"
            "2,12,38.4,153.3,2.6,32,3.25,21,7.1,11.8,36.1,1.3\n",
            F,
            Settings(
                ',', P, 0, true, DayColumn::DayNumbers, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})},
        DetectCase {"logger_with_preamble",
            "Logger WL-7;S/N 4411\nExport;2024-03-01\n"
            "Datum;Temp (\xC2\xB0"
            "C);Durchfluss (m3/d);BSB5 (mg/l)\n"
            "01.01.2024;4,5;38,25;140\n02.01.2024;4,1;37;\n03.01.2024;3,9;36,5;151,5\n",
            F, Settings(';', C, 2, true, DayColumn::Dates, {0, 1, 2, 3})},
        DetectCase {"tabs_without_heading", "1\t5.5\t30\n2\t6\t31.5\n3\t6.5\t29\n", F,
            Settings('\t', P, 0, false, DayColumn::DayNumbers, {0, 1, 2})},
        DetectCase {"month_first_dates",
            "Date,BOD5 out\n01/12/2024,20\n01/13/2024,21\n01/14/2024,19\n", O,
            Settings(',', P, 0, true, DayColumn::DatesMonthFirst, {0, 1})},
        DetectCase {"ambiguous_dates_read_as_a_run_of_days",
            "Date,BOD5 out\n01/02/2024,20\n01/03/2024,21\n01/04/2024,19\n", O,
            Settings(',', P, 0, true, DayColumn::DatesMonthFirst, {0, 1})},
        DetectCase {"day_first_by_default", "Date;amm. out\n05.01.2024;1,5\n12.01.2024;1,25\n", O,
            Settings(';', C, 0, true, DayColumn::Dates, {0, 3})},
        // Dates that read only one way, without a heading line and under a heading that names
        // no day column: the dates alone say what the column holds and in which order.
        DetectCase {"only_day_first_dates_without_headings", "25/12/2023,20\n26/12/2023,21\n", O,
            Settings(',', P, 0, false, DayColumn::Dates, {0, 1})},
        DetectCase {"only_month_first_dates_without_headings", "12/25/2023,20\n12/26/2023,21\n",
            O, Settings(',', P, 0, false, DayColumn::DatesMonthFirst, {0, 1})},
        DetectCase {"only_day_first_dates_under_another_heading",
            "Sampled,BOD5 out\n13-01-2024,20\n14-01-2024,21\n", O,
            Settings(',', P, 0, true, DayColumn::Dates, {0, 1})},
        DetectCase {"only_month_first_dates_under_another_heading",
            "Sampled,BOD5 out\n01-13-2024,20\n01-14-2024,21\n", O,
            Settings(',', P, 0, true, DayColumn::DatesMonthFirst, {0, 1})},
        DetectCase {"no_day_column", "temp,flow\n5,10\n6,12\n", F,
            Settings(',', P, 0, true, DayColumn::None, {1, 2})},
        DetectCase {"one_column", "5\n6\n7\n", F, Settings(',', P, 0, false, DayColumn::None, {1})},
        DetectCase {"first_come_first_served", "Day,BOD,BOD5\n1,2,3\n", F,
            Settings(',', P, 0, true, DayColumn::DayNumbers, {0, 3, 0})},
        DetectCase {"semicolon_with_points", "Day;temp\n1;5.5\n2;6.25\n", F,
            Settings(';', P, 0, true, DayColumn::DayNumbers, {0, 1})},
        DetectCase {"trailing_delimiters", "Day;temp;\n1;5,5;\n2;6;\n", F,
            Settings(';', C, 0, true, DayColumn::DayNumbers, {0, 1})},
        DetectCase {"rising_first_column_named_as_data", "temp,flow\n1,10\n2,12\n", F,
            Settings(',', P, 0, true, DayColumn::None, {1, 2})}),
    [](const testing::TestParamInfo<DetectCase> &info) { return std::string(info.param.name); });

TEST(CsvImport, DetectRefusesAFileWithoutRecords)
{
    EXPECT_THROW(DetectImport("\n\n ;; \n", F), Error);
    EXPECT_THROW(DetectImport("a,\"b\nc", F), Error);
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST(CsvImport, ReadsDayNumbersAndEmptyCells)
{
    const ImportedTable table = ReadImport("Day;x;temp\n3;a;1,5\n1;b;\n",
        Settings(';', C, 0, true, DayColumn::DayNumbers, {0, 0, 1}), F);
    EXPECT_EQ(table.columns, std::vector<int> {1});
    EXPECT_EQ(table.days, (std::vector<std::int32_t> {3, 1}));
    EXPECT_EQ(table.values, (std::vector<double> {1.5, 0.0001}));
    EXPECT_EQ(table.lastDay, 3);
}

TEST(CsvImport, ReadsSignsExponentsAndBareFractionsWithEitherMark)
{
    const ImportedTable point = ReadImport("Day,temp,flow\n1,+1.5,-.5\n2,2e1,+.25\n",
        Settings(',', P, 0, true, DayColumn::DayNumbers, {0, 1, 2}), F);
    EXPECT_EQ(point.values, (std::vector<double> {1.5, -0.5, 20, 0.25}));
    const ImportedTable comma = ReadImport("Day;temp;flow\n1;+1,5;-,5\n",
        Settings(';', C, 0, true, DayColumn::DayNumbers, {0, 1, 2}), F);
    EXPECT_EQ(comma.values, (std::vector<double> {1.5, -0.5}));
}

TEST(CsvImport, DatesCountFromTheEarliestAtTheFirstDay)
{
    ImportSettings settings = Settings(',', P, 0, true, DayColumn::Dates, {0, 2, 1});
    const std::string text = "Date,flow,temp\n03.01.2024,30,5\n2023-12-31,31,6\n29/02/2024,32,7\n";
    ImportedTable table = ReadImport(text, settings, F);
    EXPECT_EQ(table.days, (std::vector<std::int32_t> {4, 1, 61}));
    EXPECT_EQ(table.columns, (std::vector<int> {2, 1}));
    EXPECT_EQ(table.value(2, 0), 32);
    EXPECT_EQ(table.value(2, 1), 7);
    settings.firstDay = 10;
    table = ReadImport(text, settings, F);
    EXPECT_EQ(table.days, (std::vector<std::int32_t> {13, 10, 70}));
    EXPECT_EQ(table.lastDay, 70);
}

TEST(CsvImport, RowsWithoutDaysFollowEachOther)
{
    ImportSettings settings = Settings(',', P, 1, false, DayColumn::None, {0, 4});
    settings.firstDay = 5;
    const ImportedTable table = ReadImport("skip me\n1,2\n3,4e-1\n", settings, F);
    EXPECT_EQ(table.days, (std::vector<std::int32_t> {5, 6}));
    EXPECT_EQ(table.values, (std::vector<double> {2, 0.4}));
}

TEST(CsvImport, LongestSimulationBoundary)
{
    const ImportSettings settings = Settings(',', P, 0, false, DayColumn::DayNumbers, {0, 1});
    EXPECT_EQ(ReadImport("300000,1\n", settings, F).lastDay, kMaxDays);
    EXPECT_EQ(ErrorOf("300001,1\n", settings),
        "Line 1, column 1: day 300001 lies past the longest simulation the program takes "
        "(300000 days).");
    ImportSettings rows = Settings(',', P, 0, false, DayColumn::None, {1});
    rows.firstDay = kMaxDays;
    EXPECT_EQ(ReadImport("1\n", rows, F).lastDay, kMaxDays);
    EXPECT_EQ(ErrorOf("1\n2\n", rows),
        "Line 2 would go to day 300001, past the longest simulation the program takes (300000 "
        "days).");
}

struct RefusalCase
{
    const char *name;
    std::string text;
    ImportSettings settings;
    std::string message;
};

class CsvImportRefusal : public testing::TestWithParam<RefusalCase>
{ };

TEST_P(CsvImportRefusal, NamesWhatIsWrong)
{
    EXPECT_EQ(ErrorOf(GetParam().text, GetParam().settings), GetParam().message);
}

const ImportSettings kDayTemp = Settings(',', P, 0, true, DayColumn::DayNumbers, {0, 1, 2});

INSTANTIATE_TEST_SUITE_P(Files, CsvImportRefusal,
    testing::Values(RefusalCase {"not_a_number", "Day,temp,flow\n1,5,6\n2,abc,7\n", kDayTemp,
                        "Line 3, column 2 (temp): 'abc' is not a number."},
        RefusalCase {"comma_under_point", "Day;temp;flow\n1;5,5;6\n",
            Settings(';', P, 0, true, DayColumn::DayNumbers, {0, 1, 2}),
            "Line 2, column 2 (temp): '5,5' is not a number (the decimal mark is set to the "
            "point)."},
        RefusalCase {"thousands_under_comma", "Day;temp;flow\n1;1.234,5;6\n",
            Settings(';', C, 0, true, DayColumn::DayNumbers, {0, 1, 2}),
            "Line 2, column 2 (temp): '1.234,5' is not a number."},
        RefusalCase {"point_under_comma", "Day;temp;flow\n1;1.5;6\n",
            Settings(';', C, 0, true, DayColumn::DayNumbers, {0, 1, 2}),
            "Line 2, column 2 (temp): '1.5' is not a number (the decimal mark is set to the "
            "comma)."},
        // The import reads numbers as the grid does: one sign, and no "inf" or "nan".
        RefusalCase {"two_signs", "Day,temp,flow\n1,+-5,6\n", kDayTemp,
            "Line 2, column 2 (temp): '+-5' is not a number."},
        RefusalCase {"two_signs_comma", "Day;temp;flow\n1;+-5,5;6\n",
            Settings(';', C, 0, true, DayColumn::DayNumbers, {0, 1, 2}),
            "Line 2, column 2 (temp): '+-5,5' is not a number."},
        RefusalCase {"infinity", "Day,temp,flow\n1,inf,6\n", kDayTemp,
            "Line 2, column 2 (temp): 'inf' is not a number."},
        RefusalCase {"too_few_fields", "Day,temp,flow\n1,5,6\n\n2,5\n", kDayTemp,
            "Line 4, column 3 (flow): the line ends after 2 fields; it needs 3."},
        RefusalCase {"empty", "", kDayTemp, "The file holds no data: it has no line with a value."},
        RefusalCase {"heading_only", "Day,temp,flow\n", kDayTemp,
            "The file holds a heading line but no data below it."},
        RefusalCase {"skipped_everything", "a\nb\n",
            Settings(',', P, 2, false, DayColumn::None, {1}),
            "The file holds no data after the 2 rows to skip at the top."},
        RefusalCase {"day_zero", "Day,temp,flow\n0,5,6\n", kDayTemp,
            "Line 2, column 1 (Day): '0' is not a day number (a whole number from 1)."},
        RefusalCase {"day_fraction", "Day,temp,flow\n1.5,5,6\n", kDayTemp,
            "Line 2, column 1 (Day): '1.5' is not a day number (a whole number from 1)."},
        RefusalCase {"day_twice", "Day,temp,flow\n2,5,6\n1,5,6\n2,5,6\n", kDayTemp,
            "Line 4, column 1 (Day): day 2 comes a second time (line 2 holds it too); each day "
            "may appear once."},
        RefusalCase {"hourly_dates", "Date,temp\n2024-01-01 00:00,5\n2024-01-01 01:00,6\n",
            Settings(',', P, 0, true, DayColumn::Dates, {0, 1}),
            "Line 3, column 1 (Date): day 1 comes a second time (line 2 holds it too); each "
            "day may appear once."},
        RefusalCase {"bad_date", "Date,temp\n31.02.2024,5\n",
            Settings(',', P, 0, true, DayColumn::Dates, {0, 1}),
            "Line 2, column 1 (Date): '31.02.2024' is not a date (dd.mm.yyyy, yyyy-mm-dd or "
            "dd/mm/yyyy)."},
        RefusalCase {"bad_us_date", "Date,temp\n13/02/2024,5\n",
            Settings(',', P, 0, true, DayColumn::DatesMonthFirst, {0, 1}),
            "Line 2, column 1 (Date): '13/02/2024' is not a date (mm/dd/yyyy, yyyy-mm-dd)."},
        RefusalCase {"nothing_chosen", "Day,temp\n1,5\n",
            Settings(',', P, 0, true, DayColumn::DayNumbers, {1, 0}),
            "No column of the file is chosen for import."},
        RefusalCase {"chosen_twice", "a,b,c\n1,2,3\n",
            Settings(',', P, 0, true, DayColumn::None, {3, 0, 3}),
            "Columns 1 and 3 of the file both go to \"BOD5\"; choose one of them or skip the "
            "other."},
        RefusalCase {"no_such_grid_column", "a\n1\n",
            Settings(',', P, 0, true, DayColumn::None, {12}),
            "Column 1 of the file goes to no column of the grid (12)."},
        RefusalCase {"comma_twice", "a\n1\n", Settings(',', C, 0, true, DayColumn::None, {1}),
            "The decimal mark cannot be the comma while the comma separates the columns."},
        RefusalCase {"odd_delimiter", "a\n1\n", Settings('|', P, 0, true, DayColumn::None, {1}),
            "The columns must be separated by a comma, a semicolon or a tab."},
        RefusalCase {"quote_error", "Day,temp,flow\n1,5\"\",6\n", kDayTemp,
            "Line 2, column 2: a quotation mark is out of place in '1,5\\\"\\\",6\\n'. A field "
            "that holds quotation marks must be enclosed in them, with each mark inside "
            "doubled."}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST(CsvImport, MessagesQuoteAtMostFortyCharacters)
{
    const std::string cell(60, 'x');
    const std::string message = ErrorOf("Day,temp,flow\n1," + cell + ",2\n", kDayTemp);
    EXPECT_NE(message.find("'" + std::string(40, 'x') + "...'"), std::string::npos) << message;
}

TEST(CsvImport, HeadingsOfTheFile)
{
    const std::string text = "x\nDay,,flow\n1,2,3,4\n";
    ImportSettings settings = Settings(',', P, 1, true, DayColumn::DayNumbers, {0, 0, 2});
    EXPECT_EQ(ImportHeadings(text, settings),
        (std::vector<std::string> {"Day", "Column 2", "flow", "Column 4"}));
    settings.heading = false;
    EXPECT_EQ(ImportHeadings(text, settings)[0], "Column 1");
}

TEST(CsvImport, BatchImportsNeedKnownHeadings)
{
    const auto refusal = [](const std::string &text, ImportTarget target) {
        try {
            RequireKnownHeadings(text, DetectImport(text, target), target);
        } catch (const Error &e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(refusal("Day,temp.,BOD5\n1,2,3\n", F), "no error");
    EXPECT_EQ(refusal("1,2,3\n2,3,4\n", F),
        "The first line must name the columns (a heading line such as \"Day,temp.,water "
        "flow,BOD5\"); this file starts with numbers.");
    EXPECT_EQ(refusal("Day,temp.,Battery (V)\n1,2,3\n", F),
        "Column 3 ('Battery (V)', line 1) matches no forcing data column; 'carexa-sim --help' "
        "lists the headings known (the window's import dialog lets you choose the column).");
    EXPECT_EQ(refusal("Day,BOD5 out," + std::string(500, 'x') + "\n1,2,3\n", O),
        "Column 3 ('" + std::string(40, 'x')
            + "...', line 1) matches no observed values column; "
              "'carexa-sim --help' lists the headings known (the window's import dialog lets you "
              "choose the column).");
    EXPECT_EQ(refusal("Day,BOD5 out,BOD\n1,2,3\n", O),
        "Column 3 ('BOD', line 1) names \"BOD5 out\" a second time.");
    EXPECT_EQ(refusal("Day,,BOD\n1,2,3\n", O),
        "Column 2 ('', line 1) has no heading; every column must name its observed values "
        "column.");
}

} // namespace

namespace {

TEST(CsvImport, SuggestedColumnsFollowTheOtherSettings)
{
    const std::string text = "Day;BOD5 out;NH4-N;x\n1;2;3;4\n";
    ImportSettings settings = DetectImport(text, O);
    EXPECT_EQ(SuggestColumns(text, settings, O), (std::vector<int> {0, 1, 3, 0}));
    settings.heading = false; // in order then, after the day column
    EXPECT_EQ(SuggestColumns(text, settings, O), (std::vector<int> {0, 1, 2, 3}));
    settings.dayColumn = DayColumn::None;
    EXPECT_EQ(SuggestColumns(text, settings, O), (std::vector<int> {1, 2, 3, 4}));
    settings.delimiter = ',';
    EXPECT_EQ(SuggestColumns(text, settings, O), (std::vector<int> {1}));
}

} // namespace
