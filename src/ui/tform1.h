#pragma once

#include "analysis/fit_statistics.h"
#include "analysis/uncertainty.h"
#include "model/box_values.h"
#include "model/design.h"
#include "model/model_parameters.h"
#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/report_settings.h"
#include "results/data_sheet.h"
#include "results/graph.h"
#include "simulation/simulation_run.h"
#include "ui/recent_projects.h"
#include "ui/user_dialogs.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTableView;
class QTimer;

namespace carexa {

class AnalysisDialog;
class CalibrationDialog;
class CrashRecovery;
class DataExchange;
class FitStatisticsPanel;
class GraphBox;
class GridView;
class ResultExplorer;
class SensitivityDialog;
class BackgroundTask;
class TaskProgress;
class TextGridModel;
class GridModel;
class ForcingGridModel;
class ObservedGridModel;
class UncertaintyDialog;
class UnsavedChanges;
class UserDialogs;
struct ChosenBed;
struct LoadedProject;
struct ExplorerData;
struct TaskDisplay;

/// The main window: the start picture with the climate choice, the five screens (Design,
/// Forcing Functions, Initial values, Parameters, Simulate) and the panels above them. Every
/// handler is a thin layer that moves text between the controls and the engine; a handler that
/// meets a text that is no number (or any refusal of the engine) stops and shows the message.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    struct Options
    {
        int startPictureDelayMs = 5000; ///< how long the first start picture shows
        /// Ends the program (status 0, no further questions); by default the event loop ends.
        std::function<void()> exitProgram;
        /// A project to open once the start pictures have shown (the command line's), in place of
        /// the climate choice.
        QString projectFile;
        /// Where the start pictures and the example projects are looked for, in order; empty:
        /// ProgramDataFolders() (beside the program, then the installed data folders).
        QStringList dataFolders;
        /// Where the recovery copy of a project with unsaved changes is kept; empty:
        /// CrashRecovery::defaultFolder().
        QString recoveryFolder;
        /// How often the recovery copy is brought up to date while there are unsaved changes.
        int recoveryIntervalMs = 2 * 60 * 1000;
    };

    /// The file-menu action the save prompt is about.
    enum Action { NoAction = 0, NewAction = 3, CloseAction = 4, ExitAction = 5, LoadAction = 6 };

    /// A window over a new project; `dialogs` asks the user everything modal.
    TForm1(UserDialogs &dialogs, Options options);
    explicit TForm1(UserDialogs &dialogs);
    ~TForm1() override;

    /// Screens, in the order of CurrentScreen.
    enum Screen { DesignScreen = 0, ForcingScreen, InitialScreen, ParameterScreen, SimulateScreen };

    int CurrentScreen = DesignScreen;
    bool ProjectOpen = false;
    int PendingAction = 0;

    /// The forcing grid and the observed values grid: views of the project (a write is an edit
    /// of the project).
    GridModel &influenceGrid();
    GridModel &observedGrid();
    /// The simulation data sheet, as the window last filled it.
    TextGrid &dataGrid();
    /// The "Additional results" table.
    TextGrid &additionalGrid();
    /// Whether long work (a run, a load, a save) is going on in the background.
    bool taskRunning() const { return runningTask_ != nullptr; }
    const ModelState &state() const { return project_.state(); }
    /// The file the project was loaded from or saved to last; empty while it has none.
    const QString &projectFile() const { return projectFile_; }

    /// Whether the project holds changes its file does not (compared now; none without a
    /// project).
    bool hasUnsavedChanges();
    /// Brings the recovery copy up to date when the project has unsaved changes (as the timer
    /// does every two minutes, and every long run first).
    void keepRecoveryCopy();
    /// This window's recovery copy, which exists while the project has unsaved changes.
    QString recoveryFile() const;

    // The start sequence.
    void FormActivate();

    /// F1: a short help window (the road of one simulation, the version, the libraries).
    void showHelp();

    // Project files and the project lifecycle.
    void SaveProject1Click();
    /// Asks for a file name and saves the project; true when a file was written. A refusal
    /// (a cell that is no number, a file that cannot be written) throws with its message.
    bool SaveProjectFile();
    void LoadProject1Click();
    /// Loads `file` (or, when it is empty, a file the open dialog asks for) in place of the
    /// open project, after the save prompt when a project is open: "Save" saves first, "Don't
    /// save" goes straight on, "Cancel" keeps the project. A cancelled dialog or a refused file
    /// keeps it too.
    void requestLoad(const QString &file);
    /// Reads `file` and replaces the project with it, without asking; a refused file throws
    /// with its message and changes nothing.
    void loadProjectFile(const QString &file);
    void NewProject1Click();
    void CloseProject1Click();
    void Exit1Click();
    void Button2Click();
    void Button26Click();
    void Button27Click();

    // Climate choice.
    void ColdClimateBtnClick();
    void WarmClimateBtnClick();

    // Navigation.
    void Button35Click();
    void Button36Click();
    void Button4Click();
    void Button24Click();
    void Button25Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

    // Design screen.
    void Button34Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void Edit7Exit();
    void Edit8Exit();
    void Edit9Exit();
    void Edit6Exit();
    void Edit10Exit();
    void Edit16Exit();
    void Edit18Exit();
    void Edit37Exit();
    /// "Design assistant...": sizes the bed for target outflows; "Use this design" there fills
    /// the width, length and depth (takeAssistantDesign).
    void DesignAssistantClick();
    /// Writes a bed of the design assistant into Width (WI), Length (LE) and Depth (DE) so that
    /// the Design screen's calculation gives its flow length as FL and its width across the flow
    /// as the paths side by side; ticks "Constructed Wetland" when no type is ticked. The empty
    /// text when written, else why not (nothing was written).
    QString takeAssistantDesign(const ChosenBed &bed);

    // Forcing Functions screen.
    void InfluenceGridExit();
    void Button1Click();
    void Button3Click();
    void Button28Click();
    void Button31Click();
    void Button32Click();
    void Button33Click();
    void Button37Click();
    void Edit1Exit();
    void Edit3Exit();
    void Edit11Exit();
    void Edit12Exit();
    void Edit13Exit();
    void Edit14Exit();
    void Edit15Exit();
    void Edit19Exit();

    // Parameters screen.
    void Edit20Change();
    void Edit21Change();
    void Edit22Change();
    void Edit23Change();
    void Edit24Change();
    void Edit25Change();
    void Edit26Change();
    void Edit27Change();
    void Edit28Change();
    void Edit29Change();
    void Edit30Change();
    void Edit31Change();
    void Edit32Change();
    void Edit33Change();
    void Edit34Change();
    void Edit35Change();

    // Initial values screen.
    void Edit38Change();
    void Edit39Change();
    void Edit40Change();
    void Edit41Change();
    void Edit42Change();
    void Edit43Change();
    void Edit44Change();
    void Edit45Change();
    void Edit46Change();
    void Edit47Change();
    void Edit48Change();
    void Edit49Change();
    void Edit50Change();
    void Edit51Change();
    void Edit52Change();
    void Edit53Change();
    void Edit54Change();
    void Edit55Change();
    void Edit56Change();
    void Edit57Change();
    void Edit58Change();
    void Edit59Change();
    void Edit60Change();
    void Edit61Change();
    void Edit62Change();

    // Simulate screen.
    void Edit36Change();
    void Edit2Change();
    void Button8Click();

    // Analyses of the results (each opens its window; the project does not change).
    /// "Sensitivity...": elementary effects of the sixteen parameters.
    void SensitivityClick();
    /// "Uncertainty...": bands of sampled parameter sets.
    void UncertaintyClick();
    /// "Explore results...": the chart window of the last run, its band and the measurements.
    void ExploreResultsClick();
    /// What the result explorer shows now: the project's run, the band computed last for it,
    /// the measured values.
    ExplorerData explorerData() const;
    /// The uncertainty bands computed last, kept by the project for the explorer until a run or
    /// another project changes the results they belong to.
    std::optional<std::array<PredictionBand, kSeriesCount>> uncertaintyBands() const;

    // Result graphs, one series each.
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Button14Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    void Button19Click();
    void Button18Click();
    void Button20Click();
    void Button21Click();

    // Data sheets.
    void Button9Click();
    void Button22Click();
    void Button23Click();

    // Printing.
    void BOD5out1Click();
    void Nitrateout1Click();
    void Ammoniumout1Click();
    void Totalphosout1Click();
    void OrganicNitout1Click();
    void EffBOD5rem1Click();
    void EffNitrem1Click();
    void Effammrem1Click();
    void EffPhosrem1Click();
    void effOrgNrem1Click();
    void EfftotalNrem1Click();
    void Simulationdatasheet1Click();
    void Observedvalues1Click();
    void Forcingfunctions1Click();
    void Printmodelparameters1Click();
    void Print1Click();
    /// "Export graph...": the shown graph as a PNG, SVG or PDF file of a chosen size.
    void ExportGraphClick();

    // Observed values.
    void Button10Click();
    void Button29Click();
    void Edit5Exit();
    void Button30Click();

    // Fit statistics and calibration.
    /// "Fit statistics...": the fit of the last run to the observed values, kept up to date.
    void fitStatisticsButtonClick();
    /// "Calibrate..." on the Simulate and Parameters screens: the calibration dialog on a copy of
    /// the project. Refused with a message when the project cannot run or has no observed values.
    void calibrateButtonClick();
    /// Writes calibrated parameters into the Parameters screen fields and the records and
    /// simulates as "Simulate" does, keeping the parameters and the run from before for
    /// UndoCalibrationClick. False (with a message) when the project cannot run.
    bool applyCalibration(const ModelParameters &parameters);
    /// Brings back the parameters and the run from before the last applied calibration, if the
    /// project's other inputs are still the ones it was calibrated with; the parameters then in
    /// the project, or nothing (with a message).
    std::optional<ModelParameters> UndoCalibrationClick();
    bool calibrationUndoable() const { return project_.calibrationUndo().has_value(); }
    /// What a calibration's copy of the project is taken from: the run inputs but the
    /// parameters, and the observed values.
    std::uint64_t calibrationBasis() const;
    /// The fit of the project's last run (its results as the run left them) to the observed
    /// values grid.
    FitTable projectFit() const;
    /// The run before the last applied calibration, as the project keeps it for undoing.
    const std::optional<CalibrationUndo> &runBeforeCalibration() const
    {
        return project_.calibrationUndo();
    }
    const Project &project() const { return project_; } ///< read only: the window changes it
    FitStatisticsPanel *fitStatisticsPanel() const;
    CalibrationDialog *calibrationDialog() const;
signals:
    /// The numeric input rule emptied `field` and told the user why with `hint` (shown as a
    /// tool tip at the field).
    void inputHintShown(QWidget *field, const QString &hint);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A project file dropped on the window is loaded.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    using Handler = void (TForm1::*)();
    // The File menu's import and export entries (screen_exchange.cpp).
    friend class DataExchange;

    // Construction, one screen at a time (each in the file of its screen).
    void buildMenu();
    void buildExchangeMenu();
    void buildStartPicture();
    void buildDesignScreen();
    void buildForcingScreen();
    void buildInitialScreen();
    void buildParameterScreen();
    void buildSimulateScreen();
    void buildDataPanel();
    void buildPromptBox();
    void buildObservedPanel();
    void buildFitControls(int top, int pitch, int height);
    void anchorScreens();

    // Runs a handler; a refusal or a text that is no number ends it with a message box.
    void run(Handler handler);
    void run(const std::function<void()> &handler);
    void message(const QString &text, const QString &caption = QString());
    void bindClick(QPushButton *button, Handler handler);
    /// A push button at a fixed place whose click runs `handler`.
    QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text, int x, int y,
        int width, int height, Handler handler);
    /// The grid view of a panel, at the panel's usual place.
    GridView *makePanelGrid(QWidget *panel, const QString &name, GridModel *model);
    void bindChange(QLineEdit *edit, Handler handler);
    void bindExit(QWidget *widget, Handler handler);
    void focusChanged(QWidget *old, QWidget *now);
    void finishStartSequence();
    /// Shows the start picture `name`, found in dataFolders(); false (and the reason told) when
    /// it cannot be found or read.
    bool loadBackground(const QString &name);
    /// Where the files that come with the program are looked for.
    QStringList dataFolders() const;

    void showScreen(int screen);
    QGroupBox *screenBox(int screen) const;
    void colourScreens(QColor colour);
    void chooseClimate(std::int32_t climate);
    QGroupBox *makeScreen(const QString &name, const QString &caption);

    // The numeric input rule: empties the field when it holds a forbidden character.
    void ValidateNumericField(QLineEdit *edit, std::u32string_view forbidden);
    /// Before a length field shortens from `oldLength` to `newLength` days: when the days cut
    /// off hold data, asks whether to go on; on No the field shows `oldLength` again and false
    /// comes back.
    bool confirmShortening(QLineEdit *field, int newLength, int oldLength, bool holdsData);
    void parameterChanged(QLineEdit *edit, Parameter parameter);
    void initialValueChanged(QLineEdit *edit, Variable variable, int box);
    void dayFieldExit(QLineEdit *edit, DayField field);
    void designInputExit(QLineEdit *edit);
    /// The red frame and tooltip on the wetland types while only the type keeps a calculation.
    void showWetlandTypeMissing(bool missing);
    /// Ticks one wetland type, or none.
    void setWetlandType(std::optional<WetlandType> type);
    /// After a load: ticks the type the stored design results show, when exactly one fits.
    void tickStoredWetlandType();

    enum class Reset { Close, New };
    void showPrompt(Action action);
    /// The save prompt for `action` when the project has unsaved changes; otherwise the action
    /// goes on as after "Don't save".
    void askToSave(Action action);
    /// Shows a project read from a file (`file`; empty for one that has none) in place of the
    /// open one.
    void showLoadedProject(const LoadedProject &loaded, const QString &file);

    // Unsaved changes and the recovery copy (screen_safety.cpp).
    void setUpSafety();
    /// Something may have changed: the title's mark follows once the events waiting are handled.
    void noteChange();
    /// The project is as saved, loaded or started: no mark, no recovery copy.
    void markProjectClean();
    void dropRecoveryCopy();
    /// At the start: offers the copy a program that did not close properly left behind.
    void offerRecovery();
    void continueLoad();
    void fillRecentProjectsMenu();
    /// File > "Examples": the example projects that came with the program.
    void fillExamplesMenu();
    /// Ctrl+P: the "Print Options" menu, where the File menu opens.
    void popUpPrintOptions();
    /// Runs the exit handler of the field holding the focus, after putting a cell being typed
    /// into its grid, as if the focus left it (a menu key leaves the focus where it is).
    void leaveFocusedField();
    void resetProject(Reset variant);
    void clearDesign();
    void exitProgram();
    void colourForClimate(std::int32_t climate, bool loaded);
    void bindAction(QAction *action, Handler handler);
    void buildPrintMenu();

    // The documents behind the print entries; `preview` shows them instead of printing.
    enum class PrintKind {
        Graph,
        SimulationSheet,
        ObservedSheet,
        ForcingSheet,
        Parameters,
        InitialValues
    };
    void printOrPreview(PrintKind kind, int column, bool preview);
    PrintDocument printDocument(PrintKind kind, int column);

    void fillParameterEdits();
    void fillInitialValueEdits();
    void showDesignResults();
    void applyRetentionWarning();
    void reloadInfluenceGrid();
    void reloadResultGrids();
    void dataGridChanged();
    /// Fills the simulation data sheet of `format` from the results on show unless the sheet
    /// already holds exactly that fill of them (no new results, no cell changed since), then
    /// shows it.
    void fillDataSheet(const SheetFormat &format);
    /// The results on show: the last run's as computed; before any run, the records' (scratch).
    const FrozenRun &shownRun(std::optional<FrozenRun> &scratch) const;
    /// What a graph of series `column` draws: the results on show as the sheet's fill writes them.
    std::vector<double> graphValues(int column) const;
    /// Marks results, fit and bands that no longer match their inputs where they show.
    void showResultStaleness();
    /// Runs `input` in the background with the bar and Cancel; false when cancelled.
    bool simulateInBackground(RunInput input, RunResult &result);
    /// Runs long work in the background (see RunInBackground), remembering it so that closing
    /// the window meanwhile stops it instead.
    void runInBackground(
        const TaskDisplay &display, const std::function<void(TaskProgress &)> &work);
    GraphRequest graphRequest(int column) const;
    void showGraph(int column);
    void refreshGraph();
    void changeInfluenceGrid(const std::function<void()> &change);
    void refreshFit();

    // Editing in the grids: copy everywhere; paste, clear, undo and redo in the forcing and
    // observed grids, whose lengths a longer paste may extend.
    void setUpGridEditing(GridView *grid, bool editable,
        std::function<std::optional<int>(int firstDay, int lastDay)> makeRoom);
    /// Asks whether a paste reaching `lastDay` may extend a project of `days` days; refuses a
    /// length the program does not take.
    UserDialogs::Answer askToExtend(int firstDay, int lastDay, int days);
    std::optional<int> extendForcingDays(int firstDay, int lastDay);
    std::optional<int> extendObservedDays(int firstDay, int lastDay);
    /// A new simulation length as "Length of Simulation" sets it.
    void changeSimulationLength(std::int32_t length);
    /// A new observed length as "Edit Observed length" sets it.
    void changeObservedLength(std::int32_t length);
    void buildAnalysisButtons(int top, int pitch, int height);
    /// The results changed (a run): the band of the earlier results is dropped and an open
    /// explorer shows the new ones.
    void resultsChanged();
    /// Another project: the analysis windows close, their runs stop, the band is dropped.
    void closeAnalyses();
    /// The Forcing Functions line while water volumes or retention times are stale.
    void showStaleness();
    /// "Calculate water volume" and "Calculate RTB values", with the fields and the grid shown
    /// again.
    void recalculateWaterVolume();
    void recalculateRetentionTimes();
    /// Before a run with stale water volumes or retention times: "Recalculate", "Simulate as
    /// is" or "Cancel"; false when the run is not to go on.
    bool settleStaleValuesBeforeRun();

    /// The project document over the window's records, which the window changes through it.
    Project project_;

    UserDialogs &dialogs_;
    Options options_;
    bool startSequenceBegun_ = false;
    bool sizeRemembered_ = false; ///< from the end of the construction on, resizes are kept

    // What the sheet was last filled with and from, so unchanged results are not filled again.
    struct SheetFill
    {
        std::optional<SheetFormat> format;
        std::uint64_t daysRevision = 0;
        BoxValues initial;
        std::uint64_t gridRevision = 0;
    };
    SheetFill sheetFill_;
    bool additionalShown_ = false; ///< the data panel shows the additional results
    std::uint64_t additionalDaysRevision_ = 0; // the days the additional results were filled from
    std::uint64_t additionalGridRevision_ = 0; // and the table's cells after that fill
    bool additionalFilled_ = false;
    BackgroundTask *runningTask_ = nullptr; ///< the long work the window waits for
    ForcingGridModel *influenceModel_ = nullptr;
    ObservedGridModel *observedModel_ = nullptr;
    TextGridModel *dataModel_ = nullptr; ///< the simulation data sheet
    TextGridModel *additionalModel_ = nullptr; ///< the additional results

    std::vector<std::pair<QWidget *, Handler>> exitHandlers_;
    QString rememberedSaveName_;
    QString projectFile_; ///< the file the project was loaded from or saved to last; empty: none
    UnsavedChanges *unsaved_ = nullptr;
    std::shared_ptr<CrashRecovery> recovery_;
    QTimer *recoveryTimer_ = nullptr;
    std::optional<std::uint64_t> recoveredPrint_; ///< what the recovery copy holds
    bool recoveryWarned_ = false;
    QString pendingLoadFile_; ///< the file a load behind the prompt is about; empty: ask
    RecentProjects recentProjects_;

    QPointer<FitStatisticsPanel> fitStatisticsPanel_;
    QPointer<CalibrationDialog> calibrationDialog_;

public:
    // File > "Design report..." and the project's side file (report_dialog.cpp).
    QAction *DesignReport1 = nullptr;
    void buildReportMenu();
    void DesignReport1Click();
    /// Reads the side file of a project just loaded; a damaged one is said and left aside.
    void readReportSideFile(const QString &file);
    /// Has `dialog` keep what it finishes among the report's analyses.
    void keepAnalysesOf(AnalysisDialog *dialog);
    /// Writes the side file of a project just saved (when it has report texts or had one);
    /// false, said in a message, when it could not be written.
    bool writeReportSideFile(const QString &file);

    // Controls, named as in the program's documentation; each also carries its name as
    // object name.
    QScrollArea *clientScroll = nullptr; ///< the central widget; scrolls a small window
    QWidget *Client = nullptr;
    QLabel *BackGround = nullptr;
    QPushButton *ColdClimateBtn = nullptr;
    QPushButton *WarmClimateBtn = nullptr;

    QMenu *File1 = nullptr;
    QAction *NewProject1 = nullptr;
    QAction *SaveProject1 = nullptr;
    QAction *LoadProject1 = nullptr;
    QMenu *recentProjectsMenu = nullptr;
    QMenu *examplesMenu = nullptr;
    QAction *printOptionsAction = nullptr; ///< Ctrl+P, not in the menu
    QAction *helpAction = nullptr; ///< F1, not in the menu
    QMenu *PrintOptions1 = nullptr;
    QMenu *Graph1 = nullptr;
    QMenu *Datasheet1 = nullptr;
    QAction *Printmodelparameters1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *CloseProject1 = nullptr;
    QAction *Exit1 = nullptr;
    std::map<QString, QAction *> printActions;

    QGroupBox *PreDesignBox = nullptr;
    QGroupBox *DesignBox = nullptr;
    QGroupBox *InitialBox = nullptr;
    QGroupBox *ParameterBox = nullptr;
    QGroupBox *SimulateBox = nullptr;
    QFrame *PromptBox = nullptr;
    QLabel *Label5 = nullptr, *Label7 = nullptr;
    QPushButton *Button2 = nullptr, *Button26 = nullptr, *Button27 = nullptr;
    QFrame *DataPanel = nullptr;
    QLabel *Label46 = nullptr;
    GridView *DataGrid = nullptr;
    QPushButton *Button23 = nullptr;
    QFrame *ObservedPanel = nullptr;
    QLabel *Label9 = nullptr;
    GridView *ObservedGrid = nullptr;
    QLineEdit *Edit5 = nullptr;
    QPushButton *Button29 = nullptr, *Button30 = nullptr;

    // Design.
    QLineEdit *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit6 = nullptr,
              *Edit10 = nullptr, *Edit16 = nullptr, *Edit18 = nullptr, *Edit37 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
    QFrame *wetlandTypeFrame = nullptr;
    QLabel *staleDesignLabel = nullptr; ///< the design results are of other inputs
    QPushButton *Button34 = nullptr, *Button35 = nullptr;
    QPushButton *designAssistantButton = nullptr;
    QLabel *Label121 = nullptr, *Label122 = nullptr, *Label123 = nullptr, *Label124 = nullptr,
           *Label125 = nullptr, *Label127 = nullptr, *Label128 = nullptr, *Label129 = nullptr;

    // Forcing Functions.
    GridView *InfluenceGrid = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit3 = nullptr, *Edit11 = nullptr, *Edit12 = nullptr,
              *Edit13 = nullptr, *Edit14 = nullptr, *Edit15 = nullptr, *Edit19 = nullptr,
              *Edit4 = nullptr;
    QPushButton *Button3 = nullptr, *Button28 = nullptr, *Button1 = nullptr, *Button31 = nullptr,
                *Button37 = nullptr, *Button4 = nullptr, *Button36 = nullptr;
    QFrame *ResetControl = nullptr;
    QPushButton *Button32 = nullptr, *Button33 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *staleForcingLabel = nullptr; ///< water volumes or retention times out of date

    // Initial values: the 25 edits in record order (BOD5, NIT, AMM, ORN, TPO; boxes A to E).
    std::array<QLineEdit *, 25> initialEdits {};
    QPushButton *Button24 = nullptr, *Button25 = nullptr;

    // Parameters: the 16 edits in record order.
    std::array<QLineEdit *, kParameterCount> parameterEdits {};
    std::array<QLabel *, kParameterCount> parameterLabels {};
    QPushButton *Button5 = nullptr, *Button6 = nullptr;

    // Simulate.
    QLineEdit *Edit36 = nullptr, *Edit2 = nullptr;
    QPushButton *cancelRunButton = nullptr; ///< stops a run in progress
    QPushButton *Button8 = nullptr, *Button7 = nullptr, *Button9 = nullptr, *Button10 = nullptr,
                *Button22 = nullptr, *ExportGraph = nullptr;
    QMenu *PrintPreview1 = nullptr;
    std::array<QPushButton *, 11> graphButtons {}; ///< Button11 .. Button21, series 1 to 11
    QProgressBar *ProgressBar1 = nullptr;
    GraphBox *PaintBox1 = nullptr;
    QCheckBox *CheckObs = nullptr;
    QLabel *fitLine = nullptr; ///< NSE and PBIAS of the shown graph, when observed values show
    QPushButton *fitStatisticsButton = nullptr;
    QPushButton *calibrateButton = nullptr;
    QPushButton *calibrateParametersButton = nullptr;
    QPushButton *sensitivityButton = nullptr, *uncertaintyButton = nullptr,
                *exploreResultsButton = nullptr;
    SensitivityDialog *sensitivityDialog = nullptr;
    UncertaintyDialog *uncertaintyDialog = nullptr;
    ResultExplorer *resultExplorer = nullptr;
};

} // namespace carexa
