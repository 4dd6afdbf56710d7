// The designer's main window: menus, tool bar, tool box, property bar, rulers, canvas, scroll
// bars and status bar, and the life of the open document (new, open, save, print, exit). Every
// question and message goes through Dialogs.
#pragma once

#include "editor/app/BatchWindow.h"
#include "editor/app/Dialogs.h"
#include "editor/core/Tool.h"
#include "editor/core/UndoHistory.h"

#include <QMainWindow>
#include <QPointF>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;
class QSlider;

namespace tav::editor {

class PageView;
class PropertyTabs;
class Ruler;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 1200;
    static constexpr int kMinimumHeight = 700;

    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the file named by the program's arguments, joined with blanks and trimmed. False
    // when the program must end (the file is missing or cannot be opened; the user was told).
    bool openFromArguments(const QStringList& arguments);

    // The menu commands.
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
    void undo();
    void redo();
    void help();
    void about();
    void importLab();
    void installFonts();
    // Installs the fonts of these folders into `target` (installFonts: the program's Fonts
    // folders into the user's font folder).
    void installFontsFrom(const std::vector<std::string>& folders, const std::string& target);
    void associate();
    // The Edit menu's element commands; each acts on the selected element.
    void deleteSelection();
    void duplicateSelection();
    void centreHorizontally();
    void centreVertically();
    void raiseSelection();
    void lowerSelection();

    // The pressed button of the tool box.
    Tool currentTool() const;
    void selectTool(Tool tool);
    QMenu* editMenu() const { return m_editMenu; }
    // The text of status bar part 1, 2 or 3 (index 0..2).
    QString statusText(int part) const;

    const QString& currentPath() const { return m_currentPath; }
    UndoHistory& history() { return m_history; }
    PageView& pageView() { return *m_view; }
    PropertyTabs& propertyTabs() { return *m_tabs; }
    // Shows property tab `tab` (0: the page, else the element kind) filled from the document.
    void refreshPanels(int tab);
    // The tab of the selected element (the page tab when nothing is selected).
    void refreshPanels();
    // Sets the zoom as the slider does (1..20 = 10 %..200 %).
    void setZoomStep(int step);
    // Scrolls the canvas to show this content pixel at its top-left corner.
    void scrollTo(QPoint contentPixel);

signals:
    // The user confirmed the exit question: the program ends with this code.
    void finished(int exitCode);
    // A progress text was shown in the caption (font installation).
    void captionShown(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    QWidget* buildToolBox();
    QWidget* buildPropertyBar();
    QWidget* buildCanvasArea();
    void buildStatusBar();

    bool loadInto(const QString& path);
    bool saveTo(const QString& path);
    void setCaption();
    void documentReplaced();
    // The panels and the zoom as the current snapshot has them (after undo, redo, open).
    void showCurrentSnapshot();
    void showZoomOf(const EditorDocument& document);
    void layoutCanvas();
    void redraw();
    void pointerMoved(QPoint contentPixel);

    // The canvas: pointer and keys (positions in tenths of a millimetre).
    void canvasPressed(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void canvasMoved(QPointF at, Qt::MouseButtons buttons);
    void canvasReleased(QPointF at, Qt::MouseButton button);
    void canvasKey(int key, Qt::KeyboardModifiers modifiers);
    void createWithTool(Tool tool, QPointF at);
    // After an edit of the document: redraw, one history step, panels and status bar.
    void finishEdit();
    void showSelectionBox();
    // Scrolls the canvas as little as needed to show these content pixels (their start first
    // when they do not fit) / the selected element with its handle.
    void keepInView(QRect contentPixels);
    void keepSelectionInView();

    Dialogs& m_dialogs;
    UndoHistory m_history;
    QString m_currentPath;

    QAction* m_newAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_saveAsAction = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_previewAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_centreHAction = nullptr;
    QAction* m_centreVAction = nullptr;
    QAction* m_raiseAction = nullptr;
    QAction* m_lowerAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_duplicateAction = nullptr;
    QMenu* m_editMenu = nullptr;

    // A gesture of the left button on the canvas, from press to release.
    struct Drag {
        bool held = false;
        bool resizing = false;
        QPointF grab;               // pointer minus the selected element's corner
        QPointF bandStart, bandEnd; // the rubber band, while nothing is selected
    };
    Drag m_drag;

    QButtonGroup* m_tools = nullptr;
    PropertyTabs* m_tabs = nullptr;
    QComboBox* m_printerCombo = nullptr;
    QComboBox* m_zoomCombo = nullptr;
    QSlider* m_zoomSlider = nullptr;
    PageView* m_view = nullptr;
    Ruler* m_topRuler = nullptr;
    Ruler* m_leftRuler = nullptr;
    QScrollBar* m_horizontal = nullptr;
    QScrollBar* m_vertical = nullptr;
    QLabel* m_status[3] = {nullptr, nullptr, nullptr};
};

} // namespace tav::editor
