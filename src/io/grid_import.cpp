#include "io/grid_import.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"

#include <vector>

namespace carexa {

namespace {

bool TryParseDouble(const std::string &text, double &value)
{
    try {
        value = ParseDouble(text);
        return true;
    } catch (const ConversionError &) {
        return false;
    }
}

void CheckTarget(const ImportedTable &table, ImportTarget target)
{
    if (table.target != target)
        throw Error(target == ImportTarget::Forcing
                ? "These data were read for the observed values, not for the forcing data."
                : "These data were read for the forcing data, not for the observed values.");
}

// The grid's length after the import, and how many imported rows fit into it.
struct Fit
{
    std::int32_t length;
    int rows;
};

Fit FitDays(const ImportedTable &table, std::int32_t length, ExtraDays extra, const char *what)
{
    Fit fit {length, 0};
    if (extra == ExtraDays::Extend && table.lastDay > length)
        fit.length = table.lastDay;
    for (const std::int32_t day : table.days)
        fit.rows += day <= fit.length ? 1 : 0;
    if (fit.rows == 0) {
        std::int32_t first = table.lastDay;
        for (const std::int32_t day : table.days)
            first = std::min(first, day);
        throw Error("The imported data start at day " + std::to_string(first) + ", after the "
            + std::to_string(length) + " days of the " + what + "; nothing was imported.");
    }
    return fit;
}

} // namespace

std::string ExtendQuestion(std::int32_t importedDays, std::int32_t projectDays)
{
    return "The imported data hold " + std::to_string(importedDays) + " days; the project has "
        + std::to_string(projectDays) + ". Extend it to " + std::to_string(importedDays) + " days?";
}

int ImportForcingData(
    ModelState &state, TextGrid &grid, const ImportedTable &table, ExtraDays extra)
{
    CheckTarget(table, ImportTarget::Forcing);
    const std::int32_t length = state.simulationLength;
    const Fit fit = FitDays(table, length, extra, "project");
    const std::size_t columns = kForcingColumns.size();

    // Every cell the store will read must be a number; the imported cells are replaced first.
    std::vector<bool> replaced(static_cast<std::size_t>(length) * columns, false);
    for (std::size_t row = 0; row < table.days.size(); ++row) {
        if (table.days[row] > length)
            continue;
        for (const int column : table.columns)
            replaced[static_cast<std::size_t>(table.days[row] - 1) * columns
                + static_cast<std::size_t>(column - 1)]
                = true;
    }
    for (int day = 1; day <= length; ++day) {
        for (int column = 1; column <= static_cast<int>(columns); ++column) {
            if (replaced[static_cast<std::size_t>(day - 1) * columns
                    + static_cast<std::size_t>(column - 1)])
                continue;
            const std::string &text = grid.cell(column, day);
            if (text.empty())
                continue;
            double value = 0;
            if (!TryParseDouble(text, value))
                throw Error("Day " + std::to_string(day) + ", column \""
                    + std::string(kForcingHeadings[static_cast<std::size_t>(column)])
                    + "\" of the forcing grid holds '" + QuotedText(text)
                    + "', which is not a number. Correct or clear that cell before importing.");
        }
    }

    // Imported values go in as the screen shows them, so the days hold what the grid says.
    const auto writeRows = [&](std::int32_t from, std::int32_t to) {
        for (std::size_t row = 0; row < table.days.size(); ++row) {
            const std::int32_t day = table.days[row];
            if (day < from || day > to)
                continue;
            DayNode &node = state.days.node(day);
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                const int column = table.columns[c];
                std::string text = FormatGeneral(table.value(row, c));
                node.day.set(
                    kForcingColumns[static_cast<std::size_t>(column - 1)], ParseDouble(text));
                grid.setCell(column, day, std::move(text));
            }
        }
    };
    writeRows(1, length);
    StoreForcingGrid(state, grid);
    if (fit.length > length) {
        ChangeSimulationLength(state, grid, fit.length);
        writeRows(length + 1, fit.length);
    }
    return fit.rows;
}

int ImportObservedValues(
    std::int32_t &observedLength, TextGrid &grid, const ImportedTable &table, ExtraDays extra)
{
    CheckTarget(table, ImportTarget::Observed);
    const Fit fit = FitDays(table, observedLength, extra, "observed values");
    if (fit.length > observedLength)
        SetObservedLength(observedLength, grid, fit.length);
    for (std::size_t row = 0; row < table.days.size(); ++row) {
        const std::int32_t day = table.days[row];
        if (day > fit.length)
            continue;
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            grid.setCell(table.columns[c], day, FormatGeneral(table.value(row, c)));
    }
    return fit.rows;
}

} // namespace carexa
