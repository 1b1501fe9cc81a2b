#include "project/project_file.h"

#include "io/buffered_writer.h"
#include "io/output_file.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include <sys/stat.h>

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

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsNumberCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}

// Exact powers of ten: every 10^k up to 10^22 is a double.
constexpr std::array<double, 23> kPowersOfTen {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9,
    1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The plain decimals a project file is made of ("12.5", "-0.0001", "1.23457e+06") without the
// general conversion: a mantissa of at most 15 digits and a power of ten of at most 22 are both
// exact doubles, so one multiplication or division rounds correctly and gives what the general
// conversion gives. Anything else answers nothing.
std::optional<double> QuickDecimal(std::string_view text)
{
    const char *c = text.data();
    const char *end = c + text.size();
    bool negative = false;
    if (c != end && (*c == '-' || *c == '+'))
        negative = *c++ == '-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    bool anyDigit = false;
    for (; c != end && *c >= '0' && *c <= '9'; ++c) {
        anyDigit = true;
        if (mantissa != 0 || *c != '0') {
            if (++digits > 15)
                return std::nullopt;
        }
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
    }
    if (c != end && *c == '.') {
        for (++c; c != end && *c >= '0' && *c <= '9'; ++c) {
            anyDigit = true;
            if (mantissa != 0 || *c != '0') {
                if (++digits > 15)
                    return std::nullopt;
            }
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
            --exponent;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (c != end && (*c == 'e' || *c == 'E')) {
        ++c;
        bool negativeExponent = false;
        if (c != end && (*c == '-' || *c == '+'))
            negativeExponent = *c++ == '-';
        if (c == end)
            return std::nullopt;
        int value = 0;
        for (; c != end && *c >= '0' && *c <= '9'; ++c) {
            if (value > 1000)
                return std::nullopt;
            value = value * 10 + (*c - '0');
        }
        exponent += negativeExponent ? -value : value;
    }
    if (c != end || exponent < -22 || exponent > 22)
        return std::nullopt;
    double value = static_cast<double>(mantissa);
    if (exponent < 0)
        value /= kPowersOfTen[static_cast<std::size_t>(-exponent)];
    else
        value *= kPowersOfTen[static_cast<std::size_t>(exponent)];
    return negative ? -value : value;
}

// The number a closed token stands for: "0" reads as 0.0001.
double TokenValue(std::string_view token)
{
    if (token == "0")
        return kEmptyValue;
    if (const std::optional<double> value = QuickDecimal(token))
        return *value;
    return ParseDouble(token);
}

// A token longer than this can be no number the program writes or reads sensibly; it is refused
// without collecting more of it.
constexpr std::size_t kLongestToken = 4096;

// Splits project text into numbers as it arrives in pieces: whitespace is skipped everywhere
// (also inside a number), a comma reads as a full stop, ";" closes a number, ";;" gives none,
// and a token left open at the end is dropped.
class Tokenizer
{
public:
    template <typename Emit> void feed(std::string_view text, Emit &&emit)
    {
        const char *c = text.data();
        const char *const end = c + text.size();
        while (c != end) {
            if (pending_.empty()) {
                // The common case: a plain number followed by ";" within this piece.
                while (c != end && IsSpace(*c))
                    ++c;
                const char *start = c;
                while (c != end && IsNumberCharacter(*c))
                    ++c;
                if (c != end && *c == ';') {
                    if (c != start)
                        emit(TokenValue(std::string_view(start, static_cast<std::size_t>(c - start))));
                    ++c;
                    continue;
                }
                pending_.assign(start, c);
                if (c == end)
                    return;
            }
            // A token split by whitespace, a comma or the end of a piece.
            for (; c != end; ++c) {
                const char ch = *c;
                if (ch == ';') {
                    ++c;
                    if (!pending_.empty())
                        emit(TokenValue(pending_));
                    pending_.clear();
                    break;
                }
                if (IsSpace(ch))
                    continue;
                if (pending_.size() >= kLongestToken)
                    throw ConversionError(pending_);
                pending_ += ch == ',' ? '.' : ch;
            }
        }
    }

private:
    std::string pending_;
};

// The layout positions of a project file, decoded as the numbers arrive. Nothing is read past
// what has arrived: a layout that needs more numbers than the file holds is refused at its end.
class Decoder
{
public:
    void number(double value)
    {
        if (++count_ > kMaxProjectNumbers)
            throw Error("The file cannot be loaded: it holds more than "
                + std::to_string(kMaxProjectNumbers) + " numbers.");
        if (done_)
            return; // surplus numbers are ignored
        switch (part_) {
        case Part::Length: {
            project_.simulationLength = WholeNumber(value, "simulation length");
            if (project_.simulationLength < 1 || project_.simulationLength > kMaxDays)
                throw Error("The file cannot be loaded: its simulation length is "
                    + std::to_string(project_.simulationLength) + " days; it must be from 1 to "
                    + std::to_string(kMaxDays) + ".");
            const auto L = static_cast<std::size_t>(project_.simulationLength);
            project_.days.reserve(L);
            project_.dayBoxes.reserve(L);
            next(Part::Steps);
            break;
        }
        case Part::Steps:
            project_.stepsPerDay = WholeNumber(value, "number of time steps per day");
            if (project_.stepsPerDay > kMaxStepsPerDay)
                throw Error("The file cannot be loaded: its time step is "
                    + std::to_string(project_.stepsPerDay) + " sub-steps per day; the most a "
                    + "run takes is " + std::to_string(kMaxStepsPerDay) + ".");
            next(Part::Days);
            break;
        case Part::Days:
            if (index_ == 0)
                project_.days.emplace_back();
            project_.days.back().set(kDayFileOrder[index_], value);
            if (++index_ == kDayFieldCount) {
                index_ = 0;
                if (static_cast<std::int32_t>(project_.days.size()) == project_.simulationLength)
                    next(Part::Boxes);
            }
            break;
        case Part::Boxes:
            if (index_ == 0)
                project_.dayBoxes.emplace_back();
            // The day numbers in the file are read and ignored: days are numbered by position.
            if (index_ != kDayNumberPosition)
                project_.dayBoxes.back().set(kBoxFileOrder[index_], value);
            if (++index_ == kBoxFileCount) {
                index_ = 0;
                if (static_cast<std::int32_t>(project_.dayBoxes.size())
                    == project_.simulationLength)
                    next(Part::Parameters);
            }
            break;
        case Part::Parameters:
            project_.parameters.set(kParameterFileOrder[index_], value);
            if (++index_ == kParameterCount)
                next(Part::Initial);
            break;
        case Part::Initial:
            // Unlike the day lines, the program-wide record's day number is kept as it stands.
            if (index_ == kDayNumberPosition)
                project_.initial.setDayNumber(
                    static_cast<std::int32_t>(std::clamp(value, -2147483648.0, 2147483647.0)));
            else
                project_.initial.set(kBoxFileOrder[index_], value);
            if (++index_ == kBoxFileCount)
                next(Part::ObservedLength);
            break;
        case Part::ObservedLength:
            project_.observedLength = WholeNumber(value, "observed length");
            if (project_.observedLength < 0 || project_.observedLength > kMaxDays)
                throw Error("The file cannot be loaded: its observed length is "
                    + std::to_string(project_.observedLength) + " days; it must be from 0 to "
                    + std::to_string(kMaxDays) + ".");
            project_.observed.reserve(static_cast<std::size_t>(project_.observedLength));
            next(project_.observedLength > 0 ? Part::Observed : Part::Climate);
            break;
        case Part::Observed:
            if (index_ == 0)
                project_.observed.emplace_back();
            project_.observed.back()[index_] = value;
            if (++index_ == kObservedColumns) {
                index_ = 0;
                if (static_cast<std::int32_t>(project_.observed.size())
                    == project_.observedLength)
                    next(Part::Climate);
            }
            break;
        case Part::Climate:
            project_.climate = WholeNumber(value, "climate");
            next(Part::Design);
            break;
        case Part::Design:
            project_.design[index_] = value;
            if (++index_ == kDesignInputCount)
                done_ = true;
            break;
        }
    }

    LoadedProject finish()
    {
        if (!done_) {
            // What the layout needs as far as the file states it: the numbers up to and with the
            // observed length (53L + 54), then the whole layout once that length is known.
            std::int64_t needed = 2;
            if (part_ > Part::Length)
                needed = 53 * static_cast<std::int64_t>(project_.simulationLength) + 54;
            if (part_ > Part::ObservedLength)
                needed = ProjectNumberCount(project_.simulationLength, project_.observedLength);
            throw Error("The file cannot be loaded: it ends after " + std::to_string(count_)
                + " numbers, but the layout it states needs " + std::to_string(needed)
                + ". It may be cut short or damaged.");
        }
        return std::move(project_);
    }

private:
    enum class Part {
        Length,
        Steps,
        Days,
        Boxes,
        Parameters,
        Initial,
        ObservedLength,
        Observed,
        Climate,
        Design,
    };

    void next(Part part)
    {
        part_ = part;
        index_ = 0;
    }

    static std::int32_t WholeNumber(double value, const char *what)
    {
        try {
            return TruncateToInt32(value);
        } catch (const ConversionError &) {
            throw Error(std::string("The file cannot be loaded: its ") + what + " ("
                + FormatGeneral(value) + ") is not a whole number the program can use.");
        }
    }

    LoadedProject project_;
    Part part_ = Part::Length;
    std::size_t index_ = 0;
    std::int64_t count_ = 0;
    bool done_ = false;
};

} // namespace

std::vector<double> TokenizeProject(std::string_view text)
{
    std::vector<double> numbers;
    Tokenizer tokenizer;
    tokenizer.feed(text, [&numbers](double value) {
        if (static_cast<std::int64_t>(numbers.size()) >= kMaxProjectNumbers)
            throw Error("The file cannot be loaded: it holds more than "
                + std::to_string(kMaxProjectNumbers) + " numbers.");
        numbers.push_back(value);
    });
    return numbers;
}

LoadedProject ParseProject(std::string_view text)
{
    Tokenizer tokenizer;
    Decoder decoder;
    tokenizer.feed(text, [&decoder](double value) { decoder.number(value); });
    return decoder.finish();
}

LoadedProject ReadProjectFile(const std::filesystem::path &path, const ReadProgress &progress)
{
    const std::string name = path.string();
    const auto fail = [&name](const char *what, const std::string &reason) {
        throw Error("The file \"" + QuotedText(name) + "\" cannot be " + what + ": " + reason + ".");
    };
    std::FILE *file = std::fopen(name.c_str(), "rb");
    if (!file)
        fail("opened", SystemReason());
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> closer(file, std::fclose);

    // The size is checked before anything is read, so a file far larger than any project (or
    // than memory) is refused at once.
    struct stat info
    { };
    if (::fstat(::fileno(file), &info) != 0)
        fail("read", SystemReason());
    if (S_ISDIR(info.st_mode))
        fail("read", "it is a folder");
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (S_ISREG(info.st_mode) && size > kMaxProjectFileBytes)
        throw Error("The file \"" + QuotedText(name) + "\" cannot be loaded: it holds "
            + std::to_string(size) + " bytes, more than the largest project file ("
            + std::to_string(kMaxProjectFileBytes) + " bytes).");

    try {
        Tokenizer tokenizer;
        Decoder decoder;
        std::vector<char> buffer(1 << 20);
        std::uint64_t read = 0;
        std::size_t got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
            tokenizer.feed(std::string_view(buffer.data(), got),
                [&decoder](double value) { decoder.number(value); });
            read += got;
            if (read > kMaxProjectFileBytes)
                throw Error("The file \"" + QuotedText(name) + "\" cannot be loaded: it is larger than "
                    + "the largest project file (" + std::to_string(kMaxProjectFileBytes)
                    + " bytes).");
            if (progress && !progress(read, size))
                throw Cancelled("The project was not loaded.");
        }
        // A failed stream reports no end of file; the reading ends on the error, not on EOF.
        if (std::ferror(file) != 0)
            fail("read", SystemReason());
        return decoder.finish();
    } catch (const std::bad_alloc &) {
        throw Error("The file \"" + QuotedText(name)
            + "\" cannot be loaded: there is not enough memory for a project of its size.");
    }
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
