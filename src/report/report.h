#pragma once

#include "analysis/sensitivity.h"
#include "model/design.h"
#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/frozen_run.h"
#include "project/project.h"
#include "report/report_document.h"
#include "project/report_settings.h"

#include <QByteArray>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

enum class ReportPaper { A4, Letter };

/// The sections a report may hold after its title page and contents, in report order.
enum class ReportSection {
    DesignBasis,
    Forcing,
    ModelSetup,
    Results,
    Fit,
    Sensitivity,
    Compliance,
    Scope,
};
inline constexpr int kReportSectionCount = 8;

/// The heading of a section ("Design basis", ...).
std::string_view ReportSectionTitle(ReportSection section);
/// The name a command line gives a section ("basis", "forcing", "setup", "results", "fit",
/// "sensitivity", "compliance", "scope").
std::string_view ReportSectionKey(ReportSection section);
std::optional<ReportSection> ReportSectionFromKey(std::string_view key);

/// Everything a report reads. The numbers come from the project; the texts the user typed and
/// the permit limits from its side file.
struct ReportSource
{
    std::string projectFile; ///< the file name as the report shows it
    std::string projectSha256; ///< of the file's bytes; empty when it has none (never saved)
    std::string sideFileSha256; ///< of the side file's bytes; empty without one
    std::string programVersion;
    std::string date; ///< the day the report is made, "2026-12-07"
    const ModelState *state = nullptr;
    const TextGrid *observed = nullptr;
    DesignTexts design;
    std::optional<WetlandType> wetlandType;
    /// The results to report, or nothing when the project holds none.
    const FrozenRun *run = nullptr;
    bool resultsStale = false; ///< inputs changed since the results were computed
    const ProjectBands *bands = nullptr;
    /// The side file's texts, limits and kept analyses.
    ReportSettings settings;
    /// The fingerprint of the project's run inputs (RunInputsFingerprint) as loaded: a kept
    /// analysis computed from other inputs is stale.
    std::uint64_t inputs = 0;
    /// Problems met on the way (a damaged side file), said in the report.
    std::vector<std::string> notes;

    const KeptAnalyses &analyses() const { return settings.analyses; }
    /// Whether an analysis kept with fingerprint `kept` ran on other inputs than these.
    bool stale(std::uint64_t kept) const { return kept != inputs; }
};

/// Whether a project's records hold results: some day's outflow of box E is a value a run left
/// (any value but 0.0001, the value of nothing computed).
bool HoldsResults(const ModelState &state);

/// The sections `source` has data for, in report order.
std::vector<ReportSection> AvailableSections(const ReportSource &source);

/// The report of the sections asked for (all available ones when `sections` is empty) that
/// have data; a section asked for without data is named among what is missing.
ReportDocument BuildReport(const ReportSource &source, const std::vector<ReportSection> &sections);

/// The report as a PDF/A-1b file's bytes on `paper`, with 20 mm margins. Needs a
/// QGuiApplication (PictureSession). Throws Error when it cannot be drawn.
QByteArray ReportPdf(const ReportDocument &report, ReportPaper paper, const std::string &title,
    const std::string &author, int *pages = nullptr);

/// The paper of the user's locale: Letter in the United States and Canada, A4 elsewhere.
ReportPaper LocalePaper();

/// The SHA-256 of a file's bytes in lower-case hexadecimal; empty when it cannot be read.
std::string FileSha256(const std::filesystem::path &path);

} // namespace carexa

namespace carexa {

/// The source of a report of `project`, saved as `file` (empty: never saved), with the side
/// file's settings and what reading it found. The wetland type is the project's, else the one
/// its design results tell. The results are the project's when its records hold any; they are
/// stale when the project says so.
ReportSource ProjectReportSource(const Project &project, const std::filesystem::path &file,
    const ReportSettings &settings, const std::vector<std::string> &notes,
    const std::string &programVersion);

/// The source of a report of the records `state` with the observed values grid `observed` and
/// the design texts as typed (the window's), saved as `file` (empty: never saved). `run` (the
/// results, or nothing) must outlive the source.
ReportSource StateReportSource(const ModelState &state, const TextGrid &observed,
    const DesignTexts &design, std::optional<WetlandType> wetlandType, const FrozenRun *run,
    const std::filesystem::path &file, const ReportSettings &settings,
    const std::vector<std::string> &notes, const std::string &programVersion);

/// Today's date as "2026-12-07" (UTC).
std::string TodayText();

} // namespace carexa
