#include "window_fixture.h"

#include <QApplication>
#include <QRadioButton>

#include "ui/window_settings.h"

namespace carexa::testing_support {

WindowTest::WindowTest()
{
    RecentProjects().clear(); // every test starts with an empty list
    ForgetWindowSettings(); // no folder and no size of an earlier test
    TForm1::Options options;
    options.startPictureDelayMs = 0;
    options.exitProgram = [this] { ++programEnds; };
    options.recoveryFolder = QString::fromStdString(recoveryDir.path().string());
    form = std::make_unique<TForm1>(dialogs, options);
    form->show();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

WindowTest::~WindowTest() = default;

void WindowTest::finishStart()
{
    QTRY_VERIFY(find<QPushButton>(QStringLiteral("ColdClimateBtn"))->isVisible());
}

void WindowTest::chooseCold()
{
    finishStart();
    click(QStringLiteral("ColdClimateBtn"));
}

void WindowTest::click(const QString &name)
{
    QWidget *widget = find(name);
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(widget->isVisible()) << name.toStdString();
    QTest::mouseClick(widget, Qt::LeftButton);
}

void WindowTest::type(const QString &name, const QString &text)
{
    QLineEdit *field = edit(name);
    ASSERT_NE(field, nullptr);
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(field, text);
}

void WindowTest::retype(const QString &name, const QString &text)
{
    QLineEdit *field = edit(name);
    ASSERT_NE(field, nullptr);
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void WindowTest::leave()
{
    // A focusable control outside every field: the menu-less central area takes no focus, so
    // use a button of the screen being shown.
    QWidget *focus = QApplication::focusWidget();
    QWidget *target = nullptr;
    for (QPushButton *button : form->findChildren<QPushButton *>()) {
        if (button->isVisible() && button != focus) {
            target = button;
            break;
        }
    }
    ASSERT_NE(target, nullptr);
    target->setFocus(Qt::TabFocusReason);
}

void WindowTest::calculateExampleDesign()
{
    const std::pair<const char *, const char *> inputs[]
        = {{"Edit7", "10"}, {"Edit8", "30"}, {"Edit9", "0.6"}, {"Edit6", "1"}, {"Edit10", "1"},
            {"Edit16", "1"}, {"Edit18", "1"}, {"Edit37", "6"}};
    for (const auto &[name, text] : inputs)
        retype(QString::fromLatin1(name), QString::fromLatin1(text));
    leave();
    click(QStringLiteral("RadioButton1"));
    click(QStringLiteral("Button34"));
}

void WindowTest::openForcingScreen()
{
    chooseCold();
    calculateExampleDesign();
    click(QStringLiteral("Button35"));
}

void WindowTest::openSimulateScreen()
{
    openForcingScreen();
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
}

} // namespace carexa::testing_support
