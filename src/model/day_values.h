#pragma once

#include "model/model_parameters.h"

#include <array>

namespace carexa {

/// The forcing values of one day, in record order.
enum class DayField {
    RTB,
    bod5In,
    nitrateIn,
    ammoniumIn,
    totalPIn,
    orgNitrogenIn,
    pomPercent,
    ponPercent,
    popPercent,
    temperature,
    waterFlow,
    porosity,
    oxygenA,
    oxygenB,
    oxygenC,
    oxygenD,
    oxygenE,
    boxWaterVolume,
};
inline constexpr int kDayFieldCount = 18;

constexpr DayField OxygenField(int box)
{
    return static_cast<DayField>(static_cast<int>(DayField::oxygenA) + box);
}

class DayValues
{
public:
    DayValues() { reset(); }
    explicit DayValues(const std::array<double, kDayFieldCount> &values) : values_(values) { }

    void reset() { values_.fill(kEmptyValue); }

    double get(DayField f) const { return values_[static_cast<std::size_t>(f)]; }
    void set(DayField f, double value) { values_[static_cast<std::size_t>(f)] = value; }

    const std::array<double, kDayFieldCount> &values() const { return values_; }

    friend bool operator==(const DayValues &, const DayValues &) = default;

private:
    std::array<double, kDayFieldCount> values_ {};
};

} // namespace carexa
