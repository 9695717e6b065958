#pragma once

#include "model/guitar.h"
#include "sound/manual_timer.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"
#include "sound/strum.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace cadenzo::test {

// The strumming engine on a manual timer and a recording device, C major low position held in
// standard tuning.
class StrumTest : public ::testing::Test {
protected:
    StrumTest() {
        guitar.setTuning(standardTuning);
        Hold({0, 1, 0, 2, 3, 0});
        out.open(0);
    }

    void Hold(const Frets& frets) {
        guitar.setFrets(frets);
        guitar.UpdateStringNotes();
    }

    // Messages sent since the last call.
    std::vector<std::uint32_t> Take() {
        std::vector<std::uint32_t> messages;
        const auto sent = out.sent();
        for (std::size_t i = taken_; i < sent.size(); ++i)
            messages.push_back(sent[i].message);
        taken_ = sent.size();
        return messages;
    }

    // Fires `n` ticks and returns what each one sent.
    std::vector<std::vector<std::uint32_t>> Ticks(int n) {
        std::vector<std::vector<std::uint32_t>> perTick;
        for (int i = 0; i < n; ++i) {
            timer.fire();
            perTick.push_back(Take());
        }
        return perTick;
    }

    static std::vector<std::uint32_t> AllOff(std::uint8_t channel) {
        std::vector<std::uint32_t> messages;
        for (int note = 0; note < 128; ++note)
            messages.push_back(PackShortMsg(0x80 | channel, note, 0));
        return messages;
    }
    std::uint32_t On(int note) const {
        return PackShortMsg(0x90 | setup.midiChannel, note, setup.midiVelocity);
    }

    Guitar guitar;
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    ManualTimer timer;
    Strummer strummer{timer, port, guitar};

private:
    std::size_t taken_ = 0;
};

} // namespace cadenzo::test
