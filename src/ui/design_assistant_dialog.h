#pragma once

#include "model/text_grid.h"
#include "model/wetland_sizing.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace carexa {

class GridView;
class TextGridModel;
class UserDialogs;

/// The Design screen's fields the assistant starts from; each is missing when its field is empty
/// or holds no number greater than 0.
struct DesignScreenValues
{
    std::optional<double> width; ///< m
    std::optional<double> depth; ///< m
    std::optional<double> slope; ///< cm / m, as the Design screen has it
    std::optional<double> conductivity; ///< m / 24h
    std::optional<double> flow; ///< the selected flow, m3 / 24h
};

/// The chosen bed that "Use this design" hands to the Design screen.
struct ChosenBed
{
    double width = 0;
    double length = 0;
    double depth = 0;
};

/// The design assistant: sizes a bed for target outflows with the tanks-in-series model, checks
/// by Darcy's law that its width carries the flow, and proposes a width and length. It starts
/// from the Design screen's fields and the project's forcing days, and shows where each starting
/// value comes from. The results follow every change of an input; an input that is refused is
/// named in the dialog and the results stay those of the last accepted inputs. "Use this design"
/// emits `designChosen` and closes; with refused inputs or no shape yet it says why through
/// `dialogs` and stays.
class DesignAssistantDialog : public QDialog
{
    Q_OBJECT

public:
    DesignAssistantDialog(const ForcingSummary &forcing, const DesignScreenValues &screen,
        UserDialogs &dialogs, QWidget *parent = nullptr);
    ~DesignAssistantDialog() override;

    /// The results of the last accepted inputs (nothing before any were accepted).
    const std::optional<AssistantResult> &result() const { return result_; }

signals:
    void designChosen(const carexa::ChosenBed &bed);

private:
    struct PollutantRow
    {
        Pollutant pollutant;
        QCheckBox *check = nullptr;
        QLineEdit *inflow = nullptr;
        QLineEdit *target = nullptr;
        QLineEdit *k20 = nullptr;
        QLineEdit *theta = nullptr;
        QLineEdit *cStar = nullptr;
        QLineEdit *tanks = nullptr;
    };

    void build(const ForcingSummary &forcing, const DesignScreenValues &screen);
    QWidget *buildConditions(const ForcingSummary &forcing, const DesignScreenValues &screen);
    QWidget *buildPollutants(const ForcingSummary &forcing);
    QWidget *buildBed(const ForcingSummary &forcing, const DesignScreenValues &screen);
    QWidget *buildResults();
    QLineEdit *makeInput(const QString &name, const QString &text);

    /// Puts the default constants into the row's fields that the user has not changed (all of
    /// them when `all`), for the row's present inflow.
    void applyDefaults(PollutantRow &row, bool all);
    AssistantInputs readInputs() const;
    void recalculate();
    void showResult(const AssistantResult &result, const AssistantInputs &inputs);
    void useDesign();

    UserDialogs &dialogs_;
    std::optional<double> designScreenWidth_;
    bool filling_ = false;
    std::optional<AssistantResult> result_;
    std::optional<AssistantInputs> inputs_; ///< the inputs of result_
    QString refusal_; ///< why the present inputs are refused; empty when they are accepted

    TextGrid table_ {6, 7};
    TextGridModel *tableModel_ = nullptr;

public:
    // Controls, each also carrying its name as object name.
    QLineEdit *flowEdit = nullptr, *temperatureEdit = nullptr;
    std::array<PollutantRow, kPollutants.size()> rows {};
    QPushButton *defaultConstantsButton = nullptr;
    QLineEdit *depthEdit = nullptr, *porosityEdit = nullptr, *conductivityEdit = nullptr,
              *slopeEdit = nullptr, *longTermFactorEdit = nullptr, *widthEdit = nullptr,
              *lengthEdit = nullptr;
    GridView *sizingResults = nullptr;
    QLabel *tableNote = nullptr;
    QLabel *statusLabel = nullptr, *governingLabel = nullptr, *shapeLabel = nullptr,
           *retentionLabel = nullptr, *loadingLabel = nullptr, *minimumWidthLabel = nullptr,
           *carriedFlowLabel = nullptr, *widthHintLabel = nullptr, *hydraulicWarningLabel = nullptr;
    QPushButton *useDesignButton = nullptr, *closeButton = nullptr;
};

} // namespace carexa
