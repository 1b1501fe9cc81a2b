// The recovery copy's reader: any text either is refused with an Error or gives a file name, a
// time and a project; written again, the copy reads back to the same name and time, and its
// project writes the same bytes once it has settled.

#include "io/buffered_writer.h"
#include "model/error.h"
#include "model/observed_grid.h"
#include "project/project_file.h"
#include "project/recovery_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace carexa;

namespace {

constexpr std::int32_t kMostDays = 60;

struct Written
{
    std::string text;
    std::string project;
};

Written Write(const RecoveredProject &recovered)
{
    ModelState state;
    ApplyProject(recovered.project, state);
    TextGrid observed(12, 1);
    FillObservedGrid(recovered.project, observed);
    const DesignTexts design = LoadedDesignTexts(recovered.project);
    StringSink sink;
    WriteRecovery(recovered.info, state, observed, design, sink);
    return {std::move(sink.text()), ProjectText(state, observed, design)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    RecoveredProject recovered;
    try {
        recovered = ParseRecovery(text);
    } catch (const Error &) {
        return 0;
    }
    if (recovered.project.simulationLength > kMostDays
        || recovered.project.observedLength > kMostDays)
        return 0;
    // The name and the time come back as they were; the project settles after two rounds, as a
    // saved project does (a load recalculates the water volumes from the first save on).
    const Written once = Write(recovered);
    const RecoveredProject again = ParseRecovery(once.text);
    if (!(again.info == recovered.info))
        std::abort();
    const Written twice = Write(again);
    if (Write(ParseRecovery(twice.text)).project != twice.project)
        std::abort();
    return 0;
}
