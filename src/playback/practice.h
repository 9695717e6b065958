#pragma once

#include "seq/song.h"

#include <cstdint>
#include <utility>

namespace cadenzo {

// The practice controls: how playback is shaped for playing along. None of it is part of the
// song or its file; the window keeps it in the preferences.
struct Practice {
    bool loop = false;
    int loopFirstBar = 1; // the loop range: whole bars, 1-based, both included
    int loopLastBar = 1;
    bool countIn = false;   // one bar of clicks, in the signature of the start, before playback
    bool metronome = false; // a click on every beat while playing
    std::uint8_t clickVelocity = 100;
    int speedPercent = 100; // of the song's tempo; the tempo itself stays
    friend bool operator==(const Practice&, const Practice&) = default;
};

inline constexpr int MIN_PRACTICE_SPEED = 25;
inline constexpr int MAX_PRACTICE_SPEED = 100;
// The clicks are General MIDI percussion: channel 10, a high wood block on the first beat of a
// bar, a low one on the others.
inline constexpr std::uint8_t CLICK_CHANNEL = 9;
inline constexpr int ACCENT_CLICK_KEY = 76;
inline constexpr int BEAT_CLICK_KEY = 77;

// The values held to their ranges: bars 1..BAR_COUNT in order, speed 25..100, velocity 1..127.
Practice heldToRange(Practice practice);

// The first and one-past-last tick of the loop range in the song's signatures.
std::pair<std::int64_t, std::int64_t> loopTicks(const MeterTable& meter, const Practice& practice);

// The whole bars that cover the selection between ticks a and b (either order); a selection that
// ends exactly on a bar line does not take the bar after it.
std::pair<int, int> barsOfSelection(const MeterTable& meter, std::int32_t a, std::int32_t b);

// A beat of the song's bars: its tick, and whether it is the first beat of its bar.
struct Beat {
    std::int64_t tick;
    bool accent;
};
// The first beat at or after `tick` (>= 0). Every bar counts its own beats from its start in its
// own signature; bars past the last entry go on in its signature.
Beat beatAtOrAfter(const MeterTable& meter, std::int64_t tick);

} // namespace cadenzo
