#pragma once

#include "sound/midi_out.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RtMidiOut;

namespace cadenzo {

// The MIDI output ports of the desktop through RtMidi: ALSA sequencer ports first, then the MIDI
// input ports of a running JACK server, each in RtMidi's order. Devices are numbered from 0 here;
// SystemMidiOut puts them after the built-in synthesizer.
// Thread rules: shortMsg and reset must be serialised by the caller, and so must the listing
// calls (deviceCount, deviceName, fullName) and open; the listing never touches the open port,
// so the two groups may run at the same time. open and close change what shortMsg sends to:
// never while it runs. SystemMidiOut keeps to these rules.
class RtMidiPorts : public MidiOut {
public:
    RtMidiPorts();
    ~RtMidiPorts() override;
    RtMidiPorts(const RtMidiPorts&) = delete;
    RtMidiPorts& operator=(const RtMidiPorts&) = delete;

    // Opens the port listed as `device` by the last deviceCount(); MidiStatus::NoDevice when that
    // port is gone, MidiStatus::Allocated when it is already open.
    MidiStatus open(unsigned device) override;
    void shortMsg(std::uint32_t message) override;
    // Note-offs for every note this device was sent a note-on for and has not ended.
    void reset() override;
    // Ends the notes still sounding (as reset does) before the port closes.
    void close() override;
    // Lists the ports afresh.
    unsigned deviceCount() const override;
    MidiStatus deviceName(unsigned device, std::string& name) const override;

    // The port's full name ("ALSA: ..." or "JACK: ...") as listed by the last deviceCount().
    std::string fullName(unsigned device) const;
    // The full name of the open port; empty when none is open.
    const std::string& openName() const { return openName_; }

private:
    struct Port {
        int api; // index into apis_
        std::string name;
    };
    struct Api;

    void scan() const;
    void Send(const unsigned char* bytes, std::size_t size);

    std::vector<std::unique_ptr<Api>> apis_;
    mutable std::vector<Port> ports_;
    mutable bool scanned_ = false;
    std::unique_ptr<RtMidiOut> sender_; // the open port's own client
    std::string openName_;
    std::bitset<16 * 128> sounding_;
};

} // namespace cadenzo
