// The song rendered to WAV and FLAC through the one render path, read back through libsndfile.
#include "playback/audio_render.h"

#include "files/temp_folder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <tuple>
#include <vector>

namespace cadenzo::test {
namespace {

// A nylon guitar's middle C held for a second and a half, on the engine's 2 ms period.
PlaybackSchedule OneNote() {
    return {PlaybackSchedule::Outcome::Complete, 2, {{0, 0x0018C0}, {0, 0x643C90}, {750, 0x3C80}}};
}

// The samples of an audio file as libsndfile decodes it; checks its format, rate and channels.
std::vector<short> Decoded(const std::filesystem::path& path, int format, int rate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_EQ(std::tuple(info.format & SF_FORMAT_TYPEMASK, info.samplerate, info.channels),
              std::tuple(format, rate, 2));
    std::vector<short> samples(file != nullptr ? static_cast<std::size_t>(info.frames) * 2 : 0);
    EXPECT_TRUE(file && sf_readf_short(file, samples.data(), info.frames) == info.frames) << path;
    return sf_close(file), samples;
}

TEST(AudioRender, WavAndFlacHoldTheSameSamplesAndProgressEndsAtOne) {
    TempFolder folder;
    std::vector<std::vector<short>> files;
    for (auto [name, format] :
         {std::pair("song.wav", SF_FORMAT_WAV), {"song.FlaC", SF_FORMAT_FLAC}}) {
        std::vector<double> seen;
        const std::atomic<bool> cancel{false};
        const AudioRenderResult result = renderAudioFile(
            OneNote(), {folder / name, 22050, {}}, [&](double done) { seen.push_back(done); },
            cancel);
        ASSERT_EQ(result.status, AudioRenderResult::Status::Written) << result.message;
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(std::pair(std::count(seen.begin(), seen.end(), 1.0), seen.back()),
                  std::pair(1L, 1.0));
        files.push_back(Decoded(folder / name, format, 22050));
        EXPECT_EQ(files.back().size(), 2 * static_cast<std::size_t>(result.render.frames));
        EXPECT_GT(result.render.frames, 22050 * 3 / 2) << "the note and its ring-out";
    }
    EXPECT_EQ(files[0], files[1]); // FLAC is lossless
    EXPECT_EQ(folder.Entries(), 2);
}

// A cancel or a failure at any point writes nothing: the earlier file stays, no temporary is left.
TEST(AudioRender, CancelAndFailuresLeaveTheEarlierFileAlone) {
    using Status = AudioRenderResult::Status;
    // file, cancel after that many blocks (-1: never), SoundFonts; the outcome and its message
    const std::tuple<const char*, int, std::vector<std::string>, Status, const char*> cases[] = {
        {"out.wav", 0, {}, Status::Cancelled, ""},
        {"out.flac", 3, {}, Status::Cancelled, ""},
        {"out.wav", -1, {"none.sf2"}, Status::Failed, "no SoundFont could be"},
        {"no/out.flac", -1, {}, Status::Failed, "Cannot write \""},
    };
    for (const auto& [name, cancelAfter, soundFonts, status, message] : cases) {
        TempFolder folder;
        WriteBytes(folder / "out.wav", "earlier"), WriteBytes(folder / "out.flac", "earlier");
        int blocks = 0;
        std::atomic<bool> cancel{cancelAfter == 0};
        const AudioRenderResult result = renderAudioFile(
            OneNote(), {folder / name, 48000, soundFonts},
            [&](double) { cancel = cancel || ++blocks == cancelAfter; }, cancel);
        EXPECT_EQ(result.status, status) << name << " " << result.message;
        EXPECT_NE(result.message.find(message), std::string::npos) << result.message;
        EXPECT_EQ(blocks, std::max(cancelAfter, 0)) << name;
        EXPECT_EQ(folder.Entries(), 2);
        EXPECT_EQ(ReadBytes(folder / "out.wav") + ReadBytes(folder / "out.flac"), "earlierearlier");
    }
}

} // namespace
} // namespace cadenzo::test
