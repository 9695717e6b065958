#pragma once

#include "model/midi_setup.h"
#include "sound/midi_out.h"

#include <bitset>
#include <cstdint>
#include <mutex>
#include <string>

namespace cadenzo {

struct Guitar;

// The warning text for a failed open: "Device Already Allocated", "No Map", "No Midi Device" or
// "Midi Open Error"; empty for MidiStatus::Ok.
const char* midiOpenWarning(MidiStatus code);

// The program's one output handle and the operations every player sends through.
// It remembers which channel and key each sounding note went to, so that a note struck before the
// channel was changed is still ended where it sounds.
// Thread rules: noteOut, allNoteOff and programChange are safe from any thread; midiOpen and
// Close belong to the window thread.
class MidiPort {
public:
    MidiPort(MidiOut& out, MidiSetup& setup) : out_(out), setup_(setup) {}

    // Opens device midiDevice; on failure the handle is closed again. The device is reset in
    // every case. Returns the result code; the caller shows midiOpenWarning(code) when non-zero.
    MidiStatus midiOpen();
    // The warning for a failed open: midiOpenWarning(code), then the device's reason, if any.
    std::string midiOpenMessage(MidiStatus code) const;
    void close();

    // kind 0 = note off, 1 = note on. A note outside 0..127 is never sent: as a data byte it
    // would be read as a status byte by the device.
    void noteOut(int kind, std::uint8_t channel, int note, std::uint8_t velocity);
    // 128 note-offs, notes 0..127 ascending, velocity 0: the program's way to silence the guitar.
    // Sent on the current channel, then likewise on every other channel a note still sounds on.
    void allNoteOff();
    // Re-attacks string s of the guitar: note-off, then note-on at midiVelocity.
    void soundString(const Guitar& guitar, int s);
    void programChange();

    MidiSetup& setup() { return setup_; }
    MidiOut& out() { return out_; }

    // Result of the midiOpen run at start-up; read by the instrument dialog.
    MidiStatus midiOpenResult = MidiStatus::Ok;

private:
    // The caller holds mutex_.
    void send(int kind, std::uint8_t channel, int note, std::uint8_t velocity);
    void forgetSounding();

    MidiOut& out_;
    MidiSetup& setup_;
    // Held from the record of a note to its message, so the record follows the device's order.
    std::mutex mutex_;
    std::bitset<16 * 128> sounding_; // channel * 128 + key: a note-on sent and not yet ended
};

} // namespace cadenzo
