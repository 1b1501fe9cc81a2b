// The numeric input rule on every family of fields.

#include "window_fixture.h"

#include <QApplication>
#include <QSignalSpy>
#include <QToolTip>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class NumericFields : public WindowTest
{
protected:
    void SetUp() override
    {
        openForcingScreen();
        dialogs.messages.clear();
    }
    void toParameters()
    {
        click(QStringLiteral("Button4"));
        click(QStringLiteral("Button25"));
    }
};

TEST_F(NumericFields, ChangeFieldsStoreWhileTyping)
{
    toParameters();
    QLineEdit *ac = edit(QStringLiteral("Edit20"));
    ac->setFocus();
    ac->selectAll();
    QTest::keyClick(ac, Qt::Key_Delete);
    std::vector<double> stored;
    for (QChar c : QStringLiteral("0.25")) {
        QTest::keyClicks(ac, QString(c));
        stored.push_back(records().parameters.get(Parameter::AC));
    }
    EXPECT_EQ(stored, (std::vector<double> {0, 0, 0.2, 0.25}));

    retype(QStringLiteral("Edit22"), QStringLiteral("2."));
    EXPECT_EQ(records().parameters.get(Parameter::DC), 2);
    EXPECT_EQ(edit(QStringLiteral("Edit22"))->text(), QStringLiteral("2."));
}

TEST_F(NumericFields, ForbiddenCharactersEmptyTheFieldAndKeepTheValue)
{
    toParameters();
    QLineEdit *nc = edit(QStringLiteral("Edit21"));
    nc->setText(QStringLiteral("1.5"));
    // Pasted texts: the field is emptied and the value stays.
    for (const char *pasted : {"12,5", "-3", "1e-4", " 5", "7a", "\xc2\xa3", "\xc3\xa6"}) {
        nc->setText(QString::fromUtf8(pasted));
        EXPECT_EQ(nc->text(), QString()) << pasted;
        EXPECT_EQ(records().parameters.get(Parameter::NC), 1.5) << pasted;
    }
    // Typed texts are checked at every keystroke: "12" is stored before the comma empties it.
    retype(QStringLiteral("Edit21"), QStringLiteral("12,"));
    EXPECT_EQ(nc->text(), QString());
    EXPECT_EQ(records().parameters.get(Parameter::NC), 12);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(NumericFields, ATextThatIsNoNumberIsReportedByName)
{
    toParameters();
    retype(QStringLiteral("Edit24"), QStringLiteral("1.05"));
    retype(QStringLiteral("Edit24"), QStringLiteral("1.2.3"));
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.last().contains(QStringLiteral("'1.2.3'")));
    EXPECT_EQ(edit(QStringLiteral("Edit24"))->text(), QStringLiteral("1.2.3"));
    EXPECT_EQ(records().parameters.get(Parameter::TA), 1.2); // the last text that was a number

    dialogs.messages.clear();
    retype(QStringLiteral("Edit24"), QStringLiteral("."));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("'.'")));
}

TEST_F(NumericFields, InitialValuesFollowTheirLabels)
{
    click(QStringLiteral("Button4"));
    retype(QStringLiteral("Edit62"), QStringLiteral("6"));
    retype(QStringLiteral("Edit38"), QStringLiteral("60"));
    retype(QStringLiteral("Edit52"), QStringLiteral("9"));
    retype(QStringLiteral("Edit61"), QStringLiteral("2"));
    EXPECT_EQ(records().initial.concentration(Variable::AMM, 2), 6);
    EXPECT_EQ(records().initial.concentration(Variable::BOD5, 2), 60);
    EXPECT_EQ(records().initial.concentration(Variable::TPO, 0), 9);
    EXPECT_EQ(records().initial.concentration(Variable::ORN, 4), 2);
}

TEST_F(NumericFields, ExitFieldsStoreIntoEveryDayWhenLeft)
{
    type(QStringLiteral("Edit3"), QStringLiteral("7.5"));
    EXPECT_EQ(records().days.node(1).day.get(DayField::porosity), 0.0001); // not before leaving
    leave();
    for (const DayNode &node : records().days.active())
        EXPECT_EQ(node.day.get(DayField::porosity), 7.5);
    EXPECT_EQ(records().days.last().day.get(DayField::porosity), 0.0001);

    type(QStringLiteral("Edit13"), QStringLiteral("1.5"));
    leave();
    EXPECT_EQ(records().days.node(60).day.get(DayField::oxygenC), 1.5);

    retype(QStringLiteral("Edit3"), QString());
    leave();
    EXPECT_EQ(records().days.node(4).day.get(DayField::porosity), 7.5);

    retype(QStringLiteral("Edit3"), QStringLiteral("0,4"));
    leave();
    EXPECT_EQ(edit(QStringLiteral("Edit3"))->text(), QString());
    EXPECT_EQ(records().days.node(4).day.get(DayField::porosity), 7.5);
}

TEST_F(NumericFields, WholeNumberFieldsRefuseTheFullStop)
{
    retype(QStringLiteral("Edit19"), QStringLiteral("7.5"));
    leave();
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QString());
    EXPECT_EQ(records().simulationLength, 60);
}

TEST_F(NumericFields, DesignInputsAreCheckedOnExitOnly)
{
    click(QStringLiteral("Button36"));
    retype(QStringLiteral("Edit9"), QStringLiteral("0,6"));
    EXPECT_EQ(edit(QStringLiteral("Edit9"))->text(), QStringLiteral("0,6"));
    leave();
    EXPECT_EQ(edit(QStringLiteral("Edit9"))->text(), QString());
}

// An emptied field says why, at the field, for a few seconds; the rule itself is unchanged.
TEST_F(NumericFields, AnEmptiedFieldShowsWhyAtTheField)
{
    QSignalSpy hints(form.get(), &TForm1::inputHintShown);
    retype(QStringLiteral("Edit3"), QStringLiteral("0,4"));
    leave();
    ASSERT_EQ(hints.size(), 1);
    EXPECT_EQ(hints[0][0].value<QWidget *>(), edit(QStringLiteral("Edit3")));
    EXPECT_EQ(
        hints[0][1].toString(), QStringLiteral("Only digits and a full stop are allowed here"));
    EXPECT_EQ(edit(QStringLiteral("Edit3"))->text(), QString());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Only digits and a full stop are allowed here"));

    // Whole-number fields.
    retype(QStringLiteral("Edit19"), QStringLiteral("7.5"));
    leave();
    ASSERT_EQ(hints.size(), 2);
    EXPECT_EQ(hints[1][0].value<QWidget *>(), edit(QStringLiteral("Edit19")));
    EXPECT_EQ(hints[1][1].toString(), QStringLiteral("Only digits are allowed here"));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Only digits are allowed here"));

    // A change-checked field empties at the keystroke, once.
    toParameters();
    retype(QStringLiteral("Edit21"), QStringLiteral("1-"));
    ASSERT_EQ(hints.size(), 3);
    EXPECT_EQ(hints[2][0].value<QWidget *>(), edit(QStringLiteral("Edit21")));
    EXPECT_EQ(
        hints[2][1].toString(), QStringLiteral("Only digits and a full stop are allowed here"));

    // Accepted texts and empty fields say nothing.
    retype(QStringLiteral("Edit21"), QStringLiteral("2.5"));
    retype(QStringLiteral("Edit22"), QString());
    EXPECT_EQ(hints.size(), 3);
}

// The rule stays; Ctrl+Z brings back the text from before the forbidden character.
TEST_F(NumericFields, CtrlZBringsBackTheTextTheRuleEmptied)
{
    const auto undo
        = [](QLineEdit *field) { QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier); };

    // A change-checked field: emptied at the keystroke, back with its value stored.
    toParameters();
    QLineEdit *nc = edit(QStringLiteral("Edit21"));
    retype(QStringLiteral("Edit21"), QStringLiteral("1.25"));
    QTest::keyClicks(nc, QStringLiteral(","));
    EXPECT_EQ(nc->text(), QString());
    records().parameters.set(Parameter::NC, 9);
    undo(nc);
    EXPECT_EQ(nc->text(), QStringLiteral("1.25"));
    EXPECT_EQ(records().parameters.get(Parameter::NC), 1.25);
    // After that, Ctrl+Z is the field's own undo again.
    QTest::keyClicks(nc, QStringLiteral("7"));
    undo(nc);
    EXPECT_EQ(nc->text(), QStringLiteral("1.25"));

    // A paste of text the rule refuses replaces the whole field; Ctrl+Z brings the old back.
    nc->selectAll();
    nc->insert(QStringLiteral("abc"));
    EXPECT_EQ(nc->text(), QString());
    undo(nc);
    EXPECT_EQ(nc->text(), QStringLiteral("1.25"));

    // An exit-checked field: "0.6" then "x5" typed, emptied on leaving; back to "0.6".
    click(QStringLiteral("Button5"));
    click(QStringLiteral("Button24"));
    click(QStringLiteral("Button36"));
    QLineEdit *depth = edit(QStringLiteral("Edit9"));
    retype(QStringLiteral("Edit9"), QStringLiteral("0.6"));
    QTest::keyClicks(depth, QStringLiteral("x5"));
    leave();
    EXPECT_EQ(depth->text(), QString());
    depth->setFocus();
    undo(depth);
    EXPECT_EQ(depth->text(), QStringLiteral("0.6"));

    // A whole-number field: "12" then "." emptied on leaving; back to "12", not "12.".
    click(QStringLiteral("Button35"));
    QLineEdit *length = edit(QStringLiteral("Edit19"));
    retype(QStringLiteral("Edit19"), QStringLiteral("70"));
    QTest::keyClicks(length, QStringLiteral(".5"));
    leave();
    EXPECT_EQ(length->text(), QString());
    length->setFocus();
    undo(length);
    EXPECT_EQ(length->text(), QStringLiteral("70"));
    leave();
    EXPECT_EQ(records().simulationLength, 70);

    // Nothing to bring back: Ctrl+Z on a field emptied from nothing leaves it empty.
    retype(QStringLiteral("Edit3"), QStringLiteral("a"));
    leave();
    edit(QStringLiteral("Edit3"))->setFocus();
    undo(edit(QStringLiteral("Edit3")));
    EXPECT_EQ(edit(QStringLiteral("Edit3"))->text(), QString());
}

} // namespace
