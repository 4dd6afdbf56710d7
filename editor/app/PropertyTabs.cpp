#include "editor/app/PropertyTabs.h"

#include "common/Color.h"
#include "editor/app/UiTexts.h"
#include "editor/core/EditSession.h"
#include "editor/core/EditorTexts.h"
#include "platform/Charset.h"
#include "platform/File.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <vector>

namespace tav::editor {

namespace {

using tpl::ElementKind;

enum class Role {
    Left,
    Top,
    Width,
    Height,
    PenWidth,
    Color,
    Fill,
    Corner,
    Angle,
    Content,
    Mark,
    QrSize,
    Font,
    Picture
};

struct TabLayout {
    const char* title;
    std::vector<Role> roles;
};

const char* caption(Role role) {
    switch (role) {
    case Role::Left:
        return "左边";
    case Role::Top:
        return "顶边";
    case Role::Width:
        return "宽度";
    case Role::Height:
        return "高度";
    case Role::PenWidth:
        return "线宽";
    case Role::Color:
        return "颜色";
    case Role::Fill:
        return "填充色";
    case Role::Corner:
        return "圆角";
    case Role::Angle:
        return "角度";
    case Role::Content:
        return "内容";
    case Role::Mark:
        return "标记";
    case Role::QrSize:
        return "大小";
    case Role::Font:
        return "字体";
    case Role::Picture:
        return "换图";
    }
    return "";
}

// Tabs 1..13, in kind order.
const std::vector<TabLayout>& elementTabs() {
    using R = Role;
    static const std::vector<TabLayout> tabs = {
        {"空矩", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color}},
        {"实矩", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color, R::Fill}},
        {"圆角", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color, R::Fill, R::Corner}},
        {"空圆", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color}},
        {"实圆", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color, R::Fill}},
        {"横线", {R::Left, R::Top, R::Width, R::PenWidth, R::Color}},
        {"竖线", {R::Left, R::Top, R::Height, R::PenWidth, R::Color}},
        {"左斜", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color}},
        {"右斜", {R::Left, R::Top, R::Width, R::Height, R::PenWidth, R::Color}},
        {"条码", {R::Left, R::Top, R::Width, R::Height, R::Angle, R::Content, R::Mark}},
        {"维码", {R::Left, R::Top, R::Width, R::Height, R::Angle, R::Content, R::Mark, R::QrSize}},
        {"图像", {R::Left, R::Top, R::Width, R::Height, R::Angle, R::Picture, R::Mark}},
        {"文本", {R::Left, R::Top, R::Content, R::Mark, R::Font, R::Angle, R::Color}},
    };
    return tabs;
}

// Colors are stored as COLORREF values (common/Color.h).
QColor toQColor(std::int32_t colorRef) {
    return QColor(redOf(colorRef), greenOf(colorRef), blueOf(colorRef));
}

std::int32_t toColorRef(const QColor& color) {
    return colorRefOf(static_cast<std::uint8_t>(color.red()),
                      static_cast<std::uint8_t>(color.green()),
                      static_cast<std::uint8_t>(color.blue()));
}

void showColor(QPushButton* button, std::int32_t colorRef) {
    button->setStyleSheet(QStringLiteral("background-color: %1;").arg(toQColor(colorRef).name()));
}

int angleIndex(std::int32_t angle) {
    return std::clamp(angle / 900, 0, 3);
}

QString fromGbk(const std::string& gbk) {
    return QString::fromStdString(platform::gbkToUtf8(gbk));
}

// A typed text as GBK; nothing when it holds a character GBK cannot, so that nothing is
// stored as '?' behind the user's back.
std::optional<std::string> toGbk(const QString& text) {
    return platform::utf8ToGbk(text.toStdString());
}

// A line edit with the "mm" label after it.
QWidget* millimetreRow(QLineEdit*& edit, const QString& name, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(row);
    edit->setObjectName(name);
    layout->addWidget(edit);
    layout->addWidget(new QLabel(texts::kUnitMm, row));
    return row;
}

QPushButton* colorButton(const QString& name, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedWidth(60);
    return button;
}

} // namespace

PropertyTabs::PropertyTabs(EditSession& session, Dialogs& dialogs, QWidget* parent)
    : QTabWidget(parent), m_session(session), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("属性夹"));
    setUsesScrollButtons(true);
    addTab(buildPageTab(), QStringLiteral("纸张"));
    connectPage();
    for (int kind = 1; kind < kTabCount; ++kind) {
        addTab(buildElementTab(kind), QString::fromUtf8(elementTabs()[kind - 1].title));
        connectElement(kind);
    }
}

// --- building ---

QWidget* PropertyTabs::buildPageTab() {
    auto* tab = new QWidget(this);
    auto* form = new QFormLayout(tab);
    form->addRow(new QLabel(texts::kUnitLabel, tab));
    form->addRow(QStringLiteral("宽度"),
                 millimetreRow(m_paper.width, QStringLiteral("纸张宽度"), tab));
    form->addRow(QStringLiteral("高度"),
                 millimetreRow(m_paper.height, QStringLiteral("纸张高度"), tab));
    m_paper.orientation = new QComboBox(tab);
    m_paper.orientation->setObjectName(QStringLiteral("纸张方向"));
    m_paper.orientation->addItems({QStringLiteral("横向"), QStringLiteral("纵向")});
    form->addRow(QStringLiteral("方向"), m_paper.orientation);
    m_paper.color = colorButton(QStringLiteral("纸张颜色"), tab);
    form->addRow(QStringLiteral("颜色"), m_paper.color);
    m_page.printer = new QComboBox(tab);
    m_page.printer->setObjectName(QStringLiteral("打印机名称"));
    form->addRow(QStringLiteral("打印机"), m_page.printer);

    auto* zoomRow = new QWidget(tab);
    auto* zoomLayout = new QHBoxLayout(zoomRow);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    m_page.zoomSlider = new QSlider(Qt::Horizontal, zoomRow);
    m_page.zoomSlider->setObjectName(QStringLiteral("滑块条1"));
    m_page.zoomSlider->setRange(kMinZoomStep, kMaxZoomStep);
    m_page.zoomSlider->setValue(10);
    m_page.zoom = new QComboBox(zoomRow);
    m_page.zoom->setObjectName(QStringLiteral("组合框5"));
    for (int i = 0; i < kZoomChoices; ++i)
        m_page.zoom->addItem(QString::fromStdString(zoomChoiceText(i)));
    m_page.zoom->setCurrentIndex(9);
    zoomLayout->addWidget(m_page.zoomSlider, 1);
    zoomLayout->addWidget(m_page.zoom);
    form->addRow(QStringLiteral("缩放"), zoomRow);
    m_paper.scale = new QLineEdit(tab);
    m_paper.scale->setObjectName(QStringLiteral("打印比例"));
    form->addRow(QStringLiteral("比例"), m_paper.scale);
    return tab;
}

QWidget* PropertyTabs::buildElementTab(int kind) {
    auto* tab = new QWidget(this);
    auto* form = new QFormLayout(tab);
    form->addRow(new QLabel(texts::kUnitLabel, tab));
    ElementControls& c = m_elements[static_cast<std::size_t>(kind)];
    for (Role role : elementTabs()[kind - 1].roles) {
        const QString name = QString::fromUtf8(caption(role));
        const auto lineEdit = [&](QLineEdit*& edit) {
            edit = new QLineEdit(tab);
            edit->setObjectName(name);
            form->addRow(name, edit);
        };
        switch (role) {
        case Role::Left:
            form->addRow(name, millimetreRow(c.left, name, tab));
            break;
        case Role::Top:
            form->addRow(name, millimetreRow(c.top, name, tab));
            break;
        case Role::Width:
            form->addRow(name, millimetreRow(c.width, name, tab));
            break;
        case Role::Height:
            form->addRow(name, millimetreRow(c.height, name, tab));
            break;
        case Role::PenWidth:
            lineEdit(c.penWidth);
            break;
        case Role::Corner:
            lineEdit(c.corner);
            break;
        case Role::Content:
            lineEdit(c.content);
            break;
        case Role::Mark:
            lineEdit(c.mark);
            break;
        case Role::QrSize:
            lineEdit(c.qrSize);
            break;
        case Role::Color:
            form->addRow(name, c.color = colorButton(name, tab));
            break;
        case Role::Fill:
            form->addRow(name, c.fill = colorButton(name, tab));
            break;
        case Role::Angle:
            c.angle = new QComboBox(tab);
            c.angle->setObjectName(name);
            c.angle->addItems({"0", "90", "180", "270"});
            form->addRow(name, c.angle);
            break;
        case Role::Font: {
            auto* row = new QWidget(tab);
            auto* layout = new QHBoxLayout(row);
            layout->setContentsMargins(0, 0, 0, 0);
            c.fontName = new QLineEdit(row);
            c.fontName->setObjectName(name);
            c.fontName->setReadOnly(true);
            c.font = new QPushButton(QStringLiteral("选择"), row);
            c.font->setObjectName(QStringLiteral("选择"));
            layout->addWidget(c.fontName, 1);
            layout->addWidget(c.font);
            form->addRow(name, row);
            break;
        }
        case Role::Picture:
            c.picture = new QPushButton(name, tab);
            c.picture->setObjectName(name);
            form->addRow(QString(), c.picture);
            break;
        }
    }
    return tab;
}

// --- applying what the user changed ---

void PropertyTabs::apply(int tab, const std::function<void(EditorDocument&)>& change) {
    if (m_locked)
        return;
    // A field left after the selection moved to an element of another kind is not applied to it.
    if (tab != 0 && m_session.document().selectedKind() != tab)
        return;
    if (!m_session.edit(change))
        return; // ignored values leave no history step
    refresh(tab);
    emit documentChanged();
}

void PropertyTabs::onTyped(QLineEdit* edit, int tab,
                           const std::function<void(EditorDocument&)>& change) {
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, tab, change] {
        // Enter and then leaving the field report the same edit twice; filling the panel
        // clears the flag, so only what the user typed is applied.
        if (m_locked || !edit->isModified())
            return;
        edit->setModified(false);
        apply(tab, change);
    });
}

void PropertyTabs::chooseColor(int tab, QPushButton* button, ColorField field) {
    connect(button, &QPushButton::clicked, this, [this, tab, field] {
        if (m_locked || (tab != 0 && m_session.document().selectedKind() != tab))
            return;
        const auto chosen = m_dialogs.color(this, toQColor(field.read(m_session.document())));
        if (!chosen)
            return;
        const std::int32_t colorRef = toColorRef(*chosen);
        apply(tab, [&](EditorDocument& d) { field.store(d, colorRef); });
    });
}

void PropertyTabs::connectPage() {
    const auto paperLength = [this](QLineEdit* edit, bool width) {
        onTyped(edit, 0, [this, edit, width](EditorDocument& d) {
            auto tenths = parsePaperLength(edit->text().toStdString());
            if (!tenths) {
                m_dialogs.error(this, texts::kInputErrorTitle, texts::kPaperLengthText);
                // The field shows 1 and the page takes it, so that field and page agree.
                edit->setText(QStringLiteral("1"));
                tenths = 10;
            }
            PageChange change;
            (width ? change.paperWidth : change.paperHeight) = *tenths;
            d.setPage(change);
        });
    };
    paperLength(m_paper.width, true);
    paperLength(m_paper.height, false);
    onTyped(m_paper.scale, 0, [this](EditorDocument& d) {
        const auto scale = parseInteger(m_paper.scale->text().toStdString());
        if (scale && *scale >= 0)
            d.setPage({.printScale = *scale});
    });
    connect(m_paper.orientation, &QComboBox::currentIndexChanged, this, [this](int index) {
        apply(0, [index](EditorDocument& d) { d.setPage({.orientation = index}); });
    });
    connect(m_page.printer, &QComboBox::currentIndexChanged, this, [this](int index) {
        const auto name = toGbk(m_page.printer->itemText(index));
        if (name)
            apply(0, [&](EditorDocument& d) { d.setPage({.printerName = *name}); });
    });
    chooseColor(0, m_paper.color,
                {[](const EditorDocument& d) { return d.page().paperColor; },
                 [](EditorDocument& d, std::int32_t c) { d.setPage({.paperColor = c}); }});
}

void PropertyTabs::connectElement(int kind) {
    const ElementControls& c = m_elements[static_cast<std::size_t>(kind)];
    const auto length = [this, kind](QLineEdit* edit,
                                     std::optional<std::int32_t> BoxChange::*field) {
        if (!edit)
            return;
        onTyped(edit, kind, [edit, field](EditorDocument& d) {
            if (const auto tenths = parseMillimetres(edit->text().toStdString())) {
                BoxChange change;
                change.*field = *tenths;
                d.setBox(change);
            }
        });
    };
    length(c.left, &BoxChange::x);
    length(c.top, &BoxChange::y);
    length(c.width, &BoxChange::width);
    length(c.height, &BoxChange::height);

    const auto integer = [this, kind](QLineEdit* edit, void (EditorDocument::*set)(std::int32_t)) {
        if (!edit)
            return;
        onTyped(edit, kind, [edit, set](EditorDocument& d) {
            if (const auto value = parseInteger(edit->text().toStdString()))
                (d.*set)(*value);
        });
    };
    integer(c.penWidth, &EditorDocument::setPenWidth);
    integer(c.corner, &EditorDocument::setCornerSize);
    integer(c.qrSize, &EditorDocument::setQrSize);

    const auto text = [this, kind](QLineEdit* edit,
                                   void (EditorDocument::*set)(const std::string&)) {
        if (!edit)
            return;
        onTyped(edit, kind, [edit, set](EditorDocument& d) {
            if (const auto gbk = toGbk(edit->text()))
                (d.*set)(*gbk);
        });
    };
    text(c.content, &EditorDocument::setContent);
    text(c.mark, &EditorDocument::setMark);

    const bool isText = kind == static_cast<int>(ElementKind::Text);
    if (c.color) {
        chooseColor(
            kind, c.color,
            {[isText](const EditorDocument& d) { return isText ? d.textColor() : d.penColor(); },
             [isText](EditorDocument& d, std::int32_t color) {
                 isText ? d.setTextColor(color) : d.setPenColor(color);
             }});
    }
    if (c.fill)
        chooseColor(kind, c.fill,
                    {[](const EditorDocument& d) { return d.fillColor(); },
                     [](EditorDocument& d, std::int32_t color) { d.setFillColor(color); }});
    if (c.angle) {
        connect(c.angle, &QComboBox::currentIndexChanged, this, [this, kind, isText](int index) {
            const std::int32_t angle = index * 900;
            apply(kind, [&](EditorDocument& d) {
                if (isText) {
                    tpl::ElementFont font = d.font();
                    font.angle = angle;
                    d.setFont(font);
                } else {
                    d.setRotation(angle);
                }
            });
        });
    }
    if (c.font)
        connect(c.font, &QPushButton::clicked, this, [this, kind] { chooseFont(kind); });
    if (c.picture)
        connect(c.picture, &QPushButton::clicked, this, [this, kind] { choosePicture(kind); });
}

void PropertyTabs::chooseFont(int kind) {
    if (m_locked || m_session.document().selectedKind() != kind)
        return;
    const tpl::ElementFont& current = m_session.document().font();
    QFont initial(fromGbk(current.faceName));
    initial.setPointSize(std::max(1, current.size));
    initial.setBold(current.bold);
    initial.setItalic(current.italic);
    initial.setUnderline(current.underline);
    initial.setStrikeOut(current.strikeout);
    const auto chosen = m_dialogs.font(this, initial);
    if (!chosen)
        return;
    const auto face = toGbk(chosen->family());
    if (!face)
        return;
    apply(kind, [&](EditorDocument& d) {
        tpl::ElementFont font = d.font(); // the angle is the 角度 control's
        font.faceName = *face;
        // A font chosen by pixel size has no point size: the size stays.
        if (chosen->pointSize() > 0)
            font.size = chosen->pointSize();
        font.bold = chosen->bold();
        font.italic = chosen->italic();
        font.underline = chosen->underline();
        font.strikeout = chosen->strikeOut();
        d.setFont(font);
    });
}

void PropertyTabs::choosePicture(int kind) {
    if (m_locked || m_session.document().selectedKind() != kind)
        return;
    const auto chosen = m_dialogs.openFile(this, {texts::kPictureDialogTitle, QString(),
                                                  texts::kPictureFilter, texts::kPictureSuffix});
    if (!chosen || chosen->isEmpty() || !QFileInfo::exists(*chosen))
        return;
    std::vector<std::uint8_t> bytes;
    if (platform::readWholeFile(chosen->toStdString(), bytes) != platform::FileReadStatus::Read)
        return;
    tpl::SharedBytes picture(std::move(bytes));
    apply(kind, [&](EditorDocument& d) { d.setPicture(picture); });
}

// --- filling ---

void PropertyTabs::refresh(int tab) {
    tab = std::clamp(tab, 0, kTabCount - 1);
    const bool wasLocked = m_locked;
    m_locked = true;
    setCurrentIndex(tab);
    if (tab == 0)
        fillPage();
    else
        fillElement(tab);
    m_locked = wasLocked;
}

void PropertyTabs::fillPage() {
    const tpl::PageSettings& page = m_session.document().page();
    m_paper.width->setText(QString::fromStdString(formatMillimetres(page.paperWidth)));
    m_paper.height->setText(QString::fromStdString(formatMillimetres(page.paperHeight)));
    m_paper.scale->setText(QString::number(page.printScale));
    m_paper.orientation->setCurrentIndex(page.orientation == 1 ? 1 : 0);
    showColor(m_paper.color, page.paperColor);
    const int printer = m_page.printer->findText(fromGbk(page.printerName));
    m_page.printer->setCurrentIndex(std::max(printer, 0));
}

void PropertyTabs::fillElement(int kind) {
    const EditorDocument& document = m_session.document();
    const tpl::TemplateElement& e = document.selected();
    const ElementControls& c = m_elements[static_cast<std::size_t>(kind)];
    const auto mm = [](QLineEdit* edit, std::int32_t tenths) {
        if (edit)
            edit->setText(QString::fromStdString(formatMillimetres(tenths)));
    };
    mm(c.left, e.box.x);
    mm(c.top, e.box.y);
    mm(c.width, e.box.width);
    mm(c.height, e.box.height);
    const auto number = [](QLineEdit* edit, std::int32_t value) {
        if (edit)
            edit->setText(QString::number(value));
    };
    number(c.penWidth, e.penWidth);
    number(c.corner, e.cornerSize);
    number(c.qrSize, e.image.qrSize);
    const bool isText = kind == static_cast<int>(ElementKind::Text);
    if (c.content)
        c.content->setText(fromGbk(e.content));
    if (c.mark)
        c.mark->setText(fromGbk(e.mark));
    if (c.fontName)
        c.fontName->setText(fromGbk(e.font.faceName));
    if (c.color)
        showColor(c.color, isText ? e.textColor : e.penColor);
    if (c.fill)
        showColor(c.fill, e.fillColor);
    if (c.angle)
        c.angle->setCurrentIndex(angleIndex(isText ? e.font.angle : e.image.rotation));
}

} // namespace tav::editor
