#include "views/roll_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadenzo {
namespace {

// Per string: tab x (0 when absent), note name, octave, octave shown.
std::vector<std::string> Describe(const TabMmlLayout& layout) {
    std::vector<std::string> rows;
    for (int s = 0; s < STRING_COUNT; ++s) {
        const auto& tab = layout.tab[s];
        const auto& mml = layout.mml[s];
        EXPECT_EQ(tab.present, mml.present);
        EXPECT_TRUE(!tab.present || (tab.y == 22 + 20 * s && mml.y == 28 + 20 * s)) << s;
        rows.push_back(!tab.present ? "-"
                                    : std::to_string(tab.x) + noteName[mml.pitchClass] +
                                          std::to_string(mml.octave) + (mml.showOctave ? "!" : ""));
    }
    return rows;
}

TEST(TabMmlLayout, ColumnsAlternateAndEachOctaveIsWrittenOnceASilentStringRestartsTheColumns) {
    Guitar g;
    g.setTuning(standardTuning);
    g.updateStringNotes();
    EXPECT_EQ(Describe(layoutTabMml(g)),
              (std::vector<std::string>{"50E 3!", "65B 2!", "50G 2", "65D 2", "50A 1!", "65E 1"}));
    g.frets[2] = SILENT;
    g.frets[3] = 10; // D string at 10 = C, octave 3 again after the B of octave 2
    g.updateStringNotes();
    EXPECT_EQ(Describe(layoutTabMml(g)),
              (std::vector<std::string>{"50E 3!", "65B 2!", "-", "50C 3!", "65A 1!", "50E 1"}));
}

TEST(PianoRoll, BarRowFollowsThePitchAndTheScroll) {
    EXPECT_EQ(pianoBarY(71, 0), 0);    // MIDI 107 on the top row
    EXPECT_EQ(pianoBarY(28, 200), 58); // open first string at the start scroll
    EXPECT_EQ(pianoBarY(0, 0), 426);   // MIDI 36 at the bottom of the strip
}

} // namespace
} // namespace cadenzo
