#pragma once

#include "report/report.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace carexa {

/// Where the guideline loading rates come from.
inline constexpr std::string_view kGuidelineNote
    = "Guideline value: an areal BOD5 loading of at most 6 g / (m2 24h) for horizontal "
      "subsurface-flow beds (US EPA 2000, Constructed Wetlands Treatment of Municipal "
      "Wastewaters, EPA/625/R-99/010). The model has no evaporation or seepage, so the outflow "
      "equals the inflow.";

/// What a P-k-C* sizing promises.
inline constexpr std::string_view kPkcNote
    = "A P-k-C* sizing with median rate constants predicts the long-term mean outflow: half of "
      "all beds so sized do worse. Limits on monthly values or percentiles therefore need a margin "
      "beyond the sizing; the simulated outflows in the Results section show the variation from "
      "day to day.";

/// The scope of the ratings of a fit.
inline constexpr std::string_view kRatingScopeNote
    = "Ratings (Moriasi et al. 2007): NSE above 0.75 very good, above 0.65 good, above 0.50 "
      "satisfactory; |PBIAS| below 25 % very good, below 40 % good, below 70 % satisfactory; RSR "
      "(RMSE over the standard deviation of the observations) up to 0.50 very good, up to 0.60 "
      "good, up to 0.70 satisfactory; else unsatisfactory. PBIAS is positive when the model is "
      "low. These ratings were made for watershed models at monthly steps (Moriasi et al. 2007 "
      "and 2015); daily values of a treatment wetland are a stricter test, so read them as a "
      "guide only. Neither paper gives ratings for BOD5: its rows say \"none given\".";

/// The lines of the title page.
std::vector<std::pair<std::string, std::string>> TitleLines(const ReportSource &source);

/// The sentence that says a section asked for has no data, and how to get it.
std::string MissingText(ReportSection section);

/// The last section: what the uncertainty covers, the program's assumptions, what is missing,
/// and the references.
void AddScopeSection(
    ReportDocument &report, const ReportSource &source, const std::vector<std::string> &missing);

} // namespace carexa
