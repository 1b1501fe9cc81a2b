#include "analysis/fit_statistics.h"

#include "simulation/simulation_run.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace carexa {

namespace {

std::optional<double> Finite(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

bool AllEqual(std::span<const double> values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return *low == *high;
}

} // namespace

// The definitions: Nash and Sutcliffe (1970) for NSE; Gupta, Kling, Yilmaz and Martinez (2009)
// for KGE, with r Pearson's correlation, alpha the ratio of the population standard deviations
// (simulated over observed) and beta the ratio of the means; Moriasi et al. (2007) for PBIAS
// (positive when the model underestimates). Sums go in day order, deviations from the means in
// a second pass, so the results do not depend on anything but the pairs.
FitStatistics ComputeFitStatistics(
    std::span<const double> observed, std::span<const double> simulated)
{
    FitStatistics fit;
    const std::size_t n = std::min(observed.size(), simulated.size());
    observed = observed.first(n);
    simulated = simulated.first(n);
    fit.n = static_cast<int>(n);
    if (n == 0)
        return fit;

    double sumObserved = 0;
    double sumSimulated = 0;
    double squaredError = 0;
    double absoluteError = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double error = simulated[i] - observed[i];
        sumObserved += observed[i];
        sumSimulated += simulated[i];
        squaredError += error * error;
        absoluteError += std::fabs(error);
    }
    const double count = static_cast<double>(n);
    const double meanObserved = sumObserved / count;
    const double meanSimulated = sumSimulated / count;
    fit.meanObserved = Finite(meanObserved);
    fit.meanSimulated = Finite(meanSimulated);
    fit.rmse = Finite(std::sqrt(squaredError / count));
    fit.mae = Finite(absoluteError / count);
    if (sumObserved != 0)
        fit.pbias = Finite(100 * (sumObserved - sumSimulated) / sumObserved);

    if (n < 2 || AllEqual(observed))
        return fit;
    double observedSquares = 0;
    double simulatedSquares = 0;
    double products = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double o = observed[i] - meanObserved;
        const double s = simulated[i] - meanSimulated;
        observedSquares += o * o;
        simulatedSquares += s * s;
        products += o * s;
    }
    if (observedSquares > 0)
        fit.nse = Finite(1 - squaredError / observedSquares);
    if (AllEqual(simulated) || !(observedSquares > 0) || !(simulatedSquares > 0))
        return fit;
    const double r = products / std::sqrt(observedSquares * simulatedSquares);
    fit.r2 = Finite(r * r);
    if (meanObserved != 0) {
        const double alpha = std::sqrt(simulatedSquares / observedSquares);
        const double beta = meanSimulated / meanObserved;
        fit.kge = Finite(1
            - std::sqrt((r - 1) * (r - 1) + (alpha - 1) * (alpha - 1) + (beta - 1) * (beta - 1)));
    }
    return fit;
}

FitTable SeriesFit(const ObservedSeries &observed, const SeriesValues &series)
{
    FitTable table;
    std::vector<double> o;
    std::vector<double> s;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        o.clear();
        s.clear();
        const std::vector<double> &values = series[c];
        for (const Observation &measured : observed[c]) {
            const auto index = static_cast<std::size_t>(measured.day - 1);
            if (measured.day < 1 || index >= values.size())
                continue;
            o.push_back(measured.value);
            s.push_back(RunSheetValue(values[index]));
        }
        table[c] = ComputeFitStatistics(o, s);
    }
    return table;
}

std::optional<FitRating> RateNse(std::optional<double> nse)
{
    if (!nse)
        return std::nullopt;
    if (*nse > 0.75)
        return FitRating::VeryGood;
    if (*nse > 0.65)
        return FitRating::Good;
    if (*nse > 0.50)
        return FitRating::Satisfactory;
    return FitRating::Unsatisfactory;
}

std::optional<FitRating> RatePbias(std::optional<double> pbias)
{
    if (!pbias)
        return std::nullopt;
    const double size = std::fabs(*pbias);
    if (size < 25)
        return FitRating::VeryGood;
    if (size < 40)
        return FitRating::Good;
    if (size < 70)
        return FitRating::Satisfactory;
    return FitRating::Unsatisfactory;
}

std::string_view RatingText(FitRating rating)
{
    switch (rating) {
    case FitRating::VeryGood:
        return "very good";
    case FitRating::Good:
        return "good";
    case FitRating::Satisfactory:
        return "satisfactory";
    case FitRating::Unsatisfactory:
        break;
    }
    return "unsatisfactory";
}

void AppendShortest(std::string &text, double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, error == std::errc() ? end : buffer);
}

std::string FitCsv(const FitTable &table)
{
    std::string text(kFitCsvHeader);
    text += '\n';
    const auto add = [&text](const std::optional<double> &value) {
        text += ',';
        if (value)
            AppendShortest(text, *value);
        else
            text += "n/a";
    };
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        const FitStatistics &fit = table[c];
        text += kSeriesHeadings[c];
        text += ',';
        text += std::to_string(fit.n);
        add(fit.meanObserved);
        add(fit.meanSimulated);
        add(fit.rmse);
        add(fit.mae);
        add(fit.pbias);
        add(fit.nse);
        add(fit.kge);
        add(fit.r2);
        text += '\n';
    }
    return text;
}

} // namespace carexa
