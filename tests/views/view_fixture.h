#pragma once

#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"

#include <QApplication>
#include <QImage>

#include <vector>

namespace cadenzo::test {

// One QApplication for the whole test program, on the offscreen platform.
inline QApplication &App() {
    static int argc = 1;
    static char name[] = "views_test";
    static char *argv[] = {name, nullptr};
    // Left alive until the process ends: destroying it from exit handlers after the test
    // framework's statics have gone crashes inside Qt.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The guitar, port and recorder a view works on.
struct Rig {
    Guitar guitar;
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    Rig() {
        guitar.setTuning(standardTuning);
        guitar.UpdateStringNotes();
        port.MidiOpen();
    }
    // The note-ons sent, as MIDI note numbers.
    std::vector<int> NotesOn() const {
        std::vector<int> notes;
        for (const auto &m : out.sent())
            if ((m.status() & 0xF0) == 0x90)
                notes.push_back(m.data1());
        return notes;
    }
};

inline QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

} // namespace cadenzo::test
