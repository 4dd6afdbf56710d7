// Typing into the designer's fields as a user does, for the window tests.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QString>
#include <QTest>

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

} // namespace tav::editor::test
