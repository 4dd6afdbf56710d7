#include "editor/app/PropertyTabs.h"

#include "editor/app/UiTexts.h"
#include "editor/core/EditorTexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <vector>

namespace tav::editor {

namespace {

enum class Field { Millimetres, Integer, Text, Colour, Angle, Font, PictureButton };

struct FieldLayout {
    const char* caption;
    Field field;
};

struct TabLayout {
    const char* title;
    std::vector<FieldLayout> fields;
};

const std::vector<FieldLayout> kBox = {{"左边", Field::Millimetres},
                                       {"顶边", Field::Millimetres},
                                       {"宽度", Field::Millimetres},
                                       {"高度", Field::Millimetres}};

std::vector<FieldLayout> boxAnd(std::vector<FieldLayout> more) {
    std::vector<FieldLayout> all = kBox;
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

// Tabs 1..13, in kind order.
std::vector<TabLayout> elementTabs() {
    const FieldLayout pen{"线宽", Field::Integer}, colour{"颜色", Field::Colour},
        fill{"填充色", Field::Colour}, angle{"角度", Field::Angle}, content{"内容", Field::Text},
        mark{"标记", Field::Text};
    return {
        {"空矩", boxAnd({pen, colour})},
        {"实矩", boxAnd({pen, colour, fill})},
        {"圆角", boxAnd({pen, colour, fill, {"圆角", Field::Integer}})},
        {"空圆", boxAnd({pen, colour})},
        {"实圆", boxAnd({pen, colour, fill})},
        {"横线", {kBox[0], kBox[1], kBox[2], pen, colour}},
        {"竖线", {kBox[0], kBox[1], kBox[3], pen, colour}},
        {"左斜", boxAnd({pen, colour})},
        {"右斜", boxAnd({pen, colour})},
        {"条码", boxAnd({angle, content, mark})},
        {"维码", boxAnd({angle, content, mark, {"大小", Field::Integer}})},
        {"图像", boxAnd({angle, {"换图", Field::PictureButton}, mark})},
        {"文本", {kBox[0], kBox[1], content, mark, {"字体", Field::Font}, angle, colour}},
    };
}

QWidget* fieldWidget(const FieldLayout& setup, QWidget* parent) {
    switch (setup.field) {
    case Field::Millimetres: {
        auto* row = new QWidget(parent);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QLineEdit(row));
        layout->addWidget(new QLabel(texts::kUnitMm, row));
        return row;
    }
    case Field::Colour: {
        auto* button = new QPushButton(parent);
        button->setFixedWidth(60);
        return button;
    }
    case Field::Angle: {
        auto* combo = new QComboBox(parent);
        combo->addItems({"0", "90", "180", "270"});
        return combo;
    }
    case Field::Font: {
        auto* row = new QWidget(parent);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* name = new QLineEdit(row);
        name->setReadOnly(true);
        layout->addWidget(name);
        layout->addWidget(new QPushButton(QStringLiteral("选择"), row));
        return row;
    }
    case Field::PictureButton:
        return new QPushButton(QString::fromUtf8(setup.caption), parent);
    case Field::Integer:
    case Field::Text:
        break;
    }
    return new QLineEdit(parent);
}

QWidget* pageTab(QWidget* parent, PageTabControls& page) {
    auto* tab = new QWidget(parent);
    auto* form = new QFormLayout(tab);
    form->addRow(new QLabel(texts::kUnitLabel, tab));
    for (const char* caption : {"宽度", "高度"}) {
        auto* row = new QWidget(tab);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* edit = new QLineEdit(row);
        edit->setObjectName(QString::fromUtf8(caption) == QStringLiteral("宽度")
                                ? QStringLiteral("纸张宽度")
                                : QStringLiteral("纸张高度"));
        layout->addWidget(edit);
        layout->addWidget(new QLabel(texts::kUnitMm, row));
        form->addRow(QString::fromUtf8(caption), row);
    }
    auto* orientation = new QComboBox(tab);
    orientation->setObjectName(QStringLiteral("纸张方向"));
    orientation->addItems({QStringLiteral("横向"), QStringLiteral("纵向")});
    form->addRow(QStringLiteral("方向"), orientation);
    auto* colour = new QPushButton(tab);
    colour->setObjectName(QStringLiteral("纸张颜色"));
    colour->setFixedWidth(60);
    form->addRow(QStringLiteral("颜色"), colour);
    page.printer = new QComboBox(tab);
    page.printer->setObjectName(QStringLiteral("打印机名称"));
    form->addRow(QStringLiteral("打印机"), page.printer);

    auto* zoomRow = new QWidget(tab);
    auto* zoomLayout = new QHBoxLayout(zoomRow);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    page.zoomSlider = new QSlider(Qt::Horizontal, zoomRow);
    page.zoomSlider->setObjectName(QStringLiteral("滑块条1"));
    page.zoomSlider->setRange(1, kZoomChoices);
    page.zoomSlider->setValue(10);
    page.zoom = new QComboBox(zoomRow);
    page.zoom->setObjectName(QStringLiteral("组合框5"));
    for (int i = 0; i < kZoomChoices; ++i)
        page.zoom->addItem(QString::fromStdString(zoomChoiceText(i)));
    page.zoom->setCurrentIndex(9);
    zoomLayout->addWidget(page.zoomSlider, 1);
    zoomLayout->addWidget(page.zoom);
    form->addRow(QStringLiteral("缩放"), zoomRow);
    auto* scale = new QLineEdit(tab);
    scale->setObjectName(QStringLiteral("打印比例"));
    form->addRow(QStringLiteral("比例"), scale);
    return tab;
}

} // namespace

QTabWidget* buildPropertyTabs(QWidget* parent, PageTabControls& page) {
    auto* tabs = new QTabWidget(parent);
    tabs->setObjectName(QStringLiteral("属性夹"));
    tabs->setUsesScrollButtons(true);
    tabs->addTab(pageTab(tabs, page), QStringLiteral("纸张"));
    for (const TabLayout& setup : elementTabs()) {
        auto* tab = new QWidget(tabs);
        auto* form = new QFormLayout(tab);
        form->addRow(new QLabel(texts::kUnitLabel, tab));
        for (const FieldLayout& field : setup.fields) {
            const QString caption =
                field.field == Field::PictureButton ? QString() : QString::fromUtf8(field.caption);
            form->addRow(caption, fieldWidget(field, tab));
        }
        tabs->addTab(tab, QString::fromUtf8(setup.title));
    }
    return tabs;
}

} // namespace tav::editor
