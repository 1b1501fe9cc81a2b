#include "io/output_file.h"

#include "model/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carexa {

namespace {

std::string SystemReason()
{
    return std::strerror(errno);
}

} // namespace

OutputFile::OutputFile(std::filesystem::path target, std::string what)
    : target_(std::move(target)), what_(std::move(what))
{
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty())
        folder = ".";
    std::string hidden = ".";
    hidden += target_.filename().string();
    hidden += ".XXXXXX";
    temporary_ = (folder / hidden).string();
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        fail(SystemReason());
}

OutputFile::~OutputFile()
{
    if (!finished_)
        discard();
}

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        std::remove(temporary_.c_str());
}

void OutputFile::fail(const std::string &reason) const
{
    throw Error(what_ + " could not be saved to \"" + target_.string() + "\": " + reason + ".");
}

void OutputFile::write(std::string_view bytes)
{
    const char *data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(SystemReason());
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void OutputFile::finish()
{
    // The new file gets the permissions of the file it replaces, or the usual ones for a new
    // file (mkstemp creates it readable by its owner only).
    mode_t mode = 0;
    struct stat existing
    { };
    if (::stat(target_.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0)
        fail(SystemReason());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(SystemReason());
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
        fail(SystemReason());
    finished_ = true;
}

void StreamSink::write(std::string_view bytes)
{
    stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream_)
        throw Error(name_ + " could not be written.");
}

void StreamSink::finish()
{
    stream_.flush();
    if (!stream_)
        throw Error(name_ + " could not be written.");
}

void WriteFileAtomically(
    const std::filesystem::path &target, std::string_view text, std::string what)
{
    OutputFile file(target, std::move(what));
    file.write(text);
    file.finish();
}

} // namespace carexa
