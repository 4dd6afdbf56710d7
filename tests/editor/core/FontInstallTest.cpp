// Installing fonts into a scratch user's font folder: which files are found, where they go, that
// fc-list finds them afterwards, and that the running engine draws with them without a restart.
#include "editor/core/FontInstall.h"
#include "platform/PageCanvas.h"
#include "platform/UserSession.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tav::editor {
namespace {

namespace fs = std::filesystem;

// A small font of a Debian package (qt6-base-dev) that is not in any font folder.
const std::string kTestFont = "/usr/share/qt6/doc/global/template/style/icomoon.ttf";
const std::string kTestFamily = "icomoon";

void touch(const std::string& path) {
    std::ofstream(path) << "x";
}

class FontInstallTest : public testing::Test {
protected:
    void SetUp() override {
        // The scratch user's folders; set before the engine first asks fontconfig anything.
        home = scratch.path() + "/home";
        data = scratch.path() + "/data";
        fs::create_directories(home);
        fs::create_directories(scratch.path() + "/cache");
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (scratch.path() + "/cache").c_str(), 1);
    }
    test::TempFolder scratch;
    std::string home, data;
};

TEST_F(FontInstallTest, FindsTrueTypeFilesOfAnyCaseFirstFolderFirst) {
    const std::string first = scratch.path() + "/bin/Fonts";
    const std::string second = scratch.path() + "/share/taveditor/Fonts";
    fs::create_directories(first + "/dir.ttf");
    fs::create_directories(second);
    for (const char* name : {"a.ttf", "B.TTF", "c.otf", "d.ttf.txt", "e.Ttf"})
        touch(first + "/" + name);
    for (const char* name : {"a.ttf", "f.ttf"})
        touch(second + "/" + name);
    EXPECT_EQ(fontSourceFolders(scratch.path() + "/bin"),
              (std::vector<std::string>{first, second}));
    EXPECT_EQ(findFontFiles({first, second}),
              (std::vector<std::string>{first + "/B.TTF", first + "/a.ttf", first + "/e.Ttf",
                                        second + "/f.ttf"}));
    EXPECT_TRUE(findFontFiles({scratch.path() + "/missing"}).empty());
}

TEST_F(FontInstallTest, TheTargetIsTheUsersDataFolderOrTheLocalOneForTheSuperuser) {
    if (platform::isSuperuser()) {
        EXPECT_EQ(fontTargetFolder(), "/usr/local/share/fonts");
    } else {
        EXPECT_EQ(fontTargetFolder(), data + "/fonts");
        ::setenv("XDG_DATA_HOME", "relative", 1);
        EXPECT_EQ(fontTargetFolder(), home + "/.local/share/fonts");
    }
    EXPECT_TRUE(canInstallFontsInto(data + "/fonts/deeper"));
    touch(scratch.file("file"));
    EXPECT_FALSE(canInstallFontsInto(scratch.file("file") + "/fonts"));
    EXPECT_FALSE(canInstallFontsInto(""));
}

TEST_F(FontInstallTest, AnInstalledFontIsListedAndDrawnWithAtOnce) {
    ASSERT_TRUE(fs::exists(kTestFont)) << "qt6-base-dev is needed";
    // The font is copied into a Fonts folder first, as the designer finds it.
    const std::string shipped = scratch.path() + "/bin/Fonts";
    fs::create_directories(shipped);
    fs::copy_file(kTestFont, shipped + "/icomoon.TTF");
    const auto found = findFontFiles(fontSourceFolders(scratch.path() + "/bin"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(platform::resolvedFontFamily(kTestFamily), kTestFamily);

    const std::string fonts = data + "/fonts";
    ASSERT_TRUE(installFontFile(found[0], fonts));
    EXPECT_FALSE(installFontFile(scratch.file("missing.ttf"), fonts));
    EXPECT_TRUE(refreshFonts(fonts));

    const auto listed = platform::runProgram({"fc-list", ":", "file"});
    ASSERT_TRUE(listed.started);
    EXPECT_NE(listed.output.find(fonts + "/icomoon.TTF"), std::string::npos) << listed.output;
    EXPECT_EQ(platform::resolvedFontFamily(kTestFamily), kTestFamily);
}

} // namespace
} // namespace tav::editor
