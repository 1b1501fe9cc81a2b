#include "results/print_layout.h"

#include "model/number_text.h"

#include <algorithm>

namespace carexa {

namespace {

constexpr int kTablePenWidth = 8;
constexpr int kTitleFontSize = 14;
constexpr int kListFontSize = 12;
constexpr int kTableFontSize = 10;

const std::array<std::string, 12> kResultHeadings {"Day", "BOD5out", "Nit.out", "Amm.out",
    "T.P.out", "O.N.out", "eff.BOD5", "eff.Nit.", "eff.Amm", "eff.P.", "eff.o.n.", "eff.t.n."};

int ColumnX(int column)
{
    return column == 0 ? 150 : 400 * column;
}

} // namespace

void BeginPrintPage(Canvas &canvas)
{
    canvas.setBrushColour(kWhite);
    canvas.setPenColour(kBlack);
}

PrintTable SimulationSheetTable(const TextGrid &dataGrid, int days)
{
    return {"Simulation Data", kResultHeadings, &dataGrid, days};
}

PrintTable ObservedTable(const TextGrid &observedGrid, int days)
{
    return {"Observed Data", kResultHeadings, &observedGrid, days};
}

PrintTable ForcingTable(const TextGrid &influenceGrid, int days)
{
    return {"Forcing Functions",
        {"Day", "temp.", "w.flow", "BOD5", "Nitrate", "Ammo.", "TotalP.", "org.Nit.", "POM", "PON",
            "POP", "RTB"},
        &influenceGrid, days};
}

int TablePageCount(int rows)
{
    return std::max(1, (rows + kRowsPerPage - 1) / kRowsPerPage);
}

void DrawTablePage(Canvas &canvas, const PrintTable &table, int page)
{
    canvas.setPenWidth(kTablePenWidth);
    canvas.setFontSize(kTitleFontSize);
    canvas.textOut(300, 150, table.title);
    canvas.moveTo(100, 550);
    canvas.lineTo(4800, 550);
    for (int x = 380; x <= 4380; x += 400) {
        canvas.moveTo(x, 550);
        canvas.lineTo(x, 6700);
    }
    canvas.setFontSize(kTableFontSize);
    for (int c = 0; c < 12; ++c)
        canvas.textOut(ColumnX(c), 430, table.headings[static_cast<std::size_t>(c)]);

    const int first = (page - 1) * kRowsPerPage + 1;
    const int last = std::min(page * kRowsPerPage, table.rows);
    int y = 600;
    for (int row = first; row <= last; ++row, y += 120) {
        canvas.textOut(ColumnX(0), y, FormatInteger(row));
        for (int c = 1; c <= 11; ++c)
            canvas.textOut(ColumnX(c), y, table.grid->cell(c, row));
    }
}

PrintList ModelParameterList(const ModelParameters &parameters)
{
    // The DC label is printed without its closing bracket, as the program always has.
    static const std::array<const char *, kParameterCount> labels {
        "Max. decomposition rate of organic Nitrogen (AC)", "Max. nitrification rate (NC)",
        "Max. decomposition rate of organic matter (OC)", "Max. denitrification rate (DC",
        "Temperature coefficient of ammonification (TA)",
        "Temperature coefficient of nitrification (TN)",
        "Temperature coefficient of decomposition rate (TO)",
        "Temperature coefficient of denitrification (TD)",
        "Half saturation constant for nitrification (KO)",
        "Half saturation constant for decomposition (OO)",
        "Half saturation constant for nitrification (MA)",
        "Half saturation constant for denitrification (MN)",
        "Max. plant uptake-rate of ammonium (PA)", "Max. plant uptake-rate of nitrate (PN)",
        "Max. plant uptake-rate of phosphorus (PP)",
        "Inverse absorbtion capacity of phosphorus by gravel (AF)"};
    PrintList list {"Model Parameters:", 3000, {}};
    for (int i = 0; i < kParameterCount; ++i)
        list.rows.emplace_back(labels[static_cast<std::size_t>(i)],
            FormatGeneral(parameters.get(static_cast<Parameter>(i))));
    return list;
}

PrintList InitialValuesList(const ModelState &state)
{
    const DayNode &first = state.days.first();
    PrintList list {"Initial Values & Design:", 1350, {}};
    const auto add = [&list](std::string label, double value) {
        list.rows.emplace_back(std::move(label), FormatGeneral(value));
    };
    list.rows.emplace_back("Length of simulation:", FormatInteger(state.simulationLength));
    add("Volume of Wetland:", first.box.get(BoxField::VO));
    add("Porosity:", first.day.get(DayField::porosity));
    for (int x = 0; x < kBoxCount; ++x)
        add(std::string("Box ") + static_cast<char>('A' + x) + ":", first.day.get(OxygenField(x)));
    add("Box Volume:", first.day.get(DayField::boxWaterVolume));
    for (Variable v :
        {Variable::AMM, Variable::BOD5, Variable::NIT, Variable::ORN, Variable::TPO}) {
        for (int x = 0; x < kBoxCount; ++x) {
            add("Initial " + std::string(VariableName(v)) + static_cast<char>('A' + x) + ":",
                state.initial.concentration(v, x));
        }
    }
    return list;
}

void DrawListPage(Canvas &canvas, const PrintList &list)
{
    canvas.setPenWidth(kTablePenWidth);
    canvas.setFontSize(kTitleFontSize);
    canvas.textOut(400, 450, list.title);
    canvas.moveTo(200, 600);
    canvas.lineTo(4000, 600);
    canvas.setFontSize(kListFontSize);
    int y = 630;
    for (const auto &[label, value] : list.rows) {
        canvas.textOut(400, y, label);
        canvas.textOut(list.valueX, y, value);
        y += 100;
    }
}

} // namespace carexa
