// The designer's main window: menus, tool bar, tool box, property bar, rulers, canvas, scroll
// bars and status bar, built and wired to the edit session, the canvas controller (pointer, keys
// and the Edit menu's element commands) and the document commands (File, 批量 and Help menus).
#pragma once

#include "editor/app/CanvasController.h"
#include "editor/app/Dialogs.h"
#include "editor/app/DocumentCommands.h"
#include "editor/core/EditSession.h"
#include "editor/core/Tool.h"

#include <QMainWindow>
#include <QPointF>
#include <QStringList>

#include <memory>

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

    DocumentCommands& commands() { return *m_commands; }
    CanvasController& canvas() { return *m_canvas; }
    EditSession& session() { return m_session; }
    const QString& currentPath() const { return m_commands->currentPath(); }

    // The Edit menu's history commands.
    void undo();
    void redo();

    // The pressed button of the tool box.
    Tool currentTool() const;
    void selectTool(Tool tool);
    QMenu* editMenu() const { return m_editMenu; }
    // The text of status bar part 1, 2 or 3 (index 0..2).
    QString statusText(int part) const;

    PageView& pageView() { return *m_view; }
    PropertyTabs& propertyTabs() { return *m_tabs; }
    // Shows property tab `tab` (0: the page, else the element kind) filled from the document.
    void refreshPanels(int tab);
    // The tab of the selected element (the page tab when nothing is selected).
    void refreshPanels();
    // Sets the zoom as the slider does (kMinZoomStep..kMaxZoomStep = 10 %..200 %).
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

    void documentReplaced();
    // The panels and the zoom as the current snapshot has them (after undo, redo, open).
    void showCurrentSnapshot();
    // The slider, the combo box and the view at this step, without their change signals.
    void showZoomStep(int step);
    void layoutCanvas();
    void pointerMoved(QPoint contentPixel);
    void showSelectionBox();

    Dialogs& m_dialogs;
    EditSession m_session;
    // Built with the window, before the menus that trigger them.
    DocumentCommands* m_commands = nullptr;
    CanvasController* m_canvas = nullptr;

    QAction* m_newAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_saveAsAction = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_previewAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_centerHAction = nullptr;
    QAction* m_centerVAction = nullptr;
    QAction* m_raiseAction = nullptr;
    QAction* m_lowerAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_duplicateAction = nullptr;
    QMenu* m_editMenu = nullptr;

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
