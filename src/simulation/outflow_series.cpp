#include "simulation/outflow_series.h"

#include <cmath>

namespace carexa {

namespace {

constexpr int kBoxE = kOutflowBox;

// Outflow series 1 to 5: BOD5, NIT, AMM, TPO, ORN.
constexpr std::array<Variable, 5> kTableVariables {
    Variable::BOD5, Variable::NIT, Variable::AMM, Variable::TPO, Variable::ORN};

Efficiency RemovalEfficiency(double in, double out)
{
    if (in == 0)
        return {false, 0};
    return {true, (in - out) * 100 / in};
}

} // namespace

std::array<Efficiency, 6> DayEfficiencies(const BoxValues &box, const DayValues &d)
{
    const auto outE = [&box](Variable v) { return box.concentration(v, kBoxE); };
    const double nIn
        = d.get(DayField::nitrateIn) + d.get(DayField::ammoniumIn) + d.get(DayField::orgNitrogenIn);
    const double nOut = outE(Variable::NIT) + outE(Variable::AMM) + outE(Variable::ORN);
    return {
        RemovalEfficiency(d.get(DayField::bod5In), outE(Variable::BOD5)),
        RemovalEfficiency(d.get(DayField::nitrateIn), outE(Variable::NIT)),
        RemovalEfficiency(d.get(DayField::ammoniumIn), outE(Variable::AMM)),
        RemovalEfficiency(d.get(DayField::totalPIn), outE(Variable::TPO)),
        RemovalEfficiency(d.get(DayField::orgNitrogenIn), outE(Variable::ORN)),
        RemovalEfficiency(nIn, nOut),
    };
}

SeriesValues ComputeSeries(const BoxValues &initial, const std::vector<DayValues> &days,
    const std::function<const BoxValues &(int k)> &boxAt)
{
    return ComputeSeries(
        initial, static_cast<int>(days.size()),
        [&days](int k) -> const DayValues & { return days[static_cast<std::size_t>(k - 1)]; },
        boxAt);
}

SeriesValues ComputeSeries(const BoxValues &initial, int days,
    const std::function<const DayValues &(int k)> &dayAt,
    const std::function<const BoxValues &(int k)> &boxAt)
{
    SeriesValues series;
    const auto L = static_cast<std::size_t>(days);
    for (auto &values : series)
        values.resize(L);
    for (std::size_t i = 0; i < L; ++i) {
        const int k = static_cast<int>(i) + 1;
        const DayValues &day = dayAt(k);
        const std::int64_t source = OutflowDay(k, day.get(DayField::RTB));
        const BoxValues &outflow = source == 0 ? initial : boxAt(static_cast<int>(source));
        for (std::size_t c = 0; c < kTableVariables.size(); ++c)
            series[c][i] = outflow.concentration(kTableVariables[c], kBoxE);
        const auto efficiencies = DayEfficiencies(boxAt(k), day);
        for (std::size_t e = 0; e < efficiencies.size(); ++e)
            series[5 + e][i] = efficiencies[e].defined ? efficiencies[e].value : 0;
    }
    return series;
}

std::int64_t OutflowDay(int k, double rtb)
{
    if (k < rtb)
        return 0;
    const double lag = k - std::trunc(rtb);
    constexpr double limit = 4611686018427387904.0; // 2^62: past any list's end
    if (lag <= 0)
        return 1;
    return lag >= limit ? static_cast<std::int64_t>(limit) : static_cast<std::int64_t>(lag);
}

} // namespace carexa
