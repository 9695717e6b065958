#include "files/atomic_file.h"
#include "files/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace cadenzo {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(AtomicFile, WritesTheBytesExactlyAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string bytes("one\r\ntwo\0three\xFF\r\n", 17);
    ASSERT_TRUE(WriteFileAtomically(folder / "a.crd", bytes));
    EXPECT_EQ(ReadBytes(folder / "a.crd"), bytes);
    EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(AtomicFile, ReplacingAFileKeepsItsPermissions) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", "old contents that are longer\r\n");
    ASSERT_EQ(::chmod((folder / "Cadenzo.ini").c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(folder / "Cadenzo.ini", "new\r\n"));
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat((folder / "Cadenzo.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(AtomicFile, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    TempFolder folder;
    WriteBytes(folder / "real.crd", "0\r\n");
    std::filesystem::create_symlink(folder / "real.crd", folder / "link.crd");
    ASSERT_TRUE(WriteFileAtomically(folder / "link.crd", "1\r\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.crd"));
    EXPECT_EQ(ReadBytes(folder / "real.crd"), "1\r\n");
}

TEST(AtomicFile, AMissingFolderIsReportedWithTheFileName) {
    TempFolder folder;
    const auto path = folder / "no such folder" / "song.cz0";
    const FileResult result = WriteFileAtomically(path, "x");
    EXPECT_FALSE(result);
    EXPECT_NE(result.message.find(QuotedName(path)), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("No such file or directory"), std::string::npos);
}

TEST(AtomicFile, AFailedRenameLeavesTheTargetAndNoTemporaryFile) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "backup.crd" / "inside");
    const FileResult result = WriteFileAtomically(folder / "backup.crd", "0\r\n");
    EXPECT_FALSE(result);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "backup.crd" / "inside"));
    EXPECT_EQ(folder.EntryCount(), 1);
}

// A write that runs out of room part-way (here: the file size limit, which holds even for root)
// must leave the previous file whole.
TEST(AtomicFile, AWriteThatFailsPartWayLeavesThePreviousFileAsItWas) {
    TempFolder folder;
    const std::string previous = "CZ0200\r\n0\r\n";
    WriteBytes(folder / "Cadenzo.ini", previous);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult result = WriteFileAtomically(folder / "Cadenzo.ini", std::string(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result);
    EXPECT_NE(result.message.find("Cadenzo.ini"), std::string::npos) << result.message;
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), previous);
    EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(AtomicFile, ReadingAMissingFileOrAFolderFailsWithTheFileName) {
    TempFolder folder;
    std::string bytes = "stale";
    for (const auto &path : {folder / "missing.crd", folder.path()}) {
        const FileResult result = ReadWholeFile(path, bytes);
        EXPECT_FALSE(result) << path;
        EXPECT_NE(result.message.find(QuotedName(path)), std::string::npos) << result.message;
        EXPECT_TRUE(bytes.empty());
    }
}

TEST(AtomicFile, PathExistsSeesFilesAndFoldersButNotMissingNames) {
    TempFolder folder;
    WriteBytes(folder / "a", "");
    EXPECT_TRUE(PathExists(folder / "a"));
    EXPECT_TRUE(PathExists(folder.path()));
    EXPECT_FALSE(PathExists(folder / "b"));
    EXPECT_FALSE(PathExists(folder / "b" / "c"));
}

} // namespace
} // namespace cadenzo
