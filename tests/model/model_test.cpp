// The guitar, the chord table and the chords applied to the guitar.
#include "model/chords.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace cadenzo {
namespace {

// Intervals above the root of each chord type, written out here apart from the program.
const std::map<std::string, std::set<int>> chordTones{
    {"M", {0, 4, 7}},          {"m", {0, 3, 7}},          {"6", {0, 4, 7, 9}},
    {"m6", {0, 3, 7, 9}},      {"7", {0, 4, 7, 10}},      {"m7", {0, 3, 7, 10}},
    {"Maj7", {0, 4, 7, 11}},   {"mMaj7", {0, 3, 7, 11}},  {"m7b5", {0, 3, 6, 10}},
    {"sus4", {0, 5, 7}},       {"7sus4", {0, 5, 7, 10}},  {"mb5", {0, 3, 6}},
    {"dim", {0, 3, 6, 9}},     {"aug", {0, 4, 8}},        {"9", {0, 4, 7, 10, 2}},
    {"M9", {0, 4, 7, 11, 2}},  {"69", {0, 4, 7, 9, 2}},   {"9#5", {0, 4, 8, 10, 2}},
    {"9b5", {0, 4, 6, 10, 2}}, {"7b9", {0, 4, 7, 10, 1}}, {"7#9", {0, 4, 7, 10, 3}},
    {"m9", {0, 3, 7, 10, 2}},  {"mM9", {0, 3, 7, 11, 2}}, {"m69", {0, 3, 7, 9, 2}},
};
// Open strings of standard tuning as pitch classes, string 0 first: E B G D A E.
constexpr int openPitchClass[STRING_COUNT] = {4, 11, 7, 2, 9, 4};

std::string Trimmed(const char* item) {
    std::string text(item);
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string Label(int r, int t, int p) {
    return Trimmed(chord1Items[r + 1]) + " " + Trimmed(chord2Items[t]) + " " + "LMH"[p];
}

template <typename Fn> void ForEachVoicing(Fn fn) {
    for (int r = 0; r < CHORD_ROOTS; ++r)
        for (int t = 0; t < CHORD_TYPES; ++t)
            for (int p = 0; p < CHORD_POSITIONS; ++p)
                fn(r, t, p, chordTable[r][t][p]);
}

// All 864 voicings: at least three strings, frets up to 14, only tones of the chord.
TEST(ChordTable, EveryVoicingSoundsOnlyTonesOfItsChord) {
    ForEachVoicing([](int r, int t, int p, const Frets& v) {
        const auto& tones = chordTones.at(Trimmed(chord2Items[t]));
        int played = 0;
        for (int s = 0; s < STRING_COUNT; ++s) {
            if (v[s] == SILENT)
                continue;
            ++played;
            EXPECT_LE(v[s], 14) << Label(r, t, p);
            const int interval = ((openPitchClass[s] + v[s] - r) % 12 + 12) % 12;
            EXPECT_TRUE(tones.count(interval))
                << Label(r, t, p) << ": string " << s << " sounds interval " << interval;
        }
        EXPECT_GE(played, 3) << Label(r, t, p);
    });
}

// Every voicing in every tuning: silent entries stay silent, played ones keep their pitch or
// fall silent below the open string, and a voicing with nothing silenced is named after a chord
// that holds it, never an earlier one.
TEST(applyChord, EveryVoicingKeepsItsPitchesAndIsRecognizedInEveryTuning) {
    for (const auto& preset : tunePreset) {
        Guitar g;
        g.setTuning(preset.values);
        ForEachVoicing([&](int r, int t, int p, const Frets& entry) {
            SCOPED_TRACE(std::string(preset.name) + " " + Label(r, t, p));
            g.chordPos = static_cast<std::uint8_t>(p);
            applyChord(g, {r + 1, t});
            bool silenced = false;
            for (int s = 0; s < STRING_COUNT; ++s) {
                const int pitch = entry[s] + standardTuning[s];
                if (entry[s] == SILENT || pitch < preset.values[s]) {
                    EXPECT_EQ(g.frets[s], SILENT) << "string " << s;
                    silenced |= entry[s] != SILENT;
                } else {
                    EXPECT_EQ(g.frets[s] + preset.values[s], pitch) << "string " << s;
                }
            }
            if (silenced)
                return;
            const ChordSelection named = recognizeChord(g, true, {});
            ASSERT_GT(named.chord1, 0);
            const auto& held = chordTable[named.chord1 - 1][named.chord2];
            EXPECT_TRUE(held[0] == entry || held[1] == entry || held[2] == entry);
            EXPECT_GE(named.chord1 * CHORD_TYPES + named.chord2, (r + 1) * CHORD_TYPES + t);
        });
    }
}

TEST(GuitarModel, MoveNeckCarriesFrettedStringsUnlessLockedAndClampSilencesWhatFallsOff) {
    Guitar g;
    g.setFrets({0, 3, 2, 0, 1, SILENT});
    g.moveNeck(3, false);
    EXPECT_EQ(g.currentFrets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    g.moveNeck(1, true);
    EXPECT_EQ(std::tuple(g.currentFrets(), g.neckPos), std::tuple(Frets{0, 5, 4, 0, 3, SILENT}, 1));

    g.neckPos = 5;
    g.setFrets({2, 4, 5, 0, SILENT, 24});
    g.moveNeck(1, false);
    EXPECT_EQ(g.currentFrets(), (Frets{254, 0, 1, 0, SILENT, 20}));
    g.clampFrets();
    EXPECT_EQ(g.currentFrets(), (Frets{SILENT, 0, 1, 0, SILENT, 20}));
    g.setFrets({24, 25, 254, 255, 0, 12});
    g.clampFrets();
    EXPECT_EQ(g.currentFrets(), (Frets{24, SILENT, SILENT, SILENT, 0, 12}));
}

} // namespace
} // namespace cadenzo
