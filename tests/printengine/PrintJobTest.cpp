// The print job against a spooler that records what it is asked, so that every path can be
// checked without a printer: what is submitted, and that nothing is when a step fails.
#include "printengine/PrintJob.h"
#include "printengine/BatchPrinter.h"
#include "printengine/Marks.h"
#include "printengine/PictureMaker.h"
#include "support/BmpBytes.h"

#include <gtest/gtest.h>
#include <map>

namespace tav::engine {
namespace {

using platform::SpoolStatus;
using tpl::ElementKind;

class FakeSpooler : public platform::PdfSpooler {
public:
    SpoolStatus listPrinters(std::vector<platform::PrinterInfo>& printers) override {
        ++resolveCalls;
        printers = {{"Office", hasDefault, ""}, {"Zebra", false, ""}, {"标签机", false, ""}};
        return reachable ? SpoolStatus::Ok : SpoolStatus::NoScheduler;
    }
    SpoolStatus resolvePrinter(const std::string& name, std::string& queue) override {
        ++resolveCalls;
        if (!reachable)
            return SpoolStatus::NoScheduler;
        if (name.empty()) {
            queue = "Office";
            return SpoolStatus::Ok;
        }
        if (name != "Office" && name != "Zebra" && name != "标签机")
            return SpoolStatus::UnknownPrinter;
        queue = name;
        return SpoolStatus::Ok;
    }
    std::optional<int> resolutionDpi(const std::string& queue) override {
        auto it = dpi.find(queue);
        return it == dpi.end() ? std::nullopt : std::optional<int>(it->second);
    }
    Result<std::unique_ptr<platform::JobPage>, SpoolStatus>
    beginJob(const platform::JobSetup& setup) override {
        ++begun;
        return PdfSpooler::beginJob(setup);
    }
    platform::SpoolOutcome submit(const platform::SpoolJob& job) override {
        if (refuse)
            return platform::SpoolOutcome::failure(SpoolStatus::Refused, "refused for the test");
        submitted.push_back({job.printer, job.title, job.pageWidthMm, job.pageHeightMm, job.copies,
                             std::vector<std::uint8_t>(job.pdf.begin(), job.pdf.end())});
        return platform::SpoolOutcome::success();
    }

    struct Submitted {
        std::string printer, title;
        double widthMm, heightMm;
        int copies;
        std::vector<std::uint8_t> pdf;
    };
    std::vector<Submitted> submitted;
    std::map<std::string, int> dpi = {{"Zebra", 203}};
    int resolveCalls = 0;
    int begun = 0;
    bool reachable = true;
    bool refuse = false;
    bool hasDefault = true;
};

tpl::Template label(const std::string& printer = "") {
    tpl::Template tpl;
    tpl.page = {600, 400, 0, 0xFFFFFF, 96, 1.0f, printer};
    tpl::TemplateElement line;
    line.kind = static_cast<std::int32_t>(ElementKind::HorizontalLine);
    line.box = {10, 10, 500, 10};
    line.penWidth = 3;
    tpl.elements.push_back(line);
    return tpl;
}

TEST(PrintJob, SubmitsOneFinishedPdfToTheNamedQueue) {
    FakeSpooler spooler;
    auto outcome = printTemplate(label("Zebra"), {"", "TAVPrint_7", 2}, spooler);
    ASSERT_TRUE(outcome.ok()) << outcome.error();
    ASSERT_EQ(spooler.submitted.size(), 1u);
    const auto& job = spooler.submitted[0];
    EXPECT_EQ(job.printer, "Zebra");
    EXPECT_EQ(job.title, "TAVPrint_7");
    EXPECT_DOUBLE_EQ(job.widthMm, 60.0);
    EXPECT_DOUBLE_EQ(job.heightMm, 40.0);
    EXPECT_EQ(job.copies, 2);
    ASSERT_GT(job.pdf.size(), 4u);
    EXPECT_EQ(std::string(job.pdf.begin(), job.pdf.begin() + 5), "%PDF-");
}

TEST(PrintJob, PrinterAndTitleAreGbkConvertedForTheSpooler) {
    FakeSpooler spooler;
    // The template names "标签机" in GBK; the job name is GBK too.
    auto outcome =
        printTemplate(label("\xB1\xEA\xC7\xA9\xBB\xFA"), {"", "\xB1\xEA\xC7\xA9", 1}, spooler);
    ASSERT_TRUE(outcome.ok()) << outcome.error();
    EXPECT_EQ(spooler.submitted.at(0).printer, "标签机");
    EXPECT_EQ(spooler.submitted.at(0).title, "标签");
}

TEST(PrintJob, TheRequestsPrinterOverridesTheTemplates) {
    FakeSpooler spooler;
    ASSERT_TRUE(printTemplate(label("Zebra"), {"Office", "x", 1}, spooler).ok());
    EXPECT_EQ(spooler.submitted.at(0).printer, "Office");
    ASSERT_TRUE(printTemplate(label(), {"", "x", 1}, spooler).ok()); // the default queue
    EXPECT_EQ(spooler.submitted.at(1).printer, "Office");
}

TEST(PrintJob, AnUnknownPrinterPrintsOnTheDefault) {
    FakeSpooler spooler;
    PrintTarget used;
    ASSERT_TRUE(printTemplate(label("ZDesigner GK888t (EPL)"), {"", "x", 1}, spooler, &used).ok());
    EXPECT_EQ(spooler.submitted.at(0).printer, "Office");
    EXPECT_EQ(used.match, QueueMatch::Default);
    EXPECT_EQ(describeSubstitution(used), "printing on Office for the printer \"ZDesigner GK888t "
                                          "(EPL)\" (the default printer)");
}

TEST(PrintJob, FailuresSubmitNothing) {
    struct Case {
        int row;
        const char* why;
        tpl::Template tpl;
        bool reachable;
        bool refuse;
        PrintStatus status;
        bool hasDefault = true;
    };
    tpl::Template empty = label();
    empty.elements.clear();
    tpl::Template noPaper = label();
    noPaper.page.paperWidth = 0;
    tpl::Template brokenBarcode = label();
    tpl::TemplateElement barcode;
    barcode.kind = static_cast<std::int32_t>(ElementKind::BarcodeImage);
    brokenBarcode.elements.push_back(barcode); // its picture was never made
    // 6,000 digits: a symbol of 33,035 modules, more than a page draws (32,767).
    tpl::Template longBarcode = label();
    barcode.mark = "CODE";
    longBarcode.elements.push_back(barcode);
    EXPECT_TRUE(setMark(longBarcode, "CODE", std::string(6000, '7'), libraryPictureMaker()).ok());
    // A picture wider than a page draws: 40,000 x 2 pixels of 24 bits.
    tpl::Template widePicture = label();
    tpl::TemplateElement picture;
    picture.kind = static_cast<std::int32_t>(ElementKind::Picture);
    picture.box = {10, 100, 500, 100};
    picture.image.shown = tpl::SharedBytes(test::solidBmp24(40000, 2));
    widePicture.elements.push_back(picture);
    const Case cases[] = {
        {1, "nothing to print", empty, true, false, PrintStatus::EmptyTemplate},
        {2, "unknown printer, and no default to print on instead", label("Nowhere"), true, false,
         PrintStatus::UnknownPrinter, false},
        {7, "no printer named and no default", label(), true, false, PrintStatus::NoPrinter, false},
        {3, "no scheduler", label(), false, false, PrintStatus::NoScheduler},
        {4, "paper of no size", noPaper, true, false, PrintStatus::BadPaper},
        {5, "a barcode without a picture cancels the job", brokenBarcode, true, false,
         PrintStatus::RenderFailed},
        {6, "the spooler refuses", label(), true, true, PrintStatus::Refused},
        {7, "a barcode of more modules than a page draws", longBarcode, true, false,
         PrintStatus::RenderFailed},
        {8, "a picture larger than a page draws", widePicture, true, false,
         PrintStatus::RenderFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        FakeSpooler spooler;
        spooler.reachable = c.reachable;
        spooler.refuse = c.refuse;
        spooler.hasDefault = c.hasDefault;
        const auto outcome = printTemplate(c.tpl, {"", "job", 1}, spooler);
        EXPECT_EQ(outcome.code(), c.status);
        EXPECT_FALSE(outcome.error().empty());
        EXPECT_TRUE(spooler.submitted.empty());
        if (c.status == PrintStatus::EmptyTemplate) {
            EXPECT_EQ(spooler.resolveCalls, 0) << "no printer may be touched";
        }
    }
}

// A job begun on a printer shows in its queue, so a page whose picture cannot be decoded must
// fail before any job is begun.
TEST(PrintJob, PicturesAreDecodedBeforeAJobIsBegun) {
    tpl::Template broken = label();
    tpl::TemplateElement picture;
    picture.kind = static_cast<std::int32_t>(ElementKind::Picture);
    picture.box = {10, 100, 500, 300};
    picture.image.shown = tpl::SharedBytes(std::vector<std::uint8_t>{'B', 'M', 0, 1, 2});
    broken.elements.push_back(picture);
    FakeSpooler spooler;
    EXPECT_EQ(printTemplate(broken, {"", "job", 1}, spooler).code(), PrintStatus::RenderFailed);
    EXPECT_EQ(spooler.begun, 0);

    ASSERT_TRUE(printTemplate(label(), {"", "job", 1}, spooler).ok());
    EXPECT_EQ(spooler.begun, 1);
    EXPECT_EQ(spooler.submitted.size(), 1u);
}

TEST(SpoolerLabelSink, FindsTheQueueOnceForAWholeBatch) {
    FakeSpooler spooler;
    PrintOutcome outcome = PrintOutcome::success();
    auto sink = SpoolerLabelSink::create(spooler, label("Zebra"), "", kStandardScreenDpi,
                                         std::chrono::milliseconds(0), outcome);
    ASSERT_TRUE(sink) << outcome.error();
    for (std::size_t row : {1, 2, 5})
        EXPECT_TRUE(sink->output(label("Zebra"), row).ok());
    EXPECT_EQ(spooler.resolveCalls, 1);
    ASSERT_EQ(spooler.submitted.size(), 3u);
    EXPECT_EQ(spooler.submitted[2].title, "TAVPrint_5");
    EXPECT_EQ(spooler.submitted[2].printer, "Zebra");

    spooler.hasDefault = false;
    EXPECT_FALSE(SpoolerLabelSink::create(spooler, label("Nowhere"), "", kStandardScreenDpi,
                                          std::chrono::milliseconds(0), outcome));
    EXPECT_EQ(outcome.code(), PrintStatus::UnknownPrinter);
}

} // namespace
} // namespace tav::engine
