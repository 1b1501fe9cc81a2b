#pragma once

#include "analysis/parameter_space.h"
#include "model/model_parameters.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace carexa {

/// The sixteen parameters with the range an analysis varies each over: a lower and an upper
/// edit per parameter ("lowerAC", "upperAC", ...), the range the climate accepts beside them,
/// and, where asked for, a check box per parameter saying whether it varies ("varyAC", ...).
/// "Climate ranges" ("climateRangesButton") puts the climate's ranges back.
class RangeEditor : public QWidget
{
    Q_OBJECT

public:
    RangeEditor(bool withVaryColumn, QWidget *parent = nullptr);

    /// Shows the ranges of `climate` (every parameter varied) and checks ranges against it.
    void setClimate(std::int32_t climate);
    std::int32_t climate() const { return climate_; }

    /// The ranges as typed. Refuses (Error naming the parameter) a text that is no number and a
    /// range a run in the climate would not keep (see KeptRange).
    std::array<ParameterRange, kParameterCount> ranges() const;
    /// Which parameters vary (every one without the check boxes).
    std::array<bool, kParameterCount> varied() const;

    QLineEdit *lowerEdit(Parameter p) const { return lower_[static_cast<std::size_t>(p)]; }
    QLineEdit *upperEdit(Parameter p) const { return upper_[static_cast<std::size_t>(p)]; }
    QCheckBox *varyBox(Parameter p) const { return vary_[static_cast<std::size_t>(p)]; }

private:
    std::int32_t climate_ = 0;
    std::array<QLineEdit *, kParameterCount> lower_ {};
    std::array<QLineEdit *, kParameterCount> upper_ {};
    std::array<QCheckBox *, kParameterCount> vary_ {};
    std::array<QLabel *, kParameterCount> accepted_ {};
};

} // namespace carexa
