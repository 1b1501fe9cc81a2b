#pragma once

#include <array>
#include <string_view>

namespace carexa {

/// The sixteen kinetic parameters, in record order (the rows of the Parameters screen).
enum class Parameter { AC, NC, OC, DC, TA, TN, TO, TD, KO, OO, MA, MN, PA, PN, PP, AF };

inline constexpr int kParameterCount = 16;
inline constexpr double kEmptyValue = 0.0001; ///< the default of every double: "not entered"

/// Short name of a parameter ("AC", "NC", ...).
std::string_view ParameterName(Parameter parameter);
/// What a parameter is, as the Parameters screen names it before its short name ("Max.
/// decomposition rate of organic Nitrogen" for AC).
std::string_view ParameterDescription(Parameter parameter);

class ModelParameters
{
public:
    ModelParameters() { reset(); }
    explicit ModelParameters(const std::array<double, kParameterCount> &values)
        : values_(values) { }

    void reset() { values_.fill(kEmptyValue); }

    double get(Parameter p) const { return values_[static_cast<std::size_t>(p)]; }
    void set(Parameter p, double value) { values_[static_cast<std::size_t>(p)] = value; }

    const std::array<double, kParameterCount> &values() const { return values_; }

    friend bool operator==(const ModelParameters &, const ModelParameters &) = default;

private:
    std::array<double, kParameterCount> values_ {};
};

} // namespace carexa
