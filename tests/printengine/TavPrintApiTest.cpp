// The engine's load exports, called through libtavprint as outside programs call them.
#include "tavprint.h"

#include "support/Fifo.h"
#include "support/TavBytes.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using tav::test::TavBytes;

class TavPrintApi : public testing::Test {
protected:
    void SetUp() override { TAVDestroy(); }
    void TearDown() override { TAVDestroy(); }

    std::string threeElements() {
        return m_folder.write("three.tav", TavBytes()
                                               .header(3, 500, 500)
                                               .record(13, 0, 0, "a", "A")
                                               .record(1, 10, 10)
                                               .record(6, 499, 499)
                                               .bytes());
    }
    tav::test::TempFolder m_folder;
};

TEST_F(TavPrintApi, EmptyEngineAnswersEveryCall) {
    EXPECT_EQ(GetTotal(), 0);
    TAVDestroy();
    EXPECT_EQ(GetTotal(), 0);
    EXPECT_EQ(TAVLoad(nullptr), 0);
    EXPECT_EQ(TAVLoad(""), 0);
    EXPECT_EQ(GetTotal(), 0);
}

TEST_F(TavPrintApi, LoadStatesFollowTheFile) {
    const auto good = threeElements();
    EXPECT_EQ(TAVLoad(good.c_str()), 1);
    EXPECT_EQ(GetTotal(), 3);

    // No file there, or no path: the loaded template stays.
    EXPECT_EQ(TAVLoad(m_folder.file("missing.tav").c_str()), 0);
    EXPECT_EQ(TAVLoad(nullptr), 0);
    EXPECT_EQ(GetTotal(), 3);

    // A file of another version: the engine is emptied.
    const auto old = m_folder.write("old.tav", TavBytes().magic("TAV 3.0...").int32(0).bytes());
    EXPECT_EQ(TAVLoad(old.c_str()), 0);
    EXPECT_EQ(GetTotal(), 0);

    // A second load replaces the first without TAVDestroy in between.
    EXPECT_EQ(TAVLoad(good.c_str()), 1);
    const auto one =
        m_folder.write("one.tav", TavBytes().header(1, 500, 500).record(1, 0, 0).bytes());
    EXPECT_EQ(TAVLoad(one.c_str()), 1);
    EXPECT_EQ(GetTotal(), 1);

    TAVDestroy();
    EXPECT_EQ(GetTotal(), 0);
}

// Callers pass GBK paths (the header says so); files here are named in UTF-8. Whatever is
// found at a path, under its own bytes or converted, and cannot be read as a template empties
// the engine: never the previous template kept, never a wait on a FIFO.
TEST_F(TavPrintApi, LoadsGbkPathsAndEmptiesTheEngineForWhatCannotBeRead) {
    const auto good = threeElements();
    const auto utf8Named = m_folder.file("价签.tav"); // 价签 in GBK: BC DB C7 A9
    std::filesystem::copy_file(good, utf8Named);
    const std::string gbkNamed = m_folder.path() + "/\xBC\xDB\xC7\xA9.tav";
    ASSERT_TRUE(tav::test::makeFifo(m_folder.file("坏.tav")));
    const std::string gbkFifo = m_folder.path() + "/\xBB\xB5.tav"; // 坏
    ASSERT_TRUE(tav::test::makeFifo(m_folder.file("fifo.tav")));
    std::filesystem::create_directory(m_folder.file("folder.tav"));

    struct Case {
        int row;
        const char* what;
        std::string path;
        int expected;
        int totalAfter;     // after a load of the good template
        std::string fifo{}; // the FIFO to release should the load wait on it
    };
    const Case cases[] = {
        {1, "a GBK path of a file named in UTF-8", gbkNamed, 1, 3},
        {2, "the UTF-8 bytes themselves", utf8Named, 1, 3},
        {3, "a FIFO", m_folder.file("fifo.tav"), 0, 0},
        {4, "a FIFO named by a GBK path", gbkFifo, 0, 0, m_folder.file("坏.tav")},
        {5, "a folder", m_folder.file("folder.tav"), 0, 0},
        {6, "nothing there, GBK path", m_folder.path() + "/\xC3\xBB.tav", 0, 3},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(TAVLoad(good.c_str()), 1);
        int result = -1;
        const auto fifo = c.fifo.empty() ? m_folder.file("fifo.tav") : c.fifo;
        EXPECT_TRUE(
            tav::test::returnsWithoutWaitingOn(fifo, [&] { result = TAVLoad(c.path.c_str()); }))
            << "row " << c.row << " (" << c.what << ")";
        EXPECT_EQ(result, c.expected) << "row " << c.row << " (" << c.what << ")";
        EXPECT_EQ(GetTotal(), c.totalAfter) << "row " << c.row << " (" << c.what << ")";
    }
}

TEST_F(TavPrintApi, CallerBufferIsOnlyRead) {
    const auto good = threeElements();
    std::vector<char> buffer(good.begin(), good.end());
    buffer.push_back('\0');
    const std::vector<char> before = buffer;
    EXPECT_EQ(TAVLoad(buffer.data()), 1);
    EXPECT_EQ(buffer, before);
    std::memset(buffer.data(), 'x', buffer.size() - 1); // the engine kept no pointer to it
    EXPECT_EQ(GetTotal(), 3);
}

TEST_F(TavPrintApi, MarksThroughTheExports) {
    const auto path = m_folder.write("marks.tav", TavBytes()
                                                      .header(3, 500, 500)
                                                      .record(13, 0, 0, "", "NAME")
                                                      .record(13, 1, 1, "", "NAME")
                                                      .record(13, 2, 2, "", "Price: {P}")
                                                      .bytes());
    // Without a template every call answers with its empty result.
    EXPECT_EQ(SetMark("NAME", "x"), 0);
    EXPECT_STREQ(GetMark("NAME"), "");
    EXPECT_EQ(GetSame("NAME"), 0);

    ASSERT_EQ(TAVLoad(path.c_str()), 1);
    EXPECT_EQ(GetSame("NAME"), 2);
    EXPECT_EQ(GetSame(nullptr), 0);
    EXPECT_EQ(SetMark("NAME", "Li Lei"), 1);
    EXPECT_EQ(SetMark("{P}", "12.50"), 1);
    EXPECT_EQ(SetMark(nullptr, "x"), 0);
    EXPECT_EQ(SetMark("NAME", nullptr), 1); // a null value is the empty text
    EXPECT_STREQ(GetMark("NAME"), "");
    EXPECT_EQ(SetMark("NAME", "Li Lei"), 1);

    const char* first = GetMark("NAME");
    EXPECT_STREQ(first, "Li Lei");
    EXPECT_STREQ(GetMark("Price: {P}"), "Price: 12.50");
    EXPECT_STREQ(GetMark("{P}"), ""); // GetMark compares whole marks
    const char* kept = GetMark("NAME");
    TAVDestroy(); // the last result outlives the template
    EXPECT_STREQ(kept, "Li Lei");
    EXPECT_STREQ(GetMark(nullptr), "");
}

// Pictures made by the real libraries go through scratch files that are gone afterwards.
TEST_F(TavPrintApi, MarksMakeBarcodeAndQrPictures) {
    auto bytes = TavBytes().header(2, 500, 500);
    bytes.record(10, 0, 0, "", "CODE");
    bytes.record(11, 10, 10, "", "QR"); // qrSize 0: 256 x 256
    const auto path = m_folder.write("pictures.tav", bytes.bytes());
    const std::string scratch = m_folder.file("tmp");
    std::filesystem::create_directory(scratch);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    setenv("TMPDIR", scratch.c_str(), 1);

    ASSERT_EQ(TAVLoad(path.c_str()), 1);
    EXPECT_EQ(SetMark("CODE", "ABC"), 1);
    EXPECT_EQ(SetMark("QR", "https://example.com"), 1);

    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_TRUE(std::filesystem::is_empty(scratch)) << "scratch pictures were left behind";
    EXPECT_STREQ(GetMark("CODE"), "ABC");
}

} // namespace
