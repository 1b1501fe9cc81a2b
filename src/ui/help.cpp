// F1: the short help window.

#include "ui/tform1.h"
#include "ui/user_dialogs.h"

namespace carexa {

using namespace Qt::StringLiterals;

void TForm1::showHelp()
{
    const QString text
        = u"<p><b>Carexa 2.0</b> designs a subsurface-flow treatment wetland and "
          "simulates how it removes BOD5, nitrate, ammonium, total phosphorus and "
          "organic nitrogen in five boxes, A to E.</p>"
          "<p><b>One simulation</b></p><ol>"
          "<li>Choose the climate of the wetland.</li>"
          "<li>Design: enter the bed and the flow, press \"Calculate\".</li>"
          "<li>Forcing Functions: one row of daily values per day (type them, or "
          "paste a block from a spreadsheet with Ctrl+V); porosity and oxygen; "
          "\"Calculate water volume\" and \"Calculate RTB values\".</li>"
          "<li>Initial values and Parameters: what you leave at 0.0001 takes typical "
          "values and the climate's preset.</li>"
          "<li>Simulate: set the time step and press \"Simulate\"; read the graphs "
          "and the data sheet, and compare them with your \"Observed values\".</li>"
          "<li>File &gt; \"Save Project\" keeps it all; \"Print Options\" prints "
          "graphs, tables and lists.</li></ol>"
          "<p><b>Beyond one run</b>: File &gt; \"Import forcing data...\" and "
          "\"Export\" bring CSV files and workbooks in and out; \"Design "
          "assistant...\" sizes the bed for target outflows; below the graph buttons, "
          "\"Fit statistics...\", \"Calibrate...\", \"Sensitivity...\", "
          "\"Uncertainty...\" and \"Explore results...\" judge and tune the "
          "model.</p>"
          "<p><b>Keys</b>: Ctrl+N New, Ctrl+O Load, Ctrl+S Save, Ctrl+P Print "
          "Options, Ctrl+Q Exit, F1 this help, Esc cancels the save prompt. In a "
          "grid: Ctrl+C copy, Ctrl+V paste, Delete clear, Ctrl+Z undo, Ctrl+Y redo, "
          "Ctrl+A select all. A project opens from the command line (carexa "
          "PROJECT.mdl) or when its file is dropped on the window.</p>"
          "<p>Version 2.0. Libraries: Qt %1 (with Qt Charts), NLopt, libcsv, libxlsxwriter.</p>"_s.arg(
              QString::fromLatin1(qVersion()));
    dialogs_.showMessage(this, text, u"Carexa 2.0 Help"_s);
}

} // namespace carexa
