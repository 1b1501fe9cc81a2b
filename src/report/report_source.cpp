#include "report/report.h"

#include "model/number_text.h"
#include "project/staleness.h"
#include "report/side_file.h"

#include <chrono>
#include <cstdio>

namespace carexa {


ReportSource StateReportSource(const ModelState &state, const TextGrid &observed,
    const DesignTexts &design, std::optional<WetlandType> wetlandType, const FrozenRun *run,
    const std::filesystem::path &file, const ReportSettings &settings,
    const std::vector<std::string> &notes, const std::string &programVersion)
{
    ReportSource source;
    source.projectFile = file.empty() ? std::string("(not saved)") : file.filename().string();
    if (!file.empty()) {
        source.projectSha256 = FileSha256(file);
        source.sideFileSha256 = FileSha256(SideFilePath(file));
    }
    source.programVersion = programVersion;
    source.date = TodayText();
    source.state = &state;
    source.observed = &observed;
    source.design = design;
    source.wetlandType = wetlandType;
    if (!source.wetlandType) {
        source.wetlandType = WetlandTypeOfDesign(
            state.initial, TryParseDouble(design[5]), TryParseDouble(design[6]));
    }
    source.run = run;
    source.settings = settings;
    source.inputs = RunInputsFingerprint(state);
    source.notes = notes;
    return source;
}

ReportSource ProjectReportSource(const Project &project, const std::filesystem::path &file,
    const ReportSettings &settings, const std::vector<std::string> &notes,
    const std::string &programVersion)
{
    const bool results = project.run() && HoldsResults(project.state());
    ReportSource source = StateReportSource(project.state(), project.observed(),
        project.designInputs(), project.wetlandType(), results ? &*project.run() : nullptr, file,
        settings, notes, programVersion);
    source.resultsStale = results && project.stale(Derived::Results);
    source.bands = project.bands() ? &*project.bands() : nullptr;
    source.inputs = project.runInputsFingerprint();
    return source;
}

std::string TodayText()
{
    using namespace std::chrono;
    const year_month_day today {floor<days>(system_clock::now())};
    std::array<char, 16> text {};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02u", static_cast<int>(today.year()),
        static_cast<unsigned>(today.month()), static_cast<unsigned>(today.day()));
    return text.data();
}

} // namespace carexa
