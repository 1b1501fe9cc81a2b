#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// The grid a file is imported into: the forcing grid (`InfluenceGrid`, columns 1 to 11 from
/// "temp." to "RTB") or the observed values grid (`ObservedGrid`, the eleven series).
enum class ImportTarget { Forcing, Observed };

inline constexpr int kImportColumns = 11; ///< grid columns 1 to 11 of either grid
inline constexpr int kSkipColumn = 0; ///< a file column that is not imported

/// The heading of a grid column (1 to 11) as the grid shows it ("temp.", "BOD5 out").
std::string_view ImportColumnName(ImportTarget target, int column);

enum class DecimalMark { Point, Comma };

/// What the first column of the file holds. Dates are read as yyyy-mm-dd (or yyyy/mm/dd),
/// dd.mm.yyyy, and with slashes or dashes as dd/mm/yyyy (Dates) or mm/dd/yyyy (DatesMonthFirst);
/// a time of day after a space or "T" is ignored.
enum class DayColumn {
    None, ///< no day column: the rows go to consecutive days in file order
    DayNumbers, ///< whole day numbers from 1
    Dates, ///< calendar dates, day before month where the order is not fixed
    DatesMonthFirst, ///< calendar dates, month before day where the order is not fixed
};

/// How a file is read: the choices the import dialog shows and the user may change.
struct ImportSettings
{
    char delimiter = ','; ///< ',', ';' or '\t'
    DecimalMark decimalMark = DecimalMark::Point;
    int skipRows = 0; ///< records before the heading (or the data), such as a logger's preamble
    bool heading = true; ///< the first record read holds the column headings
    DayColumn dayColumn = DayColumn::None; ///< the role of file column 1
    /// The day of the first row (no day column) or of the earliest date; day numbers are taken
    /// as they stand.
    std::int32_t firstDay = 1;
    /// Per file column (from the first): the grid column 1 to 11 it goes to, or kSkipColumn.
    /// The entry of a day column is not used; file columns past the end are skipped.
    std::vector<int> columns;

    friend bool operator==(const ImportSettings &, const ImportSettings &) = default;
};

/// The grid column that a file heading names, or kSkipColumn. Case, punctuation, a unit in
/// parentheses or brackets, trailing unit words and the words for the target's own direction
/// ("in", "influent" for forcing data; "out", "effluent" for observed values) do not matter;
/// besides the grid's own headings the usual names are known: "Temperature", "Flow", "Q",
/// "BOD", "NO3-N", "NH4-N", "TP", "Organic N", ... and for observed values the removal
/// efficiencies ("BOD5 removal", "eff. TN").
int MatchHeading(std::string_view heading, ImportTarget target);

/// What a heading says about a day column: DayNumbers ("Day", "Tag"), Dates ("Date", "Datum",
/// "Timestamp") or None.
DayColumn DayHeadingKind(std::string_view heading);

/// A calendar date as days since 1970-01-01, or nothing when the text is no date in the formats
/// of DayColumn (month before day in slashed and dashed dates when `monthFirst`).
std::optional<std::int64_t> ParseDate(std::string_view text, bool monthFirst);

/// Guesses the settings of a file from its first records: the delimiter (tab, semicolon or
/// comma, whichever splits the records into the same number of fields), the decimal mark, the
/// records to skip, whether the first record holds headings, the day column, and each column's
/// grid column by its heading (or by position when there are no headings). Throws Error when the
/// text holds no record, or cannot be read with any delimiter (naming the line).
ImportSettings DetectImport(std::string_view text, ImportTarget target);

/// Each file column's grid column under the other settings (delimiter, rows to skip, heading,
/// day column): matched by heading, or in order when the file has no headings; a grid column
/// named twice goes to the first file column that names it. Throws Error as ParseCsv does.
std::vector<int> SuggestColumns(
    std::string_view text, const ImportSettings &settings, ImportTarget target);

/// The numbers of an import: for each imported row its day and one value per chosen column. An
/// empty cell reads as 0.0001, the program's "no value".
struct ImportedTable
{
    ImportTarget target = ImportTarget::Forcing;
    std::vector<int> columns; ///< the grid columns filled, in file order
    std::vector<std::int32_t> days; ///< the day of each row (1-based, each at most once)
    std::vector<double> values; ///< days.size() x columns.size(), row by row
    std::int32_t lastDay = 0; ///< the largest day

    double value(std::size_t row, std::size_t column) const
    {
        return values[row * columns.size() + column];
    }
};

/// Reads the whole file with `settings`. Throws Error, naming the line and column, for a record
/// with too few fields, a cell that is no number, a day number or date that cannot be read, a day
/// that comes twice or lies past the longest simulation the program takes; and for a file with no
/// data rows, settings that choose no column or one grid column twice, or a decimal mark that is
/// also the delimiter.
ImportedTable ReadImport(
    std::string_view text, const ImportSettings &settings, ImportTarget target);

/// The file's headings under `settings` (the heading record's fields, or "Column 1", ...), one
/// per file column of the first records read.
std::vector<std::string> ImportHeadings(std::string_view text, const ImportSettings &settings);

/// For files read without a dialog: throws Error unless the settings found a heading record and
/// every column (but a day column) matches a grid column by its heading. The refusal names the
/// column by its number, heading and line, and points to `carexa-sim --help` (or the window's
/// import dialog) for the headings known rather than listing them.
void RequireKnownHeadings(
    std::string_view text, const ImportSettings &settings, ImportTarget target);

} // namespace carexa
