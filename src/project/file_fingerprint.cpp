#include "project/file_fingerprint.h"

#include "model/number_text.h"
#include "project/staleness.h"

#include <optional>
#include <string>
#include <string_view>

namespace carexa {

namespace {

// A number where the text stands for one, otherwise the text itself.
void AddText(Fingerprint &print, const std::string &text, std::optional<double> value)
{
    if (!value)
        value = TryParseDouble(text);
    if (value) {
        print.add(static_cast<std::int64_t>(1));
        print.add(*value);
    } else {
        print.add(static_cast<std::int64_t>(2));
        print.add(std::string_view(text));
    }
}

} // namespace

std::uint64_t ProjectFileFingerprint(
    const ModelState &state, const TextGrid &observed, const DesignTexts &design)
{
    Fingerprint print;
    print.add(static_cast<std::int64_t>(state.simulationLength));
    print.add(static_cast<std::int64_t>(state.stepsPerDay));
    print.add(static_cast<std::int64_t>(DaysFingerprint(state)));
    for (const DayNode &node : state.days.active())
        print.addAll(node.box.values());
    print.addAll(state.parameters.values());
    print.addAll(state.initial.values());
    print.add(static_cast<std::int64_t>(state.initial.dayNumber()));
    print.add(static_cast<std::int64_t>(state.observedLength));
    for (int r = 1; r <= state.observedLength; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c) {
            AddText(print, observed.cell(c, r), observed.number(c, r));
        }
    }
    print.add(static_cast<std::int64_t>(state.climate));
    for (const std::string &text : design)
        AddText(print, text, text.empty() ? std::optional<double>(kEmptyValue) : std::nullopt);
    return print.value();
}

std::uint64_t GridFingerprint(const TextGrid &grid, int columns, int rows)
{
    Fingerprint print;
    print.add(static_cast<std::int64_t>(columns));
    print.add(static_cast<std::int64_t>(rows));
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c)
            AddText(print, grid.cell(c, r), grid.number(c, r));
    }
    return print.value();
}

} // namespace carexa
