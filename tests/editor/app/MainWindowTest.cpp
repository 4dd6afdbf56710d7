// The designer's window under the offscreen platform: opening from the command line, New, Open,
// Save, Save As, Exit and Print, with every question and box they show, answered by
// ScriptedDialogs.
#include "ScriptedDialogs.h"
#include "support/DesignerDriver.h"

#include "editor/app/MainWindow.h"
#include "editor/app/PageView.h"
#include "editor/app/PrintPreview.h"
#include "editor/app/Ruler.h"
#include "editor/app/RunDesigner.h"
#include "editor/app/UiTexts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace tav::editor;
using tav::editor::test::Asked;
using tav::editor::test::DesignerDriver;
using tav::editor::test::ScriptedDialogs;

namespace {

// A picture no decoder reads: the engine refuses to print a page it cannot draw whole, so a
// print that got as far as the engine shows its error box.
void addUndrawablePicture(tav::editor::EditorDocument& document) {
    const std::uint8_t garbage[] = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    document.addPicture(10, 10, 100, 100, tav::tpl::SharedBytes(garbage, sizeof garbage));
}

const QString kExamples = QStringLiteral(TAV_SOURCE_DIR "/examples");
const QString kUntitledCaption = QStringLiteral("TAVEditor - 未命名.tav");

Asked errorBox(const QString& title, const QString& text) {
    return {"error", title, text};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        // Scratch files of printing land here, so the tests can see that none is left.
        m_scratch = m_dir.path() + "/scratch";
        QVERIFY(QDir().mkpath(m_scratch));
        qputenv("TMPDIR", m_scratch.toLocal8Bit());
    }

    void startsUntitled() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QCOMPARE(window.windowTitle(), kUntitledCaption);
        QCOMPARE(window.minimumSize(), QSize(1200, 700));
        QCOMPARE(window.size(), QSize(1200, 700));
        QVERIFY(window.commands().openFromArguments({}));
        QVERIFY(dialogs.asked.isEmpty());
        // The printer combo starts with the empty item that stands for the default printer.
        auto* printers = window.findChild<QComboBox*>(QStringLiteral("打印机名称"));
        QVERIFY(printers);
        QCOMPARE(printers->itemText(0), QString());
    }

    void menusAndToolBar() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        // Each menu's items in order ("-" a separator), with their shortcuts.
        const QStringList expected = {
            "&F.文件: &N.新建 Ctrl+N|&O.打开 Ctrl+O|&S.保存 Ctrl+S|&A.另存为 Ctrl+A|-|&P.打印 "
            "Ctrl+P|&V.打印预览 Ctrl+V|&X.打印设置|-|&D.导入lab|&G.关联|-|&E.退出",
            "&E.编辑: &Z.撤销 Ctrl+Z|&Y.重复 Ctrl+Y|&C.复制新增 Ctrl+C|-|&W.横向居中 "
            "Ctrl+W|&H.纵向居中 Ctrl+H|-|&U.向上一层 Ctrl+U|&D.向下一层 Ctrl+D|-|&L.删除 Ctrl+L",
            "&B.批量: &S.Microsoft SQL Server|&E.Microsoft Office Excel|&Q.MySQL",
            "&H.帮助: &B.使用说明|&F.安装字体|&A.关于"};
        QStringList menus;
        for (QAction* menu : window.menuBar()->actions()) {
            QStringList items;
            for (QAction* item : menu->menu()->actions()) {
                items << (item->isSeparator()
                              ? QStringLiteral("-")
                              : (item->text() + " " + item->shortcut().toString()).trimmed());
            }
            menus << menu->text() + ": " + items.join('|');
        }
        QCOMPARE(menus, expected);

        // Fifteen positions; 5, 8 and 14 are gaps.
        auto* bar = window.findChild<QToolBar*>(QStringLiteral("工具条"));
        QStringList positions;
        for (QAction* action : bar->actions())
            positions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(positions.join('|'),
                 QStringLiteral("新建|打开|保存|另存为|-|打印|打印预览|-|"
                                "横向居中|纵向居中|向上一层|向下一层|删除|-|退出"));
        // The tool box: 14 tools, 选择 pressed.
        auto* box = window.findChild<QWidget*>(QStringLiteral("工具箱"));
        const auto tools = box->findChildren<QToolButton*>();
        QCOMPARE(tools.size(), 14);
        QVERIFY(box->findChild<QToolButton*>(QStringLiteral("选择"))->isChecked());
        QCOMPARE(window.findChild<QTabWidget*>(QStringLiteral("属性夹"))->count(), 14);
    }

    void commandLineOpenFailures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // written first unless empty
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("missing") << "missing.tav" << QByteArray() << texts::kOpenMissingText;
        QTest::newRow("not a template")
            << "broken.tav" << QByteArray("this is not a template") << QString("unusable");
    }
    void commandLineOpenFailures() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, expectedText);
        const QString path = m_dir.path() + "/" + file;
        if (!content.isEmpty())
            writeFile(path, content);
        if (expectedText == "unusable")
            expectedText = texts::kOpenUnusableText + path;
        // The program ends at once, with exit code 0, after the error box.
        ScriptedDialogs dialogs;
        QCOMPARE(runDesigner(dialogs, {path}), 0);
        QCOMPARE(dialogs.asked, QList<Asked>{errorBox(texts::kOpenFailedTitle, expectedText)});
    }

    void commandLineJoinsArgumentsWithBlanks() {
        const QString path = m_dir.path() + "/my shipping label.tav";
        QVERIFY(QFile::copy(kExamples + "/shipping-label.tav", path));
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        const QStringList words = path.split(' ');
        QVERIFY(window.commands().openFromArguments({words[0], words[1], words[2] + "  "}));
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(window.currentPath(), path);
        QCOMPARE(window.windowTitle(), "TAVEditor - " + path);
        QVERIFY(window.session().document().elementCount() > 1);
    }

    void newAsksAndClears() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QVERIFY(window.commands().openFromArguments({kExamples + "/price-tag.tav"}));
        const Asked question{"question", texts::kNewTitle, texts::kNewText};

        dialogs.answers = {false};
        window.commands().newDocument();
        QCOMPARE(dialogs.asked, QList<Asked>{question});
        QVERIFY(window.session().document().elementCount() > 1);

        dialogs.answers = {true};
        window.commands().newDocument();
        QCOMPARE(window.session().document().elementCount(), 1);
        QCOMPARE(window.currentPath(), QString());
        QCOMPARE(window.windowTitle(), kUntitledCaption);
        QCOMPARE(window.findChild<QSlider*>(QStringLiteral("滑块条1"))->value(), 10);
    }

    void openFlows() {
        const QString broken = m_dir.path() + "/broken.tav";
        writeFile(broken, "TAV 9.9...");
        const QString example = kExamples + "/shipping-label.tav";
        const Asked question{"question", texts::kOpenTitle, texts::kOpenText};
        const Asked dialog{"open", texts::kOpenDialogTitle,
                           QStringLiteral("未命名.tav|tav文件(*.tav)|tav")};

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        // No: nothing else is asked.
        window.commands().openDocument();
        QCOMPARE(dialogs.asked, QList<Asked>{question});
        // Yes, then the dialog cancelled.
        dialogs.asked.clear();
        dialogs.answers = {true};
        window.commands().openDocument();
        QCOMPARE(dialogs.asked, (QList<Asked>{question, dialog}));
        QCOMPARE(window.windowTitle(), kUntitledCaption);
        // A file that is not a template: the error names it, the document is new and untitled,
        // so that Save cannot write it over that file.
        QVERIFY(window.commands().openFromArguments({kExamples + "/price-tag.tav"}));
        dialogs.asked.clear();
        dialogs.answers = {true};
        dialogs.files = {broken};
        window.commands().openDocument();
        QCOMPARE(dialogs.asked, (QList<Asked>{question, dialog,
                                              errorBox(texts::kOpenFailedTitle,
                                                       texts::kOpenUnusableText + broken)}));
        QCOMPARE(window.session().document().elementCount(), 1);
        QCOMPARE(window.windowTitle(), kUntitledCaption);
        QCOMPARE(window.currentPath(), QString());
        // A template opens, with its caption.
        dialogs.asked.clear();
        dialogs.answers = {true};
        dialogs.files = {example};
        window.commands().openDocument();
        QCOMPARE(dialogs.asked, (QList<Asked>{question, dialog}));
        QCOMPARE(window.windowTitle(), "TAVEditor - " + example);
        QVERIFY(window.session().document().elementCount() > 1);
    }

    void openShowsTheZoomOfTheFile() {
        // Saved at 150 %: the combo shows its 150 % item, the slider 15.
        const QString path = m_dir.path() + "/zoomed.tav";
        {
            ScriptedDialogs dialogs;
            MainWindow window(dialogs);
            window.setZoomStep(15);
            dialogs.files = {path};
            window.commands().saveAs();
            QVERIFY(QFile::exists(path));
        }
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        dialogs.answers = {true};
        dialogs.files = {path};
        window.commands().openDocument();
        QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("组合框5"))->currentText(),
                 QStringLiteral("150%"));
        QCOMPARE(window.findChild<QSlider*>(QStringLiteral("滑块条1"))->value(), 15);
    }

    void saveAndSaveAs() {
        const Asked dialog{"save", texts::kSaveDialogTitle,
                           QStringLiteral("未命名.tav|tav文件(*.tav)|tav")};
        const QString first = m_dir.path() + "/first.tav";
        const QString failing = m_dir.path() + "/no-such-folder/label.tav";
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);

        // Untitled Save asks for a name; cancelled: nothing.
        window.commands().save();
        QCOMPARE(dialogs.asked, QList<Asked>{dialog});
        QCOMPARE(window.windowTitle(), kUntitledCaption);
        // An empty name: untitled.
        dialogs.asked.clear();
        dialogs.files = {QString()};
        window.commands().save();
        QCOMPARE(window.currentPath(), QString());
        QCOMPARE(window.windowTitle(), kUntitledCaption);
        // Saved: the caption names the file; a second Save asks nothing.
        dialogs.asked.clear();
        dialogs.files = {first};
        window.commands().save();
        QCOMPARE(dialogs.asked, QList<Asked>{dialog});
        QVERIFY(QFile::exists(first));
        QCOMPARE(window.windowTitle(), "TAVEditor - " + first);
        dialogs.asked.clear();
        window.commands().save();
        QVERIFY(dialogs.asked.isEmpty());

        // Save As to a path that cannot be written: the error names it and says why, the
        // caption stays, and the path is kept, so Save tries it again without a dialog.
        dialogs.files = {failing};
        window.commands().saveAs();
        const Asked failed =
            errorBox(texts::kSaveFailedTitle, texts::kSaveFailedText + failing +
                                                  "\ncannot create a temporary file beside " +
                                                  failing + ": No such file or directory");
        QCOMPARE(dialogs.asked, (QList<Asked>{dialog, failed}));
        QCOMPARE(window.currentPath(), failing);
        QCOMPARE(window.windowTitle(), "TAVEditor - " + first);
        dialogs.asked.clear();
        window.commands().save();
        QCOMPARE(dialogs.asked, QList<Asked>{failed});
    }

    void exitAndClose() {
        const Asked question{"question", texts::kExitTitle, texts::kExitText};
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QSignalSpy finished(&window, &MainWindow::finished);
        window.show();
        // No: nothing happens, also when the window is closed.
        window.commands().exitProgram();
        QVERIFY(!window.close());
        QCOMPARE(dialogs.asked, (QList<Asked>{question, question}));
        QCOMPARE(finished.count(), 0);
        QVERIFY(window.isVisible());
        // Yes: the program ends with code 0.
        dialogs.answers = {true};
        window.commands().exitProgram();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toInt(), 0);
    }

    void printStopsWithoutACount_data() {
        QTest::addColumn<std::optional<int>>("answer");
        QTest::newRow("cancelled") << std::optional<int>();
        QTest::newRow("zero") << std::optional<int>(0);
        QTest::newRow("negative") << std::optional<int>(-2);
    }
    void printStopsWithoutACount() {
        QFETCH(std::optional<int>, answer);
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QVERIFY(window.commands().openFromArguments({kExamples + "/price-tag.tav"}));
        // Had anything reached the engine, its error box would say so.
        window.session().edit(addUndrawablePicture);
        dialogs.integers = {answer};
        window.commands().print();
        const QList<Asked> countOnly{{"integer", texts::kCopiesTitle, texts::kCopiesPrompt + "|1"}};
        QCOMPARE(dialogs.asked, countOnly);
        QCOMPARE(QDir(m_scratch).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void printReportsAFailedCopy() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QVERIFY(window.commands().openFromArguments({kExamples + "/price-tag.tav"}));
        window.session().edit(addUndrawablePicture);
        dialogs.integers = {3};
        window.commands().print();
        // One box, and the remaining copies are skipped.
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1], errorBox(texts::kPrintFailedTitle, texts::kPrintCopyText));
        QCOMPARE(QDir(m_scratch).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void zoomControlsMirrorEachOther() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        auto* slider = window.findChild<QSlider*>(QStringLiteral("滑块条1"));
        auto* combo = window.findChild<QComboBox*>(QStringLiteral("组合框5"));
        slider->setValue(4);
        QCOMPARE(combo->currentText(), QStringLiteral("40%"));
        QCOMPARE(window.pageView().zoomStep(), 4);
        QCOMPARE(window.session().document().zoomStep(), 4);
        combo->setCurrentIndex(19);
        QCOMPARE(slider->value(), 20);
        QCOMPARE(window.pageView().contentSize(), QSize(10000, 10000));

        // Ctrl + wheel: a notch is a step, clamped to 10 % .. 200 %; without Ctrl it scrolls.
        PageView& view = window.pageView();
        window.show();
        const auto wheel = [&view](int delta, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(),
                              QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&view, &event);
        };
        wheel(-120 * 3, Qt::ControlModifier);
        QCOMPARE(slider->value(), 17);
        QCOMPARE(combo->currentText(), QStringLiteral("170%"));
        wheel(120 * 5, Qt::ControlModifier);
        QCOMPARE(slider->value(), 20);
        wheel(-120, Qt::NoModifier);
        QCOMPARE(slider->value(), 20);
        QVERIFY(view.scroll().y() > 0);
    }

    void canvasAndRulersScrollTogether() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        window.setZoomStep(20);
        auto* horizontal = window.findChild<QScrollBar*>(QStringLiteral("横向滚动条"));
        auto* vertical = window.findChild<QScrollBar*>(QStringLiteral("纵向滚动条"));
        QCOMPARE(horizontal->maximum(), 10000 - window.pageView().width());
        window.scrollTo({300, 120});
        QCOMPARE(window.pageView().scroll(), QPoint(300, 120));
        // The rulers' cursors follow the pointer in content pixels; the status bar shows mm.
        // A pointer 10, 20 pixels into the view, no button held.
        DesignerDriver(window).moveTo(window.pageView().scroll() + QPoint(10, 20), Qt::NoButton);
        auto* top = window.findChild<Ruler*>(QStringLiteral("上标尺"));
        auto* left = window.findChild<Ruler*>(QStringLiteral("左标尺"));
        QCOMPARE(top->cursorAt(), 310);
        QCOMPARE(left->cursorAt(), 140);
        QVERIFY(window.findChildren<QLabel*>().size() >= 3);
        QCOMPARE(vertical->value(), 120);
    }

    void undoShowsTheSnapshotItWentTo() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.session().edit([](EditorDocument& before) {
            PageChange change;
            change.paperWidth = 800;
            before.setPage(change);
        });
        auto* width = window.findChild<QLineEdit*>(QStringLiteral("纸张宽度"));
        window.undo();
        window.undo();
        // Two steps back: the page as it was before the change.
        QCOMPARE(width->text(), QStringLiteral("50"));
        window.redo();
        window.redo();
        QCOMPARE(width->text(), QStringLiteral("80"));
    }

    void printPreviewCentersAndDragsThePage() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QVERIFY(window.commands().openFromArguments({kExamples + "/price-tag.tav"}));
        const auto& page = window.session().document().page();
        PrintPreview preview(window.session().document().templ(), 10, &window);
        preview.resize(1200, 700);
        preview.show();
        QLabel* picture = preview.picture();
        QCOMPARE(picture->size(), QSize(page.paperWidth, page.paperHeight));
        QCOMPARE(picture->geometry().center(), preview.rect().center());
        // The picture is what the renderer draws: the same pixels as the canvas at 100 %.
        QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 renderPageImage(window.session().document().templ(), 10));
        const QPoint before = picture->pos();
        QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), picture->mapToGlobal(QPointF(40, 30)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(picture, &move);
        QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
        QCOMPARE(picture->pos(), before + QPoint(30, 20));
    }

    void helpAndAbout() {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.commands().about();
        QCOMPARE(dialogs.asked.size(), 1);
        QCOMPARE(dialogs.asked[0].title, texts::kAboutTitle);
        QVERIFY(dialogs.asked[0].text.startsWith(QStringLiteral("TAVEditor 3.1.0.1\r\n\r\n")));
        dialogs.asked.clear();
        window.commands().printSetup();
        const QList<Asked> setup{{"printerSetup", {}, {}}};
        QCOMPARE(dialogs.asked, setup);
        dialogs.asked.clear();
        window.commands().help();
        // The build puts help.pdf beside the program; the test runs from another folder.
        if (dialogs.opened.isEmpty()) {
            QCOMPARE(dialogs.asked,
                     QList<Asked>{errorBox(texts::kHelpMissingTitle, texts::kHelpMissingText)});
        } else {
            QVERIFY(dialogs.opened.front().endsWith(QStringLiteral("/help.pdf")));
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_scratch;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
