// File > "Design report...": the dialog, the PDF it saves, and the side file beside the project.

#include "window_fixture.h"

#include "project/project.h"
#include "project/project_file.h"
#include "report/side_file.h"
#include "support/temp_dir.h"
#include "ui/report_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class DesignReport : public WindowTest
{
protected:
    QString path(const char *name) const { return QString::fromStdString((dir / name).string()); }
    void load(const QString &name)
    {
        finishStart();
        dialogs.openAnswers.push_back(name);
        form->LoadProject1->trigger();
        QTRY_VERIFY(form->ProjectOpen);
    }
    /// Opens the dialog and, once it shows, runs `inside` on it; the dialog is closed after.
    void withDialog(const std::function<void(ReportDialog &)> &inside)
    {
        bool ran = false;
        QTimer::singleShot(0, form.get(), [&] {
            auto *dialog = qobject_cast<ReportDialog *>(QApplication::activeModalWidget());
            if (dialog) {
                inside(*dialog);
                ran = true;
                if (dialog->isVisible())
                    dialog->reject();
            }
        });
        form->DesignReport1->trigger();
        EXPECT_TRUE(ran);
    }
    bool ticked(ReportDialog &dialog, const char *name)
    {
        auto *box = dialog.findChild<QCheckBox *>(QString::fromLatin1(name));
        EXPECT_NE(box, nullptr) << name;
        return box && box->isChecked() && box->isEnabled();
    }

    TempDir dir;
};

TEST_F(DesignReport, SectionsWithDataAreTickedAndTheReportIsSaved)
{
    const QString project = path("bed.mdl");
    std::filesystem::copy_file(ExampleFile("cold_climate_bed.mdl"), project.toStdString());
    load(project);
    const QString pdf = path("bed-report.pdf");
    withDialog([&](ReportDialog &dialog) {
        EXPECT_TRUE(ticked(dialog, "basisSection"));
        EXPECT_TRUE(ticked(dialog, "forcingSection"));
        EXPECT_TRUE(ticked(dialog, "resultsSection"));
        EXPECT_TRUE(ticked(dialog, "fitSection"));
        EXPECT_FALSE(ticked(dialog, "sensitivitySection"));
        EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("missingLabel"))
                        ->text()
                        .contains(QStringLiteral(
                            "no screening, Sobol' analysis or conditioned uncertainty")));
        dialog.findChild<QLineEdit *>(QStringLiteral("titleEdit"))
            ->setText(QStringLiteral("Bed at Nordfeld"));
        dialog.findChild<QLineEdit *>(QStringLiteral("authorEdit"))
            ->setText(QStringLiteral("A. Designer"));
        dialog.findChild<QComboBox *>(QStringLiteral("paperBox"))->setCurrentIndex(1);
        if (const char *shots = std::getenv("CAREXA_SCREENSHOTS"))
            dialog.grab().save(
                QString::fromLocal8Bit(shots) + QStringLiteral("/31-design-report.png"));
        dialogs.saveAnswers.push_back(pdf);
        dialog.findChild<QPushButton *>(QStringLiteral("savePdfButton"))->click();
        EXPECT_FALSE(dialog.isVisible()); // saved: the dialog closes
    });
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(dialogs.rememberedNames.last(), path("bed-report.pdf"));
    ASSERT_TRUE(std::filesystem::exists(pdf.toStdString()));
    std::string text;
    if (FILE *pipe = ::popen(("pdftotext '" + pdf.toStdString() + "' -").c_str(), "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        ::pclose(pipe);
    }
    EXPECT_NE(text.find("Bed at Nordfeld"), std::string::npos);
    EXPECT_NE(text.find("Fit to measurements"), std::string::npos);

    // The texts typed go into the side file with the project's next save.
    EXPECT_EQ(form->project().reportSettings().title, "Bed at Nordfeld");
    dialogs.saveAnswers.push_back(project);
    form->SaveProject1->trigger();
    const SideFileRead side = ReadSideFile(project.toStdString());
    EXPECT_TRUE(side.found);
    EXPECT_EQ(side.settings.title, "Bed at Nordfeld");
    EXPECT_EQ(side.settings.author, "A. Designer");
}

TEST_F(DesignReport, ADamagedSideFileIsSaidAndTheProjectLoads)
{
    const QString project = path("bed.mdl");
    std::filesystem::copy_file(ExampleFile("cold_climate_bed.mdl"), project.toStdString());
    WriteText(dir / "bed.carexa.json", "{\"report\": [");
    load(project);
    EXPECT_EQ(records().simulationLength, 365);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(
        dialogs.messages[0].startsWith(QStringLiteral("The side file bed.carexa.json is damaged")))
        << dialogs.messages[0].toStdString();
    withDialog([&](ReportDialog &dialog) {
        const ReportDocument report = dialog.report();
        EXPECT_EQ(report.sectionTitles().back(), "Scope and limitations");
    });
    // A project saved without report texts leaves no side file of its own making...
    const QString other = path("other.mdl");
    EXPECT_TRUE(form->project().reportSettings() == ReportSettings()); // a damaged file gives none
    dialogs.saveAnswers.push_back(other);
    form->SaveProject1->trigger();
    EXPECT_FALSE(std::filesystem::exists(dir / "other.carexa.json"));
}

TEST_F(DesignReport, LimitsAreEnteredAndTheAnalysesRunKeptAndMarkedStale)
{
    const QString project = path("bed.mdl");
    std::filesystem::copy_file(ExampleFile("cold_climate_bed.mdl"), project.toStdString());
    load(project);
    withDialog([&](ReportDialog &dialog) {
        EXPECT_FALSE(ticked(dialog, "complianceSection"));
        EXPECT_TRUE(dialog.analysesLabel->text().contains(
            QStringLiteral("Sensitivity screening: missing")));
        EXPECT_TRUE(dialog.analysesLabel->text().contains(QStringLiteral("Compliance: missing")));
        // A limit: BOD5 out, 25 mg/l, annual mean; a row without a number is named and left out.
        dialog.addLimitButton->click();
        dialog.limitsTable->item(0, 1)->setText(QStringLiteral("25"));
        dialog.limitsTable->item(0, 3)->setText(QStringLiteral("Permit 12/2026"));
        dialog.addLimitButton->click();
        EXPECT_EQ(dialog.limitsNote->text(),
            QStringLiteral("Row 2: the limit is no number above 0; it is left out."));
        EXPECT_TRUE(ticked(dialog, "basisSection"));
        ASSERT_EQ(dialog.settings().limits.size(), 1u);
        EXPECT_EQ(dialog.settings().limits[0],
            (PermitLimit {
                .column = 1, .value = 25, .statistic = "annual mean", .source = "Permit 12/2026"}));
        if (const char *shots = std::getenv("CAREXA_SCREENSHOTS"))
            dialog.grab().save(
                QString::fromLocal8Bit(shots) + QStringLiteral("/32-design-report-analyses.png"));

        dialog.runAnalysesButton->click();
        EXPECT_TRUE(ticked(dialog, "sensitivitySection"));
        EXPECT_TRUE(ticked(dialog, "complianceSection"));
        const QString analyses = dialog.analysesLabel->text();
        EXPECT_TRUE(analyses.contains(
            QStringLiteral("Sensitivity screening: seed 1, 20 trajectories, 4 levels")))
            << analyses.toStdString();
        EXPECT_TRUE(
            analyses.contains(QStringLiteral("Conditioned uncertainty: seed 1, 500 samples x")));
        EXPECT_TRUE(analyses.contains(QStringLiteral("Compliance: seed 1, 500 samples")));
        EXPECT_FALSE(analyses.contains(QStringLiteral("STALE")));
        const ReportDocument report = dialog.report();
        const std::vector<std::string> titles = report.sectionTitles();
        EXPECT_NE(std::find(titles.begin(), titles.end(), "Compliance"), titles.end());
    });
    ASSERT_TRUE(form->project().reportSettings().analyses.morris);
    ASSERT_TRUE(form->project().reportSettings().analyses.compliance);
    EXPECT_EQ(form->project().reportSettings().limits.size(), 1u);

    // Kept with the project's next save, current for the project as it loads from its file.
    dialogs.saveAnswers.push_back(project);
    form->SaveProject1->trigger();
    const SideFileRead side = ReadSideFile(project.toStdString());
    ASSERT_TRUE(side.settings.analyses.morris);
    Project loaded;
    loaded.load(ReadProjectFile(project.toStdString()));
    EXPECT_EQ(side.settings.analyses.morris->inputs, loaded.runInputsFingerprint());

    // A changed input makes them stale.
    const double oc = records().parameters.get(Parameter::OC);
    retype(QStringLiteral("Edit23"), QStringLiteral("0.37")); // OC
    leave();
    ASSERT_NE(records().parameters.get(Parameter::OC), oc);
    withDialog([&](ReportDialog &dialog) {
        EXPECT_TRUE(dialog.analysesLabel->text().contains(
            QStringLiteral("Sensitivity screening: STALE; seed 1")))
            << dialog.analysesLabel->text().toStdString();
    });
}

// The report's texts belong to the project: a new title is an unsaved change, and "New Project"
// starts without the old project's texts, so the new project's save writes no side file of them.
TEST_F(DesignReport, TheReportTextsAreTheProjectsAndGoWithIt)
{
    const QString project = path("bed.mdl");
    std::filesystem::copy_file(ExampleFile("cold_climate_bed.mdl"), project.toStdString());
    load(project);
    EXPECT_FALSE(form->hasUnsavedChanges());
    withDialog([&](ReportDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("titleEdit"))
            ->setText(QStringLiteral("Bed at Nordfeld"));
    });
    EXPECT_EQ(form->project().reportSettings().title, "Bed at Nordfeld");
    EXPECT_TRUE(form->hasUnsavedChanges());

    form->NewProject1->trigger();
    ASSERT_TRUE(find(QStringLiteral("PromptBox"))->isVisible()); // the title is worth a question
    click(QStringLiteral("Button26")); // go without saving
    click(QStringLiteral("ColdClimateBtn"));
    EXPECT_EQ(form->project().reportSettings().title, "");
    EXPECT_TRUE(form->project().reportSettings().limits.empty());
    dialogs.saveAnswers.push_back(path("other.mdl"));
    form->SaveProject1->trigger();
    EXPECT_TRUE(std::filesystem::exists(dir / "other.mdl"));
    EXPECT_FALSE(std::filesystem::exists(dir / "other.carexa.json"));
    EXPECT_FALSE(std::filesystem::exists(dir / "bed.carexa.json"));
}

// A side file that cannot be written leaves the report texts an unsaved change: the project file
// is saved, the message says what was not, and closing still asks.
TEST_F(DesignReport, ReportTextsThatCouldNotBeWrittenStayUnsaved)
{
    const QString project = path("bed.mdl");
    std::filesystem::copy_file(ExampleFile("cold_climate_bed.mdl"), project.toStdString());
    load(project);
    withDialog([&](ReportDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("titleEdit"))
            ->setText(QStringLiteral("Bed at Nordfeld"));
    });
    std::filesystem::create_directory(dir / "bed.carexa.json"); // no file can take its place
    dialogs.saveAnswers.push_back(project);
    form->SaveProject1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        QStringLiteral("The project was saved, but its report texts were not: ")))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(form->hasUnsavedChanges());
    form->CloseProject1->trigger();
    EXPECT_TRUE(find(QStringLiteral("PromptBox"))->isVisible());

    // Written at the next save, the texts are saved and the mark goes.
    click(QStringLiteral("Button27")); // back to the project
    std::filesystem::remove(dir / "bed.carexa.json");
    dialogs.saveAnswers.push_back(project);
    form->SaveProject1->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(form->hasUnsavedChanges());
    EXPECT_EQ(ReadSideFile(project.toStdString()).settings.title, "Bed at Nordfeld");
}

TEST_F(DesignReport, NeedsAnOpenProject)
{
    finishStart();
    form->DesignReport1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("Choose a climate or load a project before making a report."));
}

} // namespace
