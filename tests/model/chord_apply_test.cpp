#include "model/chords.h"

#include <gtest/gtest.h>

#include <string>

namespace cadenzo {
namespace {

constexpr std::uint8_t x = SILENT;
constexpr int C = 1, E = 5, Gs = 9; // Chord1 items
constexpr int major = 0, minor7 = 5, dim = 12, sevenFlat9 = 19;

Guitar TunedGuitar(const char* name = "Standard") {
    for (const auto& preset : tunePreset)
        if (std::string(preset.name) == name) {
            Guitar g;
            g.setTuning(preset.values);
            return g;
        }
    throw std::invalid_argument(name);
}

TEST(ApplyChord, SetsTheVoicingAndMovesTheNeckUnlessNothingValidIsShown) {
    Guitar g = TunedGuitar();
    g.neckSpan = 5;
    g.neckPos = 12;
    EXPECT_EQ(ApplyChord(g, {C, major}), 1);
    EXPECT_EQ(g.frets(), (Frets{0, 1, 0, 2, 3, 0}));
    EXPECT_EQ(g.neckPos, 1);
    g.chordPos = 2;
    EXPECT_EQ(ApplyChord(g, {C, major}), 8);
    EXPECT_EQ(g.frets(), (Frets{8, 8, 9, 10, 10, 8}));
    EXPECT_EQ(g.neckPos, 8);

    // " --" (no root), indexes outside the lists and an unknown position keep the frets.
    g.neckPos = 4;
    const ChordSelection kept[] = {{0, minor7}, {13, 0}, {-1, 0}, {C, 24}, {C, -1}};
    for (const auto& shown : kept) {
        EXPECT_EQ(ApplyChord(g, shown), 4);
        EXPECT_EQ(g.frets(), (Frets{8, 8, 9, 10, 10, 8}));
    }
    g.chordPos = 3;
    EXPECT_EQ(ApplyChord(g, {C, major}), 4);
    EXPECT_EQ(g.frets(), (Frets{8, 8, 9, 10, 10, 8}));
}

TEST(ApplyChord, FretsKeepThePitchesOfTheStandardVoicingInOtherTunings) {
    const struct {
        const char* tuning;
        int chord1, position;
        Frets expected;
    } cases[] = {
        {"Drop D", E, 0, {0, 0, 1, 2, 2, 2}},   // the low D fretted at 2 sounds E
        {"Open E", C, 0, {0, 1, x, 0, 1, 0}},   // fret -1 is silent, not 255
        {"Open A", C, 0, {0, x, x, 0, 3, 0}},   // -1 and -2 silent, not 255 and 254
        {"---", C, 0, {28, 24, 19, 16, 12, 4}}, // above the drawn neck: kept as computed
    };
    for (const auto& c : cases) {
        Guitar g = TunedGuitar(c.tuning);
        g.chordPos = static_cast<std::uint8_t>(c.position);
        ApplyChord(g, {c.chord1, major});
        EXPECT_EQ(g.frets(), c.expected) << c.tuning;
    }
}

// Every voicing in every tuning: silent entries stay silent, played ones keep their pitch or
// fall silent below the open string, and a voicing with nothing silenced is named after a chord
// that holds it, never an earlier one.
TEST(ApplyChord, EveryVoicingKeepsItsPitchesAndIsRecognizedInEveryTuning) {
    for (const auto& preset : tunePreset) {
        Guitar g = TunedGuitar(preset.name);
        for (int r = 0; r < CHORD_ROOTS; ++r)
            for (int t = 0; t < CHORD_TYPES; ++t)
                for (int p = 0; p < CHORD_POSITIONS; ++p) {
                    SCOPED_TRACE(std::string(preset.name) + " " + std::to_string(r) + " " +
                                 std::to_string(t) + " " + std::to_string(p));
                    g.chordPos = static_cast<std::uint8_t>(p);
                    ApplyChord(g, {r + 1, t});
                    const Frets& entry = chordTable[r][t][p];
                    bool silenced = false;
                    for (int s = 0; s < STRING_COUNT; ++s) {
                        const int pitch = entry[s] + standardTuning[s];
                        if (entry[s] == SILENT || pitch < preset.values[s]) {
                            EXPECT_EQ(g.flet[s], SILENT) << "string " << s;
                            silenced |= entry[s] != SILENT;
                        } else {
                            EXPECT_EQ(g.flet[s] + preset.values[s], pitch) << "string " << s;
                        }
                    }
                    if (silenced)
                        continue;
                    const ChordSelection named = RecognizeChord(g, true, {});
                    ASSERT_GT(named.chord1, 0);
                    const auto& held = chordTable[named.chord1 - 1][named.chord2];
                    EXPECT_TRUE(held[0] == entry || held[1] == entry || held[2] == entry);
                    EXPECT_GE(named.chord1 * CHORD_TYPES + named.chord2, (r + 1) * CHORD_TYPES + t);
                }
    }
}

TEST(RecognizeChord, NamesTheChordTheFretsFormInTheCurrentTuning) {
    const struct {
        const char* tuning;
        Frets frets;
        bool search;
        ChordSelection shown, named;
    } cases[] = {
        {"Standard", {0, 1, 0, 2, 3, 0}, true, {0, minor7}, {C, major}},
        {"Standard", {3, 4, 3, 5, 3, 3}, true, {0, major}, {C, minor7}},
        {"Standard", {0, 0, 0, 0, 0, 0}, true, {C, minor7}, {0, minor7}}, // no match: type kept
        {"Standard", {0, 1, 0, 2, 3, 0}, false, {E, dim}, {E, dim}},      // ChordSearch off
        {"Standard", {0, 0, 0, 0, 0, 0}, false, {E, dim}, {E, dim}},
        // C dim L as well as G# 7b9 L and M: the last match in table order wins.
        {"Standard", {2, 1, 2, 1, x, x}, true, {}, {Gs, sevenFlat9}},
        {"Drop D", {0, 0, 1, 2, 2, 2}, true, {}, {E, major}},
        {"Drop D", {0, 1, 0, 2, 3, 0}, true, {}, {0, major}}, // the sixth string sounds D
    };
    for (const auto& c : cases) {
        Guitar g = TunedGuitar(c.tuning);
        g.setFrets(c.frets);
        EXPECT_EQ(RecognizeChord(g, c.search, c.shown), c.named)
            << c.tuning << " " << int{c.frets[0]} << int{c.frets[1]} << " " << c.search;
    }
    // Whole-number comparison: 246 + 38 - 28 = 256 only matches the open string modulo 256.
    Guitar g = TunedGuitar();
    g.tuning[0] = 38;
    g.setFrets({246, 1, 0, 2, 3, 0});
    EXPECT_EQ(RecognizeChord(g, true, {}).chord1, 0);
}

TEST(ChordName, JoinsRootAndTypeWithoutBlanks) {
    const std::pair<ChordSelection, const char*> cases[] = {
        {{C, major}, "C"}, {{Gs, sevenFlat9}, "G#7b9"}, {{12, 6}, "BMaj7"},
        {{C, 23}, "Cm69"}, {{0, minor7}, "--"},         {{13, 0}, "--"},
        {{E, 99}, "E"}};
    for (const auto& [shown, name] : cases)
        EXPECT_EQ(ChordName(shown), name);
}

} // namespace
} // namespace cadenzo
