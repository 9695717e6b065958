#include "model/chords.h"

#include <gtest/gtest.h>

#include <string>

namespace cadenzo {
namespace {

// Every voicing in every tuning: silent entries stay silent, played ones keep their pitch or
// fall silent below the open string, and a voicing with nothing silenced is named after a chord
// that holds it, never an earlier one.
TEST(applyChord, EveryVoicingKeepsItsPitchesAndIsRecognizedInEveryTuning) {
    for (const auto& preset : tunePreset) {
        Guitar g;
        g.setTuning(preset.values);
        for (int r = 0; r < CHORD_ROOTS; ++r)
            for (int t = 0; t < CHORD_TYPES; ++t)
                for (int p = 0; p < CHORD_POSITIONS; ++p) {
                    SCOPED_TRACE(std::string(preset.name) + " " + std::to_string(r) + " " +
                                 std::to_string(t) + " " + std::to_string(p));
                    g.chordPos = static_cast<std::uint8_t>(p);
                    applyChord(g, {r + 1, t});
                    const Frets& entry = chordTable[r][t][p];
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
                        continue;
                    const ChordSelection named = recognizeChord(g, true, {});
                    ASSERT_GT(named.chord1, 0);
                    const auto& held = chordTable[named.chord1 - 1][named.chord2];
                    EXPECT_TRUE(held[0] == entry || held[1] == entry || held[2] == entry);
                    EXPECT_GE(named.chord1 * CHORD_TYPES + named.chord2, (r + 1) * CHORD_TYPES + t);
                }
    }
}

} // namespace
} // namespace cadenzo
