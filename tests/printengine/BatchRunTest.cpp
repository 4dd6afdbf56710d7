#include "printengine/BatchRun.h"

#include "NoPictures.h"
#include "platform/Charset.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace tav::engine {
namespace {

using tpl::ElementKind;

// Rows held in memory; counts how many were handed over and can break off after some.
class ListedRows : public BatchRows {
public:
    ListedRows(std::vector<std::string> titles, std::vector<std::vector<std::string>> rows)
        : m_titles(std::move(titles)), m_rows(std::move(rows)) {}
    std::string read(BatchRowReceiver& receiver) override {
        if (!receiver.titles(m_titles))
            return {};
        for (const auto& row : m_rows) {
            if (handed == breakAfter)
                return "the connection broke off";
            const auto lost = unprintable.find(handed);
            ++handed;
            if (!receiver.row(row, lost == unprintable.end()
                                       ? std::span<const UnprintableCharacter>()
                                       : std::span<const UnprintableCharacter>(lost->second)))
                return {};
        }
        return {};
    }
    std::size_t handed = 0;
    std::size_t breakAfter = SIZE_MAX;
    std::map<std::size_t, std::vector<UnprintableCharacter>> unprintable; // by row index

private:
    std::vector<std::string> m_titles;
    std::vector<std::vector<std::string>> m_rows;
};

class RecordingSink : public LabelSink {
public:
    PrintOutcome output(const tpl::Template& tpl, std::size_t position) override {
        labels.push_back(std::to_string(position) + ":" + tpl.elements.at(0).content);
        if (refuse.count(position))
            return PrintOutcome::failure(failure, "refused");
        return PrintOutcome::success();
    }
    PrintOutcome finish() override {
        ++finishes;
        return PrintOutcome::success();
    }
    std::vector<std::string> labels;
    std::set<std::size_t> refuse;
    PrintStatus failure = PrintStatus::Refused;
    int finishes = 0;
};

class RecordingObserver : public BatchObserver {
public:
    void rowPrinted(std::size_t position) override {
        events.push_back("+" + std::to_string(position));
    }
    void rowFailed(std::size_t position, const std::string& why) override {
        events.push_back("-" + std::to_string(position) + " " + why);
    }
    void warning(const std::string& text) override { events.push_back("! " + text); }
    std::vector<std::string> events;
};

tpl::Template oneText(const char* mark) {
    tpl::Template tpl;
    tpl.page = {500, 300, 0, 0xFFFFFF, 96, 1.0f, ""};
    tpl::TemplateElement e;
    e.kind = static_cast<std::int32_t>(ElementKind::Text);
    e.mark = mark;
    tpl.elements.push_back(e);
    return tpl;
}

struct BatchRunResult {
    BatchSummary summary;
    std::vector<std::string> labels, events;
    std::size_t handed = 0;
    int finishes = 0;
};

BatchRunResult run(const char* selectionText, std::set<std::size_t> refuse = {},
                   std::size_t breakAfter = SIZE_MAX, PrintStatus failure = PrintStatus::Refused) {
    tpl::Template tpl = oneText("NAME");
    RecordingSink sink;
    sink.refuse = std::move(refuse);
    sink.failure = failure;
    test::NoPictures maker;
    BatchPrinter printer(tpl, sink, maker);
    ListedRows rows({"NAME"}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f"}});
    rows.breakAfter = breakAfter;
    const auto selection =
        *selectionText ? RowSelection::parse(selectionText) : Result<RowSelection>(RowSelection());
    RecordingObserver observer;
    BatchRunResult result;
    result.summary = runBatch(rows, printer, selection.value(), observer);
    result.labels = sink.labels;
    result.events = observer.events;
    result.handed = rows.handed;
    result.finishes = sink.finishes;
    return result;
}

TEST(RunBatch, SelectedRowsKeepTheirPositionsAndReadingStopsAfterTheLast) {
    const BatchRunResult all = run("");
    EXPECT_EQ(all.labels, (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d", "5:e", "6:f"}));
    EXPECT_EQ(all.summary.printed, 6u);
    EXPECT_EQ(all.finishes, 1);

    const BatchRunResult some = run("2,4-5");
    EXPECT_EQ(some.labels, (std::vector<std::string>{"2:b", "4:d", "5:e"}));
    EXPECT_EQ(some.events, (std::vector<std::string>{"+2", "+4", "+5"}));
    EXPECT_EQ(some.handed, 6u) << "row 6 is read only to learn that the selection has ended";
    EXPECT_TRUE(some.summary.finished);
}

TEST(RunBatch, FailedRowsAreReportedAndTheBatchGoesOn) {
    const BatchRunResult r = run("", {2, 5});
    EXPECT_EQ(r.events,
              (std::vector<std::string>{"+1", "-2 refused", "+3", "+4", "-5 refused", "+6"}));
    EXPECT_EQ(r.summary.printed, 4u);
    EXPECT_EQ(r.summary.failed, 2u);
    EXPECT_TRUE(r.summary.finished);
}

TEST(RunBatch, AFailureEveryLaterRowWouldMeetStopsTheBatch) {
    struct Case {
        PrintStatus status;
        bool stops;
    };
    const Case cases[] = {
        {PrintStatus::RenderFailed, false}, // this row's picture
        {PrintStatus::Refused, false},      // the spooler refused this job
        {PrintStatus::NoScheduler, true},   // CUPS has gone away
        {PrintStatus::UnknownPrinter, true}, {PrintStatus::WriteFailed, true}, // the disk is full
    };
    for (const Case& c : cases) {
        const BatchRunResult r = run("", {3}, SIZE_MAX, c.status);
        const int status = static_cast<int>(c.status);
        if (c.stops) {
            EXPECT_EQ(r.events, (std::vector<std::string>{"+1", "+2", "-3 refused"})) << status;
            EXPECT_EQ(r.handed, 3u) << status << ": no row is read after the failure";
            EXPECT_EQ(r.summary.stoppedBy, c.status) << status;
            EXPECT_EQ(r.finishes, 0) << status << ": a stopped batch writes no document";
        } else {
            EXPECT_EQ(r.summary.printed, 5u) << status;
            EXPECT_EQ(r.summary.stoppedBy, PrintStatus::Printed) << status;
            EXPECT_EQ(r.finishes, 1) << status;
        }
    }
}

// A spooler whose scheduler goes away after `jobsBeforeGone` jobs.
class VanishingSpooler : public platform::PdfSpooler {
public:
    platform::SpoolStatus listPrinters(std::vector<platform::PrinterInfo>& printers) override {
        printers = {{"LABELS", true, ""}};
        return platform::SpoolStatus::Ok;
    }
    platform::SpoolStatus resolvePrinter(const std::string&, std::string& queue) override {
        queue = "LABELS";
        return platform::SpoolStatus::Ok;
    }
    std::optional<int> resolutionDpi(const std::string&) override { return 203; }
    platform::SpoolOutcome submit(const platform::SpoolJob& job) override {
        titles.push_back(job.title);
        if (titles.size() > jobsBeforeGone)
            return platform::SpoolOutcome::failure(platform::SpoolStatus::NoScheduler,
                                                   "the scheduler is not running");
        return platform::SpoolOutcome::success();
    }
    std::size_t jobsBeforeGone = 2;
    std::vector<std::string> titles;
};

TEST(RunBatch, ASchedulerThatGoesAwayStopsAPrintedBatch) {
    tpl::Template tpl = oneText("NAME");
    VanishingSpooler spooler;
    PrintOutcome found = PrintOutcome::success();
    auto sink = SpoolerLabelSink::create(spooler, tpl, "", kStandardScreenDpi,
                                         std::chrono::milliseconds(0), found);
    ASSERT_TRUE(sink) << found.error();
    test::NoPictures maker;
    BatchPrinter printer(tpl, *sink, maker);
    ListedRows rows({"NAME"}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f"}});
    RecordingObserver observer;
    const BatchSummary summary = runBatch(rows, printer, RowSelection(), observer);
    EXPECT_EQ(summary.stoppedBy, PrintStatus::NoScheduler);
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"+1", "+2", "-3 the scheduler is not running"}));
    EXPECT_EQ(spooler.titles, (std::vector<std::string>{"TAVPrint_1", "TAVPrint_2", "TAVPrint_3"}))
        << "no job is tried after the scheduler has gone";
}

TEST(RunBatch, TheSinkIsFinishedOnlyWhenRowsWereReadToTheEndAndOnePrinted) {
    const BatchRunResult broken = run("", {}, 3);
    EXPECT_EQ(broken.summary.readError, "the connection broke off");
    EXPECT_EQ(broken.summary.printed, 3u);
    EXPECT_EQ(broken.finishes, 0);
    EXPECT_FALSE(broken.summary.finished);

    const BatchRunResult nothing = run("", {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(nothing.summary.failed, 6u);
    EXPECT_EQ(nothing.finishes, 0);
}

TEST(RunBatch, ColumnsThatFillNoMarkAreNamedAndABatchFillingNothingIsRefused) {
    struct Case {
        int row;
        std::vector<std::string> titles;
        std::vector<std::string> events;
        bool refused;
    };
    const std::vector<Case> cases = {
        {1, {"NAME"}, {"+1", "+2"}, false},
        {2,
         {"NAME", "名称", ""},
         {"! column 2 (名称) fills no mark: no element's mark contains its title",
          "! column 3 has no title and fills no mark", "+1", "+2"},
         false},
        // Only part of a mark: "NA" is inside "NAME", so the column fills it.
        {3, {"NA"}, {"+1", "+2"}, false},
        // A CSV whose titles match no mark: every label would be the template's sample.
        {4,
         {"name", "CODE"},
         {"! column 1 (name) fills no mark: no element's mark contains its title",
          "! column 2 (CODE) fills no mark: no element's mark contains its title"},
         true},
        {5, {}, {}, true},
    };
    for (const Case& c : cases) {
        tpl::Template tpl = oneText("NAME");
        RecordingSink sink;
        test::NoPictures maker;
        BatchPrinter printer(tpl, sink, maker);
        std::vector<std::string> cells(c.titles.size(), "x");
        std::vector<std::string> titles;
        for (const auto& title : c.titles)
            titles.push_back(platform::utf8ToGbk(title).value());
        ListedRows rows(titles, {cells, cells});
        RecordingObserver observer;
        const BatchSummary summary = runBatch(rows, printer, RowSelection(), observer);
        EXPECT_EQ(observer.events, c.events) << "case " << c.row;
        EXPECT_EQ(summary.refused, c.refused) << "case " << c.row;
        if (c.refused) {
            EXPECT_TRUE(sink.labels.empty()) << "case " << c.row;
            EXPECT_EQ(rows.handed, 0u) << "case " << c.row;
            EXPECT_EQ(sink.finishes, 0) << "case " << c.row;
        }
    }
}

TEST(RunBatch, RowsWithCharactersGbkCannotHoldFailUnlessReplaced) {
    struct Case {
        int row;
        std::vector<UnprintableCharacter> lost;
        std::string failure; // without replacing
    };
    const std::vector<Case> cases = {
        {1,
         {{0, "\xF0\x9F\x98\x80"}},
         "-2 column NAME holds \xF0\x9F\x98\x80 (U+1F600), which GBK cannot hold"},
        // A rare ideograph of CJK Extension B, from a utf8mb4 column.
        {2,
         {{0, "\xF0\xA0\x80\x80"}, {1, "\xED\x95\x9C"}},
         "-2 column NAME holds \xF0\xA0\x80\x80 (U+20000), which GBK cannot hold (and 1 more "
         "such characters)"},
        {3,
         {{1, "\xED\x95\x9C"}},
         "-2 column 2 holds \xED\x95\x9C (U+D55C), which GBK cannot hold"},
        {4, {{0, "\xFF"}}, "-2 column NAME holds byte 0xFF, which GBK cannot hold"},
    };
    for (const Case& c : cases) {
        for (const bool replace : {false, true}) {
            tpl::Template tpl = oneText("NAME");
            RecordingSink sink;
            test::NoPictures maker;
            BatchPrinter printer(tpl, sink, maker);
            ListedRows rows({"NAME", ""}, {{"a", "x"}, {"?", "?"}, {"c", "z"}});
            rows.unprintable[1] = c.lost;
            RecordingObserver observer;
            BatchOptions options;
            options.replaceUnprintable = replace;
            const BatchSummary summary = runBatch(rows, printer, RowSelection(), observer, options);
            const std::vector<std::string> expected = {"! column 2 has no title and fills no mark",
                                                       "+1", replace ? "+2" : c.failure, "+3"};
            EXPECT_EQ(observer.events, expected)
                << "case " << c.row << (replace ? " replaced" : "");
            EXPECT_EQ(summary.failed, replace ? 0u : 1u) << "case " << c.row;
            EXPECT_EQ(summary.unprintableRows, std::vector<std::size_t>{2}) << "case " << c.row;
        }
    }
    // Rows left out by the selection are not counted.
    tpl::Template tpl = oneText("NAME");
    RecordingSink sink;
    test::NoPictures maker;
    BatchPrinter printer(tpl, sink, maker);
    ListedRows rows({"NAME"}, {{"a"}, {"?"}, {"c"}});
    rows.unprintable[1] = {{0, "\xF0\x9F\x98\x80"}};
    RecordingObserver observer;
    EXPECT_TRUE(runBatch(rows, printer, RowSelection::parse("1,3").value(), observer)
                    .unprintableRows.empty());
}

// A sink with a template of its own (as the print library's exports hold one): the values go to
// it, and the template the printer was given stays as it was.
class OwnTemplateSink : public RecordingSink {
public:
    explicit OwnTemplateSink(tpl::Template own) : m_own(std::move(own)) {}
    std::optional<MarkOutcome> fillMark(const std::string& name,
                                        const std::string& value) override {
        test::NoPictures maker;
        return engine::fillMark(m_own, name, value, maker);
    }
    PrintOutcome output(const tpl::Template&, std::size_t position) override {
        return RecordingSink::output(m_own, position);
    }

private:
    tpl::Template m_own;
};

TEST(RunBatch, ASinkWithItsOwnTemplateIsFilledInsteadOfThePrinters) {
    tpl::Template checked = oneText("NAME");
    OwnTemplateSink sink(oneText("NAME"));
    test::NoPictures maker;
    BatchPrinter printer(checked, sink, maker);
    ListedRows rows({"NAME", "OTHER"}, {{"a", "x"}, {"b", "y"}});
    RecordingObserver observer;
    const BatchSummary summary = runBatch(rows, printer, RowSelection(), observer);
    EXPECT_EQ(summary.printed, 2u);
    EXPECT_EQ(sink.labels, (std::vector<std::string>{"1:a", "2:b"}));
    EXPECT_EQ(checked.elements.at(0).content, "") << "the printer's template is only checked";
    ASSERT_EQ(observer.events.size(), 3u);
    EXPECT_EQ(observer.events[0].rfind("! column 2 (OTHER) fills no mark", 0), 0u);
}

TEST(PrintCopies, CopiesAreNamedLikeRowsAndStopAtTheFirstFailure) {
    struct Case {
        std::size_t count;
        std::set<std::size_t> refuse;
        std::vector<std::string> labels;
        std::size_t printed, failed;
    };
    const Case cases[] = {
        {3, {}, {"1:", "2:", "3:"}, 3, 0},
        {4, {2}, {"1:", "2:"}, 1, 1},
        {0, {}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        tpl::Template tpl = oneText("NAME");
        RecordingSink sink;
        sink.refuse = c.refuse;
        test::NoPictures maker;
        BatchPrinter printer(tpl, sink, maker);
        const BatchSummary summary = printCopies(printer, c.count);
        EXPECT_FALSE(summary.refused) << "copies have no columns to refuse";
        EXPECT_EQ(sink.labels, c.labels);
        EXPECT_EQ(summary.printed, c.printed);
        EXPECT_EQ(summary.failed, c.failed);
    }
}

} // namespace
} // namespace tav::engine
