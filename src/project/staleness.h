#pragma once

// What a project's derived values are computed from, and whether they still match it.

#include "model/model_state.h"

#include <cstdint>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// The values a project derives from its other values. Each is current (it matches what it was
/// computed from) or stale (something it depends on holds another value now).
enum class Derived : std::uint8_t {
    DesignResults, ///< the eight design results (and PF) of "Calculate"
    WaterVolume, ///< every day's box water volume ("Calculate water volume")
    RetentionTimes, ///< every day's RTB ("Calculate RTB values")
    Results, ///< the last run's results (its series and every day's box values)
    Fit, ///< the fit statistics of those results against the observed values
    Bands, ///< the uncertainty bands of the last uncertainty analysis
    CalibrationUndo, ///< the run kept for undoing a calibration
};
inline constexpr int kDerivedCount = 7;

/// A short name for messages and test output ("retention times").
std::string_view DerivedName(Derived derived);

/// A set of derived values.
class DerivedSet
{
public:
    constexpr DerivedSet() = default;
    constexpr DerivedSet(std::initializer_list<Derived> values)
    {
        for (Derived d : values)
            insert(d);
    }

    constexpr bool contains(Derived d) const { return (bits_ & bit(d)) != 0; }
    constexpr void insert(Derived d) { bits_ |= bit(d); }
    constexpr void erase(Derived d) { bits_ &= ~bit(d); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr DerivedSet operator|(DerivedSet other) const { return fromBits(bits_ | other.bits_); }
    constexpr DerivedSet operator-(DerivedSet other) const { return fromBits(bits_ & ~other.bits_); }
    /// The names of the members in order, comma-separated ("water volume, retention times").
    std::string text() const;

    friend constexpr bool operator==(DerivedSet, DerivedSet) = default;

private:
    static constexpr unsigned bit(Derived d) { return 1u << static_cast<unsigned>(d); }
    static constexpr DerivedSet fromBits(unsigned bits)
    {
        DerivedSet set;
        set.bits_ = bits;
        return set;
    }
    unsigned bits_ = 0;
};

/// A 64-bit fingerprint of values: equal values give equal fingerprints, and any other value
/// (a double differing in any bit, another length) almost surely another one. Staleness is
/// judged by comparing fingerprints of values, never by counting changes, so a value changed and
/// changed back counts as unchanged.
class Fingerprint
{
public:
    Fingerprint &add(double value);
    Fingerprint &add(std::int64_t value);
    Fingerprint &add(std::string_view text);
    template <typename Range> Fingerprint &addAll(const Range &values)
    {
        add(static_cast<std::int64_t>(std::size(values)));
        for (const auto &value : values)
            add(value);
        return *this;
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0x9E3779B97F4A7C15ULL;
};

/// The fingerprints a project's derived values depend on (the staleness table, in code):
///   design results   <- the eight design inputs, the wetland type
///   box water volume <- the design volume VO, day 1's porosity, and every day's box water
///                       volume being the one computed (so a day added since counts)
///   RTB              <- day 1's box water volume, each day's flow, the set of days (per day;
///                       a day whose RTB the user entered is never stale)
///   results          <- everything a run reads: every day's forcing fields, the parameters, the
///                       initial concentrations, the time step and the climate
///   fit              <- the results (the observed values and both lengths are read afresh each
///                       time a fit is shown, so they are never out of date)
///   bands            <- the run inputs they were computed from
///   calibration undo <- the run inputs but the parameters, as the calibration left them
/// Fingerprints are taken after each computation and again after a run writes back the inputs
/// it clamped, so the clamping itself never makes a value stale.
std::uint64_t RunInputsFingerprint(const ModelState &state, bool withParameters = true);
/// The same with the days' fingerprint (DaysFingerprint) worked out already.
std::uint64_t RunInputsFingerprint(
    const ModelState &state, std::uint64_t daysFingerprint, bool withParameters);

/// The fingerprint of every day's forcing fields (all 18 of each active day).
std::uint64_t DaysFingerprint(const ModelState &state);

/// A run of days, both ends included (1-based).
struct DayRange
{
    int first = 0;
    int last = 0;

    friend bool operator==(const DayRange &, const DayRange &) = default;
};

/// The days of `flags` (flags[d - 1] for day d) that are set, as ranges in order.
std::vector<DayRange> RangesOf(const std::vector<bool> &flags);

/// Ranges as text: "1-365", "3", "2-4, 9 and 12-20"; more than four ranges end in "and N more
/// days".
std::string DayRangesText(const std::vector<DayRange> &ranges);

} // namespace carexa
