// The option parser of `carexa-sim size`: the input is its command line, one argument a line.
// Every command line is either refused (a usage error or an Error naming the input) or answered
// with CSV whose every value is a finite number.

#include "app/batch_command.h"
#include "model/error.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace carexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> args {"size"};
    std::size_t start = 0;
    while (start <= text.size() && args.size() < 64) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        args.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::ostringstream out, err;
    try {
        batch::kSizeCommand.run(args, out, err);
    } catch (const batch::UsageError &) {
        return 0;
    } catch (const Error &e) {
        // A refusal is one line.
        if (std::string_view(e.what()).find('\n') != std::string_view::npos)
            std::abort();
        return 0;
    }
    // Every field of the answer is a number, empty, or a name of the table.
    std::istringstream lines(out.str());
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t from = 0;
        while (from <= line.size()) {
            const std::size_t to = std::min(line.find(',', from), line.size());
            const std::string_view field = std::string_view(line).substr(from, to - from);
            if (field == "inf" || field == "-inf" || field == "nan" || field == "-nan")
                std::abort();
            from = to + 1;
        }
    }
    return 0;
}
