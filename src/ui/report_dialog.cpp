// File > "Design report...": the dialog, its menu entry, and the project's side file.

#include "ui/report_dialog.h"

#include "io/output_file.h"
#include "model/error.h"
#include "project/frozen_run.h"
#include "analysis/observations.h"
#include "project/staleness.h"
#include "report/report_analyses_run.h"
#include "report/report_text.h"
#include "simulation/simulation_run.h"
#include "report/side_file.h"
#include "ui/background_task.h"
#include "ui/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace carexa {

namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

QPageLayout ReportPageLayout(ReportPaper paper)
{
    return QPageLayout(QPageSize(paper == ReportPaper::Letter ? QPageSize::Letter : QPageSize::A4),
        QPageLayout::Portrait, QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
}

} // namespace

ReportDialog::ReportDialog(QWidget *parent, const ReportSource &source,
    std::function<void(const ReportDocument &, ReportPaper)> preview,
    std::function<void(const ReportDocument &, ReportPaper)> save,
    std::function<std::optional<KeptAnalyses>(const ReportSettings &)> runAnalyses)
    : QDialog(parent), source_(source), runAnalyses_(std::move(runAnalyses))
{
    setObjectName(u"reportDialog"_s);
    setWindowTitle(u"Design report"_s);
    auto *layout = new QVBoxLayout(this);

    auto *texts = new QFormLayout;
    const auto edit = [&](QLineEdit *&field, const QString &name, const QString &label,
                          const std::string &text) {
        field = new QLineEdit(Q(text), this);
        field->setObjectName(name);
        texts->addRow(label, field);
    };
    const ReportSettings &s = source.settings;
    edit(titleEdit, u"titleEdit"_s, u"Title:"_s, s.title);
    titleEdit->setPlaceholderText(Q("Design report: " + source.projectFile));
    edit(authorEdit, u"authorEdit"_s, u"Author:"_s, s.author);
    edit(checkedByEdit, u"checkedByEdit"_s, u"Checked by:"_s, s.checkedBy);
    edit(revisionEdit, u"revisionEdit"_s, u"Revision:"_s, s.revision);
    edit(startDateEdit, u"startDateEdit"_s, u"Date of day 1:"_s, s.startDate);
    startDateEdit->setPlaceholderText(u"YYYY-MM-DD (monthly tables by calendar month)"_s);
    designBasisEdit = new QPlainTextEdit(Q(s.designBasis), this);
    designBasisEdit->setObjectName(u"designBasisEdit"_s);
    designBasisEdit->setPlaceholderText(
        u"How the design flow and temperature were chosen, and the limits' legal source"_s);
    designBasisEdit->setFixedHeight(70);
    texts->addRow(u"Design basis:"_s, designBasisEdit);
    layout->addLayout(texts);

    auto *sectionsBox = new QGroupBox(u"Sections"_s, this);
    auto *sectionsLayout = new QVBoxLayout(sectionsBox);
    for (int i = 0; i < kReportSectionCount; ++i) {
        const auto section = static_cast<ReportSection>(i);
        auto *box = new QCheckBox(Q(std::string(ReportSectionTitle(section))), sectionsBox);
        box->setObjectName(Q(std::string(ReportSectionKey(section)) + "Section"));
        box->setChecked(true);
        sectionsLayout->addWidget(box);
        sectionBoxes[static_cast<std::size_t>(i)] = box;
    }
    missingLabel = new QLabel(sectionsBox);
    missingLabel->setObjectName(u"missingLabel"_s);
    missingLabel->setWordWrap(true);
    sectionsLayout->addWidget(missingLabel);
    layout->addWidget(sectionsBox);
    layout->addWidget(buildLimits(s));
    layout->addWidget(buildAnalyses());
    refresh();

    auto *paperRow = new QFormLayout;
    paperBox = new QComboBox(this);
    paperBox->setObjectName(u"paperBox"_s);
    paperBox->addItems({u"A4"_s, u"Letter"_s});
    paperBox->setCurrentIndex(LocalePaper() == ReportPaper::Letter ? 1 : 0);
    paperRow->addRow(u"Paper:"_s, paperBox);
    layout->addLayout(paperRow);

    auto *buttons = new QDialogButtonBox(this);
    previewButton = buttons->addButton(u"Preview"_s, QDialogButtonBox::ActionRole);
    previewButton->setObjectName(u"previewButton"_s);
    savePdfButton = buttons->addButton(u"Save PDF..."_s, QDialogButtonBox::AcceptRole);
    savePdfButton->setObjectName(u"savePdfButton"_s);
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(u"closeButton"_s);
    layout->addWidget(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(previewButton, &QPushButton::clicked, this,
        [this, preview] { preview(report(), paper()); });
    connect(savePdfButton, &QPushButton::clicked, this, [this, save] { save(report(), paper()); });
    setMinimumWidth(520);
    // A wrapped label gets the height of its lines at the width it will have.
    missingLabel->setMinimumHeight(missingLabel->heightForWidth(480));
    adjustSize();
}

ReportSettings ReportDialog::settings() const
{
    ReportSettings s = source_.settings;
    s.title = titleEdit->text().trimmed().toStdString();
    s.author = authorEdit->text().trimmed().toStdString();
    s.checkedBy = checkedByEdit->text().trimmed().toStdString();
    s.revision = revisionEdit->text().trimmed().toStdString();
    s.startDate = startDateEdit->text().trimmed().toStdString();
    s.designBasis = designBasisEdit->toPlainText().trimmed().toStdString();
    s.limits = limits();
    return s;
}

std::vector<ReportSection> ReportDialog::sections() const
{
    std::vector<ReportSection> chosen;
    for (int i = 0; i < kReportSectionCount; ++i) {
        if (sectionBoxes[static_cast<std::size_t>(i)]->isChecked())
            chosen.push_back(static_cast<ReportSection>(i));
    }
    return chosen;
}

ReportPaper ReportDialog::paper() const
{
    return paperBox->currentIndex() == 1 ? ReportPaper::Letter : ReportPaper::A4;
}

ReportDocument ReportDialog::report() const
{
    ReportSource source = source_;
    source.settings = settings();
    std::vector<ReportSection> chosen = sections();
    if (chosen.empty())
        chosen.push_back(ReportSection::Scope); // an empty list would mean every section
    return BuildReport(source, chosen);
}

// ---------------------------------------------------------------------------------------------
// The window's part

void TForm1::buildReportMenu()
{
    DesignReport1 = new QAction(u"&Design report..."_s, File1);
    DesignReport1->setObjectName(u"DesignReport1"_s);
    File1->insertAction(PrintOptions1->menuAction(), DesignReport1);
    connect(DesignReport1, &QAction::triggered, this, [this] {
        try {
            DesignReport1Click();
        } catch (const Error &error) {
            message(QString::fromStdString(error.what()), u"Design report"_s);
        }
    });
}

void TForm1::DesignReport1Click()
{
    if (!ProjectOpen) {
        message(u"Choose a climate or load a project before making a report."_s, u"Design report"_s);
        return;
    }
    const std::string file = projectFile_.isEmpty() ? std::string() : QFile::encodeName(projectFile_).toStdString();
    std::vector<std::string> notes;
    if (!project_.sideFileProblem().empty())
        notes.push_back(project_.sideFileProblem());
    // The report shows the project as carexa-sim's report shows it: the last run's results as
    // computed (marked stale when an input changed since) and its bands.
    const ReportSource source = ProjectReportSource(project_, file, project_.reportSettings(), notes,
        QCoreApplication::applicationVersion().isEmpty() ? std::string("2.0")
                                                         : QCoreApplication::applicationVersion().toStdString());

    ReportDialog *dialogPointer = nullptr;
    const auto preview = [this](const ReportDocument &report, ReportPaper paper) {
        dialogs_.previewPages(this, ReportPageLayout(paper),
            [&report](QPagedPaintDevice &device) { report.paint(device); });
    };
    const auto save = [this, &dialogPointer](const ReportDocument &report, ReportPaper paper) {
        const QString suggested = projectFile_.isEmpty()
            ? u"report.pdf"_s
            : QFileInfo(projectFile_).path() + u'/' + QFileInfo(projectFile_).completeBaseName()
                + u"-report.pdf"_s;
        const QString chosen
            = dialogs_.saveFileName(this, u"Save design report"_s, u"PDF files (*.pdf)"_s, suggested);
        if (chosen.isEmpty())
            return;
        const std::string target = QFile::encodeName(chosen).toStdString();
        const std::string title = dialogPointer->settings().title;
        const std::string author = dialogPointer->settings().author;
        TaskDisplay display;
        display.label = u"Writing the design report..."_s;
        display.cancellable = false;
        try {
            runInBackground(display, [&](TaskProgress &) {
                const QByteArray bytes = ReportPdf(report, paper,
                    title.empty() ? "Design report" : title, author);
                OutputFile out(target, "The report");
                out.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
                out.finish();
            });
        } catch (const Error &error) {
            message(QString::fromStdString(error.what()), u"Design report"_s);
            return;
        }
        project_.setReportSettings(dialogPointer->settings());
        dialogPointer->accept();
    };
    // "Run the analyses...": with their defaults, in the background with progress and cancel;
    // what they compute is kept in the report settings (and so with the project's next save).
    const auto runAnalyses = [this, &dialogPointer](
                                 const ReportSettings &settings) -> std::optional<KeptAnalyses> {
        QWidget *parent = dialogPointer;
        try {
            CheckRunnable(project_.state());
        } catch (const Error &error) {
            dialogs_.showMessage(parent, QString::fromStdString(error.what()), u"Design report"_s);
            return std::nullopt;
        }
        const ReportAnalysesInput input {.run = MakeRunInput(project_.state()),
            .measured = MeasuredValues(project_.observed(), project_.state().observedLength, project_.state().simulationLength),
            .climate = project_.state().climate,
            .inputs = RunInputsFingerprint(project_.state()),
            .limits = settings.limits,
            .startDate = settings.startDate};
        ReportAnalysesOutput output;
        TaskDisplay display;
        display.label = u"Running the analyses for the report..."_s;
        try {
            runInBackground(display, [&](TaskProgress &task) {
                output = RunReportAnalyses(input, task.callback());
            });
        } catch (const Error &error) {
            dialogs_.showMessage(parent, QString::fromStdString(error.what()), u"Design report"_s);
            return std::nullopt;
        }
        if (output.cancelled)
            return std::nullopt;
        project_.keepAnalyses(output.analyses);
        if (!output.notes.empty()) {
            QStringList lines;
            for (const std::string &note : output.notes)
                lines << QString::fromStdString(note);
            dialogs_.showMessage(parent, lines.join(u'\n'), u"Design report"_s);
        }
        KeptAnalyses kept = settings.analyses;
        ReplaceAnalyses(kept, output.analyses);
        return kept;
    };
    ReportDialog dialog(this, source, preview, save, runAnalyses);
    dialogPointer = &dialog;
    dialog.exec();
    project_.setReportSettings(dialog.settings()); // kept with the project's next save
}

void TForm1::readReportSideFile(const QString &file)
{
    SideFileRead read = ReadSideFile(QFile::encodeName(file).toStdString());
    project_.takeSideFile(std::move(read.settings), read.problem);
    if (!read.problem.empty())
        message(QString::fromStdString(read.problem), u"Load Project"_s);
}

bool TForm1::writeReportSideFile(const QString &file)
{
    const std::filesystem::path project = QFile::encodeName(file).toStdString();
    // A project that never had report texts gets no side file; one that has a side file keeps
    // it up to date.
    if (project_.reportSettings() == ReportSettings() && !std::filesystem::exists(SideFilePath(project)))
        return true;
    try {
        WriteSideFile(project, project_.reportSettings());
        project_.sideFileWritten();
        return true;
    } catch (const Error &error) {
        message(u"The project was saved, but its report texts were not: "_s
                + QString::fromStdString(error.what()),
            u"Save Project"_s);
        return false;
    }
}

} // namespace carexa
