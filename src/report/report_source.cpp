#include "report/report.h"

#include "model/number_text.h"
#include "report/side_file.h"

#include <chrono>
#include <cstdio>

namespace carexa {


ReportSource ProjectReportSource(const Project &project, const std::filesystem::path &file,
    const ReportSettings &settings, const std::vector<std::string> &notes,
    const std::string &programVersion)
{
    ReportSource source;
    source.projectFile = file.empty() ? std::string("(not saved)") : file.filename().string();
    if (!file.empty()) {
        source.projectSha256 = FileSha256(file);
        source.sideFileSha256 = FileSha256(SideFilePath(file));
    }
    source.programVersion = programVersion;
    source.date = TodayText();
    source.state = &project.state();
    source.observed = &project.observed();
    source.design = project.designInputs();
    source.wetlandType = project.wetlandType();
    if (!source.wetlandType) {
        source.wetlandType = WetlandTypeOfDesign(project.state().initial,
            TryParseDouble(source.design[5]), TryParseDouble(source.design[6]));
    }
    if (project.run() && HoldsResults(project.state())) {
        source.run = &*project.run();
        source.resultsStale = project.stale(Derived::Results);
    }
    source.bands = project.bands() ? &*project.bands() : nullptr;
    source.settings = settings;
    source.notes = notes;
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
