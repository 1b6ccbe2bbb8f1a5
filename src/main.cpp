// Purpose: the entry point: the application object, the main window, the message loop.
#include "shell/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORVU"));

    orvu::TForm1 mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
