#include "app/batch_command.h"

#include "analysis/random.h"
#include "analysis/thread_pool.h"

#include "io/output_file.h"
#include "model/error.h"
#include "results/data_sheet.h"

#include "model/error.h"

#include <charconv>
#include <cmath>
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

namespace {

// A text of the user's in a message: at most 40 characters, escaped, in double quotes.
std::string Quote(std::string_view text)
{
    std::string quoted(1, '"');
    quoted += QuotedText(text);
    quoted += '"';
    return quoted;
}

std::vector<std::string> CommaList(const std::string &text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

std::string ParameterNames()
{
    std::string names;
    for (int i = 0; i < kParameterCount; ++i) {
        if (i > 0)
            names += ", ";
        names += ParameterName(static_cast<Parameter>(i));
    }
    return names;
}

} // namespace

std::array<bool, kParameterCount> ParameterList(const std::string &list)
{
    std::array<bool, kParameterCount> chosen {};
    for (const std::string &name : CommaList(list)) {
        bool known = false;
        for (int i = 0; i < kParameterCount; ++i) {
            if (ParameterName(static_cast<Parameter>(i)) == name) {
                chosen[static_cast<std::size_t>(i)] = true;
                known = true;
            }
        }
        if (!known)
            throw Error("--params names parameters among " + ParameterNames() + ", not "
                + Quote(name) + ".");
    }
    return chosen;
}

std::array<bool, kSeriesCount> SeriesList(const std::string &list)
{
    std::array<bool, kSeriesCount> chosen {};
    for (const std::string &item : CommaList(list)) {
        int column = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), column);
        if (item.empty() || error != std::errc() || end != item.data() + item.size() || column < 1
            || column > kSeriesCount)
            throw Error("--series names data sheet columns 1 to 11, not " + Quote(item) + ".");
        chosen[static_cast<std::size_t>(column - 1)] = true;
    }
    return chosen;
}

double NumberOption(const ParsedArguments &parsed, const std::string &option, double fallback)
{
    const std::optional<std::string> text = parsed.value(option);
    if (!text)
        return fallback;
    double value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || error != std::errc() || end != text->data() + text->size()
        || !std::isfinite(value))
        throw UsageError(option + " takes a number");
    return value;
}

void WriteNotes(const std::vector<std::string> &lines, std::ostream &err)
{
    for (const std::string &line : lines)
        err << "carexa-sim: note: " << line << '\n';
}

int ThreadsOption(const ParsedArguments &parsed)
{
    return static_cast<int>(
        WholeNumberOption(parsed, "--threads", DefaultThreadCount(), 1, kMaxAnalysisThreads));
}

void LoadSession(Session &session, const std::filesystem::path &project)
{
    session.project.load(ReadProjectFile(project));
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
