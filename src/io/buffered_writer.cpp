#include "io/buffered_writer.h"

#include "model/number_text.h"

#include <algorithm>
#include <cstring>

namespace carexa {

BufferedWriter::BufferedWriter(ByteSink &sink, std::size_t blockSize)
    : sink_(sink), buffer_(std::max<std::size_t>(blockSize, 2 * kNumberTextCapacity))
{ }

char *BufferedWriter::room(std::size_t bytes)
{
    if (used_ + bytes > buffer_.size())
        flush();
    return buffer_.data() + used_;
}

void BufferedWriter::text(std::string_view text)
{
    if (text.size() > buffer_.size() / 2) {
        flush();
        sink_.write(text);
        return;
    }
    std::memcpy(room(text.size()), text.data(), text.size());
    used_ += text.size();
}

void BufferedWriter::character(char c)
{
    *room(1) = c;
    ++used_;
}

void BufferedWriter::general(double value)
{
    char *start = room(kNumberTextCapacity);
    used_ += static_cast<std::size_t>(WriteGeneral(start, value) - start);
}

void BufferedWriter::rounded(double value, int decimals)
{
    char *start = room(kNumberTextCapacity);
    used_ += static_cast<std::size_t>(WriteRoundedGeneral(start, value, decimals) - start);
}

void BufferedWriter::fileDouble(double value)
{
    char *start = room(kNumberTextCapacity);
    used_ += static_cast<std::size_t>(WriteFileDouble(start, value) - start);
}

void BufferedWriter::integer(std::int64_t value)
{
    char *start = room(kNumberTextCapacity);
    used_ += static_cast<std::size_t>(WriteInteger(start, value) - start);
}

void BufferedWriter::flush()
{
    if (used_ > 0)
        sink_.write(std::string_view(buffer_.data(), used_));
    used_ = 0;
}

void BufferedWriter::finish()
{
    flush();
    sink_.finish();
}

} // namespace carexa
