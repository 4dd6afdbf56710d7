// The property bar on the real window: what typing into each control of each tab does to the
// page or the selected element (one change, one history step, or nothing for values the field
// does not take), the color, font and picture dialogs, and refreshPanels filling the controls
// back without applying anything.
#include "ScriptedDialogs.h"
#include "support/DesignerDriver.h"

#include "editor/app/MainWindow.h"
#include "editor/app/PropertyTabs.h"
#include "editor/app/UiTexts.h"
#include "editor/core/EditorTexts.h"
#include "platform/Charset.h"
#include "printengine/PictureMaker.h"
#include "printengine/PictureTurn.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>

using namespace tav::editor;
using tav::editor::test::Asked;
using tav::editor::test::ScriptedDialogs;
using tav::editor::test::typeInto;
using tav::tpl::ElementKind;
using tav::tpl::TemplateElement;

namespace {

// What a row reads back: a field of the page or of the selected element.
using Reading = std::function<std::int64_t(const EditorDocument&)>;

const std::map<QString, Reading>& readings() {
    static const std::map<QString, Reading> all = {
        {"x", [](const EditorDocument& d) { return d.box().x; }},
        {"y", [](const EditorDocument& d) { return d.box().y; }},
        {"width", [](const EditorDocument& d) { return d.box().width; }},
        {"height", [](const EditorDocument& d) { return d.box().height; }},
        {"penWidth", [](const EditorDocument& d) { return d.penWidth(); }},
        {"corner", [](const EditorDocument& d) { return d.cornerSize(); }},
        {"qrSize", [](const EditorDocument& d) { return d.qrSize(); }},
        {"contentLength", [](const EditorDocument& d) { return d.content().size(); }},
        {"markLength", [](const EditorDocument& d) { return d.mark().size(); }},
        {"paperWidth", [](const EditorDocument& d) { return d.page().paperWidth; }},
        {"paperHeight", [](const EditorDocument& d) { return d.page().paperHeight; }},
        {"printScale", [](const EditorDocument& d) { return d.page().printScale; }},
    };
    return all;
}

QLineEdit* field(MainWindow& window, int tab, const QString& name) {
    return window.propertyTabs().widget(tab)->findChild<QLineEdit*>(name);
}

// An element made by `tool` at 10 mm, 10 mm, selected, its tab shown.
void createSelected(MainWindow& window, Tool tool) {
    window.session().edit(
        [tool](EditorDocument& d) { d.select(d.createWithTool(tool, 100, 100)); });
    window.refreshPanels(tool.button());
}

} // namespace

class PropertyTabsTest : public QObject {
    Q_OBJECT
private slots:
    void everyTabHasItsControls() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        PropertyTabs& tabs = window.propertyTabs();
        QCOMPARE(tabs.count(), 14);
        const QStringList expected = {
            "纸张: 纸张宽度 纸张高度 打印比例",    "空矩: 左边 顶边 宽度 高度 线宽",
            "实矩: 左边 顶边 宽度 高度 线宽",      "圆角: 左边 顶边 宽度 高度 线宽 圆角",
            "空圆: 左边 顶边 宽度 高度 线宽",      "实圆: 左边 顶边 宽度 高度 线宽",
            "横线: 左边 顶边 宽度 线宽",           "竖线: 左边 顶边 高度 线宽",
            "左斜: 左边 顶边 宽度 高度 线宽",      "右斜: 左边 顶边 宽度 高度 线宽",
            "条码: 左边 顶边 宽度 高度 内容 标记", "维码: 左边 顶边 宽度 高度 内容 标记 大小",
            "图像: 左边 顶边 宽度 高度 标记",      "文本: 左边 顶边 内容 标记 字体",
        };
        QStringList found;
        for (int tab = 0; tab < tabs.count(); ++tab) {
            QStringList names;
            for (auto* edit : tabs.widget(tab)->findChildren<QLineEdit*>()) {
                if (!edit->objectName().isEmpty() && !edit->objectName().startsWith("qt_"))
                    names << edit->objectName();
            }
            found << tabs.tabText(tab) + ": " + names.join(' ');
            // Every tab starts with the unit label.
            const auto labels = tabs.widget(tab)->findChildren<QLabel*>();
            QVERIFY(!labels.isEmpty());
            QCOMPARE(labels.first()->text(), texts::kUnitLabel);
        }
        QCOMPARE(found, expected);
        // The buttons and combos of the tabs that have them.
        for (int tab : {1, 2, 3, 4, 5, 6, 7, 8, 9, 13})
            QVERIFY(tabs.widget(tab)->findChild<QPushButton*>("颜色"));
        for (int tab : {2, 3, 5})
            QVERIFY(tabs.widget(tab)->findChild<QPushButton*>("填充色"));
        for (int tab : {10, 11, 12, 13})
            QCOMPARE(tabs.widget(tab)->findChild<QComboBox*>("角度")->count(), 4);
        QVERIFY(tabs.widget(12)->findChild<QPushButton*>("换图"));
        QVERIFY(tabs.widget(13)->findChild<QPushButton*>("选择"));
        QVERIFY(field(window, 13, "字体")->isReadOnly());
    }

    void typedValuesReachTheDocument_data() {
        QTest::addColumn<int>("tool"); // 0: the page tab
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("shownAfter"); // the field after the edit
        QTest::addColumn<bool>("changes");
        QTest::addColumn<bool>("errorBox");
        const int rect = 1, rounded = 3, hline = 6, vline = 7, barcode = 10, qr = 11, text = 13;
        // clang-format off
        QTest::newRow("01 left")          << rect << "左边" << "12.5"  << "x" << 125LL << "12.5" << true << false;
        QTest::newRow("02 left truncated")<< rect << "左边" << "3.99"  << "x" << 39LL << "3.9" << true << false;
        QTest::newRow("03 top 0")         << rect << "顶边" << "0"     << "y" << 0LL << "0" << true << false;
        QTest::newRow("04 width 0 kept")  << rect << "宽度" << "0"     << "width" << 100LL << "0" << false << false;
        QTest::newRow("05 width 499.9")   << rect << "宽度" << "499.9" << "width" << 4999LL << "499.9" << true << false;
        QTest::newRow("06 width 500")     << rect << "宽度" << "500"   << "width" << 100LL << "500" << false << false;
        QTest::newRow("07 height neg")    << rect << "高度" << "-3"    << "height" << 100LL << "-3" << false << false;
        QTest::newRow("08 height")        << rect << "高度" << "7.77"  << "height" << 77LL << "7.7" << true << false;
        QTest::newRow("09 not a number")  << rect << "高度" << "abc"   << "height" << 100LL << "abc" << false << false;
        QTest::newRow("10 pen width")     << rect << "线宽" << "3"     << "penWidth" << 3LL << "3" << true << false;
        QTest::newRow("11 corner")        << rounded << "圆角" << "45" << "corner" << 45LL << "45" << true << false;
        QTest::newRow("12 hline width")   << hline << "宽度" << "20"   << "width" << 200LL << "20" << true << false;
        QTest::newRow("13 hline top")     << hline << "顶边" << "30"   << "height" << 10LL << "30" << true << false;
        QTest::newRow("14 vline height")  << vline << "高度" << "25"   << "width" << 10LL << "25" << true << false;
        QTest::newRow("15 barcode content")<< barcode << "内容" << "ABC-42" << "contentLength" << 6LL << "ABC-42" << true << false;
        QTest::newRow("16 barcode mark")  << barcode << "标记" << "{单号}" << "markLength" << 6LL << "{单号}" << true << false;
        QTest::newRow("17 qr size 0")     << qr << "大小" << "0"       << "qrSize" << 0LL << "0" << true << false;
        QTest::newRow("18 text content")  << text << "内容" << "价格"  << "contentLength" << 4LL << "价格" << true << false;
        QTest::newRow("19 not GBK")       << text << "内容" << "ก"     << "contentLength" << 10LL << "ก" << false << false;
        QTest::newRow("20 paper width")   << 0 << "纸张宽度" << "80"   << "paperWidth" << 800LL << "80" << true << false;
        QTest::newRow("21 paper 500")     << 0 << "纸张宽度" << "500"  << "paperWidth" << 5000LL << "500" << true << false;
        QTest::newRow("22 paper 1")       << 0 << "纸张高度" << "1"    << "paperHeight" << 10LL << "1" << true << false;
        QTest::newRow("23 paper width 0") << 0 << "纸张宽度" << "0"    << "paperWidth" << 10LL << "1" << true << true;
        QTest::newRow("24 paper 500.1")   << 0 << "纸张高度" << "500.1" << "paperHeight" << 10LL << "1" << true << true;
        QTest::newRow("25 paper text")    << 0 << "纸张高度" << "x"    << "paperHeight" << 10LL << "1" << true << true;
        QTest::newRow("26 scale")         << 0 << "打印比例" << "120"  << "printScale" << 120LL << "120" << true << false;
        QTest::newRow("27 scale negative")<< 0 << "打印比例" << "-5"   << "printScale" << 0LL << "-5" << false << false;
        // clang-format on
    }
    void typedValuesReachTheDocument() {
        QFETCH(int, tool);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, reading);
        QFETCH(qint64, expected);
        QFETCH(QString, shownAfter);
        QFETCH(bool, changes);
        QFETCH(bool, errorBox);

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        if (tool != 0)
            createSelected(window, Tool::fromButton(tool));
        QLineEdit* edit = field(window, tool, control);
        QVERIFY(edit);
        QCOMPARE(window.propertyTabs().currentIndex(), tool);
        const TemplateElement before = window.session().document().selected();
        QSignalSpy changed(&window.propertyTabs(), &PropertyTabs::documentChanged);

        typeInto(edit, typed);
        const EditorDocument& document = window.session().document();
        QCOMPARE(readings().at(reading)(document), expected);
        QCOMPARE(edit->text(), shownAfter);
        QCOMPARE(changed.count(), changes ? 1 : 0);
        if (!changes && tool != 0)
            QVERIFY(document.selected() == before);
        const QList<Asked> boxes =
            errorBox ? QList<Asked>{{"error", texts::kInputErrorTitle, texts::kPaperLengthText}}
                     : QList<Asked>{};
        QCOMPARE(dialogs.asked, boxes);
        // Status bar part 3 shows the box the element has now (a text's box follows its
        // content).
        if (changes && tool != 0)
            QCOMPARE(window.statusText(2), QString::fromStdString(boxText(document.box())));

        // Enter again and leaving the field report the same edit: nothing more happens.
        QTest::keyClick(edit, Qt::Key_Return);
        window.propertyTabs().setFocus();
        QCOMPARE(changed.count(), changes ? 1 : 0);
        QCOMPARE(dialogs.asked.size(), boxes.size());
    }

    void picturesFollowContentSizeAndAngle() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        auto& maker = tav::engine::libraryPictureMaker();
        createSelected(window, ElementKind::QrCodeImage);
        typeInto(field(window, 11, "内容"), "HELLO");
        typeInto(field(window, 11, "大小"), "0");
        auto* angle = window.propertyTabs().widget(11)->findChild<QComboBox*>("角度");
        angle->setCurrentIndex(1);
        const auto& qr = window.session().document().selected().image;
        QCOMPARE(qr.rotation, 900);
        QVERIFY(qr.source == maker.qrCode("HELLO", 256)); // size 0 draws at 256
        QVERIFY(qr.shown == tav::tpl::SharedBytes(tav::engine::turnPicture(qr.source.span(), 900)));

        createSelected(window, ElementKind::BarcodeImage);
        typeInto(field(window, 10, "内容"), "B-77");
        window.propertyTabs().widget(10)->findChild<QComboBox*>("角度")->setCurrentIndex(3);
        const auto& bar = window.session().document().selected().image;
        QVERIFY(bar.source == maker.barcode("B-77"));
        QVERIFY(bar.shown ==
                tav::tpl::SharedBytes(tav::engine::turnPicture(bar.source.span(), 2700)));

        // The text's angle is its font's, and turns its measured box.
        createSelected(window, ElementKind::Text);
        const auto box = window.session().document().box();
        window.propertyTabs().widget(13)->findChild<QComboBox*>("角度")->setCurrentIndex(1);
        QCOMPARE(window.session().document().font().angle, 900);
        QCOMPARE(window.session().document().box().width, box.height);
        QCOMPARE(window.session().document().box().height, box.width);
    }

    void colorPickers() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        PropertyTabs& tabs = window.propertyTabs();
        QSignalSpy changed(&tabs, &PropertyTabs::documentChanged);
        createSelected(window, ElementKind::RectFilled);
        dialogs.colors = {QColor(255, 0, 0), QColor(0, 0, 255), std::nullopt};
        QTest::mouseClick(tabs.widget(2)->findChild<QPushButton*>("颜色"), Qt::LeftButton);
        QTest::mouseClick(tabs.widget(2)->findChild<QPushButton*>("填充色"), Qt::LeftButton);
        QCOMPARE(window.session().document().penColor(), 0x0000FF); // COLORREF: red low
        QCOMPARE(window.session().document().fillColor(), 0xFF0000);
        // Cancelled: nothing changes.
        QTest::mouseClick(tabs.widget(2)->findChild<QPushButton*>("颜色"), Qt::LeftButton);
        QCOMPARE(window.session().document().penColor(), 0x0000FF);
        QCOMPARE(changed.count(), 2);
        // The picker starts from the element's color.
        QCOMPARE(dialogs.asked.last().text, QStringLiteral("#ff0000"));

        // On the text tab the color is the text's.
        createSelected(window, ElementKind::Text);
        dialogs.colors = {QColor(0, 128, 0)};
        QTest::mouseClick(tabs.widget(13)->findChild<QPushButton*>("颜色"), Qt::LeftButton);
        QCOMPARE(window.session().document().textColor(), 0x008000);
        QCOMPARE(window.session().document().penColor(), 0);

        // The page's color.
        window.session().adjust([](EditorDocument& d) { d.select(kPlaceholderIndex); });
        window.refreshPanels(0);
        dialogs.colors = {QColor(0xF0, 0xE0, 0xD0)};
        QTest::mouseClick(tabs.widget(0)->findChild<QPushButton*>("纸张颜色"), Qt::LeftButton);
        QCOMPARE(window.session().document().page().paperColor, 0xD0E0F0);
    }

    void fontDialogStoresTheWholeFont() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        createSelected(window, ElementKind::Text);
        const auto before = window.session().document().box();
        QFont chosen(QStringLiteral("黑体"));
        chosen.setPointSize(20);
        chosen.setBold(true);
        chosen.setItalic(true);
        chosen.setUnderline(true);
        chosen.setStrikeOut(true);
        dialogs.fonts = {chosen, std::nullopt};
        auto* choose = window.propertyTabs().widget(13)->findChild<QPushButton*>("选择");
        QTest::mouseClick(choose, Qt::LeftButton);
        const tav::tpl::ElementFont& font = window.session().document().font();
        QCOMPARE(QString::fromStdString(tav::platform::gbkToUtf8(font.faceName)),
                 QStringLiteral("黑体"));
        QCOMPARE(font.size, 20);
        QVERIFY(font.bold && font.italic && font.underline && font.strikeout);
        QCOMPARE(font.angle, 0);
        QCOMPARE(field(window, 13, "字体")->text(), QStringLiteral("黑体"));
        // The dialog started from the element's font (宋体), and the box was measured anew.
        QCOMPARE(dialogs.asked.first(), (Asked{"font", {}, QStringLiteral("宋体")}));
        QVERIFY(window.session().document().box().height > before.height);
        // Cancelled: nothing changes.
        QTest::mouseClick(choose, Qt::LeftButton);
        QCOMPARE(window.session().document().font().size, 20);
    }

    void changePicture() {
        QTemporaryDir dir;
        const auto bmp = tav::engine::libraryPictureMaker().qrCode("PIC", 120);
        const QString path = dir.path() + "/pic.bmp";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bmp.span().data()),
                   static_cast<qint64>(bmp.size()));
        file.close();

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        window.session().edit(
            [](EditorDocument& d) { d.select(d.addPicture(100, 100, 100, 100, {})); });
        window.refreshPanels(12);
        window.propertyTabs().widget(12)->findChild<QComboBox*>("角度")->setCurrentIndex(1);
        QSignalSpy changed(&window.propertyTabs(), &PropertyTabs::documentChanged);
        auto* button = window.propertyTabs().widget(12)->findChild<QPushButton*>("换图");
        dialogs.files = {dir.path() + "/missing.bmp", std::nullopt, path};
        QTest::mouseClick(button, Qt::LeftButton); // a missing file
        QTest::mouseClick(button, Qt::LeftButton); // cancelled
        QCOMPARE(changed.count(), 0);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        const auto& image = window.session().document().selected().image;
        QVERIFY(image.source == bmp);
        QVERIFY(image.shown == tav::tpl::SharedBytes(tav::engine::turnPicture(bmp.span(), 900)));
        QCOMPARE(dialogs.asked.first(),
                 (Asked{"open", texts::kPictureDialogTitle, "|BMP图片(*.bmp)|bmp"}));
    }

    void pageCombos() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        auto* orientation = window.findChild<QComboBox*>("纸张方向");
        orientation->setCurrentIndex(1);
        QCOMPARE(window.session().document().page().orientation, 1);
        auto* printers = window.findChild<QComboBox*>("打印机名称");
        printers->addItem(QStringLiteral("标签机"));
        printers->setCurrentIndex(printers->count() - 1);
        QCOMPARE(QString::fromStdString(
                     tav::platform::gbkToUtf8(window.session().document().page().printerName)),
                 QStringLiteral("标签机"));
        printers->setCurrentIndex(0);
        QVERIFY(window.session().document().page().printerName.empty());
    }

    // Filling a tab shows every field of the element and applies nothing, though the controls
    // report changes while they are filled.
    void refreshFillsWithoutApplying() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        PropertyTabs& tabs = window.propertyTabs();
        window.session().edit([](EditorDocument& document) {
            document.select(document.createWithTool(ElementKind::QrCodeImage, 125, 40));
            document.setBox({.width = 333, .height = 301});
            document.setMark("{QR}");
            document.setQrSize(180);
            document.setRotation(2700);
        });

        QList<bool> lockedWhileChanging;
        auto* angle = tabs.widget(11)->findChild<QComboBox*>("角度");
        connect(angle, &QComboBox::currentIndexChanged, this,
                [&] { lockedWhileChanging << tabs.panelsLocked(); });
        QSignalSpy changed(&tabs, &PropertyTabs::documentChanged);
        const EditorDocument before = window.session().document();
        window.refreshPanels(11);
        QCOMPARE(tabs.currentIndex(), 11);
        QCOMPARE(field(window, 11, "左边")->text(), QStringLiteral("12.5"));
        QCOMPARE(field(window, 11, "顶边")->text(), QStringLiteral("4"));
        QCOMPARE(field(window, 11, "宽度")->text(), QStringLiteral("33.3"));
        QCOMPARE(field(window, 11, "高度")->text(), QStringLiteral("30.1"));
        QCOMPARE(field(window, 11, "内容")->text(), QStringLiteral("1234567890"));
        QCOMPARE(field(window, 11, "标记")->text(), QStringLiteral("{QR}"));
        QCOMPARE(field(window, 11, "大小")->text(), QStringLiteral("180"));
        QCOMPARE(angle->currentIndex(), 3);
        QCOMPARE(lockedWhileChanging, QList<bool>{true});
        QVERIFY(!tabs.panelsLocked());
        QCOMPARE(changed.count(), 0);
        QVERIFY(window.session().document().templ() == before.templ());

        // Undo shows the snapshot it went to in the panels.
        typeInto(field(window, 11, "宽度"), "40");
        QCOMPARE(window.session().document().box().width, 400);
        // Undo steps back through states with nothing selected: the page tab; redo comes back
        // to the edited element, and its tab shows it.
        window.undo();
        window.undo();
        QCOMPARE(tabs.currentIndex(), 0);
        QCOMPARE(window.session().document().element(2).box.width, 333);
        field(window, 11, "宽度")->setText("1");
        window.redo();
        window.redo();
        QCOMPARE(tabs.currentIndex(), 11);
        QCOMPARE(field(window, 11, "宽度")->text(), QStringLiteral("40"));
    }

    // Every caption and control of every tab fits the 300-pixel property bar. With
    // TAV_SCREENSHOT_DIR set, the window is kept there with the barcode and the text tab showing.
    void captionsFitTheBar() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString folder = qEnvironmentVariable("TAV_SCREENSHOT_DIR");
        for (int tab = 0; tab < PropertyTabs::kTabCount; ++tab) {
            if (tab == 0) {
                window.refreshPanels(0);
            } else {
                createSelected(window, Tool::fromButton(tab == 12 ? 1 : tab));
                if (tab == 12) {
                    window.session().edit(
                        [](EditorDocument& d) { d.select(d.addPicture(300, 300, 100, 100, {})); });
                    window.refreshPanels(12);
                }
            }
            QApplication::processEvents();
            QWidget* page = window.propertyTabs().widget(tab);
            for (QWidget* child : page->findChildren<QWidget*>()) {
                if (!child->isVisible() || qobject_cast<QComboBox*>(child->parentWidget()))
                    continue;
                const QRect inside = QRect(child->mapTo(page, QPoint(0, 0)), child->size());
                QVERIFY2(page->rect().contains(inside),
                         qPrintable(window.propertyTabs().tabText(tab) + ": " +
                                    child->metaObject()->className() + " outside the tab"));
                if (auto* label = qobject_cast<QLabel*>(child)) {
                    QVERIFY2(label->width() >= label->sizeHint().width(),
                             qPrintable(window.propertyTabs().tabText(tab) + ": " + label->text() +
                                        " clipped"));
                }
            }
            if (!folder.isEmpty() && (tab == 10 || tab == 13)) {
                QVERIFY(window.grab().save(
                    QStringLiteral("%1/property-tab-%2.png").arg(folder).arg(tab)));
            }
        }
    }

    // A field typed into and then left for an element of another kind is not applied to it.
    void fieldOfAnotherKindIsNotApplied() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        createSelected(window, ElementKind::BarcodeImage);
        QLineEdit* width = field(window, 10, "宽度");
        QTest::keyClicks(width, "9");
        createSelected(window, ElementKind::RectOutline);
        emit width->editingFinished();
        QCOMPARE(window.session().document().box().width, 100);
    }
};

QTEST_MAIN(PropertyTabsTest)
#include "PropertyTabsTest.moc"
