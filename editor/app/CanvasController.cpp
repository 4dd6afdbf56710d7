#include "editor/app/CanvasController.h"

#include "editor/app/PageView.h"
#include "editor/app/UiTexts.h"
#include "editor/core/EditSession.h"
#include "platform/File.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

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

CanvasController::CanvasController(EditSession& session, Dialogs& dialogs, PageView& view,
                                   QWidget* dialogParent, CanvasHooks hooks)
    : QObject(dialogParent), m_session(session), m_dialogs(dialogs), m_view(view),
      m_dialogParent(dialogParent), m_hooks(std::move(hooks)) {}

QPoint CanvasController::contentPixel(QPointF at) const {
    const double s = m_view.pixelsPerUnit();
    return {static_cast<int>(at.x() * s), static_cast<int>(at.y() * s)};
}

void CanvasController::redraw() {
    const EditorDocument& document = m_session.document();
    CanvasMarks marks;
    if (document.hasSelection())
        marks.selected = document.box();
    for (std::int32_t index : document.multiSelection())
        marks.picked.push_back(document.element(index).box);
    if (m_gesture == Gesture::RubberBand && m_bandStart != m_bandEnd) {
        const double s = m_view.pixelsPerUnit();
        marks.rubberBand = QRectF(m_bandStart * s, m_bandEnd * s).normalized().toRect();
    }
    // The history may have moved to another snapshot: show the current one.
    m_view.setTemplate(&document.templ());
    m_view.setMarks(std::move(marks));
}

void CanvasController::edited() {
    redraw();
    m_hooks.refreshPanels();
    m_hooks.showSelectionBox();
}

void CanvasController::cancelGesture() {
    m_gesture = Gesture::Idle;
}

void CanvasController::keepInView(QRect contentPixels) {
    const QRect shown(m_view.scroll(), m_view.size());
    const auto shift = [](int first, int last, int shownFirst, int shownLast) {
        if (first < shownFirst)
            return first - shownFirst;
        if (last > shownLast)
            return std::min(last - shownLast, first - shownFirst); // the start stays in view
        return 0;
    };
    const int dx = shift(contentPixels.left(), contentPixels.right(), shown.left(), shown.right());
    const int dy = shift(contentPixels.top(), contentPixels.bottom(), shown.top(), shown.bottom());
    if (dx != 0 || dy != 0)
        m_hooks.scrollBy(dx, dy);
}

void CanvasController::keepSelectionInView() {
    const EditorDocument& document = m_session.document();
    if (!document.hasSelection())
        return;
    const int handle = kResizeHandlePixels + 1;
    keepInView(m_view.pixelBox(document.box()).adjusted(0, 0, handle, handle));
}

// --- tools ---

void CanvasController::createWithTool(Tool tool, QPointF at) {
    tpl::SharedBytes picture;
    if (tool == Tool(tpl::ElementKind::Picture)) {
        const auto chosen =
            m_dialogs.openFile(m_dialogParent, {texts::kPictureDialogTitle, QString(),
                                                texts::kPictureFilter, texts::kPictureSuffix});
        if (!chosen || chosen->isEmpty() || !QFileInfo(*chosen).isFile())
            return;
        std::vector<std::uint8_t> bytes;
        if (platform::readWholeFile(chosen->toStdString(), bytes) != platform::FileReadStatus::Read)
            return;
        picture = tpl::SharedBytes(std::move(bytes));
    }
    const bool created = m_session.edit([&](EditorDocument& document) {
        document.createWithTool(tool, wholeUnits(at.x()), wholeUnits(at.y()), std::move(picture));
    });
    if (!created)
        return;
    m_hooks.selectTool(Tool::Select);
    edited();
}

// --- pointer ---

void CanvasController::pressed(QPointF at, Qt::MouseButton button,
                               Qt::KeyboardModifiers modifiers) {
    if (button != Qt::LeftButton)
        return;
    const Tool tool = m_hooks.currentTool();
    if (tool != Tool::Select) {
        createWithTool(tool, at);
        return;
    }
    m_bandStart = m_bandEnd = at;
    const EditorDocument& document = m_session.document();
    if (document.hasSelection() &&
        document.hitResizeHandle(at.x(), at.y(), m_view.pixelsPerUnit())) {
        m_gesture = Gesture::Resizing;
    } else {
        if (modifiers & Qt::ShiftModifier) {
            m_session.adjust([&](EditorDocument& d) { d.addToMultiSelection(at.x(), at.y()); });
        } else {
            m_session.adjust([&](EditorDocument& d) {
                d.select(d.hitTest(at.x(), at.y()));
                d.clearMultiSelection();
            });
            m_hooks.refreshPanels();
            m_hooks.showSelectionBox();
        }
        m_gesture = document.hasSelection() ? Gesture::Moving : Gesture::RubberBand;
    }
    if (document.hasSelection())
        m_grab = at - QPointF(document.box().x, document.box().y);
    m_session.beginGesture();
    redraw();
}

void CanvasController::moved(QPointF at, Qt::MouseButtons buttons) {
    if (m_gesture == Gesture::Idle || !(buttons & Qt::LeftButton))
        return;
    if (m_gesture == Gesture::RubberBand) {
        m_bandEnd = at;
        redraw();
        return;
    }
    if (!m_session.document().hasSelection())
        return;
    // A gesture's moves are no history steps of their own: the release takes the one step.
    m_session.adjust([&](EditorDocument& document) {
        const tpl::ElementBox& box = document.box();
        if (m_gesture == Gesture::Resizing) {
            // Only right of and below the corner: the box never turns inside out.
            if (at.x() > box.x && at.y() > box.y)
                document.setBox(
                    {.width = wholeUnits(at.x() - box.x), .height = wholeUnits(at.y() - box.y)});
        } else {
            document.setBox(
                {.x = wholeUnits(at.x() - m_grab.x()), .y = wholeUnits(at.y() - m_grab.y())});
        }
    });
    redraw();
    m_hooks.showSelectionBox();
    // The pointer, not the whole box: scrolling for a box wider than the view would move the
    // page under a pointer that holds still.
    keepInView(QRect(contentPixel(at), QSize(1, 1)));
}

void CanvasController::released(QPointF at, Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        m_hooks.selectTool(Tool::Select);
        if (m_session.document().hasSelection())
            m_hooks.popupEditMenu(m_view.mapToGlobal(contentPixel(at) - m_view.scroll()));
        return;
    }
    if (button != Qt::LeftButton || m_gesture == Gesture::Idle)
        return;
    const Gesture gesture = std::exchange(m_gesture, Gesture::Idle);
    if (gesture == Gesture::RubberBand && m_bandStart != m_bandEnd)
        m_session.adjust([&](EditorDocument& d) {
            d.selectInRectangle(m_bandStart.x(), m_bandStart.y(), m_bandEnd.x(), m_bandEnd.y());
        });
    m_session.finishGesture();
    redraw();
    if (m_session.document().hasSelection()) {
        m_hooks.refreshPanels();
        m_hooks.showSelectionBox();
    }
}

// --- keys ---

void CanvasController::key(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Escape) {
        // A gesture in progress ends where it is: what it moved so far is its step.
        if (std::exchange(m_gesture, Gesture::Idle) != Gesture::Idle)
            m_session.finishGesture();
        m_session.adjust([](EditorDocument& d) { d.selectNothing(); });
        edited();
        return;
    }
    const auto direction = arrowDirection(key);
    if (!direction)
        return;
    const int steps = (modifiers & Qt::ShiftModifier) ? kShiftArrowSteps : 1;
    const EditorDocument& document = m_session.document();
    if (!document.hasSelection() && document.multiSelectionCount() == 0)
        return;
    // Each key press is a step of its own, also when the key repeats; none at the edge.
    m_session.edit([&](EditorDocument& d) {
        for (int i = 0; i < steps; ++i) {
            if (d.hasSelection())
                d.moveSelected(*direction);
            else
                d.moveMultiSelection(*direction);
        }
    });
    edited();
    keepSelectionInView();
}

// --- Edit menu ---

void CanvasController::deleteSelection() {
    if (!m_session.document().hasSelection() ||
        !m_dialogs.question(m_dialogParent, texts::kDeleteTitle, texts::kDeleteText))
        return;
    m_session.edit([](EditorDocument& d) { d.deleteSelected(); });
    edited();
}

void CanvasController::duplicateSelection() {
    editSelected([](EditorDocument& d) { d.duplicateSelected(); });
}

void CanvasController::centerHorizontally() {
    editSelected([](EditorDocument& d) { d.centerHorizontally(); });
}

void CanvasController::centerVertically() {
    editSelected([](EditorDocument& d) { d.centerVertically(); });
}

void CanvasController::editSelected(const std::function<void(EditorDocument&)>& change) {
    if (!m_session.document().hasSelection())
        return;
    m_session.edit(change);
    edited();
}

// At the top or the bottom of the list nothing moves, and no history step is taken.
void CanvasController::raiseSelection() {
    if (m_session.edit([](EditorDocument& d) { d.raiseSelected(); }))
        edited();
}

void CanvasController::lowerSelection() {
    if (m_session.edit([](EditorDocument& d) { d.lowerSelected(); }))
        edited();
}

} // namespace tav::editor
