#include "ui/tform1.h"

#include "model/climate.h"
#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/numeric_input.h"
#include "model/observed_grid.h"
#include "results/data_sheet.h"
#include "ui/anchors.h"
#include "ui/data_folders.h"
#include "ui/graph_box.h"
#include "ui/grid_view.h"
#include "ui/numeric_field_undo.h"
#include "ui/project_grid_models.h"
#include "ui/sharp_picture.h"
#include "ui/text_grid_model.h"
#include "ui/user_dialogs.h"
#include "ui/widget_factory.h"
#include "ui/window_settings.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QTableView>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 878;
constexpr int kClientHeight = 630;

// How long the hint of an emptied numeric field stays.
constexpr int kInputHintDurationMs = 4000;

// The system colour of an active window border, the window's own colour.
const QColor kWindowColour(180, 180, 180);

} // namespace

TForm1::TForm1(UserDialogs &dialogs) : TForm1(dialogs, Options())
{ }

TForm1::TForm1(UserDialogs &dialogs, Options options)
    : dialogs_(dialogs), options_(std::move(options))
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Carexa 2.0"_s);

    // The screens stand on the client area at their first size; a smaller window scrolls it, a
    // larger one stretches it and lets the graph and the grids grow.
    clientScroll = new QScrollArea(this);
    clientScroll->setObjectName(u"clientScroll"_s);
    clientScroll->setFrameShape(QFrame::NoFrame);
    clientScroll->setWidgetResizable(true);
    Client = new QWidget;
    Client->setObjectName(u"Client"_s);
    Client->setMinimumSize(kClientWidth, kClientHeight);
    Client->resize(kClientWidth, kClientHeight);
    Client->setAutoFillBackground(true);
    QPalette palette = Client->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    Client->setPalette(palette);
    clientScroll->setPalette(palette);
    clientScroll->setWidget(Client);
    setCentralWidget(clientScroll);

    // The forcing and observed grids show the project; the data sheet is filled from the
    // records before its view exists.
    influenceModel_ = new ForcingGridModel(project_, this);
    observedModel_ = new ObservedGridModel(project_, this);
    project_.subscribe([this](const ProjectChange &change) {
        influenceModel_->projectChanged(change);
        observedModel_->projectChanged(change);
    });
    dataModel_ = new TextGridModel(5, 5, this);
    FillStartupDataSheet(project_.state(), dataModel_->grid());
    additionalModel_ = new TextGridModel(5, 5, this);

    buildMenu();
    buildExchangeMenu();
    buildStartPicture();
    buildDesignScreen();
    buildForcingScreen();
    buildInitialScreen();
    buildParameterScreen();
    buildSimulateScreen();
    buildDataPanel();
    buildObservedPanel();
    buildPromptBox();
    buildPrintMenu();
    ColdClimateBtn->raise();
    WarmClimateBtn->raise();

    connect(qApp, &QApplication::focusChanged, this, &TForm1::focusChanged);
    setAcceptDrops(true);

    anchorScreens();
    // The first size shows the screens whole; a size kept from before is kept on the screen.
    QSize size(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const std::optional<QSize> saved = SavedWindowSize()) {
        size = *saved;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size());
    }
    resize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    sizeRemembered_ = true;
    setUpSafety();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (sizeRemembered_)
        SaveWindowSize(size());
}

// Where each control goes when the window is larger than at first: the screens, the panels and
// the start picture fill the client area; in them the forcing grid, the graph and the tables
// grow, what stands right of or below them moves along, and the way-on buttons keep to the
// corners.
void TForm1::anchorScreens()
{
    auto *client = new Anchors(Client);
    for (QWidget *screen : std::initializer_list<QWidget *> {PreDesignBox, DesignBox, InitialBox,
             ParameterBox, SimulateBox, DataPanel, ObservedPanel, BackGround})
        client->add(screen, Anchors::GrowWidth | Anchors::GrowHeight);
    client->add(ColdClimateBtn, Anchors::Proportional);
    client->add(WarmClimateBtn, Anchors::Proportional);
    client->add(PromptBox, Anchors::MoveHalfRight | Anchors::MoveHalfDown);

    const auto grow = [](QWidget *container, QWidget *growing) {
        auto *anchors = new Anchors(container);
        anchors->add(growing, Anchors::GrowWidth | Anchors::GrowHeight);
        return anchors;
    };
    Anchors *forcing = grow(DesignBox, InfluenceGrid);
    forcing->add(Label13, Anchors::MoveDown | Anchors::GrowWidth);
    forcing->add(ResetControl, Anchors::MoveHalfRight | Anchors::MoveHalfDown);
    constexpr int bottomRow = 540;
    forcing->addOthers(InfluenceGrid->geometry(), bottomRow);

    Anchors *simulate = grow(SimulateBox, PaintBox1);
    simulate->add(ProgressBar1, Anchors::GrowWidth);
    simulate->add(cancelRunButton, Anchors::MoveRight);
    simulate->add(fitLine, Anchors::MoveDown | Anchors::GrowWidth);
    simulate->addOthers(PaintBox1->geometry(), bottomRow);
    for (auto [grid, close] :
        {std::pair {DataGrid, Button23}, std::pair {ObservedGrid, Button29}}) {
        Anchors *panel = grow(grid->parentWidget(), grid);
        panel->add(close, Anchors::MoveDown | Anchors::MoveRight);
        panel->addOthers(grid->geometry(), bottomRow);
    }
    for (QWidget *screen :
        std::initializer_list<QWidget *> {PreDesignBox, InitialBox, ParameterBox})
        (new Anchors(screen))->addOthers(QRect(), bottomRow);
}

TForm1::~TForm1()
{
    // The views read the grids, which are members and die before the base class takes the
    // child widgets down; so the views go first, and no focus change reaches this window after.
    disconnect(qApp, nullptr, this, nullptr);
    delete Client;
    Client = nullptr;
}

GridModel &TForm1::influenceGrid()
{
    return *influenceModel_;
}

GridModel &TForm1::observedGrid()
{
    return *observedModel_;
}

TextGrid &TForm1::dataGrid()
{
    return dataModel_->grid();
}

TextGrid &TForm1::additionalGrid()
{
    return additionalModel_->grid();
}

void TForm1::buildMenu()
{
    menuBar()->setObjectName(u"MainMenu1"_s);
    File1 = menuBar()->addMenu(u"&File"_s); // Alt+F
    File1->setObjectName(u"File1"_s);
    const auto add = [](QMenu *menu, const QString &name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    NewProject1 = add(File1, u"NewProject1"_s, u"&New Project"_s);
    SaveProject1 = add(File1, u"SaveProject1"_s, u"&Save Project"_s);
    LoadProject1 = add(File1, u"LoadProject1"_s, u"&Load Project"_s);
    recentProjectsMenu = File1->addMenu(u"&Recent Projects"_s);
    recentProjectsMenu->setObjectName(u"recentProjectsMenu"_s);
    // Filled each time it opens, so a file that went missing meanwhile shows greyed.
    connect(recentProjectsMenu, &QMenu::aboutToShow, this, &TForm1::fillRecentProjectsMenu);
    examplesMenu = File1->addMenu(u"Examples"_s);
    examplesMenu->setObjectName(u"examplesMenu"_s);
    PrintOptions1 = File1->addMenu(u"&Print Options"_s);
    PrintOptions1->setObjectName(u"PrintOptions1"_s);
    Graph1 = PrintOptions1->addMenu(u"&Graph"_s);
    Graph1->setObjectName(u"Graph1"_s);
    const std::pair<QString, QString> graphs[] = {{u"BOD5out1"_s, u"BOD5 out"_s},
        {u"Nitrateout1"_s, u"Nitrate out"_s}, {u"Ammoniumout1"_s, u"Ammonium out"_s},
        {u"Totalphosout1"_s, u"Total phos. out"_s}, {u"OrganicNitout1"_s, u"Organic Nit. out"_s},
        {u"EffBOD5rem1"_s, u"Eff. BOD5 rem."_s}, {u"EffNitrem1"_s, u"Eff. Nit. rem."_s},
        {u"Effammrem1"_s, u"Eff. amm. rem."_s}, {u"EffPhosrem1"_s, u"Eff. Phos. rem."_s},
        {u"effOrgNrem1"_s, u"Eff. Org. N. rem."_s}, {u"EfftotalNrem1"_s, u"Eff. total N. rem."_s}};
    for (const auto &[name, caption] : graphs)
        printActions[name] = add(Graph1, name, caption);
    Datasheet1 = PrintOptions1->addMenu(u"&Data sheet"_s);
    Datasheet1->setObjectName(u"Datasheet1"_s);
    const std::pair<QString, QString> sheets[]
        = {{u"Simulationdatasheet1"_s, u"&Simulation data sheet"_s},
            {u"Observedvalues1"_s, u"&Observed values"_s},
            {u"Forcingfunctions1"_s, u"&Forcing functions"_s}};
    for (const auto &[name, caption] : sheets)
        printActions[name] = add(Datasheet1, name, caption);
    Printmodelparameters1 = add(PrintOptions1, u"Printmodelparameters1"_s, u"&Model parameters"_s);
    Print1 = add(PrintOptions1, u"Print1"_s, u"&Initial values and design"_s);
    File1->addSeparator();
    CloseProject1 = add(File1, u"CloseProject1"_s, u"&Close Project"_s);
    Exit1 = add(File1, u"Exit1"_s, u"E&xit"_s);

    NewProject1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    LoadProject1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveProject1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Keys of the window without an entry of their own.
    printOptionsAction = new QAction(u"Print Options"_s, this);
    printOptionsAction->setObjectName(u"printOptionsAction"_s);
    printOptionsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(printOptionsAction, &QAction::triggered, this, &TForm1::popUpPrintOptions);
    addAction(printOptionsAction);
    helpAction = new QAction(u"Help"_s, this);
    helpAction->setObjectName(u"helpAction"_s);
    helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    connect(helpAction, &QAction::triggered, this, [this] { run(&TForm1::showHelp); });
    addAction(helpAction);
    fillRecentProjectsMenu();
    fillExamplesMenu();
}

void TForm1::popUpPrintOptions()
{
    const QRect file = menuBar()->actionGeometry(File1->menuAction());
    PrintOptions1->popup(menuBar()->mapToGlobal(file.bottomLeft()));
}

void TForm1::buildStartPicture()
{
    BackGround = new QLabel(Client);
    BackGround->setObjectName(u"BackGround"_s);
    BackGround->setGeometry(-59, -29, 971, 684);
    BackGround->setScaledContents(true);

    ColdClimateBtn = makeButton(Client, u"ColdClimateBtn"_s, u"Cold Climate"_s, 160, 280, 129, 49,
        &TForm1::ColdClimateBtnClick);
    WarmClimateBtn = makeButton(Client, u"WarmClimateBtn"_s, u"Warm Climate"_s, 592, 280, 129, 49,
        &TForm1::WarmClimateBtnClick);
    ColdClimateBtn->hide();
    WarmClimateBtn->hide();
}

// ---------------------------------------------------------------------------------------------
// Handler plumbing

void TForm1::run(Handler handler)
{
    run([this, handler] { (this->*handler)(); });
}

void TForm1::run(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Cancelled &) {
        // The user stopped it; nothing to say.
    } catch (const Error &e) {
        message(QString::fromStdString(e.what()));
    } catch (const std::exception &e) {
        message(u"The action could not be completed: %1"_s.arg(QString::fromLocal8Bit(e.what())));
    }
    noteChange();
}

void TForm1::message(const QString &text, const QString &caption)
{
    dialogs_.showMessage(this, text, caption);
}

void TForm1::bindClick(QPushButton *button, Handler handler)
{
    connect(button, &QPushButton::clicked, this, [this, handler] { run(handler); });
}

QPushButton *TForm1::makeButton(QWidget *parent, const QString &name, const QString &text, int x,
    int y, int width, int height, Handler handler)
{
    QPushButton *button = ui::MakeButton(parent, name, text, x, y, width, height);
    bindClick(button, handler);
    return button;
}

void TForm1::bindChange(QLineEdit *edit, Handler handler)
{
    NumericFieldUndo::of(edit); // follows the texts from the first
    connect(edit, &QLineEdit::textChanged, this, [this, handler] { run(handler); });
    edit->installEventFilter(this);
}

void TForm1::bindExit(QWidget *widget, Handler handler)
{
    exitHandlers_.emplace_back(widget, handler);
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        NumericFieldUndo::of(edit);
        widget->installEventFilter(this);
    }
}

void TForm1::leaveFocusedField()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return;
    for (const auto &[widget, handler] : exitHandlers_) {
        if (focus != widget && !widget->isAncestorOf(focus))
            continue;
        if (auto *grid = qobject_cast<GridView *>(widget))
            grid->commitEdit();
        run(handler);
    }
}

// A field is left when the focus moves from it (or from inside it, such as a grid's cell
// editor) to another control of this window; a message box or another program taking the focus
// does not count, and the field is still the focused one when the user comes back.
void TForm1::focusChanged(QWidget *old, QWidget *now)
{
    if (!old || !now || now->window() != this)
        return;
    for (const auto &[widget, handler] : exitHandlers_) {
        const bool wasInside = old == widget || widget->isAncestorOf(old);
        const bool isInside = now == widget || widget->isAncestorOf(now);
        if (wasInside && !isInside)
            run(handler);
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in a field moves on as Tab does.
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {

// The one local project file that a drag carries, or the empty text.
QString DraggedProject(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QString file = url.toLocalFile();
    return QFileInfo(file).suffix().compare(u"mdl"_s, Qt::CaseInsensitive) == 0 ? file : QString();
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (DraggedProject(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent *event)
{
    if (DraggedProject(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QString file = DraggedProject(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    run([this, file] { requestLoad(file); });
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Without a window manager the window may never be told it became active; the start
    // sequence then begins once the window is on screen.
    if (!startSequenceBegun_)
        QTimer::singleShot(0, this, &TForm1::FormActivate);
}

// ---------------------------------------------------------------------------------------------
// Start sequence

bool TForm1::loadBackground(const QString &name)
{
    const QString found = FindDataFile(name, dataFolders());
    if (found.isEmpty()) {
        BackGround->clear();
        message(u"The start picture \"%1\" could not be loaded: it is neither beside the program "
                "nor in its data folders."_s.arg(name));
        return false;
    }
    // Only a regular file is read: a named pipe of that name would hold the window for ever.
    std::error_code ignored;
    const auto type
        = std::filesystem::status(QFile::encodeName(found).toStdString(), ignored).type();
    if (type != std::filesystem::file_type::regular) {
        BackGround->clear();
        message(
            u"The start picture \"%1\" could not be loaded: it is not a regular file."_s.arg(name));
        return false;
    }
    QImageReader reader(found);
    const QImage image = reader.read();
    if (image.isNull()) {
        BackGround->clear();
        message(
            u"The start picture \"%1\" could not be loaded: %2."_s.arg(name, reader.errorString()));
        return false;
    }
    BackGround->setPixmap(SharpPicture(image, found, devicePixelRatioF()));
    return true;
}

QStringList TForm1::dataFolders() const
{
    return options_.dataFolders.isEmpty() ? ProgramDataFolders() : options_.dataFolders;
}

// Runs once, on the first activation: the first picture, a pause on a timer (the window stays
// responsive), then the second picture and the climate choice. A picture that cannot be loaded
// is reported and the sequence goes on over a plain background.
void TForm1::FormActivate()
{
    if (startSequenceBegun_)
        return;
    startSequenceBegun_ = true;
    WarmClimateBtn->hide();
    ColdClimateBtn->hide();
    loadBackground(u"prebackground.bmp"_s);
    repaint();
    QTimer::singleShot(options_.startPictureDelayMs, this, &TForm1::finishStartSequence);
}

void TForm1::finishStartSequence()
{
    loadBackground(u"Version4.bmp"_s);
    offerRecovery(); // a restored project stands in for the command line's
    // The project of the command line comes with its own climate; one that cannot be loaded is
    // named, and the climate choice follows.
    if (!options_.projectFile.isEmpty() && !ProjectOpen)
        run([this] { loadProjectFile(std::exchange(options_.projectFile, QString())); });
    // A project opened meanwhile (a load) keeps the climate buttons hidden.
    if (!ProjectOpen) {
        WarmClimateBtn->show();
        ColdClimateBtn->show();
    }
}

// ---------------------------------------------------------------------------------------------
// Climate choice and screens

void TForm1::colourScreens(QColor colour)
{
    for (QWidget *widget : std::initializer_list<QWidget *> {PreDesignBox, DataPanel, DesignBox,
             ParameterBox, ObservedPanel, SimulateBox, InitialBox}) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, colour);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
}

// The screens take the colour of the climate; a loaded warm project gets a brighter green than
// the one the climate button gives.
void TForm1::colourForClimate(std::int32_t climate, bool loaded)
{
    if (climate == kColdClimate)
        colourScreens(QColor::fromRgb(kColdScreenColour));
    else if (climate == kWarmClimate)
        colourScreens(QColor::fromRgb(loaded ? kWarmLoadedScreenColour : kWarmScreenColour));
}

void TForm1::chooseClimate(std::int32_t climate)
{
    PreDesignBox->show();
    colourForClimate(climate, false);
    ColdClimateBtn->hide();
    WarmClimateBtn->hide();
    project_.chooseClimate(climate);
    ProjectOpen = true;
    markProjectClean(); // a new project counts from its climate on
}

void TForm1::ColdClimateBtnClick()
{
    chooseClimate(kColdClimate);
}

void TForm1::WarmClimateBtnClick()
{
    chooseClimate(kWarmClimate);
}

QGroupBox *TForm1::makeScreen(const QString &name, const QString &caption)
{
    auto *box = new QGroupBox(caption, Client);
    box->setObjectName(name);
    box->setGeometry(16, 16, 841, 593);
    box->hide();
    return box;
}

QGroupBox *TForm1::screenBox(int screen) const
{
    switch (screen) {
    case DesignScreen:
        return PreDesignBox;
    case ForcingScreen:
        return DesignBox;
    case InitialScreen:
        return InitialBox;
    case ParameterScreen:
        return ParameterBox;
    default:
        return SimulateBox;
    }
}

void TForm1::showScreen(int screen)
{
    for (int s = DesignScreen; s <= SimulateScreen; ++s) {
        if (s != screen)
            screenBox(s)->hide();
    }
    screenBox(screen)->show();
    CurrentScreen = screen;
}

// ---------------------------------------------------------------------------------------------
// The numeric input rule

void TForm1::ValidateNumericField(QLineEdit *edit, std::u32string_view forbidden)
{
    const QString text = edit->text();
    if (text.isEmpty() || !HasForbiddenCharacter(text.toStdU32String(), forbidden))
        return;
    // Ctrl+Z brings back the text from before the forbidden character.
    NumericFieldUndo::of(edit)->empty(forbidden);
    // Says why the text went, at the field, for a few seconds.
    const QString hint = forbidden == kForbiddenIntegerCharacters
        ? u"Only digits are allowed here"_s
        : u"Only digits and a full stop are allowed here"_s;
    // Below the field, moved left as far as it takes to stay within the window.
    const int width = QFontMetrics(QToolTip::font()).horizontalAdvance(hint) + 12;
    QPoint at = edit->mapTo(this, QPoint(0, edit->height()));
    at.setX(std::max(0, std::min(at.x(), this->width() - width)));
    QToolTip::showText(mapToGlobal(at), hint, edit, QRect(), kInputHintDurationMs);
    emit inputHintShown(edit, hint);
}

bool TForm1::confirmShortening(QLineEdit *field, int newLength, int oldLength, bool holdsData)
{
    if (newLength >= oldLength || !holdsData)
        return true;
    if (dialogs_.ask(this, QString::fromStdString(ShorteningQuestion(newLength, oldLength)),
            QString(), false)
        == UserDialogs::Answer::Yes)
        return true;
    field->setText(QString::number(oldLength));
    return false;
}

void TForm1::dayFieldExit(QLineEdit *edit, DayField field)
{
    ValidateNumericField(edit, kForbiddenCharacters);
    if (edit->text().isEmpty())
        return;
    const double value = ParseDouble(edit->text().toStdString());
    project_.setEveryDay(field, value);
}

void TForm1::designInputExit(QLineEdit *edit)
{
    ValidateNumericField(edit, kForbiddenCharacters);
}

// ---------------------------------------------------------------------------------------------
// Editing in the grids

void TForm1::setUpGridEditing(GridView *grid, bool editable,
    std::function<std::optional<int>(int firstDay, int lastDay)> makeRoom)
{
    GridView::Editing editing;
    editing.enabled = editable;
    editing.makeRoom = std::move(makeRoom);
    editing.run = [this](const std::function<void()> &action) { run(action); };
    grid->setEditing(std::move(editing));
}

UserDialogs::Answer TForm1::askToExtend(int firstDay, int lastDay, int days)
{
    if (lastDay > kMaxDays)
        throw Error("The pasted data reach day " + std::to_string(lastDay)
            + "; a project holds at most " + std::to_string(kMaxDays)
            + " days. Nothing was pasted.");
    const QString question = firstDay == 1
        ? u"The pasted data hold %1 days; the project has %2. Extend it to %1 days?"_s
        : u"The pasted data reach day %1; the project has %2 days. Extend it to %1 days?"_s;
    return dialogs_.ask(this, question.arg(lastDay).arg(days), QString(), true);
}

} // namespace carexa
