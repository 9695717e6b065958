// Strumming from keys and a MIDI controller, and chords played on a keyboard controller.
#include "fretboard/live_input.h"
#include "model/chord_table.h"
#include "model/user_chords.h"
#include "sound/manual_timer.h"
#include "sound/recording_midi_out.h"
#include "sound/strum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <random>

namespace cadenzo {
namespace {

std::uint32_t Msg(int status, int data1, int data2) {
    return static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16);
}
// The notes a voicing sounds in standard tuning, each moved by `octaves()` octaves.
template <class F = int (*)()>
std::vector<std::uint8_t> Notes(
    const Frets& v, F octaves = [] { return 0; }) {
    std::vector<std::uint8_t> notes;
    for (int s = 0; s < STRING_COUNT; ++s)
        if (v[s] != SILENT)
            notes.push_back(
                static_cast<std::uint8_t>(36 + standardTuning[s] + v[s] + 12 * octaves()));
    return notes;
}
std::bitset<12> Classes(const std::vector<std::uint8_t>& notes) {
    std::bitset<12> classes;
    for (std::uint8_t n : notes)
        classes.set(n % 12);
    return classes;
}

// C major low position held on a standard-tuned guitar; the strummer on a hand-fired timer; the
// pedal (controller 64) strums down, note 36 up, note 38 mutes.
class LiveInputTest : public ::testing::Test {
protected:
    LiveInputTest() {
        guitar.setTuning(standardTuning);
        guitar.setFrets({0, 1, 0, 2, 3, 0});
        guitar.updateStringNotes();
        port.midiOpen();
        input.controls = {LiveControl{LiveControl::Kind::Controller, 64},
                          {LiveControl::Kind::Note, 36},
                          {LiveControl::Kind::Note, 38}};
    }
    // Each message followed by the stroke timer run out; what reached the device, as "x" for the
    // 128 note-offs of a silence and the number of each note-on.
    std::string Run(const std::vector<std::uint32_t>& messages) {
        for (std::uint32_t m : messages)
            input.receive(m, 0), timer.fire(8);
        timer.fire(8);
        std::string text;
        for (const auto& sent : out.sent())
            if ((sent.message & 0xF0) == 0x90 || (sent.message & 0xFFF0) == 0x80)
                text += (sent.message & 0xF0) == 0x90
                            ? " " + std::to_string(sent.message >> 8 & 0x7F)
                            : " x";
        out.clear();
        return text;
    }

    Guitar guitar;
    UserChordTable userChords;
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    ManualTimer timer;
    Strummer strummer{timer, port, guitar};
    FretboardController fretboard{guitar, userChords, port};
    LiveInput input{strummer, fretboard};
};

TEST_F(LiveInputTest, BoundControlsStrumLikeTheButtonsHeldRingsReleasedSilences) {
    const struct {
        std::vector<std::uint32_t> messages;
        const char* heard;
    } cases[] = {
        {{Msg(0xB0, 64, 127)}, " x 40 48 52 55 60 64"}, // pedal down rings
        {{Msg(0xB5, 64, 100), Msg(0xB5, 64, 90), Msg(0xB5, 64, 0)}, " x 40 48 52 55 60 64 x"},
        {{Msg(0x90, 36, 80), Msg(0x80, 36, 0)}, " x 64 60 55 52 48 40 x"}, // note off releases
        {{Msg(0x90, 36, 80), Msg(0x90, 36, 0)}, " x 64 60 55 52 48 40 x"}, // so does velocity 0
        {{Msg(0x90, 36, 0), Msg(0xB0, 64, 10)}, ""},                       // release unheld
        {{Msg(0x92, 38, 1), Msg(0x82, 38, 0)}, " x"},                      // mute
        {{Msg(0xB0, 65, 127), Msg(0xE0, 64, 127), Msg(0xC0, 36, 0)}, ""},  // not bound
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.messages), c.heard) << c.heard;
        for (int a = 0; a < LIVE_ACTIONS; ++a)
            input.release(static_cast<LiveAction>(a));
        out.clear();
    }
    input.learn(LiveAction::Mute); // the next press only, taken from the down stroke
    EXPECT_EQ(Run({Msg(0xB0, 64, 20), Msg(0x80, 40, 0), Msg(0xB0, 64, 127)}), "");
    EXPECT_EQ(std::pair(input.learning(), input.controls[0]),
              std::pair(std::optional<LiveAction>(), LiveControl{}));
    EXPECT_EQ(Run({Msg(0xB0, 64, 127), Msg(0xB0, 64, 0), Msg(0x90, 36, 9)}),
              " x x 64 60 55 52 48 40");
    for (int n = 0; n < 256; ++n) {
        const LiveControl c{n < 128 ? LiveControl::Kind::Note : LiveControl::Kind::Controller,
                            static_cast<std::uint8_t>(n % 128)};
        EXPECT_EQ(parseControl(controlText(c)), c) << controlText(c);
    }
    for (const char* bad : {"", "note 128", "cc", "cc -1", "note 6x", "key 1", "note  1"})
        EXPECT_EQ(parseControl(bad), LiveControl{}) << bad;
}

// Every voicing of the chord table, played as notes in any octave and order within the gathering
// time, sets a chord that sounds exactly those pitch classes, voiced at the current position;
// nothing is set before the time has passed, and the next chord's first note closes the last.
TEST_F(LiveInputTest, NotesPlayedTogetherSetTheChordTheyName) {
    const std::pair<std::vector<std::uint8_t>, ChordSelection> named[] = {
        {{48, 52, 55, 60}, {1, 0}},
        {{57, 60, 64}, {10, 1}},
        {{50, 54, 57}, {3, 0}},
        {{45, 48, 52, 55}, {10, 5}},
        {{48, 52, 55, 57}, {1, 2}},
        {{60}, {}},
        {{}, {}}};
    for (const auto& [notes, chord] : named)
        EXPECT_EQ(nameNotes(notes).value_or(ChordSelection{}), chord) << notes.size();
    input.controls = {}; // every note is part of a chord
    std::mt19937 random(7);
    for (std::int64_t run = 0, now = 1000; run < 400; ++run, now += 200) {
        guitar.chordPos = static_cast<std::uint8_t>(random() % 3);
        std::vector<std::uint8_t> notes =
            Notes(chordTable[random() % 12][random() % 24][random() % 3],
                  [&] { return int(random() % 3) - 1; });
        std::shuffle(notes.begin(), notes.end(), random);
        const Frets before = guitar.currentFrets();
        for (std::int64_t at = now; std::uint8_t note : notes) {
            EXPECT_EQ(input.receive(Msg(0x90, note, 70), at), GuitarChange{});
            at = std::min<std::int64_t>(now + CHORD_GATHER_MS, at + random() % 30);
        }
        EXPECT_EQ(input.flush(now + CHORD_GATHER_MS - 1), GuitarChange{});
        EXPECT_EQ(guitar.currentFrets(), before);
        const GuitarChange change =
            run % 2 ? input.flush(now + CHORD_GATHER_MS) : input.receive(Msg(0x90, 0, 1), now + 51);
        if (notes.empty())
            continue;
        ASSERT_TRUE(change.chordLists) << run;
        const auto [root, type] = *change.chordLists;
        EXPECT_EQ(guitar.currentFrets(),
                  tunedVoicing(root - 1, type, guitar.chordPos, standardTuning));
        const auto& voicings = chordTable[root - 1][type];
        EXPECT_TRUE(std::any_of(voicings.begin(), voicings.end(), [&](const Frets& v) {
            return Classes(Notes(v)) == Classes(notes);
        }));
        input.flush(now + 120); // the lone note 0 names nothing
    }
    EXPECT_EQ(Run({}), "") << "silent unless Play on setting";
    guitar.chordPos = 0, fretboard.switches.playOnSetting = true;
    for (int note : {60, 64, 67})
        input.receive(Msg(0x90, note, 1), 0);
    input.flush(50);
    EXPECT_EQ(Run({}), " x 40 48 52 55 60 64");
}

} // namespace
} // namespace cadenzo
