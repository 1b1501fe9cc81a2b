#pragma once

#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/project_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace carexa {

/// What a recovery file says about the project it keeps.
struct RecoveryInfo
{
    std::string projectFile; ///< the file the project came from or went to; empty for none
    std::int64_t writtenAt = 0; ///< seconds since 1970-01-01 UTC
    friend bool operator==(const RecoveryInfo &, const RecoveryInfo &) = default;
};

/// A recovery file read back: what it says and the project it holds.
struct RecoveredProject
{
    RecoveryInfo info;
    LoadedProject project;
};

/// The largest recovery header the reader takes (a long file name, escaped).
inline constexpr std::size_t kMaxRecoveryHeaderBytes = 64 * 1024;

/// The text of a recovery file: a short header ("Carexa recovery 1", the project's file name
/// with every byte outside printable ASCII and "%" escaped as %XX, the time written, an empty
/// line) followed by the project text as a project file holds it. An observed cell or design
/// input that holds no number is kept as empty (0.0001), so a text being typed never stops the
/// copy.
void WriteRecovery(const RecoveryInfo &info, const ModelState &state, const TextGrid &observed,
    const DesignTexts &design, ByteSink &sink);

/// Writes the recovery file whole or not at all (OutputFile); throws Error with the reason.
void WriteRecoveryFile(const std::filesystem::path &path, const RecoveryInfo &info,
    const ModelState &state, const TextGrid &observed, const DesignTexts &design);

/// The header of a recovery text; the offset of the project text after it is stored in `body`.
/// Throws Error for a text that is no recovery file of this program.
RecoveryInfo ParseRecoveryHeader(std::string_view text, std::size_t *body = nullptr);

/// The whole recovery text decoded (ParseProject's rules for the project part); throws Error.
RecoveredProject ParseRecovery(std::string_view text);

/// Reads only the header of a recovery file; nothing for a file that cannot be read or is no
/// recovery file.
std::optional<RecoveryInfo> ReadRecoveryInfo(const std::filesystem::path &path);

/// Reads and decodes a whole recovery file (at most kMaxProjectFileBytes after the header);
/// throws Error with a message that names the file.
RecoveredProject ReadRecoveryFile(const std::filesystem::path &path);

} // namespace carexa
