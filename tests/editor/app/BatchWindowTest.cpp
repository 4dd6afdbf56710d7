// The batch window offscreen against the MariaDB server of scripts/services, through MySQL and
// through ODBC (the SQL Server tab's ODBC path, pointed at MariaDB's driver), with .xls and CSV
// files, printing into the CUPS queue CAPTURE, which keeps every job's bytes and title.
#include "ProgramRun.h"
#include "ScriptedDialogs.h"

#include "datasource/PasswordCipher.h"
#include "datasource/SqlDataConfig.h"
#include "editor/app/BatchRowModel.h"
#include "editor/app/BatchWindow.h"
#include "editor/app/MainWindow.h"
#include "platform/Charset.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace tav::editor;
using tav::editor::test::Asked;
using tav::editor::test::ScriptedDialogs;

namespace {

QString env(const char* name, const char* fallback) {
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? QString::fromUtf8(fallback) : QString::fromUtf8(value);
}

// Every barcode this run prints ends in this tag, so that jobs others print into the shared
// queue at the same time are told apart from ours.
const QString& runTag() {
    static const QString tag = QStringLiteral("E%1").arg(QCoreApplication::applicationPid());
    return tag;
}

// The batch rows with the run's tag on every barcode.
const QString kBatchQuery = QStringLiteral("select 序号, concat(条码, '%1') as 条码, 名称 from "
                                           "batch order by 序号");

int jobNumber(const QString& fileName) {
    static const QRegularExpression number(QStringLiteral("^job-(\\d+)\\."));
    const auto match = number.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The grid's text at (row, column), as the view shows it.
QString cell(BatchWindow& window, int row, int column) {
    auto& model = window.rows();
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

QString title(BatchWindow& window, int column) {
    return window.rows().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

template <typename T> T* child(QObject& parent, const QString& name) {
    T* found = parent.findChild<T*>(name);
    if (!found)
        qFatal("no child %s", qPrintable(name));
    return found;
}

void waitIdle(BatchWindow& window) {
    QTRY_VERIFY_WITH_TIMEOUT(!window.isBusy(), 60000);
}

} // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_programFolder;
    QString m_captureDir;

    // The window's files: the user's settings under a scratch XDG_CONFIG_HOME, the program's
    // folder empty unless a test puts a file there.
    tav::data::SqlDataConfigFiles settingsFiles() const {
        return tav::data::sqlDataConfigFiles(m_programFolder.toStdString());
    }
    QString userSettings() const { return m_home.path() + "/config/tav/sqldata.conf"; }

    // A scratch copy of the product label that prints to CAPTURE, as the main window makes it.
    std::string labelCopy() {
        ScriptedDialogs dialogs;
        MainWindow main(dialogs);
        if (!main.commands().openFromArguments({TAV_SOURCE_DIR "/examples/product-label.tav"}))
            qFatal("cannot open the product label");
        PageChange change;
        change.printerName = "CAPTURE";
        main.session().edit([&](EditorDocument& d) { d.setPage(change); });
        auto path = main.session().document().saveToScratchFile();
        if (!path)
            qFatal("no scratch copy: %s", path.error().c_str());
        return path.value();
    }

    BatchWindowSetup setup(BatchSource source) {
        BatchWindowSetup s;
        s.templatePath = labelCopy();
        s.source = source;
        s.settingsFiles = settingsFiles();
        s.pauseMs = 50;
        return s;
    }

    int newestJob() const {
        int newest = 0;
        for (const QString& name : QDir(m_captureDir).entryList({"job-*"}))
            newest = std::max(newest, jobNumber(name));
        return newest;
    }

    // The titles of the jobs after `since`, each with the Code 128 text of its page, once
    // `want` of them are complete.
    QStringList jobsAfter(int since, int want) {
        const QDir capture(m_captureDir);
        QHash<QString, QString> seen; // each job rasterised once: the queue is shared and busy
        QStringList found;
        // Up to two minutes: the queue is shared by the whole suite and may still be working
        // through the jobs of the tests before.
        for (int attempt = 0; attempt < 480; ++attempt) {
            for (const QString& name : capture.entryList({"job-*.bin"}, QDir::Files)) {
                if (jobNumber(name) <= since || seen.contains(name))
                    continue;
                const QString job =
                    readText(capture.filePath(QString(name).replace(".bin", ".title")));
                if (job.isEmpty())
                    continue; // not complete yet
                seen.insert(name, job);
                if (!job.startsWith("TAVPrint_"))
                    continue;
                const QString png = m_home.path() + "/" + name;
                // 300 dpi: a tagged barcode of a five-digit process id has modules too narrow
                // for the scanner at 200 dpi.
                programOutput("pdftoppm",
                              {"-r", "300", "-png", "-singlefile", capture.filePath(name), png});
                const QString code = programOutput("zbarimg", {"--nodbus", "-q", "-Scode128.enable",
                                                               "-Sqrcode.disable", png + ".png"})
                                         .trimmed();
                QFile::remove(png + ".png");
                const QString text = code.section(':', 1);
                if (text.isEmpty()) {
                    seen.remove(name); // not read this time (a busy machine): look again
                    continue;
                }
                if (text.endsWith(runTag()))
                    found.append(job + "=" + text.chopped(runTag().size()));
            }
            if (found.size() >= want)
                break;
            QThread::msleep(250);
        }
        found.sort();
        return found;
    }

    // Ticks rows 2 and 5, prints, and checks the two jobs and their barcodes.
    void printRowsTwoAndFive(BatchWindow& window, ScriptedDialogs& dialogs) {
        auto& model = window.rows();
        QVERIFY(model.rowCount() >= 5);
        // Ticked as a click on the check box ticks them.
        QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(model.setData(model.index(4, 0), Qt::Checked, Qt::CheckStateRole));
        const int since = newestJob();
        dialogs.asked.clear();
        dialogs.answers = {true};
        child<QPushButton>(window, "打印")->click();
        QVERIFY(window.isBusy());
        QVERIFY(!child<QPushButton>(window, "全选")->isEnabled());
        QVERIFY(child<QPushButton>(window, "停止")->isEnabled());
        waitIdle(window);
        QCOMPARE(dialogs.asked,
                 (QList<Asked>{{"question", "打印确认", "是否确定要打印当前列表中选中的数据？"}}));
        QCOMPARE(jobsAfter(since, 2), (QStringList{"TAVPrint_2=TAV00002", "TAVPrint_5=TAV00005"}));
        QVERIFY(child<QPushButton>(window, "打印")->isEnabled());
    }

    // Chooses a CSV file in its tab, as the user does, and waits for its rows.
    static void loadCsv(BatchWindow& window, ScriptedDialogs& dialogs, const QString& path) {
        dialogs.files = {path};
        child<QPushButton>(window, "csv.选择")->click();
        waitIdle(window);
    }

    // Prints the ticked rows, answering the question yes; what was asked is kept from here on.
    static void printTicked(BatchWindow& window, ScriptedDialogs& dialogs) {
        dialogs.asked.clear();
        dialogs.answers = {true};
        window.printChecked();
        waitIdle(window);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        m_programFolder = m_home.path() + "/program";
        QVERIFY(QDir().mkpath(m_programFolder));
        qputenv("XDG_CONFIG_HOME", (m_home.path() + "/config").toLocal8Bit());
        int code = 0;
        const QString report =
            programOutput(QStringLiteral(TAV_SOURCE_DIR "/scripts/services"), {}, &code);
        QCOMPARE(code, 0);
        const auto match = QRegularExpression("TAV_CAPTURE_OUT=(\\S+)").match(report);
        QVERIFY(match.hasMatch());
        m_captureDir = match.captured(1);
    }

    void init() { QFile::remove(userSettings()); }

    void withoutSettingsTheFieldsShowTheDefaults() {
        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::MySql));
        QCOMPARE(window.windowTitle(), QStringLiteral("批量打印"));
        QCOMPARE(window.size(), QSize(BatchWindow::kWidth, BatchWindow::kHeight));
        auto* tabs = child<QTabWidget>(window, "选择夹1");
        QCOMPARE(tabs->currentIndex(), 2);
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i)
            captions.append(tabs->tabText(i));
        QCOMPARE(captions, (QStringList{"Microsoft SQL Server", "Microsoft Office Excel", "MySQL",
                                        "CSV 文件"}));
        struct Field {
            const char* name;
            const char* expected;
        };
        const Field fields[] = {
            {"sqlserver.地址", "127.0.0.1"},
            {"sqlserver.库名", "test"},
            {"sqlserver.用户", "sa"},
            {"sqlserver.密码", "123456"},
            {"mysql.地址", "127.0.0.1"},
            {"mysql.库名", "test"},
            {"mysql.用户", "root"},
            {"mysql.密码", "123456"},
            {"mysql.端口", "3306"},
            {"excel.文件", "*"},
            {"csv.文件", "*"},
        };
        for (const Field& f : fields)
            QCOMPARE(child<QLineEdit>(window, f.name)->text(), QString::fromUtf8(f.expected));
        QCOMPARE(child<QPlainTextEdit>(window, "sqlserver.SQL")->toPlainText(),
                 QStringLiteral("select * from test;"));
        QCOMPARE(child<QPlainTextEdit>(window, "mysql.SQL")->toPlainText(),
                 QStringLiteral("select * from test;"));
        QCOMPARE(title(window, 0), QStringLiteral("No."));
        QVERIFY(dialogs.asked.isEmpty());

        // Executing before connecting, and printing an empty grid.
        child<QPushButton>(window, "mysql.执行")->click();
        child<QPushButton>(window, "sqlserver.执行")->click();
        child<QPushButton>(window, "打印")->click();
        QCOMPARE(dialogs.asked,
                 (QList<Asked>{
                     {"error", "操作失败", "操作失败，请先连接 MySQL 后重试！"},
                     {"error", "操作失败", "操作失败，请先连接 Microsoft SQL Server 后重试！"}}));
        QVERIFY(!QFile::exists(userSettings()));
    }

    void theSettingsBesideTheProgramAreReadWhenTheUserHasNone() {
        QFile beside(m_programFolder + "/sqldata.conf");
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.write("[MySQL]\r\naddress=10.9.8.7\r\nport=3307\r\n");
        beside.close();
        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::MySql));
        QCOMPARE(child<QLineEdit>(window, "mysql.地址")->text(), QStringLiteral("10.9.8.7"));
        QCOMPARE(child<QLineEdit>(window, "mysql.端口")->text(), QStringLiteral("3307"));
        QVERIFY(beside.remove());
    }

    // The three 批量 items save the document to a scratch file, open the window modally on the
    // matching tab, and the scratch file is gone when it closes.
    void theMenuOpensTheWindowOverAScratchCopy() {
        QTemporaryDir scratch;
        qputenv("TMPDIR", scratch.path().toLocal8Bit());
        ScriptedDialogs dialogs;
        MainWindow main(dialogs);
        QVERIFY(main.commands().openFromArguments({TAV_SOURCE_DIR "/examples/product-label.tav"}));
        const char* items[] = {"&S.Microsoft SQL Server", "&E.Microsoft Office Excel", "&Q.MySQL"};
        for (int source = 0; source < 3; ++source) {
            QAction* item = nullptr;
            for (QAction* action : main.findChildren<QAction*>())
                if (action->text() == QString::fromUtf8(items[source]))
                    item = action;
            QVERIFY(item);
            int shownTab = -1;
            QStringList filesWhileOpen;
            QTimer::singleShot(0, this, [&] {
                auto* window = qobject_cast<BatchWindow*>(QApplication::activeModalWidget());
                if (!window)
                    return;
                shownTab = child<QTabWidget>(*window, "选择夹1")->currentIndex();
                filesWhileOpen = QDir(scratch.path()).entryList(QDir::Files);
                window->reject();
            });
            item->trigger();
            QCOMPARE(shownTab, source);
            QCOMPARE(filesWhileOpen.size(), 1);
            QVERIFY(QDir(scratch.path()).isEmpty());
        }
        QVERIFY(dialogs.asked.isEmpty());

        qunsetenv("TMPDIR");
    }

    void theWindowClosesWhenTheTemplateCopyIsMissing() {
        ScriptedDialogs dialogs;
        BatchWindowSetup s;
        s.templatePath = (m_home.path() + "/gone.tav").toStdString();
        s.settingsFiles = settingsFiles();
        BatchWindow window(dialogs, s);
        QCOMPARE(window.exec(), int(QDialog::Rejected));
        QCOMPARE(dialogs.asked,
                 (QList<Asked>{{"error", "操作失败", "操作失败，模版文件不存在，请重试！"}}));
    }

    void mySqlConnectsExecutesAndPrintsTheTickedRows() {
        ScriptedDialogs dialogs;
        BatchWindowSetup s = setup(BatchSource::MySql);
        const std::string templatePath = s.templatePath;
        {
            BatchWindow window(dialogs, s);
            child<QLineEdit>(window, "mysql.地址")->setText(env("TAV_MYSQL_HOST", "127.0.0.1"));
            child<QLineEdit>(window, "mysql.库名")->setText(env("TAV_MYSQL_DATABASE", "tavtest"));
            child<QLineEdit>(window, "mysql.用户")->setText(env("TAV_MYSQL_USER", "tav"));
            child<QLineEdit>(window, "mysql.端口")->setText(env("TAV_MYSQL_PORT", "3306"));
            auto* password = child<QLineEdit>(window, "mysql.密码");
            auto* connectButton = child<QPushButton>(window, "mysql.连接");

            // Wrong credentials: the box, the fields stay open, nothing saved.
            password->setText("not-the-pw-99");
            connectButton->click();
            waitIdle(window);
            QCOMPARE(dialogs.asked,
                     (QList<Asked>{{"error", "连接失败", "连接失败，请确认连接信息是否正确！"}}));
            QVERIFY(connectButton->isEnabled());
            QVERIFY(password->isEnabled());
            QVERIFY(!QFile::exists(userSettings()));

            // Right ones: connected, fields disabled, settings saved with the password enciphered.
            dialogs.asked.clear();
            password->setText(env("TAV_MYSQL_PASSWORD", "tav-pw-4711"));
            connectButton->click();
            waitIdle(window);
            QVERIFY(dialogs.asked.isEmpty());
            QVERIFY(!connectButton->isEnabled());
            for (const char* name :
                 {"mysql.地址", "mysql.库名", "mysql.用户", "mysql.密码", "mysql.端口"})
                QVERIFY2(!child<QLineEdit>(window, name)->isEnabled(), name);
            QVERIFY(child<QPlainTextEdit>(window, "mysql.SQL")->isEnabled());
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(userSettings()).constData(), &st), 0);
            QCOMPARE(st.st_mode & 07777, 0600u);
            const QString stored = readText(userSettings());
            QVERIFY(!stored.contains(password->text()));
            const auto config = tav::data::readSqlDataConfig(userSettings().toStdString());
            QVERIFY(config.ok());
            QCOMPARE(QString::fromStdString(config.value().mySql.password), password->text());
            QCOMPARE(QString::fromStdString(config.value().mySql.user),
                     env("TAV_MYSQL_USER", "tav"));

            // A statement the server refuses, then the rows.
            auto* sql = child<QPlainTextEdit>(window, "mysql.SQL");
            sql->setPlainText("select * from no_such_table");
            child<QPushButton>(window, "mysql.执行")->click();
            waitIdle(window);
            QCOMPARE(dialogs.asked, (QList<Asked>{{"error", "操作失败",
                                                   "操作失败，当前无法执行SQL语句，请重试！"}}));
            dialogs.asked.clear();
            sql->setPlainText(kBatchQuery.arg(runTag()));
            child<QPushButton>(window, "mysql.执行")->click();
            waitIdle(window);
            QVERIFY(dialogs.asked.isEmpty());
            QCOMPARE(window.rows().rowCount(), 20);
            QCOMPARE(window.rows().columnCount(), 4);
            QCOMPARE(title(window, 1), QStringLiteral("序号"));
            QCOMPARE(title(window, 3), QStringLiteral("名称"));
            QCOMPARE(cell(window, 1, 0), QStringLiteral("2"));
            QCOMPARE(cell(window, 1, 2), "TAV00002" + runTag());
            QCOMPARE(cell(window, 1, 3), QStringLiteral("商品2"));
            QCOMPARE(child<QTableView>(window, "超级列表框1")->columnWidth(0), 60);
            const auto saved = tav::data::readSqlDataConfig(userSettings().toStdString());
            QVERIFY(saved.ok());
            QCOMPARE(QString::fromStdString(tav::platform::gbkToUtf8(saved.value().mySql.sql)),
                     sql->toPlainText());

            // 全选 and 反选.
            child<QPushButton>(window, "全选")->click();
            QCOMPARE(window.rows().checkedCount(), 20u);
            child<QPushButton>(window, "反选")->click();
            QCOMPARE(window.rows().checkedCount(), 0u);

            printRowsTwoAndFive(window, dialogs);
        }
        QVERIFY2(!QFile::exists(QString::fromStdString(templatePath)),
                 "closing the window deletes the template copy");
    }

    void theSqlServerTabConnectsThroughOdbc() {
        ScriptedDialogs dialogs;
        BatchWindowSetup s = setup(BatchSource::SqlServer);
        // MariaDB's ODBC driver stands in for FreeTDS: the window's ODBC path is the same.
        s.sqlServerConnection = [](const tav::data::SqlServerSettings& fields) {
            return "DRIVER={" + env("TAV_ODBC_DRIVER", "MariaDB Unicode").toStdString() +
                   "};SERVER=" + fields.address +
                   ";PORT=" + env("TAV_MYSQL_PORT", "3306").toStdString() +
                   ";DATABASE=" + fields.database + ";UID=" + fields.user + ";PWD={" +
                   fields.password + "};CHARSET=gbk";
        };
        BatchWindow window(dialogs, s);
        QCOMPARE(child<QTabWidget>(window, "选择夹1")->currentIndex(), 0);
        child<QLineEdit>(window, "sqlserver.地址")->setText(env("TAV_MYSQL_HOST", "127.0.0.1"));
        child<QLineEdit>(window, "sqlserver.库名")->setText(env("TAV_MYSQL_DATABASE", "tavtest"));
        child<QLineEdit>(window, "sqlserver.用户")->setText(env("TAV_MYSQL_USER", "tav"));
        auto* password = child<QLineEdit>(window, "sqlserver.密码");
        auto* connectButton = child<QPushButton>(window, "sqlserver.连接");

        password->setText("not-the-pw-99");
        connectButton->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 1);
        QCOMPARE(dialogs.asked[0].kind, QStringLiteral("error"));
        QCOMPARE(dialogs.asked[0].title, QStringLiteral("Error"));
        QVERIFY2(dialogs.asked[0].text.contains("Access denied"),
                 qPrintable(dialogs.asked[0].text));
        QVERIFY(!dialogs.asked[0].text.contains("not-the-pw-99"));
        QVERIFY(connectButton->isEnabled());

        dialogs.asked.clear();
        password->setText(env("TAV_MYSQL_PASSWORD", "tav-pw-4711"));
        connectButton->click();
        waitIdle(window);
        QVERIFY(dialogs.asked.isEmpty());
        QVERIFY(!connectButton->isEnabled());
        QVERIFY(!password->isEnabled());
        const auto config = tav::data::readSqlDataConfig(userSettings().toStdString());
        QVERIFY(config.ok());
        QCOMPARE(QString::fromStdString(config.value().sqlServer.password), password->text());
        QVERIFY(!readText(userSettings()).contains(password->text()));

        auto* sql = child<QPlainTextEdit>(window, "sqlserver.SQL");
        sql->setPlainText("select * from no_such_table");
        child<QPushButton>(window, "sqlserver.执行")->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 1);
        QCOMPARE(dialogs.asked[0].title, QStringLiteral("Error"));
        dialogs.asked.clear();

        sql->setPlainText(kBatchQuery.arg(runTag()));
        child<QPushButton>(window, "sqlserver.执行")->click();
        waitIdle(window);
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(window.rows().rowCount(), 20);
        QCOMPARE(title(window, 2), QStringLiteral("条码"));
        QCOMPARE(cell(window, 4, 3), QStringLiteral("商品5"));
        printRowsTwoAndFive(window, dialogs);
    }

    void excelSheetsFillTheGridOrSayWhyNot() {
        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::Excel));
        QCOMPARE(child<QTabWidget>(window, "选择夹1")->currentIndex(), 1);
        auto* choose = child<QPushButton>(window, "excel.选择");

        // Cancelled: nothing happens.
        choose->click();
        QCOMPARE(dialogs.asked,
                 (QList<Asked>{{"open", "请选择需要操作的 Microsoft Office Excel 文件",
                                "工作簿.xls|Excel 97-2003 工作簿(*.xls)|xls"}}));
        QVERIFY(!window.isBusy());

        const QString fixtures = QStringLiteral(TAV_SOURCE_DIR "/tests/data/datasource/");
        dialogs.asked.clear();
        dialogs.files = {fixtures + "two_sheets.xls"};
        choose->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 1); // the file dialog only
        QCOMPARE(child<QLineEdit>(window, "excel.文件")->text(), fixtures + "two_sheets.xls");
        QCOMPARE(title(window, 1), QStringLiteral("条码"));
        QCOMPARE(window.rows().rowCount(), 1);
        QCOMPARE(cell(window, 0, 1), QStringLiteral("6901234567892"));

        // A sheet with titles only is no data: an information box, and the grid keeps only "No.".
        dialogs.asked.clear();
        dialogs.files = {fixtures + "header_only.xls"};
        choose->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1],
                 (Asked{"information", "操作失败", "操作失败，当前表格无数据！"}));
        QCOMPARE(window.rows().rowCount(), 0);

        // A workbook that cannot be read is an error.
        dialogs.asked.clear();
        dialogs.files = {fixtures + "protected.xls"};
        choose->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1].kind, QStringLiteral("error"));
        QVERIFY(dialogs.asked[1].text.startsWith("操作失败，无法打开文件[" + fixtures +
                                                 "protected.xls]"));
    }

    void csvFilesAreReadInTheEncodingChosen() {
        const QString gbkFile = m_home.path() + "/gbk.csv";
        QFile out(gbkFile);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(
            tav::platform::utf8ToGbk("序号,条码,名称\n1,TAV00001,苹果\n2,TAV00002,香蕉\n")
                .value()));
        out.close();

        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::Csv));
        auto* encoding = child<QComboBox>(window, "csv.编码");
        QCOMPARE(encoding->count(), 2);
        encoding->setCurrentText("GBK");
        dialogs.files = {gbkFile};
        child<QPushButton>(window, "csv.选择")->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 1);
        QCOMPARE(window.rows().rowCount(), 2);
        QCOMPARE(title(window, 3), QStringLiteral("名称"));
        QCOMPARE(cell(window, 1, 3), QStringLiteral("香蕉"));

        // The same bytes taken as UTF-8 are refused, not shown garbled.
        dialogs.asked.clear();
        encoding->setCurrentText("UTF-8");
        dialogs.files = {gbkFile};
        child<QPushButton>(window, "csv.选择")->click();
        waitIdle(window);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1].kind, QStringLiteral("error"));
    }

    // A label that cannot be printed (its picture cell names a file that is no picture) is
    // counted, the loop goes on, and the end says which rows failed.
    void failedRowsAreCountedAndTheLoopGoesOn() {
        const QString notPicture = m_home.path() + "/not-a-picture.bmp";
        QFile bmp(notPicture);
        QVERIFY(bmp.open(QIODevice::WriteOnly));
        bmp.write("BM");
        bmp.close();
        const QString csv = m_home.path() + "/pictures.csv";
        QFile out(csv);
        QVERIFY(out.open(QIODevice::WriteOnly));
        // A picture mark keeps what the last row put in it (an empty cell leaves it), so the
        // row after the broken picture names a good one.
        const QString picture = m_home.path() + "/good.bmp";
        QImage good(16, 16, QImage::Format_Mono);
        good.fill(0);
        QVERIFY(good.save(picture, "BMP"));
        out.write(QStringLiteral("序号,条码,名称,图片\n1,TAV00001%3,甲,\n2,TAV00002%3,乙,%1\n"
                                 "3,TAV00003%3,丙,%2\n")
                      .arg(notPicture, picture, runTag())
                      .toUtf8());
        out.close();

        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::Csv));
        loadCsv(window, dialogs, csv);
        QCOMPARE(window.rows().rowCount(), 3);
        child<QPushButton>(window, "全选")->click();
        const int since = newestJob();
        printTicked(window, dialogs);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1].kind, QStringLiteral("error"));
        QCOMPARE(dialogs.asked[1].title, QStringLiteral("打印失败"));
        // The count, then each failed row with its reason.
        const QStringList lines = dialogs.asked[1].text.split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("打印完成，但有 1 行打印失败（第 2 行），共选中 3 行。"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("第 2 行：")), qPrintable(lines[1]));
        QCOMPARE(jobsAfter(since, 2), (QStringList{"TAVPrint_1=TAV00001", "TAVPrint_3=TAV00003"}));

        // Nothing ticked: the question, then nothing printed and nothing more said.
        child<QPushButton>(window, "反选")->click();
        printTicked(window, dialogs);
        QCOMPARE(dialogs.asked.size(), 1);
    }

    // The window refuses and reports as tavprint batch does: a column that fills no mark is
    // named, a cell holding a character GBK cannot hold fails its row instead of printing '?',
    // and rows whose columns fill no mark at all are refused before anything is printed.
    void columnsFillingNoMarkAndCharactersGbkCannotHoldAreReported() {
        const QString csv = m_home.path() + "/unprintable.csv";
        QFile out(csv);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QStringLiteral("序号,条码,名称,备注\n1,TAV00001%1,甲,a\n2,TAV00002%1,笑😀,b\n"
                                 "3,TAV00003%1,丙,c\n")
                      .arg(runTag())
                      .toUtf8());
        out.close();

        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::Csv));
        child<QComboBox>(window, "csv.编码")->setCurrentText("UTF-8");
        loadCsv(window, dialogs, csv);
        QCOMPARE(window.rows().rowCount(), 3);
        child<QPushButton>(window, "全选")->click();
        const int since = newestJob();
        printTicked(window, dialogs);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1].kind, QStringLiteral("error"));
        QCOMPARE(dialogs.asked[1].text,
                 QStringLiteral("打印完成，但有 1 行打印失败（第 2 行），共选中 3 行。\n"
                                "第 2 行：column 名称 holds 😀 (U+1F600), which GBK cannot hold\n"
                                "提示：以下列的列名不是模版的数据标记，这些列未打印：\n"
                                "column 4 (备注) fills no mark: no element's mark contains its "
                                "title"));
        QCOMPARE(jobsAfter(since, 2), (QStringList{"TAVPrint_1=TAV00001", "TAVPrint_3=TAV00003"}));
        QCOMPARE(child<QLabel>(window, "状态")->text(), QStringLiteral("已打印 2 行，失败 1 行"));

        // Every row printing fine, but a column filling no mark: said, not failed.
        child<QPushButton>(window, "反选")->click();
        QVERIFY(window.rows().setData(window.rows().index(0, 0), Qt::Checked, Qt::CheckStateRole));
        const int before = newestJob();
        printTicked(window, dialogs);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1],
                 (Asked{"information", "打印提示",
                        "提示：以下列的列名不是模版的数据标记，这些列未打印：\n"
                        "column 4 (备注) fills no mark: no element's mark contains its title"}));
        QCOMPARE(jobsAfter(before, 1), (QStringList{"TAVPrint_1=TAV00001"}));

        // No column names a mark: refused, nothing printed.
        const QString strangers = m_home.path() + "/strangers.csv";
        QFile other(strangers);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("甲,乙\n1,2\n");
        other.close();
        loadCsv(window, dialogs, strangers);
        child<QPushButton>(window, "全选")->click();
        printTicked(window, dialogs);
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked[1].title, QStringLiteral("打印失败"));
        QVERIFY2(dialogs.asked[1].text.startsWith(
                     QStringLiteral("打印失败，列表中没有一列的列名是模版的数据标记")),
                 qPrintable(dialogs.asked[1].text));
        QVERIFY(dialogs.asked[1].text.contains("column 1 (甲) fills no mark"));
        QCOMPARE(child<QLabel>(window, "状态")->text(), QStringLiteral("已打印 0 行，失败 0 行"));
    }

    // 停止 ends a print run at the next row; the window answers while it prints.
    void stopEndsAPrintRun() {
        const QString csv = m_home.path() + "/ten.csv";
        QFile out(csv);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QByteArray text = "序号,条码,名称\n";
        for (int i = 1; i <= 10; ++i)
            text += QStringLiteral("%1,TAV%2,商品%1\n").arg(i).arg(i, 5, 10, QChar('0')).toUtf8();
        out.write(text);
        out.close();

        ScriptedDialogs dialogs;
        BatchWindowSetup s = setup(BatchSource::Csv);
        s.pauseMs = 400;
        BatchWindow window(dialogs, s);
        loadCsv(window, dialogs, csv);
        child<QPushButton>(window, "全选")->click();
        dialogs.answers = {true};
        child<QPushButton>(window, "打印")->click();
        auto* status = child<QLabel>(window, "状态");
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith("正在打印第 1 行"), 10000);
        child<QPushButton>(window, "停止")->click();
        waitIdle(window);
        QVERIFY2(status->text().startsWith("已停止"), qPrintable(status->text()));
        QCOMPARE(dialogs.asked.size(), 2); // the file and the question, no failure
        QVERIFY(window.rows().rowCount() == 10);
    }

    // A hundred thousand rows fill the grid in blocks while the window's thread keeps answering;
    // the time, the largest pause of the event loop and the memory are printed. Under Xvfb with
    // TAV_BATCH_SCREENSHOT set, the filled window is saved there as a picture.
    void aLargeFileFillsTheGridWithoutFreezingTheWindow() {
        const int rows = 100000;
        const QString csv = m_home.path() + "/large.csv";
        QFile out(csv);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QByteArray text = "序号,条码,名称,规格,产地\n";
        for (int i = 1; i <= rows; ++i)
            text += QStringLiteral("%1,TAV%2,商品%1,500克/袋,浙江杭州\n")
                        .arg(i)
                        .arg(i, 5, 10, QChar('0'))
                        .toUtf8();
        out.write(text);
        out.close();
        text.clear();

        ScriptedDialogs dialogs;
        BatchWindow window(dialogs, setup(BatchSource::Csv));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto rssKb = [] {
            const QString status = readText("/proc/self/status");
            return QRegularExpression("VmRSS:\\s+(\\d+)").match(status).captured(1).toLongLong();
        };
        const qint64 before = rssKb();

        QElapsedTimer ticks;
        qint64 longestGap = 0;
        QTimer heartbeat;
        heartbeat.setInterval(10);
        connect(&heartbeat, &QTimer::timeout, this,
                [&] { longestGap = std::max(longestGap, ticks.restart()); });
        QElapsedTimer clock;
        dialogs.files = {csv};
        clock.start();
        ticks.start();
        heartbeat.start();
        child<QPushButton>(window, "csv.选择")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isBusy(), 30000);
        const qint64 elapsed = clock.elapsed();
        heartbeat.stop();
        QCOMPARE(window.rows().rowCount(), rows);
        QCOMPARE(cell(window, rows - 1, 3), QStringLiteral("商品100000"));
        const qint64 after = rssKb();
        qInfo("grid of %d rows filled in %lld ms; longest event-loop pause %lld ms; resident "
              "memory +%lld KiB (cells %zu KiB)",
              rows, elapsed, longestGap, after - before, window.rows().cellBytes() / 1024);
        QVERIFY2(longestGap < 500, "the window stopped answering while the grid filled");

        // The same number of rows from the server, for the time a database result takes.
        const auto mySqlBefore = rssKb();
        child<QLineEdit>(window, "mysql.地址")->setText(env("TAV_MYSQL_HOST", "127.0.0.1"));
        child<QLineEdit>(window, "mysql.库名")->setText(env("TAV_MYSQL_DATABASE", "tavtest"));
        child<QLineEdit>(window, "mysql.用户")->setText(env("TAV_MYSQL_USER", "tav"));
        child<QLineEdit>(window, "mysql.端口")->setText(env("TAV_MYSQL_PORT", "3306"));
        child<QLineEdit>(window, "mysql.密码")->setText(env("TAV_MYSQL_PASSWORD", "tav-pw-4711"));
        window.connectMySql();
        waitIdle(window);
        child<QPlainTextEdit>(window, "mysql.SQL")
            ->setPlainText("select seq as 序号, concat('TAV', lpad(seq, 5, '0')) as 条码, "
                           "concat('商品', seq) as 名称, '500克/袋' as 规格, '浙江杭州' as 产地 "
                           "from seq_1_to_100000");
        longestGap = 0;
        clock.restart();
        ticks.restart();
        heartbeat.start();
        window.executeMySql();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isBusy(), 30000);
        const qint64 mySqlElapsed = clock.elapsed();
        heartbeat.stop();
        QVERIFY(dialogs.asked.size() == 1);
        QCOMPARE(window.rows().rowCount(), rows);
        QCOMPARE(cell(window, rows - 1, 3), QStringLiteral("商品100000"));
        qInfo("the same rows from MySQL in %lld ms; longest event-loop pause %lld ms; resident "
              "memory %+lld KiB against the file's grid",
              mySqlElapsed, longestGap, rssKb() - mySqlBefore);
        QVERIFY2(longestGap < 500, "the window stopped answering while the grid filled");

        if (const QByteArray shot = qgetenv("TAV_BATCH_SCREENSHOT"); !shot.isEmpty()) {
            child<QPushButton>(window, "反选")->click();
            window.rows().setChecked(0, false);
            window.rows().setChecked(2, false);
            QTest::qWait(200);
            QVERIFY(window.grab().save(QString::fromLocal8Bit(shot)));
            child<QTabWidget>(window, "选择夹1")->setCurrentIndex(2);
            QTest::qWait(100);
            QVERIFY(window.grab().save(QString::fromLocal8Bit(shot) + ".mysql.png"));
        }
    }
};

QTEST_MAIN(BatchWindowTest)
#include "BatchWindowTest.moc"
