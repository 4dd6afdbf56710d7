// The File, 批量 and Help menus' commands and the life of the open document: new, open, save,
// save as, print, print preview and setup, the batch window, .lab import, font installation,
// the .tav association, help and about, and the exit question. Every question and message goes
// through Dialogs; every change of the document through the edit session.
#pragma once

#include "editor/app/BatchWindow.h"
#include "editor/app/Dialogs.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QMainWindow;

namespace tav::editor {

class EditSession;

// What the commands need of the window around them.
struct DocumentHooks {
    // Another document is shown: panels of the page tab, its zoom, the canvas laid out anew.
    std::function<void()> documentReplaced;
    // The document changed in place (an import): the panels of the selection and the canvas.
    std::function<void()> edited;
    std::function<void()> redraw;
    // The zoom step of the canvas, which the print preview starts with.
    std::function<int()> zoomStep;
};

class DocumentCommands : public QObject {
    Q_OBJECT
public:
    DocumentCommands(EditSession& session, Dialogs& dialogs, QMainWindow& window,
                     DocumentHooks hooks);

    // Opens the file named by the program's arguments, joined with blanks and trimmed. False
    // when the program must end (the file is missing or cannot be opened; the user was told).
    bool openFromArguments(const QStringList& arguments);
    const QString& currentPath() const { return m_currentPath; }

    void newDocument();
    void openDocument();
    void save();
    void saveAs();
    void print();
    void printPreview();
    void printSetup();
    // The three 批量 items: the document goes to a new scratch file, which the batch window
    // prints from (modally) and deletes when it closes.
    void openBatch(BatchSource source);
    void exitProgram();
    void help();
    void about();
    void importLab();
    void installFonts();
    // Installs the fonts of these folders into `target` (installFonts: the program's Fonts
    // folders into the user's font folder).
    void installFontsFrom(const std::vector<std::string>& folders, const std::string& target);
    void associate();
    // The window caption for the current path.
    void setCaption();

signals:
    // The user confirmed the exit question: the program ends with this code.
    void finished(int exitCode);
    // A progress text was shown in the caption (font installation).
    void captionShown(const QString& text);

private:
    bool loadInto(const QString& path);
    bool saveTo(const QString& path);
    // The session's document is now the one at `path` (empty: untitled): caption and window.
    void showAs(const QString& path);

    EditSession& m_session;
    Dialogs& m_dialogs;
    QMainWindow& m_window;
    DocumentHooks m_hooks;
    QString m_currentPath;
};

} // namespace tav::editor
