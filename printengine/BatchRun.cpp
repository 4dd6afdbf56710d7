#include "printengine/BatchRun.h"

#include "platform/Charset.h"

namespace tav::engine {
namespace {

class RowLoop final : public BatchRowReceiver {
public:
    RowLoop(BatchPrinter& printer, const RowSelection& selection, BatchObserver& observer,
            BatchSummary& summary)
        : m_printer(printer), m_selection(selection), m_observer(observer), m_summary(summary) {}

    bool titles(const std::vector<std::string>& titles) override {
        m_printer.setTitles(titles);
        std::size_t filling = 0;
        for (std::size_t c = 0; c < titles.size(); ++c) {
            if (m_printer.fillsAMark(titles[c])) {
                ++filling;
                continue;
            }
            m_observer.warning("column " + std::to_string(c + 1) +
                               (titles[c].empty()
                                    ? " has no title and fills no mark"
                                    : " (" + platform::gbkToUtf8(titles[c]) +
                                          ") fills no mark: no element's mark contains its title"));
        }
        m_summary.refused = filling == 0;
        return !m_summary.refused;
    }

    bool row(const std::vector<std::string>& cells) override {
        ++m_position;
        if (m_selection.endsBefore(m_position))
            return false;
        if (!m_selection.contains(m_position))
            return true;
        const RowReport report = m_printer.printRow(m_position, cells);
        if (report.printed) {
            ++m_summary.printed;
            m_observer.rowPrinted(m_position);
        } else {
            ++m_summary.failed;
            m_observer.rowFailed(m_position, report.error);
            if (endsBatch(report.status)) {
                m_summary.stoppedBy = report.status;
                return false;
            }
        }
        return true;
    }

private:
    BatchPrinter& m_printer;
    const RowSelection& m_selection;
    BatchObserver& m_observer;
    BatchSummary& m_summary;
    std::size_t m_position = 0;
};

} // namespace

BatchSummary runBatch(BatchRows& rows, BatchPrinter& printer, const RowSelection& selection,
                      BatchObserver& observer) {
    BatchSummary summary;
    RowLoop loop(printer, selection, observer, summary);
    summary.readError = rows.read(loop);
    // Jobs already sent stay sent; a document is written only from rows read to the end.
    if (!summary.readError.empty() || summary.printed == 0 ||
        summary.stoppedBy != PrintStatus::Printed)
        return summary;
    const PrintOutcome finished = printer.sink().finish();
    summary.finished = finished.ok();
    summary.finishError = finished.error;
    return summary;
}

} // namespace tav::engine
