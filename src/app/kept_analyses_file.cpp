#include "app/kept_analyses_file.h"

#include "project/project.h"
#include "report/side_file.h"

namespace carexa::batch {

void KeepAnalysesBeside(const std::filesystem::path &project,
    const std::function<void(KeptAnalyses &)> &keep, std::vector<std::string> &notes)
{
    SideFileRead side = ReadSideFile(project);
    if (side.problem.find("is damaged") != std::string::npos) {
        notes.push_back(side.problem + " The analyses were not kept in it, so as not to write over it.");
        return;
    }
    // The project's own rule: each analysis ran takes the place of the one of its kind.
    Project kept;
    kept.takeSideFile(std::move(side.settings), side.problem);
    KeptAnalyses ran;
    keep(ran);
    kept.keepAnalyses(ran);
    WriteSideFile(project, kept.reportSettings());
}

} // namespace carexa::batch
