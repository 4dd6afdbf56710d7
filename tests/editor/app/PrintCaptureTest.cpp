// Printing from the designer through the engine's exports into a real CUPS queue: the CAPTURE
// queue of scripts/services keeps every job's bytes and title. Three copies are three jobs named
// TAVPrint_1..3, each a page whose barcode reads back.
#include "ProgramRun.h"
#include "ScriptedDialogs.h"
#include "support/DesignerDriver.h"

#include "editor/app/MainWindow.h"
#include "editor/app/PropertyTabs.h"
#include "printengine/PictureMaker.h"
#include "tavprint.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tav::editor;
using tav::editor::test::ScriptedDialogs;
using tav::editor::test::typeInto;
using tav::tpl::ElementKind;

namespace {

tav::editor::PageChange printerOnly(const char* name) {
    tav::editor::PageChange change;
    change.printerName = name;
    return change;
}

int jobNumber(const QString& fileName) {
    static const QRegularExpression number(QStringLiteral("^job-(\\d+)\\."));
    const auto match = number.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// The CAPTURE queue's output folder (services started) and the newest job number in it.
bool captureFolder(QDir& capture, int& newest) {
    int code = 0;
    const QString report =
        programOutput(QStringLiteral(TAV_SOURCE_DIR "/scripts/services"), {}, &code);
    const auto match = QRegularExpression("TAV_CAPTURE_OUT=(\\S+)").match(report);
    if (code != 0 || !match.hasMatch())
        return false;
    capture = QDir(match.captured(1));
    newest = 0;
    for (const QString& name : capture.entryList({"job-*"}))
        newest = std::max(newest, jobNumber(name));
    return true;
}

// Waits for the captured job titled `title` after job `newest` and returns what zbarimg reads
// from its page ("QR-Code:..." lines).
QStringList decodeJob(const QDir& capture, int newest, const QString& title,
                      const QString& scratch) {
    for (int attempt = 0; attempt < 120; ++attempt) {
        for (const QString& name : capture.entryList({"job-*.bin"}, QDir::Files, QDir::Name)) {
            if (jobNumber(name) <= newest)
                continue;
            QFile titleFile(capture.filePath(QString(name).replace(".bin", ".title")));
            if (!titleFile.open(QIODevice::ReadOnly) ||
                QString::fromUtf8(titleFile.readAll()).trimmed() != title)
                continue;
            const QString png = scratch + "/" + name;
            programOutput("pdftoppm",
                          {"-r", "300", "-png", "-singlefile", capture.filePath(name), png});
            QStringList symbols = programOutput("zbarimg", {"--nodbus", "-q", png + ".png"})
                                      .split('\n', Qt::SkipEmptyParts);
            symbols.sort();
            return symbols;
        }
        QThread::msleep(250);
    }
    return {};
}

} // namespace

class PrintCaptureTest : public QObject {
    Q_OBJECT
private slots:
    void threeCopiesAreThreeJobs() {
        int code = 0;
        const QString report =
            programOutput(QStringLiteral(TAV_SOURCE_DIR "/scripts/services"), {}, &code);
        QCOMPARE(code, 0);
        const auto match = QRegularExpression("TAV_CAPTURE_OUT=(\\S+)").match(report);
        QVERIFY(match.hasMatch());
        const QDir capture(match.captured(1));
        int newest = 0;
        for (const QString& name : capture.entryList({"job-*"}))
            newest = std::max(newest, jobNumber(name));

        QTemporaryDir scratch;
        qputenv("TMPDIR", scratch.path().toLocal8Bit());
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QVERIFY(
            window.commands().openFromArguments({TAV_SOURCE_DIR "/examples/shipping-label.tav"}));
        // The page tab lists the spooler's printers after the empty item for the default one.
        auto* printers = window.findChild<QComboBox*>(QStringLiteral("打印机名称"));
        QVERIFY(printers);
        QCOMPARE(printers->itemText(0), QString());
        QVERIFY(printers->findText(QStringLiteral("CAPTURE")) > 0);
        QVERIFY(printers->findText(QStringLiteral("PDF")) > 0);
        // A tracking number of this run, so that the pages are recognised as ours.
        const QString tag = QStringLiteral("ED%1").arg(QCoreApplication::applicationPid());
        window.session().edit([&](EditorDocument& document) {
            document.setPage(printerOnly("CAPTURE"));
            for (std::int32_t i = 2; i <= document.elementCount(); ++i) {
                if (document.element(i).kind ==
                    static_cast<std::int32_t>(ElementKind::BarcodeImage)) {
                    document.select(i);
                    document.setContent(tag.toStdString());
                }
            }
        });
        dialogs.integers = {3};
        window.commands().print();
        QCOMPARE(dialogs.asked.size(), 1); // the count, and no error
        QVERIFY(QDir(scratch.path()).isEmpty());

        // Our three jobs: newer than any before, titled TAVPrint_1..3, each carrying the tag.
        QStringList found;
        for (int attempt = 0; attempt < 120 && found.size() < 3; ++attempt) {
            found.clear();
            for (const QString& name : capture.entryList({"job-*.bin"}, QDir::Files, QDir::Name)) {
                if (jobNumber(name) <= newest)
                    continue;
                QFile title(capture.filePath(QString(name).replace(".bin", ".title")));
                if (!title.open(QIODevice::ReadOnly))
                    continue;
                const QString job = QString::fromUtf8(title.readAll());
                const QString png = scratch.path() + "/" + name;
                programOutput("pdftoppm",
                              {"-r", "300", "-png", "-singlefile", capture.filePath(name), png});
                const QString decoded =
                    programOutput("zbarimg", {"--nodbus", "-q", "--raw", png + ".png"});
                if (decoded.split('\n').contains(tag))
                    found.append(job);
            }
            if (found.size() < 3)
                QThread::msleep(250);
        }
        found.sort();
        QCOMPARE(found, (QStringList{"TAVPrint_1", "TAVPrint_2", "TAVPrint_3"}));
    }

    // A barcode, a QR code and a picture made in the designer through the property tabs, saved,
    // loaded by the engine and printed: the page reads back as the designer showed it.
    void designerPicturesPrintAsTheyRead() {
        QDir capture;
        int newest = 0;
        QVERIFY(captureFolder(capture, newest));
        QTemporaryDir scratch;
        const QString tag = QStringLiteral("%1").arg(QCoreApplication::applicationPid());
        // The picture: a QR symbol of its own, saved as a BMP file.
        const auto bmp =
            tav::engine::libraryPictureMaker().qrCode(("PIC" + tag).toStdString(), 240);
        QVERIFY(!bmp.empty());
        const QString picturePath = scratch.path() + "/picture.bmp";
        {
            QFile file(picturePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(reinterpret_cast<const char*>(bmp.span().data()),
                       static_cast<qint64>(bmp.size()));
        }

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        auto& tabs = window.propertyTabs();
        const auto edit = [&](int tab, const char* name) {
            return tabs.widget(tab)->findChild<QLineEdit*>(QString::fromUtf8(name));
        };
        const auto angle = [&](int tab) {
            return tabs.widget(tab)->findChild<QComboBox*>(QStringLiteral("角度"));
        };
        window.refreshPanels(0);
        typeInto(edit(0, "纸张宽度"), "100");
        typeInto(edit(0, "纸张高度"), "80");
        auto* printers = tabs.widget(0)->findChild<QComboBox*>(QStringLiteral("打印机名称"));
        printers->setCurrentIndex(printers->findText(QStringLiteral("CAPTURE")));

        const auto create = [&](Tool tool) {
            window.session().edit(
                [tool](EditorDocument& d) { d.select(d.createWithTool(tool, 50, 50)); });
            window.refreshPanels(tool.button());
        };
        create(ElementKind::BarcodeImage);
        typeInto(edit(10, "左边"), "5");
        typeInto(edit(10, "宽度"), "60");
        typeInto(edit(10, "高度"), "15");
        typeInto(edit(10, "内容"), "BC" + tag);
        angle(10)->setCurrentIndex(2); // upside down reads the same

        create(ElementKind::QrCodeImage);
        typeInto(edit(11, "顶边"), "30");
        typeInto(edit(11, "宽度"), "30");
        typeInto(edit(11, "高度"), "30");
        typeInto(edit(11, "内容"), "QR" + tag);
        typeInto(edit(11, "大小"), "300");
        angle(11)->setCurrentIndex(1);

        create(ElementKind::Picture);
        typeInto(edit(12, "左边"), "55");
        typeInto(edit(12, "顶边"), "30");
        typeInto(edit(12, "宽度"), "30");
        typeInto(edit(12, "高度"), "30");
        angle(12)->setCurrentIndex(1);
        dialogs.files = {picturePath, scratch.path() + "/label.tav"};
        QTest::mouseClick(tabs.widget(12)->findChild<QPushButton*>(QStringLiteral("换图")),
                          Qt::LeftButton);
        window.commands().saveAs();
        QVERIFY(QFileInfo::exists(scratch.path() + "/label.tav"));

        // The engine prints the saved file.
        QVERIFY(TAVLoad((scratch.path() + "/label.tav").toLocal8Bit().constData()) != 0);
        const QString title = "TAVDesigned_" + tag;
        QVERIFY(TAVPrint(title.toUtf8().constData()) != 0);
        TAVDestroy();
        QCOMPARE(decodeJob(capture, newest, title, scratch.path()),
                 (QStringList{"CODE-128:BC" + tag, "QR-Code:PIC" + tag, "QR-Code:QR" + tag}));
    }
};

QTEST_MAIN(PrintCaptureTest)
#include "PrintCaptureTest.moc"
