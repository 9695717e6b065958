#include "fretboard/fretboard_controller.h"
#include "fretboard/live_input.h"
#include "model/chord_table.h"
#include "model/user_chords.h"
#include "sound/manual_timer.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"
#include "sound/strum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <functional>
#include <random>

namespace cadenzo {
namespace {

// Standard tuning, five fret columns shown, a recording device; no Qt anywhere.
class FretboardControllerTest : public ::testing::Test {
protected:
    FretboardControllerTest() {
        guitar.setTuning(standardTuning), guitar.resizeNeck(236), port.midiOpen();
        controller.refreshNotes(), controller.switches.chordSearch = true, out.clear();
    }

    void AddUserChord(const char* name, std::uint8_t key, UserChordFrets frets) {
        const int k = ++userChords.userChordCount;
        userChords.userChordName[k] = name, userChords.userChordKey[k] = key;
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
    controller.switches.playOnSetting = true, setup.midiChannel = 3, setup.midiVelocity = 90;
    const GuitarChange change = controller.pressNeck(2, 0, NeckButton::Left);
    EXPECT_EQ(std::tuple(guitar.currentFrets(), change.neck, change.roll),
              std::tuple(Frets{0, 0, 1, 0, 0, 0}, true, true));
    // Everything silenced, then string 2 at fret 1 (G + 1 = MIDI 56) re-attacked.
    const auto sent = out.sent();
    ASSERT_EQ(sent.size(), 130u);
    for (int k = 0; k < 130; ++k)
        EXPECT_EQ(sent[k].message,
                  k < 129 ? packShortMsg(0x83, k < 128 ? k : 56, 0) : packShortMsg(0x93, 56, 90));
}

// Random runs: after every call the strings sound what frets and tuning say, the change reports
// every visible difference, and only the mouse on the strings makes a note sound.
TEST_F(FretboardControllerTest, RandomRunsKeepPitchesCurrentAndReportEveryChange) {
    AddUserChord("Am", 1, {0, 1, 2, 2, 0, 255}), AddUserChord("G", 7, {3, 0, 0, 0, 2, 3});
    AddUserChord("Far", 0, {30, 200, 255, 12, 0, 1});
    std::mt19937 random(20261206);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    for (int step = 0; step < 10000; ++step) {
        const Frets fretsBefore = guitar.currentFrets(), tuningBefore = guitar.tunings();
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
        ASSERT_TRUE(op != 2 || string >= STRING_COUNT ||
                    guitar.frets[string] == (button == NeckButton::Left ? 0 : SILENT));
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
            ASSERT_TRUE(mayStrike && i > 0) << "a note-on without a click or its note-off";
            ASSERT_EQ(sent[i - 1].message, packShortMsg(0x80, sent[i].data1(), 0));
            bool fromAString = false;
            for (int s = 0; s < STRING_COUNT; ++s)
                fromAString = fromAString || (guitar.frets[s] != SILENT &&
                                              guitar.stringNote[s] + NOTE_BASE == sent[i].data1());
            ASSERT_TRUE(fromAString);
        }
    }
}

constexpr auto Msg = packShortMsg;
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

// C major low held, the strummer on a hand-fired timer; the pedal (controller 64) strums down,
// note 36 up, note 38 mutes.
class LiveInputTest : public FretboardControllerTest {
protected:
    LiveInputTest() {
        guitar.setFrets({0, 1, 0, 2, 3, 0}), guitar.updateStringNotes();
        input.controls = {LiveControl{LiveControl::Kind::Controller, 64},
                          {LiveControl::Kind::Note, 36},
                          {LiveControl::Kind::Note, 38}};
    }
    // Each message then the stroke timer run out; sent as "x" (a silence) or note-on numbers.
    std::string Run(const std::vector<std::uint32_t>& messages) {
        std::string text;
        for (std::uint32_t m : messages)
            input.receive(m, 0), timer.fire(8);
        timer.fire(8);
        for (const auto& s : out.sent())
            if (s.status() == 0x90 || s.data1() == 0)
                text += s.status() == 0x90 ? " " + std::to_string(s.data1()) : " x";
        return out.clear(), text;
    }

    ManualTimer timer;
    Strummer strummer{timer, port, guitar};
    LiveInput input{strummer, controller};
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
        input.release(LiveAction::DownStroke), input.release(LiveAction::UpStroke), out.clear();
    }
    input.learn(LiveAction::Mute); // the next press only, taken from the down stroke
    EXPECT_EQ(Run({Msg(0xB0, 64, 20), Msg(0x80, 40, 0), Msg(0xB0, 64, 127)}), "");
    EXPECT_EQ(std::pair(input.learning(), input.controls[0]),
              std::pair(std::optional<LiveAction>(), LiveControl{}));
    EXPECT_EQ(Run({Msg(0xB0, 64, 127), Msg(0xB0, 64, 0), Msg(0x90, 36, 9)}),
              " x x 64 60 55 52 48 40");
    for (int n = 0; n < 256; ++n) // the preferences' text of every control reads back
        EXPECT_EQ(
            parseControl(controlText({LiveControl::Kind(1 + n / 128), std::uint8_t(n % 128)})),
            (LiveControl{LiveControl::Kind(1 + n / 128), std::uint8_t(n % 128)}));
    for (const char* bad : {"", "note 128", "cc", "cc -1", "note 6x", "key 1", "note  1"})
        EXPECT_EQ(parseControl(bad), LiveControl{}) << bad;
}

// Every voicing, as notes in any octave and order within the gathering time, sets a chord of
// exactly those pitch classes at the current position, not before; the next note closes it.
TEST_F(LiveInputTest, NotesPlayedTogetherSetTheChordTheyName) {
    // clang-format off
    const std::pair<std::vector<std::uint8_t>, ChordSelection> named[] = {{{48, 52, 55, 60}, {1, 0}},
        {{57, 60, 64}, {10, 1}}, {{50, 54, 57}, {3, 0}}, {{45, 48, 52, 55}, {10, 5}},
        {{48, 52, 55, 57}, {1, 2}}, {{60}, {}}, {{}, {}}};
    // clang-format on
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
    guitar.chordPos = 0, controller.switches.playOnSetting = true;
    for (int note : {60, 64, 67})
        input.receive(Msg(0x90, note, 1), 0);
    input.flush(50);
    EXPECT_EQ(Run({}), " x 40 48 52 55 60 64");
}

} // namespace
} // namespace cadenzo
