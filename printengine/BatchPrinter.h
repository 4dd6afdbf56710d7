// Batch printing: one label per data row. For every row each column's value goes into the data
// mark named by the column's title, as SetMark does, and the template as it then stands is
// output. Values set for one row stay in force for the next row that does not set them.
#pragma once

#include "common/Status.h"
#include "printengine/Marks.h"
#include "printengine/PictureCache.h"
#include "printengine/PictureMaker.h"
#include "printengine/PrintJob.h"
#include "template/Template.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tav::platform {
class PageCanvas;
class AtomicFileWriter;
} // namespace tav::platform

namespace tav::engine {

// Where the labels of a batch go.
class LabelSink {
public:
    virtual ~LabelSink() = default;
    // A sink that prints a template of its own (the print library's, through its exports) fills
    // the mark `name` (GBK) with `value` there. Nothing: the value goes into the template that
    // output() is handed.
    virtual std::optional<MarkOutcome> fillMark(const std::string& name, const std::string& value) {
        (void)name;
        (void)value;
        return std::nullopt;
    }
    // Outputs `tpl` as the label of the data row at `position` (from 1).
    virtual PrintOutcome output(const tpl::Template& tpl, std::size_t position) = 0;
    // Ends the batch; for a document, writes it out.
    virtual PrintOutcome finish() { return PrintOutcome::success(); }
};

// The job name of the label of the data row (or copy) at `position`: "TAVPrint_" and the
// position.
std::string batchJobName(std::size_t position);

// The pause between the jobs of a batch or of copies, for spoolers that cannot take them as fast
// as they come.
inline constexpr std::chrono::milliseconds kPauseBetweenJobs{200};

// Keeps the pause: waits before every job but the first.
class JobPacer {
public:
    explicit JobPacer(std::chrono::milliseconds pause) : m_pause(pause) {}
    void beforeJob();

private:
    std::chrono::milliseconds m_pause;
    std::size_t m_jobs = 0;
};

// One spooler job per label, named by batchJobName, paced by a JobPacer.
class SpoolerLabelSink final : public LabelSink {
public:
    // The queue is found once, here: `printer` (GBK; empty: the template's printer, else the
    // default). Nothing, with `outcome` saying why, when there is no such queue. Labels are
    // drawn for `screenDpi` (see RenderOptions::screenDpi).
    static std::unique_ptr<SpoolerLabelSink>
    create(platform::Spooler& spooler, const tpl::Template& tpl, const std::string& printer,
           int screenDpi, std::chrono::milliseconds pause, PrintOutcome& outcome);
    PrintOutcome output(const tpl::Template& tpl, std::size_t position) override;
    // The queue the labels go to, and how it was found.
    const PrintTarget& target() const { return m_target; }

private:
    SpoolerLabelSink(platform::Spooler& spooler, PrintTarget target,
                     std::chrono::milliseconds pause)
        : m_spooler(spooler), m_target(std::move(target)), m_pacer(pause) {}

    platform::Spooler& m_spooler;
    PrintTarget m_target;
    JobPacer m_pacer;
};

// Every label as one page of a PDF document, written into a file as the pages are drawn (memory
// stays flat however many rows there are). The file appears only when the batch is finished;
// a label that cannot be drawn adds no page.
class PdfFileLabelSink final : public LabelSink {
public:
    // Fails when the file cannot be created or the paper has no size. Pages are drawn at `dpi`
    // for `screenDpi` (see RenderOptions).
    static Result<std::unique_ptr<PdfFileLabelSink>>
    create(const std::string& path, const tpl::PageSettings& page, int dpi, int screenDpi);
    ~PdfFileLabelSink() override;
    PrintOutcome output(const tpl::Template& tpl, std::size_t position) override;
    PrintOutcome finish() override;
    std::size_t pages() const { return m_pages; }

private:
    PdfFileLabelSink() = default;

    std::unique_ptr<platform::AtomicFileWriter> m_file;
    std::string m_writeError;
    std::unique_ptr<platform::PageCanvas> m_canvas;
    int m_dpi = 300;
    int m_screenDpi = kStandardScreenDpi;
    PictureCache m_pictures;
    std::size_t m_pages = 0;
};

// True for a failure that every later label would meet as well (no scheduler, the queue gone,
// the output file not writable): the batch stops there instead of trying every row. Anything
// else fails only the row at hand.
bool endsBatch(PrintStatus status);

struct RowReport {
    bool printed = false;
    PrintStatus status = PrintStatus::Printed;
    std::string error; // UTF-8, when not printed
};

class BatchPrinter {
public:
    BatchPrinter(tpl::Template& tpl, LabelSink& sink, PictureMaker& maker)
        : m_tpl(tpl), m_sink(sink), m_maker(maker) {}

    // The column titles (GBK): the names of the marks the columns fill.
    void setTitles(std::vector<std::string> titles) { m_titles = std::move(titles); }
    // True when some element's mark contains `title` (GBK), so that its column fills a mark.
    bool fillsAMark(const std::string& title) const;

    // Fills the marks from `cells` (GBK, one per title) and outputs the label of the data row
    // at `position`. A column whose title no mark contains is passed over; a picture file that
    // cannot be read fails the row, so that a label never shows the picture of another row.
    RowReport printRow(std::size_t position, const std::vector<std::string>& cells);

    LabelSink& sink() { return m_sink; }

private:
    tpl::Template& m_tpl;
    LabelSink& m_sink;
    PictureMaker& m_maker;
    std::vector<std::string> m_titles;
};

} // namespace tav::engine
