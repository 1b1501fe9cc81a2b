#pragma once

#include "scripted_dialogs.h"

#include "model/model_state.h"
#include "support/project_records.h"
#include "support/temp_dir.h"
#include "ui/grid_model.h"
#include "ui/tform1.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace carexa::testing_support {

/// A shown, active main window over a new project, with scripted dialogs and a start
/// sequence that does not wait. Controls are found by their object names.
class WindowTest : public testing::Test
{
protected:
    WindowTest();
    ~WindowTest() override;

    template <typename T = QWidget> T *find(const QString &name)
    {
        T *widget = form->findChild<T *>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit *edit(const QString &name) { return find<QLineEdit>(name); }

    /// Lets the start sequence finish (the climate buttons appear).
    void finishStart();
    /// Chooses the cold climate on the start picture.
    void chooseCold();
    void click(const QString &name);
    /// Puts the focus into a field and types, as a user does.
    void type(const QString &name, const QString &text);
    /// Empties a field and types.
    void retype(const QString &name, const QString &text);
    /// Moves the focus on to another control of the window, so the field's exit handler runs.
    void leave();
    /// Calculates the example design (10 x 30 x 0.6 m, constructed) on the Design screen.
    void calculateExampleDesign();
    /// Cold climate, the example design, then on to the Forcing Functions screen.
    void openForcingScreen();
    /// ... and on through the Initial values and Parameters screens to the Simulate screen.
    void openSimulateScreen();

    /// The window's project's records, for reading them and for setting up what no control
    /// writes (ProjectRecordsForTesting).
    ModelState &records() { return ProjectRecordsForTesting::of(form->project()); }

    ScriptedDialogs dialogs;
    int programEnds = 0; ///< how often the window ended the program
    TempDir recoveryDir; ///< where the window keeps its recovery copy
    std::unique_ptr<TForm1> form;
};

} // namespace carexa::testing_support
