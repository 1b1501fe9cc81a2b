#include "analysis/random.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace carexa {

namespace {

std::uint64_t SplitMix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

} // namespace

std::mt19937_64 TaskGenerator(std::uint64_t seed, std::uint64_t task)
{
    return std::mt19937_64(SplitMix64(SplitMix64(seed) ^ SplitMix64(task + 0x632BE59BD9B4E019ULL)));
}

double UnitDraw(std::mt19937_64 &generator)
{
    return static_cast<double>(generator() >> 11) * 0x1.0p-53;
}

std::size_t Pick(std::mt19937_64 &generator, std::size_t count)
{
    const auto drawn = static_cast<std::size_t>(UnitDraw(generator) * static_cast<double>(count));
    return std::min(count - 1, drawn);
}

std::optional<std::uint64_t> ParseSeed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    // Digits only: from_chars alone would take no sign for an unsigned number anyway, but says so
    // here rather than leaving it to the library.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return seed;
}

std::string SeedRule()
{
    return "a whole number from 0 to " + std::to_string(std::numeric_limits<std::uint64_t>::max());
}

} // namespace carexa
