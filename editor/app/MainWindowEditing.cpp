// The main window's editing of elements: the tool box, the pointer and keys on the canvas, and
// the Edit menu's element commands. Every change acts on the history's current document and
// ends with a redraw and one history step; a drag is one step, taken when the button is released.
#include "editor/app/MainWindow.h"

#include "editor/app/PageView.h"
#include "editor/app/UiTexts.h"
#include "editor/core/EditorTexts.h"
#include "platform/File.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>

#include <cmath>

namespace tav::editor {

namespace {

// A position on the page as whole tenths of a millimetre, toward zero; the tolerance keeps a
// pointer that lies exactly on a unit (say 15 pixels at 150 %) from falling one unit short.
std::int32_t wholeUnits(double units) {
    constexpr double kTolerance = 1e-7;
    return static_cast<std::int32_t>(std::trunc(units + (units >= 0 ? kTolerance : -kTolerance)));
}

std::optional<Direction> arrowDirection(int key) {
    switch (key) {
    case Qt::Key_Up:
        return Direction::Up;
    case Qt::Key_Down:
        return Direction::Down;
    case Qt::Key_Left:
        return Direction::Left;
    case Qt::Key_Right:
        return Direction::Right;
    default:
        return std::nullopt;
    }
}

// Shift+arrow moves by a millimetre.
constexpr int kShiftArrowSteps = 10;

} // namespace

Tool MainWindow::currentTool() const {
    return static_cast<Tool>(std::max(m_tools->checkedId(), 0));
}

void MainWindow::selectTool(Tool tool) {
    m_tools->button(static_cast<int>(tool))->setChecked(true);
}

QString MainWindow::statusText(int part) const {
    return m_status[std::clamp(part, 0, 2)]->text();
}

void MainWindow::showSelectionBox() {
    const EditorDocument& document = m_history.current();
    m_status[2]->setText(
        QString::fromStdString(document.hasSelection() ? boxText(document.box()) : emptyBoxText()));
}

void MainWindow::finishEdit() {
    redraw();
    m_history.commit();
    refreshPanels();
    showSelectionBox();
}

void MainWindow::keepInView(QRect contentPixels) {
    const QRect shown(m_view->scroll(), m_view->size());
    const auto shift = [](int first, int last, int shownFirst, int shownLast) {
        if (first < shownFirst)
            return first - shownFirst;
        if (last > shownLast)
            return std::min(last - shownLast, first - shownFirst); // the start stays in view
        return 0;
    };
    const int dx = shift(contentPixels.left(), contentPixels.right(), shown.left(), shown.right());
    const int dy = shift(contentPixels.top(), contentPixels.bottom(), shown.top(), shown.bottom());
    if (dx != 0)
        m_horizontal->setValue(m_horizontal->value() + dx);
    if (dy != 0)
        m_vertical->setValue(m_vertical->value() + dy);
}

void MainWindow::keepSelectionInView() {
    const EditorDocument& document = m_history.current();
    if (!document.hasSelection())
        return;
    const int handle = PageView::kHandlePixels + 1;
    keepInView(m_view->pixelBox(document.box()).adjusted(0, 0, handle, handle));
}

// --- tools ---

void MainWindow::createWithTool(Tool tool, QPointF at) {
    tpl::SharedBytes picture;
    if (tool == Tool::Picture) {
        const auto chosen =
            m_dialogs.openFile(this, {texts::kPictureDialogTitle, QString(), texts::kPictureFilter,
                                      texts::kPictureSuffix});
        if (!chosen || chosen->isEmpty() || !QFileInfo(*chosen).isFile())
            return;
        std::vector<std::uint8_t> bytes;
        if (platform::readWholeFile(chosen->toStdString(), bytes) != platform::FileReadStatus::Read)
            return;
        picture = tpl::SharedBytes(std::move(bytes));
    }
    EditorDocument& document = m_history.current();
    if (document.createWithTool(tool, wholeUnits(at.x()), wholeUnits(at.y()), std::move(picture)) ==
        kPlaceholderIndex)
        return;
    selectTool(Tool::Select);
    finishEdit();
}

// --- pointer ---

void MainWindow::canvasPressed(QPointF at, Qt::MouseButton button,
                               Qt::KeyboardModifiers modifiers) {
    if (button != Qt::LeftButton)
        return;
    if (currentTool() != Tool::Select) {
        createWithTool(currentTool(), at);
        return;
    }
    EditorDocument& document = m_history.current();
    m_drag = {};
    m_drag.held = true;
    m_drag.bandStart = m_drag.bandEnd = at;
    if (document.hasSelection() &&
        document.hitResizeHandle(at.x(), at.y(), m_view->pixelsPerUnit())) {
        m_drag.resizing = true;
    } else if (modifiers & Qt::ShiftModifier) {
        document.addToMultiSelection(at.x(), at.y());
        redraw();
    } else {
        document.select(document.hitTest(at.x(), at.y()));
        document.clearMultiSelection();
        refreshPanels();
        showSelectionBox();
        redraw();
    }
    if (document.hasSelection())
        m_drag.grab = at - QPointF(document.box().x, document.box().y);
}

void MainWindow::canvasMoved(QPointF at, Qt::MouseButtons buttons) {
    if (!m_drag.held || !(buttons & Qt::LeftButton))
        return;
    EditorDocument& document = m_history.current();
    if (!document.hasSelection()) {
        m_drag.bandEnd = at;
        redraw();
        return;
    }
    const tpl::ElementBox& box = document.box();
    if (m_drag.resizing) {
        // Only right of and below the corner: the box never turns inside out.
        if (at.x() > box.x && at.y() > box.y)
            document.setBox(
                {.width = wholeUnits(at.x() - box.x), .height = wholeUnits(at.y() - box.y)});
    } else {
        document.setBox(
            {.x = wholeUnits(at.x() - m_drag.grab.x()), .y = wholeUnits(at.y() - m_drag.grab.y())});
    }
    // The history step comes with the release; the drawing follows every move.
    redraw();
    showSelectionBox();
    // The pointer, not the whole box: scrolling for a box wider than the view would move the
    // page under a pointer that holds still.
    const double s = m_view->pixelsPerUnit();
    keepInView(
        QRect(QPoint(static_cast<int>(at.x() * s), static_cast<int>(at.y() * s)), QSize(1, 1)));
}

void MainWindow::canvasReleased(QPointF at, Qt::MouseButton button) {
    EditorDocument& document = m_history.current();
    if (button == Qt::RightButton) {
        selectTool(Tool::Select);
        if (document.hasSelection()) {
            const double s = m_view->pixelsPerUnit();
            const QPoint pixel =
                QPoint(static_cast<int>(at.x() * s), static_cast<int>(at.y() * s)) -
                m_view->scroll();
            m_editMenu->popup(m_view->mapToGlobal(pixel));
        }
        return;
    }
    if (button != Qt::LeftButton || !m_drag.held)
        return;
    const Drag drag = m_drag;
    m_drag = {};
    if (!document.hasSelection() && drag.bandStart != drag.bandEnd)
        document.selectInRectangle(drag.bandStart.x(), drag.bandStart.y(), drag.bandEnd.x(),
                                   drag.bandEnd.y());
    redraw();
    if (document.hasSelection()) {
        m_history.commit();
        refreshPanels();
        showSelectionBox();
    }
}

// --- keys ---

void MainWindow::canvasKey(int key, Qt::KeyboardModifiers modifiers) {
    EditorDocument& document = m_history.current();
    if (key == Qt::Key_Escape) {
        document.selectNothing();
        refreshPanels();
        showSelectionBox();
        redraw();
        return;
    }
    const auto direction = arrowDirection(key);
    if (!direction)
        return;
    const int steps = (modifiers & Qt::ShiftModifier) ? kShiftArrowSteps : 1;
    if (document.hasSelection()) {
        for (int i = 0; i < steps; ++i)
            document.moveSelected(*direction);
    } else if (document.multiSelectionCount() > 0) {
        for (int i = 0; i < steps; ++i)
            document.moveMultiSelection(*direction);
    } else {
        return;
    }
    // Each key press is a step of its own, also when the key repeats.
    finishEdit();
    keepSelectionInView();
}

// --- Edit menu ---

void MainWindow::deleteSelection() {
    if (!m_history.current().hasSelection() ||
        !m_dialogs.question(this, texts::kDeleteTitle, texts::kDeleteText))
        return;
    m_history.current().deleteSelected();
    finishEdit();
}

void MainWindow::duplicateSelection() {
    if (!m_history.current().hasSelection())
        return;
    m_history.current().duplicateSelected();
    finishEdit();
}

void MainWindow::centreHorizontally() {
    if (!m_history.current().hasSelection())
        return;
    m_history.current().centerHorizontally();
    finishEdit();
}

void MainWindow::centreVertically() {
    if (!m_history.current().hasSelection())
        return;
    m_history.current().centerVertically();
    finishEdit();
}

// At the top or the bottom of the list nothing moves, and no history step is taken.
void MainWindow::raiseSelection() {
    if (m_history.current().raiseSelected())
        finishEdit();
}

void MainWindow::lowerSelection() {
    if (m_history.current().lowerSelected())
        finishEdit();
}

} // namespace tav::editor
