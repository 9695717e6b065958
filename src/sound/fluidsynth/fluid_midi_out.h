#pragma once

#include "sound/fluidsynth/timed_synth.h"
#include "sound/midi_out.h"

#include <cstdint>
#include <string>
#include <vector>

// Opaque FluidSynth handles, so users of this header need no FluidSynth include.
struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;

namespace cadenzo {

// The built-in synthesizer: FluidSynth playing the General MIDI SoundFont through the desktop's
// audio output, so that a fresh install makes sound without any MIDI hardware.
// Thread rules: shortMsg and reset from any thread (FluidSynth serialises its own API calls);
// open and close from one thread at a time, never while another thread sends (SystemMidiOut
// makes sure of that).
class FluidMidiOut : public MidiOut {
public:
    struct Options {
        // Audio drivers tried in order; the first that opens is used. An empty list renders no
        // audio at all (tests drive the synthesizer with Render).
        std::vector<std::string> drivers{"pipewire", "pulseaudio", "alsa"};
        // SoundFonts tried in order.
        std::vector<std::string> soundFonts = defaultSoundFonts();
        std::string wavFile; // output of the "file" driver
        bool effects = true; // reverb and chorus
        // Low latency: three periods of 128 frames at 48 kHz, 8 ms of buffered audio; the third
        // period covers an audio thread that the desktop does not give real-time priority.
        int periodSize = 128;
        int periods = 3;
        double sampleRate = 48000;
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
    unsigned deviceCount() const override { return 1; }
    MidiStatus deviceName(unsigned device, std::string& name) const override;

    bool isOpen() const { return synth_ != nullptr; }
    // The SoundFont and audio driver in use, empty when closed.
    const std::string& soundFont() const { return soundFont_; }
    const std::string& driver() const { return driver_; }
    // The audio buffered between the synthesizer and the output, in milliseconds.
    double latencyMs() const;
    // Renders `frames` stereo frames without an audio driver (interleaved float, for tests).
    bool render(float* interleaved, int frames);
    // Voices sounding now (a note-on starts one or more).
    int activeVoices() const;
    // The last error FluidSynth reported (it is kept off the terminal).
    static std::string lastError();

private:
    Options options_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_audio_driver_t* audio_ = nullptr;
    std::string soundFont_;
    std::string driver_;
};

} // namespace cadenzo
