#include "report/side_file.h"

#include "io/output_file.h"
#include "model/error.h"
#include "model/output_series.h"
#include "report/side_file_analyses.h"
#include "report/side_file_assistant.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>
#include <vector>

namespace carexa {

namespace {

constexpr int kSideFileVersion = 1;
constexpr qint64 kMaxSideFileBytes = 4 << 20; // typed texts and limits: far below this

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

class Reader
{
public:
    explicit Reader(std::vector<std::string> &wrong) : wrong_(wrong) { }

    void text(const QJsonObject &object, const char *key, std::string &target)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return;
        if (!value.isString())
            return wrong(key);
        target = value.toString().toStdString();
    }

    void number(const QJsonObject &object, const char *key, std::optional<double> &target)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return;
        if (!value.isDouble() || !std::isfinite(value.toDouble()) || value.toDouble() <= 0)
            return wrong(key);
        target = value.toDouble();
    }

    void wrong(const char *key) { wrong_.emplace_back(key); }

private:
    std::vector<std::string> &wrong_;
};

} // namespace

std::filesystem::path SideFilePath(const std::filesystem::path &project)
{
    std::filesystem::path side = project;
    std::string name = project.filename().string();
    if (name.size() > 4) {
        std::string tail = name.substr(name.size() - 4);
        for (char &c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tail == ".mdl")
            name.resize(name.size() - 4);
    }
    side.replace_filename(name + ".carexa.json");
    return side;
}

std::string SideFileText(const ReportSettings &s)
{
    QJsonObject report;
    report.insert(QStringLiteral("title"), Q(s.title));
    report.insert(QStringLiteral("author"), Q(s.author));
    report.insert(QStringLiteral("checkedBy"), Q(s.checkedBy));
    report.insert(QStringLiteral("revision"), Q(s.revision));
    report.insert(QStringLiteral("designBasis"), Q(s.designBasis));
    report.insert(QStringLiteral("startDate"), Q(s.startDate));
    if (s.populationEquivalent)
        report.insert(QStringLiteral("populationEquivalent"), *s.populationEquivalent);
    if (s.peakFactor)
        report.insert(QStringLiteral("peakFactor"), *s.peakFactor);
    QJsonArray limits;
    for (const PermitLimit &limit : s.limits) {
        QJsonObject entry;
        entry.insert(QStringLiteral("series"), limit.column);
        entry.insert(QStringLiteral("value"), limit.value);
        entry.insert(QStringLiteral("statistic"), Q(limit.statistic));
        entry.insert(QStringLiteral("source"), Q(limit.source));
        limits.append(entry);
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), QStringLiteral("carexa-side-file"));
    root.insert(QStringLiteral("version"), kSideFileVersion);
    root.insert(QStringLiteral("report"), report);
    root.insert(QStringLiteral("limits"), limits);
    if (s.designAssistant)
        root.insert(QStringLiteral("designAssistant"), AssistantJson(*s.designAssistant));
    if (!s.analyses.empty())
        root.insert(QStringLiteral("analyses"), AnalysesJson(s.analyses));
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

bool operator==(const ReportSettings &a, const ReportSettings &b)
{
    return SideFileText(a) == SideFileText(b);
}

SideFileRead ParseSideFile(std::string_view text)
{
    SideFileRead read;
    read.found = true;
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        read.problem = error.error != QJsonParseError::NoError
            ? "is damaged (" + error.errorString().toStdString() + " at byte "
                + std::to_string(error.offset) + ")"
            : "is damaged (it holds no JSON object)";
        return read;
    }
    const QJsonObject root = document.object();
    std::vector<std::string> wrong;
    Reader reader(wrong);
    ReportSettings &s = read.settings;
    const QJsonObject report = root.value(QStringLiteral("report")).toObject();
    reader.text(report, "title", s.title);
    reader.text(report, "author", s.author);
    reader.text(report, "checkedBy", s.checkedBy);
    reader.text(report, "revision", s.revision);
    reader.text(report, "designBasis", s.designBasis);
    reader.text(report, "startDate", s.startDate);
    reader.number(report, "populationEquivalent", s.populationEquivalent);
    reader.number(report, "peakFactor", s.peakFactor);
    const QJsonValue limits = root.value(QStringLiteral("limits"));
    if (limits.isArray()) {
        for (const QJsonValue &value : limits.toArray()) {
            const QJsonObject entry = value.toObject();
            const int column = entry.value(QStringLiteral("series")).toInt(0);
            const double limit = entry.value(QStringLiteral("value")).toDouble(-1);
            if (!value.isObject() || column < 1 || column > 5 || !std::isfinite(limit) || limit <= 0) {
                reader.wrong("limits");
                continue;
            }
            PermitLimit permit {.column = column, .value = limit};
            reader.text(entry, "statistic", permit.statistic);
            reader.text(entry, "source", permit.source);
            s.limits.push_back(std::move(permit));
        }
    } else if (!limits.isUndefined() && !limits.isNull()) {
        reader.wrong("limits");
    }
    bool assistantDamaged = false;
    s.designAssistant = AssistantOf(root.value(QStringLiteral("designAssistant")), assistantDamaged);
    if (assistantDamaged)
        wrong.emplace_back("designAssistant");
    std::vector<std::string> damaged;
    s.analyses = AnalysesOf(root.value(QStringLiteral("analyses")), damaged);
    const auto list = [](const std::vector<std::string> &names) {
        std::string text;
        for (const std::string &name : names)
            text += (text.empty() ? "" : ", ") + name;
        return text;
    };
    if (!wrong.empty())
        read.problem = "has values of the wrong kind, left out: " + list(wrong);
    if (!damaged.empty()) {
        read.problem += (read.problem.empty() ? "" : "; it ")
            + std::string("keeps damaged analyses, left out: ") + list(damaged);
    }
    return read;
}

SideFileRead ReadSideFile(const std::filesystem::path &project)
{
    const std::filesystem::path path = SideFilePath(project);
    QFile file(QString::fromStdString(path.string()));
    if (!file.exists())
        return {};
    const std::string name = QuotedText(path.filename().string());
    SideFileRead read;
    if (!file.open(QIODevice::ReadOnly)) {
        read.found = true;
        read.problem = "The side file " + name + " could not be read ("
            + file.errorString().toStdString() + "); the project was loaded without it.";
        return read;
    }
    if (file.size() > kMaxSideFileBytes) {
        read.found = true;
        read.problem = "The side file " + name + " is too large to be one; the project was "
                                                 "loaded without it.";
        return read;
    }
    const QByteArray bytes = file.readAll();
    read = ParseSideFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!read.problem.empty()) {
        read.problem = "The side file " + name + " " + read.problem
            + (read.problem.rfind("is damaged", 0) == 0 ? "; the project was loaded without it."
                                                        : ".");
    }
    return read;
}

void WriteSideFile(const std::filesystem::path &project, const ReportSettings &settings)
{
    OutputFile file(SideFilePath(project), "The side file");
    file.write(SideFileText(settings));
    file.finish();
}

} // namespace carexa
