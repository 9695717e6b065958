#include "model/guitar.h"

#include <algorithm>

namespace cadenzo {

const std::array<const char*, 12> noteName{"C ", "C#", "D ", "D#", "E ", "F ",
                                           "F#", "G ", "G#", "A ", "A#", "B "};

const std::array<TunePreset, TUNE_PRESET_COUNT> tunePreset{{
    {"---", {0, 0, 0, 0, 0, 0}},
    {"Standard", {28, 23, 19, 14, 9, 4}},
    {"Open D", {26, 21, 18, 14, 9, 2}},
    {"Open E", {28, 23, 20, 16, 11, 4}},
    {"Open G", {26, 23, 19, 14, 7, 2}},
    {"Open A", {28, 25, 21, 16, 9, 4}},
    {"Open B", {27, 23, 18, 15, 11, 6}},
    {"Drop D", {28, 23, 19, 14, 9, 2}},
    {"DADGAD", {26, 21, 19, 14, 9, 2}},
    {"Bass 4", {43, 38, 33, 28, 0, 0}},
    {"Bass High C", {48, 43, 38, 33, 28, 0}},
    {"Bass High B", {48, 43, 38, 33, 28, 0}},
    {"Bass lo B", {43, 38, 33, 28, 23, 0}},
    {"Bass 6", {48, 43, 38, 33, 28, 23}},
}};

std::string pitchText(int value) {
    return std::string(noteName[static_cast<std::size_t>(value % 12)]) +
           std::to_string(value / 12 + 1);
}

Frets Guitar::currentFrets() const {
    Frets out{};
    for (int s = 0; s < STRING_COUNT; ++s)
        out[s] = frets[s];
    return out;
}

void Guitar::setFrets(const Frets& values) {
    for (int s = 0; s < STRING_COUNT; ++s)
        frets[s] = values[s];
}

Frets Guitar::tunings() const {
    Frets out{};
    for (int s = 0; s < STRING_COUNT; ++s)
        out[s] = tuning[s];
    return out;
}

void Guitar::setTuning(const Frets& values) {
    for (int s = 0; s < STRING_COUNT; ++s)
        tuning[s] = values[s];
}

void Guitar::updateStringNotes() {
    for (int s = 0; s < STRING_COUNT; ++s)
        stringNote[s] = static_cast<std::uint8_t>(frets[s] + tuning[s]);
}

void Guitar::clampFrets() {
    for (auto& f : frets)
        if (f > NECK_FRETS)
            f = SILENT;
}

void Guitar::clearFrets() {
    for (auto& f : frets)
        f = SILENT;
}

void Guitar::findNeckPos() {
    int limit = 22 - neckSpan;
    for (const auto& f : frets) {
        const int fret = f;
        if (fret != 0 && fret < limit) {
            neckPos = static_cast<std::uint8_t>(fret);
            limit = fret;
        }
    }
    showFrettedNotes();
}

void Guitar::showFrettedNotes() {
    int lowest = NECK_FRETS + 1, highest = 0;
    for (const auto& f : frets) {
        const int fret = f;
        if (fret != 0 && fret <= NECK_FRETS) {
            lowest = std::min(lowest, fret);
            highest = std::max(highest, fret);
        }
    }
    if (neckSpan == 0 || highest == 0)
        return;
    int pos = neckPos;
    if (highest >= pos + neckSpan)
        pos = highest - neckSpan + 1;
    pos = std::clamp(std::min(pos, lowest), 1, std::max(1, NECK_FRETS - int{neckSpan}));
    neckPos = static_cast<std::uint8_t>(pos);
}

void Guitar::moveNeck(std::uint8_t newPos, bool positionLock) {
    const int delta = int{newPos} - int{neckPos};
    if (!positionLock) {
        for (auto& f : frets)
            if (f != 0 && f != SILENT)
                f = static_cast<std::uint8_t>(f + delta);
    }
    neckPos = newPos;
}

int Guitar::resizeNeck(int neckScreenWidth) {
    // Round((width - 8) / 50), a half going to the even neighbour: a fretboard of 283 pixels
    // shows 6 columns, and so does one of 333.
    const int span = std::max(0, neckScreenWidth - 8);
    int columns = span / 50;
    const int twiceRest = 2 * (span % 50);
    if (twiceRest > 50 || (twiceRest == 50 && columns % 2 == 1))
        ++columns;
    neckSpan = static_cast<std::uint8_t>(std::min(columns, 255));
    const int barMax = NECK_FRETS - neckSpan;
    // The scroll bar's minimum is 1: a fretboard wider than the 24 frets keeps the neck at fret 1
    // instead of wrapping the byte below zero.
    if (neckPos + neckSpan > NECK_FRETS)
        neckPos = static_cast<std::uint8_t>(std::max(1, barMax));
    clampFrets();
    showFrettedNotes();
    return barMax;
}

} // namespace cadenzo
