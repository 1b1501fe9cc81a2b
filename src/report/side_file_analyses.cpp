// The kept analyses in a side file: one JSON object per analysis under "analyses". Each part is
// read whole or left aside: a part with a missing or wrong value is named and dropped, the others
// and the project stay.

#include "report/side_file_analyses.h"

#include "report/side_file.h"

#include "analysis/conditioning.h"
#include "analysis/fit_statistics.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <bit>
#include <cmath>
#include <limits>

namespace carexa {

namespace {

// Thrown inside the reading of one part: the part is left aside.
struct DamagedPart
{
};

QString Key(const char *key)
{
    return QString::fromLatin1(key);
}

// A number that may be undefined: not a number is written as null.
QJsonValue Number(double value)
{
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QJsonValue Word(std::uint64_t value, int base)
{
    return QString::number(static_cast<qulonglong>(value), base);
}

QJsonArray Numbers(std::initializer_list<double> values)
{
    QJsonArray array;
    for (double value : values)
        array.append(Number(value));
    return array;
}

QJsonObject FitJson(const BandFit &fit)
{
    return QJsonObject {{Key("observed"), fit.observed}, {Key("pFactor"), Number(fit.pFactor)},
        {Key("rFactor"), Number(fit.rFactor)}};
}

std::string TargetText(const PermitTarget &target)
{
    std::string text = std::to_string(target.series + 1) + ":";
    AppendShortest(text, target.limit);
    return text + ":" + StatisticText(target);
}

// Reads the values of one part; any fault throws DamagedPart.
class PartReader
{
public:
    explicit PartReader(QJsonObject object) : object_(std::move(object)) { }

    QJsonValue value(const char *key) const
    {
        const QJsonValue value = object_.value(Key(key));
        if (value.isUndefined())
            throw DamagedPart {};
        return value;
    }
    double number(const char *key) const { return NumberOf(value(key)); }
    int whole(const char *key, int lowest = 0, int highest = std::numeric_limits<int>::max()) const
    {
        return WholeOf(value(key), lowest, highest);
    }
    bool flag(const char *key) const
    {
        const QJsonValue v = value(key);
        if (!v.isBool())
            throw DamagedPart {};
        return v.toBool();
    }
    std::uint64_t word(const char *key, int base) const
    {
        const QJsonValue v = value(key);
        bool ok = false;
        const qulonglong word = v.toString().toULongLong(&ok, base);
        if (!v.isString() || !ok)
            throw DamagedPart {};
        return word;
    }
    QJsonArray array(const char *key, qsizetype size = -1) const { return ArrayOf(value(key), size); }
    QJsonObject object(const char *key) const { return ObjectOf(value(key)); }

    static double NumberOf(const QJsonValue &value)
    {
        if (value.isNull())
            return std::numeric_limits<double>::quiet_NaN();
        if (!value.isDouble())
            throw DamagedPart {};
        return value.toDouble();
    }
    static int WholeOf(const QJsonValue &value, int lowest, int highest)
    {
        const double number = value.isDouble() ? value.toDouble() : -1.0;
        if (!value.isDouble() || number != std::floor(number) || number < lowest || number > highest)
            throw DamagedPart {};
        return static_cast<int>(number);
    }
    static QJsonArray ArrayOf(const QJsonValue &value, qsizetype size = -1)
    {
        if (!value.isArray() || (size >= 0 && value.toArray().size() != size))
            throw DamagedPart {};
        return value.toArray();
    }
    static QJsonObject ObjectOf(const QJsonValue &value)
    {
        if (!value.isObject())
            throw DamagedPart {};
        return value.toObject();
    }

private:
    QJsonObject object_;
};

Parameter ParameterNamed(const QJsonValue &value)
{
    const std::string name = value.toString().toStdString();
    for (int p = 0; p < kParameterCount; ++p) {
        if (value.isString() && ParameterName(static_cast<Parameter>(p)) == name)
            return static_cast<Parameter>(p);
    }
    throw DamagedPart {};
}

BandFit FitOf(const QJsonObject &object)
{
    const PartReader read(object);
    return BandFit {.observed = read.whole("observed"), .pFactor = read.number("pFactor"),
        .rFactor = read.number("rFactor")};
}

QJsonObject MorrisJson(const KeptMorris &m)
{
    QJsonArray effects;
    for (const auto &parameter : m.result.effects) {
        QJsonArray series;
        for (const ElementaryEffects &e : parameter)
            series.append(Numbers({e.mu, e.muStar, e.sigma}));
        effects.append(series);
    }
    return QJsonObject {{Key("inputs"), Word(m.inputs, 16)}, {Key("seed"), Word(m.seed, 10)},
        {Key("levels"), m.levels}, {Key("trajectories"), m.result.trajectories},
        {Key("trajectoriesUsed"), m.result.trajectoriesUsed},
        {Key("trajectoriesFailed"), m.result.trajectoriesFailed}, {Key("runs"), m.result.runs},
        {Key("effects"), effects}};
}

KeptMorris MorrisOf(const QJsonObject &object)
{
    const PartReader read(object);
    KeptMorris m;
    m.inputs = read.word("inputs", 16);
    m.seed = read.word("seed", 10);
    m.levels = read.whole("levels", kMinLevels, kMaxLevels);
    m.result.trajectories = read.whole("trajectories", kMinTrajectories, kMaxTrajectories);
    m.result.trajectoriesUsed = read.whole("trajectoriesUsed", 1, m.result.trajectories);
    m.result.trajectoriesFailed = read.whole("trajectoriesFailed", 0, m.result.trajectories);
    m.result.runs = read.whole("runs");
    const QJsonArray effects = read.array("effects", kParameterCount);
    for (qsizetype p = 0; p < kParameterCount; ++p) {
        const QJsonArray series = PartReader::ArrayOf(effects[p], kSeriesCount);
        for (qsizetype s = 0; s < kSeriesCount; ++s) {
            const QJsonArray e = PartReader::ArrayOf(series[s], 3);
            m.result.effects[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)]
                = ElementaryEffects {.mu = PartReader::NumberOf(e[0]),
                    .muStar = PartReader::NumberOf(e[1]), .sigma = PartReader::NumberOf(e[2])};
        }
    }
    return m;
}

QJsonObject SobolJson(const KeptSobol &s)
{
    QJsonArray parameters, indices;
    for (std::size_t p = 0; p < s.result.parameters.size(); ++p) {
        parameters.append(QString::fromLatin1(ParameterName(s.result.parameters[p])));
        QJsonArray series;
        for (const SobolIndex &i : s.result.indices[p])
            series.append(Numbers({i.s1, i.s1Low, i.s1High, i.st, i.stLow, i.stHigh}));
        indices.append(series);
    }
    return QJsonObject {{Key("inputs"), Word(s.inputs, 16)}, {Key("seed"), Word(s.seed, 10)},
        {Key("resamples"), s.resamples}, {Key("baseSamples"), s.result.baseSamples},
        {Key("rowsUsed"), s.result.rowsUsed}, {Key("rowsFailed"), s.result.rowsFailed},
        {Key("runs"), s.result.runs}, {Key("parameters"), parameters}, {Key("indices"), indices}};
}

KeptSobol SobolOf(const QJsonObject &object)
{
    const PartReader read(object);
    KeptSobol s;
    s.inputs = read.word("inputs", 16);
    s.seed = read.word("seed", 10);
    s.resamples = read.whole("resamples", kMinResamples, kMaxResamples);
    s.result.baseSamples = read.whole("baseSamples", kMinSobolSamples, kMaxSobolSamples);
    s.result.rowsUsed = read.whole("rowsUsed", 1, s.result.baseSamples);
    s.result.rowsFailed = read.whole("rowsFailed", 0, s.result.baseSamples);
    s.result.runs = read.whole("runs");
    const QJsonArray parameters = read.array("parameters");
    if (parameters.isEmpty() || parameters.size() > kParameterCount)
        throw DamagedPart {};
    const QJsonArray indices = read.array("indices", parameters.size());
    for (qsizetype p = 0; p < parameters.size(); ++p) {
        const Parameter parameter = ParameterNamed(parameters[p]);
        if (!s.result.parameters.empty() && parameter <= s.result.parameters.back())
            throw DamagedPart {}; // record order, each once
        s.result.parameters.push_back(parameter);
        const QJsonArray series = PartReader::ArrayOf(indices[p], kSeriesCount);
        std::array<SobolIndex, kSeriesCount> row {};
        for (qsizetype c = 0; c < kSeriesCount; ++c) {
            const QJsonArray i = PartReader::ArrayOf(series[c], 6);
            const auto n = [&](qsizetype k) { return PartReader::NumberOf(i[k]); };
            row[static_cast<std::size_t>(c)]
                = SobolIndex {.s1 = n(0), .s1Low = n(1), .s1High = n(2), .st = n(3), .stLow = n(4), .stHigh = n(5)};
        }
        s.result.indices.push_back(row);
    }
    return s;
}

QJsonObject ConditioningJson(const KeptConditioning &c)
{
    QJsonArray fits;
    for (const KeptBandFit &fit : c.fits) {
        QJsonObject entry {{Key("series"), fit.series + 1}, {Key("calibration"), FitJson(fit.calibration)}};
        if (fit.validation)
            entry.insert(Key("validation"), FitJson(*fit.validation));
        fits.append(entry);
    }
    return QJsonObject {{Key("inputs"), Word(c.inputs, 16)}, {Key("seed"), Word(c.seed, 10)},
        {Key("samples"), c.samples}, {Key("iterationsAsked"), c.iterationsAsked},
        {Key("threshold"), Number(c.threshold)}, {Key("validationFrom"), c.validationFrom},
        {Key("iterationsRun"), c.iterationsRun}, {Key("kept"), c.kept},
        {Key("behavioural"), c.behavioural}, {Key("toppedUp"), c.toppedUp},
        {Key("runsUsed"), c.runsUsed}, {Key("fits"), fits}};
}

KeptConditioning ConditioningOf(const QJsonObject &object)
{
    const PartReader read(object);
    KeptConditioning c;
    c.inputs = read.word("inputs", 16);
    c.seed = read.word("seed", 10);
    c.samples = read.whole("samples", kMinConditioningSamples, kMaxConditioningSamples);
    c.iterationsAsked = read.whole("iterationsAsked", 1, kMaxConditioningIterations);
    c.threshold = read.number("threshold");
    if (!std::isfinite(c.threshold))
        throw DamagedPart {};
    c.validationFrom = read.whole("validationFrom");
    c.iterationsRun = read.whole("iterationsRun", 1, c.iterationsAsked);
    c.kept = read.whole("kept", 1, c.iterationsRun);
    c.behavioural = read.whole("behavioural", 0, c.samples);
    c.toppedUp = read.flag("toppedUp");
    c.runsUsed = read.whole("runsUsed", 0, c.samples);
    const QJsonArray fits = read.array("fits");
    for (const QJsonValue &value : fits) {
        const QJsonObject entry = PartReader::ObjectOf(value);
        const PartReader fit(entry);
        KeptBandFit kept {.series = fit.whole("series", 1, kSeriesCount) - 1,
            .calibration = FitOf(fit.object("calibration")), .validation = std::nullopt};
        if (!c.fits.empty() && kept.series <= c.fits.back().series)
            throw DamagedPart {};
        if (entry.contains(Key("validation")))
            kept.validation = FitOf(fit.object("validation"));
        c.fits.push_back(kept);
    }
    return c;
}

QJsonObject ComplianceJson(const KeptCompliance &c)
{
    QJsonArray outcomes;
    for (const TargetOutcome &o : c.outcomes) {
        outcomes.append(QJsonObject {{Key("target"), QString::fromStdString(TargetText(o.target))},
            {Key("probability"), Number(o.probability)}, {Key("probabilityLow"), Number(o.probabilityLow)},
            {Key("probabilityHigh"), Number(o.probabilityHigh)},
            {Key("statistic"), Numbers({o.statisticLow, o.statisticMedian, o.statisticHigh})}});
    }
    return QJsonObject {{Key("inputs"), Word(c.inputs, 16)}, {Key("seed"), Word(c.seed, 10)},
        {Key("samples"), c.samples}, {Key("conditioned"), c.conditioned}, {Key("warmUp"), c.warmUp},
        {Key("runsUsed"), c.runsUsed}, {Key("runsFailed"), c.runsFailed},
        {Key("effectiveRuns"), Number(c.effectiveRuns)}, {Key("outcomes"), outcomes}};
}

KeptCompliance ComplianceOf(const QJsonObject &object)
{
    const PartReader read(object);
    KeptCompliance c;
    c.inputs = read.word("inputs", 16);
    c.seed = read.word("seed", 10);
    c.samples = read.whole("samples", 1);
    c.conditioned = read.flag("conditioned");
    c.warmUp = read.whole("warmUp");
    c.runsUsed = read.whole("runsUsed", 1);
    c.runsFailed = read.whole("runsFailed");
    c.effectiveRuns = read.number("effectiveRuns");
    for (const QJsonValue &value : read.array("outcomes")) {
        const PartReader outcome(PartReader::ObjectOf(value));
        TargetOutcome o;
        const QJsonValue target = outcome.value("target");
        if (!target.isString())
            throw DamagedPart {};
        try {
            o.target = ParseTarget(target.toString().toStdString());
        } catch (const std::exception &) {
            throw DamagedPart {};
        }
        o.probability = outcome.number("probability");
        o.probabilityLow = outcome.number("probabilityLow");
        o.probabilityHigh = outcome.number("probabilityHigh");
        const QJsonArray statistic = outcome.array("statistic", 3);
        o.statisticLow = PartReader::NumberOf(statistic[0]);
        o.statisticMedian = PartReader::NumberOf(statistic[1]);
        o.statisticHigh = PartReader::NumberOf(statistic[2]);
        if (!(o.probability >= 0 && o.probability <= 1))
            throw DamagedPart {};
        c.outcomes.push_back(o);
    }
    if (c.outcomes.empty())
        throw DamagedPart {};
    return c;
}

QJsonObject CalibrationJson(const KeptCalibration &c)
{
    QJsonArray parameters;
    for (const KeptCalibrationParameter &p : c.parameters) {
        QJsonObject entry {{Key("name"), QString::fromLatin1(ParameterName(p.parameter))},
            {Key("fitted"), p.fitted}, {Key("before"), Number(p.before)}, {Key("after"), Number(p.after)},
            {Key("lower"), Number(p.lower)}, {Key("upper"), Number(p.upper)}};
        if (p.interval) {
            entry.insert(Key("interval"),
                QJsonObject {{Key("stdError"), Number(p.interval->stdError)},
                    {Key("lower"), Number(p.interval->lower)}, {Key("upper"), Number(p.interval->upper)},
                    {Key("status"), QString::fromLatin1(StatusText(p.interval->status))}});
        }
        parameters.append(entry);
    }
    return QJsonObject {{Key("inputs"), Word(c.inputs, 16)}, {Key("seed"), Word(c.seed, 10)},
        {Key("runsAllowed"), c.runsAllowed}, {Key("runsUsed"), c.runsUsed},
        {Key("objectiveBefore"), Number(c.objectiveBefore)}, {Key("objectiveAfter"), Number(c.objectiveAfter)},
        {Key("parameters"), parameters}};
}

ConfidenceStatus StatusNamed(const QJsonValue &value)
{
    for (ConfidenceStatus status :
        {ConfidenceStatus::Determined, ConfidenceStatus::Undetermined, ConfidenceStatus::AtBound}) {
        if (value.isString() && value.toString().toStdString() == StatusText(status))
            return status;
    }
    throw DamagedPart {};
}

KeptCalibration CalibrationOf(const QJsonObject &object)
{
    const PartReader read(object);
    KeptCalibration c;
    c.inputs = read.word("inputs", 16);
    c.seed = read.word("seed", 10);
    c.runsAllowed = read.whole("runsAllowed", 1);
    c.runsUsed = read.whole("runsUsed");
    c.objectiveBefore = read.number("objectiveBefore");
    c.objectiveAfter = read.number("objectiveAfter");
    const QJsonArray parameters = read.array("parameters", kParameterCount);
    for (qsizetype i = 0; i < kParameterCount; ++i) {
        const QJsonObject entry = PartReader::ObjectOf(parameters[i]);
        const PartReader p(entry);
        KeptCalibrationParameter kept {.parameter = ParameterNamed(p.value("name")),
            .fitted = p.flag("fitted"), .before = p.number("before"), .after = p.number("after"),
            .lower = p.number("lower"), .upper = p.number("upper"), .interval = std::nullopt};
        if (kept.parameter != static_cast<Parameter>(i))
            throw DamagedPart {};
        if (entry.contains(Key("interval"))) {
            const PartReader interval(p.object("interval"));
            kept.interval = ParameterInterval {.parameter = kept.parameter, .value = kept.after,
                .stdError = interval.number("stdError"), .lower = interval.number("lower"),
                .upper = interval.number("upper"), .status = StatusNamed(interval.value("status"))};
        }
        c.parameters.push_back(kept);
    }
    return c;
}

template <typename Kept, typename Read>
void ReadPart(const QJsonObject &analyses, const char *key, const char *name, std::optional<Kept> &target,
    Read read, std::vector<std::string> &damaged)
{
    const QJsonValue value = analyses.value(Key(key));
    if (value.isUndefined() || value.isNull())
        return;
    try {
        target = read(PartReader::ObjectOf(value));
    } catch (const DamagedPart &) {
        target.reset();
        damaged.emplace_back(name);
    }
}

} // namespace

QJsonObject AnalysesJson(const KeptAnalyses &analyses)
{
    QJsonObject json;
    if (analyses.morris)
        json.insert(Key("morris"), MorrisJson(*analyses.morris));
    if (analyses.sobol)
        json.insert(Key("sobol"), SobolJson(*analyses.sobol));
    if (analyses.conditioning)
        json.insert(Key("conditioning"), ConditioningJson(*analyses.conditioning));
    if (analyses.compliance)
        json.insert(Key("compliance"), ComplianceJson(*analyses.compliance));
    if (analyses.calibration)
        json.insert(Key("calibration"), CalibrationJson(*analyses.calibration));
    return json;
}

KeptAnalyses AnalysesOf(const QJsonValue &value, std::vector<std::string> &damaged)
{
    KeptAnalyses analyses;
    if (value.isUndefined() || value.isNull())
        return analyses;
    if (!value.isObject()) {
        damaged.emplace_back("the analyses");
        return analyses;
    }
    const QJsonObject json = value.toObject();
    ReadPart(json, "morris", "the Morris screening", analyses.morris, MorrisOf, damaged);
    ReadPart(json, "sobol", "the Sobol' indices", analyses.sobol, SobolOf, damaged);
    ReadPart(json, "conditioning", "the conditioned uncertainty", analyses.conditioning,
        ConditioningOf, damaged);
    ReadPart(json, "compliance", "the compliance", analyses.compliance, ComplianceOf, damaged);
    ReadPart(json, "calibration", "the calibration", analyses.calibration, CalibrationOf, damaged);
    return analyses;
}

bool operator==(const KeptAnalyses &a, const KeptAnalyses &b)
{
    return QJsonDocument(AnalysesJson(a)).toJson(QJsonDocument::Compact)
        == QJsonDocument(AnalysesJson(b)).toJson(QJsonDocument::Compact);
}

} // namespace carexa
