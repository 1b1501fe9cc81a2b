// The design calculator through its screen.

#include "window_fixture.h"

#include "support/temp_dir.h"

#include <QFrame>
#include <QLabel>
#include <QRadioButton>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class DesignScreen : public WindowTest
{
protected:
    void SetUp() override { chooseCold(); }
    QStringList results()
    {
        QStringList texts;
        for (const char *name : {"Label121", "Label122", "Label123", "Label124", "Label125",
                 "Label127", "Label128", "Label129"})
            texts.append(find<QLabel>(QString::fromLatin1(name))->text());
        return texts;
    }
};

TEST_F(DesignScreen, TheConstructedExample)
{
    EXPECT_EQ(results(), QStringList(8, QStringLiteral("---")));
    calculateExampleDesign();
    EXPECT_EQ(results(),
        (QStringList {QStringLiteral("300"), QStringLiteral("180"), QStringLiteral("0.02"),
            QStringLiteral("17"), QStringLiteral("6"), QStringLiteral("0.5882"),
            QStringLiteral("10"), QStringLiteral("51")}));
    EXPECT_EQ(records().initial.get(BoxField::VO), 180);
    EXPECT_EQ(records().initial.get(BoxField::PF), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DesignScreen, EmptyFieldsOrNoWetlandTypeChangeNothing)
{
    const std::pair<const char *, const char *> inputs[]
        = {{"Edit7", "10"}, {"Edit8", "30"}, {"Edit9", "0.6"}, {"Edit6", "1"}, {"Edit10", "1"},
            {"Edit16", "1"}, {"Edit18", "1"}, {"Edit37", "6"}};
    for (const auto &[name, text] : inputs)
        retype(QString::fromLatin1(name), QString::fromLatin1(text));
    click(QStringLiteral("Button34")); // no wetland type chosen
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("One or more input fields are empty!"));

    click(QStringLiteral("RadioButton2"));
    retype(QStringLiteral("Edit18"), QString());
    click(QStringLiteral("Button34"));
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(results(), QStringList(8, QStringLiteral("---")));
    EXPECT_EQ(records().initial.get(BoxField::VO), 0.0001);
}

// The message stays the program's own; the frame says which input it is about.
TEST_F(DesignScreen, OnlyTheMissingWetlandTypeIsFramedInRed)
{
    const std::pair<const char *, const char *> inputs[]
        = {{"Edit7", "10"}, {"Edit8", "30"}, {"Edit9", "0.6"}, {"Edit6", "1"}, {"Edit10", "1"},
            {"Edit16", "1"}, {"Edit18", "1"}, {"Edit37", ""}};
    for (const auto &[name, text] : inputs)
        retype(QString::fromLatin1(name), QString::fromLatin1(text));
    auto *frame = find<QFrame>(QStringLiteral("wetlandTypeFrame"));
    auto *constructed = find<QRadioButton>(QStringLiteral("RadioButton1"));
    EXPECT_FALSE(frame->isVisible());

    // A field is empty too: the message alone.
    click(QStringLiteral("Button34"));
    EXPECT_EQ(dialogs.messages.last(), QStringLiteral("One or more input fields are empty!"));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(constructed->toolTip(), QString());

    // Only the type is missing: the same message, and the frame with its tooltip.
    retype(QStringLiteral("Edit37"), QStringLiteral("6"));
    click(QStringLiteral("Button34"));
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages.last(), QStringLiteral("One or more input fields are empty!"));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(constructed->toolTip().startsWith(QStringLiteral("Choose the wetland type")));
    EXPECT_EQ(
        find<QRadioButton>(QStringLiteral("RadioButton2"))->toolTip(), constructed->toolTip());
    const QRect around = frame->geometry();
    EXPECT_TRUE(around.contains(constructed->geometry()));

    // Until one is chosen.
    click(QStringLiteral("RadioButton2"));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(constructed->toolTip(), QString());
    click(QStringLiteral("Button34"));
    EXPECT_EQ(dialogs.messages.size(), 2);
}

// The file keeps the design results but not the type; the results tell it.
TEST_F(DesignScreen, ALoadedProjectTicksTheTypeItsResultsShow)
{
    TempDir dir;
    const auto saveAndLoad = [&](const char *name) {
        const QString file = QString::fromStdString((dir / name).string());
        dialogs.saveAnswers.push_back(file);
        form->SaveProject1->trigger();
        dialogs.openAnswers.push_back(file);
        form->LoadProject1->trigger(); // just saved: no prompt
    };
    auto *constructed = find<QRadioButton>(QStringLiteral("RadioButton1"));
    auto *natural = find<QRadioButton>(QStringLiteral("RadioButton2"));

    calculateExampleDesign(); // constructed: HF = 25 - 8 x 1 = 17; HC is 1
    saveAndLoad("constructed.mdl");
    EXPECT_TRUE(constructed->isChecked());
    EXPECT_FALSE(natural->isChecked());
    click(QStringLiteral("Button34")); // all there: it calculates
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();

    click(QStringLiteral("RadioButton2")); // natural: HF = HC = 1
    click(QStringLiteral("Button34"));
    saveAndLoad("natural.mdl");
    EXPECT_FALSE(constructed->isChecked());
    EXPECT_TRUE(natural->isChecked());

    // AP 3 gives HF 1 as HC 1 does: both fit, so neither is ticked.
    retype(QStringLiteral("Edit16"), QStringLiteral("3"));
    click(QStringLiteral("RadioButton1"));
    click(QStringLiteral("Button34"));
    EXPECT_EQ(records().initial.get(BoxField::HF), 1);
    saveAndLoad("both.mdl");
    EXPECT_FALSE(constructed->isChecked());
    EXPECT_FALSE(natural->isChecked());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
}

TEST_F(DesignScreen, OneWetlandTypeAtATime)
{
    auto *constructed = find<QRadioButton>(QStringLiteral("RadioButton1"));
    auto *natural = find<QRadioButton>(QStringLiteral("RadioButton2"));
    EXPECT_FALSE(constructed->isChecked());
    EXPECT_FALSE(natural->isChecked());
    click(QStringLiteral("RadioButton1"));
    click(QStringLiteral("RadioButton2"));
    EXPECT_FALSE(constructed->isChecked());
    EXPECT_TRUE(natural->isChecked());
}

TEST_F(DesignScreen, AnUnusableResultIsNamedAndNothingIsStored)
{
    calculateExampleDesign();
    const QStringList before = results();
    retype(QStringLiteral("Edit16"), QStringLiteral("3.2"));
    click(QStringLiteral("Button34"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("Recommended horizontal flow")));
    EXPECT_EQ(results(), before);
    EXPECT_EQ(records().initial.get(BoxField::HF), 17);
}

} // namespace

// A design input is the project's as it is typed, and so is the ticked wetland type: a save, the
// recovery copy and the report read them from the project without waiting for "Calculate".
TEST_F(DesignScreen, TypedInputsAndTheTickedTypeAreTheProjectsAtOnce)
{
    type(QStringLiteral("Edit7"), QStringLiteral("12"));
    type(QStringLiteral("Edit37"), QStringLiteral("4.5e1"));
    EXPECT_EQ(form->project().designInputs()[0], "12");
    EXPECT_EQ(form->project().designInputs()[7], "4.5e1");
    EXPECT_EQ(form->project().designInputs()[1], "");
    EXPECT_FALSE(form->project().wetlandType());
    click(QStringLiteral("RadioButton2"));
    EXPECT_EQ(form->project().wetlandType(), WetlandType::Natural);
    click(QStringLiteral("RadioButton1"));
    EXPECT_EQ(form->project().wetlandType(), WetlandType::Constructed);
    retype(QStringLiteral("Edit7"), QString());
    EXPECT_EQ(form->project().designInputs()[0], "");

    // "New Project" empties the fields and the project alike.
    type(QStringLiteral("Edit8"), QStringLiteral("30"));
    form->NewProject1->trigger();
    click(QStringLiteral("Button26")); // go without saving
    EXPECT_EQ(edit(QStringLiteral("Edit8"))->text(), QString());
    EXPECT_EQ(form->project().designInputs()[1], "");
    EXPECT_FALSE(form->project().wetlandType());
}

// Results calculated for other inputs are said to be so on the screen, judged by value: an input
// typed back, or "Calculate" again, ends it.
TEST_F(DesignScreen, ResultsOfOtherInputsAreSaidToBeSo)
{
    auto *stale = find<QLabel>(QStringLiteral("staleDesignLabel"));
    calculateExampleDesign();
    EXPECT_FALSE(stale->isVisibleTo(form.get()));
    retype(QStringLiteral("Edit7"), QStringLiteral("12"));
    EXPECT_TRUE(stale->isVisibleTo(form.get()));
    EXPECT_EQ(stale->text(),
        QStringLiteral("The results were calculated for other inputs. Press "
                       "\"Calculate\" to bring them up to date."));
    retype(QStringLiteral("Edit7"), QStringLiteral("10.0")); // the same number
    EXPECT_FALSE(stale->isVisibleTo(form.get()));
    click(QStringLiteral("RadioButton2"));
    EXPECT_TRUE(stale->isVisibleTo(form.get()));
    click(QStringLiteral("Button34"));
    EXPECT_FALSE(stale->isVisibleTo(form.get()));
    EXPECT_EQ(find<QLabel>(QStringLiteral("Label124"))->text(), QStringLiteral("1")); // HF = HC

    // A new project has no results to be out of date.
    retype(QStringLiteral("Edit8"), QStringLiteral("31"));
    EXPECT_TRUE(stale->isVisibleTo(form.get()));
    form->NewProject1->trigger();
    click(QStringLiteral("Button26")); // go without saving
    click(QStringLiteral("ColdClimateBtn"));
    EXPECT_FALSE(stale->isVisibleTo(form.get()));
}
