#pragma once

#include <string>
#include <vector>

namespace carexa {

/// One option of a carexa-sim command as its --help section lists it ("  --save OUT.mdl  ...").
struct CompletedOption
{
    std::string name; ///< "--save"
    std::string placeholder; ///< "OUT.mdl"; empty for an option without a value
    /// Whether the value names a file (the placeholder ends in an extension, such as ".csv").
    bool file() const;
};

/// What completing a command line of carexa-sim needs to know of one command.
struct CompletedCommand
{
    std::string name;
    std::vector<CompletedOption> options; ///< in the order its help lists them
    int projects = 0; ///< project files (PROJECT.mdl) the command takes
};

/// The options listed in a command's help text: every line that starts with two spaces and
/// "--", with the word after a single space as its placeholder.
std::vector<CompletedOption> HelpOptions(const std::string &help);

/// The options named in a command's usage synopsis ("[--save OUT.mdl]"), in order.
std::vector<std::string> SynopsisOptions(const std::string &synopsis);

/// Every command of carexa-sim with its options, read from the batch runner's own commands.
std::vector<CompletedCommand> CompletedCommands();

/// A bash completion script for carexa-sim (to be sourced, or installed in
/// /usr/share/bash-completion/completions): commands, each command's options, file names after
/// options that take a file, and .mdl files where a command takes its project.
std::string BashCompletion();

} // namespace carexa
