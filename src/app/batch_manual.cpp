#include "app/batch_manual.h"

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/version.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace carexa {

namespace {

std::size_t Indent(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? line.size() : first;
}

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::istringstream stream {std::string(text)};
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

// A text's lines as roff: paragraphs of plain lines (filled), option items ("  --name VALUE
// description", continued by lines indented to the description), and lines indented deeper than
// an item's description kept as they stand (a small table).
std::string HelpAsRoff(const std::vector<std::string> &lines)
{
    std::string roff;
    bool inItem = false;
    bool preformatted = false;
    std::size_t column = 0; // where an item's description starts
    const auto endPreformatted = [&] {
        if (preformatted)
            roff += ".fi\n.RE\n";
        preformatted = false;
    };
    for (const std::string &line : lines) {
        const std::size_t indent = Indent(line);
        if (indent == line.size()) {
            endPreformatted();
            inItem = false;
            roff += ".PP\n";
            continue;
        }
        if (indent == 2 && line.compare(2, 2, "--") == 0) {
            endPreformatted();
            inItem = true;
            // The name and its placeholder end where two spaces begin the description.
            std::size_t tagEnd = line.find("  ", 2);
            if (tagEnd == std::string::npos)
                tagEnd = line.size();
            const std::string tag = line.substr(2, tagEnd - 2);
            const std::size_t space = tag.find(' ');
            roff += ".TP\n";
            if (space == std::string::npos)
                roff += ".B " + RoffText(tag) + '\n';
            else
                roff += ".BI \"" + RoffText(tag.substr(0, space)) + " \" \""
                    + RoffText(tag.substr(space + 1)) + "\"\n";
            column = Indent(std::string_view(line).substr(tagEnd)) + tagEnd;
            if (column < line.size())
                roff += RoffText(line.substr(column)) + '\n';
            else
                column = 0; // taken from the first continuation line
            continue;
        }
        if (inItem && indent > 0) {
            if (column == 0)
                column = indent;
            if (indent > column) {
                if (!preformatted)
                    roff += ".RS\n.nf\n";
                preformatted = true;
                roff += RoffText(line.substr(column)) + '\n';
            } else {
                endPreformatted();
                roff += RoffText(line.substr(indent)) + '\n';
            }
            continue;
        }
        endPreformatted();
        if (inItem) {
            // A plain line after an item: the paragraph after the options.
            inItem = false;
            roff += ".PP\n";
        }
        roff += RoffText(line.substr(indent)) + '\n';
    }
    endPreformatted();
    return roff;
}

} // namespace

std::string RoffText(std::string_view text)
{
    std::string roff;
    // Within a word that begins with a dash (an option such as --long-term-factor, or "-" for
    // standard output) every dash is a minus sign, which roff neither breaks at nor shows as a
    // hyphen; elsewhere a dash is a hyphen.
    bool option = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        constexpr std::string_view kBeforeWord = " \"'([";
        if (i == 0 || kBeforeWord.find(text[i - 1]) != std::string_view::npos)
            option = c == '-';
        if (c == '\\')
            roff += "\\e";
        else if (c == '-' && option)
            roff += "\\-";
        else if (c == ',' && i + 1 < text.size() && text[i + 1] != ' ')
            roff += ",\\:"; // a list such as a CSV heading may break after a comma
        else
            roff += c;
    }
    if (!roff.empty() && (roff[0] == '.' || roff[0] == '\''))
        roff.insert(0, "\\&");
    return roff;
}

std::string BatchManualPage(std::string_view date)
{
    std::string page;
    page += ".\\\" Made by the build from carexa-sim's own commands and help; do not edit.\n";
    page += ".TH CAREXA\\-SIM 1 \"" + std::string(date) + "\" \"Carexa " + kCarexaVersion
        + "\" \"User Commands\"\n";
    // Long option names and file names read better unhyphenated and ragged right.
    page += ".nh\n.ad l\n";
    page += ".SH NAME\n";
    page += "carexa\\-sim \\- simulate, calibrate and analyse Carexa wetland projects without a "
            "window\n";

    page += ".SH SYNOPSIS\n";
    for (const batch::Command *command : BatchCommands()) {
        // The synopsis's lines make one, filled by roff with a hanging indent.
        std::string words;
        for (const std::string &line : Lines(command->synopsis)) {
            const std::string_view rest = std::string_view(line).substr(Indent(line));
            if (!words.empty())
                words += ' ';
            words += rest;
        }
        const std::string prefix = "carexa-sim " + std::string(command->name);
        if (words.compare(0, prefix.size(), prefix) == 0)
            words.erase(0, prefix.size() + 1);
        page += ".SY carexa\\-sim\n";
        page += ".B " + RoffText(command->name) + '\n';
        page += RoffText(words) + '\n';
        page += ".YS\n";
    }
    page += ".SY carexa\\-sim\n.B \\-\\-help\n.YS\n";
    page += ".SY carexa\\-sim\n.B \\-\\-version\n.YS\n";

    page += ".SH DESCRIPTION\n";
    page += ".B carexa\\-sim\n"
            "is the batch runner of Carexa, the designer and simulator of subsurface-flow "
            "treatment wetlands.\n"
            "It loads a project file saved by the window,\n"
            ".BR carexa (1),\n"
            "and does what the window's buttons do, with the same defaults and results:\n"
            "simulate, export the tables, size a bed, calibrate the parameters, screen their "
            "sensitivity and compute prediction bands.\n"
            "It needs no display.\n";
    page += ".PP\nThe first argument names the command; its options follow in any order.\n";

    page += ".SH COMMANDS\n";
    for (const batch::Command *command : BatchCommands()) {
        page += ".SS " + RoffText(command->name) + '\n';
        std::vector<std::string> lines = Lines(command->help);
        // "run: loads ..." reads "Loads ..." under the heading "run".
        const std::string lead = std::string(command->name) + ": ";
        if (!lines.empty() && lines.front().compare(0, lead.size(), lead) == 0) {
            lines.front().erase(0, lead.size());
            if (!lines.front().empty())
                lines.front()[0]
                    = static_cast<char>(std::toupper(static_cast<unsigned char>(lines.front()[0])));
        }
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
        page += HelpAsRoff(lines);
    }

    // The notes that follow the commands in --help: files, then the exit statuses.
    const std::string help = BatchHelp();
    const std::span<const batch::Command *const> commands = BatchCommands();
    const std::string_view last = commands.back()->help;
    const std::size_t end = help.find(last);
    std::string_view notes
        = std::string_view(help).substr(end == std::string::npos ? help.size() : end + last.size());
    std::vector<std::string> files, exit;
    bool exitStatus = false;
    for (std::string &line : Lines(notes)) {
        const std::string heading = "Exit status: ";
        if (line.compare(0, heading.size(), heading) == 0) {
            exitStatus = true;
            line.erase(0, heading.size());
            line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
        }
        (exitStatus ? exit : files).push_back(line);
    }
    const auto trim = [](std::vector<std::string> &lines) {
        while (!lines.empty() && lines.front().empty())
            lines.erase(lines.begin());
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
    };
    trim(files);
    trim(exit);
    if (!files.empty())
        page += ".SH OUTPUT FILES\n" + HelpAsRoff(files);
    if (!exit.empty())
        page += ".SH EXIT STATUS\n" + HelpAsRoff(exit);

    page += R"(.SH EXAMPLES
Simulate an example project and write the data sheet to standard output:
.PP
.RS
.EX
carexa\-sim run /usr/share/carexa/examples/cold_climate_bed.mdl \-\-csv \-
.EE
.RE
.PP
Calibrate the parameters with a fixed seed and keep the calibrated project:
.PP
.RS
.EX
carexa\-sim calibrate bed.mdl \-\-save calibrated.mdl \-\-report report.csv \-\-seed 1
.EE
.RE
.SH FILES
.TP
.I /usr/share/carexa/examples/
example projects: a bed in a cold and one in a warm climate, with a year of daily data
.SH SEE ALSO
.BR carexa (1)
)";
    return page;
}

} // namespace carexa
