#include "project/frozen_run.h"

#include "io/buffered_writer.h"
#include "model/rounding.h"

namespace carexa {

namespace {

constexpr int kOutflowColumns = 5;

// The flags of day k with forcing values d.
std::uint8_t RunFlag(int k, const DayValues &d)
{
    std::uint8_t flag = OutflowDay(k, d.get(DayField::RTB)) == 0 ? FrozenRun::kFromInitial : 0;
    const double nitrogen
        = d.get(DayField::nitrateIn) + d.get(DayField::ammoniumIn) + d.get(DayField::orgNitrogenIn);
    const double inflows[]
        = {d.get(DayField::bod5In), d.get(DayField::nitrateIn), d.get(DayField::ammoniumIn),
            d.get(DayField::totalPIn), d.get(DayField::orgNitrogenIn), nitrogen};
    for (int e = 0; e < 6; ++e) {
        if (inflows[e] == 0)
            flag |= static_cast<std::uint8_t>(FrozenRun::kNoInflow << e);
    }
    return flag;
}

} // namespace

std::vector<std::uint8_t> RunFlags(const std::vector<DayValues> &days)
{
    std::vector<std::uint8_t> flags;
    flags.reserve(days.size());
    for (std::size_t i = 0; i < days.size(); ++i)
        flags.push_back(RunFlag(static_cast<int>(i) + 1, days[i]));
    return flags;
}

FrozenRun FreezeRun(RunResult &&result)
{
    FrozenRun run;
    run.flags = RunFlags(result.days);
    run.series = std::move(result.series);
    run.completed = result.completed;
    run.failedDay = result.failedDay;
    run.message = result.message;
    return run;
}

FrozenRun RecordedRun(const ModelState &state)
{
    // The series as ResultSeries gives them (a lagged day outside the list reads as the trailing
    // node), in one walk over the days that takes each day's flags as it passes.
    FrozenRun run;
    const int days = state.days.activeCount();
    run.flags.reserve(static_cast<std::size_t>(days));
    DayList::Lookahead lookahead(state.days);
    run.series = ComputeSeries(
        state.initial, days,
        [&](int k) -> const DayValues & {
            lookahead.step(true);
            const DayValues &day = state.days.node(k).day;
            run.flags.push_back(RunFlag(k, day));
            return day;
        },
        [&state](int k) -> const BoxValues & { return state.days.findDay(k).box; });
    return run;
}

double SheetValue(const FrozenRun &run, SheetFormat format, int column, int day)
{
    const double value
        = run.series[static_cast<std::size_t>(column - 1)][static_cast<std::size_t>(day - 1)];
    if (column <= kOutflowColumns) {
        if (format.zeroRule && !run.fromInitial(day) && value <= kEmptyValue)
            return 0.0;
        return RoundPositive(value, format.concentrationDecimals);
    }
    if (run.noInflow(day, column - kOutflowColumns - 1))
        return 0.0;
    return RoundPositive(format.zeroRule && value <= kEmptyValue ? 0.0 : value,
        format.efficiencyDecimals);
}

void FillRunDataSheet(const FrozenRun &run, TextGrid &grid, SheetFormat format)
{
    const int days = run.days();
    if (format.layout) {
        grid.setEditable(true);
        grid.setColumnCount(1 + kSeriesCount);
        grid.setRowCount(days + 1);
        grid.setCell(0, 0, std::string(kDayHeading));
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setCell(c, 0, kSeriesHeadings[static_cast<std::size_t>(c - 1)]);
        for (int k = 1; k <= days; ++k)
            grid.setNumber(0, k, k);
    }
    for (int k = 1; k <= days; ++k) {
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setNumber(c, k, SheetValue(run, format, c, k));
    }
}

void WriteRunSheetCsv(const FrozenRun &run, SheetFormat format, BufferedWriter &out)
{
    out.text(kDayHeading);
    for (std::string_view heading : kSeriesHeadings) {
        out.character(',');
        out.text(heading);
    }
    out.character('\n');
    for (int k = 1; k <= run.days(); ++k) {
        out.integer(k);
        for (int c = 1; c <= kSeriesCount; ++c) {
            out.character(',');
            out.rounded(SheetValue(run, format, c, k),
                c <= kOutflowColumns ? format.concentrationDecimals : format.efficiencyDecimals);
        }
        out.character('\n');
    }
}

} // namespace carexa
