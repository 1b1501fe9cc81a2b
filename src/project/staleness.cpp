#include "project/staleness.h"

#include <bit>
#include <cstring>

namespace carexa {

namespace {

constexpr std::array<std::string_view, kDerivedCount> kDerivedNames {"design results",
    "water volume", "retention times", "results", "fit", "bands", "calibration undo"};

// One round of a multiply-xorshift mix (as in SplitMix64 and wyhash), per 64-bit word.
std::uint64_t Mix(std::uint64_t hash, std::uint64_t word)
{
    hash ^= word + 0x9E3779B97F4A7C15ULL + (hash << 6) + (hash >> 2);
    hash *= 0xBF58476D1CE4E5B9ULL;
    return hash ^ (hash >> 31);
}

} // namespace

std::string_view DerivedName(Derived derived)
{
    return kDerivedNames[static_cast<std::size_t>(derived)];
}

std::string DerivedSet::text() const
{
    std::string text;
    for (int i = 0; i < kDerivedCount; ++i) {
        const auto d = static_cast<Derived>(i);
        if (!contains(d))
            continue;
        if (!text.empty())
            text += ", ";
        text += DerivedName(d);
    }
    return text.empty() ? "nothing" : text;
}

Fingerprint &Fingerprint::add(double value)
{
    hash_ = Mix(hash_, std::bit_cast<std::uint64_t>(value));
    return *this;
}

Fingerprint &Fingerprint::add(std::int64_t value)
{
    hash_ = Mix(hash_, static_cast<std::uint64_t>(value));
    return *this;
}

Fingerprint &Fingerprint::add(std::string_view text)
{
    add(static_cast<std::int64_t>(text.size()));
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        hash_ = Mix(hash_, word);
    }
    if (i < text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, text.size() - i);
        hash_ = Mix(hash_, word);
    }
    return *this;
}

std::uint64_t DaysFingerprint(const ModelState &state)
{
    // Four lanes, each mixing every fourth value of a day, so that the mixes of a day's values
    // do not wait for one another; the lanes then go into one fingerprint in order.
    constexpr std::size_t kLanes = 4;
    std::array<std::uint64_t, kLanes> lanes {
        0x9E3779B97F4A7C15ULL, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL, 0x27D4EB2F165667C5ULL};
    DayList::Lookahead lookahead(state.days);
    for (const DayNode &node : state.days.active()) {
        lookahead.step();
        const auto &values = node.day.values();
        std::size_t i = 0;
        for (; i + kLanes <= values.size(); i += kLanes) {
            for (std::size_t l = 0; l < kLanes; ++l)
                lanes[l] = Mix(lanes[l], std::bit_cast<std::uint64_t>(values[i + l]));
        }
        for (std::size_t l = 0; i < values.size(); ++i, ++l)
            lanes[l] = Mix(lanes[l], std::bit_cast<std::uint64_t>(values[i]));
    }
    Fingerprint print;
    print.add(static_cast<std::int64_t>(state.days.activeCount()));
    for (std::uint64_t lane : lanes)
        print.add(static_cast<std::int64_t>(lane));
    return print.value();
}

std::uint64_t RunInputsFingerprint(const ModelState &state, bool withParameters)
{
    return RunInputsFingerprint(state, DaysFingerprint(state), withParameters);
}

std::uint64_t RunInputsFingerprint(
    const ModelState &state, std::uint64_t daysFingerprint, bool withParameters)
{
    Fingerprint print;
    print.add(static_cast<std::int64_t>(daysFingerprint));
    if (withParameters)
        print.addAll(state.parameters.values());
    // The concentrations only: the run reads neither PF nor the design results.
    for (int v = 0; v < kVariableCount; ++v) {
        for (int x = 0; x < kBoxCount; ++x)
            print.add(state.initial.concentration(static_cast<Variable>(v), x));
    }
    print.add(static_cast<std::int64_t>(state.stepsPerDay));
    print.add(static_cast<std::int64_t>(state.climate));
    return print.value();
}

std::vector<DayRange> RangesOf(const std::vector<bool> &flags)
{
    std::vector<DayRange> ranges;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (!flags[i])
            continue;
        const int day = static_cast<int>(i) + 1;
        if (!ranges.empty() && ranges.back().last == day - 1)
            ranges.back().last = day;
        else
            ranges.push_back({day, day});
    }
    return ranges;
}

std::string DayRangesText(const std::vector<DayRange> &ranges)
{
    constexpr std::size_t kShown = 4;
    const auto one = [](const DayRange &range) {
        return range.first == range.last
            ? std::to_string(range.first)
            : std::to_string(range.first) + "-" + std::to_string(range.last);
    };
    std::string text;
    const std::size_t shown = ranges.size() > kShown ? kShown : ranges.size();
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            text += i + 1 == shown && ranges.size() <= kShown ? " and " : ", ";
        text += one(ranges[i]);
    }
    if (ranges.size() > kShown) {
        long long more = 0;
        for (std::size_t i = kShown; i < ranges.size(); ++i)
            more += ranges[i].last - ranges[i].first + 1;
        text += " and " + std::to_string(more) + (more == 1 ? " more day" : " more days");
    }
    return text;
}

} // namespace carexa
