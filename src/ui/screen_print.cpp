// Printing from File > "Print Options": the eleven graphs, the three tables and the two lists,
// each also as a print preview, and the export of the shown graph as a picture.

#include "model/output_series.h"
#include "results/data_sheet.h"
#include "results/graph.h"
#include "results/print_layout.h"
#include "ui/finally.h"
#include "ui/graph_box.h"
#include "ui/printing.h"
#include "ui/text_grid_model.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"
#include "ui/window_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>

#include <memory>

namespace carexa {

using namespace Qt::StringLiterals;

void TForm1::buildPrintMenu()
{
    const std::pair<const char16_t *, Handler> graphs[] = {{u"BOD5out1", &TForm1::BOD5out1Click},
        {u"Nitrateout1", &TForm1::Nitrateout1Click}, {u"Ammoniumout1", &TForm1::Ammoniumout1Click},
        {u"Totalphosout1", &TForm1::Totalphosout1Click},
        {u"OrganicNitout1", &TForm1::OrganicNitout1Click},
        {u"EffBOD5rem1", &TForm1::EffBOD5rem1Click}, {u"EffNitrem1", &TForm1::EffNitrem1Click},
        {u"Effammrem1", &TForm1::Effammrem1Click}, {u"EffPhosrem1", &TForm1::EffPhosrem1Click},
        {u"effOrgNrem1", &TForm1::effOrgNrem1Click},
        {u"EfftotalNrem1", &TForm1::EfftotalNrem1Click},
        {u"Simulationdatasheet1", &TForm1::Simulationdatasheet1Click},
        {u"Observedvalues1", &TForm1::Observedvalues1Click},
        {u"Forcingfunctions1", &TForm1::Forcingfunctions1Click}};
    for (const auto &[name, handler] : graphs)
        bindAction(printActions.at(QString::fromUtf16(name)), handler);
    bindAction(Printmodelparameters1, &TForm1::Printmodelparameters1Click);
    bindAction(Print1, &TForm1::Print1Click);

    // "Print preview" repeats the entries, showing each document on screen first.
    PrintPreview1 = PrintOptions1->addMenu(u"&Print preview"_s);
    PrintPreview1->setObjectName(u"PrintPreview1"_s);
    QMenu *graphPreviews = PrintPreview1->addMenu(u"&Graph"_s);
    for (int column = 1; column <= 11; ++column) {
        QAction *source = Graph1->actions().at(column - 1);
        QAction *preview = graphPreviews->addAction(source->text());
        preview->setObjectName(u"Preview"_s + source->objectName());
        connect(preview, &QAction::triggered, this, [this, column] {
            run([this, column] { printOrPreview(PrintKind::Graph, column, true); });
        });
    }
    QMenu *sheetPreviews = PrintPreview1->addMenu(u"&Data sheet"_s);
    const std::pair<QString, PrintKind> sheets[]
        = {{u"Simulationdatasheet1"_s, PrintKind::SimulationSheet},
            {u"Observedvalues1"_s, PrintKind::ObservedSheet},
            {u"Forcingfunctions1"_s, PrintKind::ForcingSheet}};
    for (const auto &[name, kind] : sheets) {
        QAction *preview = sheetPreviews->addAction(printActions.at(name)->text());
        preview->setObjectName(u"Preview"_s + name);
        connect(preview, &QAction::triggered, this,
            [this, kind] { run([this, kind] { printOrPreview(kind, 0, true); }); });
    }
    const std::pair<QAction *, PrintKind> lists[]
        = {{Printmodelparameters1, PrintKind::Parameters}, {Print1, PrintKind::InitialValues}};
    for (const auto &[source, kind] : lists) {
        QAction *preview = PrintPreview1->addAction(source->text());
        preview->setObjectName(u"Preview"_s + source->objectName());
        connect(preview, &QAction::triggered, this,
            [this, kind] { run([this, kind] { printOrPreview(kind, 0, true); }); });
    }
}

PrintDocument TForm1::printDocument(PrintKind kind, int column)
{
    switch (kind) {
    case PrintKind::Graph: {
        const GraphRequest request = graphRequest(column);
        // Printing a graph asks for it, as its button does, so it cleans the observed cells it
        // reads; the simulated values are the run's.
        return {1, [this, request](Canvas &canvas, int) {
                    project_.cleanGraphCells(request);
                    DrawGraph(canvas, kPrintGraphLayout, request, graphValues(request.column),
                        project_.observed());
                }};
    }
    case PrintKind::SimulationSheet:
    case PrintKind::ObservedSheet:
    case PrintKind::ForcingSheet: {
        // The forcing grid's texts are made for the print, which keeps them while it draws.
        std::shared_ptr<const TextGrid> forcing;
        if (kind == PrintKind::ForcingSheet)
            forcing = std::make_shared<const TextGrid>(project_.forcingGrid());
        const PrintTable table = kind == PrintKind::SimulationSheet
            ? SimulationSheetTable(dataModel_->grid(), graphRequest(1).simulationDays)
            : kind == PrintKind::ObservedSheet
            ? ObservedTable(project_.observed(), project_.state().observedLength)
            : ForcingTable(*forcing, project_.state().simulationLength);
        return {TablePageCount(table.rows), [table, forcing](Canvas &canvas, int page) {
                    DrawTablePage(canvas, table, page);
                }};
    }
    case PrintKind::Parameters: {
        const PrintList list = ModelParameterList(project_.state().parameters);
        return {1, [list](Canvas &canvas, int) { DrawListPage(canvas, list); }};
    }
    case PrintKind::InitialValues:
        break;
    }
    const PrintList list = InitialValuesList(project_.state());
    return {1, [list](Canvas &canvas, int) { DrawListPage(canvas, list); }};
}

void TForm1::printOrPreview(PrintKind kind, int column, bool preview)
{
    if (kind == PrintKind::SimulationSheet) {
        // The printed sheet has four and two decimals; the grid keeps them afterwards, also when
        // the print is cancelled.
        fillDataSheet(kPrintSheet);
    }
    if (kind == PrintKind::Graph)
        CheckTypedMaximum(Edit2->text().toStdString());
    const PrintDocument document = printDocument(kind, column);
    // A graph print cleans cells of both grids, also when it stops half-way.
    ui::RunThenAlways(
        [&] {
            if (preview)
                dialogs_.preview(this, document);
            else
                dialogs_.print(this, document);
        },
        [this] { reloadResultGrids(); });
}

void TForm1::BOD5out1Click()
{
    printOrPreview(PrintKind::Graph, 1, false);
}
void TForm1::Nitrateout1Click()
{
    printOrPreview(PrintKind::Graph, 2, false);
}
void TForm1::Ammoniumout1Click()
{
    printOrPreview(PrintKind::Graph, 3, false);
}
void TForm1::Totalphosout1Click()
{
    printOrPreview(PrintKind::Graph, 4, false);
}
void TForm1::OrganicNitout1Click()
{
    printOrPreview(PrintKind::Graph, 5, false);
}
void TForm1::EffBOD5rem1Click()
{
    printOrPreview(PrintKind::Graph, 6, false);
}
void TForm1::EffNitrem1Click()
{
    printOrPreview(PrintKind::Graph, 7, false);
}
void TForm1::Effammrem1Click()
{
    printOrPreview(PrintKind::Graph, 8, false);
}
void TForm1::EffPhosrem1Click()
{
    printOrPreview(PrintKind::Graph, 9, false);
}
void TForm1::effOrgNrem1Click()
{
    printOrPreview(PrintKind::Graph, 10, false);
}
void TForm1::EfftotalNrem1Click()
{
    printOrPreview(PrintKind::Graph, 11, false);
}

void TForm1::Simulationdatasheet1Click()
{
    printOrPreview(PrintKind::SimulationSheet, 0, false);
}

void TForm1::Observedvalues1Click()
{
    printOrPreview(PrintKind::ObservedSheet, 0, false);
}

void TForm1::Forcingfunctions1Click()
{
    printOrPreview(PrintKind::ForcingSheet, 0, false);
}

void TForm1::Printmodelparameters1Click()
{
    printOrPreview(PrintKind::Parameters, 0, false);
}

void TForm1::Print1Click()
{
    printOrPreview(PrintKind::InitialValues, 0, false);
}

void TForm1::ExportGraphClick()
{
    const auto &shown = PaintBox1->request();
    if (!shown) {
        message(u"Draw a graph first; the graph that is shown is the one exported."_s);
        return;
    }
    GraphRequest request = graphRequest(shown->column);
    request.typedMaximum = shown->typedMaximum;
    request.showObserved = shown->showObserved;
    const QString series
        = QString::fromUtf8(kSeriesHeadings[static_cast<std::size_t>(request.column - 1)])
              .replace(u' ', u'-')
              .remove(u'.');
    const QString suggested
        = ExportSuggestion(projectFile_, u"-"_s + series + u".png"_s, u"graph-"_s + series + u".png"_s);
    const std::optional<ImageExport> choice = dialogs_.exportImage(this, {suggested, 1600, 1200});
    if (!choice)
        return;
    // The graph as shown: the run's results and the observed cells as they are.
    const std::vector<double> values = graphValues(request.column);
    ExportPicture(*choice, kGraphPictureWidth, kGraphPictureHeight,
        [&](Canvas &canvas) { DrawGraphPicture(canvas, request, values, project_.observed()); });
}

} // namespace carexa
