#include "results/data_sheet.h"

#include "io/buffered_writer.h"
#include "model/number_text.h"
#include "model/output_series.h"
#include "model/rounding.h"

#include <array>
#include <cmath>

namespace carexa {

namespace {

constexpr int kBoxE = kOutflowBox;
constexpr int kSheetColumns = 1 + kSeriesCount;
constexpr int kAdditionalColumns = 1 + kVariableCount * kBoxCount;

// Outflow columns 1 to 5 and additional-results column groups: BOD5, NIT, AMM, TPO, ORN.
constexpr std::array<Variable, 5> kTableVariables {
    Variable::BOD5, Variable::NIT, Variable::AMM, Variable::TPO, Variable::ORN};

void LayOut(TextGrid &grid, int columns, int days)
{
    grid.setEditable(true);
    grid.setColumnCount(columns);
    grid.setRowCount(days + 1);
    grid.setCell(0, 0, std::string(kDayHeading));
    for (int k = 1; k <= days; ++k)
        grid.setNumber(0, k, k);
}

// Row k of the simulation data sheet (node k's outflow lagged by its retention time, its own
// efficiencies) as a fill of `format` writes it; `rounded` false gives the plain values.
std::array<double, kSeriesCount> SheetRow(
    const ModelState &state, int k, const DayNode &node, SheetFormat format, bool rounded)
{
    const auto shown = [rounded](double value, int decimals) {
        return rounded ? RoundPositive(value, decimals) : value;
    };
    std::array<double, kSeriesCount> row {};
    const std::int64_t source = OutflowDay(k, node.day.get(DayField::RTB));
    const BoxValues &outflow = source == 0 ? state.initial : state.days.findDay(source).box;
    for (std::size_t i = 0; i < kTableVariables.size(); ++i) {
        const double value = outflow.concentration(kTableVariables[i], kBoxE);
        const bool zero = format.zeroRule && source != 0 && value <= kEmptyValue;
        row[i] = zero ? 0.0 : shown(value, format.concentrationDecimals);
    }
    const auto efficiencies = DayEfficiencies(node.box, node.day);
    for (std::size_t i = 0; i < efficiencies.size(); ++i) {
        const Efficiency e = efficiencies[i];
        double value = e.value;
        if (format.zeroRule && value <= kEmptyValue)
            value = 0;
        row[5 + i] = e.defined ? shown(value, format.efficiencyDecimals) : 0.0;
    }
    return row;
}

// The shared body of every simulation data sheet fill; `rounded` false writes the plain values.
void FillSheet(const ModelState &state, TextGrid &grid, SheetFormat format, bool rounded)
{
    const int days = state.days.activeCount();
    if (format.layout) {
        LayOut(grid, kSheetColumns, days);
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setCell(c, 0, kSeriesHeadings[static_cast<std::size_t>(c - 1)]);
    }
    int k = 0;
    for (const DayNode &node : state.days.active()) {
        ++k;
        const auto row = SheetRow(state, k, node, format, rounded);
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setNumber(c, k, row[static_cast<std::size_t>(c - 1)]);
    }
}

} // namespace

SeriesValues ResultSeries(const ModelState &state)
{
    // As the data sheet reads them: a day outside the list (the outflow of a negative retention
    // time in a loaded file, which a run refuses) reads as the trailing node.
    // Days are asked for in order, so the nodes ahead are fetched meanwhile.
    DayList::Lookahead lookahead(state.days);
    return ComputeSeries(
        state.initial, state.days.activeCount(),
        [&state, &lookahead](int k) -> const DayValues & {
            lookahead.step(true);
            return state.days.node(k).day;
        },
        [&state](int k) -> const BoxValues & { return state.days.findDay(k).box; });
}

void FillSimulationDataSheet(const ModelState &state, TextGrid &grid, SheetFormat format)
{
    FillSheet(state, grid, format, true);
}

void FillStartupDataSheet(const ModelState &state, TextGrid &grid)
{
    FillSheet(state, grid, {0, 0, false, false}, false);
}

std::string AdditionalResultsHeading(int column)
{
    const int index = column - 1;
    return ConcentrationName(
        kTableVariables[static_cast<std::size_t>(index / kBoxCount)], index % kBoxCount);
}

void WriteSheetCsv(const ModelState &state, SheetFormat format, BufferedWriter &out)
{
    out.text(kDayHeading);
    for (std::string_view heading : kSeriesHeadings) {
        out.character(',');
        out.text(heading);
    }
    out.character('\n');
    int k = 0;
    for (const DayNode &node : state.days.active()) {
        ++k;
        out.integer(k);
        const auto row = SheetRow(state, k, node, format, true);
        for (std::size_t c = 0; c < row.size(); ++c) {
            out.character(',');
            out.rounded(row[c], c < 5 ? format.concentrationDecimals : format.efficiencyDecimals);
        }
        out.character('\n');
    }
}

void WriteAdditionalResultsCsv(const ModelState &state, BufferedWriter &out)
{
    out.text(kDayHeading);
    for (int c = 1; c < kAdditionalColumns; ++c) {
        out.character(',');
        out.text(AdditionalResultsHeading(c));
    }
    out.character('\n');
    int k = 0;
    for (const DayNode &node : state.days.active()) {
        out.integer(++k);
        for (Variable variable : kTableVariables) {
            for (int box = 0; box < kBoxCount; ++box) {
                out.character(',');
                out.rounded(RoundPositive(node.box.concentration(variable, box), 4), 4);
            }
        }
        out.character('\n');
    }
}

void FillAdditionalResults(const ModelState &state, TextGrid &grid)
{
    const int days = state.days.activeCount();
    LayOut(grid, kAdditionalColumns, days);
    for (int c = 1; c < kAdditionalColumns; ++c)
        grid.setCell(c, 0, AdditionalResultsHeading(c));
    int k = 0;
    for (const DayNode &node : state.days.active()) {
        ++k;
        int column = 1;
        for (Variable variable : kTableVariables) {
            for (int box = 0; box < kBoxCount; ++box)
                grid.setNumber(column++, k, RoundPositive(node.box.concentration(variable, box), 4));
        }
    }
}

RunOutcome RunSimulation(ModelState &state, TextGrid &dataGrid, const ProgressCallback &progress)
{
    const RunOutcome outcome = SimulateProject(state, progress);
    FillSimulationDataSheet(state, dataGrid, kRunSheet);
    return outcome;
}

} // namespace carexa
