// Reading a file's values by the import settings, with a message naming the line and column of
// the first cell that cannot be read.

#include "io/csv_import.h"

#include "io/csv_reader.h"
#include "io/import_detail.h"
#include "model/error.h"
#include "model/model_state.h"

#include <algorithm>
#include <map>

namespace carexa {

using namespace import_detail;

namespace {

bool ValidDelimiter(char delimiter)
{
    return delimiter == ',' || delimiter == ';' || delimiter == '\t';
}

void CheckSettings(const ImportSettings &settings, ImportTarget target)
{
    if (!ValidDelimiter(settings.delimiter))
        throw Error("The columns must be separated by a comma, a semicolon or a tab.");
    if (settings.delimiter == ',' && settings.decimalMark == DecimalMark::Comma)
        throw Error("The decimal mark cannot be the comma while the comma separates the columns.");
    if (settings.skipRows < 0)
        throw Error("The number of rows to skip cannot be negative.");
    if (settings.firstDay < 1 || settings.firstDay > kMaxDays)
        throw Error("The first day must be from 1 to " + std::to_string(kMaxDays) + ".");
    const bool hasDays = settings.dayColumn != DayColumn::None;
    std::map<int, std::size_t> fileColumnOf;
    for (std::size_t c = hasDays ? 1 : 0; c < settings.columns.size(); ++c) {
        const int column = settings.columns[c];
        if (column == kSkipColumn)
            continue;
        if (column < 1 || column > kImportColumns)
            throw Error("Column " + std::to_string(c + 1) + " of the file goes to no column of "
                + "the grid (" + std::to_string(column) + ").");
        const auto [found, fresh] = fileColumnOf.emplace(column, c);
        if (!fresh)
            throw Error("Columns " + std::to_string(found->second + 1) + " and "
                + std::to_string(c + 1) + " of the file both go to \""
                + std::string(ImportColumnName(target, column))
                + "\"; choose one of them or skip the other.");
    }
    if (fileColumnOf.empty())
        throw Error("No column of the file is chosen for import.");
}

} // namespace

ImportedTable ReadImport(std::string_view text, const ImportSettings &settings, ImportTarget target)
{
    CheckSettings(settings, target);
    const CsvTable table = ParseCsv(text, settings.delimiter);
    const auto skip = static_cast<std::size_t>(settings.skipRows);
    const std::size_t firstData = skip + (settings.heading ? 1 : 0);
    if (table.rowCount() == 0)
        throw Error("The file holds no data: it has no line with a value.");
    if (table.rowCount() <= firstData)
        throw Error(settings.heading && table.rowCount() == firstData
                ? "The file holds a heading line but no data below it."
                : "The file holds no data after the " + std::to_string(skip)
                    + " rows to skip at the top.");

    const auto heading = [&](std::size_t column) {
        return settings.heading ? table.field(skip, column) : std::string_view();
    };
    const bool hasDays = settings.dayColumn != DayColumn::None;

    ImportedTable result;
    result.target = target;
    std::vector<std::size_t> fileColumns;
    for (std::size_t c = hasDays ? 1 : 0; c < settings.columns.size(); ++c) {
        if (settings.columns[c] != kSkipColumn) {
            fileColumns.push_back(c);
            result.columns.push_back(settings.columns[c]);
        }
    }
    const std::size_t needed = fileColumns.back() + 1;

    const std::size_t rows = table.rowCount() - firstData;
    result.values.reserve(rows * fileColumns.size());
    result.days.reserve(rows);
    std::vector<std::int64_t> dates;
    std::string scratch;
    for (std::size_t r = firstData; r < table.rowCount(); ++r) {
        const std::int64_t line = table.line(r);
        const std::size_t fields = table.fieldCount(r);
        if (fields < needed) {
            std::size_t missing = needed - 1;
            for (std::size_t c : fileColumns) {
                if (c >= fields) {
                    missing = c;
                    break;
                }
            }
            throw Error(CellLabel(line, missing, heading(missing)) + ": the line ends after "
                + std::to_string(fields) + (fields == 1 ? " field" : " fields") + "; it needs "
                + std::to_string(needed) + ".");
        }

        if (hasDays) {
            const std::string_view text0 = table.field(r, 0);
            if (settings.dayColumn == DayColumn::DayNumbers) {
                const std::int64_t day = ParseDayNumber(text0);
                if (day == 0)
                    throw Error(CellLabel(line, 0, heading(0)) + ": '" + QuotedText(text0)
                        + "' is not a day number (a whole number from 1).");
                if (day > kMaxDays)
                    throw Error(CellLabel(line, 0, heading(0)) + ": day " + std::to_string(day)
                        + " lies past the longest simulation the program takes ("
                        + std::to_string(kMaxDays) + " days).");
                result.days.push_back(static_cast<std::int32_t>(day));
            } else {
                const bool monthFirst = settings.dayColumn == DayColumn::DatesMonthFirst;
                const auto date = ParseDate(text0, monthFirst);
                if (!date)
                    throw Error(CellLabel(line, 0, heading(0)) + ": '" + QuotedText(text0)
                        + "' is not a date (" + (monthFirst ? "mm/dd/yyyy" : "dd.mm.yyyy")
                        + ", yyyy-mm-dd" + (monthFirst ? "" : " or dd/mm/yyyy") + ").");
                dates.push_back(*date);
            }
        } else {
            const std::int64_t day = settings.firstDay + static_cast<std::int64_t>(r - firstData);
            if (day > kMaxDays)
                throw Error("Line " + std::to_string(line) + " would go to day "
                    + std::to_string(day) + ", past the longest simulation the program takes ("
                    + std::to_string(kMaxDays) + " days).");
            result.days.push_back(static_cast<std::int32_t>(day));
        }

        for (std::size_t c : fileColumns) {
            const std::string_view field = table.field(r, c);
            double value = kEmptyValue;
            if (!field.empty() && !ParseNumber(field, settings.decimalMark, scratch, value)) {
                // Say which decimal mark is set when the other one would have read the cell.
                const bool comma = settings.decimalMark == DecimalMark::Comma;
                double other = 0;
                const bool otherMark = ParseNumber(
                    field, comma ? DecimalMark::Point : DecimalMark::Comma, scratch, other);
                throw Error(CellLabel(line, c, heading(c)) + ": '" + QuotedText(field)
                    + "' is not a number"
                    + (!otherMark   ? "."
                            : comma ? " (the decimal mark is set to the comma)."
                                    : " (the decimal mark is set to the point)."));
            }
            result.values.push_back(value);
        }
    }

    if (!dates.empty()) {
        const std::int64_t earliest = *std::min_element(dates.begin(), dates.end());
        for (std::size_t i = 0; i < dates.size(); ++i) {
            const std::int64_t day = dates[i] - earliest + settings.firstDay;
            if (day > kMaxDays)
                throw Error(CellLabel(table.line(firstData + i), 0, heading(0)) + ": '"
                    + QuotedText(table.field(firstData + i, 0)) + "' is day " + std::to_string(day)
                    + ", past the longest simulation the program takes (" + std::to_string(kMaxDays)
                    + " days).");
            result.days.push_back(static_cast<std::int32_t>(day));
        }
    }

    result.lastDay = *std::max_element(result.days.begin(), result.days.end());
    std::vector<std::int64_t> lineOfDay(static_cast<std::size_t>(result.lastDay) + 1, 0);
    for (std::size_t i = 0; i < result.days.size(); ++i) {
        auto &seen = lineOfDay[static_cast<std::size_t>(result.days[i])];
        const std::int64_t line = table.line(firstData + i);
        if (seen != 0)
            throw Error(CellLabel(line, 0, heading(0)) + ": day " + std::to_string(result.days[i])
                + " comes a second time (line " + std::to_string(seen)
                + " holds it too); each day may appear once.");
        seen = line;
    }
    return result;
}

std::vector<std::string> ImportHeadings(std::string_view text, const ImportSettings &settings)
{
    const auto skip = static_cast<std::size_t>(std::max(settings.skipRows, 0));
    const CsvTable table = ParseCsv(text, settings.delimiter, skip + kSampleRows);
    std::size_t columns = settings.columns.size();
    for (std::size_t r = skip; r < table.rowCount(); ++r)
        columns = std::max(columns, table.fieldCount(r));
    std::vector<std::string> headings;
    for (std::size_t c = 0; c < columns; ++c) {
        std::string_view name;
        if (settings.heading && skip < table.rowCount())
            name = table.field(skip, c);
        headings.push_back(name.empty() ? "Column " + std::to_string(c + 1) : std::string(name));
    }
    return headings;
}

void RequireKnownHeadings(
    std::string_view text, const ImportSettings &settings, ImportTarget target)
{
    const std::string what
        = target == ImportTarget::Forcing ? "forcing data column" : "observed values column";
    if (!settings.heading)
        throw Error("The first line must name the columns (a heading line such as "
            + std::string(target == ImportTarget::Forcing ? "\"Day,temp.,water flow,BOD5\""
                                                          : "\"Day,BOD5 out,nit. out\"")
            + "); this file starts with numbers.");
    const auto skip = static_cast<std::size_t>(settings.skipRows);
    const CsvTable table = ParseCsv(text, settings.delimiter, skip + 1);
    const bool hasDays = settings.dayColumn != DayColumn::None;
    for (std::size_t c = hasDays ? 1 : 0; c < settings.columns.size(); ++c) {
        if (settings.columns[c] != kSkipColumn)
            continue;
        const std::string_view heading = table.field(skip, c);
        const std::string label = "Column " + std::to_string(c + 1) + " ('" + QuotedText(heading)
            + "', line " + std::to_string(table.line(skip)) + ")";
        if (heading.empty())
            throw Error(label + " has no heading; every column must name its " + what + ".");
        const int match = MatchHeading(heading, target);
        if (match != kSkipColumn)
            throw Error(label + " names \"" + std::string(ImportColumnName(target, match))
                + "\" a second time.");
        throw Error(label + " matches no " + what
            + "; 'carexa-sim --help' lists the headings known (the window's import dialog lets "
              "you choose the column).");
    }
}

} // namespace carexa
