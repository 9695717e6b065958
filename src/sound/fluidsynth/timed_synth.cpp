#include "sound/fluidsynth/timed_synth.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <thread>

namespace cadenzo {

namespace {

// A message is handed over this many frames before its frame: a synthesizer then starts it at
// its first block boundary at or after that point, which for the chosen one is within
// [frame - GRID / 2, frame + GRID / 2).
constexpr int EARLY = TimedSynth::GRID / 2;
// Frames rendered per FluidSynth call at most (the size of the mixing scratch buffer).
constexpr int CHUNK = 1024;
// A synthesizer whose output has stayed below this level (-120 dB) for EFFECTS_IDLE_SECONDS
// has no voice and no reverb or chorus tail left: its effects can rest.
constexpr float INAUDIBLE = 1e-6f;
constexpr double EFFECTS_IDLE_SECONDS = 0.25;
// General MIDI's drum channel (10, 0-based 9) takes its programs from the drum kits' bank.
constexpr int DRUM_CHANNEL = 9;
// The holder's channels: the 128 programs of bank 0, then the 128 drum kits.
constexpr int HOLDER_CHANNELS = 256;

// FluidSynth's last complaint, kept without a lock and without allocating: FluidSynth may
// complain on the audio thread. A version number, odd while the text is written, lets a reader on
// another thread see whether it copied a whole text.
constexpr std::size_t LOG_CAPACITY = 256;
std::array<std::atomic<char>, LOG_CAPACITY> logText{};
std::atomic<unsigned> logVersion{0};
std::atomic_flag logWriting = ATOMIC_FLAG_INIT;
// Set while the synthesizers are taken down: FluidSynth then warns of every channel left
// without a program, which is no news and would hide the error that led there.
std::atomic<int> logMuted{0};

// Never waits unless `wait`: a complaint that meets another being written is lost.
void KeepText(const char* text, bool wait) {
    while (logWriting.test_and_set(std::memory_order_acquire))
        if (!wait)
            return;
    logVersion.fetch_add(1, std::memory_order_acq_rel);
    std::size_t i = 0;
    for (; i + 1 < LOG_CAPACITY && text[i] != '\0'; ++i)
        logText[i].store(text[i], std::memory_order_relaxed);
    logText[i].store('\0', std::memory_order_relaxed);
    logVersion.fetch_add(1, std::memory_order_release);
    logWriting.clear(std::memory_order_release);
}

// FluidSynth would print to the terminal of a desktop program; its last complaint is kept for
// the command-line tool instead.
void keepLog(int level, const char* message, void* /*data*/) {
    if (level > FLUID_WARN || message == nullptr || logMuted > 0)
        return;
    KeepText(message, false);
}

// alsa-lib reports a missing sound card on the terminal as well.
void QuietAlsa(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
               const char* /*fmt*/, ...) {}

} // namespace

void quietFluidLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(QuietAlsa);
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, keepLog, nullptr);
    });
}

std::string fluidLastError() {
    for (;;) {
        const unsigned version = logVersion.load(std::memory_order_acquire);
        std::string text;
        for (const std::atomic<char>& c : logText) {
            const char next = c.load(std::memory_order_relaxed);
            if (next == '\0')
                break;
            text += next;
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if (version % 2 == 0 && logVersion.load(std::memory_order_relaxed) == version)
            return text;
        std::this_thread::yield();
    }
}

void clearFluidLastError() {
    KeepText("", true);
}

const std::vector<std::string>& defaultSoundFonts() {
    static const std::vector<std::string> fonts{"/usr/share/sounds/sf2/default-GM.sf2",
                                                "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                                "/usr/share/sounds/sf2/TimGM6mb.sf2"};
    return fonts;
}

TimedSynth::TimedSynth(Options options) : options_(std::move(options)) {
    quietFluidLogs();
    for (auto& channel : keyOwner_)
        channel.fill(-1);
}

TimedSynth::~TimedSynth() {
    close();
}

void TimedSynth::close() {
    // The SoundFont belongs to the first synthesizer; the others only borrow it.
    ++logMuted;
    if (holder_ != nullptr) {
        fluid_synth_remove_sfont(holder_, sharedFont_);
        delete_fluid_synth(holder_);
    }
    holder_ = nullptr;
    for (std::atomic<bool>& prepared : prepared_)
        prepared = false;
    for (std::size_t i = synths_.size(); i-- > 0;) {
        if (i > 0 && sharedFont_ != nullptr)
            fluid_synth_remove_sfont(synths_[i], sharedFont_);
        delete_fluid_synth(synths_[i]);
    }
    --logMuted;
    synths_.clear();
    effects_.clear();
    sharedFont_ = nullptr;
    if (settings_ != nullptr)
        delete_fluid_settings(settings_);
    settings_ = nullptr;
    soundFont_.clear();
}

MidiStatus TimedSynth::open() {
    close();
    std::string font;
    for (const std::string& candidate : options_.soundFonts) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            font = candidate;
            break;
        }
    }
    if (font.empty())
        return MidiStatus::NoSoundFont;

    settings_ = new_fluid_settings();
    if (settings_ == nullptr)
        return MidiStatus::Error;
    fluid_settings_setnum(settings_, "synth.sample-rate", options_.sampleRate);
    // Samples are read when a program first needs them, not all 140 MB at start.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    // Each synthesizer plays only its share of the notes.
    fluid_settings_setint(settings_, "synth.polyphony", 64);
    // One thread at a time calls in: FluidSynth's own locking is not needed.
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings_, "synth.reverb.active", options_.effects ? 1 : 0);
    fluid_settings_setint(settings_, "synth.chorus.active", options_.effects ? 1 : 0);

    std::vector<float> silence(2 * BLOCK);
    for (int i = 0; i < instances_; ++i) {
        fluid_synth_t* synth = new_fluid_synth(settings_);
        if (synth == nullptr) {
            close();
            return MidiStatus::Error;
        }
        synths_.push_back(synth);
        effects_.push_back({options_.effects, 0});
        if (i == 0) {
            const int id = fluid_synth_sfload(synth, font.c_str(), 1);
            if (id == FLUID_FAILED) {
                close();
                return MidiStatus::NoSoundFont;
            }
            sharedFont_ = fluid_synth_get_sfont_by_id(synth, id);
        } else if (fluid_synth_add_sfont(synth, sharedFont_) == FLUID_FAILED) {
            close();
            return MidiStatus::Error;
        }
        // Synthesizer i runs i * GRID frames ahead of the output, so its blocks start at output
        // frames p with (p + i * GRID) % BLOCK == 0.
        if (i > 0)
            fluid_synth_write_float(synth, i * GRID, silence.data(), 0, 2, silence.data(), 1, 2);
    }
    fluid_settings_setint(settings_, "synth.midi-channels", HOLDER_CHANNELS);
    holder_ = new_fluid_synth(settings_);
    if (holder_ == nullptr ||
        (holderFont_ = fluid_synth_add_sfont(holder_, sharedFont_)) == FLUID_FAILED) {
        close();
        return MidiStatus::Error;
    }
    scratch_.assign(2 * CHUNK, 0.0f);
    events_.reserve(EVENT_CAPACITY);
    soundFont_ = font;
    return MidiStatus::Ok;
}

int TimedSynth::instanceFor(std::int64_t frame) const {
    // The synthesizer whose next block boundary at or after `frame` comes first.
    int best = 0;
    int bestDistance = BLOCK;
    for (int i = 0; i < instances_; ++i) {
        const int phase = static_cast<int>((frame + std::int64_t{i} * GRID) % BLOCK);
        const int distance = (BLOCK - phase) % BLOCK;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void TimedSynth::schedule(std::int64_t frame, std::uint32_t message) {
    const Event event{std::max(frame - EARLY, position_), message};
    const auto at =
        std::upper_bound(events_.begin(), events_.end(), event.apply,
                         [](std::int64_t apply, const Event& e) { return apply < e.apply; });
    events_.insert(at, event);
}

std::size_t TimedSynth::room() const {
    return events_.size() < EVENT_CAPACITY ? EVENT_CAPACITY - events_.size() : 0;
}

void TimedSynth::prepareProgram(int channel, int program) {
    const bool drums = channel == DRUM_CHANNEL;
    const int slot = (drums ? 128 : 0) + (program & 0x7F);
    const auto index = static_cast<std::size_t>(slot);
    if (holder_ == nullptr || prepared_[index].load(std::memory_order_acquire))
        return;
    std::lock_guard lock(fontMutex_);
    if (prepared_[index].load(std::memory_order_relaxed))
        return;
    // A program the SoundFont lacks is not held: FluidSynth then falls back on one it has.
    fluid_synth_program_select(holder_, slot, holderFont_, drums ? 128 : 0, program & 0x7F);
    prepared_[index].store(true, std::memory_order_release);
}

void TimedSynth::dispatch(std::uint32_t message) {
    // After skipped silence the synthesizers catch up on the frames short of a whole block, so
    // that their blocks start where they would have, had they rendered the silence: a note then
    // lands where it would have landed, on the synthesizer it would have gone to.
    if (const int behind = static_cast<int>(skippedFrames_ % BLOCK); behind != 0) {
        for (fluid_synth_t* synth : synths_)
            fluid_synth_write_float(synth, behind, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        skippedFrames_ -= behind;
    }
    const int status = message & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    const int kind = status & 0xF0;
    if (kind == 0x90 && data2 > 0) {
        const int target = instanceFor(position_);
        std::int8_t& owner = keyOwner_[channel][data1];
        if (owner >= 0 && owner != target)
            fluid_synth_noteoff(synths_[owner], channel, data1);
        owner = static_cast<std::int8_t>(target);
        if (options_.effects && !effects_[static_cast<std::size_t>(target)].on)
            switchEffects(static_cast<std::size_t>(target), true);
        fluid_synth_noteon(synths_[target], channel, data1, data2);
        return;
    }
    if (kind == 0x80 || kind == 0x90)
        keyOwner_[channel][data1] = -1;
    // Everything else reaches every synthesizer: a note-off too, which so releases the key
    // wherever it sounds, as on one synthesizer.
    for (fluid_synth_t* synth : synths_) {
        switch (kind) {
        case 0x80:
        case 0x90:
            fluid_synth_noteoff(synth, channel, data1);
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, data1, data2);
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, data1, data2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
            break;
        default:
            break; // system messages mean nothing to a synthesizer here
        }
    }
}

void TimedSynth::switchEffects(std::size_t instance, bool on) {
    fluid_synth_reverb_on(synths_[instance], -1, on ? 1 : 0);
    fluid_synth_chorus_on(synths_[instance], -1, on ? 1 : 0);
    effects_[instance] = {on, 0};
}

bool TimedSynth::quiet() const {
    return std::none_of(effects_.begin(), effects_.end(), [](const Effects& e) { return e.on; }) &&
           activeVoices() == 0;
}

void TimedSynth::renderChunk(float* interleaved, int frames) {
    std::fill(interleaved, interleaved + 2 * frames, 0.0f);
    if (skipSilence_ && quiet()) {
        skippedFrames_ += frames;
        position_ += frames;
        return;
    }
    const auto idleFrames = static_cast<std::int64_t>(EFFECTS_IDLE_SECONDS * options_.sampleRate);
    for (std::size_t k = 0; k < synths_.size(); ++k) {
        fluid_synth_write_float(synths_[k], frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        float peak = 0;
        for (int i = 0; i < 2 * frames; ++i) {
            interleaved[i] += scratch_[i];
            peak = std::max(peak, std::fabs(scratch_[i]));
        }
        Effects& effects = effects_[k];
        if (!effects.on)
            continue;
        effects.quietFrames = peak < INAUDIBLE ? effects.quietFrames + frames : 0;
        if (effects.quietFrames >= idleFrames &&
            fluid_synth_get_active_voice_count(synths_[k]) == 0)
            switchEffects(k, false);
    }
    position_ += frames;
}

void TimedSynth::render(float* interleaved, int frames) {
    if (synths_.empty()) {
        std::fill(interleaved, interleaved + 2 * frames, 0.0f);
        position_ += frames;
        return;
    }
    const std::int64_t end = position_ + frames;
    std::size_t next = 0;
    std::unique_lock font(fontMutex_, std::defer_lock);
    bool waiting = false; // a program change waits for a load in progress
    while (true) {
        while (!waiting && next < events_.size() && events_[next].apply <= position_) {
            const std::uint32_t message = events_[next].message;
            waiting = (message & 0xF0) == 0xC0 && !font.owns_lock() && !font.try_lock();
            if (!waiting) {
                dispatch(message);
                ++next;
            }
        }
        if (position_ >= end)
            break;
        std::int64_t until = end;
        if (!waiting && next < events_.size())
            until = std::min(until, events_[next].apply);
        const int count = static_cast<int>(std::min<std::int64_t>(until - position_, CHUNK));
        renderChunk(interleaved, count);
        interleaved += 2 * count;
    }
    events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(next));
}

int TimedSynth::activeVoices() const {
    int voices = 0;
    for (fluid_synth_t* synth : synths_)
        voices += fluid_synth_get_active_voice_count(synth);
    return voices;
}

} // namespace cadenzo
