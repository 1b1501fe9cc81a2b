#pragma once

#include "model/wetland_sizing.h"
#include "project/kept_analyses.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace carexa {

/// One permit limit a bed must meet: an outflow series, the value, the statistic the authority
/// applies to it ("annual mean", "90th percentile") and the legal source the user names.
struct PermitLimit
{
    int column = 1; ///< data sheet column 1..5 (the outflows)
    double value = 0; ///< mg/l
    std::string statistic {};
    std::string source {};

    friend bool operator==(const PermitLimit &, const PermitLimit &) = default;
};

/// The design assistant's inputs of the design the project took from it ("Use this design"):
/// the report sizes again from them.
struct KeptAssistant
{
    AssistantInputs inputs;
};

/// What a report holds beyond the project file, kept beside it in NAME.carexa.json: who wrote
/// the design, what it was based on, and the limits it must meet.
struct ReportSettings
{
    std::string title;
    std::string author;
    std::string checkedBy;
    std::string revision;
    /// The design basis in the user's words (how the design flow and temperature were chosen).
    std::string designBasis;
    std::optional<double> populationEquivalent;
    std::optional<double> peakFactor;
    /// The calendar date of day 1 ("2024-01-01"), when known: monthly tables then follow the
    /// calendar instead of 30-day blocks.
    std::string startDate;
    std::vector<PermitLimit> limits;
    std::optional<KeptAssistant> designAssistant;
    /// The last analyses' results, each with the run inputs it was computed from.
    KeptAnalyses analyses;
};

} // namespace carexa
