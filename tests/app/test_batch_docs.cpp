// The bash completion and the manual page of carexa-sim, made from its own commands.

#include "app/bash_completion.h"
#include "app/batch_command.h"
#include "app/batch_manual.h"
#include "app/batch_runner.h"
#include "app/sim_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace carexa;
using testing_support::Sim;

namespace {

struct OptionLine
{
    const char *line;
    const char *name; ///< nullptr: the line lists no option
    const char *placeholder;
};

class HelpOptionLines : public testing::TestWithParam<OptionLine>
{ };

TEST_P(HelpOptionLines, GiveTheOptionAndItsPlaceholder)
{
    const OptionLine &c = GetParam();
    const std::vector<CompletedOption> options = HelpOptions(c.line);
    if (!c.name) {
        EXPECT_TRUE(options.empty()) << options.front().name;
        return;
    }
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].name, c.name);
    EXPECT_EQ(options[0].placeholder, c.placeholder);
}

INSTANTIATE_TEST_SUITE_P(Lines, HelpOptionLines,
    testing::Values(OptionLine {"  --save OUT.mdl         the project", "--save", "OUT.mdl"},
        OptionLine {"  --quiet                no summary", "--quiet", ""},
        OptionLine {"  --quiet", "--quiet", ""},
        OptionLine {"  --pollutant NAME:IN:TARGET[:K20:THETA:CSTAR:P]", "--pollutant",
            "NAME:IN:TARGET[:K20:THETA:CSTAR:P]"},
        OptionLine {"  --long-term-factor F   share", "--long-term-factor", "F"},
        OptionLine {"  --flow Q", "--flow", "Q"},
        // Continuation lines and prose that mention options list none.
        OptionLine {"                         (needs --slope and --depth)", nullptr, ""},
        OptionLine {"   --deeper X            indented further", nullptr, ""},
        OptionLine {"--top X", nullptr, ""},
        OptionLine {"efficiencies as --csv writes them.", nullptr, ""}));

TEST(CompletedOption, NamesAFileWhenItsPlaceholderHasAnExtension)
{
    const auto file = [](const char *placeholder) {
        return CompletedOption {"--x", placeholder}.file();
    };
    EXPECT_TRUE(file("OUT.mdl"));
    EXPECT_TRUE(file("F.csv"));
    EXPECT_TRUE(file("BOOK.xlsx"));
    EXPECT_FALSE(file(""));
    EXPECT_FALSE(file("N"));
    EXPECT_FALSE(file("WxH"));
    EXPECT_FALSE(file("COLUMN:FILE"));
    EXPECT_FALSE(file("AC,NC,..."));
    EXPECT_FALSE(file("1,2,..."));
    EXPECT_FALSE(file(".csv"));
    EXPECT_FALSE(file("A.B:C"));
}

TEST(SynopsisOptions, AreTheOptionNamesWithoutBracketsOrValues)
{
    EXPECT_EQ(SynopsisOptions("carexa-sim size --flow Q [--temperature T]\n"
                              "    [--depth D --porosity N] [--graph COLUMN:FILE]... [--x]"),
        (std::vector<std::string> {"--flow", "--temperature", "--depth", "--porosity", "--graph",
            "--x"}));
}

// Every command the runner has is completed, with the options its help lists; they are the
// options of its synopsis, and the command accepts each of them.
TEST(CompletedCommands, AreTheRunnersCommandsWithOptionsTheyAccept)
{
    const std::vector<CompletedCommand> commands = CompletedCommands();
    ASSERT_EQ(commands.size(), BatchCommands().size());
    ASSERT_GE(commands.size(), 6u);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const CompletedCommand &command = commands[i];
        const batch::Command &runner = *BatchCommands()[i];
        EXPECT_EQ(command.name, runner.name);
        ASSERT_FALSE(command.options.empty()) << command.name;
        std::set<std::string> fromHelp, fromSynopsis;
        for (const CompletedOption &option : command.options)
            fromHelp.insert(option.name);
        for (const std::string &option : SynopsisOptions(std::string(runner.synopsis)))
            fromSynopsis.insert(option);
        EXPECT_EQ(fromHelp, fromSynopsis) << command.name;
        for (const CompletedOption &option : command.options) {
            std::vector<std::string> args {command.name, option.name};
            if (!option.placeholder.empty())
                args.push_back("x");
            const testing_support::SimResult r = Sim(args);
            EXPECT_EQ(r.err.find("unknown option"), std::string::npos)
                << command.name << ' ' << option.name << ": " << r.err;
        }
        // ... which the check above tells from an option it does not know.
        EXPECT_NE(Sim({command.name, "--no-such-option", "x"}).err.find("unknown option"),
            std::string::npos);
    }
}

TEST(CompletedCommands, KnowWhichTakeAProject)
{
    for (const CompletedCommand &command : CompletedCommands())
        EXPECT_EQ(command.projects, command.name == "size" ? 0 : 1) << command.name;
}

TEST(BashCompletion, NamesEveryCommandAndOption)
{
    const std::string script = BashCompletion();
    EXPECT_NE(script.find("complete -F _carexa_sim carexa-sim"), std::string::npos);
    std::string commands;
    for (const batch::Command *command : BatchCommands()) {
        commands += std::string(command->name) + ' ';
        EXPECT_NE(script.find("        " + std::string(command->name) + ")\n"), std::string::npos);
    }
    EXPECT_NE(script.find("compgen -W '" + commands + "--help --version'"), std::string::npos);
    EXPECT_NE(script.find("            files='--save --csv --datasheet --boxes --forcing "
                          "--observed --xlsx --fit'\n"),
        std::string::npos);
    EXPECT_NE(script.find("            values='--graph --graph-size'\n"), std::string::npos);
}

struct RoffCase
{
    const char *text;
    const char *roff;
};

class RoffTexts : public testing::TestWithParam<RoffCase>
{ };

TEST_P(RoffTexts, PrintAsTheyStand)
{
    EXPECT_EQ(RoffText(GetParam().text), GetParam().roff);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoffTexts,
    testing::Values(RoffCase {"--save OUT.mdl", "\\-\\-save OUT.mdl"},
        RoffCase {"--long-term-factor F", "\\-\\-long\\-term\\-factor F"},
        RoffCase {"first-order tanks-in-series", "first-order tanks-in-series"},
        RoffCase {"1 - NSE", "1 \\- NSE"}, RoffCase {"takes \"-\" for", "takes \"\\-\" for"},
        RoffCase {"(needs --slope)", "(needs \\-\\-slope)"},
        RoffCase {"[--area A]", "[\\-\\-area A]"}, RoffCase {"C:\\dir", "C:\\edir"},
        RoffCase {".mdl files", "\\&.mdl files"}, RoffCase {"'quoted'", "\\&'quoted'"},
        RoffCase {"a.b 'c'", "a.b 'c'"}, RoffCase {"series,n,mean", "series,\\:n,\\:mean"},
        RoffCase {"a, b,", "a, b,"}, RoffCase {"", ""}));

TEST(BatchManualPage, HoldsEverySynopsisCommandAndOption)
{
    const std::string page = BatchManualPage("2026-12-07");
    EXPECT_EQ(page.find(".TH CAREXA\\-SIM 1 \"2026-12-07\" \"Carexa "), page.find(".TH "));
    for (const char *section : {".SH NAME\n", ".SH SYNOPSIS\n", ".SH DESCRIPTION\n",
             ".SH COMMANDS\n", ".SH OUTPUT FILES\n", ".SH EXIT STATUS\n", ".SH SEE ALSO\n"})
        EXPECT_NE(page.find(section), std::string::npos) << section;
    for (const CompletedCommand &command : CompletedCommands()) {
        EXPECT_NE(page.find(".SY carexa\\-sim\n.B " + command.name + '\n'), std::string::npos);
        EXPECT_NE(page.find(".SS " + command.name + '\n'), std::string::npos);
        for (const CompletedOption &option : command.options) {
            const std::string name = RoffText(option.name);
            const std::string tag = option.placeholder.empty()
                ? ".B " + name + '\n'
                : ".BI \"" + name + " \" \"" + RoffText(option.placeholder) + "\"\n";
            EXPECT_NE(page.find(".TP\n" + tag), std::string::npos) << tag;
        }
    }
    // Each synopsis follows its command, in one line without the program's and command's names.
    EXPECT_NE(page.find(".SY carexa\\-sim\n.B run\nPROJECT.mdl [\\-\\-save OUT.mdl] [\\-\\-csv "
                        "SHEET.csv] [\\-\\-datasheet SHEET.csv] [\\-\\-boxes BOXES.csv]"),
        std::string::npos);
    EXPECT_NE(page.find(".B size\n\\-\\-flow Q [\\-\\-temperature T] \\-\\-pollutant "),
        std::string::npos);
    // The description of run starts as a sentence, under its heading.
    EXPECT_NE(page.find(".SS run\nLoads PROJECT.mdl as"), std::string::npos);
    // The exit statuses without their heading, and the default table of size kept as it stands.
    EXPECT_NE(page.find(".SH EXIT STATUS\n0 on success;"), std::string::npos);
    EXPECT_NE(page.find(".RS\n.nf\n  BOD5      P 3, theta 1,"), std::string::npos);
    EXPECT_NE(page.find("\n            (assumed)\n.fi\n.RE\n"), std::string::npos);
}

} // namespace
