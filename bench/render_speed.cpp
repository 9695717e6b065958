// Offline rendering of a full song (2000 strummed chords, 100 bars) through the built-in
// synthesizer, as cadenzo-cli render does it: seconds of audio per second of wall time, with the
// note-ons placed at their frames (eight staggered synthesizers) and with one plain synthesizer.
// Usage: render_speed [SONG.cz0 to save the song to, for timing cadenzo-cli render on it]
#include "files/song_file.h"
#include "files/wav_file.h"
#include "playback/offline_render.h"
#include "playback/playback_schedule.h"
#include "sequence_view_song.h"
#include "sound/fluidsynth/timed_synth.h"

#include <chrono>
#include <cstdio>
#include <memory>

using namespace cadenzo;

int main(int argc, char** argv) {
    auto song = std::make_unique<Song>();
    FillProgression(*song, MAX_EVENTS, 80);
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    guitar.setTuning(standardTuning);
    if (argc > 1) {
        if (const FileResult saved = writeSongFile(argv[1], {*song, tempo, midi, guitar}); !saved) {
            std::fprintf(stderr, "%s\n", saved.message.c_str());
            return 1;
        }
    }
    const PlaybackSchedule schedule = schedulePlayback(*song, midi, guitar, tempo);
    std::printf("%u events, %zu messages, last at %.1f s\n", song->eventCount,
                schedule.messages.size(), schedule.secondsOf(schedule.messages.back()));
    for (const bool single : {false, true}) {
        TimedSynth synth(TimedSynth::Options{});
        if (single)
            synth.useSingleSynth();
        if (synth.open() != MidiStatus::Ok) {
            std::fprintf(stderr, "no SoundFont\n");
            return 1;
        }
        WavBuffer wav(48000);
        const auto started = std::chrono::steady_clock::now();
        const OfflineRender done = renderOffline(
            schedule, synth, [&](const float* block, int frames) { wav.append(block, frames); });
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        const double seconds = done.frames / 48000.0;
        std::printf("%-28s %.1f s of audio in %.2f s: %.1f x real time\n",
                    single ? "one synthesizer (64 frames)" : "note-ons at their frames", seconds,
                    took.count(), seconds / took.count());
    }
}
