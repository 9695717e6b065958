// The built-in synthesizer's audio output closed after a quiet time and opened again by a strum,
// over a real audio driver (argument 1: pulseaudio, pipewire or alsa; the sound server the
// environment names; argument 2: the least time in ms the output stays closed). For each stroke:
// how much later than the frame of its due time (where a running output puts it) its first
// string was placed, which is the extra delay of the first note after a pause; how long the
// reopened output took to ask for its first period, and for its second, which a blocking driver
// asks for once the server has read the first; and the spacing of the strings' frames, which
// should stay 37 ms. Strokes into a running output, taken in turn with the others, are the
// reference. Reports figures only.
#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_out.h"
#include "sound/strum.h"
#include "stand_in_audio.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

using namespace cadenzo;

namespace {

constexpr int ROUNDS = 50;
constexpr std::uint8_t STRINGS[6] = {40, 45, 50, 55, 59, 64}; // an open E minor, low to high

struct Period {
    std::int64_t first;
    std::int64_t ns;
};
struct Placed {
    std::uint32_t message;
    std::int64_t dueNs;
    std::int64_t frame;
    std::int64_t dueFrame;
};

// Keeps what the audio thread reports, in arrays allocated up front.
struct Recorder : FluidMidiOut::Observer {
    std::vector<Period> periods = std::vector<Period>(1 << 20);
    std::vector<Placed> messages = std::vector<Placed>(1 << 16);
    std::atomic<std::size_t> periodCount{0}, placedCount{0};
    void period(std::int64_t first, int, std::int64_t ns) override {
        if (const std::size_t n = periodCount; n < periods.size())
            periods[n] = {first, ns}, periodCount = n + 1;
    }
    void placed(std::uint32_t message, std::int64_t dueNs, std::int64_t frame,
                std::int64_t dueFrame) override {
        if (const std::size_t n = placedCount; n < messages.size())
            messages[n] = {message, dueNs, frame, dueFrame}, placedCount = n + 1;
    }
    // When frame `frame` was asked for: its period's time plus its place in the period.
    double heardNs(std::int64_t frame, double rate) const {
        const auto end = periods.begin() + static_cast<std::ptrdiff_t>(periodCount.load());
        const auto after =
            std::upper_bound(periods.begin(), end, frame,
                             [](std::int64_t f, const Period& p) { return f < p.first; });
        if (after == periods.begin())
            return 0;
        const Period& p = *(after - 1);
        return static_cast<double>(p.ns) + static_cast<double>(frame - p.first) * 1e9 / rate;
    }
};

void Print(const char* what, std::vector<double> values) {
    if (values.empty())
        return (void)std::printf("%-50s no values\n", what);
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min(values.size() - 1,
                               static_cast<std::size_t>(std::ceil(q * values.size())) - 1)];
    };
    std::printf("%-50s n=%3zu  min %7.2f  p50 %7.2f  p99 %7.2f  max %7.2f (ms)\n", what,
                values.size(), values.front(), at(0.5), at(0.99), values.back());
}

// Six strings STROKE_PERIOD_MS apart from now, each sent at its due time; all silenced 400 ms
// on. Returns the first string's due time.
std::int64_t Strum(FluidMidiOut& synth) {
    const std::int64_t start = bench::NowNs();
    for (int s = 0; s < 6; ++s) {
        const std::int64_t due = start + std::int64_t{s} * STROKE_PERIOD_MS * 1'000'000;
        bench::SleepUntil(due);
        synth.shortMsgAt(packShortMsg(0x90, STRINGS[s], 96), due);
    }
    bench::SleepUntil(start + 400'000'000);
    for (const std::uint8_t key : STRINGS)
        synth.shortMsgAt(packShortMsg(0x80, key, 0), bench::NowNs());
    synth.shortMsgAt(packShortMsg(0xB0, 120, 0), bench::NowNs()); // all sound off
    return start;
}

} // namespace

int main(int argc, char** argv) {
    const std::string driver = argc > 1 ? argv[1] : "pulseaudio";
    // How long the output stays closed before a stroke, at least: long enough for the sound
    // server to suspend its idle device, as desktops have it do after a few seconds.
    const int settle = argc > 2 ? std::atoi(argv[2]) : 20;
    Recorder recorder;
    FluidMidiOut::Options options;
    options.drivers = {driver};
    options.pauseAfterQuietSeconds = 8;
    FluidMidiOut synth(options);
    synth.observe(&recorder);
    if (synth.open(0) != MidiStatus::Ok) {
        std::printf("The built-in synthesizer did not open on %s:\n%s\n", driver.c_str(),
                    synth.openFailure().c_str());
        return 1;
    }
    synth.shortMsg(packShortMsg(0xC0, 24, 0)); // nylon guitar
    std::printf("Built-in synthesizer on %s, %.1f ms from message to sound; output closed after "
                "%.1f s of quiet; %d strokes into a running output, %d that open it again\n",
                synth.driver().c_str(), synth.latencyMs(), options.pauseAfterQuietSeconds, ROUNDS,
                ROUNDS);

    // Each stroke's first due time, and whether it opened the output again.
    std::vector<std::pair<std::int64_t, bool>> strokes;
    std::mt19937 random(1);
    for (int round = 0; round < 2 * ROUNDS; ++round) {
        const bool afterPause = round % 2 == 1;
        if (afterPause) {
            const std::uint64_t pauses = synth.outputPauses();
            while (synth.outputPauses() == pauses)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(settle + random() % 200));
        } else { // silent again (the synthesizers no longer render), the output still open;
            // first past the frames the stroke before was placed at, however late a server is
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            for (std::int64_t rendered = -1; rendered != synth.synthesizedFrames();) {
                rendered = synth.synthesizedFrames();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200));
        }
        strokes.emplace_back(Strum(synth), afterPause);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(3000)); // all placed, however slow

    // Per stroke: how much later than in a running output its first string was placed, how long
    // after it was sent the output asked for its first period, and the strings' spacing.
    std::vector<double> extraRunning, extraPaused, reopen, serverRead, spacingRunning,
        spacingPaused;
    const auto periodsEnd =
        recorder.periods.begin() + static_cast<std::ptrdiff_t>(recorder.periodCount.load());
    for (const auto& [start, afterPause] : strokes) {
        std::vector<const Placed*> notes;
        for (std::size_t i = 0; i < recorder.placedCount && notes.size() < 6; ++i)
            if (const Placed& p = recorder.messages[i];
                (p.message & 0xF0) == 0x90 && (p.message >> 16 & 0x7F) == 96 && p.dueNs >= start &&
                p.dueNs < start + 250'000'000)
                notes.push_back(&p);
        if (notes.size() < 6)
            continue;
        const double ms = 1000 / options.sampleRate;
        (afterPause ? extraPaused : extraRunning)
            .push_back(static_cast<double>(notes[0]->frame - notes[0]->dueFrame) * ms);
        for (std::size_t s = 1; s < 6; ++s)
            (afterPause ? spacingPaused : spacingRunning)
                .push_back(static_cast<double>(notes[s]->frame - notes[s - 1]->frame) * ms -
                           STROKE_PERIOD_MS);
        const auto first = std::find_if(recorder.periods.begin(), periodsEnd,
                                        [&](const Period& p) { return p.ns > notes[0]->dueNs; });
        if (afterPause && first + 1 < periodsEnd) {
            reopen.push_back(static_cast<double>(first->ns - notes[0]->dueNs) / 1e6);
            serverRead.push_back(static_cast<double>((first + 1)->ns - notes[0]->dueNs) / 1e6);
        }
    }
    Print("first string placed later than due, running", extraRunning);
    Print("first string placed later than due, reopened", extraPaused);
    Print("  sent to the reopened output's first period", reopen);
    Print("  sent to its second (the server has read the first)", serverRead);
    Print("string spacing - 37 ms, running output", spacingRunning);
    Print("string spacing - 37 ms, stroke that reopened it", spacingPaused);
    std::printf("output closed %llu times, %llu messages lost\n",
                static_cast<unsigned long long>(synth.outputPauses()),
                static_cast<unsigned long long>(synth.droppedMessages()));
    return 0;
}
