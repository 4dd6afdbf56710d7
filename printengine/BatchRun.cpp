#include "printengine/BatchRun.h"

#include "platform/Charset.h"
#include "platform/Utf8.h"

#include <cstdint>
#include <cstdio>

namespace tav::engine {
namespace {

// "U+1F600" for the character that `utf8` starts with; "byte 0x.." when it is not UTF-8.
std::string codePointName(std::string_view utf8) {
    const std::size_t length = platform::utf8CharacterLength(utf8);
    char text[16];
    if (length == 0) {
        std::snprintf(text, sizeof text, "byte 0x%02X",
                      utf8.empty() ? 0u : static_cast<unsigned char>(utf8[0]));
        return text;
    }
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::uint32_t code = static_cast<unsigned char>(utf8[0]) & kLeadMask[length];
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3Fu);
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
    return text;
}

std::string describeUnprintable(const std::vector<std::string>& titles,
                                std::span<const UnprintableCharacter> unprintable) {
    const UnprintableCharacter& first = unprintable.front();
    const std::string column = first.column < titles.size() && !titles[first.column].empty()
                                   ? platform::gbkToUtf8(titles[first.column])
                                   : std::to_string(first.column + 1);
    const bool isCharacter = platform::utf8CharacterLength(first.character) > 0;
    std::string text = "column " + column + " holds " +
                       (isCharacter ? first.character + " (" + codePointName(first.character) + ")"
                                    : codePointName(first.character)) +
                       ", which GBK cannot hold";
    if (unprintable.size() > 1)
        text += " (and " + std::to_string(unprintable.size() - 1) + " more such characters)";
    return text;
}

class RowLoop final : public BatchRowReceiver {
public:
    RowLoop(BatchPrinter& printer, const RowSelection& selection, BatchObserver& observer,
            const BatchOptions& options, BatchSummary& summary)
        : m_printer(printer), m_selection(selection), m_observer(observer), m_options(options),
          m_summary(summary) {}

    bool titles(const std::vector<std::string>& titles) override {
        m_printer.setTitles(titles);
        m_titles = titles;
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
        m_summary.refused = filling == 0 && !(titles.empty() && m_options.allowNoColumns);
        return !m_summary.refused;
    }

    bool row(const std::vector<std::string>& cells,
             std::span<const UnprintableCharacter> unprintable) override {
        ++m_position;
        if (m_selection.endsBefore(m_position))
            return false;
        if (!m_selection.contains(m_position))
            return true;
        if (!unprintable.empty()) {
            m_summary.unprintableRows.push_back(m_position);
            if (!m_options.replaceUnprintable) {
                ++m_summary.failed;
                m_observer.rowFailed(m_position, describeUnprintable(m_titles, unprintable));
                return true;
            }
        }
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
    const BatchOptions& m_options;
    BatchSummary& m_summary;
    std::vector<std::string> m_titles;
    std::size_t m_position = 0;
};

// Copies: no titles, then empty rows until `count` or the first failure.
class CopyRows final : public BatchRows, public BatchObserver {
public:
    explicit CopyRows(std::size_t count) : m_count(count) {}
    std::string read(BatchRowReceiver& receiver) override {
        if (!receiver.titles({}))
            return {};
        for (std::size_t i = 0; i < m_count && !m_failed; ++i)
            if (!receiver.row({}, {}))
                break;
        return {};
    }
    void rowPrinted(std::size_t) override {}
    void rowFailed(std::size_t, const std::string&) override { m_failed = true; }
    void warning(const std::string&) override {}

private:
    std::size_t m_count;
    bool m_failed = false;
};

} // namespace

BatchSummary printCopies(BatchPrinter& printer, std::size_t count) {
    CopyRows copies(count);
    return runBatch(copies, printer, RowSelection(), copies, {.allowNoColumns = true});
}

BatchSummary runBatch(BatchRows& rows, BatchPrinter& printer, const RowSelection& selection,
                      BatchObserver& observer, const BatchOptions& options) {
    BatchSummary summary;
    RowLoop loop(printer, selection, observer, options, summary);
    summary.readError = rows.read(loop);
    // Jobs already sent stay sent; a document is written only from rows read to the end.
    if (!summary.readError.empty() || summary.printed == 0 ||
        summary.stoppedBy != PrintStatus::Printed)
        return summary;
    const PrintOutcome finished = printer.sink().finish();
    summary.finished = finished.ok();
    summary.finishError = finished.error();
    return summary;
}

} // namespace tav::engine
