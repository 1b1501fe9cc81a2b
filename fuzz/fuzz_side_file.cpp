// The side file beside a project (NAME.carexa.json), read as loading a project reads it: any
// bytes give settings and at most a one-line problem, never a crash; and what was read, written
// again, reads back the same without a problem.

#include "report/side_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace carexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const SideFileRead read = ParseSideFile(text);
    if (read.problem.find('\n') != std::string::npos)
        std::abort();
    const SideFileRead again = ParseSideFile(SideFileText(read.settings));
    if (!again.problem.empty() || !(again.settings == read.settings))
        std::abort();
    return 0;
}
