#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

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

/// A file that appears complete or not at all: the bytes go into a temporary file in the target's
/// folder, and finish() syncs it and puts it in the target's place. A file that is never finished
/// (an error, an exception, a killed program) leaves any existing target exactly as it was.
class OutputFile : public ByteSink
{
public:
    /// Opens the temporary file; throws Error when the target's folder cannot take it. `what`
    /// names the output in messages ("The project could not be saved to ...").
    explicit OutputFile(std::filesystem::path target, std::string what = "The file");
    /// Discards the temporary file unless the output was finished.
    ~OutputFile() override;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    const std::filesystem::path &target() const { return target_; }

    void write(std::string_view bytes) override;
    void finish() override;

private:
    [[noreturn]] void fail(const std::string &reason) const;
    void discard();

    std::filesystem::path target_;
    std::string what_;
    std::string temporary_;
    int fd_ = -1;
    bool finished_ = false;
};

/// An output to a stream (standard output in the batch runner); finish() flushes it and checks
/// that every byte got there.
class StreamSink : public ByteSink
{
public:
    StreamSink(std::ostream &stream, std::string name) : stream_(stream), name_(std::move(name)) { }
    void write(std::string_view bytes) override;
    void finish() override;

private:
    std::ostream &stream_;
    std::string name_;
};

/// Writes `text` to `target` as an OutputFile does.
void WriteFileAtomically(
    const std::filesystem::path &target, std::string_view text, std::string what = "The file");

} // namespace carexa
