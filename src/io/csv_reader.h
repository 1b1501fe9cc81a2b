#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// The records of a delimited text file, each with the line of the file it starts on. All field
/// texts share one buffer, so a table of a few hundred thousand rows costs little more than the
/// file itself.
class CsvTable
{
public:
    std::size_t rowCount() const { return rows_.size(); }
    /// The line (1-based) of the file on which a record starts.
    std::int64_t line(std::size_t row) const { return rows_[row].line; }
    std::size_t fieldCount(std::size_t row) const { return rows_[row].count; }
    /// A field's text; the empty text for a field past the end of its record.
    std::string_view field(std::size_t row, std::size_t column) const;
    /// Whether the parse stopped at the record limit before the end of the text.
    bool truncated() const { return truncated_; }

    // Building, for the parser.
    void addField(const char *data, std::size_t size);
    /// Ends the open record; a record whose fields are all empty is dropped.
    void endRecord(std::int64_t line);
    std::size_t openFieldCount() const { return ends_.size() - openFirst_; }
    void setTruncated() { truncated_ = true; }

private:
    struct Row
    {
        std::int64_t line;
        std::size_t first; ///< index of the record's first field in ends_
        std::size_t count;
    };
    std::string text_;
    std::vector<std::size_t> ends_; ///< end offset of every field in text_
    std::vector<Row> rows_;
    std::size_t openFirst_ = 0;
    bool truncated_ = false;
};

/// Parses delimited text (RFC 4180): fields separated by `delimiter`, records ended by LF, CRLF or
/// CR, fields in double quotes may hold the delimiter, line breaks and doubled quotes. Spaces
/// around a field (and tabs, unless the tab is the delimiter) are dropped. Blank lines and
/// records whose fields are all empty are skipped. Parsing stops after `maxRows` records when it
/// is not 0. Throws Error naming the line and field of a misplaced quotation mark, or of a quoted
/// field that is never closed. `text` must not start with a byte-order mark (see
/// DecodeTextFile).
CsvTable ParseCsv(std::string_view text, char delimiter, std::size_t maxRows = 0);

/// The largest file an import reads.
inline constexpr std::uintmax_t kMaxImportBytes = 256u * 1024 * 1024;

/// A text file's bytes as UTF-8 without a byte-order mark: a UTF-8 mark is dropped, and text with
/// a UTF-16 mark (as spreadsheet programs write "Unicode text") is converted. Throws Error for a
/// file that is no text (NUL bytes, or a workbook or other archive saved under a CSV name).
std::string DecodeTextFile(std::string_view bytes);

/// Reads a whole file for an import and decodes it as DecodeTextFile does. Throws Error naming the
/// file when it cannot be opened or read, is empty, or is larger than kMaxImportBytes.
std::string ReadImportFile(const std::filesystem::path &file);

} // namespace carexa
