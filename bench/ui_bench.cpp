// Window benchmarks on the offscreen platform with a hundred-year project: entering the Forcing
// Functions screen (the grid refresh), leaving the grid (the store), "Fill empty days", pasting a
// year of forcing data, a "Simulate" click with its progress bar next to the engine's run alone,
// and opening the result explorer.

#include "long_project.h"

#include "model/number_text.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"
#include "ui/grid_view.h"
#include "ui/result_explorer.h"
#include "ui/text_grid_model.h"
#include "ui/tform1.h"
#include "ui/user_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace carexa;
using carexa::bench::LongProject;

namespace {

class SilentDialogs : public UserDialogs
{
public:
    void showMessage(QWidget *, const QString &text, const QString &) override { last = text; }
    bool confirm(QWidget *, const QString &, const QString &) override { return true; }
    Answer ask(QWidget *, const QString &, const QString &, bool) override { return Answer::Yes; }
    int choose(QWidget *, const QString &, const QString &, const QStringList &buttons) override
    {
        // Runs go on with the values as they are.
        const auto goOn = buttons.indexOf(QStringLiteral("Simulate as is"));
        return goOn >= 0 ? static_cast<int>(goOn) : static_cast<int>(buttons.size()) - 1;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    std::optional<ImportChoice> chooseImport(QWidget *, const ImportRequest &) override
    {
        return std::nullopt;
    }
    bool print(QWidget *, const PrintDocument &) override { return false; }
    void preview(QWidget *, const PrintDocument &) override { }
    std::optional<ImageExport> exportImage(QWidget *, const ImageExport &) override
    {
        return std::nullopt;
    }
    QString last;
};

constexpr int kDays = 36500;

TForm1::Options Immediate()
{
    TForm1::Options options;
    options.startPictureDelayMs = 0;
    // The build draws the start pictures into the folder above the benchmarks'.
    options.dataFolders
        = QStringList {QCoreApplication::applicationDirPath() + QStringLiteral("/..")};
    return options;
}

// The hundred-year project as a file, written once.
QString LongProjectFile()
{
    static QTemporaryDir folder;
    static const QString file = [] {
        const QString name = folder.filePath(QStringLiteral("long.mdl"));
        const LongProject project(kDays);
        SaveProjectFile(
            QFile::encodeName(name).toStdString(), project.state, project.observed, project.design);
        return name;
    }();
    return file;
}

// A window showing the Forcing Functions screen of a hundred-year project, loaded as a user
// loads it.
struct Fixture
{
    Fixture() : form(dialogs, Immediate())
    {
        form.show();
        QApplication::processEvents();
        form.ColdClimateBtnClick();
        form.loadProjectFile(LongProjectFile());
        form.Button35Click(); // the design check passes once the labels show numbers
        if (form.state().simulationLength != kDays || form.CurrentScreen != TForm1::ForcingScreen)
            std::abort();
    }
    SilentDialogs dialogs;
    TForm1 form;
};

void BM_EnterForcingScreen(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.form.Button24Click();
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_EnterForcingScreen)->Unit(benchmark::kMillisecond);

void BM_LeaveForcingGrid(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.form.InfluenceGridExit();
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_LeaveForcingGrid)->Unit(benchmark::kMillisecond);

void BM_FillEmptyDays(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.form.Button1Click();
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_FillEmptyDays)->Unit(benchmark::kMillisecond);

// A year of daily forcing data as a spreadsheet copies it: 365 lines of 11 tab-separated numbers
// with a decimal comma.
QString YearOfForcingData()
{
    QString text;
    for (int d = 1; d <= 365; ++d) {
        for (int c = 1; c <= 11; ++c) {
            if (c > 1)
                text += u'\t';
            text += QString::number(d % 30 + c) + QStringLiteral(",25");
        }
        text += u'\n';
    }
    return text;
}

void PasteAtDayOne(TForm1 &form, const QString &text)
{
    form.InfluenceGrid->setCurrentIndex(form.InfluenceGrid->model()->index(0, 0));
    form.InfluenceGrid->pasteText(text);
    QApplication::processEvents();
}

// Into the first year of the hundred-year project: parse, check, write, one update of the view.
void BM_PasteYearIntoForcingGrid(benchmark::State &state)
{
    Fixture f;
    const QString text = YearOfForcingData();
    for (auto _ : state)
        PasteAtDayOne(f.form, text);
    state.SetItemsProcessed(state.iterations() * 365 * 11);
}
BENCHMARK(BM_PasteYearIntoForcingGrid)->Unit(benchmark::kMillisecond);

// A new project of 60 days takes a year: the question's Yes stores the grid and extends the
// simulation to 365 days before the paste.
void BM_PasteYearExtendingANewProject(benchmark::State &state)
{
    SilentDialogs dialogs;
    TForm1 form(dialogs, Immediate());
    form.show();
    QApplication::processEvents();
    form.ColdClimateBtnClick();
    const QString text = YearOfForcingData();
    for (auto _ : state) {
        state.PauseTiming();
        form.Edit19->setText(QStringLiteral("60"));
        form.Edit19Exit();
        state.ResumeTiming();
        PasteAtDayOne(form, text);
    }
    if (form.state().simulationLength != 365 || !dialogs.last.isEmpty())
        state.SkipWithError(
            ("the paste did not extend the project: " + dialogs.last.toStdString()).c_str());
    state.SetItemsProcessed(state.iterations() * 365 * 11);
}
BENCHMARK(BM_PasteYearExtendingANewProject)->Unit(benchmark::kMillisecond);

void BM_SimulateClick(benchmark::State &state)
{
    Fixture f;
    f.form.Button4Click();
    f.form.Button25Click();
    f.form.Button6Click();
    for (auto _ : state) {
        f.form.Button8Click();
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_SimulateClick)->Unit(benchmark::kMillisecond);

// The Simulate screen of a simulated hundred-year project.
struct SimulatedFixture : Fixture
{
    SimulatedFixture()
    {
        form.Button4Click();
        form.Button25Click();
        form.Button6Click();
        form.Button8Click();
        QApplication::processEvents();
    }
};

void BM_DataSheetButton(benchmark::State &state)
{
    SimulatedFixture f;
    for (auto _ : state) {
        f.form.Button9Click();
        QApplication::processEvents();
        f.form.Button23Click();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_DataSheetButton)->Unit(benchmark::kMillisecond);

void BM_AdditionalResultsButton(benchmark::State &state)
{
    SimulatedFixture f;
    for (auto _ : state) {
        f.form.Button22Click();
        QApplication::processEvents();
        state.PauseTiming();
        f.form.Button23Click();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_AdditionalResultsButton)->Unit(benchmark::kMillisecond);

void BM_CloseAdditionalResults(benchmark::State &state)
{
    SimulatedFixture f;
    for (auto _ : state) {
        state.PauseTiming();
        f.form.Button22Click();
        state.ResumeTiming();
        f.form.Button23Click();
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_CloseAdditionalResults)->Unit(benchmark::kMillisecond);

void BM_GraphButton(benchmark::State &state)
{
    SimulatedFixture f;
    for (auto _ : state) {
        f.form.Button12Click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_GraphButton)->Unit(benchmark::kMillisecond);

// Fitting the columns of a 300,000-day sheet: only the rows on view and both ends are measured,
// so the cost does not grow with the days.
void BM_FitColumnsOfALongSheet(benchmark::State &state)
{
    constexpr int kLongDays = 300000;
    TextGrid grid(12, kLongDays + 1);
    for (int c = 0; c < 12; ++c)
        grid.setCell(c, 0, c == 0 ? std::string("Day") : "column " + std::to_string(c));
    for (int r = 1; r <= kLongDays; ++r) {
        grid.setCell(0, r, std::to_string(r));
        for (int c = 1; c < 12; ++c)
            grid.setCell(c, r, FormatGeneral(r * 0.0123 + c));
    }
    TextGridModel model(grid);
    GridView view;
    view.resize(801, 441);
    view.setGridModel(&model);
    view.show();
    QApplication::processEvents();
    for (auto _ : state)
        view.fitColumns();
    state.SetItemsProcessed(state.iterations() * kLongDays);
}
BENCHMARK(BM_FitColumnsOfALongSheet)->Unit(benchmark::kMillisecond);

// "Explore results..." on a simulated hundred-year project with weekly measurements: a new
// explorer window takes the run's numbers and draws the first series and its measurements,
// until it is on screen.
void BM_OpenResultExplorer(benchmark::State &state)
{
    SimulatedFixture f;
    const int observed = f.form.state().observedLength;
    GridBlock weekly(1, observed, "0.0001");
    for (int day = 7; day <= observed; day += 7)
        weekly.setText(0, day - 1, FormatGeneral(10.0 + day % 13));
    f.form.observedGrid().write(1, 1, weekly);
    for (auto _ : state) {
        f.form.ExploreResultsClick();
        QApplication::processEvents();
        state.PauseTiming();
        delete f.form.resultExplorer;
        f.form.resultExplorer = nullptr;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_OpenResultExplorer)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EngineRunAlone(benchmark::State &state)
{
    LongProject project(kDays);
    TextGrid grid(5, 5);
    for (auto _ : state)
        RunSimulation(project.state, grid);
    state.SetItemsProcessed(state.iterations() * kDays);
}
BENCHMARK(BM_EngineRunAlone)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing of the user's settings is read or written.
    QTemporaryDir settings;
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, settings.path());
        QSettings::setPath(format, QSettings::SystemScope, settings.path());
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
