#include "platform/File.h"

#include "support/Fifo.h"
#include "support/TempFolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::platform {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(AtomicWrite, AFailedWriteKeepsThePreviousFile) {
    test::TempFolder folder;
    const auto path = folder.file("label.tav");
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("previous contents")));

    // Make the write itself fail: a file size limit below what is written (the signal that
    // would kill the process is ignored, so write() reports EFBIG instead).
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status written = writeFileAtomically(path, bytesOf("new contents, longer than four"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_NE(written.error().find("cannot write"), std::string::npos) << written.error();
    EXPECT_EQ(test::readFileBytes(path), bytesOf("previous contents"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(AtomicWrite, KeepsThePermissionsOfTheFileItReplaces) {
    test::TempFolder folder;
    const auto path = folder.file("shared.tav");
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("a")));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("b")));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicWrite, KeepsTheOwnerOfTheFileItReplaces) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a file that belongs to another user";
    test::TempFolder folder;
    const auto path = folder.file("theirs.pdf");
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("a")));
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("b")));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(test::readFileBytes(path), bytesOf("b"));
}

TEST(AtomicWrite, OwnerOnlyFilesAreReadableByTheirOwnerAlone) {
    test::TempFolder folder;
    const auto path = folder.file("secret.conf");
    const auto modeOf = [&] {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    const mode_t oldMask = ::umask(022);
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("a"), true, NewFileAccess::OwnerOnly));
    EXPECT_EQ(modeOf(), 0600u) << "created";
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("b"), true, NewFileAccess::OwnerOnly));
    EXPECT_EQ(modeOf(), 0600u) << "replacing a file others could read";
    ASSERT_TRUE(writeFileAtomically(path, bytesOf("c")));
    EXPECT_EQ(modeOf(), 0600u) << "an ordinary save keeps the mode";
    ::umask(oldMask);
}

TEST(PathKind, TellsWhatIsAtAPathWithoutFollowingLinks) {
    test::TempFolder folder;
    const auto file = folder.write("file.pdf", bytesOf("x"));
    ASSERT_EQ(::symlink(file.c_str(), folder.file("link.pdf").c_str()), 0);
    ASSERT_EQ(::mkfifo(folder.file("fifo.pdf").c_str(), 0600), 0);
    const struct {
        std::string path;
        PathKind kind;
    } cases[] = {
        {file, PathKind::RegularFile},
        {folder.file("link.pdf"), PathKind::SymbolicLink},
        {folder.file("fifo.pdf"), PathKind::Other},
        {"/dev/null", PathKind::Other},
        {folder.path(), PathKind::Directory},
        {folder.file("missing.pdf"), PathKind::Missing},
        {"", PathKind::Missing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathKind(c.path), c.kind) << c.path;
}

TEST(SameFile, ComparesFilesNotNames) {
    test::TempFolder folder;
    const auto data = folder.write("rows.csv", bytesOf("a,b"));
    const auto other = folder.write("other.csv", bytesOf("a,b"));
    ASSERT_EQ(::link(data.c_str(), folder.file("hard.pdf").c_str()), 0);
    ASSERT_EQ(::symlink(data.c_str(), folder.file("soft.pdf").c_str()), 0);
    EXPECT_TRUE(sameFile(data, data));
    EXPECT_TRUE(sameFile(folder.path() + "/./rows.csv", data));
    EXPECT_TRUE(sameFile(folder.file("hard.pdf"), data));
    EXPECT_TRUE(sameFile(folder.file("soft.pdf"), data));
    EXPECT_FALSE(sameFile(other, data)) << "same contents, another file";
    EXPECT_FALSE(sameFile(folder.file("missing.pdf"), data));
    EXPECT_FALSE(sameFile(folder.file("missing.pdf"), folder.file("missing.pdf")));
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
        FileOpenStatus checked = FileOpenStatus::success();
        FileOpenStatus opened = FileOpenStatus::success();
        FileReader reader;
        EXPECT_TRUE(test::returnsWithoutWaitingOn(fifo, [&] {
            whole = readWholeFile(path, bytes);
            checked = checkReadableFile(path);
            opened = reader.open(path);
        })) << path;
        EXPECT_EQ(whole, FileReadStatus::CannotOpen) << path;
        EXPECT_EQ(checked.code(), FileReadStatus::CannotOpen) << path;
        EXPECT_EQ(opened.code(), FileReadStatus::CannotOpen) << path;
        EXPECT_FALSE(reader.isOpen()) << path;
        const char* why = path == folder.path() ? "folder" : "not a regular file";
        EXPECT_NE(opened.error().find(why), std::string::npos) << path << ": " << opened.error();
        EXPECT_EQ(checked.error(), opened.error()) << path;
    }
}

TEST(FileReader, ReadsARegularFileInPiecesAndAgainFromTheStart) {
    test::TempFolder folder;
    const auto path = folder.write("rows.csv", bytesOf("abcdefg"));
    FileReader reader;
    const FileOpenStatus opened = reader.open(path);
    ASSERT_TRUE(opened) << opened.error();
    for (int pass = 1; pass <= 2; ++pass) {
        std::string read;
        char buffer[3];
        while (auto got = reader.read(buffer)) {
            if (got.value() == 0)
                break;
            read.append(buffer, got.value());
        }
        EXPECT_EQ(read, "abcdefg") << "pass " << pass;
        ASSERT_TRUE(reader.rewind());
    }
    EXPECT_TRUE(checkReadableFile(path));
    EXPECT_EQ(checkReadableFile(path).code(), FileReadStatus::Read);
    EXPECT_EQ(checkReadableFile(folder.file("none")).code(), FileReadStatus::NotFound);
    EXPECT_EQ(reader.open(folder.file("none")).code(), FileReadStatus::NotFound);
    reader.close();
    char buffer[3];
    EXPECT_EQ(reader.read(buffer).error(), "no file is open");
    EXPECT_EQ(reader.rewind().error(), "no file is open");
}

} // namespace
} // namespace tav::platform
