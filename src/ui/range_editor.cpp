#include "ui/range_editor.h"

#include "model/error.h"
#include "model/model_state.h"
#include "model/number_text.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

QString AcceptedText(const ParameterRange &range)
{
    return (range.lowerExclusive ? u"above "_s : QString()) + ui::NumberText(range.lower)
        + u" to "_s + ui::NumberText(range.upper);
}

double RangeEnd(const QLineEdit *edit, Parameter p, const char *end)
{
    const std::string text = edit->text().trimmed().toStdString();
    if (const std::optional<double> value = TryParseDouble(text))
        return *value;
    throw Error("The " + std::string(end) + " end of the range of " + std::string(ParameterName(p))
        + " is not a number: \"" + QuotedText(text) + "\".");
}

} // namespace

RangeEditor::RangeEditor(bool withVaryColumn, QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    int column = 0;
    const int varyColumn = withVaryColumn ? column++ : -1;
    const int nameColumn = column++;
    const int lowerColumn = column++;
    const int upperColumn = column++;
    const int acceptedColumn = column++;
    if (withVaryColumn)
        grid->addWidget(new QLabel(u"Vary"_s, this), 0, varyColumn);
    grid->addWidget(new QLabel(u"Parameter"_s, this), 0, nameColumn);
    grid->addWidget(new QLabel(u"Lower"_s, this), 0, lowerColumn);
    grid->addWidget(new QLabel(u"Upper"_s, this), 0, upperColumn);
    grid->addWidget(new QLabel(u"The climate accepts"_s, this), 0, acceptedColumn);

    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const auto index = static_cast<std::size_t>(i);
        const QString name = QString::fromUtf8(ParameterName(p));
        const int row = i + 1;
        if (withVaryColumn) {
            vary_[index] = new QCheckBox(this);
            vary_[index]->setObjectName(u"vary"_s + name);
            vary_[index]->setChecked(true);
            grid->addWidget(vary_[index], row, varyColumn);
        }
        grid->addWidget(new QLabel(name, this), row, nameColumn);
        lower_[index] = new QLineEdit(this);
        lower_[index]->setObjectName(u"lower"_s + name);
        lower_[index]->setFixedWidth(90);
        upper_[index] = new QLineEdit(this);
        upper_[index]->setObjectName(u"upper"_s + name);
        upper_[index]->setFixedWidth(90);
        grid->addWidget(lower_[index], row, lowerColumn);
        grid->addWidget(upper_[index], row, upperColumn);
        accepted_[index] = new QLabel(this);
        grid->addWidget(accepted_[index], row, acceptedColumn);
        if (withVaryColumn) {
            QCheckBox *box = vary_[index];
            connect(box, &QCheckBox::toggled, this, [this, index](bool on) {
                lower_[index]->setEnabled(on);
                upper_[index]->setEnabled(on);
            });
        }
    }
    outer->addLayout(grid);
    auto *reset = new QPushButton(u"Climate ranges"_s, this);
    reset->setObjectName(u"climateRangesButton"_s);
    reset->setToolTip(u"Put back the ranges the project's climate accepts"_s);
    connect(reset, &QPushButton::clicked, this, [this] { setClimate(climate_); });
    outer->addWidget(reset, 0, Qt::AlignLeft);
    setClimate(kNoClimate);
}

void RangeEditor::setClimate(std::int32_t climate)
{
    climate_ = climate;
    const auto ranges = ClimateRanges(climate);
    const bool replaces = climate == kColdClimate || climate == kWarmClimate;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        lower_[i]->setText(ui::NumberText(ranges[i].lower));
        upper_[i]->setText(ui::NumberText(ranges[i].upper));
        accepted_[i]->setText(replaces ? AcceptedText(ranges[i]) : u"any value"_s);
        if (ranges[i].lowerExclusive)
            lower_[i]->setToolTip(u"Values stay above %1: a run replaces %1 itself by the "
                                  "climate's fallback"_s.arg(ui::NumberText(ranges[i].lower)));
        if (vary_[i])
            vary_[i]->setChecked(true);
    }
}

std::array<ParameterRange, kParameterCount> RangeEditor::ranges() const
{
    std::array<ParameterRange, kParameterCount> ranges {};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        if (vary_[i] && !vary_[i]->isChecked()) {
            ranges[i] = ClimateRange(p, climate_); // not varied: never sampled
            continue;
        }
        ranges[i] = KeptRange(
            p, climate_, RangeEnd(lower_[i], p, "lower"), RangeEnd(upper_[i], p, "upper"));
    }
    return ranges;
}

std::array<bool, kParameterCount> RangeEditor::varied() const
{
    std::array<bool, kParameterCount> varied {};
    for (std::size_t i = 0; i < kParameterCount; ++i)
        varied[i] = !vary_[i] || vary_[i]->isChecked();
    return varied;
}

} // namespace carexa
