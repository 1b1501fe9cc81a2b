// The project's operations on the forcing days (the grid columns and the Forcing Functions
// fields) and on the observed values.

#include "project/project.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "model/rounding.h"

#include <algorithm>
#include <cmath>

namespace carexa {

namespace {

constexpr int kColumns = static_cast<int>(kForcingColumns.size());
constexpr int kRtbColumn = 11;
constexpr int kFlowColumn = 2;

DayField FieldOf(int column)
{
    return kForcingColumns[static_cast<std::size_t>(column - 1)];
}

std::string CellName(int day, int column)
{
    return "Day " + std::to_string(day) + ", \""
        + std::string(kForcingHeadings[static_cast<std::size_t>(column)]) + "\"";
}

} // namespace

std::string Project::forcingText(int column, int day) const
{
    const auto draft = drafts_.find({day, column});
    if (draft != drafts_.end())
        return draft->second;
    return FormatGeneral(state_.days.node(day).day.get(FieldOf(column)));
}

void Project::requireNoDrafts(int firstDay, int lastDay, int firstColumn, int lastColumn) const
{
    for (const auto &[cell, text] : drafts_) {
        const auto [day, column] = cell;
        if (day >= firstDay && day <= lastDay && column >= firstColumn && column <= lastColumn)
            throw ConversionError(text);
    }
}

TextGrid Project::forcingGrid() const
{
    TextGrid grid(kColumns + 1, 1);
    LayOutForcingGrid(grid, state_.simulationLength);
    RefreshForcingGrid(state_, grid);
    for (const auto &[cell, text] : drafts_)
        grid.setCell(cell.second, cell.first, text);
    return grid;
}

bool Project::forcingDaysHoldData(int first, int last) const
{
    first = std::max(first, 1);
    last = std::min(last, state_.simulationLength);
    for (int d = first; d <= last; ++d) {
        const DayValues &values = state_.days.node(d).day;
        for (DayField field : kForcingColumns) {
            if (values.get(field) != kEmptyValue)
                return true;
        }
    }
    return std::any_of(drafts_.begin(), drafts_.end(), [first, last](const auto &entry) {
        return entry.first.first >= first && entry.first.first <= last;
    });
}

void Project::checkForcingCells() const
{
    if (drafts_.empty())
        return;
    const auto &[cell, text] = *drafts_.begin();
    throw Error(CellName(cell.first, cell.second) + ": '" + QuotedText(text)
        + "' is not a valid number. Type a number, or clear the cell (it then holds 0.0001).");
}

ProjectChange Project::setForcingCells(int column, int day, const GridBlock &block)
{
    if (block.empty())
        return finish({});
    const int lastColumn = column + block.columnCount() - 1;
    const int lastDay = day + block.rowCount() - 1;
    if (column < 1 || lastColumn > kColumns || day < 1 || lastDay > state_.simulationLength)
        throw Error("The cells reach outside the forcing grid (columns 1 to "
            + std::to_string(kColumns) + ", days 1 to " + std::to_string(state_.simulationLength)
            + ").");
    for (int r = 0; r < block.rowCount(); ++r) {
        DayValues &values = state_.days.node(day + r).day;
        for (int c = 0; c < block.columnCount(); ++c) {
            const std::string &text = block.text(c, r);
            const std::pair<int, int> cell {day + r, column + c};
            const std::optional<double> value
                = text.empty() ? std::optional<double>(kEmptyValue) : TryParseDouble(text);
            if (!value) {
                drafts_[cell] = text;
                continue;
            }
            drafts_.erase(cell);
            values.set(FieldOf(column + c), *value);
            if (column + c == kRtbColumn)
                markRtbEntered(day + r, day + r, true);
        }
    }
    return finish({ProjectPart::Days}, DayRange {day, lastDay});
}

ProjectChange Project::setDayValues(DayField field, int firstDay, const std::vector<double> &values)
{
    if (values.empty())
        return finish({});
    const int lastDay = firstDay + static_cast<int>(values.size()) - 1;
    if (firstDay < 1 || lastDay > state_.simulationLength)
        throw Error("The values reach outside the days of the project (1 to "
            + std::to_string(state_.simulationLength) + ").");
    std::size_t i = 0;
    for (int d = firstDay; d <= lastDay; ++d)
        state_.days.node(d).day.set(field, values[i++]);
    const auto column = std::find(kForcingColumns.begin(), kForcingColumns.end(), field);
    if (column != kForcingColumns.end()) {
        const int c = static_cast<int>(column - kForcingColumns.begin()) + 1;
        std::erase_if(drafts_, [&](const auto &entry) {
            return entry.first.second == c && entry.first.first >= firstDay
                && entry.first.first <= lastDay;
        });
    }
    if (field == DayField::RTB)
        markRtbEntered(firstDay, lastDay, true);
    return finish({ProjectPart::Days}, DayRange {firstDay, lastDay});
}

ProjectChange Project::fillEmptyForcingDays()
{
    if (!drafts_.empty())
        checkForcingCells();
    const int days = state_.simulationLength;
    for (int c = 1; c <= kColumns; ++c) {
        const DayField field = FieldOf(c);
        for (int d = 2; d <= days; ++d) {
            DayValues &values = state_.days.node(d).day;
            if (values.get(field) != kEmptyValue)
                continue;
            values.set(field, state_.days.node(d - 1).day.get(field));
            if (c != kRtbColumn)
                continue;
            // A retention time carried down is the one of the day above, with its origin.
            const auto at = static_cast<std::size_t>(d - 1);
            if (at < basis_.rtbEntered.size())
                basis_.rtbEntered[at] = basis_.rtbEntered[at - 1];
            if (at < basis_.rtbFlows.size())
                basis_.rtbFlows[at] = basis_.rtbFlows[at - 1];
        }
    }
    return finish({ProjectPart::Days});
}

ProjectChange Project::resetForcing()
{
    for (DayNode &node : state_.days.active()) {
        for (DayField field : kForcingColumns)
            node.day.set(field, kEmptyValue);
    }
    drafts_.clear();
    basis_.rtbComputed = false;
    basis_.rtbFlows.clear();
    basis_.rtbEntered.clear();
    return finish({ProjectPart::Days});
}

ProjectChange Project::applyPrecipitationFactor()
{
    constexpr int kFirst = 3, kLast = 10; // BOD5 to POP %
    requireNoDrafts(1, 1, kFirst, kLast);
    TextGrid dayOne(kColumns + 1, 2);
    for (int c = kFirst; c <= kLast; ++c)
        dayOne.setNumber(c, 1, state_.days.node(1).day.get(FieldOf(c)));
    ApplyPrecipitationFactor(state_.initial.get(BoxField::PF), dayOne, state_.days.node(1));
    return finish({ProjectPart::Days}, DayRange {1, 1});
}

ProjectChange Project::calculateWaterVolume()
{
    computeWaterVolume();
    return finish({ProjectPart::Days});
}

void Project::computeWaterVolume()
{
    CalculateWaterVolume(state_);
    basis_.water
        = {state_.initial.get(BoxField::VO), state_.days.first().day.get(DayField::porosity)};
    basis_.waterValue = state_.days.first().day.get(DayField::boxWaterVolume);
}

ProjectChange Project::calculateRetentionTimes()
{
    computeRetentionTimes();
    return finish({ProjectPart::Days});
}

void Project::computeRetentionTimes()
{
    // As "Calculate RTB values"; every day is worked out before any changes.
    const std::vector<double> rtb = RetentionTimes(state_);
    std::size_t i = 0;
    for (DayNode &node : state_.days.active())
        node.day.set(DayField::RTB, rtb[i++]);
    std::erase_if(drafts_, [](const auto &entry) { return entry.first.second == kRtbColumn; });
    markRtbComputed();
}

ProjectChange Project::setEveryDay(DayField field, double value)
{
    for (DayNode &node : state_.days.active())
        node.day.set(field, value);
    return finish({ProjectPart::Days});
}

ProjectChange Project::setSimulationLength(std::int32_t length)
{
    if (length == state_.simulationLength && length >= 1 && length <= kMaxDays)
        return finish({});
    ChangeSimulationLength(state_, length);
    std::erase_if(drafts_, [length](const auto &entry) { return entry.first.first > length; });
    resizeRtbBasis();
    return finish({ProjectPart::Days, ProjectPart::Settings});
}

void Project::checkRecalculable(const ImportedTable &table, ExtraDays extra) const
{
    if (table.target != ImportTarget::Forcing)
        return;
    // The retention times after the import must be numbers: every day needs a flow.
    const auto flowAt = std::find(table.columns.begin(), table.columns.end(), kFlowColumn);
    const std::int32_t length = extra == ExtraDays::Extend
        ? std::max(state_.simulationLength, table.lastDay)
        : state_.simulationLength;
    std::vector<double> flows(static_cast<std::size_t>(length), kEmptyValue);
    for (int d = 1; d <= std::min(length, state_.simulationLength); ++d)
        flows[static_cast<std::size_t>(d - 1)] = state_.days.node(d).day.get(DayField::waterFlow);
    if (flowAt != table.columns.end()) {
        const auto column = static_cast<std::size_t>(flowAt - table.columns.begin());
        for (std::size_t row = 0; row < table.days.size(); ++row) {
            if (table.days[row] <= length)
                flows[static_cast<std::size_t>(table.days[row] - 1)] = table.value(row, column);
        }
    }
    const DayNode &first = state_.days.first();
    const double boxWater
        = first.day.get(DayField::porosity) * state_.initial.get(BoxField::VO) * 0.2;
    for (std::size_t d = 0; d < flows.size(); ++d) {
        if (!std::isfinite(boxWater / flows[d]))
            throw Error("The water volume and retention times cannot be recalculated: day "
                + std::to_string(d + 1) + " would have a water flow of " + FormatGeneral(flows[d])
                + ". Nothing was imported.");
    }
}

ProjectChange Project::importForcing(
    const ImportedTable &table, ExtraDays extra, bool recalculate, int *imported)
{
    // The grid the import reads and writes, as the project shows it.
    TextGrid grid = forcingGrid();

    const bool rtbImported
        = std::find(table.columns.begin(), table.columns.end(), kRtbColumn) != table.columns.end();
    if (recalculate)
        checkRecalculable(table, extra);

    const std::int32_t before = state_.simulationLength;
    const int days = ImportForcingData(state_, grid, table, extra);
    drafts_.clear();
    resizeRtbBasis();
    if (rtbImported) {
        for (std::size_t row = 0; row < table.days.size(); ++row) {
            if (table.days[row] <= state_.simulationLength)
                markRtbEntered(table.days[row], table.days[row], true);
        }
    }
    if (imported)
        *imported = days;
    PartSet parts {ProjectPart::Days};
    if (state_.simulationLength != before)
        parts.insert(ProjectPart::Settings);
    if (recalculate) {
        computeWaterVolume();
        computeRetentionTimes();
    }
    return finish(parts);
}

// ---------------------------------------------------------------------------------------------
// Observed values

ProjectChange Project::setObservedCells(int column, int row, const GridBlock &block)
{
    if (block.empty())
        return finish({});
    const int lastColumn = column + block.columnCount() - 1;
    const int lastRow = row + block.rowCount() - 1;
    if (column < 1 || lastColumn > kObservedColumns || row < 1 || lastRow > state_.observedLength)
        throw Error("The cells reach outside the observed values (columns 1 to "
            + std::to_string(kObservedColumns) + ", days 1 to "
            + std::to_string(state_.observedLength) + ").");
    WriteBlock(observed_, column, row, block);
    return finish({ProjectPart::Observed});
}

ProjectChange Project::setObservedLength(std::int32_t length)
{
    SetObservedLength(state_.observedLength, observed_, length);
    return finish({ProjectPart::Observed});
}

ProjectChange Project::setObservedValues(
    int column, int firstRow, const std::vector<double> &values)
{
    if (values.empty())
        return finish({});
    const int lastRow = firstRow + static_cast<int>(values.size()) - 1;
    if (column < 1 || column > kObservedColumns || firstRow < 1 || lastRow > state_.observedLength)
        throw Error("The values reach outside the observed values (columns 1 to "
            + std::to_string(kObservedColumns) + ", days 1 to "
            + std::to_string(state_.observedLength) + ").");
    std::size_t i = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        observed_.setNumber(column, r, values[i++]);
    return finish({ProjectPart::Observed});
}

ProjectChange Project::fillEmptyObservedDays()
{
    FillEmptyObservedDays(observed_, state_.observedLength);
    return finish({ProjectPart::Observed});
}

ProjectChange Project::cleanGraphCells(const GraphRequest &request)
{
    CleanGraphCells(request, observed_);
    return finish({ProjectPart::Observed});
}

ProjectChange Project::importObserved(const ImportedTable &table, ExtraDays extra, int *imported)
{
    const int days = ImportObservedValues(state_.observedLength, observed_, table, extra);
    if (imported)
        *imported = days;
    return finish({ProjectPart::Observed});
}

} // namespace carexa
