#include "io/csv_reader.h"

#include "io/input_file.h"

#include "model/error.h"

#include <csv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

namespace carexa {

namespace {

int IsSpace(unsigned char c)
{
    return c == ' ' || c == '\t';
}

int IsSpaceNotTab(unsigned char c)
{
    return c == ' ';
}

// What the parser's callbacks need. The callbacks run inside the C library, so an exception
// (only an allocation can throw there) is kept and thrown again once the library has returned.
struct Context
{
    CsvTable &table;
    std::int64_t recordLine = 0;
    bool inRecord = false;
    std::exception_ptr failure;
};

void OnField(void *data, std::size_t size, void *user)
{
    auto *context = static_cast<Context *>(user);
    if (context->failure)
        return;
    try {
        context->table.addField(static_cast<const char *>(data), data ? size : 0);
    } catch (...) {
        context->failure = std::current_exception();
    }
}

void OnRecord(int, void *user)
{
    auto *context = static_cast<Context *>(user);
    context->inRecord = false;
    if (context->failure)
        return;
    try {
        context->table.endRecord(context->recordLine);
    } catch (...) {
        context->failure = std::current_exception();
    }
}

// A line the parser skips between records: nothing but spaces (and tabs) and the line break.
bool IsBlankLine(std::string_view line, char delimiter)
{
    for (const char c : line) {
        const bool space = c == ' ' || (c == '\t' && delimiter != '\t');
        if (!space && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

// The end of the line starting at `from`: after its LF, CRLF or lone CR, or the end of the text.
std::size_t LineEnd(std::string_view text, std::size_t from)
{
    const std::size_t stop = text.find_first_of("\r\n", from);
    if (stop == std::string_view::npos)
        return text.size();
    if (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n')
        return stop + 2;
    return stop + 1;
}

class Parser
{
public:
    explicit Parser(char delimiter)
    {
        if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0)
            throw std::bad_alloc();
        csv_set_delim(&parser_, static_cast<unsigned char>(delimiter));
        csv_set_space_func(&parser_, delimiter == '\t' ? IsSpaceNotTab : IsSpace);
    }
    ~Parser() { csv_free(&parser_); }
    Parser(const Parser &) = delete;
    Parser &operator=(const Parser &) = delete;

    // Returns how many bytes were taken; fewer than given means a parse error.
    std::size_t parse(std::string_view bytes, Context &context)
    {
        const std::size_t taken
            = csv_parse(&parser_, bytes.data(), bytes.size(), OnField, OnRecord, &context);
        check(context);
        return taken;
    }
    // Ends the last record; false when a quoted field is still open.
    bool finish(Context &context)
    {
        const int status = csv_fini(&parser_, OnField, OnRecord, &context);
        check(context);
        return status == 0;
    }

private:
    void check(Context &context)
    {
        if (context.failure)
            std::rethrow_exception(context.failure);
        if (csv_error(&parser_) == CSV_ENOMEM || csv_error(&parser_) == CSV_ETOOBIG)
            throw std::bad_alloc();
    }

    csv_parser parser_ {};
};

std::string LineLabel(std::int64_t line, std::size_t field)
{
    return "Line " + std::to_string(line) + ", column " + std::to_string(field);
}

} // namespace

std::string_view CsvTable::field(std::size_t row, std::size_t column) const
{
    const Row &r = rows_[row];
    if (column >= r.count)
        return {};
    const std::size_t index = r.first + column;
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
}

void CsvTable::addField(const char *data, std::size_t size)
{
    // Spaces inside quotes are kept by the parser; a number is never meant to carry them.
    while (size > 0 && data[0] == ' ') {
        ++data;
        --size;
    }
    while (size > 0 && data[size - 1] == ' ')
        --size;
    text_.append(data, size);
    ends_.push_back(text_.size());
}

void CsvTable::endRecord(std::int64_t line)
{
    const std::size_t count = ends_.size() - openFirst_;
    const std::size_t begin = openFirst_ == 0 ? 0 : ends_[openFirst_ - 1];
    if (text_.size() == begin) {
        // Every field is empty (a blank row of a spreadsheet): the record is dropped, and as its
        // fields hold no text, only their ends go.
        ends_.resize(openFirst_);
        return;
    }
    rows_.push_back({line, openFirst_, count});
    openFirst_ = ends_.size();
}

CsvTable ParseCsv(std::string_view text, char delimiter, std::size_t maxRows)
{
    CsvTable table;
    Context context {table, 0, false, {}};
    Parser parser(delimiter);
    // The text goes to the parser one line at a time, so every record knows its line.
    std::int64_t line = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        if (maxRows > 0 && table.rowCount() >= maxRows) {
            table.setTruncated();
            return table;
        }
        const std::size_t end = LineEnd(text, start);
        const std::string_view chunk = text.substr(start, end - start);
        ++line;
        if (!context.inRecord && !IsBlankLine(chunk, delimiter)) {
            context.inRecord = true;
            context.recordLine = line;
        }
        if (parser.parse(chunk, context) < chunk.size())
            throw Error(LineLabel(line, table.openFieldCount() + 1)
                + ": a quotation mark is out of place in '" + QuotedText(chunk)
                + "'. A field that holds quotation marks must be enclosed in them, with each "
                  "mark inside doubled.");
        start = end;
    }
    if (!parser.finish(context))
        throw Error(LineLabel(context.recordLine, table.openFieldCount() + 1)
            + ": a field opened with a quotation mark is never closed.");
    return table;
}

namespace {

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string FromUtf16(std::string_view bytes, bool littleEndian)
{
    if (bytes.size() % 2 != 0)
        throw Error("The file is cut off in the middle of a character (it is written as UTF-16).");
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<char32_t>(littleEndian ? a | (b << 8) : (a << 8) | b);
    };
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            const char32_t low = unit(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? kReplacement : u);
    }
    return out;
}

} // namespace

std::string DecodeTextFile(std::string_view bytes)
{
    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        text = bytes.substr(3);
    else if (bytes.starts_with("\xFF\xFE"))
        text = FromUtf16(bytes.substr(2), true);
    else if (bytes.starts_with("\xFE\xFF"))
        text = FromUtf16(bytes.substr(2), false);
    else
        text = bytes;
    if (text.starts_with("PK\x03\x04"))
        throw Error("The file is a workbook or another packed file, not a text table. Save the "
                    "table from the spreadsheet program as CSV (comma- or semicolon-separated "
                    "text) and import that file.");
    if (text.find('\0') != std::string::npos)
        throw Error("The file is not a text table: it holds binary data. Import a CSV (comma-, "
                    "semicolon- or tab-separated text) file.");
    return text;
}

std::string ReadImportFile(const std::filesystem::path &file)
{
    const InputFile input(file);
    const std::string &name = input.quotedName();
    std::FILE *stream = input.stream();
    std::string content;
    std::string buffer(65536, '\0');
    std::size_t got = 0;
    bool tooLarge = false;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), stream)) > 0) {
        if (content.size() + got > kMaxImportBytes) {
            tooLarge = true;
            break;
        }
        content.append(buffer.data(), got);
    }
    const bool failed = std::ferror(stream) != 0;
    const std::string reason = failed ? std::strerror(errno) : std::string();
    if (failed)
        throw Error("The file \"" + name + "\" cannot be read: " + reason + ".");
    if (tooLarge)
        throw Error("The file \"" + name + "\" is larger than "
            + std::to_string(kMaxImportBytes / (1024 * 1024))
            + " MB; an import reads at most that much.");
    if (content.empty())
        throw Error("The file \"" + name + "\" is empty.");
    try {
        return DecodeTextFile(content);
    } catch (const Error &e) {
        throw Error("\"" + name + "\": " + e.what());
    }
}

} // namespace carexa
