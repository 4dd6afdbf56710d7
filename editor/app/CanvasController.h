// The canvas's pointer, keys and the Edit menu's element commands. A gesture of the left button
// is decided when the button goes down (moving the selected element, resizing it at its handle,
// or a rubber band when nothing is selected) and held until it is released; its moves are one
// history step, taken at the release when they changed the template. Every change goes through
// the edit session; the controller draws the marks (selection, handle, band) on the view.
#pragma once

#include "editor/app/Dialogs.h"
#include "editor/core/Tool.h"

#include <QObject>
#include <QPointF>
#include <QRect>

#include <functional>

class QWidget;

namespace tav::editor {

class EditorDocument;
class EditSession;
class PageView;

// What the controller needs of the window around the canvas.
struct CanvasHooks {
    std::function<Tool()> currentTool;
    std::function<void(Tool)> selectTool;
    // The property tab of the selection, filled from the document.
    std::function<void()> refreshPanels;
    // Status bar part 3: the selected element's box.
    std::function<void()> showSelectionBox;
    std::function<void(int dx, int dy)> scrollBy;
    // Right click on a selected element: the Edit menu at this global position.
    std::function<void(QPoint global)> popupEditMenu;
};

class CanvasController : public QObject {
    Q_OBJECT
public:
    enum class Gesture { Idle, Moving, Resizing, RubberBand };

    CanvasController(EditSession& session, Dialogs& dialogs, PageView& view, QWidget* dialogParent,
                     CanvasHooks hooks);

    Gesture gesture() const { return m_gesture; }

    // The pointer and keys (positions in tenths of a millimetre), as the view reports them.
    void pressed(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void moved(QPointF at, Qt::MouseButtons buttons);
    void released(QPointF at, Qt::MouseButton button);
    void key(int key, Qt::KeyboardModifiers modifiers);

    // The Edit menu's element commands; each acts on the selected element.
    void deleteSelection();
    void duplicateSelection();
    void centerHorizontally();
    void centerVertically();
    void raiseSelection();
    void lowerSelection();

    // Shows the session's current document with its marks.
    void redraw();
    // Undo, redo, new and open replace the document: a gesture in progress ends without a step.
    void cancelGesture();

private:
    void createWithTool(Tool tool, QPointF at);
    // After an edit: redraw, then the panels and the status bar (the step is the session's).
    void edited();
    // An Edit menu command on the selected element: nothing without a selection.
    void editSelected(const std::function<void(EditorDocument&)>& change);
    // Scrolls the canvas as little as needed to show these content pixels (their start first
    // when they do not fit) / the selected element with its handle.
    void keepInView(QRect contentPixels);
    void keepSelectionInView();
    QPoint contentPixel(QPointF at) const;

    EditSession& m_session;
    Dialogs& m_dialogs;
    PageView& m_view;
    QWidget* m_dialogParent;
    CanvasHooks m_hooks;

    Gesture m_gesture = Gesture::Idle;
    QPointF m_grab;                 // pointer minus the selected element's corner (moving)
    QPointF m_bandStart, m_bandEnd; // the rubber band
};

} // namespace tav::editor
