#include "model/box_values.h"
#include "model/model_parameters.h"

#include <array>
#include <string>

namespace carexa {

std::string_view ParameterName(Parameter parameter)
{
    static constexpr std::array<std::string_view, kParameterCount> names {"AC", "NC", "OC", "DC",
        "TA", "TN", "TO", "TD", "KO", "OO", "MA", "MN", "PA", "PN", "PP", "AF"};
    return names[static_cast<std::size_t>(parameter)];
}

std::string_view ParameterDescription(Parameter parameter)
{
    static constexpr std::array<std::string_view, kParameterCount> descriptions {
        "Max. decomposition rate of organic Nitrogen", "Max. nitrification rate",
        "Max. decomposition rate of organic matter", "Max. denitrification rate",
        "Temperature coefficient of ammonification", "Temperature coefficient of nitrification",
        "Temperature coefficient of decomposition rate",
        "Temperature coefficient of denitrification", "Half saturation constant for nitrification",
        "Half saturation constant for decomposition", "Half saturation constant for nitrification",
        "Half saturation constant for denitrification", "Max. plant uptake-rate of ammonium",
        "Max. plant uptake-rate of nitrate", "Max. plant uptake-rate of phosphorus",
        "Inverse absorbtion capacity of phosphorus by gravel"};
    return descriptions[static_cast<std::size_t>(parameter)];
}

std::string_view VariableName(Variable variable)
{
    static constexpr std::array<std::string_view, kVariableCount> names {
        "BOD5", "NIT", "AMM", "ORN", "TPO"};
    return names[static_cast<std::size_t>(variable)];
}

std::string ConcentrationName(Variable variable, int box)
{
    return std::string(VariableName(variable)) + '-' + static_cast<char>('A' + box);
}

} // namespace carexa
