#pragma once

#include "sound/midi_port.h"
#include "sound/timer.h"

#include <atomic>
#include <cstdint>

namespace cadenzo {

struct Guitar;

// Bits of strokeMode.
inline constexpr std::uint8_t STROKE_DOWN = 1;    // sixth string first
inline constexpr std::uint8_t STROKE_SILENCE = 2; // allNoteOff when the stroke ends
// Time between two strings of a stroke when the timer allows it.
inline constexpr std::uint32_t STROKE_PERIOD_MS = 37;

// The stroke buttons: one string of the held chord per timer tick, lowest string first for a down
// stroke, highest first for an up stroke, then the timer stops on the seventh tick.
// Thread rules: strokeTick runs on the timer thread; everything else on the window thread. The
// tick reads the guitar and the MIDI setup while the window thread may change them, so a fret
// changed mid-stroke is heard by the strings still to come.
class Strummer {
public:
    Strummer(Timer& timer, MidiPort& port, const Guitar& guitar)
        : timer_(timer), port_(port), guitar_(guitar) {}
    // A stroke still running when the program ends is stopped, and a last tick already ending
    // it is waited for: its ticks would otherwise reach a strummer, port and guitar that are gone.
    // Never called from the strummer's own tick.
    ~Strummer();
    Strummer(const Strummer&) = delete;
    Strummer& operator=(const Strummer&) = delete;

    // Starts a stroke with strokeMode `mode` unless one is running (the request is then dropped).
    void startStroke(std::uint8_t mode);
    // The timer callback; `user` is the Strummer.
    static void strokeTick(void* user);

    enum class Direction { Down, Up }; // Down sounds the sixth string first
    // OnRelease: the strings ring until release(). AtStrokeEnd: the stroke silences them
    // itself once its last string has sounded (what the right mouse button does).
    enum class Release { OnRelease, AtStrokeEnd };
    // Silences what still sounds, then strokes the six strings.
    void strum(Direction direction, Release release);
    // The stroke button is let go: a stroke still sounding strings silences itself when it
    // ends, otherwise the notes are silenced at once.
    void release();
    void mute();

    // Any thread.
    std::uint32_t strokePeriod() const { return strokePeriod_.load(); }
    std::uint32_t strokeTimerId() const { return strokeTimerId_.load(); }
    std::uint8_t strokeStep() const { return Step(state_.load()); }
    std::uint8_t strokeMode() const { return Mode(state_.load()); }
    bool running() const { return strokeTimerId() != 0 || strokePeriod() != 0; }

private:
    // strokeStep in the low byte, strokeMode in the high byte of one atomic word: the release
    // handler's "still sounding? then silence at the end" is one compare-and-swap, so the seventh
    // tick either sees the silence bit or the release sees the stroke finished, never neither.
    static std::uint8_t Step(std::uint16_t state) { return state & 0xFF; }
    static std::uint8_t Mode(std::uint16_t state) { return state >> 8; }
    static std::uint16_t State(std::uint8_t step, std::uint8_t mode) {
        return static_cast<std::uint16_t>(step | (mode << 8));
    }
    void Tick();

    Timer& timer_;
    MidiPort& port_;
    const Guitar& guitar_;
    std::atomic<std::uint32_t> strokePeriod_{0};
    std::atomic<std::uint32_t> strokeTimerId_{0};
    std::atomic<std::uint16_t> state_{0}; // step 0 at start; 6 after every finished stroke
    std::atomic<bool> ending_{false};     // the stroke's last tick is running
};

} // namespace cadenzo
