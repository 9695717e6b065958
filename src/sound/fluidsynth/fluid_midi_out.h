#pragma once

#include "sound/fluidsynth/audio_drivers.h"
#include "sound/fluidsynth/timed_synth.h"
#include "sound/frame_clock.h"
#include "sound/message_queue.h"
#include "sound/midi_out.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
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
// The audio thread takes no lock and allocates nothing: messages reach it through a lock-free
// queue of fixed size, a program's samples are read from the SoundFont on the sending thread
// before its program change is queued, and a message never sounds before an earlier one of its
// key (nor a channel's program or controller change before that channel's earlier notes), so a
// note-off can never come before its note-on, whatever the clock estimate does after a stall.
// While nothing sounds the synthesizers are not called at all, and after a quiet time the audio
// output is closed (Options::pauseAfterQuietSeconds) by a keeper thread, which opens it again
// for the next message.
// Thread rules: shortMsg, shortMsgAt and reset from any thread (they only queue the message;
// the audio thread takes the queue; a program change first waits for its samples); open and
// close from one thread at a time, never while another thread sends (SystemMidiOut makes sure of
// that); renderPeriod and render from the audio thread only; the keeper thread alone closes and
// opens the audio output between open and close.
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
        // audio thread's wake-ups plus their lateness and a tick's (5.3 ms at 48 kHz). A driver
        // that grants longer periods than periodSize lengthens it by the difference, or the
        // messages of a whole period would be due before the audio thread takes them.
        int scheduleFrames = 256;
        // After this long with nothing sounding, the audio output is closed, so that neither
        // Cadenzo's audio thread nor the sound server wakes for silence; the next message opens
        // it again and sounds a few milliseconds later than in a running output, plus whatever
        // the sound server takes to start a stream.
        // 0 keeps it open. A JACK output always stays open: closing its client would drop the
        // connections the user made to its ports; its callback only writes silence.
        double pauseAfterQuietSeconds = 20;
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
    // Loads the SoundFont into the synthesizers on a thread of its own (a few hundred
    // milliseconds), which open(0) then takes over: the window is built meanwhile.
    void prepare(unsigned device) override;
    void shortMsg(std::uint32_t message) override;
    // A message due at steady-clock time `dueNs` (shortMsg stamps the running tick's due time,
    // or the time of the call).
    void shortMsgAt(std::uint32_t message, std::int64_t dueNs);
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
    // synthesizer and the output plus the delay to a message's frame.
    double latencyMs() const;
    // Messages lost because the audio thread took none for longer than a sender waits.
    std::uint64_t droppedMessages() const { return dropped_; }
    // Renders `frames` stereo frames without an audio driver (interleaved float, for tests):
    // the messages sent since the last call sound from the first frame.
    bool render(float* interleaved, int frames);
    // The audio driver's work for one period: the messages sent so far are placed at the frames
    // of their due times, then `frames` frames are rendered into `left` and `right`. Called by
    // the audio thread (and by a benchmark standing in for it).
    void renderPeriod(int frames, float* left, float* right);
    // The same with the period asked for at steady-clock time `nowNs` (a simulated clock).
    void renderPeriodAt(int frames, float* left, float* right, std::int64_t nowNs);
    // Voices sounding now (a note-on starts one or more).
    int activeVoices() const;
    // The frames the synthesizers have rendered; silence is written without them.
    std::int64_t synthesizedFrames() const { return synthesized_; }
    // The audio output is closed for quiet, or about to be; and how many times it was closed.
    bool outputPaused() const { return paused_; }
    std::uint64_t outputPauses() const { return pauses_; }

    // What the audio thread does, told to a benchmark as it happens: each period asked for
    // (its first frame and the time), each message placed (its due time, the frame it was given
    // and the frame of its due time in a running output).
    struct Observer {
        virtual ~Observer() = default;
        virtual void period(std::int64_t firstFrame, int frames, std::int64_t nowNs) = 0;
        virtual void placed(std::uint32_t message, std::int64_t dueNs, std::int64_t frame,
                            std::int64_t dueFrame) = 0;
    };
    // Before open; null for none.
    void observe(Observer* observer) { observer_ = observer; }

private:
    // Far more than the ticks send between two periods; MessageQueue::push says what a full
    // queue does to a sender.
    static constexpr std::size_t QUEUE_CAPACITY = 4096;
    void send(std::uint32_t message, std::int64_t dueNs);
    // Places the queued messages, at most as many as the synthesizer has room for.
    void takeQueue(bool atFrames);
    std::int64_t orderedFrame(std::uint32_t message, std::int64_t frame);
    // The keeper thread: closes the audio output once the audio thread has found the quiet time
    // over, and opens it again when a message comes.
    void keepOutput();
    void wakeKeeper();
    void reopenOutput();
    void stopKeeper();

    Options options_;
    _fluid_hashtable_t* settings_ = nullptr; // the audio driver's
    std::unique_ptr<TimedSynth> synth_;
    // The synthesizers prepare() loads, until open takes them (null when their load failed: open
    // then loads again, to tell why).
    std::future<std::unique_ptr<TimedSynth>> prepared_;
    _fluid_audio_driver_t* audio_ = nullptr;
    std::string driver_;
    std::string failure_;
    std::atomic<int> voices_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<int> leadFrames_{0}; // due time to frame, as the periods granted need
    std::atomic<std::int64_t> synthesized_{0};

    std::thread keeper_;
    std::atomic<unsigned> keeperWakes_{0};
    std::atomic<bool> keeperStop_{false};
    // Set by the audio thread when the quiet time is over: from then on it takes no message, so
    // that none starts to sound in an output about to close; cleared by the keeper as it opens
    // the output again.
    std::atomic<bool> paused_{false};
    std::atomic<bool> resumeWanted_{false}; // a sender found the output paused
    std::atomic<bool> reopened_{false};     // for the audio thread's first period after a reopen
    std::atomic<std::uint64_t> pauses_{0};
    std::int64_t pauseFrames_ = 0; // the quiet time in frames; 0: never closed
    Observer* observer_ = nullptr;

    MessageQueue queue_{QUEUE_CAPACITY};
    // The audio thread's.
    FrameClock clock_;
    std::vector<float> stereo_; // interleaved, one chunk of a period
    int longestPeriod_ = 0;
    std::int64_t quietFrames_ = 0; // frames rendered silent in a row
    // A reopened output first asks for the periods that fill its buffer, in a burst: messages
    // wait until that is over and the clock has seen it, or a strum begun meanwhile would be
    // placed on two different estimates of the output's timing.
    std::int64_t takeFrom_ = 0;
    // How much later than their due frames the messages of the sound in progress are placed:
    // sound that begins from silence already overdue moves later as a whole.
    std::int64_t shiftFrames_ = 0;
    // The latest frame given to a message of each key, and of each channel's other messages and
    // of any message on the channel.
    std::array<std::array<std::int64_t, 128>, 16> keyFrame_{};
    std::array<std::int64_t, 16> channelFrame_{};
    std::array<std::int64_t, 16> anyFrame_{};
};

} // namespace cadenzo
