// taveditor: the label designer. Opens the file its arguments name, if any.
#include "editor/app/QtDialogs.h"
#include "editor/app/RunDesigner.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAVEditor"));
    tav::editor::QtDialogs dialogs;
    return tav::editor::runDesigner(dialogs, QApplication::arguments().mid(1));
}
