// The engine's load exports, called through libtavprint as outside programs call them.
#include "tavprint.h"

#include "support/TavBytes.h"
#include "support/TempFolder.h"

#include <cstring>
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
    const auto one = m_folder.write("one.tav", TavBytes().header(1, 500, 500).record(1, 0, 0).bytes());
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

} // namespace
