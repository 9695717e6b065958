#pragma once

#include "playback/playback.h"
#include "sound/manual_timer.h"
#include "sound/recording_midi_out.h"

#include <string>
#include <vector>

namespace cadenzo {

// What the engine asked the window to do, in order.
struct RecordingListener : PlaybackListener {
    std::vector<Transport> transports;
    std::vector<int> scrolls, pages, lines;
    int redraws = 0, repaints = 0, dragClears = 0;
    void transportChanged(Transport s) override { transports.push_back(s); }
    void scrollSequence(int p) override { scrolls.push_back(p); }
    void clearDragLine() override { ++dragClears; }
    void redrawSequence() override { ++redraws; }
    void pageSequence(int p) override { pages.push_back(p); }
    void playLine(int x) override { lines.push_back(x); }
    void repaintSequence() override { ++repaints; }
};

// A message and the callback it was sent in (0 = before the first callback).
struct Sent {
    int callback;
    std::uint32_t message;
    friend bool operator==(const Sent&, const Sent&) = default;
};

inline std::uint32_t On(int note, int velocity = 100) {
    return PackShortMsg(0x90, static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(velocity));
}
inline std::uint32_t Off(int note) {
    return PackShortMsg(0x80, static_cast<std::uint8_t>(note), 0);
}

// A song on the manual timer and the recording device, with standard tuning, channel 1.
struct PlaybackFixture {
    Song song;
    MidiSetup midi;
    RecordingMidiOut out;
    MidiPort port{out, midi};
    Guitar guitar;
    ManualTimer timer;
    PlaybackEngine engine{song, port, guitar, timer};
    RecordingListener ui;
    std::vector<Sent> log;
    std::size_t seen = 0;

    PlaybackFixture() {
        guitar.setTuning(standardTuning);
        out.open(0);
        engine.setListener(&ui);
    }

    // Standard-tuning MIDI note of string s at fret f.
    static int Note(int s, int f) { return standardTuning[s] + NOTE_BASE + f; }

    static SongEvent Chord(std::uint32_t tick, Frets frets, std::int32_t gate,
                           std::int32_t strokeTime, std::uint8_t dir = 0) {
        SongEvent e;
        e.tick = tick;
        e.frets = frets;
        e.velocity = 100;
        e.gate = gate;
        e.strokeTime = strokeTime;
        e.strokeDir = dir;
        return e;
    }

    // Moves what the device received since the last call into `log`, tagged with `callback`.
    void collect(int callback) {
        const auto sent = out.sent();
        for (; seen < sent.size(); ++seen)
            log.push_back({callback, sent[seen].message});
    }

    PlaybackEngine::StartResult start(const char* tempo = "125") {
        const auto result = engine.StartPlay(tempo);
        collect(0);
        return result;
    }

    // Fires n callbacks, logging each callback's messages under its number.
    void fire(int n) {
        for (int i = 0; i < n; ++i) {
            if (!timer.fire())
                return;
            collect(timer.ticks());
        }
    }

    // The logged note messages (program changes and all-note-off runs left out).
    std::vector<Sent> notes() const {
        std::vector<Sent> result;
        for (std::size_t i = 0; i < log.size(); ++i) {
            const std::uint8_t kind = log[i].message & 0xF0;
            if (kind == 0x90 || kind == 0x80)
                result.push_back(log[i]);
        }
        return result;
    }
};

} // namespace cadenzo
