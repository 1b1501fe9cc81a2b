#pragma once

// Sampling of the unit cube shared by the analyses that draw parameter sets.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace carexa {

/// A Latin hypercube in the unit cube (McKay, Beckman and Conover 1979): `points` points of
/// `dimensions` coordinates (sample[point][dimension]) in which every coordinate takes each of the
/// `points` equal strata of [0, 1) exactly once, at a uniform place within it; the strata are
/// matched across the dimensions by independent uniform permutations (Fisher and Yates).
/// Dimension j draws from TaskGenerator(seed, j) alone, so the sample does not depend on the
/// thread that makes it, and leaving out the last dimensions changes nothing for the others.
std::vector<std::vector<double>> LatinHypercube(
    std::size_t points, std::size_t dimensions, std::uint64_t seed);

} // namespace carexa
