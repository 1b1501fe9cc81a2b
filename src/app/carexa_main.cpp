#include "model/model_state.h"
#include "ui/tform1.h"
#include "ui/user_dialogs.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("carexa"));

    // The model state exists before the window and outlives it.
    carexa::ModelState state;
    carexa::QtUserDialogs dialogs;
    carexa::TForm1 window(state, dialogs);
    window.show();
    return QApplication::exec();
}
