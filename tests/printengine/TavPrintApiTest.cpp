// The engine's load exports, called through libtavprint as outside programs call them.
#include "tavprint.h"

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
