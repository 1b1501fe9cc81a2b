#include "project/recovery_file.h"

#include "io/input_file.h"
#include "io/output_file.h"
#include "model/error.h"
#include "model/number_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace carexa {

namespace {

constexpr std::string_view kMagic = "Carexa recovery 1\n";
constexpr std::string_view kFileKey = "file ";
constexpr std::string_view kTimeKey = "time ";

std::string Escape(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte > 0x20 && byte < 0x7F && byte != '%') {
            out += ch;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

[[noreturn]] void NotRecovery(std::string_view why)
{
    throw Error("The recovery copy cannot be read: " + std::string(why) + ".");
}

std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            NotRecovery("its file name is damaged");
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// The line that starts at `at`, without its line feed; `at` moves past it.
std::string_view NextLine(std::string_view text, std::size_t &at)
{
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos)
        NotRecovery("its header is incomplete");
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    return line;
}

// Whether any observed cell or design input holds a text that is no number.
bool HoldsDrafts(const ModelState &state, const TextGrid &observed, const DesignTexts &design)
{
    for (const std::string &text : design) {
        if (!text.empty() && !TryParseDouble(text))
            return true;
    }
    for (int r = 1; r <= state.observedLength; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c) {
            if (!observed.number(c, r) && !TryParseDouble(observed.cell(c, r)))
                return true;
        }
    }
    return false;
}

} // namespace

void WriteRecovery(const RecoveryInfo &info, const ModelState &state, const TextGrid &observed,
    const DesignTexts &design, ByteSink &sink)
{
    std::string header(kMagic);
    header += kFileKey;
    header += Escape(info.projectFile);
    header += '\n';
    header += kTimeKey;
    header += std::to_string(info.writtenAt);
    header += "\n\n";
    if (!HoldsDrafts(state, observed, design)) {
        sink.write(header);
        WriteProject(state, observed, design, sink);
        return;
    }
    // The texts that are no numbers are left out of the copy (as empty cells).
    TextGrid cleaned = observed;
    for (int r = 1; r <= state.observedLength; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c) {
            if (!observed.number(c, r) && !TryParseDouble(observed.cell(c, r)))
                cleaned.setNumber(c, r, kEmptyValue);
        }
    }
    DesignTexts numbers = design;
    for (std::string &text : numbers) {
        if (!text.empty() && !TryParseDouble(text))
            text.clear();
    }
    sink.write(header);
    WriteProject(state, cleaned, numbers, sink);
}

void WriteRecoveryFile(const std::filesystem::path &path, const RecoveryInfo &info,
    const ModelState &state, const TextGrid &observed, const DesignTexts &design)
{
    OutputFile file(path, "The recovery copy");
    WriteRecovery(info, state, observed, design, file);
}

RecoveryInfo ParseRecoveryHeader(std::string_view text, std::size_t *body)
{
    if (!text.starts_with(kMagic))
        NotRecovery("it is no recovery copy of this program");
    std::size_t at = kMagic.size();
    RecoveryInfo info;
    const std::string_view file = NextLine(text, at);
    if (!file.starts_with(kFileKey))
        NotRecovery("it names no project file");
    info.projectFile = Unescape(file.substr(kFileKey.size()));
    const std::string_view time = NextLine(text, at);
    if (!time.starts_with(kTimeKey))
        NotRecovery("it holds no time");
    const std::string_view digits = time.substr(kTimeKey.size());
    const auto [end, error]
        = std::from_chars(digits.data(), digits.data() + digits.size(), info.writtenAt);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        NotRecovery("its time is damaged");
    if (!NextLine(text, at).empty())
        NotRecovery("its header is damaged");
    if (body)
        *body = at;
    return info;
}

RecoveredProject ParseRecovery(std::string_view text)
{
    std::size_t body = 0;
    RecoveredProject recovered;
    recovered.info = ParseRecoveryHeader(text, &body);
    recovered.project = ParseProject(text.substr(body));
    return recovered;
}

namespace {

// Up to `limit` bytes of the file; throws Error naming the file.
std::string ReadUpTo(const std::filesystem::path &path, std::uint64_t limit, bool refuseLonger)
{
    InputFile file(path);
    if (refuseLonger && file.size() > limit)
        throw Error("The recovery copy \"" + file.quotedName() + "\" is too large to be read.");
    std::string text;
    text.resize(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), limit)));
    const std::size_t read = std::fread(text.data(), 1, text.size(), file.stream());
    if (read != text.size() && std::ferror(file.stream()))
        throw Error("The recovery copy \"" + file.quotedName()
            + "\" cannot be read: " + std::strerror(errno) + ".");
    text.resize(read);
    return text;
}

} // namespace

std::optional<RecoveryInfo> ReadRecoveryInfo(const std::filesystem::path &path)
{
    try {
        return ParseRecoveryHeader(ReadUpTo(path, kMaxRecoveryHeaderBytes, false));
    } catch (const Error &) {
        return std::nullopt;
    }
}

RecoveredProject ReadRecoveryFile(const std::filesystem::path &path)
{
    return ParseRecovery(ReadUpTo(path, kMaxProjectFileBytes + kMaxRecoveryHeaderBytes, true));
}

} // namespace carexa
