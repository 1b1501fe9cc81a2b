// The design calculator through its screen.

#include "window_fixture.h"

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
    EXPECT_EQ(state.initial.get(BoxField::VO), 180);
    EXPECT_EQ(state.initial.get(BoxField::PF), 1);
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
    EXPECT_EQ(state.initial.get(BoxField::VO), 0.0001);
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
    EXPECT_EQ(state.initial.get(BoxField::HF), 17);
}

} // namespace
