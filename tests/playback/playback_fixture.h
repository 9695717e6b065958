#pragma once

#include "playback/playback.h"
#include "sound/manual_timer.h"
#include "sound/recording_midi_out.h"
#include "support/song_events.h"

#include <vector>

namespace cadenzo {

// What the engine asked the window to do.
struct RecordingListener : PlaybackListener {
    std::vector<Transport> transports;
    std::vector<int> scrolls;
    void transportChanged(Transport s) override { transports.push_back(s); }
    void scrollSequence(int p) override { scrolls.push_back(p); }
};

// The engine on a timer of type T and a recording device, in standard tuning.
template <class T> struct EngineRig {
    Song song;
    MidiSetup midi;
    RecordingMidiOut out;
    MidiPort port{out, midi};
    Guitar guitar;
    T timer;
    PlaybackEngine engine{song, port, guitar, timer};
    EngineRig() { guitar.setTuning(standardTuning), out.open(0); }
};

inline SongEvent Chord(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t strokeTime,
                       std::uint8_t dir = 0) {
    return test::MakeEvent(tick, frets, 100, gate, strokeTime, dir);
}

} // namespace cadenzo
