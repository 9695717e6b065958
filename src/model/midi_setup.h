#pragma once

#include "model/relaxed.h"

#include <cstdint>
#include <string>

namespace cadenzo {

// The MIDI setup that every player shares, four bytes in this order as the settings and song
// files store them. Written by the window thread, read by the strum and playback ticks.
struct MidiSetup {
    Relaxed<std::uint8_t> midiChannel{0}; // 0..15, shown 1..16
    Relaxed<std::uint8_t> midiProgram{24};
    Relaxed<std::uint8_t> midiVelocity{100};
    Relaxed<std::uint8_t> midiDevice{0};
    // The name the device had when the user chose it, empty while unknown. Device numbers move
    // as ports come and go; the name finds the device again. Window thread only.
    std::string midiDeviceName;
};

} // namespace cadenzo
