#include "analysis/sampling.h"

#include "analysis/random.h"

#include <numeric>
#include <utility>

namespace carexa {

std::vector<std::vector<double>> LatinHypercube(
    std::size_t points, std::size_t dimensions, std::uint64_t seed)
{
    std::vector<std::vector<double>> sample(points, std::vector<double>(dimensions));
    std::vector<std::size_t> strata(points);
    for (std::size_t j = 0; j < dimensions; ++j) {
        std::mt19937_64 generator = TaskGenerator(seed, j);
        std::iota(strata.begin(), strata.end(), std::size_t {0});
        for (std::size_t i = points; i > 1; --i)
            std::swap(strata[i - 1], strata[Pick(generator, i)]);
        for (std::size_t i = 0; i < points; ++i)
            sample[i][j] = (static_cast<double>(strata[i]) + UnitDraw(generator))
                / static_cast<double>(points);
    }
    return sample;
}

} // namespace carexa
