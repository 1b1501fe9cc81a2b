// The project's design report settings: the texts, permit limits and analyses kept for the
// report, as the side file beside the project file holds them.

#include "project/project.h"

#include "model/error.h"

#include <cmath>

namespace carexa {

namespace {

// A permit limit is on one of the data sheet's first five columns: the outflows.
constexpr int kOutflowColumns = 5;

} // namespace

ProjectChange Project::takeSideFile(ReportSettings settings, std::string problem)
{
    report_ = std::move(settings);
    sideFileProblem_ = std::move(problem);
    return settle({ProjectPart::Report});
}

ProjectChange Project::sideFileWritten()
{
    sideFileProblem_.clear();
    return settle({ProjectPart::Report});
}

ProjectChange Project::setReportSettings(ReportSettings settings)
{
    for (const PermitLimit &limit : settings.limits) {
        if (limit.column < 1 || limit.column > kOutflowColumns || !std::isfinite(limit.value)
            || limit.value <= 0)
            throw Error("A permit limit must be a number above 0 on one of the five outflows; "
                        "the report settings were not changed.");
    }
    report_ = std::move(settings);
    return settle({ProjectPart::Report});
}

ProjectChange Project::keepAnalyses(const KeptAnalyses &ran)
{
    ReplaceAnalyses(report_.analyses, ran);
    return settle({ProjectPart::Report});
}

ProjectChange Project::keepAssistant(const AssistantInputs &inputs)
{
    report_.designAssistant = KeptAssistant {inputs};
    return settle({ProjectPart::Report});
}

} // namespace carexa
