#pragma once

// The order of the numbers in a project file, shared by its writer and its reader.

#include "model/box_values.h"
#include "model/day_values.h"
#include "model/model_parameters.h"

#include <array>

namespace carexa {

// File orders of the records, which differ from the record orders.
inline constexpr std::array<DayField, kDayFieldCount> kDayFileOrder {DayField::ammoniumIn,
    DayField::oxygenA, DayField::oxygenB, DayField::oxygenC, DayField::oxygenD, DayField::oxygenE,
    DayField::bod5In, DayField::boxWaterVolume, DayField::nitrateIn, DayField::orgNitrogenIn,
    DayField::pomPercent, DayField::ponPercent, DayField::popPercent, DayField::porosity,
    DayField::RTB, DayField::temperature, DayField::totalPIn, DayField::waterFlow};

inline constexpr int kBoxFileCount = 35;
inline constexpr int kDayNumberPosition = 10; // 0-based position of the day number in a box line

// The 35 box-values positions; the day number's slot holds a placeholder and is handled apart.
inline constexpr std::array<BoxField, kBoxFileCount> kBoxFileOrder = [] {
    std::array<BoxField, kBoxFileCount> order {};
    std::size_t i = 0;
    const auto add = [&](Variable v) {
        for (int x = 0; x < kBoxCount; ++x)
            order[i++] = ConcentrationField(v, x);
    };
    add(Variable::AMM);
    add(Variable::BOD5);
    order[i++] = BoxField::PF; // the day number's slot
    add(Variable::NIT);
    add(Variable::ORN);
    add(Variable::TPO);
    for (BoxField f : {BoxField::FL, BoxField::FW, BoxField::HF, BoxField::HL, BoxField::NP,
             BoxField::RF, BoxField::VO, BoxField::AA, BoxField::PF})
        order[i++] = f;
    return order;
}();

inline constexpr std::array<Parameter, kParameterCount> kParameterFileOrder {Parameter::AC,
    Parameter::AF, Parameter::DC, Parameter::KO, Parameter::MA, Parameter::MN, Parameter::NC,
    Parameter::OC, Parameter::OO, Parameter::PA, Parameter::PN, Parameter::PP, Parameter::TA,
    Parameter::TD, Parameter::TN, Parameter::TO};

} // namespace carexa
