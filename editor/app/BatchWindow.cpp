#include "editor/app/BatchWindow.h"

#include "datasource/CsvSource.h"
#include "datasource/MySqlSource.h"
#include "datasource/OdbcSource.h"
#include "datasource/XlsSource.h"
#include "editor/app/BatchRowModel.h"
#include "editor/app/BatchTexts.h"
#include "platform/Charset.h"
#include "platform/File.h"
#include "platform/ScratchFile.h"
#include "tavprint.h"

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

} // namespace

BatchWindow::BatchWindow(Dialogs& dialogs, BatchWindowSetup setup, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_setup(std::move(setup)) {
    setWindowTitle(texts::kWindowTitle);
    setObjectName(texts::kWindowTitle);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("选择夹1"));
    m_tabs->addTab(buildDatabaseTab(m_sqlServer, QStringLiteral("sqlserver"), false),
                   texts::kSqlServerTab);
    m_tabs->addTab(buildFileTab(m_excel, QStringLiteral("excel"), texts::kExcelHint, false),
                   texts::kExcelTab);
    m_tabs->addTab(buildDatabaseTab(m_mySqlTab, QStringLiteral("mysql"), true), texts::kMySqlTab);
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
    if (m_printing) {
        TAVDestroy();
        m_printing = false;
    }
    m_odbc.reset();
    m_mySql.reset();
    if (!m_setup.templatePath.empty())
        platform::removeFile(m_setup.templatePath);
}

// --- building ---

QWidget* BatchWindow::buildDatabaseTab(DatabaseTab& tab, const QString& name, bool withPort) {
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

    const bool mySql = withPort;
    connect(tab.connect, &QPushButton::clicked, this,
            mySql ? &BatchWindow::connectMySql : &BatchWindow::connectSqlServer);
    connect(execute, &QPushButton::clicked, this,
            mySql ? &BatchWindow::executeMySql : &BatchWindow::executeSqlServer);
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
    auto read = data::readSqlDataConfig(m_setup.settingsFiles);
    // A file that cannot be read leaves the defaults in the fields; saving will say more.
    const data::SqlDataConfig config = read.ok() ? read.value() : data::SqlDataConfig{};
    const auto& server = config.sqlServer;
    m_sqlServer.address->setText(fromGbk(server.address));
    m_sqlServer.database->setText(fromGbk(server.database));
    m_sqlServer.user->setText(fromGbk(server.user));
    m_sqlServer.password->setText(fromGbk(server.password));
    m_sqlServer.sql->setPlainText(fromGbk(server.sql));
    const auto& mySql = config.mySql;
    m_mySqlTab.address->setText(fromGbk(mySql.address));
    m_mySqlTab.database->setText(fromGbk(mySql.database));
    m_mySqlTab.user->setText(fromGbk(mySql.user));
    m_mySqlTab.password->setText(fromGbk(mySql.password));
    m_mySqlTab.port->setText(fromGbk(mySql.port));
    m_mySqlTab.sql->setPlainText(fromGbk(mySql.sql));
}

data::SqlServerSettings BatchWindow::sqlServerFields() const {
    data::SqlServerSettings settings;
    settings.address = toGbk(m_sqlServer.address->text());
    settings.database = toGbk(m_sqlServer.database->text());
    settings.user = toGbk(m_sqlServer.user->text());
    settings.password = toGbk(m_sqlServer.password->text());
    settings.sql = toGbk(m_sqlServer.sql->toPlainText());
    return settings;
}

data::MySqlSettings BatchWindow::mySqlFields() const {
    data::MySqlSettings settings;
    settings.address = toGbk(m_mySqlTab.address->text());
    settings.database = toGbk(m_mySqlTab.database->text());
    settings.user = toGbk(m_mySqlTab.user->text());
    settings.password = toGbk(m_mySqlTab.password->text());
    settings.port = toGbk(m_mySqlTab.port->text());
    settings.sql = toGbk(m_mySqlTab.sql->toPlainText());
    return settings;
}

// A disabled "连接" button means connected; there is no disconnecting but closing the window.
void BatchWindow::setConnected(DatabaseTab& tab, bool connected) {
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
    m_grid->setEnabled(!busy || !m_printing);
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
        auto last = std::chrono::steady_clock::now();
        auto handOver = [&] {
            auto rows = std::make_shared<std::vector<BatchRowModel::Row>>(std::move(block));
            block = {};
            QMetaObject::invokeMethod(
                this,
                [this, rows] {
                    m_model->append(std::move(*rows));
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
        handler.onRow = [&](const std::vector<std::string>& cells) {
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
    if (isBusy())
        return;
    const data::SqlServerSettings settings = sqlServerFields();
    m_odbc.reset();
    auto source = std::make_shared<std::unique_ptr<data::OdbcSource>>(
        std::make_unique<data::OdbcSource>(m_setup.sqlServerConnection(settings)));
    auto outcome = std::make_shared<data::Status>(data::Status::success());
    runInBackground(
        [source, outcome] { *outcome = (*source)->open(); },
        [this, source, outcome, settings] {
            if (!outcome->ok()) {
                m_dialogs.error(this, texts::kErrorTitle, fromUtf8(outcome->error()));
                return;
            }
            m_odbc = std::move(*source);
            setConnected(m_sqlServer, true);
            if (auto saved = data::saveSqlServerConnection(m_setup.settingsFiles, settings); !saved)
                m_status->setText(fromUtf8(saved.error()));
        });
}

void BatchWindow::connectMySql() {
    if (isBusy())
        return;
    const data::MySqlSettings settings = mySqlFields();
    m_mySql.reset();
    auto params = data::mySqlParams(settings);
    if (!params) {
        m_dialogs.error(this, texts::kConnectFailedTitle, texts::kMySqlConnectFailedText);
        return;
    }
    auto source = std::make_shared<std::unique_ptr<data::MySqlSource>>(
        std::make_unique<data::MySqlSource>(params.value()));
    auto outcome = std::make_shared<data::Status>(data::Status::success());
    runInBackground(
        [source, outcome] { *outcome = (*source)->open(); },
        [this, source, outcome, settings] {
            if (!outcome->ok()) {
                m_dialogs.error(this, texts::kConnectFailedTitle, texts::kMySqlConnectFailedText);
                return;
            }
            m_mySql = std::move(*source);
            setConnected(m_mySqlTab, true);
            if (auto saved = data::saveMySqlConnection(m_setup.settingsFiles, settings); !saved)
                m_status->setText(fromUtf8(saved.error()));
        });
}

void BatchWindow::executeSqlServer() {
    if (isBusy())
        return;
    if (!m_odbc) {
        m_dialogs.error(this, texts::kFailedTitle, texts::kSqlServerNotConnectedText);
        return;
    }
    const std::string sql = toGbk(m_sqlServer.sql->toPlainText());
    m_odbc->setQuery(sql);
    data::OdbcSource* source = m_odbc.get();
    fillGrid([source](const data::RowHandler& handler) { return source->read(handler); },
             [this, sql](const data::Status& status) {
                 if (!status.ok()) {
                     m_dialogs.error(this, texts::kErrorTitle, fromUtf8(status.error()));
                     return;
                 }
                 data::saveSqlServerQuery(m_setup.settingsFiles, sql);
             });
}

void BatchWindow::executeMySql() {
    if (isBusy())
        return;
    if (!m_mySql) {
        m_dialogs.error(this, texts::kFailedTitle, texts::kMySqlNotConnectedText);
        return;
    }
    const std::string sql = toGbk(m_mySqlTab.sql->toPlainText());
    m_mySql->setQuery(sql);
    data::MySqlSource* source = m_mySql.get();
    fillGrid([source](const data::RowHandler& handler) { return source->read(handler); },
             [this, sql](const data::Status& status) {
                 if (!status.ok()) {
                     m_dialogs.error(this, texts::kFailedTitle, texts::kMySqlQueryFailedText);
                     return;
                 }
                 data::saveMySqlQuery(m_setup.settingsFiles, sql);
             });
}

void BatchWindow::chooseExcelFile() {
    if (isBusy())
        return;
    const auto path = m_dialogs.openFile(this, {texts::kExcelDialogTitle, texts::kExcelDefaultName,
                                                texts::kExcelFilter, texts::kExcelSuffix});
    if (!path || !QFileInfo(*path).isFile())
        return;
    m_excel.path->setText(*path);
    readFile(BatchSource::Excel, *path);
}

void BatchWindow::chooseCsvFile() {
    if (isBusy())
        return;
    const auto path = m_dialogs.openFile(this, {texts::kCsvDialogTitle, texts::kCsvDefaultName,
                                                texts::kCsvFilter, texts::kCsvSuffix});
    if (!path || !QFileInfo(*path).isFile())
        return;
    m_csv.path->setText(*path);
    readFile(BatchSource::Csv, *path);
}

void BatchWindow::readFile(BatchSource kind, const QString& path) {
    std::shared_ptr<data::DataSource> source;
    const std::string file = QFile::encodeName(path).toStdString();
    if (kind == BatchSource::Excel)
        source = std::make_shared<data::XlsSource>(file);
    else
        source = std::make_shared<data::CsvSource>(
            file, static_cast<data::CsvEncoding>(m_csv.encoding->currentData().toInt()));
    fillGrid(
        [source](const data::RowHandler& handler) {
            data::Status status = source->read(handler);
            source->close();
            return status;
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
    if (TAVLoad(m_setup.templatePath.c_str()) == 0) {
        m_dialogs.error(this, texts::kPrintFailedTitle, texts::kPrintLoadText);
        return;
    }
    m_printing = true;

    // Rows not ticked keep their numbers: a job is named after its row's place in the grid.
    std::vector<int> ticked;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->isChecked(row))
            ticked.push_back(row);
    struct Outcome {
        std::vector<int> failed; // row numbers from 1
        std::size_t printed = 0;
        bool stopped = false;
    };
    auto outcome = std::make_shared<Outcome>();
    const int total = static_cast<int>(ticked.size());
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(0);
    m_status->setText(texts::kPrintDone.arg(0).arg(0));

    // The grid does not change while the window is busy, so the worker reads its rows directly.
    const BatchRowModel* model = m_model;
    const int pauseMs = m_setup.pauseMs;
    auto work = [this, model, ticked, outcome, pauseMs, total] {
        const auto& titles = model->titles();
        for (int k = 0; k < total; ++k) {
            if (m_stopRequested) {
                outcome->stopped = true;
                break;
            }
            const int row = ticked[static_cast<std::size_t>(k)];
            const auto& cells = model->rows()[static_cast<std::size_t>(row)];
            for (std::size_t c = 0; c < titles.size(); ++c)
                SetMark(titles[c].c_str(), cells[c].c_str());
            const std::string jobName = "TAVPrint_" + std::to_string(row + 1);
            if (TAVPrint(jobName.c_str()) == 0)
                outcome->failed.push_back(row + 1);
            else
                ++outcome->printed;
            QMetaObject::invokeMethod(
                this,
                [this, row, k, total] {
                    m_progress->setValue(k + 1);
                    m_status->setText(texts::kPrintingProgress.arg(row + 1).arg(k + 1).arg(total));
                },
                Qt::QueuedConnection);
            // The pause between labels, in short steps so that 停止 is heard at once.
            for (int waited = 0; k + 1 < total && waited < pauseMs && !m_stopRequested;
                 waited += 20)
                QThread::msleep(static_cast<unsigned long>(std::min(20, pauseMs - waited)));
        }
    };
    runInBackground(std::move(work), [this, outcome, total] {
        TAVDestroy();
        m_printing = false;
        const auto failed = static_cast<int>(outcome->failed.size());
        const QString& summary = outcome->stopped ? texts::kPrintStopped : texts::kPrintDone;
        m_status->setText(summary.arg(outcome->printed).arg(failed));
        if (failed > 0) {
            QStringList rows;
            for (int row : outcome->failed)
                rows.append(QString::number(row));
            m_dialogs.error(this, texts::kPrintFailedTitle,
                            texts::kPrintRowsFailedText.arg(failed)
                                .arg(rows.join(QStringLiteral("、")))
                                .arg(total));
        }
    });
}

} // namespace tav::editor
