// The batch window: rows from SQL Server (ODBC), an Excel 97-2003 sheet, MySQL or a CSV file in
// a grid with a check box per row, and one label per ticked row through the engine's batch loop
// and the print library's exports (ExportsLabelSink). The sources, the connections and
// sqldata.conf are the BatchSession's; the window holds the widgets and wires them. Connecting,
// reading and printing run on a worker thread, so the window answers throughout; the grid is
// filled in blocks on the window's thread. Every box goes through Dialogs. The template is the
// scratch copy the main window saved; it is deleted, and every connection closed, when the
// window closes.
#pragma once

#include "common/Status.h"
#include "datasource/SqlDataConfig.h"
#include "editor/app/Dialogs.h"
#include "editor/core/BatchSession.h"
#include "printengine/BatchPrinter.h"

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

namespace tav::engine {
class ExportsLabelSink;
}

namespace tav::editor {

class BatchRowModel;
struct BatchPrintRun;

struct BatchWindowSetup {
    std::string templatePath; // the scratch copy of the document; the window deletes it
    BatchSource source = BatchSource::SqlServer;
    data::SqlDataConfigFiles settingsFiles;
    // The ODBC connection string of the SQL Server tab's fields (FreeTDS).
    std::function<std::string(const data::SqlServerSettings&)> sqlServerConnection =
        [](const data::SqlServerSettings& settings) {
            return data::sqlServerConnectionString(settings);
        };
    // The pause between labels, so that a slow spooler takes the jobs in order.
    int pauseMs = static_cast<int>(engine::kPauseBetweenJobs.count());
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
    // The widgets of a database tab, and the tab they show.
    struct DatabaseWidgets {
        const DatabaseTab* tab = nullptr;
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

    QWidget* buildDatabaseTab(DatabaseWidgets& widgets, const QString& name);
    QWidget* buildFileTab(FileTab& tab, const QString& name, const QString& hint,
                          bool withEncoding);
    void loadSettings();
    void setConnected(DatabaseWidgets& widgets, bool connected);
    DatabaseFields fields(const DatabaseWidgets& widgets) const;
    DatabaseWidgets& widgetsOf(const DatabaseTab& tab);
    void connectDatabase(const DatabaseTab& tab);
    void executeDatabase(const DatabaseTab& tab);
    void chooseFile(BatchSource source);
    void reportPrinting(const BatchPrintRun& run, int total);

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
    BatchSession m_session;
    std::unique_ptr<engine::ExportsLabelSink> m_printSink; // while printing

    QTabWidget* m_tabs = nullptr;
    DatabaseWidgets m_sqlServer;
    DatabaseWidgets m_mySqlTab;
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

    QThread* m_thread = nullptr;
    std::atomic<bool> m_stopRequested{false};
};

} // namespace tav::editor
