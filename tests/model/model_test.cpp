#include "model/chords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
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

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    return text.erase(text.find_last_not_of(' ') + 1);
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

// Played entries keep their pitch or fall silent below the open string; a voicing with nothing
// silenced is named after a chord that holds it, never an earlier one.
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

// The presets as the instrument dialog names their pitches, first string first.
TEST(GuitarModel, TuningPresetsSoundTheirNamedPitches) {
    const std::map<std::string, std::string> named{
        {"---", "C 1 C 1 C 1 C 1 C 1 C 1"},         {"Standard", "E 3 B 2 G 2 D 2 A 1 E 1"},
        {"Open D", "D 3 A 2 F#2 D 2 A 1 D 1"},      {"Open E", "E 3 B 2 G#2 E 2 B 1 E 1"},
        {"Open G", "D 3 B 2 G 2 D 2 G 1 D 1"},      {"Open A", "E 3 C#3 A 2 E 2 A 1 E 1"},
        {"Open B", "D#3 B 2 F#2 D#2 B 1 F#1"},      {"Drop D", "E 3 B 2 G 2 D 2 A 1 D 1"},
        {"DADGAD", "D 3 A 2 G 2 D 2 A 1 D 1"},      {"Bass 4", "G 4 D 4 A 3 E 3 C 1 C 1"},
        {"Bass High C", "C 5 G 4 D 4 A 3 E 3 C 1"}, {"Bass High B", "C 5 G 4 D 4 A 3 E 3 C 1"},
        {"Bass lo B", "G 4 D 4 A 3 E 3 B 2 C 1"},   {"Bass 6", "C 5 G 4 D 4 A 3 E 3 B 2"}};
    ASSERT_EQ(named.size(), tunePreset.size());
    for (const TunePreset& p : tunePreset) {
        std::string text;
        for (std::uint8_t v : p.values)
            text += (text.empty() ? "" : " ") + pitchText(v);
        EXPECT_EQ(text, named.at(p.name)) << p.name;
    }
}

// Frets above 24 fall silent; a new chord brings the neck to its lowest fret below 22 - span, then
// the neck moves the least that shows every fretted note (a wider shape: its lowest), within
// 1..24 - span; w pixels show round((w - 8) / 50) columns, a half going to the even neighbour.
TEST(GuitarModel, NeckFollowsTheRulesForRandomShapesAndWidths) {
    std::mt19937 random(7);
    const auto fretted = [](const Frets& f) {
        int lo = 99, hi = 0;
        for (int v : f)
            if (v != 0 && v <= NECK_FRETS)
                lo = std::min(lo, v), hi = std::max(hi, v);
        return std::pair(lo, hi);
    };
    const auto inView = [&](const Frets& f, int pos, int span) {
        const auto [lo, hi] = fretted(f);
        if (span == 0 || hi == 0)
            return pos;
        if (hi - lo + 1 > span || lo < pos)
            pos = lo;
        else if (hi >= pos + span)
            pos = hi - span + 1;
        return std::clamp(pos, 1, std::max(1, NECK_FRETS - span));
    };
    for (int round = 0; round < 20000; ++round) {
        Guitar g;
        Frets f;
        for (auto& v : f)
            v = static_cast<std::uint8_t>(random() % 4 == 0 ? SILENT : random() % 27);
        g.setFrets(f);
        g.setTuning({static_cast<std::uint8_t>(random() % 256), 40, 0, 200, 9, 4});
        g.updateStringNotes();
        EXPECT_EQ(g.stringNote[0], static_cast<std::uint8_t>(f[0] + g.tuning[0]));
        const int width = static_cast<int>(random() % 1400);
        const int span =
            std::min(255, static_cast<int>(std::nearbyint(std::max(0, width - 8) / 50.0)));
        g.neckPos = static_cast<std::uint8_t>(1 + random() % 24);
        int pos = g.neckPos + span > NECK_FRETS ? std::max(1, NECK_FRETS - span) : g.neckPos;
        for (auto& v : f)
            v = v > NECK_FRETS ? SILENT : v;
        ASSERT_EQ(g.resizeNeck(width), NECK_FRETS - span) << width;
        ASSERT_EQ(std::tuple(int{g.neckSpan}, g.currentFrets(), int{g.neckPos}),
                  std::tuple(span, f, inView(f, pos, span)))
            << "width " << width << " round " << round;
        pos = g.neckPos;
        int lowest = 22 - span;
        for (int v : f)
            if (v != 0 && v < lowest)
                pos = lowest = v;
        g.findNeckPos();
        ASSERT_EQ(int{g.neckPos}, inView(f, pos, span)) << "round " << round;
        // A neck move carries the fretted strings along (mod 256) unless the position is locked.
        const auto to = static_cast<std::uint8_t>(random() % 30);
        const bool lock = random() % 2 == 0;
        for (auto& v : f)
            v = lock || v == 0 || v == SILENT ? v : static_cast<std::uint8_t>(v + to - g.neckPos);
        g.moveNeck(to, lock);
        ASSERT_EQ(std::pair(g.currentFrets(), g.neckPos), std::pair(f, to)) << "round " << round;
    }
}

} // namespace
} // namespace cadenzo
