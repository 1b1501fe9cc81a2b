#pragma once

#include "io/output_file.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace carexa {

/// Formats text and numbers straight into one reused buffer and hands it to a sink in large
/// blocks, so a writer of millions of numbers makes no string of any of them.
class BufferedWriter
{
public:
    explicit BufferedWriter(ByteSink &sink, std::size_t blockSize = 1 << 20);
    BufferedWriter(const BufferedWriter &) = delete;
    BufferedWriter &operator=(const BufferedWriter &) = delete;

    void text(std::string_view text);
    void character(char c);
    /// A number in its screen form (FormatGeneral).
    void general(double value);
    /// A number rounded to `decimals` decimals in its screen form (FormatGeneral's text, made
    /// the quicker way WriteRoundedGeneral makes it).
    void rounded(double value, int decimals);
    /// A number in its project file form (FormatFileDouble).
    void fileDouble(double value);
    void integer(std::int64_t value);

    /// Hands what is buffered to the sink.
    void flush();
    /// Flushes and completes the sink's output.
    void finish();

private:
    char *room(std::size_t bytes);

    ByteSink &sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

/// A sink that collects the bytes in a string (for outputs wanted in memory).
class StringSink : public ByteSink
{
public:
    void write(std::string_view bytes) override { text_.append(bytes); }
    void finish() override { }
    std::string &text() { return text_; }

private:
    std::string text_;
};

} // namespace carexa
