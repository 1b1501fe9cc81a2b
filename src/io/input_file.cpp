#include "io/input_file.h"

#include "model/error.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carexa {

namespace {

// What a file that is not a regular one is, for the refusal.
std::string Kind(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISFIFO(mode))
        return "it is a named pipe (FIFO), not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a regular file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a regular file";
    return "it is not a regular file";
}

} // namespace

InputFile::InputFile(const std::filesystem::path &path) : quotedName_(QuotedText(path.string()))
{
    const auto fail = [this](const char *what, const std::string &reason) {
        throw Error("The file \"" + quotedName_ + "\" cannot be " + what + ": " + reason + ".");
    };
    // Looked at before it is opened, so opening has no effect on a device either; and again
    // once open, in case the name was given to something else in between. Opening without
    // waiting keeps a named pipe with no writer from holding the open for ever.
    struct stat info
    { };
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        fail("read", Kind(info.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        fail("opened", std::strerror(errno));
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        fail("read", std::strerror(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        fail("read", Kind(info.st_mode));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    stream_ = ::fdopen(fd, "rb");
    if (!stream_) {
        const int error = errno;
        ::close(fd);
        fail("opened", std::strerror(error));
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

InputFile::~InputFile()
{
    std::fclose(stream_);
}

} // namespace carexa
