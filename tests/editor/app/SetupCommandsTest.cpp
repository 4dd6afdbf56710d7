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

QString writeLab(const QString& path, const tav::test::LabLayout& layout) {
    const auto bytes = tav::test::labBytes(layout);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

// A small font of a Debian package (qt6-base-dev) that is in no font folder.
const QString kFontFile = QStringLiteral("/usr/share/qt6/doc/global/template/style/icomoon.ttf");
const QString kLabDialog = QStringLiteral("未命名.lab|lab文件(*.lab)|lab");

} // namespace

class SetupCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void labImportAsksThenAddsTheLabel() {
        QTemporaryDir dir;
        tav::test::LabLayout layout;
        layout.width = 600;
        layout.height = 320;
        layout.objects.push_back({.type = 'B', .left = 24, .top = 62, .text = "12345"});
        layout.objects.push_back({.type = 'P', .payload = {1, 2, 3}});
        layout.texts.push_back(
            {.description = tav::test::labDescription("0", true, "9", "\xCB\xCE\xCC\xE5", "ABC")});
        const QString path = writeLab(dir.path() + "/old label.lab", layout);

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        // Cancelled dialog, then a No: nothing happens.
        window.commands().importLab();
        dialogs.files = {path};
        window.commands().importLab();
        QCOMPARE(window.session().document().templ().elements.size(), 0u);
        const int before = window.session().history().currentIndex();

        dialogs.asked.clear();
        dialogs.files = {path};
        dialogs.answers = {true};
        window.commands().importLab();
        const QList<Asked> expected = {
            {"open", texts::kLabDialogTitle, kLabDialog},
            {"question", QStringLiteral("导入确认"), QStringLiteral("是否确定要导入文件 ") + path},
            {"information", QStringLiteral("导入成功"),
             texts::kLabDoneText + QStringLiteral("另有 1 个图片无法读取，未导入。")},
        };
        QCOMPARE(dialogs.asked, expected);
        const auto& document = window.session().document();
        QCOMPARE(document.page().paperWidth, 600);
        QCOMPARE(document.page().paperHeight, 320);
        QCOMPARE(document.templ().elements.size(), 2u);
        QCOMPARE(document.selectedIndex(), document.elementCount());
        QCOMPARE(window.session().history().currentIndex(), std::min(before + 1, 60));
        // One undo step takes the import back.
        window.undo();
        window.undo();
        QCOMPARE(window.session().document().templ().elements.size(), 0u);
    }

    void aLabelThatLiesIsRefusedAndChangesNothing() {
        QTemporaryDir dir;
        tav::test::LabLayout layout;
        layout.objects.push_back({.type = 'B', .text = "ok"});
        layout.objects.push_back({.type = 'B', .text = "x", .textLength = 1 << 20});
        const QString lying = writeLab(dir.path() + "/lying.lab", layout);
        const QString notLab = dir.path() + "/text.lab";
        QFile file(notLab);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("hello, this is not a label");
        file.close();

        const std::pair<QString, QString> refused[] = {
            {lying, "object record 2 claims more bytes than the file has"},
            {notLab, "not a .lab file"},
        };
        for (const auto& [path, reason] : refused) {
            ScriptedDialogs dialogs;
            MainWindow window(dialogs);
            window.session().edit([](EditorDocument& d) { d.addRect(1, 1, 10, 10, false); });
            dialogs.files = {path};
            dialogs.answers = {true};
            window.commands().importLab();
            QCOMPARE(dialogs.asked.last(),
                     (Asked{"error", QStringLiteral("无法导入"),
                            QStringLiteral("导入失败，错误的标签格式！\n") + reason}));
            QCOMPARE(window.session().document().templ().elements.size(), 1u);
            QCOMPARE(window.session().document().page().paperWidth, 500);
        }
    }

    void fontsInstallWithProgressInTheCaption() {
        QTemporaryDir dir;
        const QString fonts = dir.path() + "/bin/Fonts";
        QVERIFY(QDir().mkpath(fonts));
        const std::vector<std::string> folders = {fonts.toStdString()};
        const std::string target = (dir.path() + "/data/fonts").toStdString();

        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        const QString caption = window.windowTitle();
        // An empty Fonts folder: no question, no box, the caption as it was.
        window.commands().installFontsFrom(folders, target);
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(window.windowTitle(), caption);

        for (const char* name : {"one.ttf", "two.TTF"})
            QVERIFY(QFile::copy(kFontFile, fonts + "/" + name));
        // A No leaves everything as it was.
        window.commands().installFontsFrom(folders, target);
        QCOMPARE(
            dialogs.asked,
            (QList<Asked>{{"question", "安装条码",
                           "请将需要安装的条码字体(TTF格式)放至目录下的Fonts文件夹，当前找到 2 "
                           "个条码字体，是否立即安装？"}}));
        QCOMPARE(window.windowTitle(), caption);
        QVERIFY(!QDir(QString::fromStdString(target)).exists());

        dialogs.asked.clear();
        dialogs.answers = {true};
        QStringList captions;
        connect(&window, &MainWindow::captionShown, this,
                [&captions](const QString& text) { captions << text; });
        window.commands().installFontsFrom(folders, target);
        QCOMPARE(captions, (QStringList{"正在搜寻条码字体：" + fonts, "共计搜索到条码字体 2 个",
                                        "正在安装条码字体：1/2", "成功安装条码字体：1 个",
                                        "正在安装条码字体：2/2", "成功安装条码字体：2 个"}));
        QCOMPARE(dialogs.asked.last(),
                 (Asked{"information", "安装条码", "安装完成，成功安装 2 个条码字体！"}));
        QCOMPARE(window.windowTitle(), caption);
        QVERIFY(QFile::exists(QString::fromStdString(target) + "/one.ttf"));
        QVERIFY(QFile::exists(QString::fromStdString(target) + "/two.TTF"));
    }

    void fontsRefuseAFolderThatCannotBeWritten() {
        QTemporaryDir dir;
        QFile blocker(dir.path() + "/file");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.commands().installFontsFrom({dir.path().toStdString()},
                                           (dir.path() + "/file/fonts").toStdString());
        QCOMPARE(dialogs.asked, (QList<Asked>{{"error", "安装失败",
                                               "安装失败，请使用管理员权限运行后再次操作！"}}));
    }

    void associationTellsWhetherItWasDone() {
        QTemporaryDir dir;
        const QByteArray home = (dir.path() + "/home").toLocal8Bit();
        QVERIFY(QDir().mkpath(QString::fromLocal8Bit(home)));
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", home + "/.local/share");
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.commands().associate();
        QCOMPARE(dialogs.asked,
                 (QList<Asked>{{"information", "操作成功", "操作成功，已成功完成文件关联！"}}));
        QVERIFY(QFile::exists(home + "/.local/share/applications/taveditor.desktop"));

        // A data folder that is a file cannot be written.
        QFile blocker(dir.path() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", blocker.fileName().toLocal8Bit());
        dialogs.asked.clear();
        window.commands().associate();
        // The reason names what could not be written.
        QCOMPARE(dialogs.asked.size(), 1);
        const QString expected = QStringLiteral("关联失败，请使用管理员权限运行后再次操作！\n") +
                                 blocker.fileName() + "/mime/packages/taveditor.xml: ";
        QCOMPARE(dialogs.asked.front().kind, QStringLiteral("error"));
        QCOMPARE(dialogs.asked.front().title, QStringLiteral("关联失败"));
        QVERIFY2(dialogs.asked.front().text.startsWith(expected),
                 qPrintable(dialogs.asked.front().text));
    }
};

QTEST_MAIN(SetupCommandsTest)
#include "SetupCommandsTest.moc"
