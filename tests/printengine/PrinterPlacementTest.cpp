// Which queue a printer name means, the printers.conf settings, where the page's origin lies on
// a queue (printable area and calibration), the device the page is drawn on, and job names cut
// to what CUPS keeps. No CUPS here: the spooler is a fake.
#include "platform/Charset.h"
#include "platform/Device.h"
#include "printengine/CalibrationPage.h"
#include "printengine/PageRenderer.h"
#include "printengine/PrintJob.h"
#include "printengine/PrinterSettings.h"
#include "printengine/QueueChoice.h"
#include "support/RecordingCanvas.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace tav::engine {
namespace {

using platform::PrinterInfo;
using platform::SpoolStatus;

// "标签机" in GBK and in UTF-8.
const std::string kLabelGbk = "\xB1\xEA\xC7\xA9\xBB\xFA";
const std::string kLabelUtf8 = "标签机";

const std::vector<PrinterInfo> kQueues = {
    {"Office", true, "HP LaserJet 4050"},
    {"ZDesigner_GK888t_(EPL)", false, ""},
    {"LABEL203", false, "Label Printer 203 (EPL)"},
    {"Zebra", false, "\\\\server\\label"},
    {kLabelUtf8, false, ""},
};

TEST(QueueChoice, FindsTheQueueAPrinterNameMeans) {
    PrinterSettings settings;
    settings.addText("; mapped names, GBK and UTF-8 as written\n"
                     "Warehouse Printer = LABEL203\n"
                     "[printers]\n" +
                     std::string("\xB2\xD6\xBF\xE2") +
                     " = Zebra\n" // 仓库 in GBK
                     "存货 = " +
                     kLabelGbk +
                     "\n" // UTF-8 name, GBK queue
                     "Gone = NoSuchQueue\n"
                     "Office = Zebra\n");
    struct Case {
        int row;
        const char* why;
        std::string name; // GBK
        const char* environment;
        std::string queue;
        QueueMatch match;
    };
    const Case cases[] = {
        {1, "exact", "Zebra", nullptr, "Zebra", QueueMatch::Named},
        {2, "CUPS matches names without regard to case", "zebra", nullptr, "Zebra",
         QueueMatch::Named},
        {3, "a GBK name matches its UTF-8 queue", kLabelGbk, nullptr, kLabelUtf8,
         QueueMatch::Named},
        {4, "a Windows name with spaces", "ZDesigner GK888t (EPL)", nullptr,
         "ZDesigner_GK888t_(EPL)", QueueMatch::SafeName},
        {5, "the description", "Label Printer 203 (EPL)", nullptr, "LABEL203",
         QueueMatch::Description},
        {6, "a share name as a description", "\\\\server\\label", nullptr, "Zebra",
         QueueMatch::Description},
        {7, "mapping, top of the file", "Warehouse Printer", nullptr, "LABEL203",
         QueueMatch::Mapping},
        {8, "mapping written in GBK", "\xB2\xD6\xBF\xE2", nullptr, "Zebra", QueueMatch::Mapping},
        {9, "mapping written in UTF-8, to a GBK queue name", "\xB4\xE6\xBB\xF5", nullptr,
         kLabelUtf8, QueueMatch::Mapping},
        {10, "a queue of the name wins over a mapping", "Office", nullptr, "Office",
         QueueMatch::Named},
        {11, "a mapping to no queue prints on the default", "Gone", nullptr, "Office",
         QueueMatch::Default},
        {12, "nothing matches: the default", "\\\\other\\printer", nullptr, "Office",
         QueueMatch::Default},
        {13, "nothing named: the default", "", nullptr, "Office", QueueMatch::Default},
        {14, "TAV_PRINTER overrides the name", "Zebra", "LABEL203", "LABEL203",
         QueueMatch::Environment},
        {15, "a TAV_PRINTER that matches nothing: the default", "", "label printer 203 (EPL)",
         "Office", QueueMatch::Default},
        {16, "TAV_PRINTER by description", "", "Label Printer 203 (EPL)", "LABEL203",
         QueueMatch::Environment},
        {17, "an empty TAV_PRINTER is not set", "Zebra", "", "Zebra", QueueMatch::Named},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        const auto choice = chooseQueue(c.name, kQueues, settings, c.environment);
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->queue, c.queue);
        EXPECT_EQ(choice->match, c.match);
    }
    // With no default queue, a name that matches nothing has nowhere to print.
    std::vector<PrinterInfo> noDefault = kQueues;
    noDefault[0].isDefault = false;
    EXPECT_FALSE(chooseQueue("Nowhere", noDefault, settings, nullptr));
    EXPECT_FALSE(chooseQueue("", noDefault, settings, nullptr));
    EXPECT_FALSE(chooseQueue("Zebra", {}, settings, nullptr));
}

TEST(QueueChoice, CupsSafeNames) {
    struct Case {
        int row;
        std::string name, safe;
    };
    const Case cases[] = {
        {1, "ZDesigner GK888t (EPL)", "ZDesigner_GK888t_(EPL)"},
        {2, "\\\\server\\label", "__server_label"},
        {3, "a/b?c'd\"e#f@g", "a_b_c_d_e_f_g"},
        {4, "tab\tand\x7F", "tab_and_"},
        {5, kLabelUtf8 + " 1", kLabelUtf8 + "_1"}, // bytes above 0x7F are allowed
        {6, "Plain-Name_1.2", "Plain-Name_1.2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cupsSafeQueueName(c.name), c.safe) << "row " << c.row;
}

TEST(PrinterSettings, ReadsMappingAndCalibrationUserFileFirst) {
    test::TempFolder folder;
    auto text = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    const auto user = folder.write("user.conf", text("[Printers]\r\n"
                                                     "Shop = Office\r\n"
                                                     "[calibration]\r\n"
                                                     "zebra = 5,-3\r\n"
                                                     "Office = nonsense\r\n"));
    const auto system = folder.write("system.conf", text("Shop = Zebra\n"
                                                         "Back = Zebra\n"
                                                         "[Calibration]\n"
                                                         "ZEBRA = 1,1\n"
                                                         "Office = 7,8\n"
                                                         "[other]\nBack2 = Office\n"));
    const auto settings = PrinterSettings::fromFiles({user, folder.file("missing"), system});
    EXPECT_EQ(settings.mappedQueue("Shop"), "Office"); // the user's first
    EXPECT_EQ(settings.mappedQueue("Back"), "Zebra");
    EXPECT_EQ(settings.mappedQueue("Back2"), std::nullopt); // other sections are not mappings
    EXPECT_EQ(settings.mappedQueue("shop"), std::nullopt);  // names are bytes
    EXPECT_EQ(settings.calibration("Zebra"), (PageOffset{5, -3}));
    // The user's unreadable value does not hide the system's.
    EXPECT_EQ(settings.calibration("office"), (PageOffset{7, 8}));
    EXPECT_EQ(settings.calibration("LABEL203"), std::nullopt);
}

TEST(PrinterSettings, ParsesOffsets) {
    struct Case {
        int row;
        const char* text;
        std::optional<PageOffset> offset;
    };
    const Case cases[] = {
        {1, "5,-3", PageOffset{5, -3}},
        {2, " +12 , 0 ", PageOffset{12, 0}},
        {3, "-10000,10000", PageOffset{-10000, 10000}},
        {4, "10001,0", std::nullopt},
        {5, "5", std::nullopt},
        {6, "5,", std::nullopt},
        {7, "1.5,2", std::nullopt},
        {8, "a,b", std::nullopt},
        {9, "1,2,3", std::nullopt},
        {10, "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parsePageOffset(c.text), c.offset) << "row " << c.row;
}

TEST(PrinterSettings, StoresCalibrationKeepingEveryOtherLine) {
    struct Case {
        int row;
        const char* why;
        const char* before; // nullptr: no file yet
        const char* after;
    };
    const Case cases[] = {
        {1, "a new file", nullptr, "[calibration]\nLABEL203 = 5,-3\n"},
        {2, "a file without the section", "; mine\nShop = Office\n",
         "; mine\nShop = Office\n\n[calibration]\nLABEL203 = 5,-3\n"},
        {3, "the queue's line replaced, case as CUPS compares names",
         "[calibration]\n; measured\nlabel203 = 1,1\nZebra = 2,2\n\n[printers]\nA = B\n",
         "[calibration]\n; measured\nLABEL203 = 5,-3\nZebra = 2,2\n\n[printers]\nA = B\n"},
        {4, "added after the section's last setting",
         "[calibration]\nZebra = 2,2\n\n[printers]\nA = B",
         "[calibration]\nZebra = 2,2\nLABEL203 = 5,-3\n\n[printers]\nA = B\n"},
        {6, "a byte order mark before the section", "\xEF\xBB\xBF[calibration]\nLABEL203 = 1,1\n",
         "\xEF\xBB\xBF[calibration]\nLABEL203 = 5,-3\n"},
        {7, "an unclosed bracket is no section", "[calibration\nLABEL203 = 1,1\n",
         "[calibration\nLABEL203 = 1,1\n\n[calibration]\nLABEL203 = 5,-3\n"},
        {5, "CRLF files stay CRLF; GBK bytes stay",
         "[printers]\r\n\xB2\xD6\xBF\xE2 = Zebra\r\n[calibration]\r\n",
         "[printers]\r\n\xB2\xD6\xBF\xE2 = Zebra\r\n[calibration]\r\nLABEL203 = 5,-3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        test::TempFolder folder;
        const std::string path = folder.file("tav/sub/printers.conf");
        if (c.before) {
            std::filesystem::create_directories(folder.file("tav/sub"));
            folder.write("tav/sub/printers.conf",
                         std::vector<std::uint8_t>(c.before, c.before + std::strlen(c.before)));
        }
        const Status stored = storeCalibration(path, "LABEL203", {5, -3});
        ASSERT_TRUE(stored) << stored.error();
        const auto bytes = test::readFileBytes(path);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.after);
        EXPECT_EQ(PrinterSettings::fromFiles({path}).calibration("LABEL203"), (PageOffset{5, -3}));
    }
}

TEST(PrinterSettings, RefusesNamesThatWouldNotReadBackAsOneKey) {
    test::TempFolder folder;
    const std::string path = folder.file("printers.conf");
    for (const char* name : {"", "A\n[printers]\nB", "A=B", "[calibration]", "; x", " A", "A\r"}) {
        const Status stored = storeCalibration(path, name, {1, 1});
        EXPECT_FALSE(stored) << name;
        EXPECT_FALSE(stored.error().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(JobName, CutToWhatCupsKeepsOnACharacterBoundary) {
    const std::string zhong = "\xD6\xD0"; // 中 in GBK: three bytes in UTF-8
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    struct Case {
        int row;
        std::string name; // GBK
        std::size_t bytes;
    };
    const Case cases[] = {
        {1, repeat("a", 255), 255},          {2, repeat("a", 300), 255},
        {3, repeat(zhong, 85), 255},        // exactly 255 bytes
        {4, "a" + repeat(zhong, 100), 253}, // 256th byte is inside a character
        {5, "ab" + repeat(zhong, 100), 254}, {6, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        const std::string cut = spoolerJobName(c.name);
        EXPECT_EQ(cut.size(), c.bytes);
        EXPECT_EQ(cut, platform::gbkToUtf8(c.name).substr(0, c.bytes));
    }
}

TEST(PageOrigin, EveryElementMovesWithTheOrigin) {
    tpl::Template tpl;
    tpl.page = {1000, 600, 1, 0xFFFFFF, 96, 1.0f, ""};
    tpl::TemplateElement line;
    line.kind = static_cast<std::int32_t>(tpl::ElementKind::DiagonalDown);
    line.box = {10, 20, 100, 50};
    tpl::TemplateElement text;
    text.kind = static_cast<std::int32_t>(tpl::ElementKind::Text);
    text.box = {0, 0, 100, 50};
    text.content = "A";
    text.font.size = 12;
    tpl.elements = {line, text};
    RenderOptions options;
    options.originX = 40;
    options.originY = -5;
    test::RecordingCanvas canvas;
    ASSERT_TRUE(renderTemplate(tpl, canvas, options).ok());
    const auto& ops = canvas.operations();
    EXPECT_NE(std::find(ops.begin(), ops.end(), "line 50 15 150 65"), ops.end());
    EXPECT_NE(std::find(ops.begin(), ops.end(), "text 40 -5 'A'"), ops.end());
}

TEST(PageDevice, TheFontHeightAsksTheRegisteredDevice) {
    struct FixedDevice final : platform::Device {
        int dpiX() const override { return 203; }
        int dpiY() const override { return 203; }
    };
    ::setenv("TAV_SCREEN_DPI", "96", 1);
    tpl::Template tpl;
    tpl.page = {1000, 600, 1, 0xFFFFFF, 96, 1.0f, ""};
    tpl::TemplateElement text;
    text.kind = static_cast<std::int32_t>(tpl::ElementKind::Text);
    text.box = {0, 0, 100, 50};
    text.content = "A";
    text.font.size = 9;
    tpl.elements = {text};
    const platform::DeviceRegistration device(std::make_shared<FixedDevice>());
    RenderOptions options;
    options.deviceDpiY = 600; // replaced by what the device says
    options.device = device.handle();
    test::RecordingCanvas canvas;
    ASSERT_TRUE(renderTemplate(tpl, canvas, options).ok());
    EXPECT_EQ(canvas.operations().at(2).rfind("font ", 0), 0u);
    // size 9 at 96/96: 8 points, -11 on the screen, 11 x 339 / 203 = 18.4 tenths of a mm.
    EXPECT_NE(canvas.operations().at(2).find(" 18 0"), std::string::npos)
        << canvas.operations().at(2);
    ::unsetenv("TAV_SCREEN_DPI");
}

// A spooler with one label queue that reports margins.
class MarginSpooler : public platform::PdfSpooler {
public:
    SpoolStatus listPrinters(std::vector<PrinterInfo>& printers) override {
        printers = {{"Office", true, ""}, {"LABEL203", false, "Label Printer 203 (EPL)"}};
        return SpoolStatus::Ok;
    }
    SpoolStatus resolvePrinter(const std::string&, std::string&) override {
        return SpoolStatus::Refused; // the engine finds queues by listing them
    }
    std::optional<int> resolutionDpi(const std::string&) override { return std::nullopt; }
    platform::QueueGeometry describeQueue(const std::string& queue, double widthMm,
                                          double heightMm) override {
        asked = {widthMm, heightMm};
        if (queue == "LABEL203")
            return {203, platform::PaperMargins{400, 300, 400, 200}};
        return {600, std::nullopt};
    }
    platform::SpoolOutcome submit(const platform::SpoolJob& job) override {
        titles.push_back(job.title);
        return platform::SpoolOutcome::success();
    }
    std::pair<double, double> asked;
    std::vector<std::string> titles;
};

TEST(PrintTarget, OriginIsThePrintableAreaMovedByTheCalibration) {
    test::TempFolder config;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    ::unsetenv("TAV_PRINTER");
    ASSERT_TRUE(storeCalibration(config.file("tav/printers.conf"), "label203", {5, -3}));
    tpl::Template tpl;
    tpl.page = {1000, 600, 1, 0xFFFFFF, 96, 1.0f, "Label Printer 203 (EPL)"};
    MarginSpooler spooler;
    PrintTarget target;
    ASSERT_TRUE(findPrintTarget(tpl, "", spooler, target).ok());
    EXPECT_EQ(target.queue, "LABEL203");
    EXPECT_EQ(target.dpi, 203);
    EXPECT_EQ(spooler.asked, std::make_pair(100.0, 60.0));
    EXPECT_EQ(target.originX, 40 + 5);
    EXPECT_EQ(target.originY, 30 - 3);
    EXPECT_EQ(target.calibration, (PageOffset{5, -3}));
    EXPECT_EQ(describeSubstitution(target), "printing on LABEL203 for the printer \"Label "
                                            "Printer 203 (EPL)\" (the queue of that description)");

    // A queue without margins or calibration keeps the paper corner; the named queue is not
    // reported.
    ASSERT_TRUE(findPrintTarget(tpl, "office", spooler, target).ok());
    EXPECT_EQ(target.queue, "Office");
    EXPECT_EQ(target.originX, 0);
    EXPECT_EQ(target.originY, 0);
    EXPECT_EQ(describeSubstitution(target), "");

    // TAV_PRINTER goes before the template's printer.
    ::setenv("TAV_PRINTER", "Office", 1);
    ASSERT_TRUE(findPrintTarget(tpl, "", spooler, target).ok());
    EXPECT_EQ(target.queue, "Office");
    EXPECT_EQ(target.match, QueueMatch::Environment);
    EXPECT_EQ(describeSubstitution(target), "printing on Office for the printer \"Label Printer "
                                            "203 (EPL)\" (TAV_PRINTER)");
    ::unsetenv("TAV_PRINTER");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(CalibrationPage, RulersSquareAndNamesInsideThePaper) {
    const auto page = calibrationPage(1000, 700, "LABEL203", 203);
    ASSERT_FALSE(page.elements.empty());
    int squares = 0;
    for (const auto& e : page.elements) {
        EXPECT_GE(e.box.x, 0);
        EXPECT_GE(e.box.y, 0);
        EXPECT_LE(e.box.x + e.box.width, 1000);
        if (e.kind == static_cast<std::int32_t>(tpl::ElementKind::RectOutline)) {
            ++squares;
            EXPECT_EQ(e.box.x, 100);
            EXPECT_EQ(e.box.width, 500);
            EXPECT_EQ(e.box.height, 500);
        }
    }
    EXPECT_EQ(squares, 1);
    test::RecordingCanvas canvas;
    EXPECT_TRUE(renderTemplate(page, canvas, {}).ok());
    const auto& ops = canvas.operations();
    EXPECT_NE(std::find(ops.begin(), ops.end(), "text 630 100 'LABEL203'"), ops.end());
    EXPECT_NE(std::find(ops.begin(), ops.end(), "text 630 160 '203 dpi'"), ops.end());
}

} // namespace
} // namespace tav::engine
