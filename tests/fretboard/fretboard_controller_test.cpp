#include "fretboard/fretboard_controller.h"
#include "model/user_chords.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace cadenzo {
namespace {

// The controller on a standard-tuned guitar whose fretboard shows five columns, sounding into a
// recording device; no Qt anywhere.
class FretboardControllerTest : public ::testing::Test {
protected:
    FretboardControllerTest() {
        guitar.setTuning(standardTuning);
        guitar.resizeNeck(236);
        port.midiOpen();
        controller.refreshNotes();
        controller.switches.chordSearch = true;
        out.clear();
    }

    void AddUserChord(const char* name, std::uint8_t key, UserChordFrets frets) {
        const int k = ++userChords.userChordCount;
        userChords.userChordName[k] = name;
        userChords.userChordKey[k] = key;
        userChords.userChordFlet[k] = frets;
    }

    Guitar guitar;
    UserChordTable userChords;
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    FretboardController controller{guitar, userChords, port};
};

TEST_F(FretboardControllerTest, AClickOnAStringEndsAsTheNoteAtTheDevice) {
    controller.switches.playOnSetting = true;
    setup.midiChannel = 3, setup.midiVelocity = 90;
    const GuitarChange change = controller.pressNeck(2, 0, NeckButton::Left);
    EXPECT_EQ(guitar.currentFrets(), (Frets{0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(change.neck && change.roll);
    // Everything silenced, then string 2 at fret 1 (G + 1 = MIDI 56) re-attacked.
    const auto sent = out.sent();
    ASSERT_EQ(sent.size(), 130u);
    for (int k = 0; k < 130; ++k)
        EXPECT_EQ(sent[k].message,
                  k < 129 ? packShortMsg(0x83, k < 128 ? k : 56, 0) : packShortMsg(0x93, 56, 90));
}

// Long random runs of everything the window and the fretboard can ask: after every call the
// strings sound what the frets and tuning say, the change reports every visible difference,
// and only the mouse on the strings makes a note sound.
TEST_F(FretboardControllerTest, RandomRunsKeepPitchesCurrentAndReportEveryChange) {
    AddUserChord("Am", 1, {0, 1, 2, 2, 0, 255});
    AddUserChord("G", 7, {3, 0, 0, 0, 2, 3});
    AddUserChord("Far", 0, {30, 200, 255, 12, 0, 1});
    std::mt19937 random(20261206);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    for (int step = 0; step < 10000; ++step) {
        const Frets fretsBefore = guitar.currentFrets();
        const Frets tuningBefore = guitar.tunings();
        ChordSelection listsBefore = controller.shownChord();
        int userBefore = controller.shownUserChord();
        const std::uint8_t string = static_cast<std::uint8_t>(pick(0, 6) == 6 ? 255 : pick(0, 5));
        const NeckButton button = static_cast<NeckButton>(pick(0, 2));
        out.clear();
        const std::function<GuitarChange()> ops[] = {
            [&] { return controller.pressNeck(string, pick(-1, 27), button); },
            [&] { return controller.pluckString(string), GuitarChange{}; },
            [&] { return controller.pressOpenStrip(string, button); },
            [&] {
                return controller.scrollNeck(pick(1, std::max(1, NECK_FRETS - guitar.neckSpan)));
            },
            [&] { return controller.resizeNeck(pick(50, 1200)); },
            [&] { // the list changes before its handler runs
                listsBefore = {pick(0, CHORD1_ITEMS - 1), pick(0, CHORD_TYPES - 1)};
                controller.showChordLists(listsBefore);
                return controller.chooseChord(listsBefore);
            },
            [&] { return controller.choosePosition(pick(0, 2)); },
            [&] {
                controller.showUserChord(userBefore = pick(0, userChords.userChordCount));
                return controller.recallUserChord(userBefore);
            },
            [&] { return controller.typeKey(char32_t((pick(0, 1) ? U'a' : U'A') + pick(0, 25))); },
            [&] { return controller.clear(); },
            [&] {
                return controller.changeTuning(tunePreset[pick(1, TUNE_PRESET_COUNT - 1)].values);
            },
            [&] {
                for (auto& f : guitar.frets)
                    f = static_cast<std::uint8_t>(pick(0, 4) == 0 ? 255 : pick(0, 24));
                return controller.takeNewFrets();
            },
            [&] {
                controller.switches = {pick(0, 1) == 1, pick(0, 1) == 1, pick(0, 1) == 1};
                return GuitarChange{};
            }};
        const int op = pick(0, 12);
        const GuitarChange change = ops[op]();
        SCOPED_TRACE(step);
        const bool mayStrike = op <= 2;         // the mouse on the strings
        const bool onNeck = op == 3 || op == 4; // every fret on the neck afterwards

        for (int s = 0; s < STRING_COUNT; ++s)
            ASSERT_EQ(guitar.stringNote[s],
                      static_cast<std::uint8_t>(guitar.frets[s] + guitar.tuning[s]));
        ASSERT_TRUE(guitar.currentFrets() == fretsBefore || (change.neck && change.roll));
        ASSERT_TRUE(guitar.tunings() == tuningBefore || change.roll);
        const ChordSelection lists = controller.shownChord();
        ASSERT_EQ(change.chordLists, lists != listsBefore ? std::optional(lists) : std::nullopt);
        const int user = controller.shownUserChord();
        ASSERT_EQ(change.userChord, user != userBefore ? std::optional(user) : std::nullopt);
        ASSERT_GE(guitar.neckPos, 1);
        // The open strip: the left button plays the open string, another button silences it.
        if (op == 2 && string < STRING_COUNT) {
            ASSERT_EQ(guitar.frets[string], button == NeckButton::Left ? 0 : SILENT);
        }
        for (const auto& f : guitar.frets)
            ASSERT_TRUE(!onNeck || f <= NECK_FRETS || f == SILENT);
        // A chord set, or a resize, leaves every fretted note on the visible neck when it fits.
        int lo = NECK_FRETS, hi = 0, span = guitar.neckSpan;
        for (const int f : guitar.currentFrets())
            if (f != 0 && f <= NECK_FRETS)
                lo = std::min(lo, f), hi = std::max(hi, f);
        const bool set = op == 4 || ((op == 5 || op == 6) && lists.chord1 != 0);
        ASSERT_TRUE(!set || hi == 0 || hi - lo >= span ||
                    hi >= std::max<int>(NECK_FRETS, span + 1) ||
                    (lo >= guitar.neckPos && hi < guitar.neckPos + span));

        // Every note-on is one sounding string, re-attacked right after its own note-off.
        const auto sent = out.sent();
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if ((sent[i].status() & 0xF0) != 0x90)
                continue;
            ASSERT_TRUE(mayStrike);
            ASSERT_GT(i, 0u);
            ASSERT_EQ(sent[i - 1].message, packShortMsg(0x80, sent[i].data1(), 0));
            bool fromAString = false;
            for (int s = 0; s < STRING_COUNT; ++s)
                fromAString = fromAString || (guitar.frets[s] != SILENT &&
                                              guitar.stringNote[s] + NOTE_BASE == sent[i].data1());
            ASSERT_TRUE(fromAString);
        }
    }
}

} // namespace
} // namespace cadenzo
