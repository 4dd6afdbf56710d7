// Everything the designer asks of the user or hands to the desktop goes through this interface:
// message boxes, the input box, the file, font, color and printer setup dialogs, and opening a
// document in the desktop's viewer. The program uses QtDialogs; tests answer from a script, so
// no test ever waits in a modal loop.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace tav::editor {

// A file dialog: its title, the name it proposes, the filter ("tav文件(*.tav)") and the extension
// added to a name typed without one.
struct FileDialogSetup {
    QString title;
    QString defaultName;
    QString filter;
    QString defaultSuffix;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A question with Yes and No; true only for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void error(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    // An integer input box; nothing when cancelled.
    virtual std::optional<int> integer(QWidget* parent, const QString& title, const QString& prompt,
                                       int initial) = 0;
    // The chosen path; nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const FileDialogSetup& setup) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const FileDialogSetup& setup) = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    virtual std::optional<QColor> color(QWidget* parent, const QColor& initial) = 0;
    // The system's printer setup; its result is not used.
    virtual void printerSetup(QWidget* parent) = 0;
    // Opens a document with the desktop's default application; false when that failed.
    virtual bool openWithDesktop(const QString& path) = 0;
};

} // namespace tav::editor
