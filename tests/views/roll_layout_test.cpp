#include "views/roll_layout.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

Guitar OpenStandard() {
    Guitar g;
    g.setTuning(standardTuning);
    g.updateStringNotes();
    return g;
}

TEST(TabMmlLayout, OpenStandardTuningAlternatesColumnsAndWritesEachOctaveOnce) {
    const TabMmlLayout layout = layoutTabMml(OpenStandard());
    const int xs[] = {50, 65, 50, 65, 50, 65};
    for (int s = 0; s < STRING_COUNT; ++s) {
        ASSERT_TRUE(layout.tab[s].present);
        EXPECT_EQ(layout.tab[s].x, xs[s]) << s;
        EXPECT_EQ(layout.tab[s].y, 22 + 20 * s);
        EXPECT_EQ(layout.tab[s].fret, 0);
    }
    const int octaves[] = {3, 2, 2, 2, 1, 1};
    const bool shown[] = {true, true, false, false, true, false};
    const char* names[] = {"E ", "B ", "G ", "D ", "A ", "E "};
    for (int s = 0; s < STRING_COUNT; ++s) {
        ASSERT_TRUE(layout.mml[s].present);
        EXPECT_EQ(layout.mml[s].y, 28 + 20 * s);
        EXPECT_EQ(layout.mml[s].octave, octaves[s]) << s;
        EXPECT_EQ(layout.mml[s].showOctave, shown[s]) << s;
        EXPECT_STREQ(noteName[layout.mml[s].pitchClass], names[s]) << s;
    }
}

TEST(TabMmlLayout, SilentStringRestartsTheColumnsButNotTheOctave) {
    Guitar g = OpenStandard();
    g.frets[2] = SILENT;
    g.frets[3] = 10; // D string at 10 = C, octave 3 again after the B of octave 2
    g.updateStringNotes();
    const TabMmlLayout layout = layoutTabMml(g);
    EXPECT_EQ(layout.tab[0].x, 50);
    EXPECT_EQ(layout.tab[1].x, 65);
    EXPECT_FALSE(layout.tab[2].present);
    EXPECT_EQ(layout.tab[3].x, 50);
    EXPECT_EQ(layout.tab[4].x, 65);
    EXPECT_FALSE(layout.mml[2].present);
    EXPECT_TRUE(layout.mml[3].showOctave);
    EXPECT_EQ(layout.mml[3].octave, 3);
}

TEST(PianoRoll, BarRowFollowsThePitchAndTheScroll) {
    EXPECT_EQ(pianoBarY(71, 0), 0);    // MIDI 107 on the top row
    EXPECT_EQ(pianoBarY(28, 200), 58); // open first string at the start scroll
    EXPECT_EQ(pianoBarY(0, 0), 426);   // MIDI 36 at the bottom of the strip
}

} // namespace
} // namespace cadenzo
