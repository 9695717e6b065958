#pragma once

#include "model/guitar.h"
#include "model/midi_setup.h"
#include "playback/practice.h"
#include "seq/song.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace cadenzo {

// One message of a playback run and the timer callback that sent it (0: sent by the start).
struct ScheduledMessage {
    int callback;
    std::uint32_t message;
};

// Everything the playback engine sends for a song from its playTick to the release of its last
// event, taken by running the engine on a manual timer into a recording device: the same code
// and the same timing as live playback, without waiting for the clock.
struct PlaybackSchedule {
    enum class Outcome {
        Complete,      // the last event was released
        NothingToPlay, // no event at or after playTick
        BadTempo,      // the tempo text is not an integer
        NoPeriod,      // the timer offers no period (cannot happen on the manual timer)
        NoEnd,         // the run passed the callback limit before the song ended
    };
    Outcome outcome = Outcome::Complete;
    std::uint32_t periodMs = 0; // the playback timer's period
    std::vector<ScheduledMessage> messages;

    // When `m` sounds, in seconds after playback started.
    double secondsOf(const ScheduledMessage& m) const {
        return static_cast<double>(m.callback) * periodMs / 1000.0;
    }
    // The output frame at `sampleRate` that `m` sounds at: its time, rounded to the nearest frame.
    std::int64_t frameOf(const ScheduledMessage& m, double sampleRate) const;
};

// Past this many callbacks a run gives up (only a foreign tick far beyond the editor's range can
// get there): at 2 ms a callback, more than 27 hours of playback.
inline constexpr int MAX_SCHEDULE_CALLBACKS = 50'000'000;

// Runs the playback engine over `song` from song.playTick with the tempo text of the song file.
// The engine's open-time reset is not part of the schedule; the program change at the start is.
PlaybackSchedule schedulePlayback(Song& song, const MidiSetup& midi, const Guitar& guitar,
                                  std::string_view tempoText,
                                  int maxCallbacks = MAX_SCHEDULE_CALLBACKS);
// The same with the practice controls: with the loop on, the loop is switched off right after
// playback went back to its first bar `loopTurns` times, so the range plays loopTurns + 1 times
// and the song then plays on to its end.
PlaybackSchedule schedulePractice(Song& song, const MidiSetup& midi, const Guitar& guitar,
                                  std::string_view tempoText, const Practice& practice,
                                  int loopTurns, int maxCallbacks = MAX_SCHEDULE_CALLBACKS);

} // namespace cadenzo
