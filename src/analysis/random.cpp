#include "analysis/random.h"

#include <algorithm>

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

} // namespace carexa
