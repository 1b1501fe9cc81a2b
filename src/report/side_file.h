#pragma once

#include "project/report_settings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace carexa {

/// The side file of a project file: "P.mdl" -> "P.carexa.json" in the same folder (a name
/// without ".mdl" at its end gets ".carexa.json" appended).
std::filesystem::path SideFilePath(const std::filesystem::path &project);

/// What reading a side file found.
struct SideFileRead
{
    ReportSettings settings; ///< what it holds (the defaults when there is none or it is damaged)
    bool found = false; ///< a side file exists
    /// Empty, or one line saying why the side file was left aside ("... is damaged ...");
    /// the project loads without it either way.
    std::string problem;
};

/// The side file's JSON text (Qt's JSON classes; UTF-8, indented).
std::string SideFileText(const ReportSettings &settings);

// Report settings, kept analyses and design assistant inputs are the same when their texts in a
// side file are (numbers compared as their exact bits, so "not a number" equals itself).
bool operator==(const ReportSettings &a, const ReportSettings &b);
bool operator==(const KeptAnalyses &a, const KeptAnalyses &b);
bool operator==(const KeptAssistant &a, const KeptAssistant &b);
/// Reads the settings from a side file's text; a value of the wrong kind is left at its default
/// and named in `problem`, a text that is no JSON object leaves everything at the defaults.
SideFileRead ParseSideFile(std::string_view text);

/// Reads the side file beside `project`. Never throws: a missing file gives the defaults, a
/// damaged or unreadable one the defaults and a problem line.
SideFileRead ReadSideFile(const std::filesystem::path &project);

/// Writes the side file beside `project` whole or not at all (OutputFile); throws Error when it
/// cannot be written, leaving any existing side file as it was.
void WriteSideFile(const std::filesystem::path &project, const ReportSettings &settings);

} // namespace carexa
