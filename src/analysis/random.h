#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace carexa {

/// The generator of one task of an analysis: seeded from the analysis's seed and the task's
/// index (mixed by SplitMix64), so what a task draws depends on neither the thread that runs it
/// nor the order tasks run in.
std::mt19937_64 TaskGenerator(std::uint64_t seed, std::uint64_t task);

/// A uniform draw from [0, 1) with 53 random bits, the same on every platform (unlike
/// std::uniform_real_distribution, whose algorithm the standard leaves open).
double UnitDraw(std::mt19937_64 &generator);

/// A uniform whole number from 0 to count - 1 (count >= 1), from one UnitDraw.
std::size_t Pick(std::mt19937_64 &generator, std::size_t count);

/// A seed as it is typed, in a window's seed field or after --seed: decimal digits for a whole
/// number from 0 to 18446744073709551615 (every 64-bit seed), spaces around them allowed;
/// nothing for any other text (a sign, a fraction, letters, a larger number).
std::optional<std::uint64_t> ParseSeed(std::string_view text);

/// What ParseSeed takes, for messages: "a whole number from 0 to 18446744073709551615".
std::string SeedRule();

} // namespace carexa
