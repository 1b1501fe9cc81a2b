#pragma once

#include <array>
#include <string_view>

namespace carexa {

/// The eleven result series: columns 1 to 11 of the simulated data sheet and of the observed
/// values grid, in this order.
inline constexpr int kSeriesCount = 11;

/// Row-0 headings of the series columns ("BOD5 out" ... "eff. t.n. rem").
inline constexpr std::array<std::string_view, kSeriesCount> kSeriesHeadings {"BOD5 out", "nit. out",
    "amm. out", "total P. out", "org. N. out", "eff. BOD5 rem", "eff. nit. rem", "eff. amm rem",
    "eff. P. rem", "eff. o.n. rem", "eff. t.n. rem"};

inline constexpr std::string_view kDayHeading = "Day";

} // namespace carexa
