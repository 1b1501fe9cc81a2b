#include "io/output_file.h"

#include "model/error.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carexa {

namespace {

// As many symbolic links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
constexpr std::size_t kSuffixLength = 6;
constexpr int kNameAttempts = 100;

std::string Reason(int error)
{
    return std::strerror(error);
}

std::size_t FolderNameMax(int folder)
{
    const long max = ::fpathconf(folder, _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : NAME_MAX;
}

// Six characters that make a temporary name unique among the folder's other names.
class NameSuffixes
{
public:
    NameSuffixes() : random_(Seed()) { }
    std::string next()
    {
        static constexpr char kLetters[]
            = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
        std::string suffix(kSuffixLength, ' ');
        for (char &c : suffix)
            c = kLetters[pick(random_)];
        return suffix;
    }

private:
    static std::uint64_t Seed()
    {
        try {
            return std::random_device()();
        } catch (const std::exception &) {
            // No source of randomness: the time and the process still tell writers apart.
            return static_cast<std::uint64_t>(
                       std::chrono::steady_clock::now().time_since_epoch().count())
                ^ static_cast<std::uint64_t>(::getpid());
        }
    }

    std::mt19937_64 random_;
};

// Links the open unnamed file `fd` into `folder` as `name`; 0 or the errno.
int LinkUnnamed(int fd, int folder, const std::string &name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST)
        return error;
    // Without /proc the descriptor itself can be linked, by a user allowed to do so.
    if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0)
        return 0;
    return error;
}

} // namespace

int FollowSymbolicLinks(const std::filesystem::path &target, std::filesystem::path &file)
{
    file = target;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat status
        { };
        if (::lstat(file.c_str(), &status) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(status.st_mode))
            return 0;
        std::string link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 256), '\0');
        for (;;) {
            const ssize_t length = ::readlink(file.c_str(), link.data(), link.size());
            if (length < 0)
                return errno;
            if (static_cast<std::size_t>(length) < link.size()) {
                link.resize(static_cast<std::size_t>(length));
                break;
            }
            link.resize(link.size() * 2);
        }
        const std::filesystem::path next(link);
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    return ELOOP;
}

int WriteAccessError(const std::filesystem::path &file)
{
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

mode_t ReplacementMode(mode_t mode)
{
    return mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID);
}

std::string TemporaryPrefix(std::string_view name, std::size_t nameMax)
{
    // "." + name + "." + six characters
    const std::size_t room = nameMax > kSuffixLength + 2 ? nameMax - kSuffixLength - 2 : 0;
    std::size_t keep = std::min(name.size(), room);
    if (keep < name.size()) {
        // Step back over the continuation bytes of a character that would be cut.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
    }
    std::string prefix = ".";
    prefix += name.substr(0, keep);
    prefix += '.';
    return prefix;
}

OutputFile::OutputFile(std::filesystem::path target, std::string what, Temporary temporary)
    : target_(std::move(target)), what_(std::move(what))
{
    if (target_.empty())
        failWithErrno(ENOENT);
    struct stat status
    { };
    // Devices and pipes (/dev/null, /dev/stdout) are written in place: nothing to replace.
    if (::stat(target_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (S_ISDIR(status.st_mode))
            failWithErrno(EISDIR);
        destination_ = target_;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0)
            failWithErrno(errno);
        inPlace_ = true;
        return;
    }

    if (const int error = FollowSymbolicLinks(target_, destination_))
        failWithErrno(error);
    name_ = destination_.filename().string();
    if (name_.empty() || name_ == "." || name_ == "..")
        failWithErrno(EISDIR);
    if (::stat(destination_.c_str(), &status) == 0) {
        // Renaming needs only the folder's permission; the file's own is asked for here.
        if (const int error = WriteAccessError(destination_))
            failWithErrno(error);
        exists_ = true;
        mode_ = ReplacementMode(status.st_mode);
        owner_ = status.st_uid;
        group_ = status.st_gid;
    } else if (errno != ENOENT) {
        failWithErrno(errno);
    }

    std::filesystem::path folder = destination_.parent_path();
    if (folder.empty())
        folder = ".";
    folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0)
        failWithErrno(errno);
    openTemporary(temporary);
}

void OutputFile::openTemporary(Temporary temporary)
{
    // A new file is created with 0666 and the kernel applies the umask (or the folder's default
    // ACL); a replacement starts private and takes the old file's bits when complete.
    const mode_t mode = exists_ ? 0600 : 0666;
    if (temporary == Temporary::Unnamed) {
        fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            unnamed_ = true;
            return;
        }
        // Not supported by this file system (or kernel): a named file instead.
    }
    const std::string prefix = TemporaryPrefix(name_, FolderNameMax(folder_));
    NameSuffixes suffixes;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = prefix + suffixes.next();
        fd_ = ::openat(folder_, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temporary_ = candidate;
            return;
        }
        if (errno != EEXIST)
            failWithErrno(errno);
    }
    failWithErrno(EEXIST);
}

OutputFile::~OutputFile()
{
    discard();
}

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty() && folder_ >= 0)
        ::unlinkat(folder_, temporary_.c_str(), 0);
    temporary_.clear();
    if (folder_ >= 0)
        ::close(folder_);
    folder_ = -1;
}

void OutputFile::fail(const std::string &reason) const
{
    throw Error(what_ + " could not be saved to \"" + QuotedText(target_.filename().string())
        + "\": " + reason + ".");
}

void OutputFile::failWithErrno(int error) const
{
    fail(Reason(error));
}

void OutputFile::write(std::string_view bytes)
{
    if (fd_ < 0)
        fail("the file is already closed");
    const char *data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWithErrno(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void OutputFile::finish()
{
    if (finished_)
        return;
    if (fd_ < 0)
        fail("the file is already closed");
    if (inPlace_) {
        // Pipes and most devices cannot be synced; what they took is all there is to check.
        if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
            failWithErrno(errno);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            failWithErrno(errno);
        finished_ = true;
        return;
    }
    if (exists_) {
        struct stat created
        { };
        if (::fstat(fd_, &created) == 0 && (created.st_uid != owner_ || created.st_gid != group_)) {
            // Keeps the owner and group. Only a superuser may give a file away; a member of the
            // old group keeps at least that, anyone else's file belongs to its writer.
            if (::fchown(fd_, owner_, group_) != 0) {
                [[maybe_unused]] const int groupKept
                    = ::fchown(fd_, static_cast<uid_t>(-1), group_);
            }
        }
        if (::fchmod(fd_, mode_) != 0)
            failWithErrno(errno);
    }
    if (::fsync(fd_) != 0)
        failWithErrno(errno);
    linkIntoPlace();
    // The rename is only lasting once the folder is on disk too.
    if (::fsync(folder_) != 0 && errno != EINVAL)
        failWithErrno(errno);
    ::close(folder_);
    folder_ = -1;
}

void OutputFile::linkIntoPlace()
{
    if (unnamed_ && !exists_) {
        // Nothing to replace: the complete file gets its name in one step.
        const int error = LinkUnnamed(fd_, folder_, name_);
        if (error == 0) {
            const int fd = fd_;
            fd_ = -1;
            if (::close(fd) != 0) {
                const int closeError = errno;
                ::unlinkat(folder_, name_.c_str(), 0);
                failWithErrno(closeError);
            }
            finished_ = true;
            return;
        }
        if (error != EEXIST)
            failWithErrno(error);
        // A file of that name appeared meanwhile; it is replaced as any other.
    }
    if (unnamed_) {
        // A link cannot replace a file, so the complete file is linked under a temporary name
        // and renamed over the target at once; only a program killed between these two calls
        // leaves the temporary name behind.
        const std::string prefix = TemporaryPrefix(name_, FolderNameMax(folder_));
        NameSuffixes suffixes;
        for (int attempt = 0; temporary_.empty(); ++attempt) {
            if (attempt == kNameAttempts)
                failWithErrno(EEXIST);
            const std::string candidate = prefix + suffixes.next();
            const int error = LinkUnnamed(fd_, folder_, candidate);
            if (error == 0)
                temporary_ = candidate;
            else if (error != EEXIST)
                failWithErrno(error);
        }
        if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0)
            failWithErrno(errno);
        temporary_.clear();
        finished_ = true;
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            failWithErrno(errno);
        return;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        failWithErrno(errno);
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0)
        failWithErrno(errno);
    temporary_.clear();
    finished_ = true;
}

void StreamSink::write(std::string_view bytes)
{
    errno = 0;
    stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream_)
        fail();
}

void StreamSink::finish()
{
    FlushStream(stream_, name_);
}

void StreamSink::fail() const
{
    const int error = errno;
    throw Error(name_ + " could not be written" + (error != 0 ? ": " + Reason(error) : "") + ".");
}

void FlushStream(std::ostream &stream, const std::string &name)
{
    errno = 0;
    stream.flush();
    if (!stream) {
        const int error = errno;
        throw Error(
            name + " could not be written" + (error != 0 ? ": " + Reason(error) : "") + ".");
    }
}

void WriteFileAtomically(
    const std::filesystem::path &target, std::string_view text, std::string what)
{
    OutputFile file(target, std::move(what));
    file.write(text);
    file.finish();
}

} // namespace carexa
