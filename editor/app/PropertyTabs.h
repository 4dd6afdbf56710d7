// The property bar's tabs: the page (tab 0) and one tab per element kind, with their labelled
// fields. The page tab's printer and zoom controls are handed back to the window.
#pragma once

class QComboBox;
class QSlider;
class QTabWidget;
class QWidget;

namespace tav::editor {

struct PageTabControls {
    QComboBox* printer = nullptr;  // 打印机名称
    QComboBox* zoom = nullptr;     // 组合框5: "10%" .. "200%"
    QSlider* zoomSlider = nullptr; // 滑块条1: 1 .. 20
};

// The tab control 属性夹 with its 14 tabs; the tab index is the element kind (0: the page).
QTabWidget* buildPropertyTabs(QWidget* parent, PageTabControls& page);

} // namespace tav::editor
