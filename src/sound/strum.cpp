#include "sound/strum.h"

#include "model/guitar.h"

#include <algorithm>
#include <thread>

namespace cadenzo {

namespace {
constexpr std::uint8_t STEPS = STRING_COUNT; // ticks that sound a string; the next one ends
} // namespace

Strummer::~Strummer() {
    if (const std::uint32_t id = strokeTimerId_.exchange(0); id != 0)
        timer_.killEvent(id);
    // The stroke's last tick takes the id itself and stops its own timer, which nobody then
    // waits for: it may still be silencing through the port. It is a short wait, and the tick
    // waits for nothing the window thread holds.
    while (ending_.load())
        std::this_thread::yield();
}

void Strummer::startStroke(std::uint8_t mode) {
    if (running())
        return;
    state_.store(State(0, mode));

    // A timer that cannot report its range still gets the stroke's own period rather than 0 ms,
    // which would fire the six strings as fast as the machine can.
    std::uint32_t period = STROKE_PERIOD_MS;
    Timer::Caps caps;
    if (timer_.getDevCaps(caps))
        period = std::min(std::max(STROKE_PERIOD_MS, caps.periodMin), caps.periodMax);
    if (period == 0)
        period = STROKE_PERIOD_MS;
    strokePeriod_.store(period);
    timer_.beginPeriod(period);

    const std::uint32_t id = timer_.setEvent(period, period, &Strummer::strokeTick, this);
    if (id == 0) {
        // No timer: nothing will sound and nothing will end the stroke, so it must not count as
        // running (every later press would be dropped). It is treated as already finished, so
        // a release silences at once.
        timer_.endPeriod(period);
        strokePeriod_.store(0);
        state_.store(State(STEPS, mode));
        return;
    }
    // The first tick comes a full period after setEvent, six periods before the one that needs
    // the id. Were this thread held up past the seventh tick, the tick after it finds the id and
    // stops the timer then.
    strokeTimerId_.store(id);
}

void Strummer::strokeTick(void* user) {
    static_cast<Strummer*>(user)->Tick();
}

void Strummer::Tick() {
    const std::uint16_t state = state_.load();
    const std::uint8_t step = Step(state);
    if (step < STEPS) {
        const int s = (Mode(state) & STROKE_DOWN) ? STEPS - 1 - step : step;
        if (guitar_.frets[s] != SILENT) {
            // A tuning value from a hand-edited settings file can take the note past 127; the
            // port drops such a note, and the string keeps its tick like a silent one.
            const MidiSetup& setup = port_.setup();
            port_.noteOut(1, setup.midiChannel, stringMidiNote(guitar_.frets[s], guitar_.tuning[s]),
                          setup.midiVelocity);
        }
        // Only the tick moves the step; the release handler only sets a mode bit.
        state_.fetch_add(1);
        return;
    }

    // With the step at 6 no release can change the mode any more: it silences by itself.
    // Marked before the id is taken, so a destructor that finds no id waits for the end.
    ending_.store(true);
    const std::uint32_t id = strokeTimerId_.exchange(0);
    if (id != 0)
        timer_.killEvent(id);
    // Silenced while the stroke still counts as running, so that a stroke started from the
    // window thread right after is never cut by this one's end.
    if (Mode(state) & STROKE_SILENCE)
        port_.allNoteOff();
    const std::uint32_t period = strokePeriod_.exchange(0);
    if (period != 0)
        timer_.endPeriod(period);
    ending_.store(false); // the last touch of this strummer
}

void Strummer::strum(Direction direction, Release release) {
    port_.allNoteOff();
    std::uint8_t mode = direction == Direction::Down ? STROKE_DOWN : 0;
    if (release == Release::AtStrokeEnd)
        mode |= STROKE_SILENCE;
    startStroke(mode);
}

void Strummer::release() {
    std::uint16_t state = state_.load();
    while (Step(state) < STEPS) {
        if (state_.compare_exchange_weak(state, State(Step(state), Mode(state) | STROKE_SILENCE)))
            return;
    }
    port_.allNoteOff();
}

void Strummer::mute() {
    port_.allNoteOff();
}

} // namespace cadenzo
