// A print run of the batch window through the engine's batch loop: the grid's rows as the loop
// reads them, what the loop reported, and the box that tells the user, in the words tavprint
// batch uses on its terminal.
#pragma once

#include "printengine/BatchRun.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tav::editor {

class BatchRowModel;

// The rows of the grid, every one with what its cells could not hold, until `stop` is set. The
// worker reads the grid while the window is busy and keeps it from changing.
class GridRows final : public engine::BatchRows {
public:
    GridRows(const BatchRowModel& model, const std::atomic<bool>& stop)
        : m_model(model), m_stop(stop) {}
    std::string read(engine::BatchRowReceiver& receiver) override;
    // The run was stopped before the last row.
    bool stopped() const { return m_stopped; }

private:
    const BatchRowModel& m_model;
    const std::atomic<bool>& m_stop;
    bool m_stopped = false;
};

// How a print run went: filled on the worker, read on the window's thread once it ended.
struct BatchPrintRun final : engine::BatchObserver {
    engine::BatchSummary summary;
    bool stopped = false;
    std::vector<std::pair<std::size_t, std::string>> failures; // row from 1, why (UTF-8)
    QStringList warnings;
    std::function<void(std::size_t position)> onRow; // after each row, printed or failed

    void rowPrinted(std::size_t position) override;
    void rowFailed(std::size_t position, const std::string& why) override;
    void warning(const std::string& text) override;
};

struct PrintReportBox {
    bool error = true; // else information
    QString title;
    QString text;
};

// The box after a run of `total` ticked rows: a refused batch, the rows that failed and why,
// the columns that filled no mark; nothing when every row printed and every column filled a mark.
std::optional<PrintReportBox> printReport(const BatchPrintRun& run, int total);

} // namespace tav::editor
