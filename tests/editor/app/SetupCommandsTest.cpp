// The designer's .lab import, font installation and file association commands under the
// offscreen platform, with every question and box they show, answered by ScriptedDialogs.
#include "ScriptedDialogs.h"

#include "editor/app/ImportAndSetupTexts.h"
#include "editor/app/MainWindow.h"
#include "support/LabBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav::editor;
using tav::editor::test::Asked;
using tav::editor::test::ScriptedDialogs;

namespace {

QString writeLab(const QString& path, const tav::test::LabSpec& spec) {
    const auto bytes = tav::test::labBytes(spec);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

const QString kLabDialog = QStringLiteral("未命名.lab|lab文件(*.lab)|lab");

} // namespace

class SetupCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void labImportAsksThenAddsTheLabel() {
        QTemporaryDir dir;
        tav::test::LabSpec spec;
        spec.width = 600;
        spec.height = 320;
        spec.objects.push_back({.type = 'B', .left = 24, .top = 62, .text = "12345"});
        spec.objects.push_back({.type = 'P', .payload = {1, 2, 3}});
        spec.texts.push_back(
            {.description = tav::test::labDescription("0", true, "9", "\xCB\xCE\xCC\xE5", "ABC")});
        const QString path = writeLab(dir.path() + "/old label.lab", spec);

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        // Cancelled dialog, then a No: nothing happens.
        window.importLab();
        dialogs.files = {path};
        window.importLab();
        QCOMPARE(window.history().current().templ().elements.size(), 0u);
        const int before = window.history().currentIndex();

        dialogs.asked.clear();
        dialogs.files = {path};
        dialogs.answers = {true};
        window.importLab();
        const QList<Asked> expected = {
            {"open", texts::kLabDialogTitle, kLabDialog},
            {"question", QStringLiteral("导入确认"), QStringLiteral("是否确定要导入文件 ") + path},
            {"information", QStringLiteral("导入成功"),
             texts::kLabDoneText + QStringLiteral("另有 1 个图片无法读取，未导入。")},
        };
        QCOMPARE(dialogs.asked, expected);
        const auto& document = window.history().current();
        QCOMPARE(document.page().paperWidth, 600);
        QCOMPARE(document.page().paperHeight, 320);
        QCOMPARE(document.templ().elements.size(), 2u);
        QCOMPARE(document.selectedIndex(), document.elementCount());
        QCOMPARE(window.history().currentIndex(), std::min(before + 1, 60));
        // One undo step takes the import back.
        window.undo();
        window.undo();
        QCOMPARE(window.history().current().templ().elements.size(), 0u);
    }

    void aLabelThatLiesIsRefusedAndChangesNothing() {
        QTemporaryDir dir;
        tav::test::LabSpec spec;
        spec.objects.push_back({.type = 'B', .text = "ok"});
        spec.objects.push_back({.type = 'B', .text = "x", .textLength = 1 << 20});
        const QString lying = writeLab(dir.path() + "/lying.lab", spec);
        const QString notLab = dir.path() + "/text.lab";
        QFile file(notLab);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("hello, this is not a label");
        file.close();

        for (const QString& path : {lying, notLab}) {
            ScriptedDialogs dialogs;
            MainWindow window(dialogs);
            window.history().current().addRect(1, 1, 10, 10, false);
            dialogs.files = {path};
            dialogs.answers = {true};
            window.importLab();
            QCOMPARE(dialogs.asked.last(), (Asked{"error", QStringLiteral("无法导入"),
                                                  QStringLiteral("导入失败，错误的标签格式！")}));
            QCOMPARE(window.history().current().templ().elements.size(), 1u);
            QCOMPARE(window.history().current().page().paperWidth, 500);
        }
    }
};

QTEST_MAIN(SetupCommandsTest)
#include "SetupCommandsTest.moc"
