#include "analysis/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

using namespace carexa;

namespace {

// What a seed field and --seed take: every 64-bit seed, as plain decimal digits.
TEST(Seed, TakesEveryWholeNumberOfSixtyFourBitsAndNothingElse)
{
    const std::pair<const char *, std::optional<std::uint64_t>> cases[] = {
        {"0", 0},
        {"1", 1},
        {"9223372036854775807", 9223372036854775807ULL},
        {"9223372036854775808", 9223372036854775808ULL},
        {"18446744073709551615", 18446744073709551615ULL},
        {" 42\t", 42},
        {"007", 7},
        {"18446744073709551616", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"1.0", std::nullopt},
        {"1e3", std::nullopt},
        {"0x10", std::nullopt},
        {"4 2", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"seed", std::nullopt},
    };
    for (const auto &[text, seed] : cases)
        EXPECT_EQ(ParseSeed(text), seed) << '"' << text << '"';
    EXPECT_EQ(SeedRule(), "a whole number from 0 to 18446744073709551615");
}

} // namespace
