#pragma once

#include "report/report.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace carexa {

/// File > "Design report...": the texts of the title page and the design basis, the sections
/// to include (ticked and enabled where the project has data for them; the others are named
/// with what they need), the permit limits, the analyses the report can hold (current, STALE or
/// missing, with a button that runs them with their defaults), the paper, a preview, and "Save
/// PDF...". What the user types is kept in the project's side file when the project is saved.
class ReportDialog : public QDialog
{
    Q_OBJECT

public:
    /// `source` holds what the report reads (its settings are the dialog's start values);
    /// `preview` and `save` are called with the report as the dialog sets it up.
    /// `runAnalyses` runs the analyses with the settings as typed (their limits) and gives what
    /// it computed, or nothing when cancelled or refused; without it there is no such button.
    ReportDialog(QWidget *parent, const ReportSource &source,
        std::function<void(const ReportDocument &, ReportPaper)> preview,
        std::function<void(const ReportDocument &, ReportPaper)> save,
        std::function<std::optional<KeptAnalyses>(const ReportSettings &)> runAnalyses = {});

    /// The settings as typed.
    ReportSettings settings() const;
    /// The sections ticked.
    std::vector<ReportSection> sections() const;
    ReportPaper paper() const;
    /// The report of the sections ticked, with the settings as typed.
    ReportDocument report() const;

    /// One line per analysis: what it ran with, "STALE" or "missing".
    QString analysesText() const;

private:
    QWidget *buildLimits(const ReportSettings &settings);
    void addLimitRow(const PermitLimit &limit);
    /// The limits of the table; a row whose limit is no number above 0 is left out and named
    /// in `problems`.
    std::vector<PermitLimit> limits(QStringList *problems = nullptr) const;
    QWidget *buildAnalyses();
    /// Ticks and enables the sections with data, names the others, and shows the analyses.
    void refresh();

    ReportSource source_;
    std::function<std::optional<KeptAnalyses>(const ReportSettings &)> runAnalyses_;
    QLineEdit *titleEdit = nullptr;
    QLineEdit *authorEdit = nullptr;
    QLineEdit *checkedByEdit = nullptr;
    QLineEdit *revisionEdit = nullptr;
    QLineEdit *startDateEdit = nullptr;
    QPlainTextEdit *designBasisEdit = nullptr;
    std::array<QCheckBox *, kReportSectionCount> sectionBoxes {};
    QLabel *missingLabel = nullptr;

public:
    QTableWidget *limitsTable = nullptr;
    QPushButton *addLimitButton = nullptr;
    QPushButton *removeLimitButton = nullptr;
    QLabel *limitsNote = nullptr;
    QLabel *analysesLabel = nullptr;
    QPushButton *runAnalysesButton = nullptr;

private:
    QComboBox *paperBox = nullptr;
    QPushButton *previewButton = nullptr;
    QPushButton *savePdfButton = nullptr;
};

} // namespace carexa
