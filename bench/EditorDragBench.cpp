// Time for one step of dragging an element on the designer's real window: the pointer moves a
// pixel with the button held (the element moves, the status bar follows) and the visible canvas
// is painted (what the view's paint event does for the whole view), with a shipped example open and
// with a template of 1,000 elements. The goal is 16 ms, so that the element keeps up with the
// pointer.
//   build/bin/editor_drag_bench
#include "ScriptedDialogs.h"

#include "editor/app/MainWindow.h"
#include "editor/app/PageView.h"
#include "editor/core/EditorDocument.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

using tav::editor::EditorDocument;
using tav::editor::MainWindow;
using tav::editor::PageView;

// A crowded label: 1,000 elements of every common kind on a 100 x 150 mm page, in rows.
std::string writeCrowdedTemplate(const QString& folder) {
    EditorDocument document;
    tav::editor::PageChange page;
    page.paperWidth = 1000;
    page.paperHeight = 1500;
    document.setPage(page);
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t x = 20 + (i % 10) * 95, y = 20 + (i / 10) * 14;
        switch (i % 10) {
        case 0:
            document.addBarcode(x, y, 90, 12, std::to_string(100000 + i));
            break;
        case 1:
        case 2:
        case 3:
            document.addText(x, y, "TAV " + std::to_string(i));
            break;
        case 4:
            document.addLine(x, y + 6, 90, 10, tav::tpl::ElementKind::HorizontalLine);
            break;
        case 5:
            document.addEllipse(x, y, 90, 12, false);
            break;
        case 6:
            document.addRect(x, y, 90, 12, true, 3);
            break;
        default:
            document.addRect(x, y, 90, 12, false);
            break;
        }
    }
    const std::string path = (folder + "/crowded.tav").toStdString();
    return document.save(path) ? path : std::string();
}

void dragStep(benchmark::State& state, const std::string& path) {
    tav::editor::test::ScriptedDialogs dialogs;
    MainWindow window(dialogs);
    window.show();
    if (path.empty() || !window.commands().openFromArguments({QString::fromStdString(path)})) {
        state.SkipWithError("the template cannot be opened");
        return;
    }
    window.setZoomStep(static_cast<int>(state.range(0)));
    PageView& view = window.pageView();
    // The topmost element is dragged by its middle.
    const EditorDocument& document = window.session().document();
    const auto& box = document.element(document.elementCount()).box;
    const QRect pixels = view.pixelBox(box);
    // Scrolled so that the element lies in the view, as where a user grabs it.
    window.scrollTo({std::max(0, pixels.left() - 100), std::max(0, pixels.top() - 100)});
    const QPoint grab = pixels.center() - view.scroll();
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, grab);
    if (document.selectedIndex() != document.elementCount()) {
        state.SkipWithError("the element was not selected");
        return;
    }
    // What paintEvent does for the whole view (an offscreen window is never exposed).
    QImage image(view.size(), QImage::Format_RGB32);
    const auto repaint = [&] { view.paintArea(image, {0, 0}, QRect(view.scroll(), view.size())); };
    repaint();
    const std::int32_t startX = document.box().x;
    int step = 0;
    for (auto _ : state) {
        // Back and forth over twenty pixels, at least a unit from the start at every zoom.
        const int offset = 2 * ((step / 10) % 2 == 0 ? step % 10 : 10 - step % 10) + 2;
        ++step;
        const QPointF at = grab + QPointF(offset, offset);
        QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        repaint();
        benchmark::DoNotOptimize(image.constBits());
    }
    if (step > 0 && document.box().x == startX)
        state.SkipWithError("the element did not move");
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, grab);
}

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string crowded = writeCrowdedTemplate(scratch().path());
    for (const char* example : {"shipping-label", "price-tag", "product-label"}) {
        const std::string path = std::string(TAV_SOURCE_DIR "/examples/") + example + ".tav";
        benchmark::RegisterBenchmark(("dragStep/" + std::string(example)).c_str(), dragStep, path)
            ->ArgName("zoom")
            ->Arg(10)
            ->Arg(20)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("dragStep/1000-elements", dragStep, crowded)
        ->ArgName("zoom")
        ->Arg(10)
        ->Arg(20)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
