#pragma once

#include "io/output_file.h"
#include "model/model_state.h"
#include "model/text_grid.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// Numbers in a project file: 53 per day, 11 per observed day, 63 more.
constexpr std::int64_t ProjectNumberCount(std::int64_t days, std::int64_t observedDays)
{
    return 53 * days + 11 * observedDays + 63;
}

/// The most numbers a project file may hold, written or read: enough for the longest
/// simulation and observed lengths the program takes, with room for surplus numbers.
inline constexpr std::int64_t kMaxProjectNumbers = 20'000'000;
static_assert(ProjectNumberCount(kMaxDays, kMaxDays) <= kMaxProjectNumbers);

inline constexpr int kDesignInputCount = 8;
inline constexpr int kObservedColumns = 11;

/// The design input texts in file order: Width, Length, Depth, Precipitation factor, Slope,
/// Avrg % particular matter, Hydraulic conductivity, Selected flow.
using DesignTexts = std::array<std::string, kDesignInputCount>;

/// Writes a project file's text to `sink`, number by number. Observed cells (rows
/// 1..observedLength, columns 1..11 of `observed`) and non-empty design texts are converted to
/// numbers before anything is written; an empty design text is written as 0.0001. Throws
/// ConversionError for a cell or text that is no number, and Error for a project larger than
/// kMaxProjectNumbers (nothing written in either case) or when the sink fails.
void WriteProject(const ModelState &state, const TextGrid &observed, const DesignTexts &design,
    ByteSink &sink);

/// The whole text of a project file. Observed cells (rows 1..observedLength, columns 1..11 of
/// `observed`) and non-empty design texts are converted to numbers; an empty design text is
/// written as 0.0001. Throws ConversionError for a cell or text that is no number, and Error
/// for a project larger than kMaxProjectNumbers.
std::string ProjectText(
    const ModelState &state, const TextGrid &observed, const DesignTexts &design);

/// Writes the project to `path` through a temporary file in the same folder that replaces the
/// target only once it is completely written, so a failed save leaves any existing file as it
/// was. Throws ConversionError or Error (with the reason) when nothing was saved.
void SaveProjectFile(const std::filesystem::path &path, const ModelState &state,
    const TextGrid &observed, const DesignTexts &design);

/// The name a project is saved under: `chosen` with ".mdl" appended unless it already contains
/// ".mdl" anywhere, in any case ("proj" -> "proj.mdl"; "Proj.MDL" and "a.mdl.txt" stay).
std::string ProjectFileName(std::string chosen);

/// Everything a project file holds, decoded but not yet applied.
struct LoadedProject
{
    std::int32_t simulationLength = 0;
    std::int32_t stepsPerDay = 0;
    std::vector<DayValues> days;
    std::vector<BoxValues> dayBoxes;
    ModelParameters parameters;
    BoxValues initial;
    std::int32_t observedLength = 0;
    std::vector<std::array<double, kObservedColumns>> observed;
    std::int32_t climate = 0;
    std::array<double, kDesignInputCount> design {};
};

/// The numbers of a project text: whitespace is skipped everywhere (also inside a number), a
/// comma reads as a full stop, ";" closes a number, ";;" gives none, a number written "0" reads
/// as 0.0001, and characters after the last ";" are dropped. Throws ConversionError for a token
/// that is no number and Error for more than kMaxProjectNumbers numbers.
std::vector<double> TokenizeProject(std::string_view text);

/// Decodes a project text. Throws, before anything is applied, for a token that is no number, a
/// file shorter than the layout it states, a simulation length below 1 or a negative observed
/// length (or either above kMaxDays), a time step above kMaxStepsPerDay, or a whole-number
/// setting outside the 32-bit range. Surplus numbers are ignored; the day numbers in the file are
/// read and ignored (days are numbered by position).
LoadedProject ParseProject(std::string_view text);

/// The largest file the reader takes: room for the longest simulation and observed lengths
/// written with long numbers and generous spacing. A larger file is refused before it is read.
inline constexpr std::uint64_t kMaxProjectFileBytes = 512ULL << 20;

/// Told the bytes read so far and the file's size; returning false stops the reading.
using ReadProgress = std::function<bool(std::uint64_t read, std::uint64_t size)>;

/// Reads and decodes a project file piece by piece, keeping no more of its text than a piece.
/// Also throws Error when the file cannot be opened or read, is larger than
/// kMaxProjectFileBytes, or needs more memory than there is, and Cancelled when `progress`
/// stopped it.
LoadedProject ReadProjectFile(const std::filesystem::path &path, const ReadProgress &progress = {});

/// Replaces the project in `state` by `loaded`: the day list gets simulationLength + 1 nodes
/// (active days reset, then set from the file), then the settings, parameters and initial values.
/// Day 1's volume then takes the design volume, and every day's box water volume becomes
/// day 1's porosity x that volume x 0.2.
void ApplyProject(const LoadedProject &loaded, ModelState &state);

/// Lays out the observed values grid for the loaded project: observedLength + 1 rows, 12 columns,
/// the headings, day numbers, and the values as screen text.
void FillObservedGrid(const LoadedProject &loaded, TextGrid &observed);

/// The design input texts of a loaded project, as screen text.
DesignTexts LoadedDesignTexts(const LoadedProject &loaded);

} // namespace carexa
