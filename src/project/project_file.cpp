#include "project/project_file.h"

#include "io/buffered_writer.h"
#include "io/output_file.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "project/file_layout.h"

#include <algorithm>
#include <optional>

namespace carexa {

namespace {

// The project file's layout written number by number; every number is followed by ";".
class Writer
{
public:
    explicit Writer(ByteSink &sink) : out_(sink) { }

    void number(double value)
    {
        out_.fileDouble(value);
        out_.character(';');
    }
    void integer(std::int64_t value)
    {
        out_.integer(value);
        out_.character(';');
    }
    void endLine() { out_.character('\n'); }
    void finish() { out_.finish(); }

    void boxLine(const BoxValues &box)
    {
        for (int i = 0; i < kBoxFileCount; ++i) {
            if (i == kDayNumberPosition)
                integer(box.dayNumber());
            else
                number(box.get(kBoxFileOrder[static_cast<std::size_t>(i)]));
        }
        endLine();
    }

private:
    BufferedWriter out_;
};

// The number of an observed cell or design text; a text that is no number throws
// ConversionError naming it.
double CellNumber(const TextGrid &grid, int column, int row)
{
    if (const std::optional<double> value = grid.number(column, row))
        return *value;
    return ParseDouble(grid.cell(column, row));
}

} // namespace

void WriteProject(const ModelState &state, const TextGrid &observed, const DesignTexts &design,
    ByteSink &sink)
{
    const std::int32_t L = state.simulationLength;
    const std::int32_t N = state.observedLength;
    if (ProjectNumberCount(L, std::max(N, 0)) > kMaxProjectNumbers)
        throw Error("The project is too large to save: a project file holds at most "
            + std::to_string(kMaxProjectNumbers) + " numbers.");

    // Every text is converted before the first byte is written, so a cell that is no number
    // stops the save before any file is touched.
    for (int r = 1; r <= N; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c)
            CellNumber(observed, c, r);
    }
    std::array<double, kDesignInputCount> designValues {};
    for (std::size_t i = 0; i < design.size(); ++i)
        designValues[i] = design[i].empty() ? kEmptyValue : ParseDouble(design[i]);

    Writer out(sink);
    out.integer(L);
    out.endLine();
    out.integer(state.stepsPerDay);
    out.endLine();
    for (const DayNode &node : state.days.active()) {
        for (DayField f : kDayFileOrder)
            out.number(node.day.get(f));
        out.endLine();
    }
    for (const DayNode &node : state.days.active())
        out.boxLine(node.box);
    for (Parameter p : kParameterFileOrder)
        out.number(state.parameters.get(p));
    out.endLine();
    out.boxLine(state.initial);
    out.integer(N);
    out.endLine();
    for (int r = 1; r <= N; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c)
            out.number(CellNumber(observed, c, r));
        out.endLine();
    }
    out.integer(state.climate);
    out.endLine();
    for (double value : designValues) {
        out.number(value);
        out.endLine();
    }
    out.finish();
}

std::string ProjectText(
    const ModelState &state, const TextGrid &observed, const DesignTexts &design)
{
    StringSink sink;
    WriteProject(state, observed, design, sink);
    return std::move(sink.text());
}

std::string ProjectFileName(std::string chosen)
{
    std::string lower = chosen;
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find(".mdl") == std::string::npos)
        chosen += ".mdl";
    return chosen;
}

void SaveProjectFile(const std::filesystem::path &path, const ModelState &state,
    const TextGrid &observed, const DesignTexts &design)
{
    OutputFile file(path, "The project");
    WriteProject(state, observed, design, file);
}

void ApplyProject(const LoadedProject &loaded, ModelState &state)
{
    state.setSimulationLength(loaded.simulationLength);
    state.resetActiveDays();
    state.stepsPerDay = loaded.stepsPerDay;

    std::size_t d = 0;
    for (DayNode &node : state.days.active()) {
        node.day = loaded.days[d];
        node.box.copyValues(loaded.dayBoxes[d]);
        ++d;
    }
    state.parameters = loaded.parameters;
    state.initial = loaded.initial;
    state.observedLength = loaded.observedLength;
    state.climate = loaded.climate;

    // Day 1 takes the design volume, and every day's box water volume follows from it.
    DayNode &first = state.days.first();
    first.box.set(BoxField::VO, state.initial.get(BoxField::VO));
    const double boxWater = first.day.get(DayField::porosity) * first.box.get(BoxField::VO) * 0.2;
    for (DayNode &node : state.days.active())
        node.day.set(DayField::boxWaterVolume, boxWater);
}

void FillObservedGrid(const LoadedProject &loaded, TextGrid &observed)
{
    const int N = loaded.observedLength;
    LayOutObservedGrid(observed, N);
    for (int r = 1; r <= N; ++r) {
        const auto &row = loaded.observed[static_cast<std::size_t>(r - 1)];
        for (int c = 1; c <= kObservedColumns; ++c)
            observed.setNumber(c, r, row[static_cast<std::size_t>(c - 1)]);
    }
}

DesignTexts LoadedDesignTexts(const LoadedProject &loaded)
{
    DesignTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = FormatGeneral(loaded.design[i]);
    return texts;
}

} // namespace carexa
