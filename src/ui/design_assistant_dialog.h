#pragma once

#include "model/text_grid.h"
#include "model/wetland_sizing.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <set>
#include <vector>

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
    double width = 0; ///< across the flow
    double length = 0; ///< along the flow
    double depth = 0;
};

/// Takes a chosen bed into the Design screen; the empty text when it did, else why it could not
/// (then nothing changed).
using DesignTaker = std::function<QString(const ChosenBed &bed)>;

/// The design assistant: sizes a bed for target outflows with the tanks-in-series model, checks
/// by Darcy's law that its width carries the flow, and proposes a width and length. It starts
/// from the Design screen's fields and the project's forcing days, and shows where each starting
/// value comes from. The results follow every change of an input; an input that is refused is
/// named in the dialog and the results stay those of the last accepted inputs. Each starting
/// value's note says where it came from while the field holds it, and that it was entered once
/// it is changed. "Use this design" hands the bed to the design taker (when set) and, once taken,
/// emits `designChosen` and closes; with refused inputs, no shape yet or a bed the taker refuses
/// it says why through `dialogs` and stays.
class DesignAssistantDialog : public QDialog
{
    Q_OBJECT

public:
    DesignAssistantDialog(const ForcingSummary &forcing, const DesignScreenValues &screen,
        UserDialogs &dialogs, QWidget *parent = nullptr);
    ~DesignAssistantDialog() override;

    /// The results of the last accepted inputs (nothing before any were accepted).
    const std::optional<AssistantResult> &result() const { return result_; }
    /// The inputs of result() (nothing before any were accepted).
    const std::optional<AssistantInputs> &inputs() const { return inputs_; }
    void setDesignTaker(DesignTaker taker) { designTaker_ = std::move(taker); }

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

    /// Puts the default constants into the row's fields that the user has not typed (all of
    /// them when `all`, which forgets what was typed), for the row's present inflow.
    void applyDefaults(PollutantRow &row, bool all);
    /// Says beside BOD5's k20 and C* which inflow band they follow, or that they were typed.
    void showBandNote();
    /// Keeps `note` (or, without one, the field's tooltip) saying where the field's value came
    /// from: `startNote` while it holds `startText`, that it was entered once changed.
    void followNote(QLineEdit *edit, QLabel *note, const QString &startText, const QString &startNote);
    void showShape(const AssistantResult &result, const AssistantInputs &inputs);
    /// Gives each row of the results table the height of its wrapped texts.
    void fitResultRows();
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
    DesignTaker designTaker_;
    std::set<const QLineEdit *> typed_; ///< constants the user typed since the last reset

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
    QLabel *bod5BandNote = nullptr;
    QLabel *statusLabel = nullptr, *governingLabel = nullptr, *shapeLabel = nullptr,
           *retentionLabel = nullptr, *loadingLabel = nullptr, *minimumWidthLabel = nullptr,
           *carriedFlowLabel = nullptr, *widthHintLabel = nullptr, *hydraulicWarningLabel = nullptr,
           *ratioLabel = nullptr, *narrowerBedLabel = nullptr;
    QPushButton *useDesignButton = nullptr, *closeButton = nullptr;
};

} // namespace carexa
