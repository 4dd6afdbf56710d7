// The batch window: rows from SQL Server (ODBC), an Excel 97-2003 sheet, MySQL or a CSV file in
// a grid with a check box per row, and one label per ticked row through the print engine's
// exports. Connecting, reading and printing run on a worker thread, so the window answers
// throughout; the grid is filled in blocks on the window's thread. Every box goes through
// Dialogs. The template is the scratch copy the main window saved; it is deleted, and every
// connection closed, when the window closes.
#pragma once

#include "common/Status.h"
#include "datasource/SqlDataConfig.h"
#include "editor/app/Dialogs.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QThread;

namespace tav::data {
class MySqlSource;
class OdbcSource;
class DataSource;
struct RowHandler;
} // namespace tav::data

namespace tav::editor {

class BatchRowModel;

// The tabs in their order; the three menu items open the first three.
enum class BatchSource { SqlServer = 0, Excel = 1, MySql = 2, Csv = 3 };

struct BatchWindowSetup {
    std::string templatePath; // the scratch copy of the document; the window deletes it
    BatchSource source = BatchSource::SqlServer;
    data::SqlDataConfigFiles settingsFiles;
    // The ODBC connection string of the SQL Server tab's fields (FreeTDS).
    std::function<std::string(const data::SqlServerSettings&)> sqlServerConnection =
        [](const data::SqlServerSettings& settings) {
            return data::sqlServerConnectionString(settings);
        };
    // The pause after each label, so that a slow spooler takes the jobs in order.
    int pauseMs = 200;
};

class BatchWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 373;

    BatchWindow(Dialogs& dialogs, BatchWindowSetup setup, QWidget* parent = nullptr);
    ~BatchWindow() override;

    // Shows the window modally; closes at once (after the box said so) when the template copy
    // is missing.
    int exec() override;
    bool templateMissing() const { return m_templateMissing; }

    // The buttons' commands.
    void connectSqlServer();
    void connectMySql();
    void executeSqlServer();
    void executeMySql();
    void chooseExcelFile();
    void chooseCsvFile();
    void checkAll();
    void invertChecks();
    void printChecked();
    void stop();

    BatchRowModel& rows() { return *m_model; }
    bool isBusy() const { return m_thread != nullptr; }

signals:
    // Background work (connecting, reading, printing) ended and its outcome was shown.
    void workFinished();

public:
    void done(int result) override;

private:
    struct DatabaseTab {
        QLineEdit* address = nullptr;
        QLineEdit* database = nullptr;
        QLineEdit* user = nullptr;
        QLineEdit* password = nullptr;
        QLineEdit* port = nullptr; // MySQL only
        QPushButton* connect = nullptr;
        QPlainTextEdit* sql = nullptr;
    };
    struct FileTab {
        QLineEdit* path = nullptr;
        QComboBox* encoding = nullptr; // CSV only
    };

    QWidget* buildDatabaseTab(DatabaseTab& tab, const QString& name, bool withPort);
    QWidget* buildFileTab(FileTab& tab, const QString& name, const QString& hint,
                          bool withEncoding);
    void loadSettings();
    void setConnected(DatabaseTab& tab, bool connected);
    data::SqlServerSettings sqlServerFields() const;
    data::MySqlSettings mySqlFields() const;

    // Runs `work` on the worker thread, then `then` on the window's thread.
    void runInBackground(std::function<void()> work, std::function<void()> then);
    // Clears the grid, then fills it from `read` on the worker thread; `then` gets the outcome.
    void fillGrid(std::function<Status(const data::RowHandler&)> read,
                  std::function<void(const Status&)> then);
    void readFile(BatchSource source, const QString& path);
    void setBusy(bool busy);
    void shutDown();

    Dialogs& m_dialogs;
    BatchWindowSetup m_setup;
    bool m_templateMissing = false;
    bool m_shutDown = false;
    bool m_printing = false;

    QTabWidget* m_tabs = nullptr;
    DatabaseTab m_sqlServer;
    DatabaseTab m_mySqlTab;
    FileTab m_excel;
    FileTab m_csv;
    QTableView* m_grid = nullptr;
    BatchRowModel* m_model = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_checkAll = nullptr;
    QPushButton* m_invert = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_stop = nullptr;

    std::unique_ptr<data::OdbcSource> m_odbc;
    std::unique_ptr<data::MySqlSource> m_mySql;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_stopRequested{false};
};

} // namespace tav::editor
