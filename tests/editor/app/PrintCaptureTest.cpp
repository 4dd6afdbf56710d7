// Printing from the designer through the engine's exports into a real CUPS queue: the CAPTURE
// queue of scripts/services keeps every job's bytes and title. Three copies are three jobs named
// TAVPrint_1..3, each a page whose barcode reads back.
#include "ScriptedDialogs.h"

#include "editor/app/MainWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tav::editor;
using tav::editor::test::ScriptedDialogs;

namespace {

tav::editor::PageChange printerOnly(const char* name) {
    tav::editor::PageChange change;
    change.printerName = name;
    return change;
}

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int jobNumber(const QString& fileName) {
    static const QRegularExpression number(QStringLiteral("^job-(\\d+)\\."));
    const auto match = number.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

class PrintCaptureTest : public QObject {
    Q_OBJECT
private slots:
    void threeCopiesAreThreeJobs() {
        int code = 0;
        const QString report = run(QStringLiteral(TAV_SOURCE_DIR "/scripts/services"), {}, &code);
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
        QVERIFY(window.openFromArguments({TAV_SOURCE_DIR "/examples/shipping-label.tav"}));
        // The page tab lists the spooler's printers after the empty item for the default one.
        auto* printers = window.findChild<QComboBox*>(QStringLiteral("打印机名称"));
        QVERIFY(printers);
        QCOMPARE(printers->itemText(0), QString());
        QVERIFY(printers->findText(QStringLiteral("CAPTURE")) > 0);
        QVERIFY(printers->findText(QStringLiteral("PDF")) > 0);
        EditorDocument& document = window.history().current();
        document.setPage(printerOnly("CAPTURE"));
        // A tracking number of this run, so that the pages are recognised as ours.
        const QString tag = QStringLiteral("ED%1").arg(QCoreApplication::applicationPid());
        for (std::int32_t i = 2; i <= document.elementCount(); ++i) {
            if (document.element(i).kind ==
                static_cast<std::int32_t>(tav::tpl::ElementKind::BarcodeImage)) {
                document.select(i);
                document.setContent(tag.toStdString());
            }
        }
        dialogs.integers = {3};
        window.print();
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
                run("pdftoppm", {"-r", "300", "-png", "-singlefile", capture.filePath(name), png});
                const QString decoded = run("zbarimg", {"--nodbus", "-q", "--raw", png + ".png"});
                if (decoded.split('\n').contains(tag))
                    found.append(job);
            }
            if (found.size() < 3)
                QThread::msleep(250);
        }
        found.sort();
        QCOMPARE(found, (QStringList{"TAVPrint_1", "TAVPrint_2", "TAVPrint_3"}));
    }
};

QTEST_MAIN(PrintCaptureTest)
#include "PrintCaptureTest.moc"
