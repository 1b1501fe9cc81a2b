#include "io/csv_import.h"

#include "io/csv_reader.h"
#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/model_state.h"
#include "model/output_series.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

namespace carexa {

namespace {

// Records looked at to guess the settings of a file.
constexpr std::size_t kSampleRows = 200;

// ---------------------------------------------------------------------------------------------
// Headings

using Words = std::vector<std::string>;

// The words of a heading: lower-case letters and digits; everything in parentheses or brackets
// (a unit, as "BOD5 (mg/L)") and every other character only separate words.
Words SplitWords(std::string_view heading)
{
    Words words;
    std::string word;
    int depth = 0;
    for (const char raw : heading) {
        const auto c = static_cast<unsigned char>(raw);
        if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if ((c == ')' || c == ']' || c == '}') && depth > 0) {
            --depth;
        } else if (depth == 0 && c < 0x80 && std::isalnum(c)) {
            word += static_cast<char>(std::tolower(c));
            continue;
        }
        if (!word.empty())
            words.push_back(std::move(word));
        word.clear();
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

bool OneOf(const std::string &word, std::initializer_list<std::string_view> list)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

// Drops every word of `list`, unless nothing would be left.
void DropWords(Words &words, std::initializer_list<std::string_view> list)
{
    Words kept;
    for (const std::string &word : words) {
        if (!OneOf(word, list))
            kept.push_back(word);
    }
    if (!kept.empty())
        words = std::move(kept);
}

// Drops unit words at the end ("Flow m3/d", "Temp C"), leaving at least one word.
void DropTrailingUnits(Words &words)
{
    while (words.size() > 1
        && OneOf(words.back(),
            {"mg", "l", "m3", "d", "deg", "c", "degc", "degrees", "celsius", "percent", "pct",
                "days", "24h", "h", "s", "kg", "g", "m", "ppm", "per"}))
        words.pop_back();
}

std::string Join(const Words &words)
{
    std::string key;
    for (const std::string &word : words) {
        if (!key.empty())
            key += ' ';
        key += word;
    }
    return key;
}

enum class Quantity { Bod5, Nitrate, Ammonium, TotalP, OrganicN, TotalN, None };

Quantity QuantityOf(const std::string &key)
{
    static const std::map<std::string, Quantity, std::less<>> kNames {{"bod5", Quantity::Bod5},
        {"bod", Quantity::Bod5}, {"bod 5", Quantity::Bod5}, {"bsb5", Quantity::Bod5},
        {"bsb", Quantity::Bod5}, {"cbod5", Quantity::Bod5}, {"cbod", Quantity::Bod5},
        {"biochemical oxygen demand", Quantity::Bod5}, {"nitrate", Quantity::Nitrate},
        {"nit", Quantity::Nitrate}, {"no3", Quantity::Nitrate}, {"no3 n", Quantity::Nitrate},
        {"no3n", Quantity::Nitrate}, {"nitrate n", Quantity::Nitrate},
        {"nitrate nitrogen", Quantity::Nitrate}, {"nitrat", Quantity::Nitrate},
        {"ammonium", Quantity::Ammonium}, {"amm", Quantity::Ammonium}, {"nh4", Quantity::Ammonium},
        {"nh4 n", Quantity::Ammonium}, {"nh4n", Quantity::Ammonium},
        {"ammonia", Quantity::Ammonium}, {"nh3", Quantity::Ammonium}, {"nh3 n", Quantity::Ammonium},
        {"nh3n", Quantity::Ammonium}, {"ammonium n", Quantity::Ammonium},
        {"ammonium nitrogen", Quantity::Ammonium}, {"ammonia nitrogen", Quantity::Ammonium},
        {"total p", Quantity::TotalP}, {"tp", Quantity::TotalP},
        {"total phosphorus", Quantity::TotalP}, {"total phosphorous", Quantity::TotalP},
        {"total phos", Quantity::TotalP}, {"ptot", Quantity::TotalP}, {"p tot", Quantity::TotalP},
        {"tpo", Quantity::TotalP}, {"p", Quantity::TotalP}, {"phosphorus", Quantity::TotalP},
        {"phosphorous", Quantity::TotalP}, {"pges", Quantity::TotalP},
        {"gesamtphosphor", Quantity::TotalP}, {"org nit", Quantity::OrganicN},
        {"organic nitrogen", Quantity::OrganicN}, {"organic n", Quantity::OrganicN},
        {"org n", Quantity::OrganicN}, {"orgn", Quantity::OrganicN}, {"orn", Quantity::OrganicN},
        {"on", Quantity::OrganicN}, {"o n", Quantity::OrganicN}, {"norg", Quantity::OrganicN},
        {"n org", Quantity::OrganicN}, {"total n", Quantity::TotalN}, {"tn", Quantity::TotalN},
        {"t n", Quantity::TotalN}, {"total nitrogen", Quantity::TotalN}, {"ntot", Quantity::TotalN},
        {"n tot", Quantity::TotalN}, {"nges", Quantity::TotalN}};
    const auto found = kNames.find(key);
    return found == kNames.end() ? Quantity::None : found->second;
}

int ForcingColumnOf(const std::string &key)
{
    // Grid columns of the forcing grid other than the inflow concentrations.
    static const std::map<std::string, int, std::less<>> kNames {{"temp", 1}, {"temperature", 1},
        {"t", 1}, {"water temperature", 1}, {"water temp", 1}, {"temperatur", 1},
        {"wassertemperatur", 1}, {"tw", 1}, {"wt", 1}, {"water flow", 2}, {"flow", 2}, {"q", 2},
        {"discharge", 2}, {"flow rate", 2}, {"flowrate", 2}, {"inflow", 2}, {"water", 2},
        {"volume flow", 2}, {"durchfluss", 2}, {"zufluss", 2}, {"pom", 8},
        {"particulate organic matter", 8}, {"particulated organic matter", 8}, {"pon", 9},
        {"particulate organic nitrogen", 9}, {"particulated organic nitrogen", 9}, {"pop", 10},
        {"particulate organic phosphorus", 10}, {"particulate organic phosphorous", 10},
        {"particulated organic phosphorus", 10}, {"particulated organic phosphorous", 10},
        {"rtb", 11}, {"retention time per box", 11}, {"retention time pr box", 11},
        {"retention time", 11}};
    const auto found = kNames.find(key);
    return found == kNames.end() ? kSkipColumn : found->second;
}

// ---------------------------------------------------------------------------------------------
// Numbers and days

// The strict number rule of the program (an optional sign, digits with at most one full stop, an
// optional exponent), without throwing.
bool ParsePlainNumber(std::string_view text, double &value)
{
    std::string_view body = text;
    if (!body.empty() && body.front() == '+')
        body.remove_prefix(1);
    const std::string_view digits = !body.empty() && body.front() == '-' ? body.substr(1) : body;
    if (digits.empty()
        || !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.'))
        return false;
    const auto result = std::from_chars(
        body.data(), body.data() + body.size(), value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == body.data() + body.size()
        && std::isfinite(value);
}

// A number with the given decimal mark; `scratch` is reused between calls.
bool ParseNumber(std::string_view text, DecimalMark mark, std::string &scratch, double &value)
{
    if (mark == DecimalMark::Point)
        return ParsePlainNumber(text, value);
    if (text.find('.') != std::string_view::npos)
        return false;
    scratch.assign(text);
    std::replace(scratch.begin(), scratch.end(), ',', '.');
    return ParsePlainNumber(scratch, value);
}

bool IsNumber(std::string_view text)
{
    std::string scratch;
    double value = 0;
    return ParseNumber(text, DecimalMark::Point, scratch, value)
        || ParseNumber(text, DecimalMark::Comma, scratch, value);
}

// A whole day number from 1; 0 when the text is none.
std::int64_t ParseDayNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t day = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), day);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()
        || day < 1)
        return 0;
    return day;
}

bool IsLeapYear(std::int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The days of a month, or 0 for a month number that is none.
int DaysInMonth(std::int64_t year, std::int64_t month)
{
    static constexpr std::array<int, 12> kDays {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = static_cast<unsigned>((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Reads up to `most` digits at `pos`; the count read goes to `count`.
std::int64_t ReadDigits(
    std::string_view text, std::size_t &pos, std::size_t most, std::size_t &count)
{
    std::int64_t value = 0;
    count = 0;
    while (
        pos < text.size() && count < most && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return value;
}

std::string CellLabel(std::int64_t line, std::size_t column, std::string_view heading)
{
    std::string label = "Line " + std::to_string(line) + ", column " + std::to_string(column + 1);
    if (!heading.empty())
        label += " (" + QuotedText(heading) + ")";
    return label;
}

// The number of fields up to the last one that is not empty.
std::size_t UsedFields(const CsvTable &table, std::size_t row)
{
    std::size_t count = table.fieldCount(row);
    while (count > 0 && table.field(row, count - 1).empty())
        --count;
    return count;
}

bool ValidDelimiter(char delimiter)
{
    return delimiter == ',' || delimiter == ';' || delimiter == '\t';
}

} // namespace

// ---------------------------------------------------------------------------------------------

std::string_view ImportColumnName(ImportTarget target, int column)
{
    if (column < 1 || column > kImportColumns)
        return {};
    if (target == ImportTarget::Forcing)
        return kForcingHeadings[static_cast<std::size_t>(column)];
    return kSeriesHeadings[static_cast<std::size_t>(column - 1)];
}

int MatchHeading(std::string_view heading, ImportTarget target)
{
    Words words = SplitWords(heading);
    if (words.empty())
        return kSkipColumn;
    if (target == ImportTarget::Forcing)
        DropWords(words, {"in", "inflow", "influent", "inlet", "input", "zulauf", "raw"});
    else
        DropWords(words,
            {"out", "outflow", "effluent", "outlet", "output", "ablauf", "observed", "obs",
                "measured", "meas"});
    DropTrailingUnits(words);

    bool efficiency = false;
    Words rest;
    for (const std::string &word : words) {
        if (OneOf(word, {"eff", "efficiency", "rem", "removal", "removed", "elimination"}))
            efficiency = true;
        else
            rest.push_back(word);
    }
    const std::string key = Join(rest);
    const Quantity quantity = QuantityOf(key);

    if (target == ImportTarget::Forcing) {
        if (efficiency || rest.empty())
            return kSkipColumn;
        if (quantity != Quantity::None && quantity != Quantity::TotalN)
            return 3 + static_cast<int>(quantity);
        return ForcingColumnOf(key);
    }
    if (quantity == Quantity::None)
        return kSkipColumn;
    if (efficiency)
        return 6 + static_cast<int>(quantity);
    return quantity == Quantity::TotalN ? kSkipColumn : 1 + static_cast<int>(quantity);
}

DayColumn DayHeadingKind(std::string_view heading)
{
    const std::string key = Join(SplitWords(heading));
    if (OneOf(key,
            {"day", "days", "day number", "day no", "day nr", "tag", "dag", "jour", "dia",
                "day of simulation"}))
        return DayColumn::DayNumbers;
    if (OneOf(key,
            {"date", "datum", "time", "timestamp", "date time", "datetime", "zeit", "fecha",
                "sampling date", "sample date", "day date"}))
        return DayColumn::Dates;
    return DayColumn::None;
}

std::optional<std::int64_t> ParseDate(std::string_view text, bool monthFirst)
{
    std::size_t pos = 0;
    std::size_t n1 = 0, n2 = 0, n3 = 0;
    const std::int64_t a = ReadDigits(text, pos, 4, n1);
    if (n1 == 0 || pos >= text.size())
        return std::nullopt;
    const char separator = text[pos++];
    const std::int64_t b = ReadDigits(text, pos, 2, n2);
    if (n2 == 0 || pos >= text.size() || text[pos++] != separator)
        return std::nullopt;
    const std::int64_t c = ReadDigits(text, pos, 4, n3);
    if (n3 == 0)
        return std::nullopt;
    // A time of day may follow; it is not read.
    if (pos < text.size()) {
        if ((text[pos] != ' ' && text[pos] != 'T') || pos + 1 >= text.size()
            || !std::isdigit(static_cast<unsigned char>(text[pos + 1])))
            return std::nullopt;
    }

    std::int64_t year = 0, month = 0, day = 0;
    if (n1 == 4 && n3 <= 2 && (separator == '-' || separator == '/')) {
        year = a, month = b, day = c;
    } else if (n1 <= 2 && n3 == 4 && separator == '.') {
        day = a, month = b, year = c;
    } else if (n1 <= 2 && n3 == 4 && (separator == '/' || separator == '-')) {
        if (monthFirst)
            month = a, day = b;
        else
            day = a, month = b;
        year = c;
    } else {
        return std::nullopt;
    }
    if (year < 1000 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
}

// ---------------------------------------------------------------------------------------------
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
        for (std::size_t r = firstData; r < table.rowCount(); ++r) {
            for (std::size_t c = hasDays ? 1 : 0; c < table.fieldCount(r); ++c) {
                const std::string_view field = table.field(r, c);
                if (field.find(',') != std::string_view::npos) {
                    std::string scratch;
                    double value = 0;
                    commas += ParseNumber(field, DecimalMark::Comma, scratch, value) ? 1 : 0;
                } else if (field.find('.') != std::string_view::npos) {
                    double value = 0;
                    points += ParsePlainNumber(field, value) ? 1 : 0;
                }
            }
        }
        settings.decimalMark = commas > points ? DecimalMark::Comma : DecimalMark::Point;
    }

    settings.columns = ColumnsFrom(table, skip, settings.heading, hasDays, target);
    return settings;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

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
