#pragma once

#include "io/output_file.h"
#include "model/text_grid.h"

#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// The heading lines of the exported tables: each grid heading followed by its unit in
/// parentheses where it has one, so a spreadsheet shows what the numbers mean and an import
/// recognises the columns again. "Day" comes first.
std::vector<std::string> ForcingCsvHeadings(); ///< "temp. (deg C)", "water flow (m3/d)", ...
std::vector<std::string> SeriesCsvHeadings(); ///< "BOD5 out (mg/L)", ..., "eff. t.n. rem (%)"
std::vector<std::string> AdditionalCsvHeadings(); ///< "BOD5-A (mg/L)", ..., "ORN-E (mg/L)"

/// The name an export is written under: `name` with `extension` (".csv", ".xlsx") appended when
/// its file name has no extension of its own ("flows" -> "flows.csv"; "flows.txt" stays).
std::string DefaultExtension(std::string name, std::string_view extension);

/// Appends one field as RFC 4180 writes it: enclosed in quotation marks (each inner one doubled)
/// when it holds a comma, a quotation mark, a line break or spaces at either end.
void AppendCsvField(std::string &out, std::string_view field);

/// Writes a heading line and rows 1..days of `grid`: the day number, then the texts of grid
/// columns 1 .. headings.size() - 1 as the grid holds them (a cell that holds a number is
/// written from the number, without a string of its own). Comma-separated, one line (ended by a
/// line feed) per row, handed to `sink` in large blocks; finishes the sink.
void WriteGridCsv(
    const TextGrid &grid, int days, const std::vector<std::string> &headings, ByteSink &sink);

} // namespace carexa
