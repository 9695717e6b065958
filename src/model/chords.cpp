#include "model/chords.h"

namespace cadenzo {

const std::array<const char*, CHORD1_ITEMS> chord1Items{" --", " C", " C#", " D", " D#", " E", " F",
                                                        " F#", " G", " G#", " A", " A#", " B"};

const std::array<const char*, CHORD_TYPES> chord2Items{
    " M",    " m",    " 6",     " m6",  " 7",   " m7",  " Maj7", " mMaj7",
    " m7b5", " sus4", " 7sus4", " mb5", " dim", " aug", " 9",    " M9",
    " 69",   " 9#5",  " 9b5",   " 7b9", " 7#9", " m9",  " mM9",  " m69 "};

namespace {

bool inRange(int value, int count) {
    return value >= 0 && value < count;
}

// The item text without its leading blank and any trailing one.
std::string ItemText(const char* item) {
    std::string text(item + 1);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool Sounds(const Guitar& guitar, const Frets& voicing) {
    for (int s = 0; s < STRING_COUNT; ++s) {
        const int fret = guitar.frets[s];
        const int entry = voicing[s];
        if (fret == SILENT && entry == SILENT)
            continue;
        if (fret + guitar.tuning[s] - standardTuning[s] != entry)
            return false;
    }
    return true;
}

} // namespace

Frets tunedVoicing(int root, int type, int position, const Frets& tuning) {
    const Frets& voicing = chordTable[root][type][position];
    Frets out{};
    for (int s = 0; s < STRING_COUNT; ++s) {
        const int fret = voicing[s] + standardTuning[s] - tuning[s];
        out[s] = voicing[s] == SILENT || fret < 0 ? SILENT : static_cast<std::uint8_t>(fret);
    }
    return out;
}

std::uint8_t applyChord(Guitar& guitar, ChordSelection shown) {
    const int root = shown.chord1 - 1;
    if (!inRange(root, CHORD_ROOTS) || !inRange(shown.chord2, CHORD_TYPES) ||
        !inRange(guitar.chordPos, CHORD_POSITIONS))
        return guitar.neckPos;
    guitar.setFrets(tunedVoicing(root, shown.chord2, guitar.chordPos, guitar.tunings()));
    guitar.findNeckPos();
    return guitar.neckPos;
}

ChordSelection recognizeChord(const Guitar& guitar, bool chordSearch, ChordSelection shown) {
    if (!chordSearch)
        return shown;
    shown.chord1 = 0;
    for (int r = 0; r < CHORD_ROOTS; ++r)
        for (int t = 0; t < CHORD_TYPES; ++t)
            for (int p = 0; p < CHORD_POSITIONS; ++p)
                if (Sounds(guitar, chordTable[r][t][p])) {
                    shown.chord1 = r + 1;
                    shown.chord2 = t;
                }
    return shown;
}

std::string chordName(ChordSelection shown) {
    if (!inRange(shown.chord1 - 1, CHORD_ROOTS))
        return "--";
    std::string name = ItemText(chord1Items[shown.chord1]);
    if (shown.chord2 != 0 && inRange(shown.chord2, CHORD_TYPES))
        name += ItemText(chord2Items[shown.chord2]);
    return name;
}

} // namespace cadenzo
