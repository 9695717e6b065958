#pragma once

#include "sound/midi_in.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;

namespace cadenzo {

// The MIDI input ports of the desktop through RtMidi's input: ALSA sequencer ports, then the
// MIDI output ports of a running JACK server, named as the output ports are ("ALSA: ...",
// "JACK: ..."). Cadenzo's own ports are left out.
// Thread rules: the members on the window thread (MidiIn's rules). RtMidi calls Received on its
// own thread, JACK's real-time process thread among them: it queues into a lock-free queue and
// writes to an eventfd, nothing else, so it never waits for the window nor allocates.
class RtMidiInput : public MidiIn {
public:
    RtMidiInput();
    ~RtMidiInput() override;
    RtMidiInput(const RtMidiInput&) = delete;
    RtMidiInput& operator=(const RtMidiInput&) = delete;

    std::vector<std::string> portNames() override;
    bool open(const std::string& name) override;
    void close() override;
    std::string openName() const override { return openName_; }
    int readyFd() const override { return readyFd_; }
    bool take(TimedMessage& message) override;

private:
    static void Received(double stamp, std::vector<unsigned char>* bytes, void* self);

    MessageQueue queue_{1024};
    int readyFd_ = -1;
    std::unique_ptr<RtMidiIn> receiver_;
    std::string openName_;
};

} // namespace cadenzo
