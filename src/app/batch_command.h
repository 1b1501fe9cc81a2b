#pragma once

#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/project.h"
#include "project/project_file.h"

#include "model/model_parameters.h"
#include "model/output_series.h"

#include <array>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace carexa::batch {

/// Wrong usage of the command line: exit status 2 with a pointer to --help.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The options of one command: which take a value (once, or repeatedly), which are flags, and
/// how many plain arguments (such as the project file) it takes.
struct OptionSpec
{
    std::set<std::string> single {}; ///< options that take one value and may be given once
    std::set<std::string> repeatable {}; ///< options that take one value and may be repeated
    std::set<std::string> flags {}; ///< options without a value
    int positionals = 1; ///< plain arguments the command needs
};

/// A parsed command line: option values by name (in order for repeatable ones), flags given, and
/// the plain arguments.
struct ParsedArguments
{
    std::map<std::string, std::vector<std::string>> values;
    std::set<std::string> flags;
    std::vector<std::string> positionals;

    std::optional<std::string> value(const std::string &option) const;
    const std::vector<std::string> &all(const std::string &option) const;
    bool has(const std::string &option) const { return flags.count(option) > 0; }
};

/// Parses `args` from index 1 on (index 0 is the command's name). Throws UsageError for an
/// unknown option, a missing value, an option given twice that may be given once, or a wrong
/// number of plain arguments.
ParsedArguments ParseArguments(const std::vector<std::string> &args, const OptionSpec &accepted);

/// A whole number option within [lowest, highest]; UsageError otherwise.
long long WholeNumberOption(const ParsedArguments &parsed, const std::string &option,
    long long fallback, long long lowest, long long highest);

/// The most workers an analysis command's --threads takes.
inline constexpr long long kMaxAnalysisThreads = 256;

/// --seed of an analysis: what ParseSeed takes (a whole number from 0 to the largest 64-bit
/// one), or `fallback`.
std::uint64_t SeedOption(const ParsedArguments &parsed, std::uint64_t fallback);
/// --threads of an analysis: 1 to kMaxAnalysisThreads, or every core.
int ThreadsOption(const ParsedArguments &parsed);

/// --params AC,NC,...: the parameters named, in a list of record order flags. Refuses (Error) a
/// name that is not a parameter's, quoting it.
std::array<bool, kParameterCount> ParameterList(const std::string &list);
/// --series 1,3,...: the data sheet columns named (1 to 11). Refuses (Error) anything else.
std::array<bool, kSeriesCount> SeriesList(const std::string &list);

/// A number option (such as --threshold); UsageError when it is not a finite number.
double NumberOption(const ParsedArguments &parsed, const std::string &option, double fallback);

/// Writes "carexa-sim: note: <line>" on `err` for each line.
void WriteNotes(const std::vector<std::string> &lines, std::ostream &err);

/// The project a command works on: loaded as "Load Project" loads it, and changed only through
/// the project's own operations (import, recalculate, simulate, apply a calibration).
struct Session
{
    Project project;

    const ModelState &state() const { return project.state(); }
    const TextGrid &observed() const { return project.observed(); }
    const DesignTexts &design() const { return project.designInputs(); }
};

/// Loads a project file into the session as "Load Project" does (ReadProjectFile, then
/// Project::load, the window's path too); throws Error when the file is refused, and the session
/// stays as it was.
void LoadSession(Session &session, const std::filesystem::path &project);

/// Writes an output: "-" to `out`, any other name as a file that appears complete or not at all.
/// `what` names the output in messages. Throws Error when it cannot be written.
void WriteOutput(
    const std::string &name, std::string_view text, std::ostream &out, const std::string &what);

/// One command of carexa-sim: its name, its lines in the usage synopsis, its section of --help,
/// and what runs it (the arguments start with the command's name).
struct Command
{
    std::string_view name;
    std::string_view synopsis;
    std::string_view help;
    int (*run)(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
};

/// The "run" command: load, simulate, write the outputs.
extern const Command kRunCommand;
/// The "export" command: load and write the tables without a run.
extern const Command kExportCommand;

/// The "size" command: the design assistant's sizing for target outflows and its Darcy check.
extern const Command kSizeCommand;
/// The "calibrate" command: load, calibrate, save the calibrated project.
extern const Command kCalibrateCommand;
/// The "sensitivity" command: Morris's screening of the parameters.
extern const Command kSensitivityCommand;
/// The "uncertainty" command: bands of sampled parameter sets.
extern const Command kUncertaintyCommand;
/// The "condition" command: uncertainty conditioned on the measurements (SUFI-2 with GLUE weights).
extern const Command kConditionCommand;
/// The "compliance" command: the probability of meeting permit limits.
extern const Command kComplianceCommand;
/// The "sobol" command: variance-based sensitivity indices.
extern const Command kSobolCommand;
/// The "report" command: the design report as a PDF.
extern const Command kReportCommand;

} // namespace carexa::batch
