#pragma once

#include "analysis/confidence.h"

#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace carexa {

class UserDialogs;

/// How well the measurements pin down the calibrated parameters: each fitted parameter's value,
/// standard error, linear 95 % interval and status, and their correlation matrix with each cell
/// coloured by its sign and strength; exports both as CSV, as carexa-sim calibrate --confidence
/// and --correlation write them.
class ConfidencePanel : public QWidget
{
    Q_OBJECT

public:
    ConfidencePanel(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// Shows the intervals and correlations of a calibration.
    void setResult(ConfidenceResult result);
    /// Shows no intervals, and `reason` why there are none (empty: nothing computed yet).
    void clear(const QString &reason = QString());
    const std::optional<ConfidenceResult> &result() const { return result_; }

    /// The background of a correlation cell: red for a positive, blue for a negative
    /// correlation, the deeper the stronger; white where there is none to show.
    static QColor CorrelationColour(double r);

    QTableWidget *intervalTable = nullptr;
    QTableWidget *correlationTable = nullptr;
    QLabel *noteLabel = nullptr;
    QPushButton *exportIntervalsButton = nullptr;
    QPushButton *exportCorrelationButton = nullptr;

private:
    void exportText(const QString &title, const QString &name, const std::string &text,
        const std::string &what);

    UserDialogs &dialogs_;
    std::optional<ConfidenceResult> result_;
};

} // namespace carexa
