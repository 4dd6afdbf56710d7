#include "editor/app/BatchWindow.h"

#include "editor/app/BatchPrintRun.h"
#include "editor/app/BatchRowModel.h"
#include "editor/app/BatchTexts.h"
#include "platform/Charset.h"
#include "platform/File.h"
#include "platform/ScratchFile.h"
#include "printengine/BatchRun.h"
#include "printengine/ExportsLabelSink.h"
#include "printengine/InProcessPictureMaker.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <vector>

namespace tav::editor {

namespace texts = batchtexts;

namespace {

// Rows go to the grid in blocks: a block is handed over when it holds this many rows or when
// this long has passed since the last one, so the grid grows visibly without a queued call per
// row.
constexpr std::size_t kRowsPerBlock = 5000;
constexpr auto kBlockInterval = std::chrono::milliseconds(100);

QString fromGbk(const std::string& gbk) {
    return QString::fromStdString(platform::gbkToUtf8(gbk));
}

std::string toGbk(const QString& text) {
    return platform::utf8ToGbkReplacing(text.toStdString());
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// What sets the two database tabs apart in the window's words. An empty text: the server's own.
struct DatabaseTabTexts {
    QString name; // of the tab's widgets
    QString caption;
    QString notConnected;
    QString connectFailedTitle;
    QString connectFailedText;
    QString queryFailedTitle;
    QString queryFailedText;
};

const DatabaseTabTexts& textsOf(const DatabaseTab& tab) {
    static const DatabaseTabTexts sqlServer{QStringLiteral("sqlserver"),
                                            texts::kSqlServerTab,
                                            texts::kSqlServerNotConnectedText,
                                            texts::kErrorTitle,
                                            {},
                                            texts::kErrorTitle,
                                            {}};
    static const DatabaseTabTexts mySql{QStringLiteral("mysql"),        texts::kMySqlTab,
                                        texts::kMySqlNotConnectedText,  texts::kConnectFailedTitle,
                                        texts::kMySqlConnectFailedText, texts::kFailedTitle,
                                        texts::kMySqlQueryFailedText};
    return &tab == &kSqlServerTab ? sqlServer : mySql;
}

} // namespace

BatchWindow::BatchWindow(Dialogs& dialogs, BatchWindowSetup setup, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_setup(std::move(setup)),
      m_session({m_setup.settingsFiles, m_setup.sqlServerConnection}) {
    setWindowTitle(texts::kWindowTitle);
    setObjectName(texts::kWindowTitle);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("选择夹1"));
    m_sqlServer.tab = &kSqlServerTab;
    m_mySqlTab.tab = &kMySqlTab;
    m_tabs->addTab(buildDatabaseTab(m_sqlServer, textsOf(kSqlServerTab).name),
                   textsOf(kSqlServerTab).caption);
    m_tabs->addTab(buildFileTab(m_excel, QStringLiteral("excel"), texts::kExcelHint, false),
                   texts::kExcelTab);
    m_tabs->addTab(buildDatabaseTab(m_mySqlTab, textsOf(kMySqlTab).name),
                   textsOf(kMySqlTab).caption);
    m_tabs->addTab(buildFileTab(m_csv, QStringLiteral("csv"), texts::kCsvHint, true),
                   texts::kCsvTab);
    // The grid takes the height the tabs do not need.
    m_tabs->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    m_model = new BatchRowModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("超级列表框1"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    // Fixed row heights: the view never measures a hundred thousand rows.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setDefaultSectionSize(100);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { m_grid->setColumnWidth(0, 60); });

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("进度条1"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("状态"));
    auto button = [this](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(text);
        b->setAutoDefault(false);
        return b;
    };
    m_checkAll = button(QStringLiteral("全选"));
    m_invert = button(QStringLiteral("反选"));
    m_print = button(QStringLiteral("打印"));
    m_stop = button(QStringLiteral("停止"));
    m_stop->setEnabled(false);
    connect(m_checkAll, &QPushButton::clicked, this, &BatchWindow::checkAll);
    connect(m_invert, &QPushButton::clicked, this, &BatchWindow::invertChecks);
    connect(m_print, &QPushButton::clicked, this, &BatchWindow::printChecked);
    connect(m_stop, &QPushButton::clicked, this, &BatchWindow::stop);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_status);
    bottom->addWidget(m_checkAll);
    bottom->addWidget(m_invert);
    bottom->addWidget(m_print);
    bottom->addWidget(m_stop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_tabs);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);
    resize(kWidth, kHeight);

    m_model->reset({});
    if (!platform::pathExists(m_setup.templatePath)) {
        m_templateMissing = true;
        m_dialogs.error(this, texts::kFailedTitle, texts::kNoTemplateText);
        return;
    }
    m_tabs->setCurrentIndex(static_cast<int>(m_setup.source));
    loadSettings();
}

BatchWindow::~BatchWindow() {
    shutDown();
}

int BatchWindow::exec() {
    if (m_templateMissing) {
        shutDown();
        return Rejected;
    }
    return QDialog::exec();
}

void BatchWindow::done(int result) {
    shutDown();
    QDialog::done(result);
}

// Closing always succeeds: work in progress is stopped at the next row, the connections are
// closed and the template copy is deleted.
void BatchWindow::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_stopRequested = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_printSink.reset();
    m_session.close();
    if (!m_setup.templatePath.empty())
        platform::removeFile(m_setup.templatePath);
}

// --- building ---

QWidget* BatchWindow::buildDatabaseTab(DatabaseWidgets& tab, const QString& name) {
    const bool withPort = tab.tab->hasPort;
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    auto field = [&](const QString& caption, int row, int column) {
        auto* label = new QLabel(caption, page);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(name + "." + caption);
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        return edit;
    };
    tab.address = field(QStringLiteral("地址"), 0, 0);
    tab.database = field(QStringLiteral("库名"), 0, 2);
    tab.user = field(QStringLiteral("用户"), 1, 0);
    tab.password = field(QStringLiteral("密码"), 1, 2);
    tab.password->setEchoMode(QLineEdit::Password);
    if (withPort)
        tab.port = field(QStringLiteral("端口"), 2, 0);
    tab.connect = new QPushButton(QStringLiteral("连接"), page);
    tab.connect->setObjectName(name + ".连接");
    tab.connect->setAutoDefault(false);
    grid->addWidget(tab.connect, 0, 4, withPort ? 3 : 2, 1);

    const int sqlRow = withPort ? 3 : 2;
    grid->addWidget(new QLabel(QStringLiteral("SQL"), page), sqlRow, 0);
    tab.sql = new QPlainTextEdit(page);
    tab.sql->setObjectName(name + ".SQL");
    tab.sql->setFixedHeight(tab.sql->fontMetrics().height() * 2 + 12);
    grid->addWidget(tab.sql, sqlRow, 1, 1, 3);
    auto* execute = new QPushButton(QStringLiteral("执行"), page);
    execute->setObjectName(name + ".执行");
    execute->setAutoDefault(false);
    grid->addWidget(execute, sqlRow, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    const DatabaseTab* described = tab.tab;
    connect(tab.connect, &QPushButton::clicked, this,
            [this, described] { connectDatabase(*described); });
    connect(execute, &QPushButton::clicked, this,
            [this, described] { executeDatabase(*described); });
    return page;
}

QWidget* BatchWindow::buildFileTab(FileTab& tab, const QString& name, const QString& hint,
                                   bool withEncoding) {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("文件"), page), 0, 0);
    tab.path = new QLineEdit(QStringLiteral("*"), page);
    tab.path->setObjectName(name + ".文件");
    tab.path->setReadOnly(true);
    grid->addWidget(tab.path, 0, 1);
    auto* choose = new QPushButton(QStringLiteral("选择"), page);
    choose->setObjectName(name + ".选择");
    choose->setAutoDefault(false);
    grid->addWidget(choose, 0, 2);
    int row = 1;
    if (withEncoding) {
        grid->addWidget(new QLabel(QStringLiteral("编码"), page), row, 0);
        tab.encoding = new QComboBox(page);
        tab.encoding->setObjectName(name + ".编码");
        tab.encoding->addItem(QStringLiteral("UTF-8"), static_cast<int>(data::CsvEncoding::Utf8));
        tab.encoding->addItem(QStringLiteral("GBK"), static_cast<int>(data::CsvEncoding::Gbk));
        grid->addWidget(tab.encoding, row, 1, Qt::AlignLeft);
        ++row;
    }
    auto* label = new QLabel(hint, page);
    label->setWordWrap(true);
    grid->addWidget(label, row, 0, 1, 3);
    grid->setRowStretch(row + 1, 1);
    connect(choose, &QPushButton::clicked, this,
            withEncoding ? &BatchWindow::chooseCsvFile : &BatchWindow::chooseExcelFile);
    return page;
}

void BatchWindow::loadSettings() {
    for (DatabaseWidgets* tab : {&m_sqlServer, &m_mySqlTab}) {
        const DatabaseFields saved = m_session.savedFields(*tab->tab);
        tab->address->setText(fromGbk(saved.address));
        tab->database->setText(fromGbk(saved.database));
        tab->user->setText(fromGbk(saved.user));
        tab->password->setText(fromGbk(saved.password));
        if (tab->port)
            tab->port->setText(fromGbk(saved.port));
        tab->sql->setPlainText(fromGbk(saved.sql));
    }
}

DatabaseFields BatchWindow::fields(const DatabaseWidgets& tab) const {
    return {toGbk(tab.address->text()),
            toGbk(tab.database->text()),
            toGbk(tab.user->text()),
            toGbk(tab.password->text()),
            tab.port ? toGbk(tab.port->text()) : std::string(),
            toGbk(tab.sql->toPlainText())};
}

BatchWindow::DatabaseWidgets& BatchWindow::widgetsOf(const DatabaseTab& tab) {
    return &tab == &kSqlServerTab ? m_sqlServer : m_mySqlTab;
}

// A disabled "连接" button means connected; there is no disconnecting but closing the window.
void BatchWindow::setConnected(DatabaseWidgets& tab, bool connected) {
    for (QLineEdit* edit : {tab.address, tab.database, tab.user, tab.password, tab.port})
        if (edit)
            edit->setEnabled(!connected);
    tab.connect->setEnabled(!connected);
}

// --- background work ---

void BatchWindow::setBusy(bool busy) {
    m_tabs->setEnabled(!busy);
    m_checkAll->setEnabled(!busy);
    m_invert->setEnabled(!busy);
    m_print->setEnabled(!busy);
    m_grid->setEnabled(!busy || !m_printSink);
    m_stop->setEnabled(busy);
}

void BatchWindow::runInBackground(std::function<void()> work, std::function<void()> then) {
    if (m_thread || m_shutDown)
        return;
    m_stopRequested = false;
    m_thread = QThread::create(std::move(work));
    setBusy(true);
    connect(m_thread, &QThread::finished, this, [this, then = std::move(then)] {
        if (!m_thread)
            return; // the window closed and waited for it
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        setBusy(false);
        then();
        emit workFinished();
    });
    m_thread->start();
}

void BatchWindow::stop() {
    m_stopRequested = true;
}

void BatchWindow::fillGrid(std::function<Status(const data::RowHandler&)> read,
                           std::function<void(const Status&)> then) {
    m_model->reset({});
    m_progress->setRange(0, 0); // the row count is known only at the end
    m_status->setText(texts::kFilling.arg(0));
    auto outcome = std::make_shared<data::Status>(data::Status::success());
    auto work = [this, read = std::move(read), outcome] {
        std::vector<BatchRowModel::Row> block;
        // What the cells of the block's rows could not hold, by index into the block.
        std::vector<std::pair<std::size_t, BatchRowModel::Unprintable>> unprintable;
        BatchRowModel::Unprintable pending; // of the row being read
        auto last = std::chrono::steady_clock::now();
        auto handOver = [&] {
            auto rows = std::make_shared<std::vector<BatchRowModel::Row>>(std::move(block));
            auto characters = std::make_shared<decltype(unprintable)>(std::move(unprintable));
            block = {};
            unprintable = {};
            QMetaObject::invokeMethod(
                this,
                [this, rows, characters] {
                    m_model->append(std::move(*rows), std::move(*characters));
                    m_status->setText(texts::kFilling.arg(m_model->rowCount()));
                },
                Qt::QueuedConnection);
            last = std::chrono::steady_clock::now();
        };
        data::RowHandler handler;
        handler.onTitles = [&](const std::vector<std::string>& titles) {
            QMetaObject::invokeMethod(
                this, [this, titles] { m_model->reset(titles); }, Qt::QueuedConnection);
            return !m_stopRequested;
        };
        handler.onUnprintable = [&](std::size_t column, std::string_view character) {
            pending.push_back({column, std::string(character)});
        };
        handler.onRow = [&](const std::vector<std::string>& cells) {
            if (!pending.empty())
                unprintable.emplace_back(block.size(), std::move(pending));
            pending = {};
            block.push_back(cells);
            if (block.size() >= kRowsPerBlock ||
                std::chrono::steady_clock::now() - last >= kBlockInterval)
                handOver();
            return !m_stopRequested;
        };
        *outcome = read(handler);
        if (!block.empty())
            handOver();
    };
    runInBackground(std::move(work), [this, outcome, then = std::move(then)] {
        const int count = m_model->rowCount();
        m_progress->setRange(0, std::max(count, 1));
        m_progress->setValue(count);
        m_status->setText(texts::kFilled.arg(count));
        then(*outcome);
    });
}

// --- connecting and reading ---

void BatchWindow::connectSqlServer() {
    connectDatabase(kSqlServerTab);
}

void BatchWindow::connectMySql() {
    connectDatabase(kMySqlTab);
}

void BatchWindow::executeSqlServer() {
    executeDatabase(kSqlServerTab);
}

void BatchWindow::executeMySql() {
    executeDatabase(kMySqlTab);
}

void BatchWindow::connectDatabase(const DatabaseTab& tab) {
    if (isBusy())
        return;
    const DatabaseFields entered = fields(widgetsOf(tab));
    auto outcome = std::make_shared<BatchSession::Connected>();
    runInBackground([this, &tab, entered, outcome] { *outcome = m_session.connect(tab, entered); },
                    [this, &tab, outcome] {
                        const DatabaseTabTexts& words = textsOf(tab);
                        if (!outcome->connected.ok()) {
                            m_dialogs.error(this, words.connectFailedTitle,
                                            words.connectFailedText.isEmpty()
                                                ? fromUtf8(outcome->connected.error())
                                                : words.connectFailedText);
                            return;
                        }
                        setConnected(widgetsOf(tab), true);
                        if (!outcome->saved.ok())
                            m_status->setText(fromUtf8(outcome->saved.error()));
                    });
}

void BatchWindow::executeDatabase(const DatabaseTab& tab) {
    if (isBusy())
        return;
    const DatabaseTabTexts& words = textsOf(tab);
    if (!m_session.isConnected(tab)) {
        m_dialogs.error(this, texts::kFailedTitle, words.notConnected);
        return;
    }
    const std::string sql = toGbk(widgetsOf(tab).sql->toPlainText());
    fillGrid([this, &tab, sql](
                 const data::RowHandler& handler) { return m_session.execute(tab, sql, handler); },
             [this, &words](const data::Status& status) {
                 if (!status.ok())
                     m_dialogs.error(this, words.queryFailedTitle,
                                     words.queryFailedText.isEmpty() ? fromUtf8(status.error())
                                                                     : words.queryFailedText);
             });
}

void BatchWindow::chooseExcelFile() {
    chooseFile(BatchSource::Excel);
}

void BatchWindow::chooseCsvFile() {
    chooseFile(BatchSource::Csv);
}

void BatchWindow::chooseFile(BatchSource kind) {
    if (isBusy())
        return;
    const bool excel = kind == BatchSource::Excel;
    const auto path = m_dialogs.openFile(
        this, excel ? FileDialogSetup{texts::kExcelDialogTitle, texts::kExcelDefaultName,
                                      texts::kExcelFilter, texts::kExcelSuffix}
                    : FileDialogSetup{texts::kCsvDialogTitle, texts::kCsvDefaultName,
                                      texts::kCsvFilter, texts::kCsvSuffix});
    if (!path || !QFileInfo(*path).isFile())
        return;
    (excel ? m_excel : m_csv).path->setText(*path);
    readFile(kind, *path);
}

void BatchWindow::readFile(BatchSource kind, const QString& path) {
    const std::string file = QFile::encodeName(path).toStdString();
    const auto encoding = static_cast<data::CsvEncoding>(m_csv.encoding->currentData().toInt());
    fillGrid(
        [kind, file, encoding](const data::RowHandler& handler) {
            return BatchSession::readFile(kind, file, encoding, handler);
        },
        [this, path](const data::Status& status) {
            if (data::isNoData(status))
                m_dialogs.information(
                    this, texts::kFailedTitle,
                    QString::fromUtf8(data::kNoDataMessage.data(),
                                      static_cast<int>(data::kNoDataMessage.size())));
            else if (!status.ok())
                m_dialogs.error(this, texts::kFailedTitle,
                                texts::kCannotOpenFileText.arg(path) + "\n" +
                                    fromUtf8(status.error()));
        });
}

// --- ticking and printing ---

void BatchWindow::checkAll() {
    m_model->checkAll();
}

void BatchWindow::invertChecks() {
    m_model->invertChecks();
}

void BatchWindow::printChecked() {
    if (isBusy() || m_model->rowCount() == 0)
        return;
    if (!m_dialogs.question(this, texts::kPrintQuestionTitle, texts::kPrintQuestionText))
        return;
    auto sink = engine::ExportsLabelSink::create(m_setup.templatePath,
                                                 std::chrono::milliseconds(m_setup.pauseMs));
    if (!sink) {
        m_dialogs.error(this, texts::kPrintFailedTitle, texts::kPrintLoadText);
        return;
    }
    m_printSink = std::move(sink.value());

    // Rows not ticked keep their numbers: a job is named after its row's place in the grid.
    std::vector<bool> ticked(static_cast<std::size_t>(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row)
        ticked[static_cast<std::size_t>(row)] = m_model->isChecked(row);
    const int total = static_cast<int>(m_model->checkedCount());
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(0);
    m_status->setText(texts::kPrintDone.arg(0).arg(0));

    auto run = std::make_shared<BatchPrintRun>();
    run->onRow = [this, done = 0, total](std::size_t position) mutable {
        ++done;
        QMetaObject::invokeMethod(
            this,
            [this, position, done, total] {
                m_progress->setValue(done);
                m_status->setText(texts::kPrintingProgress.arg(position).arg(done).arg(total));
            },
            Qt::QueuedConnection);
    };
    engine::ExportsLabelSink* printSink = m_printSink.get();
    auto work = [this, printSink, run, selection = engine::RowSelection::ofTicks(ticked)] {
        engine::InProcessPictureMaker pictures; // unused: the library fills the marks
        engine::BatchPrinter printer(printSink->layout(), *printSink, pictures);
        GridRows rows(*m_model, m_stopRequested);
        run->summary = engine::runBatch(rows, printer, selection, *run);
        run->stopped = rows.stopped();
    };
    runInBackground(std::move(work), [this, run, total] {
        m_printSink.reset();
        reportPrinting(*run, total);
    });
}

void BatchWindow::reportPrinting(const BatchPrintRun& run, int total) {
    const QString& line = run.stopped ? texts::kPrintStopped : texts::kPrintDone;
    m_status->setText(line.arg(run.summary.printed).arg(run.summary.failed));
    if (const auto box = printReport(run, total); box && box->error)
        m_dialogs.error(this, box->title, box->text);
    else if (box)
        m_dialogs.information(this, box->title, box->text);
}

} // namespace tav::editor
