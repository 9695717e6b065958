#pragma once

#include "sound/midi_out.h"

#include <memory>
#include <mutex>
#include <string>

namespace cadenzo {

class FluidMidiOut;
class RtMidiPorts;

// The output devices Cadenzo offers: 0 is the built-in synthesizer, 1..n the desktop's MIDI
// ports (ALSA first, then JACK). This is the MidiOut the program and the command-line tool use.
// Thread rules: every member is safe from any thread; sends from the window and timer threads
// are serialised here, so messages interleave only whole.
class SystemMidiOut : public MidiOut {
public:
    SystemMidiOut();
    // Backends given by the caller (tests give a synthesizer without audio output).
    SystemMidiOut(std::unique_ptr<FluidMidiOut> synth, std::unique_ptr<RtMidiPorts> ports);
    ~SystemMidiOut() override;

    MidiStatus open(unsigned device) override;
    void prepare(unsigned device) override;
    void shortMsg(std::uint32_t message) override;
    void reset() override;
    void close() override;
    unsigned deviceCount() const override;
    MidiStatus deviceName(unsigned device, std::string& name) const override;

    // The device index open now, -1 when none.
    int openDevice() const;
    // What the open device says about itself: SoundFont, audio driver and latency of the
    // built-in synthesizer, or the full port name; empty when none is open.
    std::string describe() const;
    // The reason the last open gave, from the backend that was asked.
    std::string openFailure() const override;

private:
    // Sends (and the swap of the device they go to) and the window thread's listing and opening
    // take different locks: listing the ports, which may take a while, never delays a tick.
    mutable std::mutex sendMutex_;
    mutable std::mutex deviceMutex_;
    std::unique_ptr<FluidMidiOut> synth_;
    std::unique_ptr<RtMidiPorts> ports_;
    MidiOut* active_ = nullptr;
    int openDevice_ = -1;
    MidiOut* lastTried_ = nullptr; // the backend of the last open, whatever its result
};

// The program's MIDI output service; its built-in synthesizer closes the audio output after
// `pauseAfterQuietSeconds` of silence (0: never).
std::unique_ptr<MidiOut> makeSystemMidiOut(double pauseAfterQuietSeconds);

} // namespace cadenzo
