#include "platform/File.h"
#include "platform/Charset.h"

#include "support/Fifo.h"
#include "support/TempFolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tav::platform {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(AtomicWrite, AFailedWriteKeepsThePreviousFile) {
    test::TempFolder folder;
    const auto path = folder.file("label.tav");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("previous contents"), error)) << error;

    // Make the write itself fail: a file size limit below what is written (the signal that
    // would kill the process is ignored, so write() reports EFBIG instead).
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written =
        writeFileAtomically(path, bytesOf("new contents, longer than four"), error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::readFileBytes(path), bytesOf("previous contents"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(AtomicWrite, KeepsThePermissionsOfTheFileItReplaces) {
    test::TempFolder folder;
    const auto path = folder.file("shared.tav");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("a"), error));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("b"), error));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ReadWholeFile, TellsMissingFromUnreadable) {
    test::TempFolder folder;
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(readWholeFile(folder.file("none"), bytes), FileReadStatus::NotFound);
    EXPECT_EQ(readWholeFile(folder.path(), bytes), FileReadStatus::CannotOpen);
    const auto path = folder.write("f", {1, 2, 3});
    EXPECT_EQ(readWholeFile(path, bytes), FileReadStatus::Read);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(ReadWholeFile, RefusesAFileTooLargeToHoldWithoutAllocatingIt) {
    test::TempFolder folder;
    const auto path = folder.write("huge.tav", {'T', 'A', 'V'});
    // A sparse file: it claims more than the limit but occupies no disk.
    std::filesystem::resize_file(path, kMaxWholeFileBytes + 1);
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(readWholeFile(path, bytes), FileReadStatus::CannotOpen);
    EXPECT_TRUE(bytes.empty());
    std::filesystem::resize_file(path, 3);
    EXPECT_EQ(readWholeFile(path, bytes), FileReadStatus::Read);
    EXPECT_EQ(bytes.size(), 3u);
}

// A FIFO blocked open() for ever; a device streams without end. Every way of reading a file
// refuses both at once, and folders too.
TEST(ReadingFiles, RefuseAnythingButARegularFileWithoutWaiting) {
    test::TempFolder folder;
    const auto fifo = folder.file("rows.csv");
    ASSERT_TRUE(test::makeFifo(fifo));
    const std::string paths[] = {fifo, "/dev/zero", folder.path()};
    for (const std::string& path : paths) {
        std::vector<std::uint8_t> bytes;
        FileReadStatus whole = FileReadStatus::Read;
        FileReadStatus checked = FileReadStatus::Read;
        FileReadStatus opened = FileReadStatus::Read;
        std::string error;
        FileReader reader;
        EXPECT_TRUE(test::returnsWithoutWaitingOn(fifo, [&] {
            whole = readWholeFile(path, bytes);
            checked = checkReadableFile(path, error);
            opened = reader.open(path);
        })) << path;
        EXPECT_EQ(whole, FileReadStatus::CannotOpen) << path;
        EXPECT_EQ(checked, FileReadStatus::CannotOpen) << path;
        EXPECT_EQ(opened, FileReadStatus::CannotOpen) << path;
        EXPECT_FALSE(reader.isOpen()) << path;
        EXPECT_NE(reader.error().find(path == folder.path() ? "folder" : "not a regular file"),
                  std::string::npos)
            << path << ": " << reader.error();
    }
}

TEST(FileReader, ReadsARegularFileInPiecesAndAgainFromTheStart) {
    test::TempFolder folder;
    const auto path = folder.write("rows.csv", bytesOf("abcdefg"));
    FileReader reader;
    ASSERT_EQ(reader.open(path), FileReadStatus::Read) << reader.error();
    for (int pass = 1; pass <= 2; ++pass) {
        std::string read;
        char buffer[3];
        while (auto got = reader.read(buffer)) {
            if (*got == 0)
                break;
            read.append(buffer, *got);
        }
        EXPECT_EQ(read, "abcdefg") << "pass " << pass;
        ASSERT_TRUE(reader.rewind());
    }
    std::string error;
    EXPECT_EQ(checkReadableFile(path, error), FileReadStatus::Read);
    EXPECT_EQ(checkReadableFile(folder.file("none"), error), FileReadStatus::NotFound);
    EXPECT_EQ(reader.open(folder.file("none")), FileReadStatus::NotFound);
}

TEST(Charset, ConvertsBetweenGbkAndUtf8) {
    EXPECT_EQ(gbkToUtf8("\xCB\xCE\xCC\xE5"), "宋体");
    EXPECT_EQ(utf8ToGbk("宋体"), std::optional<std::string>("\xCB\xCE\xCC\xE5"));
    // A byte that starts no GBK character is shown as U+FFFD and the rest is kept.
    EXPECT_EQ(gbkToUtf8("A\xFF"
                        "B"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(gbkToUtf8("AB\xCB"), "AB\xEF\xBF\xBD"); // cut inside a character
    EXPECT_EQ(utf8ToGbk("\xC3\x28"), std::nullopt);   // not UTF-8
    EXPECT_EQ(utf8ToGbk("😀"), std::nullopt);          // no GBK form
}

} // namespace
} // namespace tav::platform
