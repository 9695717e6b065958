#pragma once

#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"
#include "support/test_app.h"

#include <vector>

namespace cadenzo::test {

// The guitar, port and recorder a view works on.
struct Rig {
    Guitar guitar;
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    Rig() {
        guitar.setTuning(standardTuning);
        guitar.updateStringNotes();
        port.midiOpen();
    }
    // The note-ons sent, as MIDI note numbers.
    std::vector<int> NotesOn() const {
        std::vector<int> notes;
        for (const auto& m : out.sent())
            if ((m.status() & 0xF0) == 0x90)
                notes.push_back(m.data1());
        return notes;
    }
};

} // namespace cadenzo::test
