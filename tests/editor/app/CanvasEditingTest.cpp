// Editing on the real window under the offscreen platform: the tool box, pointer gestures on the
// canvas at several zooms, the keys, and the Edit menu's element commands with their history
// steps.
#include "ScriptedDialogs.h"
#include "support/DesignerDriver.h"

#include "editor/app/MainWindow.h"
#include "editor/app/PageView.h"
#include "editor/app/UiTexts.h"
#include "editor/core/EditorTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include <functional>
#include <memory>

using namespace tav::editor;
using tav::editor::test::Asked;
using tav::editor::test::DesignerDriver;
using tav::editor::test::ScriptedDialogs;
using tav::tpl::ElementBox;
using tav::tpl::ElementKind;

namespace {

const QString kPicture = QStringLiteral(TAV_SOURCE_DIR "/tests/data/pictures/turn/bpp1-33x2-0.bmp");

// The window and its dialogs, built before the driver that drives them.
struct ShownWindow {
    ScriptedDialogs dialogs;
    MainWindow window{dialogs};
};

// The window shown, with the canvas driven in content pixels (the drawing area's pixels at the
// current zoom, scroll included).
struct Designer : ShownWindow, DesignerDriver {
    explicit Designer(int zoomStep = 10) : DesignerDriver(window) {
        window.show();
        window.setZoomStep(zoomStep);
    }
    // An element of the given box, added as if it had always been there.
    std::int32_t addRect(ElementBox box) {
        std::int32_t index = 0;
        edit([&](EditorDocument& d) {
            index = d.addRect(box.x, box.y, box.width, box.height, false);
        });
        return index;
    }
    QAction* editAction(const QString& caption) {
        for (QAction* action : window.editMenu()->actions())
            if (action->text() == caption)
                return action;
        return nullptr;
    }
    int tab() { return window.findChild<QTabWidget*>()->currentIndex(); }
};

QPoint pixel(double units, double units2, double scale) {
    return {static_cast<int>(units * scale), static_cast<int>(units2 * scale)};
}

} // namespace

Q_DECLARE_METATYPE(tav::tpl::ElementBox)

class CanvasEditingTest : public QObject {
    Q_OBJECT
private slots:
    void toolBoxHasOnePressedButton() {
        Designer d;
        auto buttons = d.window.findChild<QWidget*>(QStringLiteral("工具箱"))
                           ->findChildren<QAbstractButton*>();
        QCOMPARE(buttons.size(), kToolCount);
        QCOMPARE(d.window.currentTool(), Tool::Select);
        buttons[3]->click();
        QCOMPARE(d.window.currentTool(), ElementKind::RoundedRect);
        int pressed = 0;
        for (auto* button : buttons)
            pressed += button->isChecked();
        QCOMPARE(pressed, 1);
    }

    void toolCreatesItsElementAtThePointer_data() {
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<ElementBox>("box"); // width 0: measured (texts)
        QTest::newRow("1 空矩") << 1 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("2 实矩") << 2 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("3 圆角") << 3 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("4 空圆") << 4 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("5 实圆") << 5 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("6 横线") << 6 << 10 << ElementBox{200, 195, 100, 10};
        QTest::newRow("7 竖线") << 7 << 10 << ElementBox{195, 200, 10, 100};
        QTest::newRow("8 左斜") << 8 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("9 右斜") << 9 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("10 条码") << 10 << 10 << ElementBox{200, 200, 200, 100};
        QTest::newRow("11 维码") << 11 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("12 图像") << 12 << 10 << ElementBox{200, 200, 100, 100};
        QTest::newRow("13 文本") << 13 << 10 << ElementBox{200, 200, 0, 0};
        // The pointer is divided by the zoom: the same place on the page.
        QTest::newRow("6 横线 at 150 %") << 6 << 15 << ElementBox{200, 195, 100, 10};
        QTest::newRow("10 条码 at 50 %") << 10 << 5 << ElementBox{200, 200, 200, 100};
    }
    void toolCreatesItsElementAtThePointer() {
        QFETCH(int, tool);
        QFETCH(int, zoom);
        QFETCH(ElementBox, box);
        Designer d(zoom);
        d.dialogs.files.push_back(kPicture);
        d.window.selectTool(Tool::fromButton(tool));
        d.press(pixel(200, 200, zoom / 10.0));
        d.release(pixel(200, 200, zoom / 10.0));

        const EditorDocument& doc = d.document();
        QCOMPARE(doc.elementCount(), 2);
        QCOMPARE(doc.selectedIndex(), 2);
        QCOMPARE(doc.selectedKind(), tool);
        const ElementBox made = doc.box();
        QCOMPARE(made.x, box.x);
        QCOMPARE(made.y, box.y);
        if (box.width != 0) {
            QCOMPARE(made.width, box.width);
            QCOMPARE(made.height, box.height);
        } else {
            QVERIFY(made.width > 0 && made.height > 0);
        }
        if (tool == 10 || tool == 11 || tool == 13)
            QCOMPARE(doc.content(), std::string("1234567890"));
        if (tool == 11)
            QCOMPARE(doc.qrSize(), 256);
        if (tool == 3)
            QCOMPARE(doc.cornerSize(), 30);
        if (tool == 10 || tool == 11 || tool == 12)
            QVERIFY(!doc.selected().image.shown.empty());
        // Back to the select tool, the element's tab and its box in part 3.
        QCOMPARE(d.window.currentTool(), Tool::Select);
        QCOMPARE(d.tab(), tool);
        QCOMPARE(d.window.statusText(2), QString::fromStdString(boxText(made)));
        // One history step: the drawing without the selection, then the empty page.
        d.window.undo();
        QCOMPARE(d.document().elementCount(), 2);
        d.window.undo();
        QCOMPARE(d.document().elementCount(), 1);
    }

    void pictureToolAsksForABmpAndCreatesNothingWithoutOne() {
        Designer d;
        d.window.selectTool(ElementKind::Picture);
        d.press({100, 100}); // cancelled
        d.dialogs.files.push_back(QStringLiteral("/nonexistent/picture.bmp"));
        d.press({100, 100});
        QCOMPARE(d.document().elementCount(), 1);
        QCOMPARE(d.window.currentTool(), ElementKind::Picture);
        const Asked asked{"open", texts::kPictureDialogTitle,
                          QStringLiteral("|BMP图片(*.bmp)|bmp")};
        QCOMPARE(d.dialogs.asked, QList<Asked>({asked, asked}));
    }

    void dragMovesByWholeUnits_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("pixels");
        QTest::addColumn<QPoint>("units");
        QTest::newRow("100 %") << 10 << QPoint(37, -12) << QPoint(37, -12);
        QTest::newRow("150 %") << 15 << QPoint(30, 45) << QPoint(20, 30);
        QTest::newRow("150 %, a pixel is 0.67 units") << 15 << QPoint(-3, 1) << QPoint(-2, 0);
        QTest::newRow("200 %") << 20 << QPoint(-20, 8) << QPoint(-10, 4);
        QTest::newRow("50 %") << 5 << QPoint(10, 15) << QPoint(20, 30);
    }
    void dragMovesByWholeUnits() {
        QFETCH(int, zoom);
        QFETCH(QPoint, pixels);
        QFETCH(QPoint, units);
        Designer d(zoom);
        d.addRect({100, 100, 100, 100});
        const QPoint grab = pixel(150, 170, zoom / 10.0);
        d.drag(grab, grab + pixels);
        QCOMPARE(d.document().selectedIndex(), 2);
        QCOMPARE(QPoint(d.document().box().x, d.document().box().y), QPoint(100, 100) + units);
        QCOMPARE(d.window.statusText(2), QString::fromStdString(boxText(d.document().box())));
        // The whole drag is one step: two undos show the element where it was.
        d.window.undo();
        d.window.undo();
        QCOMPARE(d.document().element(2).box.x, 100);
        QCOMPARE(d.document().element(2).box.y, 100);
        // The status bar shows the box of the snapshot undo went to, not the moved one.
        QCOMPARE(d.window.statusText(2),
                 QString::fromStdString(d.document().hasSelection() ? boxText(d.document().box())
                                                                    : emptyBoxText()));
    }

    void sixtyMovesInOneDragKeepEarlierStates() {
        Designer d;
        d.addRect({100, 100, 100, 100});
        d.drag({150, 150}, {210, 270}, 60);
        QCOMPARE(d.document().box().x, 160);
        QCOMPARE(d.document().box().y, 220);
        // The empty page before the element was made is still in the history.
        bool emptyPageReached = false;
        while (d.window.session().canUndo()) {
            d.window.undo();
            emptyPageReached |= d.document().elementCount() == 1;
        }
        QVERIFY(emptyPageReached);
    }

    void resizeOnlyRightOfAndBelowTheCorner_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("to"); // content pixels
        QTest::addColumn<QSize>("size");
        QTest::newRow("100 %, right and below") << 10 << QPoint(250, 260) << QSize(150, 160);
        QTest::newRow("100 %, smaller") << 10 << QPoint(130, 120) << QSize(30, 20);
        QTest::newRow("100 %, left of the corner") << 10 << QPoint(50, 260) << QSize(100, 100);
        QTest::newRow("100 %, above the corner") << 10 << QPoint(250, 50) << QSize(100, 100);
        QTest::newRow("150 %") << 15 << QPoint(375, 390) << QSize(150, 160);
        QTest::newRow("50 %") << 5 << QPoint(75, 80) << QSize(50, 60);
        QTest::newRow("10 %") << 1 << QPoint(25, 26) << QSize(150, 160);
        QTest::newRow("200 %") << 20 << QPoint(500, 520) << QSize(150, 160);
    }
    void resizeOnlyRightOfAndBelowTheCorner() {
        QFETCH(int, zoom);
        QFETCH(QPoint, to);
        QFETCH(QSize, size);
        Designer d(zoom);
        d.addRect({100, 100, 100, 100});
        d.select(2);
        // The handle is 6 screen pixels beyond the corner at every zoom.
        const QPoint handle = d.view().pixelBox(d.document().box()).bottomRight() + QPoint(5, 5);
        d.drag(handle, to, 1);
        QCOMPARE(d.document().box().x, 100);
        QCOMPARE(d.document().box().y, 100);
        QCOMPARE(QSize(d.document().box().width, d.document().box().height), size);
    }

    void selectionFrameAndHandleShowAtEveryZoom() {
        for (int zoom : {1, 5, 10, 15, 20}) {
            Designer d(zoom);
            d.addRect({100, 100, 10, 10}); // a millimetre square: a pixel wide at 10 %
            d.select(2);
            d.window.canvas().centerHorizontally(); // any edit redraws with the marks
            const QRect box = d.view().pixelBox(d.document().box());
            QImage image(d.view().size(), QImage::Format_RGB32);
            d.view().paintArea(image, {}, QRect(d.view().scroll(), d.view().size()));
            const QPoint handle = box.bottomRight() + QPoint(1, 1) - d.view().scroll();
            for (QPoint corner : {QPoint(0, 0), QPoint(5, 5)})
                QCOMPARE(image.pixel(handle + corner), qRgb(0x00, 0x78, 0xD7));
            // The dashed frame: some of its top edge in the frame's color.
            int framed = 0;
            for (int x = box.left(); x <= box.right(); ++x)
                framed +=
                    image.pixel(QPoint(x, box.top()) - d.view().scroll()) == qRgb(0x00, 0x78, 0xD7);
            QVERIFY2(framed > 0, qPrintable(QString::number(zoom)));
        }
    }

    void shiftClickAndRubberBandPickElements() {
        Designer d;
        d.addRect({100, 100, 50, 50});
        d.addRect({300, 100, 50, 50});
        d.addRect({100, 300, 50, 50});
        d.press({120, 120});
        d.release({120, 120});
        QCOMPARE(d.document().selectedIndex(), 2);
        for (QPoint p : {QPoint(320, 120), QPoint(120, 320), QPoint(320, 120), QPoint(450, 450)}) {
            d.press(p, Qt::ShiftModifier);
            d.release(p);
        }
        QCOMPARE(d.document().multiSelection(), (std::vector<std::int32_t>{3, 4}));
        QCOMPARE(d.document().selectedIndex(), 2);

        // A band from empty paper: the elements wholly inside it, nothing selected.
        d.drag({50, 50}, {360, 200});
        QCOMPARE(d.document().selectedIndex(), 1);
        QCOMPARE(d.document().multiSelection(), (std::vector<std::int32_t>{2, 3}));
        d.drag({400, 400}, {90, 90}); // drawn toward the top-left
        QCOMPARE(d.document().multiSelection(), (std::vector<std::int32_t>{2, 3, 4}));
        // Arrows move every picked element; each press is one step.
        d.key(Qt::Key_Right);
        d.key(Qt::Key_Down, Qt::ShiftModifier);
        for (std::int32_t i : {2, 3, 4}) {
            QCOMPARE(d.document().element(i).box.x % 100, 1);
            QCOMPARE(d.document().element(i).box.y % 100, 10);
        }
        d.window.undo();
        d.window.undo();
        QCOMPARE(d.document().element(3).box.y, 100);
        QCOMPARE(d.document().element(3).box.x, 301);
    }

    void arrowsMoveTheSelectionAndEscSelectsNothing() {
        Designer d;
        d.addRect({100, 100, 50, 50});
        d.key(Qt::Key_Right); // nothing selected, nothing picked: nothing moves
        QCOMPARE(d.document().element(2).box.x, 100);
        d.press({120, 120});
        d.release({120, 120});
        const struct {
            int key;
            Qt::KeyboardModifiers modifiers;
            int x, y;
        } steps[] = {{Qt::Key_Right, {}, 101, 100},
                     {Qt::Key_Down, {}, 101, 101},
                     {Qt::Key_Left, Qt::ShiftModifier, 91, 101},
                     {Qt::Key_Up, Qt::ShiftModifier, 91, 91},
                     {Qt::Key_Up, {}, 91, 90}};
        for (const auto& step : steps) {
            d.key(step.key, step.modifiers);
            QCOMPARE(d.document().box().x, step.x);
            QCOMPARE(d.document().box().y, step.y);
            QCOMPARE(d.window.statusText(2), QString::fromStdString(boxText(d.document().box())));
        }
        d.window.undo();
        d.window.undo();
        QCOMPARE(d.document().element(2).box.y, 91);
        d.window.redo();
        d.window.redo();

        d.press({120, 120}, Qt::ShiftModifier);
        d.key(Qt::Key_Escape);
        QCOMPARE(d.document().selectedIndex(), 1);
        QVERIFY(d.document().multiSelection().empty());
        QCOMPARE(d.window.statusText(2), texts::kStatusBox);
        QCOMPARE(d.tab(), 0);
    }

    void movedElementStaysInView() {
        Designer d;
        const int right = d.view().width() - 20;
        d.addRect({right - 50, 100, 50, 50});
        d.press({right - 25, 120});
        d.release({right - 25, 120});
        d.key(Qt::Key_Right, Qt::ShiftModifier);
        d.key(Qt::Key_Right, Qt::ShiftModifier);
        const QRect box = d.view().pixelBox(d.document().box());
        QVERIFY(d.view().scroll().x() > 0);
        QVERIFY(box.right() + kResizeHandlePixels < d.view().scroll().x() + d.view().width());
        // A drag past the canvas's edge scrolls it after the pointer.
        const int before = d.view().scroll().y();
        const QPoint from = d.view().pixelBox(d.document().box()).center();
        d.drag(from, from + QPoint(0, d.view().height()));
        QVERIFY(d.view().scroll().y() > before);
    }

    void pointerShowsPositionsAndBoxWithTwoDecimals() {
        Designer d(15);
        d.moveTo({150, 300}, Qt::NoButton);
        QCOMPARE(d.window.statusText(0), QStringLiteral("x = 10.00 mm  y = 20.00 mm"));
        d.addRect({100, 100, 105, 33});
        d.drag({160, 160}, {175, 175});
        QCOMPARE(d.window.statusText(2),
                 QStringLiteral("x = 11.00 mm  y = 11.00 mm  w = 10.50 mm  h = 3.30 mm"));
    }

    void rightButtonPicksTheSelectToolAndShowsTheEditMenu() {
        Designer d;
        d.window.selectTool(ElementKind::Text);
        d.press({10, 10}, {}, Qt::RightButton);
        d.release({10, 10}, Qt::RightButton);
        QCOMPARE(d.window.currentTool(), Tool::Select);
        QVERIFY(!d.window.editMenu()->isVisible()); // nothing selected
        d.addRect({100, 100, 50, 50});
        d.press({120, 120});
        d.release({120, 120});
        d.press({120, 120}, {}, Qt::RightButton);
        d.release({120, 120}, Qt::RightButton);
        QVERIFY(d.window.editMenu()->isVisible());
        d.window.editMenu()->hide();
    }

    void editMenuAtTheEndsOfTheList() {
        Designer d;
        d.addRect({100, 100, 50, 50});
        d.addRect({300, 100, 50, 50});
        d.select(2);
        QAction* lower = d.editAction(QStringLiteral("&D.向下一层"));
        QAction* raise = d.editAction(QStringLiteral("&U.向上一层"));
        QVERIFY(lower && raise);
        const auto boxes = [&d] {
            return QPoint(d.document().element(2).box.x, d.document().element(3).box.x);
        };
        lower->trigger(); // already the first element: nothing happens, no history step
        QCOMPARE(boxes(), QPoint(100, 300));
        QCOMPARE(d.document().selectedIndex(), 2);
        raise->trigger();
        QCOMPARE(boxes(), QPoint(300, 100));
        QCOMPARE(d.document().selectedIndex(), 3);
        raise->trigger(); // on top already
        QCOMPARE(boxes(), QPoint(300, 100));
        d.window.undo();
        d.window.undo();
        QCOMPARE(boxes(), QPoint(100, 300));
        d.window.redo();
        d.window.redo();
        QCOMPARE(boxes(), QPoint(300, 100));
        d.select(3);
        lower->trigger();
        QCOMPARE(boxes(), QPoint(100, 300));
        QCOMPARE(d.document().selectedIndex(), 2);
    }

    // An edit that changes nothing leaves no step to undo; one that changes something takes one.
    void onlyChangesTakeHistorySteps() {
        const struct {
            const char* name;
            std::int32_t select;
            std::function<void(Designer&)> act;
            bool changes;
        } cases[] = {
            {"arrow at the left edge", 2, [](Designer& d) { d.key(Qt::Key_Left); }, false},
            {"arrow inside the range", 2, [](Designer& d) { d.key(Qt::Key_Right); }, true},
            {"centering a centered element", 3,
             [](Designer& d) { d.editAction(QStringLiteral("&W.横向居中"))->trigger(); }, false},
            {"centering an element off center", 2,
             [](Designer& d) { d.editAction(QStringLiteral("&H.纵向居中"))->trigger(); }, true},
            {"lowering the first element", 2,
             [](Designer& d) { d.editAction(QStringLiteral("&D.向下一层"))->trigger(); }, false},
            {"a click that only selects", 0,
             [](Designer& d) {
                 d.press({500, 400});
                 d.release({500, 400});
             },
             false},
            {"a drag back to where it started", 0,
             [](Designer& d) {
                 d.press({500, 400});
                 d.moveTo({540, 420});
                 d.moveTo({500, 400});
                 d.release({500, 400});
             },
             false},
            {"a drag", 0,
             [](Designer& d) {
                 d.drag({500, 400}, {540, 420});
             },
             true},
        };
        for (const auto& c : cases) {
            Designer d;
            d.edit([](EditorDocument& doc) {
                PageChange page;
                page.paperWidth = 1000;
                page.paperHeight = 800;
                doc.setPage(page);
            });
            d.addRect({0, 0, 100, 100});
            d.addRect({450, 350, 100, 100});
            // One step back, so that a new step shows: the index rises and redo has nothing.
            d.window.undo();
            d.select(c.select);
            const int before = d.window.session().history().currentIndex();
            c.act(d);
            QVERIFY2(d.window.session().history().currentIndex() ==
                         (c.changes ? before + 1 : before),
                     c.name);
            QVERIFY2(d.window.session().canRedo() == !c.changes, c.name);
        }
    }

    void deleteAsksFirst() {
        Designer d;
        d.addRect({100, 100, 50, 50});
        d.select(2);
        const Asked question{"question", texts::kDeleteTitle, texts::kDeleteText};
        d.dialogs.answers = {false};
        d.editAction(QStringLiteral("&L.删除"))->trigger();
        QCOMPARE(d.dialogs.asked, QList<Asked>({question}));
        QVERIFY(!d.document().element(2).deleted);
        QCOMPARE(d.document().selectedIndex(), 2);

        // The tool bar's button is the same command.
        d.dialogs.answers = {true};
        for (QAction* action : d.window.findChild<QToolBar*>()->actions())
            if (action->text() == QStringLiteral("删除"))
                action->trigger();
        QCOMPARE(d.dialogs.asked.size(), 2);
        QVERIFY(d.document().element(2).deleted);
        QCOMPARE(d.document().selectedIndex(), 1);
        QCOMPARE(d.window.statusText(2), texts::kStatusBox);
        d.window.undo();
        d.window.undo();
        QVERIFY(!d.document().element(2).deleted);

        // Nothing selected: no question.
        d.selectNothing();
        d.editAction(QStringLiteral("&L.删除"))->trigger();
        QCOMPARE(d.dialogs.asked.size(), 2);
    }

    void duplicateAndCenter() {
        Designer d;
        tav::editor::PageChange page;
        page.paperWidth = 501;
        page.paperHeight = 333;
        d.edit([&](EditorDocument& doc) { doc.setPage(page); });
        d.addRect({10, 20, 101, 33});
        d.select(2);
        d.editAction(QStringLiteral("&C.复制新增"))->trigger();
        QCOMPARE(d.document().elementCount(), 3);
        QCOMPARE(d.document().selectedIndex(), 3);
        QCOMPARE(d.document().box().x, 10);
        QCOMPARE(d.document().box().width, 101);
        d.editAction(QStringLiteral("&W.横向居中"))->trigger();
        d.editAction(QStringLiteral("&H.纵向居中"))->trigger();
        // 501 / 2 - 101 / 2 = 250 - 50; 333 / 2 - 33 / 2 = 166 - 16, truncated.
        QCOMPARE(d.document().box().x, 200);
        QCOMPARE(d.document().box().y, 150);
        QCOMPARE(d.document().element(2).box.x, 10);
        d.window.undo();
        d.window.undo();
        QCOMPARE(d.document().element(3).box.y, 20);
        QCOMPARE(d.document().element(3).box.x, 200);
    }

    // A few elements made with the tools, as a user makes them; with TAV_SCREENSHOTS set to a
    // folder, the window is kept there as editing.png to look at.
    void screenshotAfterCreatingElements() {
        Designer d;
        const struct {
            Tool tool;
            QPoint at;
        } made[] = {{ElementKind::Text, {40, 40}},
                    {ElementKind::BarcodeImage, {40, 100}},
                    {ElementKind::QrCodeImage, {300, 60}},
                    {ElementKind::RectOutline, {20, 20}},
                    {ElementKind::HorizontalLine, {20, 240}},
                    {ElementKind::EllipseFilled, {300, 300}}};
        for (const auto& m : made) {
            d.window.selectTool(m.tool);
            d.press(m.at);
            d.release(m.at);
        }
        QCOMPARE(d.document().elementCount(), 7);
        d.drag({350, 350}, {380, 330}); // the ellipse, moved
        d.press({140, 150});            // the barcode, selected
        d.release({140, 150});
        QCOMPARE(d.document().selectedKind(), 10);
        const QByteArray folder = qgetenv("TAV_SCREENSHOTS");
        if (!folder.isEmpty())
            QVERIFY(d.window.grab().save(QString::fromLocal8Bit(folder) + "/editing.png"));
    }
};

QTEST_MAIN(CanvasEditingTest)
#include "CanvasEditingTest.moc"
