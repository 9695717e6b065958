#include "views/roll_layout.h"

namespace cadenzo {

TabMmlLayout layoutTabMml(const Guitar& guitar) {
    TabMmlLayout layout;
    // Consecutive sounding strings alternate between two columns so that two-digit frets do not
    // run into each other; a silent string starts the alternation afresh.
    int toggle = 1;
    for (int s = 0; s < STRING_COUNT; ++s) {
        toggle = 1 - toggle;
        const std::uint8_t fret = guitar.frets[s];
        if (fret == SILENT) {
            toggle = 1;
            continue;
        }
        layout.tab[s] = {true, 50 + 15 * toggle, 22 + 20 * s, fret};
    }

    int lastOctave = -1;
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (guitar.frets[s] == SILENT)
            continue;
        const int note = guitar.stringNote[s];
        const int octave = note / 12 + 1;
        layout.mml[s] = {true, 28 + 20 * s, octave, octave != lastOctave, note % 12};
        lastOctave = octave;
    }
    return layout;
}

} // namespace cadenzo
