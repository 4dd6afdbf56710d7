// The Windows backends of the platform layer that the four DLLs stand on, under Wine: GBK through
// code page 936, files with GBK names through the wide functions, atomic saves, scratch files.
// Usage: platform_check SCRATCH_FOLDER   (exit code 0 when every check passes)
#include "platform/Charset.h"
#include "platform/File.h"
#include "platform/ScratchFile.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

void checkCharset() {
    using namespace tav::platform;
    const std::string gbk = "\xD6\xD0\xCE\xC4 A"; // "中文 A"
    const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87 A";
    check(gbkToUtf8(gbk) == utf8, "GBK to UTF-8");
    check(utf8ToGbk(utf8) == gbk, "UTF-8 to GBK");
    check(gbkToUtf8Strict(gbk) == utf8, "GBK to UTF-8, strict");
    check(gbkToUtf8("a\x81") == "a\xEF\xBF\xBD", "a lead byte without its trail byte is U+FFFD");
    check(gbkToUtf8("\xFF"
                    "b") == "\xEF\xBF\xBD"
                            "b",
          "a byte that starts no character is U+FFFD");
    check(!gbkToUtf8Strict("a\x81"), "the strict conversion refuses a cut character");
    const std::string emoji = "x\xF0\x9F\x98\x80y"; // U+1F600 has no GBK form
    check(!utf8ToGbk(emoji), "a character without a GBK form is refused");
    check(utf8ToGbkReplacing(emoji) == "x?y", "and replaced when asked");
    check(!utf8ToGbk("\xC3"), "cut UTF-8 is refused");
    check(isGbkCharacter(0xD6, 0xD0) && !isGbkCharacter(0x81, 0x7F), "GBK pairs");
}

void checkFiles(const std::string& folder) {
    using namespace tav::platform;
    namespace fs = std::filesystem;
    // "标签.tav" in GBK: the name reaches Windows as UTF-16 whatever the code page.
    const std::string path = folder + "\\\xB1\xEA\xC7\xA9.tav";
    check(writeFileAtomically(path, bytesOf("first")).ok(), "an atomic save creates the file");
    std::vector<std::uint8_t> read;
    check(readWholeFile(path, read) == FileReadStatus::Read && read == bytesOf("first"),
          "the saved bytes read back");
    check(fs::exists(fs::path(folder) / L"\u6807\u7B7E.tav"), "the file has the Chinese name");
    check(writeFileAtomically(path, bytesOf("second, longer")).ok(),
          "an atomic save replaces the file");
    check(readWholeFile(path, read) == FileReadStatus::Read && read == bytesOf("second, longer"),
          "the replacement reads back");
    check(replaceWholeFile(path, bytesOf("3")) &&
              readWholeFile(path, read) == FileReadStatus::Read && read == bytesOf("3"),
          "replaceWholeFile replaces a file that holds something");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++entries;
    check(entries == 1, "no temporary file is left beside it");
    check(pathKind(path) == PathKind::RegularFile && pathKind(folder) == PathKind::Directory &&
              pathKind(folder + "\\missing") == PathKind::Missing,
          "what is at a path");
    check(sameFile(path, folder + "\\.\\\xB1\xEA\xC7\xA9.tav"), "one file under two names");

    check(readWholeFile(folder, read) == FileReadStatus::CannotOpen, "a folder is not read");
    check(readWholeFile(folder + "\\missing", read) == FileReadStatus::NotFound,
          "a missing file is not found");
    check(readWholeFile("\xFF\xFF", read) == FileReadStatus::NotFound,
          "a name that is not GBK is not found");
    check(!writeFileAtomically(folder + "\\secret", bytesOf("x"), true, NewFileAccess::OwnerOnly) &&
              !fs::exists(fs::path(folder) / "secret"),
          "an owner-only file is refused, not saved readable by others");
    const auto intoNowhere = writeFileAtomically(folder + "\\no-such-folder\\x", bytesOf("x"));
    check(!intoNowhere && !intoNowhere.error().empty(),
          "a save into a missing folder fails and says why");

    const auto first = createScratchFile();
    const auto second = createScratchFile();
    check(first && second && *first != *second, "two scratch files have two names");
    check(first && pathKind(*first) == PathKind::RegularFile, "a scratch file exists");
    check(first && overwriteWholeFile(*first, bytesOf("picture")) &&
              readWholeFile(*first, read) == FileReadStatus::Read && read == bytesOf("picture"),
          "a scratch file takes its bytes");
    check(first && removeFile(*first) && !pathExists(*first) && removeFile(*first),
          "a scratch file is removed, twice without complaint");
    if (second)
        removeFile(*second);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: platform_check SCRATCH_FOLDER\n");
        return 2;
    }
    checkCharset();
    checkFiles(argv[1]);
    if (failures)
        return 1;
    std::puts("platform checks: all passed");
    return 0;
}
