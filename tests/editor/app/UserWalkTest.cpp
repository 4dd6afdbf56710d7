// A walk through the designer as a user makes it, on a real X server (Xvfb): the page size
// typed into the page tab, a frame, a text, a Code 128 barcode bound to the mark {SKU} and a
// QR code made with the tool box and the pointer and set up in their property tabs, the label
// saved with the tool bar's 保存 and printed by `tavprint batch` from a CSV of three rows.
// Then: the file reads back with the four elements, every printed label carries its row's
// barcode and the QR code, and a screenshot of the canvas at 100 % shows every element's ink
// where `tavprint render` of the saved file puts it.
#include "ProgramRun.h"
#include "ScriptedDialogs.h"
#include "support/DesignerDriver.h"

#include "editor/app/MainWindow.h"
#include "editor/app/PageView.h"
#include "editor/app/PropertyTabs.h"
#include "editor/core/EditorTexts.h"
#include "platform/Charset.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

using namespace tav::editor;
using tav::editor::test::DesignerDriver;
using tav::editor::test::ScriptedDialogs;
using tav::editor::test::typeInto;
using tav::tpl::ElementBox;
using tav::tpl::ElementKind;

namespace {

constexpr int kProcessTimeoutSeconds = 180;
constexpr int kScreenTimeoutMs = 60000;

// Where the screenshots are kept for a person to look at.
const QString kScreenshots = QStringLiteral(TAV_SCREENSHOT_DIR);

const QString kQrText = QStringLiteral("https://example.com/walk?id=7");
const QString kTitle = QStringLiteral("样品标签 Walk");
const QStringList kSkus = {"WALK-0001", "WALK-0002", "WALK-0003"};

// A program's standard output and error together, so that a failure shows what it said.
ProgramRun run(const QString& program, const QStringList& arguments) {
    return runProgram(program, arguments,
                      {.withErrors = true, .timeoutSeconds = kProcessTimeoutSeconds});
}

// Ink: a dark pixel. Both pictures come from the same renderer, so one threshold fits both.
bool isInk(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Whether an ink pixel of `b` lies within `reach` pixels of (x, y).
bool inkNear(const QImage& b, int x, int y, int reach) {
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (b.rect().contains(x + dx, y + dy) && isInk(b.pixel(x + dx, y + dy)))
                return true;
    return false;
}

// The ink pixels of `a` inside `area` that have no ink of `b` within `reach` pixels.
int strayInk(const QImage& a, const QImage& b, QRect area, int reach) {
    int stray = 0;
    area &= a.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            stray += isInk(a.pixel(x, y)) && !inkNear(b, x, y, reach);
    return stray;
}

QRect inkBounds(const QImage& image, QRect area) {
    QRect bounds;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isInk(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int largestEdgeShift(QRect a, QRect b) {
    return std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()),
                     std::abs(a.right() - b.right()), std::abs(a.bottom() - b.bottom())});
}

// The window and its dialogs, built before the driver that drives them.
struct ShownWindow {
    ScriptedDialogs dialogs;
    MainWindow window{dialogs};
};

// The designer shown on the screen, driven through its widgets.
struct Designer : ShownWindow, DesignerDriver {
    Designer() : DesignerDriver(window) {}

    void clickTool(const char* name) {
        auto* button = window.findChild<QWidget*>(QStringLiteral("工具箱"))
                           ->findChild<QToolButton*>(QString::fromUtf8(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // A click on the canvas at a content pixel (at 100 %, one pixel is 0.1 mm).
    void clickCanvas(QPoint content) { click(content); }
    // Button down at `from`, pointer moves in steps of a pixel or two to `to`, button up.
    void drag(QPoint from, QPoint to) { DesignerDriver::drag(from, to, 10); }
    // Types into a field of the tab the property bar shows, then Enter or (enter false)
    // nothing: the user goes on elsewhere.
    void type(const char* name, const QString& text, bool enter = true) {
        QLineEdit* edit = field(QString::fromUtf8(name));
        QVERIFY2(edit && edit->isVisible(), name);
        typeInto(edit, text, enter);
    }
    void clickToolBar(const QString& caption) {
        auto* bar = window.findChild<QToolBar*>(QStringLiteral("工具条"));
        for (QAction* action : bar->actions()) {
            if (action->text() == caption) {
                QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
                return;
            }
        }
        QFAIL("no such tool bar button");
    }
    // Waits until the screen shows the canvas as the view paints it now: a paint reaches the
    // X server a moment after it is made, and the window is flushed as a whole.
    bool waitForScreen() {
        const QRect area(view().mapTo(&window, QPoint(0, 0)), view().size());
        return QTest::qWaitFor(
            [&] {
                const QImage painted =
                    view().grab().toImage().convertToFormat(QImage::Format_RGB32);
                return screenshot(area) == painted;
            },
            kScreenTimeoutMs);
    }
    // What the screen shows of the window (whole: an empty rectangle).
    QImage screenshot(QRect area = {}) {
        QPoint at;
        QSize size = window.size();
        if (!area.isEmpty()) {
            at = area.topLeft();
            size = area.size();
        }
        return window.screen()
            ->grabWindow(window.winId(), at.x(), at.y(), size.width(), size.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
};

// The element made last: selected, and its tab shown.
void expectSelected(Designer& d, ElementKind kind, ElementBox box) {
    QCOMPARE(d.document().selectedKind(), static_cast<int>(kind));
    QCOMPARE(d.window.propertyTabs().currentIndex(), static_cast<int>(kind));
    const ElementBox made = d.document().box();
    QCOMPARE(made.x, box.x);
    QCOMPARE(made.y, box.y);
    if (box.width != 0) {
        QCOMPARE(made.width, box.width);
        QCOMPARE(made.height, box.height);
    }
    // Status bar part 3 shows the box, after the tool and after every typed change.
    QCOMPARE(d.window.statusText(2), QString::fromStdString(boxText(made)));
}

} // namespace

class UserWalkTest : public QObject {
    Q_OBJECT
private slots:
    void designSaveAndPrintALabel() {
        QVERIFY(QDir().mkpath(kScreenshots));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString saved = dir.filePath(QStringLiteral("walk-label.tav"));

        Designer d;
        d.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d.window, kScreenTimeoutMs));
        // Focus moves as the user clicks only in the active window.
        d.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.window, kScreenTimeoutMs));
        // One screen pixel per canvas pixel, or the screenshot could not be compared.
        QCOMPARE(d.window.devicePixelRatio(), 1.0);
        QCOMPARE(d.view().zoomStep(), 10);

        // The page: 60 x 31 mm, typed into the page tab.
        QCOMPARE(d.window.propertyTabs().currentIndex(), 0);
        d.type("纸张宽度", "60");
        d.type("纸张高度", "31");
        QCOMPARE(d.document().page().paperWidth, 600);
        QCOMPARE(d.document().page().paperHeight, 310);

        // A frame 1 mm inside the edge, with a pen of 3.
        d.clickTool("空矩");
        d.clickCanvas({10, 10});
        expectSelected(d, ElementKind::RectOutline, {10, 10, 100, 100});
        d.type("宽度", "58");
        d.type("高度", "29");
        d.type("线宽", "3");
        expectSelected(d, ElementKind::RectOutline, {10, 10, 580, 290});
        QCOMPARE(d.document().penWidth(), 3);

        // The title, in a 14 point font chosen in the font dialog.
        d.clickTool("文本");
        d.clickCanvas({40, 30});
        expectSelected(d, ElementKind::Text, {40, 30, 0, 0});
        d.type("内容", kTitle);
        d.dialogs.fonts.push_back(QFont(QStringLiteral("宋体"), 14));
        QTest::mouseClick(d.window.propertyTabs().currentWidget()->findChild<QPushButton*>(
                              QStringLiteral("选择")),
                          Qt::LeftButton);
        QCOMPARE(d.document().font().size, 14);
        QCOMPARE(d.document().content(), *tav::platform::utf8ToGbk(kTitle.toStdString()));

        // The barcode, filled from the column {SKU} of each data row.
        d.clickTool("条码");
        d.clickCanvas({40, 110});
        expectSelected(d, ElementKind::BarcodeImage, {40, 110, 200, 100});
        d.type("宽度", "36");
        d.type("高度", "16");
        d.type("内容", kSkus[0]);
        d.type("标记", "{SKU}", false);

        // The QR code, made a little off and dragged into place. The mark typed last is taken
        // when the user leaves its field by clicking on the canvas, and goes to the barcode.
        d.clickTool("维码");
        d.clickCanvas({440, 140});
        const auto& barcode = d.document().element(4);
        QCOMPARE(barcode.mark, std::string("{SKU}"));
        QCOMPARE(barcode.content, kSkus[0].toStdString());
        QVERIFY(barcode.box == (ElementBox{40, 110, 360, 160}));
        expectSelected(d, ElementKind::QrCodeImage, {440, 140, 100, 100});
        d.drag({470, 170}, {450, 150});
        expectSelected(d, ElementKind::QrCodeImage, {420, 120, 100, 100});
        d.type("宽度", "14");
        d.type("高度", "14");
        d.type("内容", kQrText);
        expectSelected(d, ElementKind::QrCodeImage, {420, 120, 140, 140});
        QCOMPARE(d.document().qrSize(), 256);

        // The window as the user sees it, the QR code selected: for the README.
        QVERIFY(d.waitForScreen());
        d.screenshot().save(kScreenshots + "/walk-window.png");

        // Saved with the tool bar's 保存; the save dialog answers with the path.
        d.dialogs.files.push_back(saved);
        d.clickToolBar(QStringLiteral("保存"));
        QCOMPARE(d.dialogs.asked.last().kind, QStringLiteral("save"));
        QCOMPARE(d.window.currentPath(), saved);
        QCOMPARE(d.window.windowTitle(), QStringLiteral("TAVEditor - ") + saved);

        // Read back: the page and the four elements, in the order they were made.
        EditorDocument reloaded;
        QCOMPARE(reloaded.load(saved.toStdString()), LoadStatus::Loaded);
        QCOMPARE(reloaded.page().paperWidth, 600);
        QCOMPARE(reloaded.page().paperHeight, 310);
        QCOMPARE(reloaded.elementCount(), 5);
        const ElementKind kinds[] = {ElementKind::RectOutline, ElementKind::Text,
                                     ElementKind::BarcodeImage, ElementKind::QrCodeImage};
        std::vector<ElementBox> boxes;
        for (int i = 0; i < 4; ++i) {
            const auto& element = reloaded.element(i + 2);
            QCOMPARE(element.kind, static_cast<std::int32_t>(kinds[i]));
            QVERIFY(element.box == d.document().element(i + 2).box);
            boxes.push_back(element.box);
        }
        QCOMPARE(reloaded.element(4).mark, std::string("{SKU}"));
        QCOMPARE(reloaded.element(5).content, kQrText.toStdString());
        QCOMPARE(reloaded.element(3).font.size, 14);

        // The canvas at 100 % with nothing selected (Esc), as the screen shows it, against the
        // saved file rendered at the canvas's resolution (254 dpi: a pixel per 0.1 mm).
        QTest::keyClick(&d.view(), Qt::Key_Escape);
        QVERIFY(!d.document().hasSelection());
        const QString renderedPng = dir.filePath(QStringLiteral("rendered.png"));
        const ProgramRun render =
            run(QStringLiteral(TAV_TAVPRINT), {"render", saved, "-o", renderedPng, "--dpi", "254"});
        QVERIFY2(render.exitCode == 0, qPrintable(render.output));
        const QImage rendered = QImage(renderedPng).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(rendered.size(), QSize(600, 310));
        QVERIFY(d.view().width() >= rendered.width() && d.view().height() >= rendered.height());
        QCOMPARE(d.view().scroll(), QPoint(0, 0));
        rendered.save(kScreenshots + "/walk-rendered.png");

        // Every ink pixel of either picture has ink of the other within 2 pixels, and each
        // element's ink spans the same box to 2 pixels. The screen is read until it shows this
        // (a paint reaches the X server a moment after it is made), for at most a minute.
        constexpr int kReach = 2;
        const QRect page(d.view().mapTo(&d.window, QPoint(0, 0)), rendered.size());
        QImage canvas;
        QString mismatch = QStringLiteral("no screenshot");
        const auto canvasMatches = [&] {
            canvas = d.screenshot(page);
            if (canvas.size() != rendered.size())
                return false;
            const int strayShown = strayInk(canvas, rendered, canvas.rect(), kReach);
            const int strayPrinted = strayInk(rendered, canvas, rendered.rect(), kReach);
            mismatch = QStringLiteral("ink shown but not printed: %1 pixels, printed but not "
                                      "shown: %2 pixels")
                           .arg(strayShown)
                           .arg(strayPrinted);
            if (strayShown != 0 || strayPrinted != 0)
                return false;
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                const ElementBox& b = boxes[i];
                const QRect area = QRect(b.x, b.y, b.width, b.height).adjusted(-3, -3, 3, 3);
                const QRect shown = inkBounds(canvas, area);
                const QRect printed = inkBounds(rendered, area);
                const int shift = largestEdgeShift(shown, printed);
                if (shown.isEmpty() || printed.isEmpty() || shift > kReach) {
                    mismatch = QStringLiteral("element %1: ink at %2,%3 %4x%5 on the canvas, "
                                              "%6,%7 %8x%9 printed")
                                   .arg(i + 2)
                                   .arg(shown.x())
                                   .arg(shown.y())
                                   .arg(shown.width())
                                   .arg(shown.height())
                                   .arg(printed.x())
                                   .arg(printed.y())
                                   .arg(printed.width())
                                   .arg(printed.height());
                    return false;
                }
            }
            return true;
        };
        bool matched = false;
        for (QDeadlineTimer deadline(kScreenTimeoutMs); !matched && !deadline.hasExpired();) {
            matched = canvasMatches();
            if (!matched)
                QTest::qWait(50);
        }
        canvas.save(kScreenshots + "/walk-canvas.png");
        QVERIFY2(matched, qPrintable(mismatch));
        // Each element's ink lies inside its box, where the selection frame shows it (the text's
        // box is measured): none in a band 8 pixels wide around the box (the elements lie more
        // than 8 pixels apart), none outside the frame.
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const ElementBox& b = boxes[i];
            const QRect box =
                QRect(b.x, b.y, b.width, b.height).adjusted(-kReach, -kReach, kReach, kReach);
            const QRect around = i == 0 ? rendered.rect() : box.adjusted(-8, -8, 8, 8);
            QVERIFY2(inkBounds(rendered, around) == inkBounds(rendered, box),
                     qPrintable(QStringLiteral("element %1 inks outside its box").arg(i + 2)));
        }

        // Printed from three rows into one PDF: each page has its row's barcode and the QR.
        const QString csv = dir.filePath(QStringLiteral("rows.csv"));
        {
            QFile file(csv);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{SKU}\r\n" + kSkus.join("\r\n").toUtf8() + "\r\n");
        }
        const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
        const ProgramRun batch =
            run(QStringLiteral(TAV_TAVPRINT),
                {"batch", saved, "--csv", csv, "--output", pdf, "--dpi", "300"});
        QVERIFY2(batch.exitCode == 0, qPrintable(batch.output));
        const QString pages = dir.filePath(QStringLiteral("label"));
        const ProgramRun raster = run("pdftoppm", {"-r", "300", "-png", pdf, pages});
        QVERIFY2(raster.exitCode == 0, qPrintable(raster.output));
        const QStringList pictures =
            QDir(dir.path()).entryList({QStringLiteral("label-*.png")}, QDir::Files, QDir::Name);
        QCOMPARE(pictures.size(), kSkus.size());
        for (int row = 0; row < kSkus.size(); ++row) {
            const ProgramRun read = run("zbarimg", {"--nodbus", "-q", dir.filePath(pictures[row])});
            QStringList symbols = read.output.split('\n', Qt::SkipEmptyParts);
            symbols.sort();
            QCOMPARE(symbols, QStringList({"CODE-128:" + kSkus[row], "QR-Code:" + kQrText}));
        }
    }
};

QTEST_MAIN(UserWalkTest)
#include "UserWalkTest.moc"
