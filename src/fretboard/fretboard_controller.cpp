#include "fretboard/fretboard_controller.h"

#include "model/user_chords.h"
#include "sound/midi_port.h"

#include <algorithm>

namespace cadenzo {

namespace {

// The hit test reports NO_STRING for a press above or below the string rows.
bool IsString(std::uint8_t string) {
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

void FretboardController::nameChord(GuitarChange& change, bool recognise, bool matchUserChord) {
    if (recognise)
        reportChordLists(change, RecognizeChord(guitar_, switches.chordSearch, shownChord_));
    if (matchUserChord)
        reportUserChord(change, MatchUserChord(userChords_, guitar_));
}

void FretboardController::fretsChanged(GuitarChange& change) {
    guitar_.UpdateStringNotes();
    change.neck = true;
    change.roll = true;
}

void FretboardController::sound(std::uint8_t string) {
    if (IsString(string) && guitar_.flet[string] != SILENT)
        port_.SoundString(guitar_, string);
}

GuitarChange FretboardController::pressNeck(std::uint8_t string, int column, NeckButton button) {
    GuitarChange change;
    if (button == NeckButton::Left) {
        port_.AllNoteOff();
        if (IsString(string))
            guitar_.flet[string] = static_cast<std::uint8_t>(guitar_.neckPos + column);
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
    if (IsString(string)) {
        if (button == NeckButton::Left) {
            guitar_.flet[string] = 0;
            guitar_.UpdateStringNotes();
            sound(string);
        } else {
            guitar_.flet[string] = SILENT;
        }
    }
    nameChord(change, true, true);
    fretsChanged(change);
    return change;
}

void FretboardController::silence() {
    port_.AllNoteOff();
}

GuitarChange FretboardController::scrollNeck(int position) {
    GuitarChange change;
    port_.AllNoteOff();
    guitar_.MoveNeck(static_cast<std::uint8_t>(position), switches.positionLock);
    nameChord(change, true, true);
    guitar_.ClampFlets();
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::resizeNeck(int neckScreenWidth) {
    GuitarChange change;
    const Frets before = guitar_.frets();
    const int barMax = guitar_.ResizeNeck(neckScreenWidth);
    change.neckBarMaximum = std::max(1, barMax);
    change.neckBar = guitar_.neckPos;
    change.neck = true;
    // Frets beyond a narrower neck fall silent; the roll view must not keep showing them.
    if (guitar_.frets() != before)
        fretsChanged(change);
    return change;
}

GuitarChange FretboardController::chooseChord(ChordSelection shown) {
    GuitarChange change;
    shownChord_ = shown;
    change.neckBar = ApplyChord(guitar_, shown);
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
    if (ApplyUserChord(userChords_, index, guitar_, chord1, chord2))
        userChordApplied(change, {chord1, chord2});
    return change;
}

GuitarChange FretboardController::typeKey(char32_t typed) {
    GuitarChange change;
    int index = shownUserChord_;
    int chord1 = shownChord_.chord1;
    int chord2 = shownChord_.chord2;
    const bool applied = UserChordKeyPress(userChords_, typed, index, guitar_, chord1, chord2);
    reportUserChord(change, index);
    if (applied)
        userChordApplied(change, {chord1, chord2});
    return change;
}

void FretboardController::userChordApplied(GuitarChange& change, ChordSelection cleared) {
    // A user chord clears the chord lists; recognition may then name it from the table. The user
    // chord list already shows it, so it is not matched again.
    reportChordLists(change, RecognizeChord(guitar_, switches.chordSearch, cleared));
    change.neckBar = guitar_.neckPos;
    fretsChanged(change);
}

GuitarChange FretboardController::clear() {
    GuitarChange change;
    guitar_.ClearFlets();
    nameChord(change, true, true);
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::changeTuning(const Frets& tuning) {
    GuitarChange change;
    guitar_.setTuning(tuning);
    guitar_.UpdateStringNotes();
    change.roll = true;
    return change;
}

GuitarChange FretboardController::takeNewFrets() {
    GuitarChange change;
    nameChord(change, true, true);
    change.neckBar = guitar_.neckPos;
    fretsChanged(change);
    return change;
}

GuitarChange FretboardController::refreshNotes() {
    GuitarChange change;
    guitar_.UpdateStringNotes();
    change.roll = true;
    return change;
}

} // namespace cadenzo
