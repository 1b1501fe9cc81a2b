#include "model/forcing_grid.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "model/rounding.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace carexa {

namespace {

constexpr std::array<std::string_view, 11> kLegendLines {"Temp. = average C. daily",
    "Water flow = Cubic m.", "BOD5 = mg/L.", "Nitrate = mg/L.", "Ammonium = mg/L.",
    "Total Phosphorous = mg/L.", "Organic Nitrogen = mg/L.", "POM = Particulated Organic Matter",
    "PON = Particulated Organic Nitrogen", "POM = Particulated Organic Phosphorous",
    "RTB = Retention Time pr. Box (days)"};

constexpr const char *kEmptyText = "0.0001";

void StoreRows(ModelState &state, TextGrid &grid, bool fillEmpty)
{
    int row = 0;
    for (DayNode &node : state.days.active()) {
        ++row;
        for (std::size_t i = 0; i < kForcingColumns.size(); ++i) {
            const int column = static_cast<int>(i) + 1;
            if (fillEmpty && grid.cell(column, row).empty())
                grid.setCell(column, row, kEmptyText);
            node.day.set(kForcingColumns[i], ParseDouble(grid.cell(column, row)));
        }
    }
}

void RefreshRow(const DayNode &node, TextGrid &grid, int row)
{
    for (std::size_t i = 0; i < kForcingColumns.size(); ++i)
        grid.setNumber(static_cast<int>(i) + 1, row, node.day.get(kForcingColumns[i]));
}

} // namespace

std::string ForcingLegend()
{
    std::string legend;
    for (std::string_view line : kLegendLines) {
        legend += line;
        legend += " \n";
    }
    return legend;
}

void LayOutForcingGrid(TextGrid &grid, int days)
{
    grid.setEditable(true);
    grid.setColumnCount(static_cast<int>(kForcingHeadings.size()));
    grid.setRowCount(days + 1);
    for (std::size_t c = 0; c < kForcingHeadings.size(); ++c)
        grid.setCell(static_cast<int>(c), 0, std::string(kForcingHeadings[c]));
    for (int r = 1; r <= days; ++r)
        grid.setNumber(0, r, r);
}

void RefreshForcingGrid(const ModelState &state, TextGrid &grid)
{
    int row = 0;
    for (const DayNode &node : state.days.active())
        RefreshRow(node, grid, ++row);
}

void StoreForcingGrid(ModelState &state, TextGrid &grid)
{
    StoreRows(state, grid, true);
}

void FillEmptyForcingDays(ModelState &state, TextGrid &grid)
{
    for (int c = 1; c <= static_cast<int>(kForcingColumns.size()); ++c)
        FillColumnForward(grid, c, state.days.activeCount());
    StoreRows(state, grid, false);
}

double CalculateWaterVolume(ModelState &state)
{
    DayNode &first = state.days.first();
    first.box.set(BoxField::VO, state.initial.get(BoxField::VO));
    const double perBox = first.day.get(DayField::porosity) * first.box.get(BoxField::VO) * 0.2;
    for (DayNode &node : state.days.active())
        node.day.set(DayField::boxWaterVolume, perBox);
    return 5 * perBox;
}

std::vector<double> RetentionTimes(const ModelState &state)
{
    const double boxWater = state.days.first().day.get(DayField::boxWaterVolume);
    std::vector<double> rtb;
    rtb.reserve(static_cast<std::size_t>(state.days.activeCount()));
    for (const DayNode &node : state.days.active()) {
        const double flow = node.day.get(DayField::waterFlow);
        double value = boxWater / flow;
        if (!std::isfinite(value))
            throw Error("The retention time of day " + std::to_string(node.box.dayNumber())
                + " cannot be calculated: its water flow is " + FormatGeneral(flow)
                + " and the water volume of a box is " + FormatGeneral(boxWater)
                + ". Enter a water flow above 0 for every day.");
        if (value < 0.75)
            value = 0.75;
        rtb.push_back(RoundPositive(value, 2));
    }
    return rtb;
}

void CalculateRetentionTimes(ModelState &state, TextGrid &grid)
{
    const std::vector<double> rtb = RetentionTimes(state);
    int row = 0;
    for (DayNode &node : state.days.active()) {
        const double value = rtb[static_cast<std::size_t>(row)];
        node.day.set(DayField::RTB, value);
        grid.setNumber(11, ++row, value);
    }
}

bool RetentionWarning(const ModelState &state)
{
    double maxRtb = 0;
    bool any = false;
    for (const DayNode &node : state.days.active()) {
        const double rtb = node.day.get(DayField::RTB);
        maxRtb = any ? std::max(maxRtb, rtb) : rtb;
        any = true;
    }
    return state.simulationLength < 12 * maxRtb;
}

void ResetForcingGrid(ModelState &state, TextGrid &grid)
{
    int row = 0;
    for (DayNode &node : state.days.active()) {
        ++row;
        for (std::size_t i = 0; i < kForcingColumns.size(); ++i) {
            grid.setCell(static_cast<int>(i) + 1, row, kEmptyText);
            node.day.set(kForcingColumns[i], kEmptyValue);
        }
    }
}

bool ForcingDaysHoldData(const ModelState &state, const TextGrid &grid, int first, int last)
{
    int row = 0;
    for (const DayNode &node : state.days.active()) {
        if (++row < first)
            continue;
        if (row > last)
            break;
        for (std::size_t i = 0; i < kForcingColumns.size(); ++i) {
            const std::string &text = grid.cell(static_cast<int>(i) + 1, row);
            if (node.day.get(kForcingColumns[i]) != kEmptyValue
                || (!text.empty() && text != kEmptyText))
                return true;
        }
    }
    return false;
}

std::string ShorteningQuestion(int newLength, int oldLength)
{
    std::string text = "Shortening to " + std::to_string(newLength)
        + (newLength == 1 ? " day" : " days") + " discards the data of ";
    if (newLength + 1 == oldLength)
        text += "day " + std::to_string(oldLength);
    else
        text += "days " + std::to_string(newLength + 1) + " to " + std::to_string(oldLength);
    text += ". Shorten?";
    return text;
}

void ChangeSimulationLength(ModelState &state, std::int32_t newLength)
{
    if (newLength < 1 || newLength > kMaxDays)
        throw Error("The length of the simulation must be from 1 to " + std::to_string(kMaxDays)
            + " days; it stays " + std::to_string(state.simulationLength) + " days.");
    const int oldLength = state.simulationLength;
    state.setSimulationLength(newLength);

    // The bed's values that every day holds alike, taken from day 1 before the new days exist.
    const DayNode &first = state.days.first();
    const double volume = first.box.get(BoxField::VO);
    std::array<double, 7> bed {};
    constexpr std::array<DayField, 7> kBedFields {DayField::porosity, DayField::oxygenA,
        DayField::oxygenB, DayField::oxygenC, DayField::oxygenD, DayField::oxygenE,
        DayField::boxWaterVolume};
    for (std::size_t i = 0; i < bed.size(); ++i)
        bed[i] = first.day.get(kBedFields[i]);

    int row = 0;
    for (DayNode &node : state.days.active()) {
        if (++row > oldLength) {
            // The former spare node may hold a day cut off by an earlier shortening: a new day
            // starts from nothing.
            node.day.reset();
            node.box.reset();
            node.box.set(BoxField::VO, volume);
            for (std::size_t i = 0; i < bed.size(); ++i)
                node.day.set(kBedFields[i], bed[i]);
        }
    }
}

void ChangeSimulationLength(ModelState &state, TextGrid &grid, std::int32_t newLength)
{
    ChangeSimulationLength(state, newLength);
    LayOutForcingGrid(grid, newLength);
    RefreshForcingGrid(state, grid);
}

} // namespace carexa
