// `tavprint info FILE.lab`: the page size and elements an import would add, as template JSON;
// a file the reader refuses ends with one line and exit code 1.
#include "cli/ExitCodes.h"
#include "cli/InfoCommand.h"
#include "support/LabBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tav::cli {
namespace {

std::string writeLab(const test::TempFolder& folder, const std::string& name,
                     const test::LabLayout& layout) {
    const auto bytes = test::labBytes(layout);
    const std::string path = folder.file(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(LabInfoTest, ShowsWhatTheImportWouldAdd) {
    test::TempFolder folder;
    test::LabLayout layout;
    layout.width = 640;
    layout.height = 480;
    layout.objects.push_back({.type = 'B', .left = 34, .top = 72, .text = "4711"});
    layout.texts.push_back(
        {.description = test::labDescription("0", true, "9", "\xCB\xCE\xCC\xE5", "ABC")});
    const std::string path = writeLab(folder, "label.LAB", layout);

    testing::internal::CaptureStdout();
    const int rc = runInfo({path});
    const std::string json = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, kExitOk);
    for (const char* expected :
         {"\"paperWidth\": 640", "\"paperHeight\": 480", "\"content\": \"4711\"", "\"x\": 10",
          "\"y\": 10", "\"bold\": true", "\"faceName\": \"宋体\"", "\"content\": \"ABC\""})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
}

TEST(LabInfoTest, ARefusedFileGivesOneLineAndExitCodeOne) {
    test::TempFolder folder;
    test::LabLayout layout;
    layout.objectCount = 3; // the table cannot hold three records
    const std::string path = writeLab(folder, "lying.lab", layout);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int rc = runInfo({path});
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, kExitFailed);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("not a valid .lab label"), std::string::npos) << err;
}

} // namespace
} // namespace tav::cli
