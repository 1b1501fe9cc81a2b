// The vocabulary of column headings: which grid column a heading such as "NH4-N out (mg/L)"
// or "Temp C" names, and which headings name a day column.

#include "io/csv_import.h"
#include "model/forcing_grid.h"
#include "model/output_series.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace carexa {

namespace {

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

} // namespace

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

} // namespace carexa
