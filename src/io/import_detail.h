#pragma once

// What the CSV import's parts share: reading numbers and days from cells, and the few facts about
// a parsed table every part looks at.

#include "io/csv_import.h"
#include "io/csv_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace carexa::import_detail {

/// Records looked at to guess the settings of a file.
inline constexpr std::size_t kSampleRows = 200;

/// A number with the given decimal mark, by the program's one number rule (TryParseDouble);
/// `scratch` is reused between calls.
bool ParseNumber(std::string_view text, DecimalMark mark, std::string &scratch, double &value);
/// Whether the text is a number with either decimal mark.
bool IsNumber(std::string_view text);
/// A whole day number from 1; 0 when the text is none.
std::int64_t ParseDayNumber(std::string_view text);

/// "Line 12, column 3 ('BOD5')": where a cell of the file lies, for a message.
std::string CellLabel(std::int64_t line, std::size_t column, std::string_view heading);
/// The number of fields of a row up to the last one that is not empty.
std::size_t UsedFields(const CsvTable &table, std::size_t row);

} // namespace carexa::import_detail
