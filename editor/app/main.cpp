// taveditor: the label designer. Opens the file its arguments name, if any.
#include "editor/app/MainWindow.h"
#include "editor/app/QtDialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAVEditor"));
    tav::editor::QtDialogs dialogs;
    tav::editor::MainWindow window(dialogs);
    if (!window.openFromArguments(QApplication::arguments().mid(1)))
        return 0;
    QObject::connect(&window, &tav::editor::MainWindow::finished, &app, &QApplication::exit);
    window.show();
    return QApplication::exec();
}
