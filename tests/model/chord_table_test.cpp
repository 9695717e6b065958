#include "model/chords.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace cadenzo {
namespace {

constexpr std::uint8_t x = SILENT;

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

struct PrintedRow {
    int chord1, chord2;
    Frets low, middle, high;
};

// Root C, every type, as the dictionary was first written, but for the corrected C mb5 H.
const PrintedRow printedC[] = {
    {1, 0, {0, 1, 0, 2, 3, 0}, {3, 5, 5, 5, 3, 3}, {8, 8, 9, 10, 10, 8}},
    {1, 1, {3, 4, 5, 5, 3, 3}, {8, 8, 8, 10, 10, 8}, {11, 13, 12, 10, 10, x}},
    {1, 2, {3, 1, 2, 2, x, x}, {5, 5, 5, 5, 3, 3}, {x, 10, 9, 10, 10, x}},
    {1, 3, {3, 1, 2, 1, 3, x}, {5, 4, 5, 5, x, x}, {8, 10, 8, 10, 10, 8}},
    {1, 4, {x, 1, 3, 2, 3, x}, {3, 5, 3, 5, 3, 3}, {8, 8, 9, 8, 10, 8}},
    {1, 5, {3, 4, 3, 5, 3, 3}, {8, 8, 8, 8, 10, 8}, {11, 11, 12, 10, 10, x}},
    {1, 6, {3, 5, 4, 5, 3, 3}, {8, 8, 9, 9, 10, 8}, {7, 8, 9, 10, x, x}},
    {1, 7, {3, 4, 4, 5, 3, 3}, {8, 8, 8, 9, 10, 8}, {11, 12, 12, 10, 10, x}},
    {1, 8, {x, 4, 3, 4, 3, x}, {x, 7, 8, 8, x, 8}, {11, 11, 11, 10, x, x}},
    {1, 9, {3, 6, 5, 5, 3, 3}, {8, 8, 10, 10, 10, 8}, {13, 13, 12, 10, 10, x}},
    {1, 10, {3, 6, 3, 5, 3, 3}, {8, 8, 10, 8, 10, 8}, {13, 11, 12, 10, 10, x}},
    {1, 11, {x, 4, 5, 4, 3, x}, {x, 7, 5, 4, 6, x}, {11, 13, 11, 10, x, x}},
    {1, 12, {2, 1, 2, 1, x, x}, {2, 4, 2, 4, 3, 2}, {x, 4, 5, 4, x, 5}},
    {1, 13, {x, 1, 1, 2, 3, 4}, {4, 1, 1, 2, 3, x}, {4, 5, 5, 6, x, x}},
    {1, 14, {3, 3, 3, 2, 3, x}, {3, 3, 3, 5, 3, x}, {10, 8, 9, 8, 10, 8}},
    {1, 15, {0, 0, 0, 0, 3, x}, {7, 5, 5, 5, 5, x}, {12, 12, 12, 10, 10, 10}},
    {1, 16, {3, 3, 2, 2, 3, x}, {5, 5, 5, 5, 5, x}, {8, 8, 7, 7, 7, 8}},
    {1, 17, {0, 1, 1, 0, 1, x}, {4, 3, 3, 2, 3, x}, {6, 5, 5, 6, 5, x}},
    {1, 18, {2, 3, 3, 2, 3, x}, {8, 7, 7, 8, 7, 8}, {10, 11, 9, 10, 9, x}},
    {1, 19, {3, 2, 3, 2, 3, x}, {3, 2, 3, 2, 3, x}, {6, 5, 6, 5, x, x}},
    {1, 20, {x, 4, 3, 2, 3, x}, {x, 8, 8, 8, 7, 8}, {11, 11, 9, 10, x, x}},
    {1, 21, {3, 3, 3, 1, 3, x}, {10, 8, 8, 8, 10, 8}, {11, 11, 12, 10, 10, 10}},
    {1, 22, {x, 3, 4, 1, 2, x}, {10, 8, 8, 9, 10, 8}, {10, 12, 12, 13, x, x}},
    {1, 23, {3, 3, 2, 1, 3, x}, {10, 8, 8, 7, x, 8}, {11, 10, 12, 10, 10, 10}},
};

// The low major, minor and seventh voicings of every root.
const Frets printedLow[CHORD_ROOTS][3] = {
    {{0, 1, 0, 2, 3, 0}, {3, 4, 5, 5, 3, 3}, {x, 1, 3, 2, 3, x}},
    {{1, 2, 1, 3, 4, 1}, {4, 5, 6, 6, 4, 4}, {x, 2, 4, 3, 4, x}},
    {{2, 3, 2, 4, 5, 2}, {1, 3, 2, 0, 0, x}, {x, 3, 5, 4, 5, x}},
    {{3, 4, 3, 5, 6, 3}, {2, 4, 3, 1, 1, x}, {x, 4, 6, 5, 6, x}},
    {{0, 0, 1, 2, 2, 0}, {0, 0, 0, 2, 2, 0}, {0, 0, 1, 0, 2, 0}},
    {{1, 1, 2, 3, 3, 1}, {1, 1, 1, 3, 3, 1}, {1, 1, 2, 1, 3, 1}},
    {{2, 2, 3, 4, 4, 2}, {2, 2, 2, 4, 4, 2}, {2, 2, 3, 2, 4, 2}},
    {{3, 3, 4, 5, 5, 3}, {3, 3, 3, 5, 5, 3}, {3, 3, 4, 3, 5, 3}},
    {{4, 4, 5, 6, 6, 4}, {4, 4, 4, 6, 6, 4}, {4, 4, 5, 4, 6, 4}},
    {{0, 2, 2, 2, 0, 0}, {0, 1, 2, 2, 0, 0}, {0, 2, 0, 2, 0, 0}},
    {{1, 3, 3, 3, 1, 1}, {1, 2, 3, 3, 1, 1}, {1, 3, 1, 3, 1, 1}},
    {{2, 4, 4, 4, 2, 2}, {2, 3, 4, 4, 2, 2}, {x, 0, 2, 1, 2, x}},
};

} // namespace
} // namespace cadenzo
