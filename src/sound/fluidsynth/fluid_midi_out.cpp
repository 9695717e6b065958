#include "sound/fluidsynth/fluid_midi_out.h"

#include "sound/jack_server.h"
#include "sound/timer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace cadenzo {

FluidMidiOut::FluidMidiOut() : FluidMidiOut(Options{}) {}

FluidMidiOut::FluidMidiOut(Options options)
    : options_(std::move(options)),
      clock_(options_.sampleRate, options_.periodSize * std::max(options_.periods, 1)) {
    quietFluidLogs();
}

FluidMidiOut::~FluidMidiOut() {
    close();
    if (prepared_.valid())
        prepared_.wait();
}

void FluidMidiOut::prepare(unsigned device) {
    if (device != 0 || synth_ != nullptr || prepared_.valid())
        return;
    TimedSynth::Options synthOptions{options_.soundFonts, options_.sampleRate, options_.effects};
    prepared_ = std::async(std::launch::async, [synthOptions] {
        auto synth = std::make_unique<TimedSynth>(synthOptions);
        return synth->open() == MidiStatus::Ok ? std::move(synth) : nullptr;
    });
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

// Frames rendered at a time in a period: a driver may grant longer periods than asked for.
constexpr int PERIOD_CHUNK = 1024;
// How long a sender waits for room in a full queue: a few periods of a running audio thread;
// longer for a message that ends notes.
constexpr std::chrono::microseconds PATIENCE{20'000};
constexpr std::chrono::microseconds RELEASE_PATIENCE{200'000};

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
    // Synthesizers loaded in the background are waited for first: the JACK probe below may set
    // the environment, which no other thread may be reading.
    std::unique_ptr<TimedSynth> prepared = prepared_.valid() ? prepared_.get() : nullptr;
    // JACK takes the periods as they come, unconverted: the synthesizer renders at its rate.
    const bool jackWanted = std::find(options_.drivers.begin(), options_.drivers.end(), "jack") !=
                            options_.drivers.end();
    const double jackRate = jackWanted ? runningJackSampleRate() : 0;
    if (jackRate > 0)
        options_.sampleRate = jackRate;
    // Loaded for another rate than a JACK server asks for: loaded again.
    if (prepared != nullptr && prepared->sampleRate() == options_.sampleRate)
        synth_ = std::move(prepared);
    MidiStatus loaded = MidiStatus::Ok;
    if (synth_ == nullptr) {
        synth_ = std::make_unique<TimedSynth>(
            TimedSynth::Options{options_.soundFonts, options_.sampleRate, options_.effects});
        loaded = synth_->open();
    }
    if (loaded != MidiStatus::Ok) {
        failure_ =
            SoundFontFailure(options_.soundFonts, fluidLastError(), options_.otherDeviceAdvice);
        close();
        return loaded;
    }
    // The clock counts frames at the rate the synthesizer renders, which a JACK server chooses.
    clock_ = FrameClock(options_.sampleRate, options_.periodSize * std::max(options_.periods, 1));
    longestPeriod_ = options_.periodSize;
    leadFrames_ = options_.scheduleFrames;
    for (auto& keys : keyFrame_)
        keys.fill(0);
    channelFrame_.fill(0);
    anyFrame_.fill(0);
    // A synthesizer loaded afresh counts its frames from 0 again.
    quietFrames_ = takeFrom_ = shiftFrames_ = 0;
    reopened_ = false;
    stereo_.assign(2 * static_cast<std::size_t>(std::max(options_.periodSize, PERIOD_CHUNK)), 0.0f);

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
            // Set before the audio thread starts, which reads it.
            pauseFrames_ = driver == "jack"
                               ? 0
                               : std::llround(std::max(options_.pauseAfterQuietSeconds, 0.0) *
                                              options_.sampleRate);
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
        if (pauseFrames_ > 0)
            keeper_ = std::thread(&FluidMidiOut::keepOutput, this);
    }
    return MidiStatus::Ok;
}

void FluidMidiOut::send(std::uint32_t message, std::int64_t dueNs) {
    const int kind = message & 0xF0;
    if (kind == 0xC0)
        synth_->prepareProgram(message & 0x0F, (message >> 8) & 0x7F);
    // A lost note-off leaves a note sounding for good: its sender waits longer for room.
    const int data1 = (message >> 8) & 0x7F;
    const bool ends = kind == 0x80 || (kind == 0x90 && (message >> 16 & 0x7F) == 0) ||
                      (kind == 0xB0 && (data1 == 120 || data1 == 123));
    if (!queue_.push({dueNs, message}, ends ? RELEASE_PATIENCE : PATIENCE)) {
        ++dropped_;
        return;
    }
    // Either this sees the output paused, or the keeper, which looks at the queue after the
    // audio thread has paused it, sees this message.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (paused_.load(std::memory_order_relaxed)) {
        resumeWanted_ = true;
        wakeKeeper();
    }
}

void FluidMidiOut::shortMsg(std::uint32_t message) {
    // A message from a timer tick is due when the tick was, however late its thread ran; the
    // synthesizer orders messages by their due frames.
    const std::int64_t due = runningTickDueNs();
    shortMsgAt(message, due != 0 ? due : SteadyNs());
}

void FluidMidiOut::shortMsgAt(std::uint32_t message, std::int64_t dueNs) {
    if (synth_ != nullptr)
        send(message, dueNs);
}

void FluidMidiOut::reset() {
    if (synth_ == nullptr)
        return;
    const std::int64_t now = SteadyNs();
    for (std::uint8_t channel = 0; channel < 16; ++channel)
        send(packShortMsg(0xB0 | channel, 120, 0), now); // all sound off
}

void FluidMidiOut::close() {
    stopKeeper();
    if (audio_ != nullptr)
        delete_fluid_audio_driver(audio_);
    if (settings_ != nullptr)
        delete_fluid_settings(settings_);
    audio_ = nullptr;
    settings_ = nullptr;
    synth_.reset();
    voices_ = 0;
    driver_.clear();
    pauseFrames_ = 0;
    paused_ = false;
    for (TimedMessage left; queue_.tryPop(left);) {
    }
}

void FluidMidiOut::wakeKeeper() {
    keeperWakes_.fetch_add(1, std::memory_order_release);
    keeperWakes_.notify_one();
}

void FluidMidiOut::stopKeeper() {
    if (!keeper_.joinable())
        return;
    keeperStop_ = true;
    wakeKeeper();
    keeper_.join();
    keeperStop_ = false;
}

void FluidMidiOut::keepOutput() {
    for (;;) {
        const unsigned seen = keeperWakes_.load(std::memory_order_acquire);
        if (keeperStop_)
            return;
        if (paused_ && audio_ != nullptr) {
            delete_fluid_audio_driver(audio_); // ends the audio thread
            audio_ = nullptr;
            ++pauses_;
        }
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (audio_ == nullptr && (resumeWanted_.exchange(false) || !queue_.empty()))
            reopenOutput();
        keeperWakes_.wait(seen, std::memory_order_acquire);
    }
}

void FluidMidiOut::reopenOutput() {
    // No audio thread runs now: its state is the keeper's until the new one starts.
    quietFrames_ = 0;
    reopened_ = true;
    paused_ = false;
    audio_ = new_fluid_audio_driver2(settings_, RenderPeriod, this);
    if (audio_ != nullptr)
        return;
    // The sound server has gone away. What was sent cannot sound: it is let go rather than left
    // to fill the queue and hold up its senders, and the next message tries again.
    paused_ = true;
    for (TimedMessage left; queue_.tryPop(left);)
        ++dropped_;
}

double FluidMidiOut::latencyMs() const {
    if (synth_ == nullptr)
        return 0;
    const int buffered = !driver_.empty() ? options_.periodSize * options_.periods : 0;
    return 1000.0 * (buffered + leadFrames_) / options_.sampleRate;
}

int FluidMidiOut::activeVoices() const {
    return voices_;
}

std::int64_t FluidMidiOut::orderedFrame(std::uint32_t message, std::int64_t frame) {
    const int kind = message & 0xF0;
    const int channel = message & 0x0F;
    if (kind >= 0xF0)
        return frame;
    std::int64_t& any = anyFrame_[channel];
    if (kind <= 0xA0) {
        std::int64_t& key = keyFrame_[channel][(message >> 8) & 0x7F];
        key = std::max({frame, key, channelFrame_[channel]});
        any = std::max(any, key);
        return key;
    }
    any = channelFrame_[channel] = std::max(frame, any);
    return any;
}

void FluidMidiOut::takeQueue(bool atFrames) {
    const std::int64_t lead = leadFrames_;
    bool fromSilence = synth_->silent();
    TimedMessage sent;
    while (synth_->room() > 0 && queue_.tryPop(sent)) {
        std::int64_t frame = synth_->position();
        const std::int64_t dueFrame = std::llround(clock_.frameAt(sent.dueNs)) + lead;
        if (atFrames) {
            frame = dueFrame;
            // Sound that begins from silence already overdue (an output opened again, a sender
            // that ran late) starts at once, and what follows keeps its spacing to it.
            if (fromSilence)
                shiftFrames_ = std::max<std::int64_t>(synth_->position() - frame, 0);
            fromSilence = false;
            frame += shiftFrames_;
        }
        frame = orderedFrame(sent.message, frame);
        if (observer_ != nullptr)
            observer_->placed(sent.message, sent.dueNs, frame, dueFrame);
        synth_->schedule(frame, sent.message);
    }
}

bool FluidMidiOut::render(float* interleaved, int frames) {
    if (synth_ == nullptr || !driver_.empty())
        return false;
    takeQueue(false);
    synth_->render(interleaved, frames);
    voices_ = synth_->activeVoices();
    synthesized_ = synth_->synthesizedFrames();
    return true;
}

void FluidMidiOut::renderPeriod(int frames, float* left, float* right) {
    renderPeriodAt(frames, left, right, SteadyNs());
}

void FluidMidiOut::renderPeriodAt(int frames, float* left, float* right, std::int64_t nowNs) {
    if (paused_.load(std::memory_order_acquire)) { // the output is about to close
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return;
    }
    if (frames > longestPeriod_) {
        // Messages sent just after a period's request wait a whole period to be taken.
        longestPeriod_ = frames;
        leadFrames_ = options_.scheduleFrames + frames - options_.periodSize;
    }
    clock_.periodRequested(synth_->position(), nowNs);
    if (observer_ != nullptr)
        observer_->period(synth_->position(), frames, nowNs);
    if (reopened_.exchange(false, std::memory_order_acquire))
        takeFrom_ = synth_->position() + std::int64_t{longestPeriod_} * options_.periods;
    if (synth_->position() >= takeFrom_)
        takeQueue(true);
    // A period longer than the buffer is rendered in pieces rather than growing it here.
    const int chunk = static_cast<int>(stereo_.size() / 2);
    for (int done = 0; done < frames;) {
        const int count = std::min(chunk, frames - done);
        synth_->render(stereo_.data(), count);
        for (int i = 0; i < count; ++i) {
            left[done + i] = stereo_[2 * i];
            right[done + i] = stereo_[2 * i + 1];
        }
        done += count;
    }
    voices_ = synth_->activeVoices();
    synthesized_ = synth_->synthesizedFrames();
    if (!synth_->silent()) {
        quietFrames_ = 0;
        return;
    }
    shiftFrames_ = 0;
    quietFrames_ += frames;
    if (pauseFrames_ > 0 && quietFrames_ >= pauseFrames_ && queue_.empty()) {
        paused_.store(true, std::memory_order_seq_cst);
        wakeKeeper();
    }
}

} // namespace cadenzo
