#pragma once

#include "sound/midi_out.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Opaque FluidSynth handles, so users of this header need no FluidSynth include.
struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_sfont_t;

namespace cadenzo {

// The General MIDI SoundFonts the built-in synthesizer looks for, in order.
const std::vector<std::string>& defaultSoundFonts();
// FluidSynth and alsa-lib would print to the terminal of a desktop program: their complaints are
// kept instead, the last one readable here.
void quietFluidLogs();
std::string fluidLastError();
void clearFluidLastError();

// A FluidSynth General MIDI synthesizer whose messages sound at exact frames of its output.
// One thread at a time (the real-time path wraps it; the offline renderer owns it), except
// prepareProgram.
//
// FluidSynth renders in blocks of 64 frames and starts a note only at the beginning of a block,
// so one synthesizer places notes only to within 64 frames (1.33 ms at 48 kHz). Here sixteen
// synthesizers share one loaded SoundFont and render with their blocks staggered by 4 frames; a
// note-on goes to the one whose block starts nearest its frame (at most 2 frames, 0.04 ms, off,
// so two strings' spacing is off by at most 0.08 ms), every other message to all of them, and
// the output is their sum.
class TimedSynth {
public:
    struct Options {
        std::vector<std::string> soundFonts = defaultSoundFonts(); // tried in order
        double sampleRate = 48000;
        bool effects = true; // reverb and chorus
    };
    static constexpr int BLOCK = 64; // FluidSynth's block: its grid for starting notes
    static constexpr int INSTANCES = 16;
    static constexpr int GRID = BLOCK / INSTANCES; // the grid the note-ons land on
    // Messages waiting for their frames that fit without allocating.
    static constexpr std::size_t EVENT_CAPACITY = 4096;

    explicit TimedSynth(Options options);
    ~TimedSynth();
    TimedSynth(const TimedSynth&) = delete;
    TimedSynth& operator=(const TimedSynth&) = delete;

    // Loads the SoundFont: MidiStatus::Ok, MidiStatus::NoSoundFont or MidiStatus::Error.
    MidiStatus open();
    // `message` (a packed short MIDI message as MidiOut::shortMsg takes it) sounds at output
    // frame `frame`; a frame at or before position() sounds at the next rendered frame.
    // Messages for the same frame keep their order. The real-time path schedules only while
    // room() is left, so that neither this nor render allocates on the audio thread; the offline
    // renderer may schedule more, and the list then grows.
    void schedule(std::int64_t frame, std::uint32_t message);
    std::size_t room() const;
    // Reads the samples of program `program` on MIDI channel `channel` (0-based; channel 9
    // plays drum kits) from the SoundFont and keeps them until the synthesizer closes, so that a
    // program change rendered later only points its channel at samples in memory: reading them
    // when the change is rendered would hold up the audio thread for four periods and more. Any
    // thread but the one rendering, which only tries the lock taken here: a program change that
    // meets a load in progress waits for the next render, with the messages after it.
    void prepareProgram(int channel, int program);
    // Renders the next `frames` stereo frames (interleaved float) and advances position().
    void render(float* interleaved, int frames);
    std::int64_t position() const { return position_; }
    // Voices sounding now (0 once everything has rung out).
    int activeVoices() const;
    // Nothing sounds, no effect tail is left and no message waits: render() writes silence
    // without calling FluidSynth, so an idle synthesizer costs next to nothing.
    bool silent() const { return events_.empty() && quiet(); }
    // The frames FluidSynth actually rendered; position() less the silence skipped.
    std::int64_t synthesizedFrames() const { return position_ - skippedFrames_; }
    // The file in use, empty before open().
    const std::string& soundFont() const { return soundFont_; }
    double sampleRate() const { return options_.sampleRate; }

    // Places every note-on on one synthesizer, as a plain FluidSynth does (64-frame steps); for
    // measuring what the staggered blocks gain. Call before open().
    void useSingleSynth() { instances_ = 1; }
    // Renders silence through FluidSynth like any other audio; for measuring what skipping it
    // saves, and as the reference the skip must match.
    void renderSilence() { skipSilence_ = false; }

private:
    struct Event {
        std::int64_t apply; // the output frame at which it is handed to FluidSynth
        std::uint32_t message;
    };
    void close();
    void dispatch(std::uint32_t message);
    void renderChunk(float* interleaved, int frames);
    void switchEffects(std::size_t instance, bool on);
    // Every synthesizer has no voice and its effects rest: its output is exact silence.
    bool quiet() const;
    int instanceFor(std::int64_t frame) const;

    Options options_;
    int instances_ = INSTANCES;
    _fluid_hashtable_t* settings_ = nullptr;
    std::vector<_fluid_synth_t*> synths_;
    // Reverb and chorus of each synthesizer, switched off once it has been silent for a while
    // and on again before its next note: sixteen effect units running on silence would cost
    // more than all the voices of a strum.
    struct Effects {
        bool on = false;
        std::int64_t quietFrames = 0; // frames rendered since its output was last audible
    };
    std::vector<Effects> effects_;
    _fluid_sfont_t* sharedFont_ = nullptr;
    // A synthesizer that never renders: one channel per General MIDI program and drum kit,
    // holding the programs prepareProgram loaded, so FluidSynth never unloads their samples.
    // Its selections and the render thread's program changes both count the samples' users, so
    // they take turns under fontMutex_.
    _fluid_synth_t* holder_ = nullptr;
    int holderFont_ = -1;
    std::mutex fontMutex_;
    std::array<std::atomic<bool>, 256> prepared_{};
    std::string soundFont_;
    std::int64_t position_ = 0;
    // Output frames written as silence without FluidSynth. The next message first has the
    // synthesizers render the part of a block that this is short of, so that their blocks start
    // where they would have, and the note-on grid stays as it was.
    std::int64_t skippedFrames_ = 0;
    bool skipSilence_ = true;
    std::vector<Event> events_;  // ordered by apply frame, then by arrival
    std::vector<float> scratch_; // one synthesizer's part of a chunk
    // The synthesizer each key was last started on (-1: none), so that a new note-on on another
    // one releases it as FluidSynth does for a key struck again.
    std::array<std::array<std::int8_t, 128>, 16> keyOwner_{};
};

} // namespace cadenzo
