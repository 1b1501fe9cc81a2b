#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace carexa {

/// A file opened for reading, closed with the object.
class InputFile
{
public:
    /// Opens `path` for reading without ever waiting on it. Throws Error when it cannot be opened
    /// ("The file "NAME" cannot be opened: REASON.") or is not a regular file ("The file "NAME"
    /// cannot be read: it is a named pipe (FIFO), not a regular file."; a folder: "... it is a
    /// folder."): a named pipe, a device, a socket or a folder is refused before anything is read,
    /// as reading one may wait for ever or never end. NAME is quoted as QuotedText quotes.
    explicit InputFile(const std::filesystem::path &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    std::FILE *stream() const { return stream_; }
    /// The file's size in bytes when it was opened.
    std::uint64_t size() const { return size_; }
    /// The file's name as messages quote it (without the surrounding quotation marks).
    const std::string &quotedName() const { return quotedName_; }

private:
    std::FILE *stream_ = nullptr;
    std::uint64_t size_ = 0;
    std::string quotedName_;
};

} // namespace carexa
