#pragma once

#include "model/model_state.h"
#include "model/text_grid.h"
#include "results/canvas.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace carexa {

/// Printed pages are laid out in the units of a page this wide and high.
inline constexpr int kPrintPageWidth = 4800;
inline constexpr int kPrintPageHeight = 6700;
inline constexpr int kRowsPerPage = 50;

/// Every printed page starts with a white brush and a black pen.
void BeginPrintPage(Canvas &canvas);

/// A table print: a title, "Day" and eleven headings, and rows 1..rows of a grid's columns 1 to 11.
struct PrintTable
{
    std::string title;
    std::array<std::string, 12> headings;
    const TextGrid *grid = nullptr;
    int rows = 0;
};

PrintTable SimulationSheetTable(const TextGrid &dataGrid, int days);
PrintTable ObservedTable(const TextGrid &observedGrid, int days);
PrintTable ForcingTable(const TextGrid &influenceGrid, int days);

/// Pages a table of `rows` rows needs at 50 rows a page (at least one).
int TablePageCount(int rows);
/// Draws page `page` (1-based) of a table: its frame, headings and rows (page - 1) x 50 + 1 to
/// the smaller of page x 50 and the table's rows, with the cells' texts as they stand.
void DrawTablePage(Canvas &canvas, const PrintTable &table, int page);

/// A list print: a title and rows of a label and a value.
struct PrintList
{
    std::string title;
    int valueX = 0;
    std::vector<std::pair<std::string, std::string>> rows;
};

/// "Model Parameters:": the sixteen parameters in record order beside their labels.
PrintList ModelParameterList(const ModelParameters &parameters);
/// "Initial Values & Design:": the length, day 1's volume, porosity, oxygen and box volume, and
/// the initial concentrations by variable (AMM, BOD5, NIT, ORN, TPO) and box.
PrintList InitialValuesList(const ModelState &state);
void DrawListPage(Canvas &canvas, const PrintList &list);

} // namespace carexa
