// carexa-sim report: the design report of a project as a PDF, as File > "Design report..."
// makes it.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/kept_analyses_file.h"
#include "app/version.h"

#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/sensitivity.h"
#include "model/error.h"
#include "project/project.h"
#include "report/report.h"
#include "report/report_analyses_run.h"
#include "report/side_file.h"
#include "ui/picture_export.h"

#include <ostream>

namespace carexa::batch {

namespace {

std::vector<ReportSection> SectionList(const std::string &list)
{
    std::vector<ReportSection> sections;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string key = list.substr(start, end - start);
        const std::optional<ReportSection> section = ReportSectionFromKey(key);
        if (!section)
            throw UsageError("--sections: " + QuotedText(key)
                + " is no section (basis, forcing, setup, results, fit, sensitivity, compliance, scope)");
        sections.push_back(*section);
        start = end + 1;
    }
    return sections;
}

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed = ParseArguments(args,
        {.single = {"--pdf", "--title", "--author", "--paper", "--sections"},
            .flags = {"--with-analyses"}});
    const std::optional<std::string> pdf = parsed.value("--pdf");
    if (!pdf)
        throw UsageError("report needs --pdf");
    ReportPaper paper = LocalePaper();
    if (const auto name = parsed.value("--paper")) {
        if (*name == "a4")
            paper = ReportPaper::A4;
        else if (*name == "letter")
            paper = ReportPaper::Letter;
        else
            throw UsageError("--paper takes a4 or letter");
    }
    std::vector<ReportSection> sections;
    if (const auto list = parsed.value("--sections"))
        sections = SectionList(*list);

    const std::filesystem::path file = parsed.positionals.front();
    Project project;
    project.load(ReadProjectFile(file));
    // The analyses kept in the side file are current when they ran on the inputs as loaded.
    const std::uint64_t inputs = project.runInputsFingerprint();
    SideFileRead side = ReadSideFile(file);
    std::vector<std::string> notes;
    if (!side.problem.empty())
        notes.push_back(side.problem);
    ReportSettings settings = side.settings;
    if (const auto title = parsed.value("--title"))
        settings.title = *title;
    if (const auto author = parsed.value("--author"))
        settings.author = *author;

    // The results the file holds are those of its last run, kept to six digits: the report
    // shows that run made again at full precision, so its fit is the one "run --fit" gives. A
    // project never simulated stays so, unless the analyses are asked for.
    const bool withAnalyses = parsed.has("--with-analyses");
    if (withAnalyses || HoldsResults(project.state()))
        project.simulate();
    if (withAnalyses) {
        const ModelState &state = project.state();
        const ReportAnalysesOutput ran = RunReportAnalyses(ReportAnalysesInput {.run = project.runInput(),
            .measured = MeasuredValues(project.observed(), state.observedLength, state.simulationLength),
            .climate = state.climate,
            .inputs = inputs,
            .limits = settings.limits,
            .startDate = settings.startDate});
        notes.insert(notes.end(), ran.notes.begin(), ran.notes.end());
        if (ran.bands) {
            ProjectBands bands;
            bands.inputs = project.runInputsFingerprint();
            for (int s = 0; s < kSeriesCount; ++s) {
                const PredictionBand &band = (*ran.bands)[static_cast<std::size_t>(s)];
                bands.series[static_cast<std::size_t>(s)] = ProjectBands::Band {band.lower, band.median, band.upper};
            }
            project.setBands(std::move(bands));
        }
        ReplaceAnalyses(settings.analyses, ran.analyses);
        KeepAnalysesBeside(file, [&](KeptAnalyses &kept) { ReplaceAnalyses(kept, ran.analyses); }, notes);
    }

    ReportSource source = ProjectReportSource(project, file, settings, notes, kCarexaVersion);
    source.inputs = inputs;
    const ReportDocument report = BuildReport(source, sections);
    PictureSession session;
    int pages = 0;
    const QByteArray bytes = ReportPdf(report,
        paper, settings.title.empty() ? "Design report: " + source.projectFile : settings.title,
        settings.author, &pages);
    WriteOutput(*pdf, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        out, "The report");
    if (*pdf != "-") {
        std::string titles;
        for (const std::string &title : report.sectionTitles())
            titles += (titles.empty() ? "" : ", ") + title;
        out << *pdf << ": " << pages << " pages (" << titles << ")\n";
    }
    WriteNotes(notes, err);
    for (const ReportSection section : sections) {
        const std::vector<ReportSection> available = AvailableSections(source);
        if (std::find(available.begin(), available.end(), section) == available.end())
            err << "carexa-sim: note: left out, as the project has no data for it: "
                << ReportSectionTitle(section) << '\n';
    }
    return kBatchOk;
}

} // namespace

const Command kReportCommand {
    .name = "report",
    .synopsis = "carexa-sim report PROJECT.mdl --pdf REPORT.pdf [--title T] [--author A]\n"
                "                       [--paper a4|letter] [--sections LIST] [--with-analyses]",
    .help = R"(report: the design report of PROJECT.mdl as File > "Design report..." makes it: a
PDF/A-1b file with a title page, contents, numbered sections, tables and figures, page numbers.
Only the sections the project has data for are made; the last section says what is missing.
Text stays selectable text and figures are vector drawings. Needs no display.

  --pdf REPORT.pdf       where the report goes ("-": standard output); the file appears
                         complete or not at all
  --title T              the title (default: the side file's, else "Design report: NAME")
  --author A             the author (default: the side file's)
  --paper a4|letter      the paper (default: the locale's, Letter in the US and Canada)
  --sections LIST        the sections to make, by comma: basis, forcing, setup, results, fit,
                         sensitivity, compliance, scope (default: every one the project has
                         data for)
  --with-analyses        first simulate the project (its fit), then run with their commands'
                         defaults a conditioned uncertainty (as "condition": 500 samples, 4
                         iterations, NSE threshold 0.5, seed 1) when a series has two measured
                         days, the compliance of the side file's permit limits over its
                         ensemble (a plain one of 500 runs without measurements), and Morris's
                         screening (as "sensitivity": 20 trajectories, 4 levels, seed 1); takes
                         as long as they do. Their results are kept in NAME.carexa.json (written
                         whole; a damaged one is left as it is and said so)

What the report needs beyond the project file (title, author, checked-by, revision, the design
basis, permit limits, the date of day 1, the last analyses' results with the fingerprint of the
inputs they ran on) is read from NAME.carexa.json beside PROJECT.mdl when there is one; an
analysis that ran on other inputs than the project's is marked stale in the report; a missing or damaged side file stops nothing (a damaged one is named in a note and
in the report). A project file that holds results (saved after "Simulate") is simulated again, so
the results and the fit are those of "run" at full precision; a project never simulated gives a
report without results that says so (unless --with-analyses).
)",
    .run = Run,
};

} // namespace carexa::batch
