#include "editor/app/BatchPrintRun.h"

#include "editor/app/BatchRowModel.h"
#include "editor/app/BatchTexts.h"

namespace tav::editor {

namespace texts = batchtexts;

std::string GridRows::read(engine::BatchRowReceiver& receiver) {
    if (!receiver.titles(m_model.titles()))
        return {};
    for (std::size_t row = 0; row < m_model.rows().size(); ++row) {
        if (m_stop) {
            m_stopped = true;
            break;
        }
        if (!receiver.row(m_model.rows()[row], m_model.unprintable(row)))
            break;
    }
    return {};
}

void BatchPrintRun::rowPrinted(std::size_t position) {
    onRow(position);
}

void BatchPrintRun::rowFailed(std::size_t position, const std::string& why) {
    failures.emplace_back(position, why);
    onRow(position);
}

void BatchPrintRun::warning(const std::string& text) {
    warnings.append(QString::fromStdString(text));
}

std::optional<PrintReportBox> printReport(const BatchPrintRun& run, int total) {
    const QString notes = run.warnings.isEmpty()
                              ? QString()
                              : "\n" + texts::kPrintNoMarkText + "\n" + run.warnings.join("\n");
    if (run.summary.refused)
        return PrintReportBox{true, texts::kPrintFailedTitle, texts::kPrintRefusedText + notes};
    if (!run.failures.empty()) {
        // Every failed row by number, the first ones with the reason.
        constexpr std::size_t kExplained = 20;
        QStringList rows;
        QStringList reasons;
        for (std::size_t i = 0; i < run.failures.size(); ++i) {
            const auto& [position, why] = run.failures[i];
            rows.append(QString::number(position));
            if (i < kExplained)
                reasons.append(
                    texts::kPrintRowReason.arg(position).arg(QString::fromStdString(why)));
        }
        if (run.failures.size() > kExplained)
            reasons.append(QStringLiteral("……"));
        return PrintReportBox{true, texts::kPrintFailedTitle,
                              texts::kPrintRowsFailedText.arg(run.failures.size())
                                      .arg(rows.join(QStringLiteral("、")))
                                      .arg(total) +
                                  "\n" + reasons.join("\n") + notes};
    }
    if (!notes.isEmpty())
        return PrintReportBox{false, texts::kPrintNoticeTitle, notes.mid(1)};
    return std::nullopt;
}

} // namespace tav::editor
