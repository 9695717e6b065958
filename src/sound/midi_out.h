#pragma once

#include <cstdint>
#include <string>

namespace cadenzo {

// How an operation of the MIDI output service went. The values are the service's result codes;
// Cadenzo's warnings are chosen by them.
enum class MidiStatus : std::uint32_t {
    Ok = 0,
    Error = 1,       // any other failure
    NoSoundFont = 2, // the built-in synthesizer found no General MIDI SoundFont ("Midi Open Error")
    NoAudio = 3,     // the built-in synthesizer could open no audio output ("Midi Open Error")
    Allocated = 4,   // device already allocated
    NoMap = 66,      // no MIDI mapper
    NoDevice = 68,   // no such device or port
};

// A short message: status in bits 0..7, data 1 in bits 8..15, data 2 in bits 16..23.
constexpr std::uint32_t packShortMsg(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    return std::uint32_t{status} | (std::uint32_t{data1} << 8) | (std::uint32_t{data2} << 16);
}

// The MIDI output service: numbered output devices, one of them open at a time.
// Thread rules: shortMsg may be called from the window thread and the timer thread at once (the
// implementation serialises sends, so messages interleave only whole); every other member is
// called from the window thread only.
class MidiOut {
public:
    virtual ~MidiOut() = default;

    // Opens device `device`.
    virtual MidiStatus open(unsigned device) = 0;
    // Starts the slow part of opening device `device` in the background, so that its open,
    // which must come later, is quick; no effect on devices that open quickly anyway.
    virtual void prepare(unsigned /*device*/) {}
    // Sends one short message to the open device; ignored when none is open.
    virtual void shortMsg(std::uint32_t message) = 0;
    // Leaves no note sounding on the open device.
    virtual void reset() = 0;
    virtual void close() = 0;

    // Why the last open failed and what to do about it, in the program's words; empty when the
    // device gave no reason.
    virtual std::string openFailure() const { return {}; }

    virtual unsigned deviceCount() const = 0;
    // The device's name, at most 31 characters; returns how the capability query went.
    virtual MidiStatus deviceName(unsigned device, std::string& name) const = 0;
};

} // namespace cadenzo
