#pragma once

#include "app/batch_command.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace carexa::batch {

/// The forcing grid of a session as the window shows it after "Load Project".
TextGrid ForcingGridOf(const ModelState &state);

/// Imports the files of --forcing and --observed into a loaded session as the window's File >
/// "Import ..." items do, but without a dialog: the settings are found in the file, whose first
/// line must name every column. A file with more days than the project extends it as the window
/// does (the new forcing days take day 1's bed: volume, porosity, oxygen and box water volume).
/// With --recalculate the water volume and the retention times are then calculated as "Calculate
/// water volume" and "Calculate RTB values" do (also without --forcing); without it, an import
/// that leaves them calculated for other flows or days says so on `err` as a warning. Throws
/// Error naming the file, and the session is then as it was before that file.
void ImportDataFiles(Session &session, const ParsedArguments &parsed, std::ostream &err);

/// Writes a table of `grid` (rows 1..days) with the given headings as comma-separated text: "-"
/// to `out`, any other name as a file that appears complete or not at all.
void WriteTableCsv(const std::string &name, const TextGrid &grid, int days,
    const std::vector<std::string> &headings, std::ostream &out, const std::string &what);

/// Refuses "-" as the name of --xlsx (UsageError): a workbook goes to a file only.
void CheckWorkbookOption(const ParsedArguments &parsed);

/// Writes the session's workbook to the file `name`.
void WriteSessionWorkbook(const std::string &name, const Session &session);

} // namespace carexa::batch
