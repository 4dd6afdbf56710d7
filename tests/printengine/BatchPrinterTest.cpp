#include "printengine/BatchPrinter.h"

#include "NoPictures.h"
#include "support/BmpBytes.h"
#include "support/TempFolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::engine {
namespace {

using tpl::ElementKind;

// A label sink that records what it was given.
class RecordingSink : public LabelSink {
public:
    PrintOutcome output(const tpl::Template& tpl, std::size_t position) override {
        labels.push_back({position, tpl.elements.at(0).content, tpl.elements.at(1).content});
        return failAt == position ? PrintOutcome::failure(PrintStatus::Refused, "refused")
                                  : PrintOutcome::success();
    }
    struct Label {
        std::size_t position;
        std::string name, code;
        bool operator==(const Label&) const = default;
    };
    std::vector<Label> labels;
    std::size_t failAt = 0;
};

using test::NoPictures;

tpl::Template twoTexts() {
    tpl::Template tpl;
    tpl.page = {500, 300, 0, 0xFFFFFF, 96, 1.0f, ""};
    for (const char* mark : {"NAME", "No. CODE"}) {
        tpl::TemplateElement e;
        e.kind = static_cast<std::int32_t>(ElementKind::Text);
        e.mark = mark;
        tpl.elements.push_back(e);
    }
    return tpl;
}

TEST(BatchPrinter, EveryColumnFillsItsMarkAndValuesCarryOver) {
    tpl::Template tpl = twoTexts();
    RecordingSink sink;
    NoPictures maker;
    BatchPrinter batch(tpl, sink, maker);
    batch.setTitles({"NAME", "CODE", "UNUSED"});
    EXPECT_TRUE(batch.printRow(1, {"apple", "A1", "x"}).printed);
    EXPECT_TRUE(batch.printRow(4, {"pear", "P4", "y"}).printed);
    batch.setTitles({"NAME"}); // a row that does not set CODE keeps the last value
    EXPECT_TRUE(batch.printRow(5, {"plum"}).printed);
    const std::vector<RecordingSink::Label> expected = {
        {1, "apple", "No. A1"}, {4, "pear", "No. P4"}, {5, "plum", "No. P4"}};
    EXPECT_EQ(sink.labels, expected);

    sink.failAt = 6;
    const auto report = batch.printRow(6, {"fig"});
    EXPECT_FALSE(report.printed);
    EXPECT_EQ(report.error, "refused");
}

TEST(BatchPrinter, APictureFileThatCannotBeReadFailsTheRow) {
    tpl::Template tpl = twoTexts();
    tpl::TemplateElement photo;
    photo.kind = static_cast<std::int32_t>(ElementKind::Picture);
    photo.mark = "PHOTO";
    tpl.elements.push_back(photo);
    RecordingSink sink;
    NoPictures maker;
    BatchPrinter batch(tpl, sink, maker);
    batch.setTitles({"NAME", "PHOTO"});
    const auto report = batch.printRow(3, {"apple", "/no/such/photo.jpg"});
    EXPECT_FALSE(report.printed);
    EXPECT_NE(report.error.find("/no/such/photo.jpg"), std::string::npos) << report.error;
    EXPECT_TRUE(sink.labels.empty()) << "a label must not show another row's picture";
}

TEST(BatchPrinter, AnEmptyPictureCellKeepsTheCurrentPicture) {
    tpl::Template tpl = twoTexts();
    tpl::TemplateElement photo;
    photo.kind = static_cast<std::int32_t>(ElementKind::Picture);
    photo.mark = "PHOTO";
    const std::uint8_t logo[] = {'B', 'M'};
    photo.image.source = photo.image.shown = tpl::SharedBytes(logo, sizeof logo);
    tpl.elements.push_back(photo);
    RecordingSink sink;
    NoPictures maker;
    BatchPrinter batch(tpl, sink, maker);
    batch.setTitles({"NAME", "PHOTO"});
    const auto report = batch.printRow(2, {"apple", ""});
    EXPECT_TRUE(report.printed) << report.error;
    EXPECT_EQ(sink.labels.size(), 1u);
    EXPECT_EQ(tpl.elements[2].image.shown, tpl::SharedBytes(logo, sizeof logo));
}

TEST(BatchPrinter, JobNamesCarryTheRowPosition) {
    EXPECT_EQ(batchJobName(1), "TAVPrint_1");
    EXPECT_EQ(batchJobName(120), "TAVPrint_120");
}

TEST(PdfFileLabelSink, WritesOnePagePerPrintedLabelWhenFinished) {
    test::TempFolder folder;
    const auto path = folder.file("batch.pdf");
    tpl::Template tpl = twoTexts();
    auto created = PdfFileLabelSink::create(path, tpl.page, 300, kStandardScreenDpi);
    ASSERT_TRUE(created) << created.error();
    auto& sink = created.value();
    tpl.elements[0].content = "first";
    EXPECT_TRUE(sink->output(tpl, 1).ok());

    tpl::Template broken = tpl; // a barcode whose picture was never made
    tpl::TemplateElement barcode;
    barcode.kind = static_cast<std::int32_t>(ElementKind::BarcodeImage);
    broken.elements.push_back(barcode);
    EXPECT_EQ(sink->output(broken, 2).code(), PrintStatus::RenderFailed);
    tpl::Template tooWide = tpl; // a picture larger than a page draws adds no page
    tpl::TemplateElement picture;
    picture.kind = static_cast<std::int32_t>(ElementKind::Picture);
    picture.box = {10, 100, 400, 100};
    picture.image.shown = tpl::SharedBytes(test::solidBmp24(40000, 2));
    tooWide.elements.push_back(picture);
    EXPECT_EQ(sink->output(tooWide, 2).code(), PrintStatus::RenderFailed);

    EXPECT_TRUE(sink->output(tpl, 3).ok());
    EXPECT_EQ(sink->pages(), 2u);
    EXPECT_FALSE(std::filesystem::exists(path)) << "the file appears only when finished";
    EXPECT_TRUE(sink->finish().ok());
    const auto bytes = test::readFileBytes(path);
    const std::string pdf(bytes.begin(), bytes.end());
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
}

TEST(PdfFileLabelSink, AFullDiskFailsTheBatchNotJustTheRow) {
    test::TempFolder folder;
    const auto path = folder.file("batch.pdf");
    // In a child process, whose file size limit stands for a full disk.
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &small);
        tpl::Template tpl = twoTexts();
        auto created = PdfFileLabelSink::create(path, tpl.page, 300, kStandardScreenDpi);
        if (!created)
            ::_exit(2);
        auto& sink = created.value();
        int code = 4; // every page went into a file larger than the limit
        for (std::size_t row = 1; row <= 20000 && code == 4; ++row) {
            tpl.elements[0].content = "label " + std::to_string(row);
            const PrintOutcome outcome = sink->output(tpl, row);
            if (!outcome.ok())
                code =
                    outcome.code() == PrintStatus::WriteFailed && endsBatch(outcome.code()) ? 0 : 3;
        }
        sink.reset();
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "the temporary file stays behind";
}

TEST(PdfFileLabelSink, ABatchThatIsNotFinishedLeavesNoFile) {
    test::TempFolder folder;
    const auto path = folder.file("batch.pdf");
    {
        auto sink = PdfFileLabelSink::create(path, twoTexts().page, 300, kStandardScreenDpi);
        ASSERT_TRUE(sink);
        EXPECT_TRUE(sink.value()->output(twoTexts(), 1).ok());
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    const auto refused = PdfFileLabelSink::create(folder.file("none/x.pdf"), twoTexts().page, 300,
                                                  kStandardScreenDpi);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(refused.error().empty());
}

} // namespace
} // namespace tav::engine
