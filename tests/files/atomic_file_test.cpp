#include "files/atomic_file.h"
#include "files/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace cadenzo {
namespace {

using namespace test;
using testing::HasSubstr;

TEST(AtomicFile, ReplacesTheBytesExactlyKeepingPermissionsAndLinks) {
    TempFolder folder;
    const std::string bytes("one\r\ntwo\0\xFF\r\n", 11);
    WriteBytes(folder / "real.crd", "old contents, longer than the new\r\n");
    ASSERT_EQ(::chmod((folder / "real.crd").c_str(), 0640), 0);
    std::filesystem::create_symlink(folder / "real.crd", folder / "link.crd");
    ASSERT_TRUE(writeFileAtomically(folder / "link.crd", bytes));
    EXPECT_EQ(ReadBytes(folder / "real.crd"), bytes);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.crd"));
    struct stat st {};
    ASSERT_EQ(::stat((folder / "real.crd").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.Entries(), 2) << "no temporary file is left";
}

TEST(AtomicFile, FailuresNameTheFileAndLeaveNothingBehind) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "dir.crd" / "inside"); // rename cannot replace it
    for (const auto& path : {folder / "missing" / "song.cz0", folder / "dir.crd"}) {
        const FileResult result = writeFileAtomically(path, "0\r\n");
        EXPECT_FALSE(result);
        EXPECT_THAT(result.message, HasSubstr(QuotedName(path)));
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.crd" / "inside"));
    EXPECT_EQ(folder.Entries(), 1);

    std::string bytes = "stale";
    for (const auto& path : {folder / "missing.crd", folder.path}) {
        const FileResult result = readWholeFile(path, bytes);
        EXPECT_FALSE(result);
        EXPECT_THAT(result.message, HasSubstr(QuotedName(path)));
        EXPECT_EQ(bytes, "");
    }
}

// A write that runs out of room part-way (here the file size limit, which binds root too) must
// leave the previous file whole.
TEST(AtomicFile, AWriteThatFailsPartWayLeavesThePreviousFileAsItWas) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", "CZ0200\r\n0\r\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult result = writeFileAtomically(folder / "Cadenzo.ini", std::string(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result);
    EXPECT_THAT(result.message, HasSubstr("Cadenzo.ini"));
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), "CZ0200\r\n0\r\n");
    EXPECT_EQ(folder.Entries(), 1);
}

} // namespace
} // namespace cadenzo
