// A job page for spoolers that take finished PDF documents: the page is drawn into a PDF in
// memory, and committing it submits the whole document as one job. Abandoned, it is dropped
// before the spooler has seen anything of it.
#include "platform/PageCanvas.h"
#include "platform/Spooler.h"

#include <utility>

namespace tav::platform {
namespace {

class PdfJobPage final : public JobPage {
public:
    PdfJobPage(PdfSpooler& spooler, JobSetup setup, std::unique_ptr<PageCanvas> pdf)
        : m_spooler(spooler), m_setup(std::move(setup)), m_pdf(std::move(pdf)) {}

    void setPen(const Pen& pen) override { m_pdf->setPen(pen); }
    void setBrush(const Brush& brush) override { m_pdf->setBrush(brush); }
    void setFont(const Font& font) override { m_pdf->setFont(font); }
    void setTextColor(ColorRef color) override { m_pdf->setTextColor(color); }
    void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        m_pdf->drawLine(x1, y1, x2, y2);
    }
    void drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       std::int32_t cornerWidth, std::int32_t cornerHeight) override {
        m_pdf->drawRoundRect(left, top, right, bottom, cornerWidth, cornerHeight);
    }
    void drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     bool filled) override {
        m_pdf->drawEllipse(left, top, right, bottom, filled);
    }
    TextExtent measureText(std::string_view text) override { return m_pdf->measureText(text); }
    void drawText(std::int32_t x, std::int32_t y, std::string_view text) override {
        m_pdf->drawText(x, y, text);
    }
    void drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                   std::int32_t right, std::int32_t bottom) override {
        m_pdf->drawImage(image, left, top, right, bottom);
    }
    bool canDrawImage(const DecodedImage& image) const override {
        return m_pdf->canDrawImage(image);
    }

    SpoolOutcome commit() override {
        const std::vector<std::uint8_t> pdf = m_pdf->finish();
        if (pdf.empty())
            return SpoolOutcome::failure(SpoolStatus::PageFailed, "the page could not be rendered");
        SpoolJob job;
        job.printer = m_setup.printer;
        job.title = m_setup.title;
        job.pageWidthMm = m_setup.paperWidth / 10.0;
        job.pageHeightMm = m_setup.paperHeight / 10.0;
        job.copies = m_setup.copies;
        job.pdf = pdf;
        return m_spooler.submit(job);
    }

private:
    PdfSpooler& m_spooler;
    JobSetup m_setup;
    std::unique_ptr<PageCanvas> m_pdf;
};

} // namespace

Result<std::unique_ptr<JobPage>, SpoolStatus> PdfSpooler::beginJob(const JobSetup& setup) {
    auto pdf = createPdfCanvas(setup.paperWidth, setup.paperHeight, setup.dpi);
    if (!pdf)
        return Result<std::unique_ptr<JobPage>, SpoolStatus>::failure(
            SpoolStatus::PageFailed, "the paper size " + std::to_string(setup.paperWidth) + " x " +
                                         std::to_string(setup.paperHeight) +
                                         " (0.1 mm) cannot be printed");
    return std::unique_ptr<JobPage>(std::make_unique<PdfJobPage>(*this, setup, std::move(pdf)));
}

} // namespace tav::platform
