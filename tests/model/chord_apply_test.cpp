#include "model/chords.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace cadenzo {
namespace {

constexpr std::uint8_t x = SILENT;
constexpr int C = 1, E = 5, Gs = 9; // Chord1 items
constexpr int major = 0, minor7 = 5, dim = 12, sevenFlat9 = 19;

const Frets& Preset(const char* name) {
    for (const auto& preset : tunePreset)
        if (std::string(preset.name) == name)
            return preset.values;
    throw std::invalid_argument(name);
}

Guitar TunedGuitar(const Frets& tuning = standardTuning) {
    Guitar g;
    g.setTuning(tuning);
    return g;
}

TEST(ApplyChord, CMajorLowThenHighMovesTheNeckToTheLowestFret) {
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
}

TEST(ApplyChord, NoRootKeepsTheFretsAndReturnsTheNeckPosition) {
    Guitar g = TunedGuitar();
    g.chordPos = 1;
    ApplyChord(g, {C, minor7});
    const Frets held = g.frets();
    g.neckPos = 6;
    EXPECT_EQ(ApplyChord(g, {0, minor7}), 6);
    EXPECT_EQ(g.frets(), held);
}

TEST(ApplyChord, IndexesOutsideTheListsChangeNothing) {
    Guitar g = TunedGuitar();
    g.setFrets({1, 2, 3, 4, 5, 6});
    g.neckPos = 4;
    const ChordSelection bad[] = {{13, 0}, {-1, 0}, {C, 24}, {C, -1}};
    for (const auto& shown : bad) {
        EXPECT_EQ(ApplyChord(g, shown), 4);
        EXPECT_EQ(g.frets(), (Frets{1, 2, 3, 4, 5, 6}));
    }
    g.chordPos = 3;
    EXPECT_EQ(ApplyChord(g, {C, major}), 4);
    EXPECT_EQ(g.frets(), (Frets{1, 2, 3, 4, 5, 6}));
}

struct TunedCase {
    const char* tuning;
    int chord1, chord2, position;
    Frets expected;
};

void PrintTo(const TunedCase& c, std::ostream* os) {
    *os << c.tuning << " " << chord1Items[c.chord1] << chord2Items[c.chord2] << " "
        << "LMH"[c.position];
}

class ApplyChordInTuning : public testing::TestWithParam<TunedCase> {};

TEST_P(ApplyChordInTuning, FretsKeepThePitchesOfTheStandardVoicing) {
    const auto& c = GetParam();
    Guitar g = TunedGuitar(Preset(c.tuning));
    g.chordPos = static_cast<std::uint8_t>(c.position);
    ApplyChord(g, {c.chord1, c.chord2});
    EXPECT_EQ(g.frets(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyChordInTuning,
    testing::Values(
        // The sixth string tuned down to D is fretted at 2 to sound E.
        TunedCase{"Drop D", E, major, 0, {0, 0, 1, 2, 2, 2}},
        TunedCase{"DADGAD", C, major, 1, {5, 7, 5, 5, 3, 5}},
        // Open E tunes the third string a semitone above standard: its open G would need fret
        // -1, so it stays silent.
        TunedCase{"Open E", C, major, 0, {0, 1, x, 0, 1, 0}},
        // Open A: fret -1 on the second string and -2 on the third; both silent (not 254).
        TunedCase{"Open A", C, major, 0, {0, x, x, 0, 3, 0}},
        // Tuned far below standard, frets above the drawn neck are kept as computed.
        TunedCase{"---", C, major, 0, {28, 24, 19, 16, 12, 4}}));

TEST(ApplyChord, SilentEntriesStaySilentAndPlayedOnesKeepTheirPitchInEveryTuning) {
    for (const auto& preset : tunePreset) {
        Guitar g = TunedGuitar(preset.values);
        for (int r = 0; r < CHORD_ROOTS; ++r)
            for (int t = 0; t < CHORD_TYPES; ++t)
                for (int p = 0; p < CHORD_POSITIONS; ++p) {
                    g.chordPos = static_cast<std::uint8_t>(p);
                    ApplyChord(g, {r + 1, t});
                    const Frets& entry = chordTable[r][t][p];
                    for (int s = 0; s < STRING_COUNT; ++s) {
                        const int pitch = entry[s] + standardTuning[s];
                        if (entry[s] == SILENT)
                            EXPECT_EQ(g.flet[s], SILENT) << preset.name;
                        else if (pitch < preset.values[s])
                            EXPECT_EQ(g.flet[s], SILENT) << preset.name << " string " << s;
                        else
                            EXPECT_EQ(g.flet[s] + preset.values[s], pitch)
                                << preset.name << " string " << s;
                    }
                }
    }
}

TEST(RecognizeChord, NamesTheChordTheFretsForm) {
    Guitar g = TunedGuitar();
    g.setFrets({0, 1, 0, 2, 3, 0});
    EXPECT_EQ(RecognizeChord(g, true, {0, minor7}), (ChordSelection{C, major}));
    g.setFrets({3, 4, 3, 5, 3, 3});
    EXPECT_EQ(RecognizeChord(g, true, {0, major}), (ChordSelection{C, minor7}));
}

TEST(RecognizeChord, AShapeInNoVoicingClearsTheRootAndKeepsTheType) {
    Guitar g = TunedGuitar();
    g.setFrets({0, 0, 0, 0, 0, 0});
    EXPECT_EQ(RecognizeChord(g, true, {C, minor7}), (ChordSelection{0, minor7}));
}

TEST(RecognizeChord, WithChordSearchOffNothingChanges) {
    Guitar g = TunedGuitar();
    g.setFrets({0, 1, 0, 2, 3, 0});
    EXPECT_EQ(RecognizeChord(g, false, {E, dim}), (ChordSelection{E, dim}));
    g.setFrets({0, 0, 0, 0, 0, 0});
    EXPECT_EQ(RecognizeChord(g, false, {E, dim}), (ChordSelection{E, dim}));
}

// 2 1 2 1 x x is C dim L as well as G# 7b9 L and M; the last match in search order wins.
TEST(RecognizeChord, ASharedShapeTakesTheLastMatchInTableOrder) {
    Guitar g = TunedGuitar();
    g.setFrets({2, 1, 2, 1, x, x});
    EXPECT_EQ(RecognizeChord(g, true, {}), (ChordSelection{Gs, sevenFlat9}));
}

TEST(RecognizeChord, ReadsTheFretsInTheCurrentTuning) {
    Guitar g = TunedGuitar(Preset("Drop D"));
    g.setFrets({0, 0, 1, 2, 2, 2});
    EXPECT_EQ(RecognizeChord(g, true, {}), (ChordSelection{E, major}));
    g.setFrets({0, 1, 0, 2, 3, 0}); // C major's fingering, but the sixth string sounds D
    EXPECT_EQ(RecognizeChord(g, true, {}).chord1, 0);
}

// The comparison is made in whole numbers: a fret that only matches after wrapping modulo 256
// is no match.
TEST(RecognizeChord, DoesNotWrapTheFretArithmetic) {
    Guitar g = TunedGuitar();
    g.tuning[0] = 38; // ten above standard: 246 + 38 - 28 = 256, not the open string 0
    g.setFrets({246, 1, 0, 2, 3, 0});
    EXPECT_EQ(RecognizeChord(g, true, {}).chord1, 0);
}

TEST(RecognizeChord, EveryAppliedVoicingIsNamedAfterAChordThatHoldsIt) {
    for (const char* tuning : {"Standard", "Drop D", "DADGAD", "Open G", "---"}) {
        Guitar g = TunedGuitar(Preset(tuning));
        for (int r = 0; r < CHORD_ROOTS; ++r)
            for (int t = 0; t < CHORD_TYPES; ++t)
                for (int p = 0; p < CHORD_POSITIONS; ++p) {
                    g.chordPos = static_cast<std::uint8_t>(p);
                    ApplyChord(g, {r + 1, t});
                    bool silenced = false;
                    for (int s = 0; s < STRING_COUNT; ++s)
                        silenced |= g.flet[s] == SILENT && chordTable[r][t][p][s] != SILENT;
                    if (silenced)
                        continue;
                    const ChordSelection named = RecognizeChord(g, true, {});
                    ASSERT_GT(named.chord1, 0) << tuning << " " << r << " " << t << " " << p;
                    const auto& held = chordTable[named.chord1 - 1][named.chord2];
                    const Frets& applied = chordTable[r][t][p];
                    EXPECT_TRUE(held[0] == applied || held[1] == applied || held[2] == applied)
                        << tuning << " " << r << " " << t << " " << p;
                    EXPECT_GE(named.chord1 * CHORD_TYPES + named.chord2, (r + 1) * CHORD_TYPES + t);
                }
    }
}

struct NameCase {
    ChordSelection shown;
    const char* name;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.shown.chord1 << "," << c.shown.chord2 << " -> " << c.name;
}

class ChordNameOf : public testing::TestWithParam<NameCase> {};

TEST_P(ChordNameOf, JoinsRootAndTypeWithoutBlanks) {
    EXPECT_EQ(ChordName(GetParam().shown), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChordNameOf,
                         testing::Values(NameCase{{C, major}, "C"}, NameCase{{C, minor7}, "Cm7"},
                                         NameCase{{Gs, sevenFlat9}, "G#7b9"},
                                         NameCase{{12, 6}, "BMaj7"}, NameCase{{C, 23}, "Cm69"},
                                         NameCase{{0, minor7}, "--"}, NameCase{{13, 0}, "--"},
                                         NameCase{{E, 99}, "E"}));

} // namespace
} // namespace cadenzo
