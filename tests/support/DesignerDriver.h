// Driving the designer's window as a user does, for the window tests and benchmarks: the
// pointer and keys on the canvas (at content pixels, the drawing area's pixels at the current
// zoom with the scroll included, or at millimetres on the page), the tool box, and typing into
// the property bar's fields.
#pragma once

#include "editor/app/MainWindow.h"
#include "editor/app/PageView.h"
#include "editor/app/PropertyTabs.h"
#include "editor/core/EditSession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QString>
#include <QTest>

#include <functional>

namespace tav::editor::test {

// Selects all of the field, clears it, types the text (Chinese through the input method, as an
// input method commits it) and, when asked, Enter.
inline void typeInto(QLineEdit* edit, const QString& text, bool enter = true) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            QInputMethodEvent compose;
            compose.setCommitString(QString(c));
            QApplication::sendEvent(edit, &compose);
        }
    }
    if (enter)
        QTest::keyClick(edit, Qt::Key_Return);
}

class DesignerDriver {
public:
    explicit DesignerDriver(MainWindow& window) : m_window(window) {}

    PageView& view() { return m_window.pageView(); }
    const EditorDocument& document() { return m_window.session().document(); }
    // A change made as if the document had always held it: one edit of the session.
    void edit(const std::function<void(EditorDocument&)>& change) {
        m_window.session().edit(change);
    }

    // The selection is no change of the template, and no history step.
    void select(std::int32_t index) {
        m_window.session().adjust([index](EditorDocument& d) { d.select(index); });
    }
    void selectNothing() {
        m_window.session().adjust([](EditorDocument& d) { d.selectNothing(); });
    }

    // The content pixel of a position on the page in millimetres, at the current zoom.
    QPoint pixelAtMm(double xMm, double yMm) {
        const double s = view().pixelsPerUnit() * 10.0;
        return {static_cast<int>(xMm * s), static_cast<int>(yMm * s)};
    }
    // The view position of a content pixel.
    QPoint at(QPoint content) { return content - view().scroll(); }

    void press(QPoint content, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(&view(), button, modifiers, at(content));
    }
    void moveTo(QPoint content, Qt::MouseButtons buttons = Qt::LeftButton) {
        const QPointF local = at(content);
        QMouseEvent move(QEvent::MouseMove, local, view().mapToGlobal(local), Qt::NoButton, buttons,
                         Qt::NoModifier);
        QApplication::sendEvent(&view(), &move);
    }
    void release(QPoint content, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(&view(), button, Qt::NoModifier, at(content));
    }
    void click(QPoint content) { QTest::mouseClick(&view(), Qt::LeftButton, {}, at(content)); }
    // Button down at `from`, `moves` pointer moves in even steps to `to`, button up there.
    void drag(QPoint from, QPoint to, int moves = 4, Qt::KeyboardModifiers modifiers = {}) {
        press(from, modifiers);
        for (int i = 1; i <= moves; ++i)
            moveTo(from + (to - from) * i / moves);
        release(to);
    }
    void pressAtMm(double xMm, double yMm) { press(pixelAtMm(xMm, yMm)); }
    void dragMm(QPointF fromMm, QPointF toMm, int moves = 4) {
        drag(pixelAtMm(fromMm.x(), fromMm.y()), pixelAtMm(toMm.x(), toMm.y()), moves);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&view(), static_cast<Qt::Key>(key), modifiers);
    }

    // Types into the field `name` of the tab the property bar shows.
    QLineEdit* field(const QString& name) {
        return m_window.propertyTabs().currentWidget()->findChild<QLineEdit*>(name);
    }
    QLineEdit* field(int tab, const QString& name) {
        return m_window.propertyTabs().widget(tab)->findChild<QLineEdit*>(name);
    }

private:
    MainWindow& m_window;
};

} // namespace tav::editor::test
