#include "files/atomic_file.h"
#include "files/temp_folder.h"
#include "files/wav_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace cadenzo {
namespace {

using namespace test;
namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesTheBytesExactlyKeepingPermissionsAndLinks) {
    TempFolder folder;
    const mode_t umask = ::umask(027); // a new file gets 0666 less the umask
    const std::string bytes("one\r\ntwo\0\xFF\r\n", 11);
    fs::create_directory(folder / "sub");
    // link name -> where it points; each save must reach the file named last, links untouched.
    const struct {
        std::vector<std::pair<std::string, std::string>> links;
        std::string file;
    } cases[] = {
        {{{"link.crd", (folder / "real.crd").string()}}, "real.crd"},
        {{{"rel.crd", "sub/chain.crd"}, {"sub/chain.crd", "../real.crd"}}, "real.crd"},
        {{{"dangling.crd", "sub/new.crd"}}, "sub/new.crd"},
        {{}, std::string(250, 'n')}, // the temporary name must still fit
    };
    for (const auto& c : cases) {
        WriteBytes(folder / "real.crd", "old contents, longer than the new\r\n");
        fs::permissions(folder / "real.crd", fs::perms(0640));
        for (const auto& [name, to] : c.links)
            fs::create_symlink(to, folder / name);
        const auto saved = folder / (c.links.empty() ? c.file : c.links.front().first);
        ASSERT_TRUE(writeFileAtomically(saved, bytes)) << c.file;
        EXPECT_EQ(ReadBytes(folder / c.file), bytes) << c.file;
        for (const auto& link : c.links)
            EXPECT_TRUE(fs::is_symlink(folder / link.first)) << link.first;
        EXPECT_EQ(fs::status(folder / "real.crd").permissions(), fs::perms(0640));
    }
    EXPECT_EQ(folder.Entries(), 6) << "no temporary file is left";
    EXPECT_EQ(fs::status(folder / "sub/new.crd").permissions(), fs::perms(0640));
    ::umask(umask);
}

// A missing folder, a folder in the way, a read-only file (also for root) and a loop of links.
TEST(AtomicFile, FailuresNameTheFileAndLeaveNothingBehind) {
    TempFolder folder;
    fs::create_directories(folder / "dir.crd" / "inside"); // rename cannot replace it
    WriteBytes(folder / "out.mid", "MThd");
    fs::permissions(folder / "out.mid", fs::perms(0444));
    fs::create_symlink("loop.crd", folder / "loop.crd");
    for (const auto& [path, why] : {std::pair(folder / "missing" / "song.cz0", ": No such file"),
                                    {folder / "dir.crd", ": Is a directory"},
                                    {folder / "out.mid", ": the file is read-only."},
                                    {folder / "loop.crd", ": Too many levels of symbolic links"}}) {
        const FileResult result = writeFileAtomically(path, "0\r\n");
        EXPECT_FALSE(result);
        EXPECT_THAT(result.message, testing::HasSubstr(QuotedName(path) + why));
    }
    EXPECT_TRUE(fs::is_directory(folder / "dir.crd" / "inside") &&
                fs::is_symlink(folder / "loop.crd"));
    EXPECT_EQ(std::tuple(ReadBytes(folder / "out.mid"), folder.Entries()), std::tuple("MThd", 3));

    std::string bytes = "stale";
    for (const auto& path : {folder / "missing.crd", folder.path}) {
        const FileResult result = readWholeFile(path, bytes);
        EXPECT_THAT(std::tuple(bool(result), bytes, result.message),
                    testing::FieldsAre(false, "", testing::HasSubstr(QuotedName(path))));
    }
}

// Here the file size limit, which binds root too, stops the write part-way.
TEST(AtomicFile, AWriteThatFailsPartWayLeavesThePreviousFileAsItWas) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", "CZ0200\r\n0\r\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult result = writeFileAtomically(folder / "Cadenzo.ini", std::string(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved), std::signal(SIGXFSZ, oldHandler);
    EXPECT_THAT(std::tuple(bool(result), result.message, ReadBytes(folder / "Cadenzo.ini"),
                           folder.Entries()),
                testing::FieldsAre(false, testing::HasSubstr("Cadenzo.ini"), "CZ0200\r\n0\r\n", 1));
}

// Four frames at 44100 Hz: full scale both ways, clipping, a non-number, and rounding to nearest.
TEST(WavFile, HeaderAndSamplesByteExact) {
    const float samples[] = {0.0f, 1.0f, -1.0f, 2.0f, -3.0f, NAN, 0.5f, -0.25f};
    const std::string expected("RIFF\x34\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0"
                               "\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data\x10\0\0\0"
                               "\0\0\xFF\x7F"     // 0, 32767
                               "\x01\x80\xFF\x7F" // -32767, clipped 32767
                               "\x01\x80\0\0"     // clipped -32767, silence
                               "\0\x40\0\xE0",    // 16384 (half to even), -8192
                               60);
    WavBuffer wav(44100);
    wav.append(samples, 1), wav.append(samples + 2, 3);
    EXPECT_EQ(std::tuple(wav.frames(), wav.bytes()), std::tuple(4u, expected));
}

} // namespace
} // namespace cadenzo
