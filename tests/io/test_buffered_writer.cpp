#include "io/buffered_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using namespace carexa;

namespace {

std::string Written(std::size_t blockSize)
{
    StringSink sink;
    BufferedWriter writer(sink, blockSize);
    writer.text("Day,value\n");
    writer.integer(std::numeric_limits<std::int64_t>::min());
    writer.character(',');
    writer.general(-1.2345678901234567e-300);
    writer.character(',');
    writer.rounded(12.346, 3);
    writer.character(',');
    writer.fileDouble(0.000123456789);
    writer.character('\n');
    writer.finish();
    return sink.text();
}

// Whatever the block size asked for, a number always finds room for its widest text.
TEST(BufferedWriter, BlocksSmallerThanANumberWriteTheSameText)
{
    const std::string expected
        = "Day,value\n-9223372036854775808,-1.23456789012346E-300,12.346,0.000123457\n";
    ASSERT_EQ(Written(1 << 20), expected);
    for (std::size_t block : {0u, 1u, 7u, 31u, 64u})
        EXPECT_EQ(Written(block), expected) << block;
}

} // namespace
