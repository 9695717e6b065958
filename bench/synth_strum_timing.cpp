// Strums through the built-in synthesizer as heard in its audio: the spacing of the six onsets of
// each stroke and the delay to them, for the path that places each message at the frame of its
// send time and, in the same run, for a synthesizer that plays each message from the next period
// on (what FluidSynth's own audio driver does with an immediate note-on).
// A thread stands in for the audio driver: it asks for 128-frame periods at 48 kHz on absolute
// deadlines, so it sees the wake-up lateness of a real audio thread. Each string goes to a
// synthesizer of its own, so that every onset rises from silence and is found exactly.
// Also: the cost of the staggered synthesizers (open time, memory, render time with effects).
// Reports figures only.
#include "model/guitar.h"
#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/fluidsynth/timed_synth.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/strum.h"
#include "stand_in_audio.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace cadenzo;

namespace {

constexpr int STROKES = 100;
constexpr int PERIOD = 128;
constexpr double RATE = 48000;
constexpr double NS_PER_FRAME = 1e9 / RATE;
constexpr float AUDIBLE = 1e-4f;
constexpr int SILENCE = 480; // frames of silence before an onset counts (10 ms)

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Print(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%-46s no values\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min(values.size() - 1,
                               static_cast<std::size_t>(std::ceil(q * values.size())) - 1)];
    };
    std::printf("%-46s n=%4zu  p50 %7.3f  p99 %7.3f  max %7.3f  (ms)\n", what, values.size(),
                at(0.5), at(0.99), values.back());
}

// Finds onsets (an audible frame after SILENCE quiet ones) in one synthesizer's output.
struct OnsetFinder {
    std::int64_t quiet = 0;
    std::vector<std::int64_t> onsets;
    void feed(const float* left, int frames, std::int64_t first) {
        for (int i = 0; i < frames; ++i) {
            if (std::fabs(left[i]) <= AUDIBLE) {
                ++quiet;
                continue;
            }
            if (quiet >= SILENCE)
                onsets.push_back(first + i);
            quiet = 0;
        }
    }
};

// One string: its note through both paths, each on a synthesizer of its own.
struct Stem {
    int note = 0;
    FluidMidiOut timed;
    FluidMidiOut plain;
    OnsetFinder timedOnsets;
    OnsetFinder plainOnsets;
    std::int64_t lead = 0; // frames from a note-on on a block boundary to its onset
    explicit Stem(const FluidMidiOut::Options& options) : timed(options), plain(options) {}
};

// The strummer's messages, each string's to its stems, with the send time of every note-on.
struct Tee : MidiOut {
    std::vector<std::unique_ptr<Stem>>& stems;
    std::mutex mutex;
    std::vector<std::pair<int, std::int64_t>> noteOns; // stem, send time
    explicit Tee(std::vector<std::unique_ptr<Stem>>& s) : stems(s) {}
    MidiStatus open(unsigned) override { return MidiStatus::Ok; }
    void shortMsg(std::uint32_t message) override {
        std::lock_guard lock(mutex);
        const int kind = message & 0xF0;
        const int note = (message >> 8) & 0x7F;
        for (std::size_t s = 0; s < stems.size(); ++s) {
            if ((kind == 0x80 || kind == 0x90) && stems[s]->note != note)
                continue;
            if (kind == 0x90 && (message >> 16) != 0)
                noteOns.emplace_back(static_cast<int>(s), bench::NowNs());
            stems[s]->timed.shortMsg(message);
            stems[s]->plain.shortMsg(message);
        }
    }
    void reset() override {
        std::lock_guard lock(mutex);
        for (auto& stem : stems) {
            stem->timed.reset();
            stem->plain.reset();
        }
    }
    void close() override {}
    unsigned deviceCount() const override { return 1; }
    MidiStatus deviceName(unsigned, std::string&) const override { return MidiStatus::Ok; }
};

// Frames from a note-on at frame 0 to its onset.
std::int64_t Lead(const FluidMidiOut::Options& options, std::uint32_t program, int note) {
    FluidMidiOut synth(options);
    if (synth.open(0) != MidiStatus::Ok)
        return 0;
    synth.shortMsg(program);
    synth.shortMsg(packShortMsg(0x90, static_cast<std::uint8_t>(note), 100));
    std::vector<float> audio(2 * 4800);
    synth.render(audio.data(), 4800);
    for (int i = 0; i < 4800; ++i)
        if (std::fabs(audio[2 * i]) > AUDIBLE)
            return i;
    return 0;
}

void StrumOnsets() {
    FluidMidiOut::Options options;
    options.drivers.clear(); // the thread below stands in for the audio driver
    options.effects = false; // every stroke then ends in silence
    options.periodSize = PERIOD;
    options.sampleRate = RATE;

    Guitar guitar;
    guitar.setTuning(standardTuning);
    guitar.setFrets({0, 1, 0, 2, 3, 0});
    guitar.updateStringNotes();
    MidiSetup setup;
    const std::uint32_t program = packShortMsg(0xC0, setup.midiProgram, 0);

    std::vector<std::unique_ptr<Stem>> stems;
    for (int s = 0; s < 6; ++s) {
        auto stem = std::make_unique<Stem>(options);
        stem->note = stringMidiNote(guitar.frets[s], guitar.tuning[s]);
        stem->lead = Lead(options, program, stem->note);
        if (stem->timed.open(0) != MidiStatus::Ok || stem->plain.open(0) != MidiStatus::Ok) {
            std::printf("Built-in synthesizer: open failed\n");
            return;
        }
        stems.push_back(std::move(stem));
    }
    std::printf("Strums: %d down strokes of 6 strings, %u ms apart, into %d-frame periods at "
                "%.0f Hz;\n  messages placed %d frames (%.2f ms) after they are due (the deadline "
                "of the timer "
                "tick that sends them)\n",
                STROKES, STROKE_PERIOD_MS, PERIOD, RATE, options.scheduleFrames,
                options.scheduleFrames / RATE * 1000);

    std::atomic<bool> stop{false};
    const std::int64_t start = bench::NowNs() + 50'000'000;
    std::vector<double> lateness;
    lateness.reserve(200000);
    std::thread audio([&] {
        bench::BecomeAudioThread();
        std::array<float, PERIOD> left{};
        std::array<float, PERIOD> right{};
        std::array<float, 2 * PERIOD> stereo{};
        std::array<float, PERIOD> plainLeft{};
        for (std::int64_t period = 0; !stop; ++period) {
            const std::int64_t deadline =
                start + static_cast<std::int64_t>(period * PERIOD * NS_PER_FRAME);
            bench::SleepUntil(deadline);
            lateness.push_back((bench::NowNs() - deadline) / 1e6);
            for (auto& stem : stems) {
                stem->timed.renderPeriod(PERIOD, left.data(), right.data());
                stem->timedOnsets.feed(left.data(), PERIOD, period * PERIOD);
                stem->plain.render(stereo.data(), PERIOD);
                for (int i = 0; i < PERIOD; ++i)
                    plainLeft[i] = stereo[2 * i];
                stem->plainOnsets.feed(plainLeft.data(), PERIOD, period * PERIOD);
            }
        }
    });

    Tee tee(stems);
    MidiPort port(tee, setup);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    port.programChange();
    PeriodicTimer timer;
    Strummer strummer(timer, port, guitar);
    for (int i = 0; i < STROKES; ++i) {
        strummer.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
        while (strummer.running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        strummer.release();
        tee.reset(); // silence before the next stroke, so that each onset rises from it
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
    audio.join();
    Print("audio thread wake-up lateness", lateness);

    // The k-th note-on of each stem is its k-th onset in both paths.
    std::vector<std::size_t> seen(stems.size(), 0);
    struct Heard {
        int stem;
        std::int64_t sendNs, timed, plain; // onsets less the note's own lead, in frames
    };
    std::vector<Heard> heard;
    for (const auto& [s, ns] : tee.noteOns) {
        const Stem& stem = *stems[s];
        const std::size_t k = seen[s]++;
        if (k >= stem.timedOnsets.onsets.size() || k >= stem.plainOnsets.onsets.size())
            continue;
        heard.push_back({s, ns, stem.timedOnsets.onsets[k] - stem.lead,
                         stem.plainOnsets.onsets[k] - stem.lead});
    }
    std::printf("note-ons sent %zu, heard %zu\n", tee.noteOns.size(), heard.size());

    std::vector<double> timedNominal, plainNominal, timedSent, plainSent, added;
    std::vector<double> timedDelay, plainDelay;
    const auto ms = [](double frames) { return frames * 1000 / RATE; };
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const Heard& h = heard[i];
        const double sentFrame = (h.sendNs - start) / NS_PER_FRAME;
        timedDelay.push_back(ms(h.timed - sentFrame));
        plainDelay.push_back(ms(h.plain - sentFrame));
        added.push_back(ms(h.timed - h.plain));
        if (i % 6 == 0)
            continue; // a stroke's first string: no spacing before it
        const Heard& p = heard[i - 1];
        const double sent = (h.sendNs - p.sendNs) / 1e6;
        const double timed = ms(h.timed - p.timed);
        const double plain = ms(h.plain - p.plain);
        timedNominal.push_back(std::fabs(timed - STROKE_PERIOD_MS));
        plainNominal.push_back(std::fabs(plain - STROKE_PERIOD_MS));
        timedSent.push_back(std::fabs(timed - sent));
        plainSent.push_back(std::fabs(plain - sent));
    }
    Print("spacing error vs 37 ms, placed at frames", timedNominal);
    Print("spacing error vs 37 ms, next period (old)", plainNominal);
    Print("spacing error vs when the ticks ran, placed", timedSent);
    Print("spacing error vs when the ticks ran, old", plainSent);
    Print("send to onset, placed at frames", timedDelay);
    Print("send to onset, next period (old)", plainDelay);
    Print("added latency (placed minus old)", added);
}

// What the staggered synthesizers cost against one: open time, memory, and the time to
// render a second of a sounding chord, with and without reverb and chorus.
void Cost() {
    for (bool effects : {false, true}) {
        for (bool single : {true, false}) {
            const long before = bench::ResidentKb();
            const auto opening = std::chrono::steady_clock::now();
            TimedSynth synth({.effects = effects});
            if (single)
                synth.useSingleSynth();
            if (synth.open() != MidiStatus::Ok) {
                std::printf("TimedSynth: open failed\n");
                return;
            }
            const double openMs = Ms(opening);
            synth.schedule(0, packShortMsg(0xC0, 24, 0));
            for (int note : {40, 48, 52, 55, 60, 64})
                synth.schedule(0, packShortMsg(0x90, static_cast<std::uint8_t>(note), 100));
            std::vector<float> audio(2 * PERIOD);
            const auto rendering = std::chrono::steady_clock::now();
            for (int i = 0; i < 48000 / PERIOD; ++i)
                synth.render(audio.data(), PERIOD);
            std::printf("%s, effects %-3s: open %6.1f ms, +%6ld kB resident, one second of a "
                        "chord rendered in %6.1f ms\n",
                        single ? "one synthesizer     " : "16 staggered synths ",
                        effects ? "on" : "off", openMs, bench::ResidentKb() - before,
                        Ms(rendering));
        }
    }
}

} // namespace

int main() {
    Cost();
    StrumOnsets();
    return 0;
}
