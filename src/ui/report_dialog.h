#pragma once

#include "report/report.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace carexa {

/// File > "Design report...": the texts of the title page and the design basis, the sections
/// to include (ticked and enabled where the project has data for them; the others are named
/// with what they need), the paper, a preview, and "Save PDF...". What the user types is kept
/// in the project's side file when the project is saved.
class ReportDialog : public QDialog
{
    Q_OBJECT

public:
    /// `source` holds what the report reads (its settings are the dialog's start values);
    /// `preview` and `save` are called with the report as the dialog sets it up.
    ReportDialog(QWidget *parent, const ReportSource &source,
        std::function<void(const ReportDocument &, ReportPaper)> preview,
        std::function<void(const ReportDocument &, ReportPaper)> save);

    /// The settings as typed.
    ReportSettings settings() const;
    /// The sections ticked.
    std::vector<ReportSection> sections() const;
    ReportPaper paper() const;
    /// The report of the sections ticked, with the settings as typed.
    ReportDocument report() const;

private:
    ReportSource source_;
    QLineEdit *titleEdit = nullptr;
    QLineEdit *authorEdit = nullptr;
    QLineEdit *checkedByEdit = nullptr;
    QLineEdit *revisionEdit = nullptr;
    QLineEdit *startDateEdit = nullptr;
    QPlainTextEdit *designBasisEdit = nullptr;
    std::array<QCheckBox *, kReportSectionCount> sectionBoxes {};
    QLabel *missingLabel = nullptr;
    QComboBox *paperBox = nullptr;
    QPushButton *previewButton = nullptr;
    QPushButton *savePdfButton = nullptr;
};

} // namespace carexa
