// Registering the designer for a scratch user (HOME and the XDG folders in a scratch folder):
// the file type is found by xdg-mime, the designer's entry is the type's default, the shortcut
// is on the desktop, and the entry's Exec line opens paths with blanks.
#include "editor/core/DesktopIntegration.h"
#include "platform/UserSession.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tav::editor {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string execValue(const std::string& entry) {
    const auto at = entry.find("\nExec=");
    return entry.substr(at + 6, entry.find('\n', at + 1) - at - 6);
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == '\n')
        s.pop_back();
    return s;
}

class DesktopIntegrationTest : public testing::Test {
protected:
    void SetUp() override {
        home = scratch.path() + "/home";
        fs::create_directories(home);
        ::setenv("HOME", home.c_str(), 1);
        for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS",
                                "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            ::unsetenv(var);
        ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        // xdg-user-dir reads the desktop folder from here.
        fs::create_directories(home + "/.config");
        std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n";
    }
    test::TempFolder scratch;
    std::string home;
};

TEST_F(DesktopIntegrationTest, TavFilesOpenInTheDesignerAndTheShortcutIsOnTheDesktop) {
    const std::string program = scratch.path() + "/opt/tav editor/bin/taveditor";
    const Status associated = associateTavFiles(program);
    ASSERT_TRUE(associated) << associated.error();

    const auto query = platform::runProgram({"xdg-mime", "query", "default", kTavMimeType});
    ASSERT_TRUE(query.started) << "xdg-utils is needed";
    EXPECT_EQ(trimmed(query.output), kDesktopEntryName);

    // By name, and by content for a file named otherwise.
    const std::string tav = scratch.path() + "/a label.tav";
    std::ofstream(tav) << "TAV 3.1 template";
    const std::string renamed = scratch.path() + "/label.bin";
    std::ofstream(renamed) << "TAV 3.1 template";
    for (const auto& file : {tav, renamed}) {
        const auto type = platform::runProgram({"xdg-mime", "query", "filetype", file});
        EXPECT_EQ(trimmed(type.output), kTavMimeType) << file;
    }

    const fs::path entryPath = home + "/.local/share/applications/taveditor.desktop";
    const std::string entry = readText(entryPath);
    EXPECT_NE(entry.find("MimeType=application/x-tav;"), std::string::npos);
    EXPECT_NE(entry.find("Icon=taveditor"), std::string::npos);
    EXPECT_TRUE(fs::exists(home + "/.local/share/icons/hicolor/scalable/apps/taveditor.svg"));
    const auto valid = platform::runProgram({"desktop-file-validate", entryPath.string()}, true);
    EXPECT_EQ(valid.exitCode, 0) << valid.output;

    const fs::path shortcut = home + "/桌面/TAVEditor.desktop";
    ASSERT_TRUE(fs::exists(shortcut));
    EXPECT_NE(readText(shortcut).find("Comment=标签单据编辑器"), std::string::npos);
    EXPECT_NE(fs::status(shortcut).permissions() & fs::perms::owner_exec, fs::perms::none);

    // A launcher runs the program itself, with the path with blanks as one argument.
    EXPECT_EQ(expandDesktopExec(execValue(entry), tav), (std::vector<std::string>{program, tav}));
}

TEST_F(DesktopIntegrationTest, ExecQuotesWhatLaunchersWouldSplit) {
    struct Row {
        std::string program;
        std::string exec;
    };
    const Row rows[] = {
        {"/usr/bin/taveditor", "/usr/bin/taveditor %f"},
        {"/opt/my tav/taveditor", "\"/opt/my tav/taveditor\" %f"},
        {"/opt/a\"b$c/taveditor", "\"/opt/a\\\"b\\$c/taveditor\" %f"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(desktopExec(row.program), row.exec);
        EXPECT_EQ(expandDesktopExec(execValue(desktopEntry(row.program)), "/x y.tav"),
                  (std::vector<std::string>{row.program, "/x y.tav"}))
            << row.program;
    }
    EXPECT_EQ(expandDesktopExec("taveditor %f", ""), (std::vector<std::string>{"taveditor"}));
}

TEST_F(DesktopIntegrationTest, AFolderThatCannotBeWrittenIsReported) {
    // The data folder is a file.
    std::ofstream(scratch.file("blocker")) << "x";
    ::setenv("XDG_DATA_HOME", scratch.file("blocker").c_str(), 1);
    const Status associated = associateTavFiles("/usr/bin/taveditor");
    EXPECT_FALSE(associated);
    EXPECT_NE(associated.error().find("blocker"), std::string::npos) << associated.error();
}

} // namespace
} // namespace tav::editor
