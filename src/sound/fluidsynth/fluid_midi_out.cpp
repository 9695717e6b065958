#include "sound/fluidsynth/fluid_midi_out.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace cadenzo {

FluidMidiOut::FluidMidiOut() : FluidMidiOut(Options{}) {}

FluidMidiOut::FluidMidiOut(Options options) : options_(std::move(options)) {
    quietFluidLogs();
}

FluidMidiOut::~FluidMidiOut() {
    close();
}

std::string FluidMidiOut::lastError() {
    return fluidLastError();
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

} // namespace

MidiStatus FluidMidiOut::open(unsigned device) {
    if (device != 0)
        return MidiStatus::NoDevice;
    if (synth_ != nullptr)
        return MidiStatus::Allocated;

    synth_ = std::make_unique<TimedSynth>(
        TimedSynth::Options{options_.soundFonts, options_.sampleRate, options_.effects});
    const MidiStatus loaded = synth_->open();
    if (loaded != MidiStatus::Ok) {
        close();
        return loaded;
    }
    clockOffsetNs_ = 0;
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
        for (const std::string& driver : options_.drivers) {
            if (fluid_settings_setstr(settings_, "audio.driver", driver.c_str()) != FLUID_OK)
                continue; // not built into this FluidSynth
            audio_ = new_fluid_audio_driver2(settings_, RenderPeriod, this);
            if (audio_ != nullptr) {
                driver_ = driver;
                break;
            }
        }
        if (audio_ == nullptr) {
            close();
            return MidiStatus::NoAudio;
        }
    }
    soundFont_ = synth_->soundFont();
    return MidiStatus::Ok;
}

void FluidMidiOut::send(std::uint32_t message) {
    std::lock_guard lock(queueMutex_);
    // Stamped under the lock, so the queue is in time order whichever thread sends.
    queue_.push_back({SteadyNs(), message});
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
    soundFont_.clear();
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
    // Where frame 0 lies on the steady clock, from when the periods are asked for: followed
    // closely over the first periods (a driver fills its buffer at start), then slowly, so that
    // one late wake-up moves it little and the sound card's drift is still followed.
    const double nsPerFrame = 1e9 / options_.sampleRate;
    const double periodNs = frames * nsPerFrame;
    const double seen =
        static_cast<double>(SteadyNs()) - static_cast<double>(synth_->position()) * nsPerFrame;
    if (periodsSeen_++ == 0)
        clockOffsetNs_ = seen;
    else
        clockOffsetNs_ += (periodsSeen_ < 64 ? 0.2 : 0.01) *
                          std::clamp(seen - clockOffsetNs_, -periodNs, periodNs);

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
