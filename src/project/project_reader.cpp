#include "project/project_file.h"

#include "io/input_file.h"
#include "model/error.h"
#include "model/number_text.h"
#include "model/output_series.h"
#include "project/file_layout.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace carexa {

namespace {

std::string SystemReason()
{
    return std::strerror(errno);
}

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
// and a token left open at the end is dropped. A token that is no number is refused with its
// place: the line it starts on, its place among the numbers of that line, and what `describe`
// says the number stands for.
class Tokenizer
{
public:
    template <typename Emit, typename Describe>
    void feed(std::string_view text, Emit &&emit, Describe &&describe)
    {
        const char *c = text.data();
        const char *const end = c + text.size();
        while (c != end) {
            if (pending_.empty()) {
                // The common case: a plain number followed by ";" within this piece.
                for (; c != end && IsSpace(*c); ++c) {
                    if (*c == '\n')
                        newLine();
                }
                const char *start = c;
                while (c != end && IsNumberCharacter(*c))
                    ++c;
                if (c != start)
                    startToken();
                if (c != end && *c == ';') {
                    if (c != start)
                        emit(value(std::string_view(start, static_cast<std::size_t>(c - start)),
                            describe));
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
                        emit(value(pending_, describe));
                    pending_.clear();
                    break;
                }
                if (IsSpace(ch)) {
                    if (ch == '\n')
                        newLine();
                    continue;
                }
                if (pending_.empty())
                    startToken();
                if (pending_.size() >= kLongestToken)
                    throw refusal(pending_, describe);
                pending_ += ch == ',' ? '.' : ch;
            }
        }
    }

private:
    void newLine()
    {
        ++line_;
        numberInLine_ = 0;
    }
    void startToken()
    {
        tokenLine_ = line_;
        tokenNumber_ = ++numberInLine_;
    }
    template <typename Describe> double value(std::string_view token, Describe &describe) const
    {
        try {
            return TokenValue(token);
        } catch (const ConversionError &e) {
            throw refusal(e.text(), describe);
        }
    }
    template <typename Describe>
    ConversionError refusal(const std::string &token, Describe &describe) const
    {
        return ConversionError(token, "number",
            "Line " + std::to_string(tokenLine_) + ", number " + std::to_string(tokenNumber_)
                + describe());
    }

    std::string pending_;
    std::int64_t line_ = 1;
    std::int64_t numberInLine_ = 0;
    std::int64_t tokenLine_ = 1;
    std::int64_t tokenNumber_ = 0;
};

// What the numbers of a box-values line stand for, by position.
std::string BoxPositionName(std::size_t position)
{
    if (position == static_cast<std::size_t>(kDayNumberPosition))
        return "day number";
    static constexpr std::array<std::string_view, 9> kDesign {
        "FL", "FW", "HF", "HL", "NP", "RF", "VO", "AA", "PF"};
    if (position >= 26)
        return std::string(kDesign[position - 26]);
    const std::size_t group = position < 10 ? position / 5 : (position - 1) / 5;
    static constexpr std::array<Variable, 5> kGroups {
        Variable::AMM, Variable::BOD5, Variable::NIT, Variable::ORN, Variable::TPO};
    return ConcentrationName(
        kGroups[group], static_cast<int>((position < 10 ? position : position - 1) % 5));
}

std::string_view DayFieldName(DayField field)
{
    static constexpr std::array<std::string_view, kDayFieldCount> kNames {"RTB", "BOD5 inflow",
        "nitrate inflow", "ammonium inflow", "total P inflow", "organic N inflow", "POM %", "PON %",
        "POP %", "temperature", "water flow", "porosity", "average oxygen of box A",
        "average oxygen of box B", "average oxygen of box C", "average oxygen of box D",
        "average oxygen of box E", "box water volume"};
    return kNames[static_cast<std::size_t>(field)];
}

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
                if (static_cast<std::int32_t>(project_.observed.size()) == project_.observedLength)
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

    // What the next number stands for, as a refusal names it: " (day 4, BOD5 inflow)".
    std::string nextField() const
    {
        static constexpr std::array<std::string_view, kDesignInputCount> kDesignInputs {
            "Width (WI)", "Length (LE)", "Depth (DE)", "Precipitation factor (PF)", "Slope (S)",
            "Avrg, % particular matter (AP)", "Hydraulic conductivity (HC)", "Selected flow"};
        // The record a part fills: the one begun, or the next when none is begun.
        const auto record
            = [this](std::size_t filled) { return std::to_string(filled + (index_ == 0 ? 1 : 0)); };
        if (done_)
            return " (after the last number of the project)";
        switch (part_) {
        case Part::Length:
            return " (simulation length)";
        case Part::Steps:
            return " (time steps per day)";
        case Part::Days:
            return " (day " + record(project_.days.size()) + ", "
                + std::string(DayFieldName(kDayFileOrder[index_])) + ")";
        case Part::Boxes:
            return " (results of day " + record(project_.dayBoxes.size()) + ", "
                + BoxPositionName(index_) + ")";
        case Part::Parameters:
            return " (parameter " + std::string(ParameterName(kParameterFileOrder[index_])) + ")";
        case Part::Initial:
            return " (initial values and design, " + BoxPositionName(index_) + ")";
        case Part::ObservedLength:
            return " (observed length)";
        case Part::Observed:
            return " (observed day " + record(project_.observed.size()) + ", "
                + std::string(kSeriesHeadings[index_]) + ")";
        case Part::Climate:
            return " (climate)";
        case Part::Design:
            return " (design input " + std::string(kDesignInputs[index_]) + ")";
        }
        return {};
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
    tokenizer.feed(
        text,
        [&numbers](double value) {
            if (static_cast<std::int64_t>(numbers.size()) >= kMaxProjectNumbers)
                throw Error("The file cannot be loaded: it holds more than "
                    + std::to_string(kMaxProjectNumbers) + " numbers.");
            numbers.push_back(value);
        },
        [] { return std::string(); });
    return numbers;
}

LoadedProject ParseProject(std::string_view text)
{
    Tokenizer tokenizer;
    Decoder decoder;
    tokenizer.feed(
        text, [&decoder](double value) { decoder.number(value); },
        [&decoder] { return decoder.nextField(); });
    return decoder.finish();
}

LoadedProject ReadProjectFile(const std::filesystem::path &path, const ReadProgress &progress)
{
    const InputFile input(path);
    const std::string &name = input.quotedName();
    std::FILE *file = input.stream();

    // The size is checked before anything is read, so a file far larger than any project (or
    // than memory) is refused at once.
    const std::uint64_t size = input.size();
    if (size > kMaxProjectFileBytes)
        throw Error("The file \"" + name + "\" cannot be loaded: it holds " + std::to_string(size)
            + " bytes, more than the largest project file (" + std::to_string(kMaxProjectFileBytes)
            + " bytes).");

    try {
        Tokenizer tokenizer;
        Decoder decoder;
        std::vector<char> buffer(1 << 20);
        std::uint64_t read = 0;
        std::size_t got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
            tokenizer.feed(
                std::string_view(buffer.data(), got),
                [&decoder](double value) { decoder.number(value); },
                [&decoder] { return decoder.nextField(); });
            read += got;
            if (read > kMaxProjectFileBytes)
                throw Error("The file \"" + name + "\" cannot be loaded: it is larger than "
                    + "the largest project file (" + std::to_string(kMaxProjectFileBytes)
                    + " bytes).");
            if (progress && !progress(read, size))
                throw Cancelled("The project was not loaded.");
        }
        // A failed stream reports no end of file; the reading ends on the error, not on EOF.
        if (std::ferror(file) != 0)
            throw Error("The file \"" + name + "\" cannot be read: " + SystemReason() + ".");
        return decoder.finish();
    } catch (const std::bad_alloc &) {
        throw Error("The file \"" + name
            + "\" cannot be loaded: there is not enough memory for a project of its size.");
    }
}

} // namespace carexa
