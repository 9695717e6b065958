#pragma once

// A song for the sequence view's benchmark and pictures: a four-chord progression strummed in
// eighths, down and up, with a 3/4 bar in the middle.
#include "model/chords.h"
#include "seq/song.h"

#include <array>

namespace cadenzo {

// Events every `spacing` ticks from tick 0 until `count` events or the end of the editor's range.
inline void FillProgression(Song& song, int count, std::int32_t spacing) {
    song.resetSong();
    song.setMeter(5, 3, 4);
    song.setMeter(6, 4, 4);
    struct Chord {
        int item, type; // Chord1 item (1 = C) and Chord2 item
    };
    const std::array<Chord, 4> progression{{{1, 0}, {10, 1}, {6, 0}, {8, 4}}}; // C Am F G7
    for (int k = 0; k < count && k * spacing <= MAX_TICK; ++k) {
        const Chord chord = progression[(k / 8) % progression.size()];
        SongEvent e;
        e.tick = static_cast<std::uint32_t>(k * spacing);
        e.frets = tunedVoicing(chord.item - 1, chord.type, 0, standardTuning);
        e.velocity = static_cast<std::uint8_t>(k % 2 == 0 ? 110 - (k % 8) * 4 : 70 + (k % 8) * 3);
        e.gate = spacing * 2;
        e.strokeDir = static_cast<std::uint8_t>(k % 2);
        e.strokeTime = k % 2 == 0 ? 60 : 40;
        e.root = static_cast<std::uint8_t>(chord.item);
        e.chordType = static_cast<std::uint8_t>(chord.type);
        song.insertEvent(e);
    }
    song.sortEvents();
}

} // namespace cadenzo
