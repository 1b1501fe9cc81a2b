#include "app/batch_command.h"

#include "analysis/random.h"
#include "analysis/thread_pool.h"

#include "io/output_file.h"
#include "model/error.h"
#include "results/data_sheet.h"

#include <charconv>
#include <limits>
#include <ostream>

namespace carexa::batch {

std::optional<std::string> ParsedArguments::value(const std::string &option) const
{
    const auto found = values.find(option);
    if (found == values.end() || found->second.empty())
        return std::nullopt;
    return found->second.front();
}

const std::vector<std::string> &ParsedArguments::all(const std::string &option) const
{
    static const std::vector<std::string> none;
    const auto found = values.find(option);
    return found == values.end() ? none : found->second;
}

ParsedArguments ParseArguments(const std::vector<std::string> &args, const OptionSpec &accepted)
{
    ParsedArguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool single = accepted.single.count(arg) > 0;
        if (single || accepted.repeatable.count(arg) > 0) {
            if (i + 1 >= args.size())
                throw UsageError(QuotedText(arg) + " needs a value");
            auto &values = parsed.values[arg];
            if (single && !values.empty())
                throw UsageError(QuotedText(arg) + " is given twice");
            values.push_back(args[++i]);
        } else if (accepted.flags.count(arg) > 0) {
            parsed.flags.insert(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + QuotedText(arg) + "'");
        } else {
            parsed.positionals.push_back(arg);
        }
    }
    if (static_cast<int>(parsed.positionals.size()) < accepted.positionals)
        throw UsageError(
            accepted.positionals == 1 ? "no project file given" : "an argument is missing");
    if (static_cast<int>(parsed.positionals.size()) > accepted.positionals)
        throw UsageError(
            accepted.positionals == 1 ? "more than one project file given" : "too many arguments");
    return parsed;
}

long long WholeNumberOption(const ParsedArguments &parsed, const std::string &option,
    long long fallback, long long lowest, long long highest)
{
    const std::optional<std::string> text = parsed.value(option);
    if (!text)
        return fallback;
    long long value = 0;
    const auto result = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || result.ec != std::errc() || result.ptr != text->data() + text->size()
        || value < lowest || value > highest)
        throw UsageError(option + " takes a whole number from " + std::to_string(lowest) + " to "
            + std::to_string(highest));
    return value;
}

std::uint64_t SeedOption(const ParsedArguments &parsed, std::uint64_t fallback)
{
    const std::optional<std::string> text = parsed.value("--seed");
    if (!text)
        return fallback;
    const std::optional<std::uint64_t> seed = ParseSeed(*text);
    if (!seed)
        throw UsageError("--seed takes " + SeedRule());
    return *seed;
}

int ThreadsOption(const ParsedArguments &parsed)
{
    return static_cast<int>(
        WholeNumberOption(parsed, "--threads", DefaultThreadCount(), 1, kMaxAnalysisThreads));
}

void LoadSession(Session &session, const std::filesystem::path &project)
{
    FillStartupDataSheet(session.state, session.dataGrid);
    const LoadedProject loaded = ReadProjectFile(project);
    ApplyProject(loaded, session.state);
    FillObservedGrid(loaded, session.observed);
    session.design = LoadedDesignTexts(loaded);
}

void WriteOutput(
    const std::string &name, std::string_view text, std::ostream &out, const std::string &what)
{
    if (name == "-") {
        StreamSink sink(out, "Standard output");
        sink.write(text);
        sink.finish();
        return;
    }
    WriteFileAtomically(name, text, what);
}

} // namespace carexa::batch
