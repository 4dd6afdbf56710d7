// The property bar: the tab control 属性夹 with the page (tab 0) and one tab per element kind,
// each with its labelled controls. refresh() fills a tab from the document; a control the user
// changed applies its value to the document as one change and one history step.
//
// Typed values (lengths, integers, texts) take effect when the user presses Enter or leaves
// the field, never per keystroke: a history step per digit would bury the states worth undoing,
// and a barcode would be rebuilt for every character. Combos, colors, the font and the picture
// take effect when chosen.
#pragma once

#include "editor/app/Dialogs.h"

#include <QTabWidget>

#include <array>
#include <cstdint>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tav::editor {

class EditorDocument;
class EditSession;

struct PageTabControls {
    QComboBox* printer = nullptr;  // 打印机名称
    QComboBox* zoom = nullptr;     // 组合框5: "10%" .. "200%"
    QSlider* zoomSlider = nullptr; // 滑块条1: 1 .. 20
};

class PropertyTabs : public QTabWidget {
    Q_OBJECT
public:
    // The tab index is the element kind; 0 is the page.
    static constexpr int kTabCount = 14;

    PropertyTabs(EditSession& session, Dialogs& dialogs, QWidget* parent = nullptr);

    const PageTabControls& pageControls() const { return m_page; }
    // Switches to `tab` and fills its controls from the page (0) or from the selected element.
    // While filling, the panels are locked: the controls' change handlers do nothing.
    void refresh(int tab);
    bool panelsLocked() const { return m_locked; }

signals:
    // A control changed the document; the change is committed to the history.
    void documentChanged();

private:
    // The controls of one element tab; those the tab does not have stay null.
    struct ElementControls {
        QLineEdit* left = nullptr;
        QLineEdit* top = nullptr;
        QLineEdit* width = nullptr;
        QLineEdit* height = nullptr;
        QLineEdit* penWidth = nullptr;
        QPushButton* color = nullptr;
        QPushButton* fill = nullptr;
        QLineEdit* corner = nullptr;
        QComboBox* angle = nullptr;
        QLineEdit* content = nullptr;
        QLineEdit* mark = nullptr;
        QLineEdit* qrSize = nullptr;
        QLineEdit* fontName = nullptr;
        QPushButton* font = nullptr;
        QPushButton* picture = nullptr;
    };
    struct PageControls {
        QLineEdit* width = nullptr;
        QLineEdit* height = nullptr;
        QComboBox* orientation = nullptr;
        QPushButton* color = nullptr;
        QLineEdit* scale = nullptr;
    };

    QWidget* buildPageTab();
    QWidget* buildElementTab(int kind);
    void connectPage();
    void connectElement(int kind);
    void fillPage();
    void fillElement(int kind);

    // Runs `change` on the current document unless the panels are locked or (for an element
    // tab) the selected element is not of the tab's kind, as one edit of the session (a step
    // only when the document changed), and refreshes the tab so that it shows what was stored.
    void apply(int tab, const std::function<void(EditorDocument&)>& change);
    // A typed field's handler: runs once per edit (Enter or leaving the field after typing).
    void onTyped(QLineEdit* edit, int tab, const std::function<void(EditorDocument&)>& change);
    // A color field: the COLORREF the picker starts from, and where the chosen one goes.
    struct ColorField {
        std::function<std::int32_t(const EditorDocument&)> read;
        std::function<void(EditorDocument&, std::int32_t)> store;
    };
    void chooseColor(int tab, QPushButton* button, ColorField field);
    void chooseFont(int kind);
    void choosePicture(int kind);

    EditSession& m_session;
    Dialogs& m_dialogs;
    bool m_locked = false;
    PageTabControls m_page;
    PageControls m_paper;
    std::array<ElementControls, kTabCount> m_elements{};
};

} // namespace tav::editor
