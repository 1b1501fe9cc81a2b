#include "app/kept_analyses_file.h"

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
    keep(side.settings.analyses);
    WriteSideFile(project, side.settings);
}

} // namespace carexa::batch
