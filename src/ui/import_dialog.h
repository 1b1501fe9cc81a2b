#pragma once

#include "io/csv_import.h"
#include "ui/user_dialogs.h"

#include <QDialog>

#include <string_view>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace carexa {

/// The import dialog: the first records of a file as a table, the settings found in it (the
/// delimiter, decimal mark, rows to skip, heading row, the first column's role and the day the
/// rows start at), and above each column of the table a choice of the grid column it goes to or
/// "(skip)". Every change reads the whole file again; what would be imported, or the first
/// problem with its line and column, shows below the table, and OK is offered only when the file
/// reads without a problem. The request's text must outlive the dialog.
class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ImportDialog(const ImportRequest &request, QWidget *parent = nullptr);

    /// The settings as the dialog shows them.
    const ImportSettings &settings() const { return settings_; }
    /// Whether "Recalculate water volume and retention times" is ticked (forcing data only).
    bool recalculate() const;

    /// The records shown in the table, after the choice row.
    static constexpr int kPreviewRows = 100;

private:
    void readControls();
    void showSettings();
    /// The delimiter, rows to skip, heading or first column changed: the columns are matched
    /// again and the table is rebuilt.
    void layoutChanged();
    void fillPreview();
    void check();

    std::string_view text_;
    ImportTarget target_;
    ImportSettings settings_;
    /// The decimal mark last chosen, kept while comma-separated columns allow only the point.
    DecimalMark decimalChoice_;
    bool updating_ = false;

    QComboBox *delimiterBox_ = nullptr;
    QComboBox *decimalMarkBox_ = nullptr;
    QSpinBox *skipRowsBox_ = nullptr;
    QCheckBox *headingCheck_ = nullptr;
    QComboBox *dayColumnBox_ = nullptr;
    QSpinBox *firstDayBox_ = nullptr;
    QTableWidget *previewTable_ = nullptr;
    QLabel *problemLabel_ = nullptr;
    QCheckBox *recalculateCheck_ = nullptr;
    bool recalculateSet_ = false; ///< the user set the tick: it no longer follows the columns
    QDialogButtonBox *buttons_ = nullptr;
};

} // namespace carexa
