#include "fretboard/fretboard_controller.h"

#include "model/user_chords.h"
#include "sound/midi_port.h"

#include <algorithm>

namespace cadenzo {

namespace {

// The hit test reports NO_STRING for a press above or below the string rows.
bool isString(std::uint8_t string) {
    return string < STRING_COUNT;
}

} // namespace

FretboardController::FretboardController(Guitar& guitar, const UserChordTable& userChords,
                                         MidiPort& port)
    : guitar_(guitar), userChords_(userChords), port_(port) {}

void FretboardController::reportChordLists(GuitarChange& change, ChordSelection shown) {
    if (shown != shownChord_)
        change.chordLists = shown;
    shownChord_ = shown;
}

void FretboardController::reportUserChord(GuitarChange& change, int index) {
    if (index != shownUserChord_)
        change.userChord = index;
    shownUserChord_ = index;
}

void FretboardController::nameChord(GuitarChange& change, bool recognise, bool matchUser) {
    if (recognise)
        reportChordLists(change, recognizeChord(guitar_, switches.chordSearch, shownChord_));
    if (matchUser)
        reportUserChord(change, matchUserChord(userChords_, guitar_));
}

void FretboardController::fretsChanged(GuitarChange& change) {
    guitar_.updateStringNotes();
    change.neck = true;
    change.roll = true;
}

void FretboardController::sound(std::uint8_t string) {
    if (isString(string) && guitar_.frets[string] != SILENT)
        port_.soundString(guitar_, string);
}

GuitarChange FretboardController::pressNeck(std::uint8_t string, int column, NeckButton button) {
    GuitarChange change;
    if (button == NeckButton::Left) {
        port_.allNoteOff();
        if (isString(string))
            guitar_.frets[string] = static_cast<std::uint8_t>(guitar_.neckPos + column);
        nameChord(change, true, true);
        fretsChanged(change);
    }
    if (switches.playOnSetting || button == NeckButton::Right)
        sound(string);
    return change;
}

void FretboardController::pluckString(std::uint8_t string) {
    sound(string);
}

GuitarChange FretboardController::pressOpenStrip(std::uint8_t string, NeckButton button) {
    GuitarChange change;
    if (isString(string)) {
        if (button == NeckButton::Left) {
            guitar_.frets[string] = 0;
            guitar_.updateStringNotes();
            sound(string);
        } else {
            guitar_.frets[string] = SILENT;
        }
    }
    nameChord(change, true, true);
    fretsChanged(change);
    return change;
}

void FretboardController::silence() {
    port_.allNoteOff();
}

GuitarChange FretboardController::scrollNeck(int position) {
    GuitarChange change;
    port_.allNoteOff();
    guitar_.moveNeck(static_cast<std::uint8_t>(position), switches.positionLock);
    nameChord(change, true, true);
    guitar_.clampFrets();
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::resizeNeck(int neckScreenWidth) {
    GuitarChange change;
    const Frets before = guitar_.currentFrets();
    const int barMax = guitar_.resizeNeck(neckScreenWidth);
    change.neckBarMaximum = std::max(1, barMax);
    change.neckScrollBar = guitar_.neckPos;
    change.neck = true;
    // Frets beyond a narrower neck fall silent; the roll view must not keep showing them.
    if (guitar_.currentFrets() != before)
        fretsChanged(change);
    return change;
}

GuitarChange FretboardController::chooseChord(ChordSelection shown) {
    GuitarChange change;
    shownChord_ = shown;
    change.neckScrollBar = applyChord(guitar_, shown);
    // The lists name the chord already: only the user chords are matched.
    nameChord(change, false, true);
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::choosePosition(int position) {
    guitar_.chordPos = static_cast<std::uint8_t>(position);
    return chooseChord(shownChord_);
}

GuitarChange FretboardController::recallUserChord(int index) {
    GuitarChange change;
    reportUserChord(change, index);
    int chord1 = shownChord_.chord1;
    int chord2 = shownChord_.chord2;
    if (applyUserChord(userChords_, index, guitar_, chord1, chord2))
        userChordApplied(change, {chord1, chord2});
    return change;
}

GuitarChange FretboardController::typeKey(char32_t typed) {
    GuitarChange change;
    int index = shownUserChord_;
    int chord1 = shownChord_.chord1;
    int chord2 = shownChord_.chord2;
    const bool applied = userChordKeyPress(userChords_, typed, index, guitar_, chord1, chord2);
    reportUserChord(change, index);
    if (applied)
        userChordApplied(change, {chord1, chord2});
    return change;
}

void FretboardController::userChordApplied(GuitarChange& change, ChordSelection cleared) {
    // A user chord clears the chord lists; recognition may then name it from the table. The user
    // chord list already shows it, so it is not matched again.
    reportChordLists(change, recognizeChord(guitar_, switches.chordSearch, cleared));
    change.neckScrollBar = guitar_.neckPos;
    fretsChanged(change);
}

GuitarChange FretboardController::clear() {
    GuitarChange change;
    guitar_.clearFrets();
    nameChord(change, true, true);
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::changeTuning(const Frets& tuning) {
    GuitarChange change;
    guitar_.setTuning(tuning);
    guitar_.updateStringNotes();
    change.roll = true;
    return change;
}

GuitarChange FretboardController::takeNewFrets() {
    GuitarChange change;
    nameChord(change, true, true);
    change.neckScrollBar = guitar_.neckPos;
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::refreshNotes() {
    GuitarChange change;
    guitar_.updateStringNotes();
    change.roll = true;
    return change;
}

} // namespace cadenzo
