#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace carexa {

/// Where an output's bytes go. Writers hand over large blocks; finish() completes the output.
/// Every failure throws Error with a message naming the output and the system's reason.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
    /// Completes the output; nothing written is final before this returns.
    virtual void finish() = 0;
};

/// A file that appears complete or not at all. The bytes go into a temporary file in the folder
/// of the file being replaced; finish() syncs it, puts it in that file's place with a rename and
/// syncs the folder. A file that is never finished (an error, an exception, a killed program)
/// leaves any existing file exactly as it was.
///
/// - The temporary file is unnamed (O_TMPFILE) where the file system supports it and is linked
///   into the folder only when complete, so a killed program leaves nothing behind. Elsewhere,
///   or with Temporary::Named, it is a hidden ".NAME.XXXXXX" beside the target (shortened to the
///   folder's longest name), removed on every failure the program sees.
/// - A target that is a symbolic link (or a chain of them) is followed: the file it points to is
///   replaced, in that file's folder, and the link stays.
/// - A target the user may not write is refused with the system's reason before anything is
///   written, as is a folder. A target that is not a regular file (a device such as /dev/null,
///   a pipe) is written in place, as there is nothing to replace atomically.
/// - The new file gets the permission bits of the file it replaces without set-user-ID and
///   set-group-ID (and its owner and group where the system lets the user keep them); a new
///   file gets 0666 less the process's umask.
/// - Only the name given is replaced: other hard links to the old file keep the old contents.
class OutputFile : public ByteSink
{
public:
    enum class Temporary {
        Unnamed, ///< unnamed where the file system supports it, otherwise named
        Named, ///< always a named hidden file beside the target
    };

    /// Checks the target and opens the temporary file; throws Error when the target may not be
    /// written or its folder cannot take the file. `what` names the output in messages ("The
    /// project could not be saved to ...").
    explicit OutputFile(std::filesystem::path target, std::string what = "The file",
        Temporary temporary = Temporary::Unnamed);
    /// Discards the temporary file unless the output was finished.
    ~OutputFile() override;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    /// The name given.
    const std::filesystem::path &target() const { return target_; }
    /// The file that is replaced: the target with its symbolic links followed.
    const std::filesystem::path &destination() const { return destination_; }
    /// Whether the bytes go into an unnamed temporary file.
    bool unnamed() const { return unnamed_; }

    void write(std::string_view bytes) override;
    void finish() override;

private:
    [[noreturn]] void fail(const std::string &reason) const;
    [[noreturn]] void failWithErrno(int error) const;
    void openTemporary(Temporary temporary);
    void linkIntoPlace();
    void discard();

    std::filesystem::path target_;
    std::filesystem::path destination_;
    std::string what_;
    std::string name_; ///< the destination's name within its folder
    std::string temporary_; ///< the named temporary file's name within the folder, if any
    int folder_ = -1; ///< the destination's folder, kept open for the *at() calls
    int fd_ = -1;
    bool unnamed_ = false;
    bool inPlace_ = false; ///< writing straight into a device or pipe
    bool exists_ = false; ///< a file of that name is replaced
    mode_t mode_ = 0;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    bool finished_ = false;
};

/// An output to a stream (standard output in the batch runner); write() and finish() check that
/// every byte got there, finish() flushing the stream first. A failure throws Error naming the
/// output and, where the system gave one, the reason ("No space left on device").
class StreamSink : public ByteSink
{
public:
    StreamSink(std::ostream &stream, std::string name) : stream_(stream), name_(std::move(name)) { }
    void write(std::string_view bytes) override;
    void finish() override;

private:
    [[noreturn]] void fail() const;

    std::ostream &stream_;
    std::string name_;
};

/// Flushes `stream` and throws Error as StreamSink does when it has not taken every byte.
void FlushStream(std::ostream &stream, const std::string &name);

/// Writes `text` to `target` as an OutputFile does.
void WriteFileAtomically(
    const std::filesystem::path &target, std::string_view text, std::string what = "The file");

// The decisions behind OutputFile, for tests.

/// Follows `target` through up to 40 symbolic links (a relative link is relative to the link's
/// folder) to the file it names, which need not exist. Returns 0, or ELOOP for a longer chain
/// (or a loop), or the errno of a link that cannot be read.
int FollowSymbolicLinks(const std::filesystem::path &target, std::filesystem::path &file);

/// The errno that keeps the current user from writing the existing file `file`, or 0. Uses the
/// system's own check (permission bits, ACLs, read-only mounts; a superuser passes).
int WriteAccessError(const std::filesystem::path &file);

/// The permission bits a file replacing one with `mode` gets: its bits without set-user-ID and
/// set-group-ID.
mode_t ReplacementMode(mode_t mode);

/// The start of a named temporary file's name for the target name `name` in a folder whose
/// names may hold `nameMax` bytes: "." + name + "." with the name part shortened (never inside
/// a UTF-8 character) so that six more characters still fit.
std::string TemporaryPrefix(std::string_view name, std::size_t nameMax);

} // namespace carexa
