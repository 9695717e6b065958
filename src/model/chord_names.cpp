#include "model/chord_names.h"

#include "model/chords.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace cadenzo {

namespace {

// Every spelling taken for each Chord2 item, the list's own first. The table's " dim" voicings
// hold the diminished seventh, so "dim7" and "°7" name it too.
struct TypeSpellings {
    int type;
    std::array<std::string_view, 7> names;
};
constexpr std::array<TypeSpellings, CHORD_TYPES> TYPE_SPELLINGS{{
    {0, {"M", "maj"}},
    {1, {"m", "min", "-"}},
    {2, {"6", "M6", "maj6"}},
    {3, {"m6", "min6", "-6"}},
    {4, {"7", "dom7"}},
    {5, {"m7", "min7", "-7"}},
    {6, {"Maj7", "maj7", "M7", "Δ7", "Δ", "ma7"}},
    {7, {"mMaj7", "mM7", "mmaj7", "m(maj7)", "minMaj7", "-Maj7", "-M7"}},
    {8, {"m7b5", "ø", "ø7", "m7-5", "min7b5", "-7b5"}},
    {9, {"sus4", "sus"}},
    {10, {"7sus4", "7sus"}},
    {11, {"mb5", "m-5", "m(b5)", "-b5"}},
    {12, {"dim", "°", "o", "dim7", "°7", "o7"}},
    {13, {"aug", "+", "+5", "#5"}},
    {14, {"9", "dom9"}},
    {15, {"M9", "Maj9", "maj9", "Δ9"}},
    {16, {"69", "6/9", "6add9"}},
    {17, {"9#5", "9+5", "aug9", "+9"}},
    {18, {"9b5", "9-5"}},
    {19, {"7b9", "7-9"}},
    {20, {"7#9", "7+9"}},
    {21, {"m9", "min9", "-9"}},
    {22, {"mM9", "mMaj9", "mmaj9", "-M9"}},
    {23, {"m69", "m6/9", "min69", "-69"}},
}};

constexpr std::array<int, 7> LETTER_PITCH{9, 11, 0, 2, 4, 5, 7}; // A B C D E F G

// A root at the front of text: its pitch class, and text moved past it; -1 when none.
int takeNote(std::string_view& text) {
    if (text.empty() || text.front() < 'A' || text.front() > 'G')
        return -1;
    int pitch = LETTER_PITCH[static_cast<std::size_t>(text.front() - 'A')];
    text.remove_prefix(1);
    static constexpr std::array<std::pair<std::string_view, int>, 4> ACCIDENTALS{
        {{"#", 1}, {"b", -1}, {"\u266F", 1}, {"\u266D", -1}}};
    for (const auto& [sign, step] : ACCIDENTALS)
        if (text.starts_with(sign)) {
            text.remove_prefix(sign.size());
            pitch += step;
            break;
        }
    return (pitch + 12) % 12;
}

int typeOf(std::string_view text) {
    if (text.empty()) // a bare root is the major triad
        return 0;
    for (const TypeSpellings& spellings : TYPE_SPELLINGS)
        for (std::string_view spelling : spellings.names)
            if (!spelling.empty() && text == spelling) // empty slots are unused
                return spellings.type;
    return -1;
}

} // namespace

std::optional<ChordSymbol> parseChordSymbol(std::string_view name) {
    ChordSymbol chord;
    chord.root = takeNote(name);
    if (chord.root < 0)
        return std::nullopt;
    // "6/9" holds a slash too: the part after the last slash is a bass only when it is a note.
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos) {
        std::string_view bass = name.substr(slash + 1);
        const int pitch = takeNote(bass);
        if (pitch >= 0 && bass.empty()) {
            chord.bass = pitch;
            name = name.substr(0, slash);
        }
    }
    chord.type = typeOf(name);
    if (chord.type < 0)
        return std::nullopt;
    return chord;
}

int lowestPitchClass(const Frets& frets, const Frets& tuning) {
    int lowest = -1;
    for (int s = 0; s < STRING_COUNT; ++s)
        if (frets[s] != SILENT) {
            const int note = stringMidiNote(frets[s], tuning[s]);
            if (lowest < 0 || note < lowest)
                lowest = note;
        }
    return lowest < 0 ? -1 : lowest % 12;
}

int positionForBass(const ChordSymbol& chord, int wanted, const Frets& tuning) {
    if (chord.bass < 0)
        return wanted;
    int best = wanted;
    int bestDistance = CHORD_POSITIONS;
    for (int p = 0; p < CHORD_POSITIONS; ++p) {
        const int distance = std::abs(p - wanted);
        if (distance < bestDistance &&
            lowestPitchClass(tunedVoicing(chord.root, chord.type, p, tuning), tuning) ==
                chord.bass) {
            best = p;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace cadenzo
