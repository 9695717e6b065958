#include "sound/fluidsynth/fluid_midi_out.h"

#include "sound/timer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>

namespace cadenzo {

FluidMidiOut::FluidMidiOut() : FluidMidiOut(Options{}) {}

FluidMidiOut::FluidMidiOut(Options options) : options_(std::move(options)) {
    quietFluidLogs();
}

FluidMidiOut::~FluidMidiOut() {
    close();
}

MidiStatus FluidMidiOut::deviceName(unsigned device, std::string& name) const {
    if (device != 0)
        return MidiStatus::NoDevice;
    name = NAME;
    return MidiStatus::Ok;
}

namespace {

std::int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// FluidSynth's audio thread asks for each period here.
int RenderPeriod(void* data, int len, int /*nfx*/, float* /*fx*/[], int nout, float* out[]) {
    if (nout < 2)
        return FLUID_FAILED;
    static_cast<FluidMidiOut*>(data)->renderPeriod(len, out[0], out[1]);
    return FLUID_OK;
}

std::string SoundFontFailure(const std::vector<std::string>& fonts, const std::string& said,
                             const std::string& advice) {
    std::string looked;
    bool found = false;
    for (const std::string& font : fonts) {
        std::error_code ec;
        found = found || std::filesystem::is_regular_file(font, ec);
        looked += (looked.empty() ? "" : ", ") + font;
    }
    std::string why = found ? "The built-in synthesizer could not load its SoundFont (" + said +
                                  "). Files looked for: " + looked + "."
                            : "The built-in synthesizer found no General MIDI SoundFont. Files "
                              "looked for: " +
                                  looked + ".";
    return why + "\nInstall one (the Debian package fluid-soundfont-gm) or " + advice + ".";
}

} // namespace

MidiStatus FluidMidiOut::open(unsigned device) {
    if (device != 0)
        return MidiStatus::NoDevice;
    if (synth_ != nullptr)
        return MidiStatus::Allocated;

    failure_.clear();
    // JACK takes the periods as they come, unconverted: the synthesizer renders at its rate.
    const bool jackWanted = std::find(options_.drivers.begin(), options_.drivers.end(), "jack") !=
                            options_.drivers.end();
    const double jackRate = jackWanted ? runningJackSampleRate() : 0;
    if (jackRate > 0)
        options_.sampleRate = jackRate;
    synth_ = std::make_unique<TimedSynth>(
        TimedSynth::Options{options_.soundFonts, options_.sampleRate, options_.effects});
    const MidiStatus loaded = synth_->open();
    if (loaded != MidiStatus::Ok) {
        failure_ =
            SoundFontFailure(options_.soundFonts, fluidLastError(), options_.otherDeviceAdvice);
        close();
        return loaded;
    }
    blockEarliest_ = lastBlockEarliest_ = std::numeric_limits<double>::infinity();
    periodsSeen_ = 0;
    queue_.reserve(1024);
    taken_.reserve(1024);
    stereo_.assign(2 * static_cast<std::size_t>(options_.periodSize), 0.0f);

    if (!options_.drivers.empty()) {
        settings_ = new_fluid_settings();
        if (settings_ == nullptr) {
            close();
            return MidiStatus::Error;
        }
        fluid_settings_setint(settings_, "audio.period-size", options_.periodSize);
        fluid_settings_setint(settings_, "audio.periods", options_.periods);
        fluid_settings_setnum(settings_, "synth.sample-rate", options_.sampleRate);
        setJackDriverOptions(settings_);
        std::string tried;
        for (const std::string& driver : options_.drivers) {
            tried += (tried.empty() ? "" : "; ") + driver + ": ";
            if (driver == "jack" && jackRate == 0) {
                tried += "no JACK server is running";
                continue;
            }
            if (fluid_settings_setstr(settings_, "audio.driver", driver.c_str()) != FLUID_OK) {
                tried += "not built into this FluidSynth";
                continue;
            }
            clearFluidLastError();
            audio_ = new_fluid_audio_driver2(settings_, RenderPeriod, this);
            if (audio_ != nullptr) {
                driver_ = driver;
                break;
            }
            std::string said = fluidLastError();
            if (!said.empty() && said.back() == '.')
                said.pop_back();
            tried += said.empty() ? "did not open" : said;
        }
        if (audio_ == nullptr) {
            std::string advice = options_.otherDeviceAdvice;
            if (!advice.empty())
                advice[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(advice[0])));
            failure_ =
                "The built-in synthesizer could open no audio output. Drivers tried: " + tried +
                ".\n" + advice + ".";
            close();
            return MidiStatus::NoAudio;
        }
    }
    return MidiStatus::Ok;
}

void FluidMidiOut::send(std::uint32_t message) {
    // A message from a timer tick is due when the tick was, however late its thread ran; the
    // synthesizer orders messages by their due frames.
    const std::int64_t due = runningTickDueNs();
    std::lock_guard lock(queueMutex_);
    queue_.push_back({due != 0 ? due : SteadyNs(), message});
}

void FluidMidiOut::shortMsg(std::uint32_t message) {
    if (synth_ != nullptr)
        send(message);
}

void FluidMidiOut::reset() {
    if (synth_ == nullptr)
        return;
    for (std::uint8_t channel = 0; channel < 16; ++channel)
        send(packShortMsg(0xB0 | channel, 120, 0)); // all sound off
}

void FluidMidiOut::close() {
    if (audio_ != nullptr)
        delete_fluid_audio_driver(audio_);
    if (settings_ != nullptr)
        delete_fluid_settings(settings_);
    audio_ = nullptr;
    settings_ = nullptr;
    synth_.reset();
    voices_ = 0;
    driver_.clear();
    std::lock_guard lock(queueMutex_);
    queue_.clear();
}

double FluidMidiOut::latencyMs() const {
    if (synth_ == nullptr)
        return 0;
    const int buffered = audio_ != nullptr ? options_.periodSize * options_.periods : 0;
    return 1000.0 * (buffered + options_.scheduleFrames) / options_.sampleRate;
}

int FluidMidiOut::activeVoices() const {
    return voices_;
}

void FluidMidiOut::takeQueue() {
    std::lock_guard lock(queueMutex_);
    taken_.swap(queue_);
}

bool FluidMidiOut::render(float* interleaved, int frames) {
    if (synth_ == nullptr || audio_ != nullptr)
        return false;
    takeQueue();
    for (const Sent& sent : taken_)
        synth_->schedule(synth_->position(), sent.message);
    taken_.clear();
    synth_->render(interleaved, frames);
    voices_ = synth_->activeVoices();
    return true;
}

void FluidMidiOut::renderPeriod(int frames, float* left, float* right) {
    // Where frame 0 lies on the steady clock. A period is asked for when the sound card needs
    // it, or later when the thread wakes late, never earlier: so the earliest request of the
    // last 64 to 128 periods (a third of a second) shows the sound card's clock, unmoved by late
    // wake-ups, while still following its drift and forgetting the burst of requests a driver
    // makes at start to fill its buffer.
    const double nsPerFrame = 1e9 / options_.sampleRate;
    const double seen =
        static_cast<double>(SteadyNs()) - static_cast<double>(synth_->position()) * nsPerFrame;
    blockEarliest_ = std::min(blockEarliest_, seen);
    clockOffsetNs_ = std::min(lastBlockEarliest_, blockEarliest_);
    if (++periodsSeen_ % 64 == 0) {
        lastBlockEarliest_ = blockEarliest_;
        blockEarliest_ = std::numeric_limits<double>::infinity();
    }

    takeQueue();
    for (const Sent& sent : taken_) {
        const double frame = (static_cast<double>(sent.ns) - clockOffsetNs_) / nsPerFrame;
        synth_->schedule(std::llround(frame) + options_.scheduleFrames, sent.message);
    }
    taken_.clear();

    if (stereo_.size() < 2 * static_cast<std::size_t>(frames))
        stereo_.resize(2 * static_cast<std::size_t>(frames)); // a driver with longer periods
    synth_->render(stereo_.data(), frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = stereo_[2 * i];
        right[i] = stereo_[2 * i + 1];
    }
    voices_ = synth_->activeVoices();
}

} // namespace cadenzo
