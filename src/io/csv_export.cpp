#include "io/csv_export.h"

#include "io/buffered_writer.h"
#include "model/box_values.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/output_series.h"

#include <array>
#include <optional>

namespace carexa {

namespace {

std::string WithUnit(std::string_view heading, std::string_view unit)
{
    std::string text(heading);
    if (!unit.empty()) {
        text += " (";
        text += unit;
        text += ')';
    }
    return text;
}

} // namespace

std::vector<std::string> ForcingCsvHeadings()
{
    // The particulate shares carry their unit, %, in the heading already.
    static constexpr std::array<std::string_view, 12> kUnits {
        "", "deg C", "m3/d", "mg/L", "mg/L", "mg/L", "mg/L", "mg/L", "", "", "", "days"};
    std::vector<std::string> headings;
    for (std::size_t c = 0; c < kForcingHeadings.size(); ++c)
        headings.push_back(WithUnit(kForcingHeadings[c], kUnits[c]));
    return headings;
}

std::vector<std::string> SeriesCsvHeadings()
{
    std::vector<std::string> headings {std::string(kDayHeading)};
    for (int c = 0; c < kSeriesCount; ++c)
        headings.push_back(
            WithUnit(kSeriesHeadings[static_cast<std::size_t>(c)], c < 5 ? "mg/L" : "%"));
    return headings;
}

std::vector<std::string> AdditionalCsvHeadings()
{
    // The order of the "Additional results" table: BOD5, NIT, AMM, TPO, ORN, boxes A to E.
    std::vector<std::string> headings {std::string(kDayHeading)};
    for (Variable variable :
        {Variable::BOD5, Variable::NIT, Variable::AMM, Variable::TPO, Variable::ORN}) {
        for (int box = 0; box < kBoxCount; ++box)
            headings.push_back(WithUnit(ConcentrationName(variable, box), "mg/L"));
    }
    return headings;
}

std::string DefaultExtension(std::string name, std::string_view extension)
{
    const std::size_t slash = name.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot <= start)
        name += extension;
    return name;
}

void AppendCsvField(std::string &out, std::string_view field)
{
    const bool quoted = field.find_first_of(",\"\r\n") != std::string_view::npos
        || (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quoted) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void WriteGridCsv(
    const TextGrid &grid, int days, const std::vector<std::string> &headings, ByteSink &sink)
{
    BufferedWriter out(sink);
    std::string field;
    for (std::size_t c = 0; c < headings.size(); ++c) {
        if (c > 0)
            out.character(',');
        field.clear();
        AppendCsvField(field, headings[c]);
        out.text(field);
    }
    out.character('\n');
    const int columns = static_cast<int>(headings.size());
    for (int row = 1; row <= days; ++row) {
        out.integer(row);
        for (int c = 1; c < columns; ++c) {
            out.character(',');
            if (const std::optional<double> value = grid.number(c, row)) {
                out.general(*value);
            } else {
                field.clear();
                AppendCsvField(field, grid.cell(c, row));
                out.text(field);
            }
        }
        out.character('\n');
    }
    out.finish();
}

} // namespace carexa
