#include "editor/app/RunDesigner.h"

#include "editor/app/MainWindow.h"

#include <QApplication>

namespace tav::editor {

int runDesigner(Dialogs& dialogs, const QStringList& arguments) {
    MainWindow window(dialogs);
    if (!window.commands().openFromArguments(arguments))
        return 0;
    QObject::connect(&window, &MainWindow::finished, qApp, &QApplication::exit);
    window.show();
    return QApplication::exec();
}

} // namespace tav::editor
