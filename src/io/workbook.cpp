#include "io/workbook.h"

#include "io/csv_export.h"
#include "io/output_file.h"
#include "model/climate.h"
#include "model/design.h"
#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "model/output_series.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace carexa {

namespace {

// Projects longer than this are written row by row through temporary files, so the memory a
// workbook needs stays small however long the project is.
constexpr int kConstantMemoryDays = 20000;
// Progress is reported once per this many rows.
constexpr std::int64_t kProgressRows = 2048;
// The longest text a cell takes.
constexpr std::size_t kMaxCellText = 32767;

constexpr int kOutflows = 5;

// The comments of the Results headings: what the unrounded numbers are beside the tables.
constexpr const char *kEfficiencyComment = "unrounded; negative when more leaves than enters; "
                                           "the program's tables show such values as 1E-8";
constexpr const char *kOutflowComment
    = "unrounded; the program's tables show the outflows rounded (the data sheet to 4 decimals)";

// The parameters' labels and units as the Parameters screen shows them.
constexpr std::array<const char *, kParameterCount> kParameterLabels {
    "Max. decomposition rate of organic Nitrogen (AC)", "Max. nitrification rate (NC)",
    "Max. decomposition rate of organic matter (OC)", "Max. denitrification rate (DC)",
    "Temperature coefficient of ammonification (TA)",
    "Temperature coefficient of nitrification (TN)",
    "Temperature coefficient of decomposition rate (TO)",
    "Temperature coefficient of denitrification (TD)",
    "Half saturation constant for nitrification (KO)",
    "Half saturation constant for decomposition (OO)",
    "Half saturation constant for nitrification (MA)",
    "Half saturation constant for denitrification (MN)", "Max. plant uptake-rate of ammonium (PA)",
    "Max. plant uptake-rate of nitrate (PN)", "Max. plant uptake-rate of phosphorus (PP)",
    "Inverse absorbtion capacity of phosphorus by gravel (AF)"};
constexpr std::array<const char *, kParameterCount> kParameterUnits {"l / 24h", "l / 24h",
    "l / 24h", "l / 24h", "", "", "", "", "mg / l", "mg / l", "mg / l", "mg / l", "l / 24h",
    "l / 24h", "l / 24h", ""};

// The design inputs in project-file order, and the results in the order of their labels, with
// the captions and units of the Design screen.
constexpr std::array<std::pair<const char *, const char *>, 8> kDesignInputs {{
    {"Width (WI)", "m."},
    {"Length (LE)", "m."},
    {"Depth (DE)", "m."},
    {"Precipitation factor (PF)", ""},
    {"Slope (S)", "cm. / m."},
    {"Avrg, % particular matter (AP)", "%"},
    {"Hydraulic conductivity (HC)", "m./ 24h."},
    {"Selected flow", "m3 / 24h."},
}};
constexpr std::array<std::pair<const char *, const char *>, 8> kDesignResults {{
    {"Area (AA)", "m2"},
    {"Volume (VO)", "m3"},
    {"Hydraulic loading (HL)", "m3 / (m2 / 24h.)"},
    {"Recommended horizontal flow (HF)", "m. / 24h."},
    {"Recommended flow (RF)", "m3 / 24h."},
    {"Flow width (FW)", "m."},
    {"Flow length (FL)", "m."},
    {"Number of paths (NP)", ""},
}};

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// The file the library writes the workbook into before it is put in place: a file without a
// name in the temporary folder, which the system removes with its last descriptor, so nothing is
// left behind on any path, a kill included. The library opens it by a name of its own,
// /proc/self/fd/N.
class DraftFile
{
public:
    DraftFile()
    {
        std::error_code ignored;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(ignored);
        fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            // A file system without unnamed files: a named one, unlinked at once.
            std::string pattern = (folder / "carexa-workbook-XXXXXX").string();
            fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
            if (fd_ >= 0)
                ::unlink(pattern.c_str());
        }
        if (fd_ < 0)
            throw Error("The workbook could not be written: no temporary file could be made ("
                + SystemReason(errno) + ").");
        name_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~DraftFile() { ::close(fd_); }
    DraftFile(const DraftFile &) = delete;
    DraftFile &operator=(const DraftFile &) = delete;

    const std::string &name() const { return name_; }

    // Everything the library wrote.
    std::string bytes() const
    {
        std::string bytes;
        std::string buffer(65536, '\0');
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(fd_, buffer.data(), buffer.size(), offset);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                throw Error("The workbook could not be written: " + SystemReason(errno) + ".");
            }
            if (got == 0)
                return bytes;
            bytes.append(buffer.data(), static_cast<std::size_t>(got));
            offset += got;
        }
    }

private:
    int fd_ = -1;
    std::string name_;
};

struct BookCloser
{
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};
using Book = std::unique_ptr<lxw_workbook, BookCloser>;

// One sheet being written: numbers as numbers, texts cut to what a cell takes. A sheet whose
// columns `fit` its texts measures what it writes and is as wide as that once fitColumns() ran.
class Sheet
{
public:
    Sheet(lxw_workbook *book, const char *name, lxw_format *bold, bool fit = false)
        : sheet_(workbook_add_worksheet(book, name)), bold_(bold), fit_(fit)
    {
        if (!sheet_)
            throw std::bad_alloc();
    }

    lxw_worksheet *get() const { return sheet_; }

    // The heading row, bold and frozen (with the first `frozenColumns` columns).
    void heading(const std::vector<std::string> &headings, int frozenColumns)
    {
        for (std::size_t c = 0; c < headings.size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            const double width = std::max<double>(9, static_cast<double>(headings[c].size()) + 2);
            if (!fit_)
                worksheet_set_column(sheet_, column, column, width, nullptr);
            measure(static_cast<int>(c), headings[c].size());
            worksheet_write_string(sheet_, 0, column, headings[c].c_str(), bold_);
        }
        worksheet_freeze_panes(sheet_, 1, static_cast<lxw_col_t>(frozenColumns));
    }

    void number(std::int64_t row, int column, double value)
    {
        if (std::isfinite(value)) {
            if (fit_)
                measure(column, FormatGeneral(value).size());
            worksheet_write_number(sheet_, Row(row), Column(column), value, nullptr);
        } else {
            text(row, column, FormatGeneral(value));
        }
    }

    // Each measured column as wide as its longest text, with a little room on either side.
    void fitColumns()
    {
        for (std::size_t c = 0; c < widest_.size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            worksheet_set_column(
                sheet_, column, column, static_cast<double>(widest_[c]) + 2, nullptr);
        }
    }

    void text(std::int64_t row, int column, std::string_view value)
    {
        const std::string cut(value.substr(0, kMaxCellText));
        measure(column, cut.size());
        worksheet_write_string(sheet_, Row(row), Column(column), cut.c_str(), nullptr);
    }

    // A cell that shows a number when its text is one, the text otherwise, and nothing when empty.
    void cellText(std::int64_t row, int column, const std::string &value)
    {
        if (value.empty())
            return;
        try {
            number(row, column, ParseDouble(value));
        } catch (const ConversionError &) {
            text(row, column, value);
        }
    }

private:
    static lxw_row_t Row(std::int64_t row) { return static_cast<lxw_row_t>(row); }
    static lxw_col_t Column(int column) { return static_cast<lxw_col_t>(column); }

    void measure(int column, std::size_t characters)
    {
        if (!fit_)
            return;
        const auto c = static_cast<std::size_t>(column);
        if (widest_.size() <= c)
            widest_.resize(c + 1, 0);
        widest_[c] = std::max(widest_[c], characters);
    }

    lxw_worksheet *sheet_;
    lxw_format *bold_;
    bool fit_;
    std::vector<std::size_t> widest_;
};

// Counts the rows written and asks the caller whether to go on.
class Progress
{
public:
    Progress(const WorkbookProgress &callback, std::int64_t total)
        : callback_(callback), total_(total)
    { }
    // False when the caller stopped the export.
    bool row()
    {
        ++done_;
        if (!callback_ || done_ % kProgressRows != 0)
            return true;
        return callback_(done_, total_);
    }
    bool finished() { return !callback_ || callback_(total_, total_); }

private:
    const WorkbookProgress &callback_;
    std::int64_t total_;
    std::int64_t done_ = 0;
};

std::string RangeNumber(double value)
{
    std::string text = FormatGeneral(value);
    if (text.find_first_of(".E") == std::string::npos)
        text += ".0";
    return text;
}

std::string ClimateName(std::int32_t climate)
{
    if (climate == kColdClimate)
        return "cold climate";
    if (climate == kWarmClimate)
        return "warm climate";
    return "no climate chosen";
}

struct Writer
{
    lxw_workbook *book;
    lxw_format *bold;
    const ModelState &state;
    const TextGrid &observed;
    const std::array<std::string, 8> &designTexts;
    const std::array<std::vector<double>, kSeriesCount> &series;
    Progress &progress;

    bool forcing()
    {
        Sheet sheet(book, "Forcing", bold);
        sheet.heading(ForcingCsvHeadings(), 1);
        std::int64_t row = 0;
        for (const DayNode &node : state.days.active()) {
            ++row;
            sheet.number(row, 0, static_cast<double>(row));
            for (std::size_t c = 0; c < kForcingColumns.size(); ++c)
                sheet.number(row, static_cast<int>(c) + 1, node.day.get(kForcingColumns[c]));
            if (!progress.row())
                return false;
        }
        return true;
    }

    bool observedValues()
    {
        Sheet sheet(book, "Observed", bold);
        sheet.heading(SeriesCsvHeadings(), 1);
        for (int row = 1; row <= state.observedLength; ++row) {
            sheet.number(row, 0, row);
            for (int c = 1; c <= kSeriesCount; ++c) {
                const std::string &text = observed.cell(c, row);
                if (text != "0.0001")
                    sheet.cellText(row, c, text);
            }
            if (!progress.row())
                return false;
        }
        return true;
    }

    bool results()
    {
        Sheet sheet(book, "Results", bold);
        std::vector<std::string> headings = SeriesCsvHeadings();
        for (int c = 0; c < kOutflows; ++c)
            headings.push_back(
                std::string(kSeriesHeadings[static_cast<std::size_t>(c)]) + " observed (mg/L)");
        sheet.heading(headings, 1);
        // The numbers are kept as the run made them, which the program's tables do not show.
        for (int c = 1; c <= kSeriesCount; ++c) {
            worksheet_write_comment(sheet.get(), 0, static_cast<lxw_col_t>(c),
                c <= kOutflows ? kOutflowComment : kEfficiencyComment);
        }

        const int days = state.simulationLength;
        for (int row = 1; row <= days; ++row) {
            sheet.number(row, 0, row);
            for (int c = 1; c <= kSeriesCount; ++c) {
                const std::vector<double> &values = series[static_cast<std::size_t>(c - 1)];
                if (static_cast<std::size_t>(row) <= values.size())
                    sheet.number(row, c, values[static_cast<std::size_t>(row - 1)]);
            }
            if (row <= state.observedLength) {
                for (int c = 1; c <= kOutflows; ++c) {
                    if (const auto value = MeasuredValue(observed, c, row))
                        sheet.number(row, kSeriesCount + c, *value);
                }
            }
            if (!progress.row())
                return false;
        }
        charts(sheet, days);
        return true;
    }

    void charts(Sheet &sheet, int days)
    {
        const auto last = static_cast<lxw_row_t>(std::max(days, 1));
        for (int c = 1; c <= kOutflows; ++c) {
            lxw_chart *chart = workbook_add_chart(book, LXW_CHART_LINE);
            if (!chart)
                throw std::bad_alloc();
            const std::string title = std::string(kSeriesHeadings[static_cast<std::size_t>(c - 1)]);
            chart_title_set_name(chart, title.c_str());
            lxw_chart_series *simulated = chart_add_series(chart, nullptr, nullptr);
            chart_series_set_categories(simulated, "Results", 1, 0, last, 0);
            chart_series_set_values(simulated, "Results", 1, static_cast<lxw_col_t>(c), last,
                static_cast<lxw_col_t>(c));
            chart_series_set_name(simulated, "Simulated");
            lxw_chart_line line {};
            line.color = 0xC00000;
            line.width = 1.5;
            chart_series_set_line(simulated, &line);

            lxw_chart_series *measured = chart_add_series(chart, nullptr, nullptr);
            chart_series_set_categories(measured, "Results", 1, 0, last, 0);
            chart_series_set_values(measured, "Results", 1,
                static_cast<lxw_col_t>(kSeriesCount + c), last,
                static_cast<lxw_col_t>(kSeriesCount + c));
            chart_series_set_name(measured, "Observed");
            lxw_chart_line none {};
            none.none = LXW_TRUE;
            chart_series_set_line(measured, &none);
            chart_series_set_marker_type(measured, LXW_CHART_MARKER_CIRCLE);
            chart_series_set_marker_size(measured, 5);
            // Simulated red and observed blue, as the program's graphs draw them.
            lxw_chart_fill blue {};
            blue.color = 0x0000C0;
            chart_series_set_marker_fill(measured, &blue);
            lxw_chart_line blueBorder {};
            blueBorder.color = 0x0000C0;
            chart_series_set_marker_line(measured, &blueBorder);

            chart_axis_set_name(chart->x_axis, "Day");
            // About a dozen day labels along the axis, whatever the length.
            const auto interval = static_cast<std::uint16_t>(std::clamp(days / 12, 1, 60000));
            chart_axis_set_interval_unit(chart->x_axis, interval);
            chart_axis_set_interval_tick(chart->x_axis, interval);
            chart_axis_set_name(chart->y_axis, "mg/L");
            chart_show_blanks_as(chart, LXW_CHART_BLANKS_AS_GAP);
            chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);

            lxw_chart_options place {};
            place.x_scale = 1.5;
            place.y_scale = 1.0;
            worksheet_insert_chart_opt(sheet.get(), static_cast<lxw_row_t>(1 + (c - 1) * 16),
                static_cast<lxw_col_t>(kSeriesCount + kOutflows + 2), chart, &place);
        }
    }

    bool boxes()
    {
        Sheet sheet(book, "Boxes", bold);
        sheet.heading(AdditionalCsvHeadings(), 1);
        std::int64_t row = 0;
        for (const DayNode &node : state.days.active()) {
            ++row;
            sheet.number(row, 0, static_cast<double>(row));
            int column = 1;
            for (Variable variable :
                {Variable::BOD5, Variable::NIT, Variable::AMM, Variable::TPO, Variable::ORN}) {
                for (int box = 0; box < kBoxCount; ++box)
                    sheet.number(row, column++, node.box.concentration(variable, box));
            }
            if (!progress.row())
                return false;
        }
        return true;
    }

    void parameters()
    {
        Sheet sheet(book, "Parameters", bold);
        const std::string climate = ClimateName(state.climate);
        sheet.heading({"Parameter", "Symbol", "Value", "Unit", "Range (" + climate + ")",
                          "Fallback (" + climate + ")"},
            0);
        worksheet_set_column(sheet.get(), 0, 0, 52, nullptr);
        const bool chosen = state.climate == kColdClimate || state.climate == kWarmClimate;
        const bool cold = state.climate == kColdClimate;
        for (int i = 0; i < kParameterCount; ++i) {
            const auto parameter = static_cast<Parameter>(i);
            const std::int64_t row = i + 1;
            sheet.text(row, 0, kParameterLabels[static_cast<std::size_t>(i)]);
            sheet.text(row, 1, ParameterName(parameter));
            sheet.number(row, 2, state.parameters.get(parameter));
            if (const std::string_view unit = kParameterUnits[static_cast<std::size_t>(i)];
                !unit.empty())
                sheet.text(row, 3, unit);
            if (!chosen)
                continue;
            const ParameterPreset &preset = PresetOf(parameter);
            const std::string lower
                = (preset.lowerExclusive ? "above " : "") + RangeNumber(preset.lower);
            sheet.text(
                row, 4, lower + " - " + RangeNumber(cold ? preset.upperCold : preset.upperWarm));
            sheet.number(row, 5, cold ? preset.fallbackCold : preset.fallbackWarm);
        }
    }

    void design()
    {
        Sheet sheet(book, "Design", bold, true);
        sheet.heading({"Group", "Name", "Value", "Unit"}, 0);
        std::int64_t row = 0;
        const auto line = [&](const char *group, const std::string &name, const char *unit) {
            ++row;
            sheet.text(row, 0, group);
            sheet.text(row, 1, name);
            if (*unit)
                sheet.text(row, 3, unit);
            return row;
        };
        for (std::size_t i = 0; i < kDesignInputs.size(); ++i) {
            const auto &[name, unit] = kDesignInputs[i];
            sheet.cellText(line("Design input", name, unit), 2, designTexts[i]);
        }
        for (std::size_t i = 0; i < kDesignResults.size(); ++i) {
            const auto &[name, unit] = kDesignResults[i];
            sheet.number(
                line("Design result", name, unit), 2, state.initial.get(kDesignResultFields[i]));
        }
        const DayNode &first = state.days.first();
        const char *climate = state.climate == kColdClimate ? "Cold Climate"
            : state.climate == kWarmClimate                 ? "Warm Climate"
                                                            : "none chosen";
        sheet.text(line("Project", "Climate", ""), 2, climate);
        sheet.number(line("Project", "Length of Simulation", "days"), 2, state.simulationLength);
        sheet.number(line("Project", "Time step", "steps per day"), 2, state.stepsPerDay);
        sheet.number(line("Project", "Observed length", "days"), 2, state.observedLength);
        sheet.number(
            line("Project", "Porosity", "(fraction)"), 2, first.day.get(DayField::porosity));
        for (int x = 0; x < kBoxCount; ++x)
            sheet.number(
                line("Project", std::string("Average oxygen Box ") + static_cast<char>('A' + x),
                    "mg/l"),
                2, first.day.get(OxygenField(x)));
        sheet.number(
            line("Project", "Water volume", "m3"), 2, 5 * first.day.get(DayField::boxWaterVolume));
        sheet.fitColumns();
    }
};

} // namespace

bool WriteWorkbook(const std::filesystem::path &target, const WorkbookContent &content,
    const WorkbookProgress &progress)
{
    const ModelState &state = content.state;
    const DraftFile draft;
    // The library's own temporary files are removed as soon as it has opened them.
    std::error_code ignored;
    std::string folder = std::filesystem::temp_directory_path(ignored).string();
    lxw_workbook_options options {};
    options.constant_memory = state.simulationLength > kConstantMemoryDays ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = folder.data();
    options.use_zip64 = LXW_TRUE;

    Book book(workbook_new_opt(draft.name().c_str(), &options));
    if (!book)
        throw Error("The workbook could not be written: the spreadsheet library could not start.");
    lxw_format *bold = workbook_add_format(book.get());
    format_set_bold(bold);

    const std::int64_t total
        = 2LL * state.simulationLength + state.simulationLength + std::max(state.observedLength, 0);
    Progress rows(progress, total);
    Writer writer {
        book.get(), bold, state, content.observed, content.designTexts, content.results, rows};
    if (!writer.forcing() || !writer.observedValues() || !writer.results() || !writer.boxes())
        return false;
    writer.parameters();
    writer.design();

    // A failed write is said once, with the system's reason where there is one.
    errno = 0;
    const lxw_error closed = workbook_close(book.release());
    const int error = errno;
    if (closed != LXW_NO_ERROR) {
        std::string reason = error != 0 ? SystemReason(error) : lxw_strerror(closed);
        while (!reason.empty() && reason.back() == '.')
            reason.pop_back();
        throw Error("The workbook could not be written: " + reason + ".");
    }
    if (!rows.finished())
        return false;
    WriteFileAtomically(target, draft.bytes(), "The workbook");
    return true;
}

} // namespace carexa
