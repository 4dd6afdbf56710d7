// Printing through a real CUPS scheduler: the queues that scripts/services sets up, "PDF" on
// cups-pdf (a PDF file per job) and "CAPTURE" (the submitted bytes, unchanged).
#include "platform/cups/CupsSpooler.h"
#include "platform/PageCanvas.h"
#include "platform/SystemSpooler.h"

#include "PdfTools.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace tav::platform {
namespace {

namespace fs = std::filesystem;

struct Services {
    bool ready = false;
    std::string report;
    fs::path pdfOut;
    fs::path captureOut;
};

// Starts the scheduler and its queues once for the whole program.
const Services& services() {
    static const Services started = [] {
        Services s;
        s.report = run("'" TAV_SOURCE_DIR "/scripts/services' 2>&1");
        auto value = [&](const std::string& key) {
            std::size_t at = s.report.find(key + "=");
            return at == std::string::npos
                       ? std::string()
                       : s.report.substr(at + key.size() + 1,
                                         s.report.find('\n', at) - at - key.size() - 1);
        };
        // The script names the output folders once CUPS and its queues are ready, whatever
        // becomes of the other services it starts.
        s.pdfOut = value("TAV_PDF_OUT");
        s.captureOut = value("TAV_CAPTURE_OUT");
        s.ready = !s.pdfOut.empty() && !s.captureOut.empty();
        return s;
    }();
    return started;
}

class CupsSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!services().ready) {
            GTEST_SKIP() << "the CUPS scheduler could not be started by scripts/services:\n"
                         << services().report;
        }
    }

    // A title no other run uses, with Chinese in it as users' job names have.
    static std::string uniqueTitle() {
        static int counter = 0;
        return "\xE6\xA0\x87\xE7\xAD\xBE label " + std::to_string(getpid()) + "-" +
               std::to_string(++counter) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    }

    // A 50 x 30 mm label.
    static std::vector<std::uint8_t> labelPdf() {
        auto canvas = createPdfCanvas(500, 300, 300);
        canvas->setPen({3, 0});
        canvas->setBrush({0xFFFFFF});
        canvas->drawRoundRect(20, 20, 480, 280, 40, 40);
        canvas->setFont({"\xCB\xCE\xCC\xE5", 50, 0, true, false, false, false});
        canvas->drawText(60, 100, "\xD6\xD0\xCE\xC4 Label");
        return canvas->finish();
    }

    struct Job {
        int id = 0;
        std::string title;
        ipp_jstate_t state = IPP_JSTATE_PENDING;
    };

    static std::vector<Job> allJobs() {
        cups_job_t* jobs = nullptr;
        int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        std::vector<Job> copy;
        for (int i = 0; i < count; ++i) {
            copy.push_back(
                {jobs[i].id, jobs[i].title != nullptr ? jobs[i].title : "", jobs[i].state});
        }
        cupsFreeJobs(count, jobs);
        return copy;
    }

    // The newest job called `title`, once the scheduler has finished with it; id 0 if never.
    static Job finishedJob(const std::string& title) {
        for (int attempt = 0; attempt < 300; ++attempt) {
            Job newest;
            for (const Job& job : allJobs()) {
                if (job.title == title && job.id > newest.id) {
                    newest = job;
                }
            }
            if (newest.id != 0 && newest.state >= IPP_JSTATE_CANCELED) {
                return newest;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    static std::vector<std::uint8_t> readFile(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::unique_ptr<CupsSpooler> m_spooler = std::make_unique<CupsSpooler>();
};

TEST_F(CupsSpoolerTest, ListsTheQueuesWithTheDefaultMarked) {
    std::vector<PrinterInfo> printers;
    ASSERT_EQ(m_spooler->listPrinters(printers), SpoolStatus::Ok);
    auto named = [&](const char* name) {
        return std::any_of(printers.begin(), printers.end(),
                           [&](const PrinterInfo& p) { return p.name == name; });
    };
    EXPECT_TRUE(named("PDF"));
    EXPECT_TRUE(named("CAPTURE"));
    auto isDefault = [](const PrinterInfo& p) { return p.isDefault; };
    ASSERT_LE(std::count_if(printers.begin(), printers.end(), isDefault), 1);

    std::string queue;
    SpoolStatus status = m_spooler->resolvePrinter("", queue);
    auto marked = std::find_if(printers.begin(), printers.end(), isDefault);
    if (marked == printers.end()) {
        EXPECT_EQ(status, SpoolStatus::NoDefaultPrinter);
    } else {
        EXPECT_EQ(status, SpoolStatus::Ok);
        EXPECT_EQ(queue, marked->name);
    }
}

TEST_F(CupsSpoolerTest, ResolvesQueueNamesAndResolutions) {
    struct Case {
        const char* name;
        SpoolStatus status;
        const char* queue;
    };
    const Case cases[] = {
        {"PDF", SpoolStatus::Ok, "PDF"},
        {"pdf", SpoolStatus::Ok, "PDF"}, // CUPS does not tell case apart in queue names
        {"NoSuchQueue", SpoolStatus::UnknownPrinter, ""},
    };
    for (const Case& c : cases) {
        std::string queue = "stale";
        EXPECT_EQ(m_spooler->resolvePrinter(c.name, queue), c.status) << c.name;
        EXPECT_EQ(queue, c.queue) << c.name;
    }
    // cups-pdf's driver says 300 dpi; a raw queue has no resolution.
    EXPECT_EQ(m_spooler->resolutionDpi("PDF"), 300);
    EXPECT_EQ(m_spooler->resolutionDpi("CAPTURE"), std::nullopt);
    EXPECT_EQ(m_spooler->resolutionDpi("NoSuchQueue"), std::nullopt);
}

TEST_F(CupsSpoolerTest, DescribesAQueuesResolutionAndMargins) {
    struct Case {
        int row;
        const char* queue;
        double widthMm, heightMm;
        std::optional<int> dpi;
        std::optional<PaperMargins> margins;
    };
    const Case cases[] = {
        // scripts/cups/tav-label203.ppd: its one paper's imageable area, and the hardware
        // margins of custom sizes (the default paper's margins here).
        {1, "LABEL203", 100, 60, 203, PaperMargins{400, 300, 400, 200}},
        {2, "label203", 50, 30, 203, PaperMargins{400, 300, 400, 200}},
        {3, "PDF", 210, 297, 300, PaperMargins{0, 0, 0, 0}},
        {4, "CAPTURE", 100, 60, std::nullopt, std::nullopt}, // raw: nothing known
        {5, "NoSuchQueue", 100, 60, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.queue);
        const QueueGeometry geometry = m_spooler->describeQueue(c.queue, c.widthMm, c.heightMm);
        EXPECT_EQ(geometry.dpi, c.dpi);
        ASSERT_EQ(geometry.margins.has_value(), c.margins.has_value());
        if (c.margins) {
            EXPECT_EQ(geometry.margins->left, c.margins->left);
            EXPECT_EQ(geometry.margins->top, c.margins->top);
            EXPECT_EQ(geometry.margins->right, c.margins->right);
            EXPECT_EQ(geometry.margins->bottom, c.margins->bottom);
        }
    }
}

TEST_F(CupsSpoolerTest, PrintsOnePageOfThePaperSizeUnderTheGivenTitle) {
    std::vector<std::uint8_t> pdf = labelPdf();
    std::string title = uniqueTitle();
    const SpoolOutcome submitted = m_spooler->submit({"PDF", title, 50, 30, 1, pdf});
    ASSERT_TRUE(submitted.ok()) << submitted.error();

    Job job = finishedJob(title);
    ASSERT_NE(job.id, 0) << "no finished job called " << title;
    EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED);
    std::string suffix = "-job_" + std::to_string(job.id) + ".pdf";
    fs::path output;
    for (const auto& entry : fs::directory_iterator(services().pdfOut)) {
        std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() && name.ends_with(suffix)) {
            output = entry.path();
        }
    }
    ASSERT_FALSE(output.empty()) << "no " << suffix << " in " << services().pdfOut;
    std::string info = run("pdfinfo '" + output.string() + "' 2>&1");
    EXPECT_EQ(pdfinfoField(info, "Pages"), "1") << info;
    double width = 0, height = 0;
    ASSERT_EQ(std::sscanf(pdfinfoField(info, "Page size").c_str(), "%lf x %lf", &width, &height), 2)
        << info;
    // 50 x 30 mm is 141.73 x 85.04 points.
    EXPECT_NEAR(width, 141.73, 1.0);
    EXPECT_NEAR(height, 85.04, 1.0);
    fs::remove(output);
}

TEST_F(CupsSpoolerTest, TheQueueReceivesExactlyTheSubmittedDocument) {
    std::vector<std::uint8_t> pdf = labelPdf();
    // An empty title stays empty; it is not replaced by a made-up name.
    for (std::string title : {uniqueTitle(), std::string()}) {
        const SpoolOutcome submitted = m_spooler->submit({"CAPTURE", title, 50, 30, 2, pdf});
        ASSERT_TRUE(submitted.ok()) << submitted.error();
        Job job = finishedJob(title);
        ASSERT_NE(job.id, 0) << "no finished job called " << title;
        fs::path kept = services().captureOut / ("job-" + std::to_string(job.id) + ".bin");
        EXPECT_EQ(readFile(kept), pdf);
        fs::path keptTitle = services().captureOut / ("job-" + std::to_string(job.id) + ".title");
        std::vector<std::uint8_t> titleBytes = readFile(keptTitle);
        EXPECT_EQ(std::string(titleBytes.begin(), titleBytes.end()), title);
        fs::path keptCopies = services().captureOut / ("job-" + std::to_string(job.id) + ".copies");
        std::vector<std::uint8_t> copies = readFile(keptCopies);
        EXPECT_EQ(std::string(copies.begin(), copies.end()), "2");
        fs::remove(kept);
        fs::remove(keptTitle);
        fs::remove(keptCopies);
    }
}

TEST_F(CupsSpoolerTest, RefusedJobsLeaveNothingInTheSpooler) {
    std::vector<std::uint8_t> pdf = labelPdf();
    const std::vector<std::uint8_t> notPdf = {'h', 'e', 'l', 'l', 'o'};
    struct Case {
        const char* what;
        SpoolJob job;
        SpoolStatus status;
    };
    const Case cases[] = {
        {"unknown printer", {"NoSuchQueue", "t", 50, 30, 1, pdf}, SpoolStatus::UnknownPrinter},
        {"no printer", {"", "t", 50, 30, 1, pdf}, SpoolStatus::UnknownPrinter},
        {"not a PDF", {"PDF", "t", 50, 30, 1, notPdf}, SpoolStatus::Refused},
        {"empty document", {"PDF", "t", 50, 30, 1, {}}, SpoolStatus::Refused},
        {"no copies", {"PDF", "t", 50, 30, 0, pdf}, SpoolStatus::Refused},
        {"no page size", {"PDF", "t", 0, 30, 1, pdf}, SpoolStatus::Refused},
    };
    // Job ids only grow: an unchanged highest id means no job was created, even if the
    // scheduler drops old jobs from its history meanwhile.
    auto newestId = [] {
        int newest = 0;
        for (const Job& job : allJobs()) {
            newest = std::max(newest, job.id);
        }
        return newest;
    };
    int before = newestId();
    for (const Case& c : cases) {
        const SpoolOutcome submitted = m_spooler->submit(c.job);
        EXPECT_FALSE(submitted.ok()) << c.what;
        EXPECT_EQ(submitted.code(), c.status) << c.what;
        EXPECT_FALSE(submitted.error().empty()) << c.what;
    }
    EXPECT_EQ(newestId(), before);
}

TEST(CupsSpoolerWithoutScheduler, SaysSoForEveryRequest) {
    CupsSpooler spooler("/nonexistent/tav/cups.sock", 0);
    std::vector<PrinterInfo> printers;
    EXPECT_EQ(spooler.listPrinters(printers), SpoolStatus::NoScheduler);
    std::string queue;
    EXPECT_EQ(spooler.resolvePrinter("PDF", queue), SpoolStatus::NoScheduler);
    EXPECT_EQ(spooler.resolvePrinter("", queue), SpoolStatus::NoScheduler);
    EXPECT_EQ(spooler.resolutionDpi("PDF"), std::nullopt);
    const std::vector<std::uint8_t> pdf = {'%', 'P', 'D', 'F', '-', '1'};
    const SpoolOutcome submitted = spooler.submit({"PDF", "t", 50, 30, 1, pdf});
    EXPECT_EQ(submitted.code(), SpoolStatus::NoScheduler);
    EXPECT_FALSE(submitted.error().empty());
}

} // namespace
} // namespace tav::platform
