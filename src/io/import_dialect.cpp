// Guessing how a file is written: its delimiter, a preamble, a heading line, a day or date
// column and its order, the decimal mark, and which grid column each file column fills.

#include "io/import_detail.h"
#include "model/error.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

namespace carexa {

using namespace import_detail;

// Guessing the settings

namespace {

struct Candidate
{
    char delimiter;
    CsvTable table;
    std::size_t fields = 0; ///< the most common number of used fields
    bool consistent = false;
};

Candidate Examine(char delimiter, CsvTable table)
{
    Candidate candidate {delimiter, std::move(table)};
    std::map<std::size_t, std::size_t> counts;
    for (std::size_t r = 0; r < candidate.table.rowCount(); ++r)
        ++counts[UsedFields(candidate.table, r)];
    std::size_t best = 0;
    for (const auto &[fields, rows] : counts) {
        if (rows >= best) {
            best = rows;
            candidate.fields = fields;
        }
    }
    candidate.consistent = candidate.fields >= 2 && 2 * best >= candidate.table.rowCount();
    return candidate;
}

// Which order of slashed dates reads the column as the closer run of days.
DayColumn DateOrder(const std::vector<std::string_view> &values)
{
    const auto spread = [&values](bool monthFirst) -> std::optional<std::int64_t> {
        std::int64_t total = 0;
        std::optional<std::int64_t> previous;
        for (std::string_view value : values) {
            const auto date = ParseDate(value, monthFirst);
            if (!date)
                return std::nullopt;
            if (previous)
                total += std::llabs(*date - *previous);
            previous = date;
        }
        return total;
    };
    const auto dayFirst = spread(false);
    const auto monthFirst = spread(true);
    if (monthFirst && (!dayFirst || *monthFirst < *dayFirst))
        return DayColumn::DatesMonthFirst;
    return DayColumn::Dates;
}

bool AllDates(const std::vector<std::string_view> &values)
{
    return !values.empty() && std::all_of(values.begin(), values.end(), [](std::string_view v) {
        return ParseDate(v, false) || ParseDate(v, true);
    });
}

bool RisingDayNumbers(const std::vector<std::string_view> &values)
{
    if (values.size() < 2)
        return false;
    std::int64_t previous = 0;
    for (std::string_view value : values) {
        const std::int64_t day = ParseDayNumber(value);
        if (day == 0 || day <= previous)
            return false;
        previous = day;
    }
    return true;
}

// Each file column's grid column: by its heading, or in order when there are none.
std::vector<int> ColumnsFrom(
    const CsvTable &table, std::size_t skip, bool heading, bool hasDays, ImportTarget target)
{
    std::size_t columns = 0;
    for (std::size_t r = skip; r < table.rowCount(); ++r)
        columns = std::max(columns, UsedFields(table, r));
    std::vector<int> chosen(columns, kSkipColumn);
    std::set<int> used;
    int next = 1;
    for (std::size_t c = hasDays ? 1 : 0; c < columns; ++c) {
        int column = kSkipColumn;
        if (heading)
            column = MatchHeading(table.field(skip, c), target);
        else if (next <= kImportColumns)
            column = next++;
        if (column != kSkipColumn && used.insert(column).second)
            chosen[c] = column;
    }
    return chosen;
}

} // namespace

std::vector<int> SuggestColumns(
    std::string_view text, const ImportSettings &settings, ImportTarget target)
{
    const auto skip = static_cast<std::size_t>(std::max(settings.skipRows, 0));
    const CsvTable table = ParseCsv(text, settings.delimiter, skip + kSampleRows);
    return ColumnsFrom(
        table, skip, settings.heading, settings.dayColumn != DayColumn::None, target);
}

ImportSettings DetectImport(std::string_view text, ImportTarget target)
{
    std::optional<Candidate> chosen;
    std::optional<Candidate> fallback;
    std::optional<Error> commaError;
    for (const char delimiter : {'\t', ';', ','}) {
        // A delimiter that leaves quotation marks out of place is not the file's.
        std::optional<CsvTable> table;
        try {
            table = ParseCsv(text, delimiter, kSampleRows);
        } catch (const Error &e) {
            if (delimiter == ',')
                commaError = e;
            continue;
        }
        if (table->rowCount() == 0)
            throw Error("The file holds no data: it has no line with a value.");
        Candidate candidate = Examine(delimiter, std::move(*table));
        if (candidate.consistent) {
            chosen = std::move(candidate);
            break;
        }
        if (delimiter == ',' || !fallback)
            fallback = std::move(candidate);
    }
    if (!chosen)
        chosen = std::move(fallback);
    if (!chosen)
        throw *commaError;

    const CsvTable &table = chosen->table;
    ImportSettings settings;
    settings.delimiter = chosen->delimiter;

    // A preamble (a logger's name and serial number) has fewer fields than the table below it.
    std::size_t skip = 0;
    while (skip + 1 < table.rowCount() && chosen->fields >= 2
        && UsedFields(table, skip) < chosen->fields)
        ++skip;
    settings.skipRows = static_cast<int>(skip);

    settings.heading = false;
    for (std::size_t c = 0; c < table.fieldCount(skip); ++c) {
        const std::string_view field = table.field(skip, c);
        if (!field.empty() && !IsNumber(field) && !ParseDate(field, false)
            && !ParseDate(field, true))
            settings.heading = true;
    }
    const std::size_t firstData = skip + (settings.heading ? 1 : 0);
    const std::string_view firstHeading = settings.heading ? table.field(skip, 0) : "";

    std::size_t columns = 0;
    for (std::size_t r = skip; r < table.rowCount(); ++r)
        columns = std::max(columns, UsedFields(table, r));

    // A first column of dates or day numbers gives the rows their days; a file of one column
    // holds values only.
    std::vector<std::string_view> dayTexts;
    for (std::size_t r = firstData; r < table.rowCount(); ++r) {
        if (!table.field(r, 0).empty())
            dayTexts.push_back(table.field(r, 0));
    }
    const DayColumn headingKind = DayHeadingKind(firstHeading);
    if (columns < 2)
        settings.dayColumn = DayColumn::None;
    else if (AllDates(dayTexts))
        settings.dayColumn = DateOrder(dayTexts);
    else if (headingKind == DayColumn::Dates && !RisingDayNumbers(dayTexts))
        settings.dayColumn = DayColumn::Dates;
    else if (headingKind == DayColumn::DayNumbers)
        settings.dayColumn = DayColumn::DayNumbers;
    else if (RisingDayNumbers(dayTexts) && MatchHeading(firstHeading, target) == kSkipColumn)
        settings.dayColumn = DayColumn::DayNumbers;
    const bool hasDays = settings.dayColumn != DayColumn::None;

    // The decimal mark the numbers use; with the comma as delimiter it can only be the point.
    if (settings.delimiter != ',') {
        std::size_t commas = 0, points = 0;
        std::string scratch;
        double value = 0;
        for (std::size_t r = firstData; r < table.rowCount(); ++r) {
            for (std::size_t c = hasDays ? 1 : 0; c < table.fieldCount(r); ++c) {
                const std::string_view field = table.field(r, c);
                if (field.find(',') != std::string_view::npos)
                    commas += ParseNumber(field, DecimalMark::Comma, scratch, value) ? 1 : 0;
                else if (field.find('.') != std::string_view::npos)
                    points += ParseNumber(field, DecimalMark::Point, scratch, value) ? 1 : 0;
            }
        }
        settings.decimalMark = commas > points ? DecimalMark::Comma : DecimalMark::Point;
    }

    settings.columns = ColumnsFrom(table, skip, settings.heading, hasDays, target);
    return settings;
}

} // namespace carexa
