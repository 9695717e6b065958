// Practice playback in real time to a JACK peer on a private dummy server: a two-bar loop (4/4
// then 3/4) three times with count-in and metronome at 75 %, every note-on and click against a
// schedule worked out here from the song, within one timer period.
#include "files/song_file.h"
#include "files/temp_folder.h"
#include "playback/playback.h"
#include "sound/jack_peer.h"
#include "sound/periodic_timer.h"
#include "sound/system_midi_out.h"
#include "support/song_events.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

extern "C" const char* __asan_default_options() {
    return "detect_leaks=0"; // the audio libraries keep one-time allocations until exit
}

namespace cadenzo::test {
namespace {

TEST(PracticePeer, LoopThreeTimesWithCountInAndClicksAtThreeQuartersSpeed) {
    JackServer server;
    std::string error;
    ASSERT_TRUE(
        server.Start("cadenzo-practice-" + std::to_string(getpid()), 48000, 64, error, 60, true))
        << error;
    JackCapture capture;
    ASSERT_TRUE(capture.Open(server.name(), "cadenzo-peer", error)) << error;

    Song song;
    std::string tempo = "200";
    MidiSetup midi;
    Guitar guitar;
    guitar.setTuning(standardTuning);
    song.setMeter(2, 3, 4);
    const Frets chord{0, 0, 1, 2, 2, 0};
    for (auto [tick, gate, dir] : {std::tuple{0, 900, 0}, {960, 900, 1}, {1920, 1440, 0}})
        song.insertEvent(MakeEvent(tick, chord, 90, gate, 60, static_cast<std::uint8_t>(dir)));
    song.sortEvents();
    TempFolder folder;
    const auto path = folder.path / "loop.cz0";
    ASSERT_TRUE(writeSongFile(path, {song, tempo, midi, guitar}).ok());
    const auto bytes = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    const std::vector<char> before = bytes();

    SystemMidiOut out;
    MidiPort port{out, midi};
    std::string name;
    for (unsigned d = 1; d < out.deviceCount() && midi.midiDevice == 0; ++d)
        if (out.deviceName(d, name) == MidiStatus::Ok &&
            ("JACK: " + capture.portName()).rfind(name, 0) == 0)
            midi.midiDevice = static_cast<std::uint8_t>(d);
    ASSERT_EQ(port.midiOpen(), MidiStatus::Ok);
    PeriodicTimer timer;
    PlaybackEngine engine{song, port, guitar, timer};
    const Practice practice{.loop = true,
                            .loopFirstBar = 1,
                            .loopLastBar = 2,
                            .countIn = true,
                            .metronome = true,
                            .clickVelocity = 70,
                            .speedPercent = 75};
    engine.setPractice(practice);
    const std::size_t from = capture.count();
    ASSERT_EQ(engine.start(tempo), PlaybackEngine::StartResult::Started);
    ASSERT_TRUE(WaitFor([&] { return engine.loopTurns() >= 2; }));
    Practice last = practice;
    last.loop = false; // the third pass plays to the song's end
    engine.setPractice(last);
    ASSERT_TRUE(WaitFor([&] { return engine.playedOut(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the last messages travel on
    auto got = capture.events(from);
    engine.stop();
    // The open's reset may still arrive first: playback begins at its program change.
    while (!got.empty() && got.front().bytes[0] != 0xC0)
        got.erase(got.begin());

    // The schedule: song position v (count-in first) sounds at the first callback whose rounded
    // clock passes it; the clock advances 200 x 0.75 x 8 ticks a second, 2 ms a callback.
    const double inc = 200 * 0.75 * 8 * 0.002;
    const auto callbackOf = [&](std::int64_t v) {
        double clock = 0;
        int k = 0;
        while (std::nearbyint(clock) <= static_cast<double>(v))
            clock += inc, ++k;
        return k;
    };
    std::multimap<int, std::pair<int, int>> want; // callback -> (status, key) of each note-on
    const std::int64_t countIn = 1920, loop = 3360;
    for (int j = 0; j < 4; ++j)
        want.insert({callbackOf(480 * j), {0x99, j == 0 ? 76 : 77}});
    for (int pass = 0; pass < 3; ++pass) {
        const std::int64_t shift = countIn + pass * loop;
        for (auto [tick, dir] : {std::pair{0, 0}, {960, 1}, {1920, 0}})
            for (int j = 0; j < 6; ++j) {
                const int s = dir == 1 ? j : 5 - j;
                want.insert({callbackOf(tick + 10 * j + shift),
                             {0x90, stringMidiNote(chord[s], guitar.tuning[s])}});
            }
        // Clicks go out after the strings of their callback.
        for (int b : {0, 480, 960, 1440, 1920, 2400, 2880})
            want.insert({callbackOf(b + shift), {0x99, b % 1920 == 0 ? 76 : 77}});
    }
    ASSERT_FALSE(got.empty()) << "no program change opened playback";
    std::vector<std::pair<double, std::pair<int, int>>> ons;
    std::map<std::pair<int, int>, int> sounding;
    for (const JackCapture::Event& e : got) {
        const std::pair key{e.bytes[0] & 0x0F, int{e.bytes[1]}};
        if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] != 0)
            ons.push_back({(e.cycleNs - got.front().cycleNs) / 1e9, {e.bytes[0], e.bytes[1]}}),
                ++sounding[key];
        else if ((e.bytes[0] & 0xF0) == 0x80)
            sounding[key] = 0;
    }
    ASSERT_EQ(ons.size(), want.size());
    auto w = want.begin();
    for (std::size_t i = 0; i < ons.size(); ++i, ++w) {
        EXPECT_EQ(ons[i].second, w->second) << i;
        EXPECT_NEAR(ons[i].first, w->first * 0.002, 0.002) << i;
    }
    for (const auto& [key, count] : sounding)
        EXPECT_EQ(count, 0) << "left ringing: channel " << key.first << " key " << key.second;
    EXPECT_EQ(bytes(), before);
    std::vector<char> encoded;
    for (std::uint8_t b : encodeSongFile({song, tempo, midi, guitar}))
        encoded.push_back(static_cast<char>(b));
    EXPECT_EQ(encoded, before) << "playback changed the song or its tempo";
    port.close();
}

} // namespace
} // namespace cadenzo::test
