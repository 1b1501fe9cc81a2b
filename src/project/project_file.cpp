#include "project/project_file.h"

#include "io/buffered_writer.h"
#include "io/output_file.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace carexa {

namespace {

// File orders of the records, which differ from the record orders.
constexpr std::array<DayField, kDayFieldCount> kDayFileOrder {DayField::ammoniumIn,
    DayField::oxygenA, DayField::oxygenB, DayField::oxygenC, DayField::oxygenD, DayField::oxygenE,
    DayField::bod5In, DayField::boxWaterVolume, DayField::nitrateIn, DayField::orgNitrogenIn,
    DayField::pomPercent, DayField::ponPercent, DayField::popPercent, DayField::porosity,
    DayField::RTB, DayField::temperature, DayField::totalPIn, DayField::waterFlow};

constexpr int kBoxFileCount = 35;
constexpr int kDayNumberPosition = 10; // 0-based position of the day number in a box line

// The 35 box-values positions; the day number's slot holds a placeholder and is handled apart.
constexpr std::array<BoxField, kBoxFileCount> kBoxFileOrder = [] {
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

constexpr std::array<Parameter, kParameterCount> kParameterFileOrder {Parameter::AC, Parameter::AF,
    Parameter::DC, Parameter::KO, Parameter::MA, Parameter::MN, Parameter::NC, Parameter::OC,
    Parameter::OO, Parameter::PA, Parameter::PN, Parameter::PP, Parameter::TA, Parameter::TD,
    Parameter::TN, Parameter::TO};

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

// Consumes decoded numbers in order.
class NumberSource
{
public:
    explicit NumberSource(const std::vector<double> &numbers) : numbers_(numbers) { }
    double next() { return numbers_[position_++]; }
    std::int32_t nextInteger(const char *what)
    {
        const double value = next();
        try {
            return TruncateToInt32(value);
        } catch (const ConversionError &) {
            throw Error(std::string("The file cannot be loaded: its ") + what + " ("
                + FormatGeneral(value) + ") is not a whole number the program can use.");
        }
    }
    BoxValues box()
    {
        BoxValues values;
        for (int i = 0; i < kBoxFileCount; ++i) {
            const double value = next();
            if (i != kDayNumberPosition)
                values.set(kBoxFileOrder[static_cast<std::size_t>(i)], value);
        }
        return values;
    }
    std::size_t position() const { return position_; }

private:
    const std::vector<double> &numbers_;
    std::size_t position_ = 0;
};

void RequireNumbers(std::size_t available, std::int64_t needed)
{
    if (static_cast<std::int64_t>(available) < needed)
        throw Error("The file cannot be loaded: it ends after " + std::to_string(available)
            + " numbers, but the layout it states needs " + std::to_string(needed)
            + ". It may be cut short or damaged.");
}

std::string SystemReason()
{
    return std::strerror(errno);
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

std::vector<double> TokenizeProject(std::string_view text)
{
    std::vector<double> numbers;
    std::string token;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (c != ';') {
            token += c == ',' ? '.' : c;
            continue;
        }
        if (token.empty())
            continue;
        if (static_cast<std::int64_t>(numbers.size()) >= kMaxProjectNumbers)
            throw Error("The file cannot be loaded: it holds more than "
                + std::to_string(kMaxProjectNumbers) + " numbers.");
        numbers.push_back(token == "0" ? kEmptyValue : ParseDouble(token));
        token.clear();
    }
    return numbers;
}

LoadedProject ParseProject(std::string_view text)
{
    const std::vector<double> numbers = TokenizeProject(text);
    RequireNumbers(numbers.size(), 2);
    NumberSource in(numbers);

    LoadedProject project;
    project.simulationLength = in.nextInteger("simulation length");
    if (project.simulationLength < 1 || project.simulationLength > kMaxDays)
        throw Error("The file cannot be loaded: its simulation length is "
            + std::to_string(project.simulationLength) + " days; it must be from 1 to "
            + std::to_string(kMaxDays) + ".");
    const std::int64_t L = project.simulationLength;
    // Everything up to and including the observed length, which fixes the rest of the layout.
    RequireNumbers(numbers.size(), 53 * L + 53);
    project.stepsPerDay = in.nextInteger("number of time steps per day");

    project.days.reserve(static_cast<std::size_t>(L));
    for (std::int64_t d = 0; d < L; ++d) {
        DayValues day;
        for (DayField f : kDayFileOrder)
            day.set(f, in.next());
        project.days.push_back(day);
    }
    project.dayBoxes.reserve(static_cast<std::size_t>(L));
    for (std::int64_t d = 0; d < L; ++d)
        project.dayBoxes.push_back(in.box());
    for (Parameter p : kParameterFileOrder)
        project.parameters.set(p, in.next());
    // Unlike the day lines, the day number of the program-wide record is kept as it stands.
    const std::size_t initialStart = in.position();
    project.initial = in.box();
    project.initial.setDayNumber(static_cast<std::int32_t>(
        std::clamp(numbers[initialStart + kDayNumberPosition], -2147483648.0, 2147483647.0)));

    project.observedLength = in.nextInteger("observed length");
    if (project.observedLength < 0 || project.observedLength > kMaxDays)
        throw Error("The file cannot be loaded: its observed length is "
            + std::to_string(project.observedLength) + " days; it must be from 0 to "
            + std::to_string(kMaxDays) + ".");
    RequireNumbers(numbers.size(), ProjectNumberCount(L, project.observedLength));

    project.observed.resize(static_cast<std::size_t>(project.observedLength));
    for (auto &row : project.observed) {
        for (double &value : row)
            value = in.next();
    }
    project.climate = in.nextInteger("climate");
    for (double &value : project.design)
        value = in.next();
    return project;
}

LoadedProject ReadProjectFile(const std::filesystem::path &path)
{
    const std::string name = path.string();
    std::FILE *file = std::fopen(name.c_str(), "rb");
    if (!file)
        throw Error("The file \"" + name + "\" cannot be opened: " + SystemReason() + ".");
    std::string content;
    std::array<char, 65536> buffer {};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        content.append(buffer.data(), got);
    // A failed stream reports no end of file; the reading ends on the error, not on EOF.
    const bool failed = std::ferror(file) != 0;
    const std::string reason = failed ? SystemReason() : std::string();
    std::fclose(file);
    if (failed)
        throw Error("The file \"" + name + "\" cannot be read: " + reason + ".");
    return ParseProject(content);
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
