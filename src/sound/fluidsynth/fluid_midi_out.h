#pragma once

#include "sound/fluidsynth/audio_drivers.h"
#include "sound/fluidsynth/timed_synth.h"
#include "sound/midi_out.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Opaque FluidSynth handles, so users of this header need no FluidSynth include.
struct _fluid_hashtable_t;
struct _fluid_audio_driver_t;

namespace cadenzo {

// The built-in synthesizer: FluidSynth playing the General MIDI SoundFont through the desktop's
// audio output, so that a fresh install makes sound without any MIDI hardware.
// Each message is stamped with the time it is due (the deadline of the timer tick that sends it,
// or the moment it is sent from any other thread) and sounds at the frame of that time plus a
// fixed delay (scheduleFrames), so the 37 ms between the strings of a strum reach the audio
// exactly: neither rounded to the audio thread's periods nor moved by a tick that ran late.
// Thread rules: shortMsg and reset from any thread (they only queue the message; the audio
// thread takes the queue); open and close from one thread at a time, never while another thread
// sends (SystemMidiOut makes sure of that).
class FluidMidiOut : public MidiOut {
public:
    struct Options {
        // Audio drivers tried in order; the first that opens is used. An empty list renders no
        // audio at all (tests drive the synthesizer with Render).
        std::vector<std::string> drivers = DEFAULT_AUDIO_DRIVERS;
        // How the user chooses another device, the advice that ends a failure text: the window's
        // menu here, the command line's option in the tool.
        std::string otherDeviceAdvice = "choose another device in SetUp \u2192 Instrument";
        // SoundFonts tried in order.
        std::vector<std::string> soundFonts = defaultSoundFonts();
        bool effects = true; // reverb and chorus
        // Low latency: three periods of 128 frames at 48 kHz, 8 ms of buffered audio; the third
        // period covers an audio thread that the desktop does not give real-time priority.
        int periodSize = 128;
        int periods = 3;
        double sampleRate = 48000;
        // The delay from a message's due time to its frame: it covers one period between the
        // audio thread's wake-ups plus their lateness and a tick's (5.3 ms at 48 kHz).
        int scheduleFrames = 256;
    };

    static constexpr const char* NAME = "Built-in Synthesizer";

    FluidMidiOut();
    explicit FluidMidiOut(Options options);
    ~FluidMidiOut() override;
    FluidMidiOut(const FluidMidiOut&) = delete;
    FluidMidiOut& operator=(const FluidMidiOut&) = delete;

    // Device 0 only; MidiStatus::NoSoundFont or MidiStatus::NoAudio when the synthesizer cannot
    // play.
    MidiStatus open(unsigned device) override;
    void shortMsg(std::uint32_t message) override;
    void reset() override;
    void close() override;
    // Why the synthesizer could not play: the SoundFonts looked for, or the audio drivers tried
    // and what FluidSynth said of each; and what to do.
    std::string openFailure() const override { return failure_; }
    unsigned deviceCount() const override { return 1; }
    MidiStatus deviceName(unsigned device, std::string& name) const override;

    bool isOpen() const { return synth_ != nullptr; }
    // The SoundFont and audio driver in use, empty when closed.
    std::string soundFont() const { return synth_ ? synth_->soundFont() : std::string(); }
    const std::string& driver() const { return driver_; }
    // The delay from a message to its sound, in milliseconds: the audio buffered between the
    // synthesizer and the output plus scheduleFrames.
    double latencyMs() const;
    // Renders `frames` stereo frames without an audio driver (interleaved float, for tests):
    // the messages sent since the last call sound from the first frame.
    bool render(float* interleaved, int frames);
    // The audio driver's work for one period: the messages sent so far are placed at the frames
    // of their due times, then `frames` frames are rendered into `left` and `right`. Called by
    // the audio thread (and by a benchmark standing in for it).
    void renderPeriod(int frames, float* left, float* right);
    // Voices sounding now (a note-on starts one or more).
    int activeVoices() const;

private:
    struct Sent {
        std::int64_t ns; // steady clock
        std::uint32_t message;
    };
    void takeQueue();
    void send(std::uint32_t message);

    Options options_;
    _fluid_hashtable_t* settings_ = nullptr; // the audio driver's
    std::unique_ptr<TimedSynth> synth_;
    _fluid_audio_driver_t* audio_ = nullptr;
    std::string driver_;
    std::string failure_;
    std::atomic<int> voices_{0};

    // Messages sent and not yet taken by the audio thread, which holds the lock only to swap
    // the vectors.
    std::mutex queueMutex_;
    std::vector<Sent> queue_;
    std::vector<Sent> taken_;      // the audio thread's
    std::vector<float> stereo_;    // the audio thread's interleaved period
    double clockOffsetNs_ = 0;     // steady-clock time of frame 0 as the periods show it
    double blockEarliest_ = 0;     // its earliest sighting in this block of 64 periods
    double lastBlockEarliest_ = 0; // and in the block before
    std::int64_t periodsSeen_ = 0;
};

} // namespace cadenzo
