#pragma once

#include <cstdint>
#include <string>

namespace cadenzo {

// Result codes of the MIDI output service; Cadenzo's warnings are chosen by them.
inline constexpr std::uint32_t MIDI_OK = 0;
inline constexpr std::uint32_t MIDI_ALLOCATED = 4;  // device already allocated
inline constexpr std::uint32_t MIDI_NO_MAP = 66;    // no MIDI mapper
inline constexpr std::uint32_t MIDI_NO_DEVICE = 68; // no such device or port
inline constexpr std::uint32_t MIDI_ERROR = 1;      // any other failure
// Failures of the built-in synthesizer; shown as "Midi Open Error" like every other code.
inline constexpr std::uint32_t MIDI_NO_SOUNDFONT = 2; // no General MIDI SoundFont installed
inline constexpr std::uint32_t MIDI_NO_AUDIO = 3;     // no audio output could be opened

// A short message: status in bits 0..7, data 1 in bits 8..15, data 2 in bits 16..23.
constexpr std::uint32_t PackShortMsg(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    return std::uint32_t{status} | (std::uint32_t{data1} << 8) | (std::uint32_t{data2} << 16);
}

// The MIDI output service: numbered output devices, one of them open at a time.
// Thread rules: shortMsg may be called from the window thread and the timer thread at once (the
// implementation serialises sends, so messages interleave only whole); every other member is
// called from the window thread only.
class MidiOut {
public:
    virtual ~MidiOut() = default;

    // Opens device `device`; returns a result code (MIDI_OK on success).
    virtual std::uint32_t open(unsigned device) = 0;
    // Sends one short message to the open device; ignored when none is open.
    virtual void shortMsg(std::uint32_t message) = 0;
    // Leaves no note sounding on the open device.
    virtual void reset() = 0;
    virtual void close() = 0;

    virtual unsigned deviceCount() const = 0;
    // The device's name, at most 31 characters; returns the result code of the capability query.
    virtual std::uint32_t deviceName(unsigned device, std::string& name) const = 0;
};

} // namespace cadenzo
