#include "app/bash_completion.h"

#include "app/batch_command.h"
#include "app/batch_runner.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace carexa {

namespace {

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// The words of `options` joined by single spaces.
std::string Words(
    const std::vector<CompletedOption> &options, bool (*keep)(const CompletedOption &))
{
    std::string words;
    for (const CompletedOption &option : options) {
        if (!keep(option))
            continue;
        if (!words.empty())
            words += ' ';
        words += option.name;
    }
    return words;
}

} // namespace

bool CompletedOption::file() const
{
    const std::size_t dot = placeholder.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == placeholder.size())
        return false;
    return std::all_of(placeholder.begin() + static_cast<std::ptrdiff_t>(dot) + 1,
        placeholder.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

std::vector<CompletedOption> HelpOptions(const std::string &help)
{
    std::vector<CompletedOption> options;
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line)) {
        if (!StartsWith(line, "  --"))
            continue;
        CompletedOption option;
        const std::size_t nameEnd = std::min(line.find(' ', 2), line.size());
        option.name = line.substr(2, nameEnd - 2);
        // A single space, then the placeholder; two spaces begin the description.
        if (nameEnd + 1 < line.size() && line[nameEnd + 1] != ' ') {
            const std::size_t end = std::min(line.find(' ', nameEnd + 1), line.size());
            option.placeholder = line.substr(nameEnd + 1, end - nameEnd - 1);
        }
        options.push_back(option);
    }
    return options;
}

std::vector<std::string> SynopsisOptions(const std::string &synopsis)
{
    std::vector<std::string> options;
    std::istringstream words(synopsis);
    std::string word;
    while (words >> word) {
        const std::size_t start = word.find("--");
        if (start == std::string::npos)
            continue;
        const std::size_t end
            = word.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-", start + 2);
        options.push_back(word.substr(start, end == std::string::npos ? end : end - start));
    }
    return options;
}

std::vector<CompletedCommand> CompletedCommands()
{
    std::vector<CompletedCommand> commands;
    for (const batch::Command *command : BatchCommands()) {
        CompletedCommand completed;
        completed.name = command->name;
        completed.options = HelpOptions(std::string(command->help));
        // The plain arguments of the synopsis's first line: the words before the first option.
        std::istringstream words(std::string(command->synopsis));
        std::string word;
        words >> word >> word; // "carexa-sim" and the command
        while (words >> word && !StartsWith(word, "-") && !StartsWith(word, "[")) {
            if (word.size() > 4 && word.ends_with(".mdl"))
                ++completed.projects;
        }
        commands.push_back(completed);
    }
    return commands;
}

std::string BashCompletion()
{
    const std::vector<CompletedCommand> commands = CompletedCommands();
    std::string names;
    for (const CompletedCommand &command : commands)
        names += command.name + ' ';
    names += "--help --version";

    std::string script
        = R"(# bash completion for carexa-sim                              -*- shell-script -*-
# Made by the build from carexa-sim's own commands and options; do not edit.

_carexa_sim()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command= at=0 i
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} != -* ]]; then
            command=${COMP_WORDS[i]}
            at=$i
            break
        fi
    done
    COMPREPLY=()
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W ')"
        + names + R"(' -- "$cur")
        return 0
    fi

    # The command's options, those of them whose value is a file, those with another value,
    # and how many project files it takes.
    local options files values projects
    case $command in
)";
    for (const CompletedCommand &command : commands) {
        script += "        " + command.name + ")\n";
        script += "            options='"
            + Words(command.options, [](const CompletedOption &) { return true; }) + " --help'\n";
        script += "            files='" + Words(command.options, [](const CompletedOption &option) {
            return option.file();
        }) + "'\n";
        script += "            values='"
            + Words(command.options,
                [](const CompletedOption &option) {
                    return !option.placeholder.empty() && !option.file();
                })
            + "'\n";
        script += "            projects=" + std::to_string(command.projects) + "\n";
        script += "            ;;\n";
    }
    script += R"(        *)
            return 0
            ;;
    esac

    if [[ " $files " == *" $prev "* ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return 0
    fi
    [[ " $values " == *" $prev "* ]] && return 0

    # The project files given so far: the words after the command that are neither options
    # nor their values.
    local given=0
    for ((i = at + 1; i < COMP_CWORD; i++)); do
        if [[ " $files $values " == *" ${COMP_WORDS[i]} "* ]]; then
            i=$((i + 1))
        elif [[ ${COMP_WORDS[i]} != -* ]]; then
            given=$((given + 1))
        fi
    done
    if [[ $cur != -* ]] && ((given < projects)); then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -X '!*.mdl' -- "$cur"; compgen -d -- "$cur")
        return 0
    fi
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return 0
} &&
    complete -F _carexa_sim carexa-sim

# ex: filetype=sh
)";
    return script;
}

} // namespace carexa
