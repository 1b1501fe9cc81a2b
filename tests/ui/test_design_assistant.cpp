// The design assistant, reached from the Design screen.

#include "window_fixture.h"

#include "ui/design_assistant_dialog.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QTableView>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class DesignAssistant : public WindowTest
{
protected:
    void SetUp() override { chooseCold(); }

    void fillDesignScreen(const std::vector<std::pair<const char *, const char *>> &fields)
    {
        for (const auto &[name, text] : fields)
            retype(QString::fromLatin1(name), QString::fromLatin1(text));
        leave();
    }

    /// Opens the assistant; the pointer turns null once the closed dialog is deleted.
    QPointer<DesignAssistantDialog> open()
    {
        click(QStringLiteral("designAssistantButton"));
        QPointer<DesignAssistantDialog> dialog
            = form->findChild<DesignAssistantDialog *>(QStringLiteral("designAssistantDialog"));
        EXPECT_NE(dialog, nullptr);
        EXPECT_TRUE(Shown(dialog));
        return dialog;
    }
    static bool Shown(const QPointer<DesignAssistantDialog> &dialog)
    {
        return dialog && dialog->isVisible();
    }

    QString text(const QString &name) { return edit(name)->text(); }

    /// Replaces a field's text in one change, as a paste does.
    void paste(const QString &name, const QString &text)
    {
        QLineEdit *field = edit(name);
        ASSERT_NE(field, nullptr);
        field->setFocus(Qt::TabFocusReason);
        field->selectAll();
        field->insert(text);
    }
    QString label(const QString &name) { return find<QLabel>(name)->text(); }

    /// A cell of the results table: its row by pollutant name, its column by heading.
    QString cell(const QString &pollutant, const QString &heading)
    {
        const QAbstractItemModel *model
            = find<QTableView>(QStringLiteral("sizingResults"))->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (!model->headerData(r, Qt::Vertical).toString().startsWith(pollutant))
                continue;
            for (int c = 0; c < model->columnCount(); ++c) {
                if (model->headerData(c, Qt::Horizontal).toString() == heading)
                    return model->index(r, c).data().toString();
            }
        }
        ADD_FAILURE() << "no cell " << pollutant.toStdString() << " / " << heading.toStdString();
        return {};
    }

    /// Only BOD5, with the constants of the worked example: Q 20, Cin 200, C* 8.8424, k 76, P 4.
    void enterWorkedExample()
    {
        retype(QStringLiteral("flowEdit"), QStringLiteral("20"));
        retype(QStringLiteral("temperatureEdit"), QStringLiteral("20"));
        for (const char *name : {"orgnCheck", "nh4Check", "no3Check", "tnCheck", "tpCheck"})
            find<QCheckBox>(QString::fromLatin1(name))->setChecked(false);
        find<QCheckBox>(QStringLiteral("bod5Check"))->setChecked(true);
        const std::pair<const char *, const char *> fields[]
            = {{"bod5InflowEdit", "200"}, {"bod5TargetEdit", "30"}, {"bod5K20Edit", "76"},
                {"bod5ThetaEdit", "1"}, {"bod5CStarEdit", "8.8424"}, {"bod5TanksEdit", "4"}};
        for (const auto &[name, value] : fields)
            retype(QString::fromLatin1(name), QString::fromLatin1(value));
    }
};

TEST_F(DesignAssistant, StartsFromTheDesignScreenAndTheForcingDays)
{
    fillDesignScreen(
        {{"Edit7", "20"}, {"Edit9", "0.8"}, {"Edit10", "1"}, {"Edit18", "1000"}, {"Edit37", "30"}});
    // Sixty days: 12 deg C, with ten at 2 deg C; inflows on some days only.
    for (DayNode &node : records().days.active())
        node.day.set(DayField::temperature, 12);
    for (int d = 21; d <= 30; ++d)
        records().days.node(d).day.set(DayField::temperature, 2);
    records().days.node(1).day.set(DayField::porosity, 0.35);
    records().days.node(1).day.set(DayField::bod5In, 150);
    records().days.node(2).day.set(DayField::bod5In, 250);
    records().days.node(1).day.set(DayField::totalPIn, 1.5);
    records().days.node(1).day.set(DayField::ammoniumIn, 40);

    open();
    EXPECT_EQ(text(QStringLiteral("flowEdit")), QStringLiteral("30"));
    EXPECT_EQ(
        label(QStringLiteral("flowSource")), QStringLiteral("Selected flow on the Design screen"));
    // Any 30 days holding the ten cold ones: (10 x 2 + 20 x 12) / 30 = 8.67.
    EXPECT_EQ(text(QStringLiteral("temperatureEdit")), QStringLiteral("8.67"));
    EXPECT_EQ(text(QStringLiteral("depthEdit")), QStringLiteral("0.8"));
    EXPECT_EQ(text(QStringLiteral("porosityEdit")), QStringLiteral("0.35"));
    EXPECT_EQ(text(QStringLiteral("conductivityEdit")), QStringLiteral("1000"));
    EXPECT_EQ(text(QStringLiteral("slopeEdit")), QStringLiteral("0.01")); // 1 cm/m
    EXPECT_EQ(text(QStringLiteral("longTermFactorEdit")), QStringLiteral("0.1"));
    EXPECT_EQ(text(QStringLiteral("widthEdit")), QString());

    // BOD5 averages 200 mg/L: the band above 100 up to 200 (C* 10, k20 25), target 25.
    EXPECT_EQ(text(QStringLiteral("bod5InflowEdit")), QStringLiteral("200"));
    EXPECT_EQ(text(QStringLiteral("bod5TargetEdit")), QStringLiteral("25"));
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("25"));
    EXPECT_EQ(text(QStringLiteral("bod5CStarEdit")), QStringLiteral("10"));
    EXPECT_EQ(text(QStringLiteral("bod5TanksEdit")), QStringLiteral("3"));
    EXPECT_TRUE(edit(QStringLiteral("bod5K20Edit"))->toolTip().contains(u"above 100 up to 200"));
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("bod5Check"))->isChecked());
    // TP's 1.5 mg/L already meets the default 2 mg/L; NH4-N has no default target; TN lacks
    // nitrate and organic N.
    EXPECT_EQ(text(QStringLiteral("tpInflowEdit")), QStringLiteral("1.5"));
    EXPECT_FALSE(find<QCheckBox>(QStringLiteral("tpCheck"))->isChecked());
    EXPECT_EQ(text(QStringLiteral("nh4InflowEdit")), QStringLiteral("40"));
    EXPECT_FALSE(find<QCheckBox>(QStringLiteral("nh4Check"))->isChecked());
    EXPECT_EQ(text(QStringLiteral("tnInflowEdit")), QString());
    EXPECT_EQ(text(QStringLiteral("nh4K20Edit")), QStringLiteral("11.4"));
    EXPECT_EQ(text(QStringLiteral("no3ThetaEdit")), QStringLiteral("1.09"));
    EXPECT_EQ(text(QStringLiteral("tpCStarEdit")), QStringLiteral("0.02"));

    // Already calculated: BOD5 governs; 30 m3/d through 0.8 m at 1 cm/m needs 3.75 m of clean
    // gravel and 37.5 m once clogged, wider than the Design screen's 20 m.
    EXPECT_EQ(label(QStringLiteral("statusLabel")), QString());
    EXPECT_TRUE(
        label(QStringLiteral("governingLabel")).startsWith(u"Governing pollutant (*): BOD5"));
    EXPECT_TRUE(
        label(QStringLiteral("minimumWidthLabel")).contains(u"3.75 m with clean K, 37.50 m"));
    EXPECT_TRUE(label(QStringLiteral("shapeLabel")).startsWith(u"Chosen bed: 37.5 m wide"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DesignAssistant, AnEmptyProjectStartsFromStatedValues)
{
    open();
    EXPECT_EQ(text(QStringLiteral("flowEdit")), QString());
    EXPECT_EQ(text(QStringLiteral("temperatureEdit")), QStringLiteral("20"));
    EXPECT_TRUE(label(QStringLiteral("temperatureSource")).contains(u"reference"));
    EXPECT_EQ(text(QStringLiteral("depthEdit")), QStringLiteral("0.6"));
    EXPECT_EQ(text(QStringLiteral("porosityEdit")), QStringLiteral("0.4"));
    EXPECT_TRUE(label(QStringLiteral("porositySource")).contains(u"typical gravel"));
    EXPECT_EQ(text(QStringLiteral("conductivityEdit")), QString());
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("86")); // no inflow: band 1
    for (const char *name :
        {"bod5Check", "orgnCheck", "nh4Check", "no3Check", "tnCheck", "tpCheck"})
        EXPECT_FALSE(find<QCheckBox>(QString::fromLatin1(name))->isChecked()) << name;
    EXPECT_EQ(label(QStringLiteral("statusLabel")), QStringLiteral("Design flow Q is empty."));
}

TEST_F(DesignAssistant, TheWorkedExample)
{
    open();
    enterWorkedExample();
    retype(QStringLiteral("widthEdit"), QStringLiteral("20"));
    retype(QStringLiteral("lengthEdit"), QStringLiteral("25"));
    EXPECT_EQ(label(QStringLiteral("statusLabel")), QString());
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("kT (m/yr)")), QStringLiteral("76.00"));
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("Required area (m2)")),
        QStringLiteral("281.9"));
    EXPECT_EQ(
        cell(QStringLiteral("BOD5"), QStringLiteral("Plug flow (m2)")), QStringLiteral("211.4"));
    EXPECT_EQ(
        cell(QStringLiteral("BOD5"), QStringLiteral("Outflow (mg/L)")), QStringLiteral("15.66"));
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("Tank by tank (mg/L)")),
        QStringLiteral("91.90, 44.94, 24.53, 15.66"));
    EXPECT_EQ(label(QStringLiteral("retentionLabel")),
        QStringLiteral(
            "Nominal retention time (A x D x porosity / Q): 6.00 d")); // 500 x 0.6 x 0.4 / 20
    EXPECT_EQ(
        label(QStringLiteral("loadingLabel")), QStringLiteral("Areal BOD5 loading: 8.00 g/m2/d"));
    EXPECT_TRUE(label(QStringLiteral("shapeLabel"))
                    .startsWith(u"Chosen bed: 20 m wide x 25 m long = 500.0 m2"));

    // P 1 and P 6 of the same example.
    retype(QStringLiteral("bod5TanksEdit"), QStringLiteral("1"));
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("Required area (m2)")),
        QStringLiteral("771.8"));
    retype(QStringLiteral("bod5TanksEdit"), QStringLiteral("6"));
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("Required area (m2)")),
        QStringLiteral("255.4"));

    // NH4-N with k20 34 and theta 1.04 at 10 deg C.
    retype(QStringLiteral("temperatureEdit"), QStringLiteral("10"));
    find<QCheckBox>(QStringLiteral("nh4Check"))->setChecked(true);
    retype(QStringLiteral("nh4InflowEdit"), QStringLiteral("30"));
    retype(QStringLiteral("nh4TargetEdit"), QStringLiteral("5"));
    retype(QStringLiteral("nh4K20Edit"), QStringLiteral("34"));
    EXPECT_EQ(cell(QStringLiteral("NH4-N"), QStringLiteral("kT (m/yr)")), QStringLiteral("22.97"));
    EXPECT_EQ(label(QStringLiteral("governingLabel")),
        QStringLiteral("Governing pollutant (*): NH4-N, 663.6 m2"));
}

TEST_F(DesignAssistant, TheHydraulicCheckWarnsOfANarrowBed)
{
    open();
    enterWorkedExample();
    retype(QStringLiteral("depthEdit"), QStringLiteral("0.6"));
    retype(QStringLiteral("conductivityEdit"), QStringLiteral("1000"));
    retype(QStringLiteral("slopeEdit"), QStringLiteral("0.01"));
    EXPECT_TRUE(label(QStringLiteral("minimumWidthLabel"))
                    .contains(u"3.33 m with clean K, 33.33 m with long-term K (100 m/d)"));
    EXPECT_TRUE(
        label(QStringLiteral("shapeLabel")).startsWith(u"Chosen bed: 33.4 m wide x 8.5 m long"));
    EXPECT_EQ(label(QStringLiteral("hydraulicWarningLabel")), QString());
    EXPECT_TRUE(label(QStringLiteral("widthHintLabel")).startsWith(u"The gravel sets the width"));

    retype(QStringLiteral("widthEdit"), QStringLiteral("20")); // below the long-term 33.3 m
    EXPECT_EQ(label(QStringLiteral("widthHintLabel")), QString());
    EXPECT_TRUE(label(QStringLiteral("carriedFlowLabel"))
                    .contains(u"120.00 m3/d with clean K, 12.00 m3/d with long-term K"));
    EXPECT_TRUE(label(QStringLiteral("hydraulicWarningLabel"))
                    .startsWith(u"Warning: 20 m is below the long-term minimum of 33.33 m"));
    retype(QStringLiteral("widthEdit"), QStringLiteral("3")); // too narrow even when clean
    EXPECT_TRUE(label(QStringLiteral("hydraulicWarningLabel"))
                    .startsWith(u"Warning: 3 m is too narrow even for clean gravel"));
    retype(QStringLiteral("widthEdit"), QStringLiteral("33.4"));
    EXPECT_EQ(label(QStringLiteral("hydraulicWarningLabel")), QString());

    // A bed 20 m wide of 100 m/d gravel, 0.6 m deep on 1 cm/m carries 12 of 33 m3/d clean.
    retype(QStringLiteral("flowEdit"), QStringLiteral("33"));
    retype(QStringLiteral("conductivityEdit"), QStringLiteral("100"));
    retype(QStringLiteral("widthEdit"), QStringLiteral("20"));
    EXPECT_TRUE(
        label(QStringLiteral("hydraulicWarningLabel")).contains(u"carries 12.00 of the 33 m3/d"));

    retype(QStringLiteral("slopeEdit"), QString()); // K without S
    EXPECT_TRUE(label(QStringLiteral("statusLabel")).startsWith(u"Slope S is empty"));
}

TEST_F(DesignAssistant, BOD5ConstantsFollowTheInflowUntilChanged)
{
    open();
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("30"));
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("86"));
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("31"));
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("37"));
    EXPECT_EQ(text(QStringLiteral("bod5CStarEdit")), QStringLiteral("5"));
    retype(QStringLiteral("bod5K20Edit"), QStringLiteral("40"));
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("250"));
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("40")); // the user's stays
    EXPECT_EQ(text(QStringLiteral("bod5CStarEdit")), QStringLiteral("15"));
    click(QStringLiteral("defaultConstantsButton"));
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("66"));
}

TEST_F(DesignAssistant, ATargetAtTheBackgroundIsSaidNotSized)
{
    open();
    enterWorkedExample();
    retype(QStringLiteral("bod5TargetEdit"), QStringLiteral("8.8424"));
    EXPECT_EQ(label(QStringLiteral("statusLabel")), QString());
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("Required area (m2)")),
        QStringLiteral("not reachable: target at or below C* (8.8424 mg/L)"));
    EXPECT_TRUE(label(QStringLiteral("governingLabel")).startsWith(u"No target can be reached"));
    click(QStringLiteral("useDesignButton"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"No bed shape yet"));
}

struct Refusal
{
    const char *field;
    const char *text;
    const char *message; // the start of the message
};

void PrintTo(const Refusal &r, std::ostream *os)
{
    *os << r.field << " '" << r.text << "'";
}

class DesignAssistantRefusals : public DesignAssistant, public testing::WithParamInterface<Refusal>
{ };

TEST_P(DesignAssistantRefusals, NameTheFieldAndChangeNothing)
{
    fillDesignScreen({{"Edit7", "12"}, {"Edit8", "34"}, {"Edit9", "0.5"}});
    const QPointer<DesignAssistantDialog> dialog = open();
    ASSERT_NE(dialog, nullptr);
    enterWorkedExample();
    retype(QStringLiteral("widthEdit"), QStringLiteral("20"));
    const QString area = cell(QStringLiteral("BOD5"), QStringLiteral("Required area (m2)"));
    const QString shape = label(QStringLiteral("shapeLabel"));

    const Refusal &r = GetParam();
    paste(QString::fromLatin1(r.field), QString::fromLatin1(r.text));
    const QString status = label(QStringLiteral("statusLabel"));
    EXPECT_TRUE(status.startsWith(QString::fromLatin1(r.message))) << status.toStdString();
    EXPECT_TRUE(status.endsWith(u"The results show the last inputs that were accepted."));
    EXPECT_EQ(cell(QStringLiteral("BOD5"), QStringLiteral("Required area (m2)")), area);
    EXPECT_EQ(label(QStringLiteral("shapeLabel")), shape);

    click(QStringLiteral("useDesignButton"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QString::fromLatin1(r.message)));
    EXPECT_TRUE(Shown(dialog));
    EXPECT_EQ(text(QStringLiteral("Edit7")), QStringLiteral("12"));
    EXPECT_EQ(text(QStringLiteral("Edit8")), QStringLiteral("34"));
    EXPECT_EQ(text(QStringLiteral("Edit9")), QStringLiteral("0.5"));
}

INSTANTIATE_TEST_SUITE_P(Window, DesignAssistantRefusals,
    testing::Values(Refusal {"flowEdit", "0", "Design flow Q must be a number greater than 0"},
        Refusal {"flowEdit", "-20", "Design flow Q must be a number greater than 0; it is -20."},
        Refusal {"flowEdit", "2o", "Design flow Q: '2o' is not a number."},
        Refusal {"flowEdit", "", "Design flow Q is empty."},
        Refusal {"bod5K20Edit", "0", "BOD5 k20 must be a number greater than 0"},
        Refusal {"bod5TanksEdit", "0.9", "BOD5 P must be from 1 to 100"},
        Refusal {"bod5TargetEdit", "200", "BOD5 target (200 mg/L) must lie below the inflow"},
        Refusal {"bod5InflowEdit", "0", "BOD5 inflow must be a number greater than 0"},
        Refusal {"porosityEdit", "1.5", "Porosity must be a fraction"},
        Refusal {"lengthEdit", "0", "Length must be a number greater than 0"},
        Refusal {"widthEdit", "-4", "Width must be a number greater than 0"}),
    [](const testing::TestParamInfo<Refusal> &info) {
        return std::string(info.param.field) + "_" + std::to_string(info.index);
    });

TEST_F(DesignAssistant, UseThisDesignFillsTheThreeFieldsWithoutCalculating)
{
    fillDesignScreen({{"Edit7", "20"}, {"Edit9", "0.6"}, {"Edit10", "1"}, {"Edit18", "1000"},
        {"Edit37", "20"}, {"Edit6", "1"}, {"Edit16", "1"}});
    click(QStringLiteral("RadioButton1"));
    const QPointer<DesignAssistantDialog> dialog = open();
    ASSERT_NE(dialog, nullptr);
    enterWorkedExample();
    // The long-term minimum 33.33 m beats the Design screen's 20 m: 33.4 m across the flow, and
    // 281.9 / 33.4 rounded up to 8.5 m along it. The Design screen's flow width is 20 / (17 x
    // 0.6) = 1.96 m: a bed 33.4 m wide (over 3 flow widths) it turns round, so the 8.5 m go
    // into the width and the 33.4 m into the length.
    click(QStringLiteral("useDesignButton"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(text(QStringLiteral("Edit7")), QStringLiteral("8.5"));
    EXPECT_EQ(text(QStringLiteral("Edit8")), QStringLiteral("33.4"));
    EXPECT_EQ(text(QStringLiteral("Edit9")), QStringLiteral("0.6"));
    // The design report sizes again from the inputs of the design taken.
    ASSERT_TRUE(form->project().reportSettings().designAssistant);
    const AssistantInputs &kept = form->project().reportSettings().designAssistant->inputs;
    EXPECT_EQ(kept.sizing.flow, 20);
    ASSERT_EQ(kept.sizing.pollutants.size(), 1u);
    EXPECT_EQ(kept.sizing.pollutants[0].constants.cStar, 8.8424);
    EXPECT_EQ(kept.sizing.pollutants[0].inflow, 200);
    // Calculate was not pressed.
    EXPECT_EQ(label(QStringLiteral("Label121")), QStringLiteral("---"));
    EXPECT_EQ(records().initial.get(BoxField::AA), 0.0001);
    // The Design screen designs with them when asked: the flow runs 8.5 m, across 17 paths
    // that add up to the 33.4 m.
    click(QStringLiteral("Button34"));
    EXPECT_EQ(label(QStringLiteral("Label121")), QStringLiteral("283.9"));
    EXPECT_EQ(label(QStringLiteral("Label128")), QStringLiteral("8.5"));
    EXPECT_EQ(label(QStringLiteral("Label129")), QStringLiteral("17"));
    EXPECT_NEAR(
        records().initial.get(BoxField::NP) * records().initial.get(BoxField::FW), 33.4, 1e-9);
}

struct NewUserBed
{
    const char *name;
    const char *type; ///< the radio button ticked first, or nothing
    const char *length; ///< typed into the assistant's length, or nothing
    const char *width; ///< what Edit7 gets
    const char *lengthField; ///< what Edit8 gets
    double flowLength; ///< FL of the Design screen's calculation
};

void PrintTo(const NewUserBed &b, std::ostream *os)
{
    *os << b.name;
}

class DesignAssistantBed : public DesignAssistant, public testing::WithParamInterface<NewUserBed>
{
protected:
    /// The new user's bed: 22.9 m3/d through 100 m/d gravel, 0.6 m deep on 1 cm/m, needs 381.7 m
    /// across the flow once clogged; BOD5 from 200 to 30 mg/L takes 322.8 m2, so 0.9 m along it.
    void openNewUsersBed(const char *type)
    {
        fillDesignScreen({{"Edit9", "0.6"}, {"Edit10", "1"}, {"Edit18", "100"}, {"Edit37", "22.9"},
            {"Edit6", "1"}, {"Edit16", "1"}});
        if (type)
            click(QString::fromLatin1(type));
        open();
        enterWorkedExample();
        retype(QStringLiteral("flowEdit"), QStringLiteral("22.9"));
    }
};

TEST_P(DesignAssistantBed, TheDesignScreenCalculatesTheAssistantsBed)
{
    const NewUserBed &bed = GetParam();
    openNewUsersBed(bed.type);
    if (bed.length)
        retype(QStringLiteral("lengthEdit"), QString::fromLatin1(bed.length));
    const QString shape = QStringLiteral("Chosen bed: 381.7 m wide x %1 m long")
                              .arg(QString::fromLatin1(bed.length ? bed.length : "0.9"));
    EXPECT_TRUE(label(QStringLiteral("shapeLabel")).startsWith(shape))
        << label(QStringLiteral("shapeLabel")).toStdString();
    click(QStringLiteral("useDesignButton"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(text(QStringLiteral("Edit7")), QString::fromLatin1(bed.width));
    EXPECT_EQ(text(QStringLiteral("Edit8")), QString::fromLatin1(bed.lengthField));
    // Without a type, "Use this design" ticks "Constructed Wetland".
    const bool natural = bed.type && std::string(bed.type) == "RadioButton2";
    EXPECT_EQ(find<QRadioButton>(QStringLiteral("RadioButton1"))->isChecked(), !natural);
    EXPECT_EQ(find<QRadioButton>(QStringLiteral("RadioButton2"))->isChecked(), natural);

    // The Design screen's own calculation: the flow length and the paths side by side.
    click(QStringLiteral("Button34"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(records().initial.get(BoxField::FL), bed.flowLength);
    EXPECT_NEAR(
        records().initial.get(BoxField::NP) * records().initial.get(BoxField::FW), 381.7, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Window, DesignAssistantBed,
    testing::Values(
        // Natural: the flow width 22.9 / (100 x 1 x 0.6) = 0.38 m; a wider bed keeps its fields.
        NewUserBed {"Natural", "RadioButton2", nullptr, "381.7", "0.9", 0.9},
        // Constructed (ticked for lack of a type): the flow width 22.9 / (17 x 0.6) = 2.245 m;
        // the Design screen turns a bed over 3 of them wide round, so Width takes the 9.5 m
        // along the flow and Length the 381.7 m, split into 170 paths.
        NewUserBed {"ConstructedTurned", nullptr, "9.5", "9.5", "381.7", 9.5},
        NewUserBed {"ConstructedTicked", "RadioButton1", "9.5", "9.5", "381.7", 9.5}),
    [](const testing::TestParamInfo<NewUserBed> &info) { return std::string(info.param.name); });

TEST_F(DesignAssistantBed, ABedTheDesignScreenCannotCalculateIsNotWritten)
{
    // Constructed, 381.7 m across but 0.9 m along the flow: the Design screen runs the flow
    // along a bed's width only from 3 flow widths (6.7 m) on, so neither way round gives it.
    openNewUsersBed("RadioButton1");
    const QPointer<DesignAssistantDialog> dialog
        = form->findChild<DesignAssistantDialog *>(QStringLiteral("designAssistantDialog"));
    click(QStringLiteral("useDesignButton"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"The Design screen cannot lay out a bed 381.7 m "
                                               u"across and 0.9 m along the flow as a "
                                               u"constructed wetland"))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].endsWith(u"Nothing was written."));
    EXPECT_TRUE(Shown(dialog));
    EXPECT_EQ(text(QStringLiteral("Edit7")), QString());
    EXPECT_EQ(text(QStringLiteral("Edit8")), QString());
    EXPECT_EQ(text(QStringLiteral("Edit9")), QStringLiteral("0.6"));
}

TEST_F(DesignAssistant, UseThisDesignNeedsTheDesignScreensLayoutInputs)
{
    fillDesignScreen({{"Edit9", "0.6"}, {"Edit10", "1"}, {"Edit18", "1000"}});
    const QPointer<DesignAssistantDialog> dialog = open();
    enterWorkedExample();
    retype(QStringLiteral("widthEdit"), QStringLiteral("20"));
    click(QStringLiteral("useDesignButton"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("Fill in Precipitation factor (PF), Selected flow, Avrg, % particular "
                       "matter (AP) on the Design screen first: its calculation of a constructed "
                       "wetland lays the bed out from them. Nothing was written."));
    EXPECT_TRUE(Shown(dialog));
    EXPECT_EQ(text(QStringLiteral("Edit7")), QString());
}

// The new user's bed had a length to width of 0.025 and no word about it.
TEST_F(DesignAssistantBed, AnExtremeShapeIsNamedWithWhatWouldNarrowIt)
{
    openNewUsersBed(nullptr);
    const QLabel *ratio = find<QLabel>(QStringLiteral("ratioLabel"));
    // 0.9 / 381.7 = 0.00236.
    EXPECT_TRUE(ratio->text().startsWith(
        u"Length to width (along the flow to across it): 0.00236. Warning: outside 0.25 to 4"))
        << ratio->text().toStdString();
    EXPECT_TRUE(ratio->toolTip().contains(u"quarter of its width"));
    EXPECT_TRUE(ratio->toolTip().contains(u"four times its width"));
    EXPECT_EQ(ratio->palette().color(QPalette::WindowText), QColor(170, 0, 0));
    // 322.8 m2 at 0.25: 35.9 m wide, 9 m long. Once clogged to a tenth it carries 22.9 m3/d with
    // K = 22.9 / (0.1 x 35.93 x 0.6 x 0.01) = 1062 m/d, S = 0.1062 (10.62 cm/m) or D = 6.37 m,
    // each rounded up to three digits.
    const QString narrower = label(QStringLiteral("narrowerBedLabel"));
    EXPECT_TRUE(narrower.startsWith(u"The long-term Darcy minimum sets this width. A bed of the "
                                    u"area the targets need, 35.9 m wide and 9.0 m long"))
        << narrower.toStdString();
    EXPECT_TRUE(narrower.contains(u"a clean conductivity K of 1070 m/d (now 100)"))
        << narrower.toStdString();
    EXPECT_TRUE(narrower.contains(u"a slope S of 0.107 (10.7 cm/m; now 0.01)"))
        << narrower.toStdString();
    EXPECT_TRUE(narrower.contains(u"a depth of 6.38 m (now 0.6)")) << narrower.toStdString();

    // A shape inside the range: no warning and nothing to narrow.
    retype(QStringLiteral("widthEdit"), QStringLiteral("20"));
    retype(QStringLiteral("lengthEdit"), QStringLiteral("16.2"));
    EXPECT_EQ(ratio->text(), QStringLiteral("Length to width (along the flow to across it): 0.81"));
    EXPECT_EQ(label(QStringLiteral("narrowerBedLabel")), QString());
    retype(QStringLiteral("lengthEdit"), QStringLiteral("80.2"));
    EXPECT_TRUE(ratio->text().contains(u"4.01. Warning: outside 0.25 to 4; the bed is long"));
    retype(QStringLiteral("lengthEdit"), QStringLiteral("80"));
    EXPECT_EQ(ratio->text(), QStringLiteral("Length to width (along the flow to across it): 4"));
    // A typed width does not come from the Darcy minimum: nothing to narrow.
    retype(QStringLiteral("lengthEdit"), QStringLiteral("1"));
    EXPECT_TRUE(ratio->text().contains(u"Warning"));
    EXPECT_EQ(label(QStringLiteral("narrowerBedLabel")), QString());
}

TEST_F(DesignAssistant, TheBandNoteSaysWhatK20AndCStarFollow)
{
    open();
    const QLabel *note = find<QLabel>(QStringLiteral("bod5BandNote"));
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("150"));
    EXPECT_EQ(note->text(), QStringLiteral("k20 and C* follow the inflow band 100-200 mg/L"));
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("30"));
    EXPECT_EQ(note->text(), QStringLiteral("k20 and C* follow the inflow band up to 30 mg/L"));

    // Typed constants stay as typed through every band, until "Default constants".
    retype(QStringLiteral("bod5CStarEdit"), QStringLiteral("7"));
    EXPECT_EQ(
        note->text(), QStringLiteral("C* as typed; k20 follows the inflow band up to 30 mg/L"));
    for (const char *inflow : {"250", "60", "150"}) {
        retype(QStringLiteral("bod5InflowEdit"), QString::fromLatin1(inflow));
        EXPECT_EQ(text(QStringLiteral("bod5CStarEdit")), QStringLiteral("7")) << inflow;
    }
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("25"));
    retype(QStringLiteral("bod5K20Edit"), QStringLiteral("30"));
    EXPECT_EQ(note->text(),
        QStringLiteral("k20 and C* as typed (the inflow band 100-200 mg/L gives 25 and 10; "
                       "\"Default constants\" puts them back)"));
    EXPECT_TRUE(edit(QStringLiteral("bod5K20Edit"))->toolTip().startsWith(u"As typed."));
    click(QStringLiteral("defaultConstantsButton"));
    EXPECT_EQ(text(QStringLiteral("bod5K20Edit")), QStringLiteral("25"));
    EXPECT_EQ(text(QStringLiteral("bod5CStarEdit")), QStringLiteral("10"));
    EXPECT_EQ(note->text(), QStringLiteral("k20 and C* follow the inflow band 100-200 mg/L"));
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("250"));
    EXPECT_EQ(text(QStringLiteral("bod5CStarEdit")), QStringLiteral("15"));
}

TEST_F(DesignAssistant, NotesFollowTheValue)
{
    for (DayNode &node : records().days.active())
        node.day.set(DayField::temperature, 8.5);
    fillDesignScreen({{"Edit9", "0.8"}, {"Edit37", "30"}});
    open();
    const QString fromForcing
        = QStringLiteral("the coldest 30-day mean water temperature of the forcing days");
    EXPECT_EQ(label(QStringLiteral("temperatureSource")), fromForcing);
    retype(QStringLiteral("temperatureEdit"), QStringLiteral("4"));
    EXPECT_EQ(label(QStringLiteral("temperatureSource")),
        QStringLiteral("as entered; it started at 8.5: ") + fromForcing);
    retype(QStringLiteral("temperatureEdit"), QStringLiteral("8.5")); // back to the start value
    EXPECT_EQ(label(QStringLiteral("temperatureSource")), fromForcing);

    retype(QStringLiteral("flowEdit"), QStringLiteral("31"));
    EXPECT_EQ(label(QStringLiteral("flowSource")),
        QStringLiteral("as entered; it started at 30: Selected flow on the Design screen"));
    retype(QStringLiteral("depthEdit"), QStringLiteral("0.7"));
    EXPECT_TRUE(label(QStringLiteral("depthSource")).startsWith(u"as entered; it started at 0.8"));
    retype(QStringLiteral("conductivityEdit"), QStringLiteral("500")); // the start was empty
    EXPECT_EQ(label(QStringLiteral("conductivitySource")), QStringLiteral("as entered"));
    EXPECT_EQ(edit(QStringLiteral("bod5InflowEdit"))->toolTip(),
        QStringLiteral("The forcing days hold no inflow: enter it"));
    retype(QStringLiteral("bod5InflowEdit"), QStringLiteral("120"));
    EXPECT_EQ(edit(QStringLiteral("bod5InflowEdit"))->toolTip(), QStringLiteral("As entered"));
}

TEST_F(DesignAssistant, CloseChangesNothing)
{
    fillDesignScreen({{"Edit7", "12"}, {"Edit8", "34"}});
    const QPointer<DesignAssistantDialog> dialog = open();
    ASSERT_NE(dialog, nullptr);
    enterWorkedExample();
    retype(QStringLiteral("widthEdit"), QStringLiteral("20"));
    click(QStringLiteral("closeButton"));
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(text(QStringLiteral("Edit7")), QStringLiteral("12"));
    EXPECT_EQ(text(QStringLiteral("Edit8")), QStringLiteral("34"));
    EXPECT_EQ(text(QStringLiteral("Edit9")), QString());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(form->project().reportSettings().designAssistant);
}

TEST_F(DesignAssistant, NoWidthMeansNoShapeToUse)
{
    open();
    enterWorkedExample();
    EXPECT_TRUE(label(QStringLiteral("shapeLabel")).startsWith(u"No bed shape yet: enter a width"));
    EXPECT_TRUE(label(QStringLiteral("governingLabel")).endsWith(u"BOD5, 281.9 m2"));
    click(QStringLiteral("useDesignButton"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"No bed shape yet: enter a width"));
    EXPECT_EQ(text(QStringLiteral("Edit7")), QString());
}

} // namespace
