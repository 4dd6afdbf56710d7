// The canvas shows exactly what prints: for every shipped example, what the view paints equals,
// pixel for pixel, the picture `tavprint render` makes at the same resolution, at 100 % and
// 150 %, scrolled. Around the page the view shows the drawing area.
#include "editor/app/PageView.h"
#include "ProgramRun.h"
#include "editor/core/EditorDocument.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace tav::editor;

class PageViewTest : public QObject {
    Q_OBJECT
private slots:
    void viewEqualsRenderedPage_data() {
        QTest::addColumn<QString>("example");
        QTest::addColumn<int>("zoomStep");
        QTest::addColumn<QPoint>("scroll");
        for (const char* example : {"shipping-label", "price-tag", "product-label"}) {
            for (int step : {10, 15}) {
                for (QPoint scroll : {QPoint(0, 0), QPoint(37, 23)}) {
                    QTest::addRow("%s at %d0%% scrolled %d,%d", example, step, scroll.x(),
                                  scroll.y())
                        << QString(example) << step << scroll;
                }
            }
        }
    }

    void viewEqualsRenderedPage() {
        QFETCH(QString, example);
        QFETCH(int, zoomStep);
        QFETCH(QPoint, scroll);
        const QString file = QStringLiteral(TAV_SOURCE_DIR "/examples/") + example + ".tav";

        // The page as printed, at 254 dpi per step of ten (one pixel per 0.1 mm at 100 %).
        QTemporaryDir dir;
        const QString png = dir.path() + "/page.png";
        const int dpi = 254 * zoomStep / 10;
        QCOMPARE(runProgram(QStringLiteral(TAV_TAVPRINT),
                            {"render", file, "-o", png, "--dpi", QString::number(dpi)})
                     .exitCode,
                 0);
        const QImage printed = QImage(png).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!printed.isNull());

        EditorDocument document;
        QCOMPARE(document.load(file.toStdString()), LoadStatus::Loaded);
        PageView view;
        view.resize(printed.width() + 40, printed.height() + 30);
        view.setTemplate(&document.templ());
        view.setZoomStep(zoomStep);
        view.setScroll(scroll);
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), view.size());

        int differing = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QPoint page = QPoint(x, y) + scroll;
                const QRgb expected =
                    printed.rect().contains(page) ? printed.pixel(page) : 0xFFA0A0A0;
                if (shown.pixel(x, y) != expected && differing++ < 5)
                    qWarning("pixel %d,%d: %08x, printed %08x", x, y, shown.pixel(x, y), expected);
            }
        }
        QCOMPARE(differing, 0);
    }

    void onlyTheExposedPartIsDrawn() {
        // Painting a strip leaves the rest of the image as it was.
        EditorDocument document;
        QCOMPARE(document.load(TAV_SOURCE_DIR "/examples/shipping-label.tav"), LoadStatus::Loaded);
        PageView view;
        view.setTemplate(&document.templ());
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(0xFF123456);
        view.paintArea(image, {0, 40}, QRect(0, 40, 200, 20));
        QCOMPARE(image.pixel(5, 5), 0xFF123456u);
        QCOMPARE(image.pixel(5, 70), 0xFF123456u);
        QVERIFY(image.pixel(5, 45) != 0xFF123456u);
    }

    void marksAreDrawnAroundThePage() {
        EditorDocument document;
        QCOMPARE(document.load(TAV_SOURCE_DIR "/examples/price-tag.tav"), LoadStatus::Loaded);
        PageView view;
        view.resize(300, 300);
        view.setTemplate(&document.templ());
        const QImage plain = view.grab().toImage();
        view.setMarks({tav::tpl::ElementBox{100, 100, 50, 40}, {}, std::nullopt});
        const QImage marked = view.grab().toImage();
        // The 6-pixel handle lies at the bottom-right corner of the box.
        QVERIFY(marked.pixel(152, 142) != plain.pixel(152, 142));
        QCOMPARE(marked.pixel(150 + kResizeHandlePixels + 2, 142), plain.pixel(158, 142));
        QCOMPARE(marked.pixel(120, 120), plain.pixel(120, 120));
    }

    // A picture that cannot be made or decoded leaves its element empty inside its box; the
    // canvas keeps painting the rest, each time the same.
    void failedPicturesLeaveTheirBoxEmpty() {
        // The barcode library fails for the first symbol only.
        struct FailingOnce : tav::engine::PictureMaker {
            int calls = 0;
            tav::tpl::SharedBytes barcode(const std::string& content) override {
                return calls++ == 0 ? tav::tpl::SharedBytes()
                                    : tav::engine::libraryPictureMaker().barcode(content);
            }
            tav::tpl::SharedBytes qrCode(const std::string&, std::int32_t) override { return {}; }
            std::optional<tav::tpl::SharedBytes> pictureFile(const std::string&) override {
                return std::nullopt;
            }
        } maker;
        DocumentServices services;
        services.pictures = &maker;
        EditorDocument document(services);
        document.setPage([] {
            PageChange change;
            change.paperColor = 0xFFFFFF;
            return change;
        }());
        // A barcode that could not be made, a file that is no picture, a good barcode.
        document.select(document.addBarcode(10, 10, 200, 80, "1234"));
        QVERIFY(document.selected().image.shown.empty());
        const std::uint8_t garbage[] = {'B', 'M', 1, 2, 3};
        document.addPicture(10, 110, 100, 80, tav::tpl::SharedBytes(garbage, sizeof garbage));
        document.addBarcode(10, 210, 200, 80, "1234");

        PageView view;
        view.resize(300, 320);
        view.setTemplate(&document.templ());
        const QImage first = view.grab().toImage();
        const QImage second = view.grab().toImage();
        QCOMPARE(first, second);
        const auto inkInside = [&](QRect box) {
            int ink = 0;
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    ink += first.pixel(x, y) != qRgb(255, 255, 255);
            return ink;
        };
        QCOMPARE(inkInside(QRect(12, 12, 196, 76)), 0);
        QCOMPARE(inkInside(QRect(12, 112, 96, 76)), 0);
        QVERIFY(inkInside(QRect(12, 212, 196, 76)) > 1000);
    }
};

QTEST_MAIN(PageViewTest)
#include "PageViewTest.moc"
