#include "printengine/BatchPrinter.h"

#include "platform/Charset.h"
#include "platform/File.h"
#include "platform/PageCanvas.h"
#include "printengine/MarkText.h"
#include "printengine/Marks.h"
#include "printengine/PageRenderer.h"

#include <algorithm>
#include <thread>

namespace tav::engine {

std::string batchJobName(std::size_t position) {
    return "TAVPrint_" + std::to_string(position);
}

void JobPacer::beforeJob() {
    if (m_jobs++ > 0 && m_pause.count() > 0)
        std::this_thread::sleep_for(m_pause);
}

bool endsBatch(PrintStatus status) {
    switch (status) {
    case PrintStatus::NoScheduler:
    case PrintStatus::UnknownPrinter:
    case PrintStatus::NoPrinter:
    case PrintStatus::BadPaper:
    case PrintStatus::EmptyTemplate:
    case PrintStatus::WriteFailed:
        return true;
    case PrintStatus::Printed:
    case PrintStatus::RenderFailed:
    case PrintStatus::Refused:
        break;
    }
    return false;
}

std::unique_ptr<SpoolerLabelSink>
SpoolerLabelSink::create(platform::Spooler& spooler, const tpl::Template& tpl,
                         const std::string& printer, int screenDpi, std::chrono::milliseconds pause,
                         PrintOutcome& outcome) {
    PrintTarget target;
    outcome = findPrintTarget(tpl, printer, spooler, target);
    if (!outcome.ok())
        return nullptr;
    target.screenDpi = screenDpi;
    return std::unique_ptr<SpoolerLabelSink>(
        new SpoolerLabelSink(spooler, std::move(target), pause));
}

PrintOutcome SpoolerLabelSink::output(const tpl::Template& tpl, std::size_t position) {
    m_pacer.beforeJob();
    return printToTarget(tpl, m_target, batchJobName(position), 1, m_spooler);
}

Result<std::unique_ptr<PdfFileLabelSink>> PdfFileLabelSink::create(const std::string& path,
                                                                   const tpl::PageSettings& page,
                                                                   int dpi, int screenDpi) {
    std::unique_ptr<PdfFileLabelSink> sink(new PdfFileLabelSink());
    sink->m_dpi = dpi;
    sink->m_screenDpi = screenDpi;
    sink->m_file = std::make_unique<platform::AtomicFileWriter>();
    if (Status opened = sink->m_file->open(path); !opened)
        return opened;
    auto* self = sink.get();
    sink->m_canvas = platform::createStreamedPdfCanvas(
        page.paperWidth, page.paperHeight, dpi, [self](std::span<const std::uint8_t> bytes) {
            Status written = self->m_file->write(bytes);
            if (!written)
                self->m_writeError = written.error();
            return written.ok();
        });
    if (!sink->m_canvas)
        return Status::failure("the paper size " + std::to_string(page.paperWidth) + " x " +
                               std::to_string(page.paperHeight) + " (0.1 mm) cannot be printed");
    return sink;
}

PdfFileLabelSink::~PdfFileLabelSink() = default;

PrintOutcome PdfFileLabelSink::output(const tpl::Template& tpl, std::size_t) {
    const RenderOptions options{
        .deviceDpiY = m_dpi, .pictures = &m_pictures, .screenDpi = m_screenDpi};
    PreparedPage page;
    RenderStatus prepared = preparePage(tpl, options, page);
    if (prepared) // before the page is begun: a label that cannot be drawn leaves no page
        prepared = checkPictures(page, *m_canvas);
    if (!prepared)
        return PrintOutcome::failure(PrintStatus::RenderFailed, prepared.error());
    // A write that failed (a full disk) shows at the next page: the file cannot be finished.
    if ((m_pages > 0 && !m_canvas->newPage()) || !m_writeError.empty())
        return PrintOutcome::failure(PrintStatus::WriteFailed,
                                     m_writeError.empty() ? "the document cannot take another page"
                                                          : m_writeError);
    drawPage(page, *m_canvas, options);
    ++m_pages;
    return PrintOutcome::success();
}

PrintOutcome PdfFileLabelSink::finish() {
    const auto tail = m_canvas->finish();
    Status written = Status::failure(std::string());
    if (!tail.empty()) {
        written = m_file->write(tail);
        if (written)
            written = m_file->commit();
    }
    if (!written)
        return PrintOutcome::failure(
            PrintStatus::WriteFailed,
            written.error().empty()
                ? (m_writeError.empty() ? "the document could not be finished" : m_writeError)
                : written.error());
    return PrintOutcome::success();
}

bool BatchPrinter::fillsAMark(const std::string& title) const {
    return std::any_of(m_tpl.elements.begin(), m_tpl.elements.end(),
                       [&](const tpl::TemplateElement& e) { return markContains(e.mark, title); });
}

RowReport BatchPrinter::printRow(std::size_t position, const std::vector<std::string>& cells) {
    const std::size_t columns = std::min(cells.size(), m_titles.size());
    for (std::size_t c = 0; c < columns; ++c) {
        const std::optional<MarkOutcome> bySink = m_sink.fillMark(m_titles[c], cells[c]);
        const MarkOutcome filled =
            bySink ? *bySink : fillMark(m_tpl, m_titles[c], cells[c], m_maker);
        if (filled == MarkOutcome::PictureUnreadable)
            return {false, PrintStatus::RenderFailed,
                    "the picture file '" + platform::gbkToUtf8(cells[c]) + "' of column " +
                        platform::gbkToUtf8(m_titles[c]) + " cannot be read"};
    }
    const PrintOutcome outcome = m_sink.output(m_tpl, position);
    return {outcome.ok(), outcome.code(), outcome.error()};
}

} // namespace tav::engine
