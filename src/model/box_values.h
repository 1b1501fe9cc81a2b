#pragma once

#include "model/model_parameters.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace carexa {

/// The five state variables, in record order (the screen shows TPO before ORN).
enum class Variable { BOD5, NIT, AMM, ORN, TPO };
inline constexpr int kVariableCount = 5;
inline constexpr int kBoxCount = 5; ///< boxes A to E, index 0 to 4

/// The doubles of a BoxValues record, in record order (the day number sits between TPO-E and AA
/// in the record and is kept apart).
enum class BoxField {
    PF = 0,
    BOD5_A = 1,
    NIT_A = 6,
    AMM_A = 11,
    ORN_A = 16,
    TPO_A = 21,
    AA = 26,
    VO,
    HL,
    HF,
    RF,
    FW,
    FL,
    NP,
};
inline constexpr int kBoxDoubleCount = 34;

/// Label of a concentration on the Initial values screen and in the tables ("BOD5-A", "TPO-E").
std::string ConcentrationName(Variable variable, int box);
std::string_view VariableName(Variable variable);

constexpr BoxField ConcentrationField(Variable variable, int box)
{
    return static_cast<BoxField>(1 + 5 * static_cast<int>(variable) + box);
}

/// Initial or daily concentrations of every variable in every box, the precipitation factor and
/// the design results, and a day number (used inside a day node only).
class BoxValues
{
public:
    BoxValues() { values_.fill(kEmptyValue); }
    BoxValues(const std::array<double, kBoxDoubleCount> &values, std::int32_t dayNumber)
        : values_(values), dayNumber_(dayNumber)
    { }

    /// Resets every double to 0.0001; the day number stays.
    void reset() { values_.fill(kEmptyValue); }
    /// Copies every double of `source`; the day number stays.
    void copyValues(const BoxValues &source) { values_ = source.values_; }

    double get(BoxField f) const { return values_[static_cast<std::size_t>(f)]; }
    void set(BoxField f, double value) { values_[static_cast<std::size_t>(f)] = value; }

    double concentration(Variable v, int box) const { return get(ConcentrationField(v, box)); }
    void setConcentration(Variable v, int box, double value)
    {
        set(ConcentrationField(v, box), value);
    }

    std::int32_t dayNumber() const { return dayNumber_; }
    void setDayNumber(std::int32_t day) { dayNumber_ = day; }

    const std::array<double, kBoxDoubleCount> &values() const { return values_; }

    friend bool operator==(const BoxValues &, const BoxValues &) = default;

private:
    std::array<double, kBoxDoubleCount> values_ {};
    std::int32_t dayNumber_ = 0;
};

} // namespace carexa
