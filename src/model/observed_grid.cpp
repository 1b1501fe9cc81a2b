#include "model/observed_grid.h"

#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/model_state.h"
#include "model/number_text.h"
#include "model/output_series.h"

#include <algorithm>
#include <string>

namespace carexa {

namespace {
constexpr const char *kEmptyText = "0.0001";

std::optional<double> Measurement(std::optional<double> value)
{
    if (value && *value == kEmptyValue)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<double> MeasuredValue(std::string_view text)
{
    return Measurement(TryParseDouble(text));
}

std::optional<double> MeasuredValue(const TextGrid &observed, int column, int row)
{
    // A cell kept as a number is one without making its text.
    if (const std::optional<double> number = observed.number(column, row))
        return Measurement(number);
    if (observed.empty(column, row))
        return std::nullopt;
    return MeasuredValue(observed.cell(column, row));
}

void LayOutObservedGrid(TextGrid &grid, int days)
{
    grid.setEditable(true);
    grid.setColumnCount(1 + kSeriesCount);
    grid.setRowCount(days + 1);
    grid.setCell(0, 0, std::string(kDayHeading));
    for (int c = 1; c <= kSeriesCount; ++c)
        grid.setCell(c, 0, std::string(kSeriesHeadings[static_cast<std::size_t>(c - 1)]));
    for (int r = 1; r <= days; ++r)
        grid.setNumber(0, r, r);
}

void BuildObservedGrid(TextGrid &grid, int days)
{
    LayOutObservedGrid(grid, days);
    for (int r = 1; r <= days; ++r) {
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setCell(c, r, kEmptyText);
    }
}

void SetObservedLength(std::int32_t &observedLength, TextGrid &grid, std::int32_t newLength)
{
    if (newLength < 0 || newLength > kMaxDays)
        throw Error("The observed length must be from 0 to " + std::to_string(kMaxDays)
            + " days; it stays " + std::to_string(observedLength) + " days.");
    const std::int32_t oldLength = observedLength;
    observedLength = newLength;
    LayOutObservedGrid(grid, newLength);
    for (int r = oldLength + 1; r <= newLength; ++r) {
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setCell(c, r, kEmptyText);
    }
}

bool ObservedDaysHoldData(const TextGrid &grid, int first, int last)
{
    for (int r = std::max(first, 1); r <= last; ++r) {
        for (int c = 1; c <= kSeriesCount; ++c) {
            const std::string &text = grid.cell(c, r);
            if (!text.empty() && text != kEmptyText)
                return true;
        }
    }
    return false;
}

void FillColumnForward(TextGrid &grid, int column, int rows)
{
    const auto empty = [&grid, column](int r) {
        const std::string &text = grid.cell(column, r);
        return text.empty() || text == kEmptyText;
    };
    if (rows >= 1 && empty(1))
        grid.setCell(column, 1, kEmptyText);
    for (int r = 2; r <= rows; ++r) {
        if (empty(r))
            grid.setCell(column, r, grid.cell(column, r - 1));
    }
}

void FillEmptyObservedDays(TextGrid &grid, int length)
{
    for (int c = 1; c <= kSeriesCount; ++c)
        FillColumnForward(grid, c, length);
}

} // namespace carexa
