#include "sound/rtmidi/rtmidi_out.h"

#include "sound/jack_server.h"

#include <rtmidi/RtMidi.h>

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace cadenzo {

namespace {

// The client and port name other programs see.
constexpr const char* CLIENT_NAME = "Cadenzo";
constexpr std::size_t NAME_MAX_LENGTH = 31;

// RtMidi reports to the terminal or by exceptions; Cadenzo reports by result codes instead.
void keepError(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*user*/) {}

// libjack prints every failed attempt to reach a server; having no JACK server is normal.
void QuietJack(const char* /*message*/) {}

} // namespace

struct RtMidiPorts::Api {
    RtMidi::Api api;
    const char* label;
    std::unique_ptr<RtMidiOut> out; // null when this MIDI system cannot be reached
};

RtMidiPorts::RtMidiPorts() {
    jack_set_error_function(QuietJack);
    jack_set_info_function(QuietJack);
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    const std::pair<RtMidi::Api, const char*> wanted[] = {{RtMidi::LINUX_ALSA, "ALSA"},
                                                          {RtMidi::UNIX_JACK, "JACK"}};
    for (const auto& [api, label] : wanted) {
        bool present = false;
        for (RtMidi::Api c : compiled)
            present = present || c == api;
        if (present)
            apis_.push_back(std::make_unique<Api>(Api{api, label, nullptr}));
    }
}

RtMidiPorts::~RtMidiPorts() {
    close();
}

// RtMidi reports a missing MIDI system on the terminal while it is constructed, before an error
// callback can be set; so it is only asked when the system is there.
static bool reachable(RtMidi::Api api) {
    if (api == RtMidi::LINUX_ALSA)
        return access("/dev/snd/seq", R_OK | W_OK) == 0;
    if (api == RtMidi::UNIX_JACK)
        return runningJackSampleRate() > 0;
    return true;
}

static int countCycle(jack_nframes_t /*frames*/, void* cycles) {
    static_cast<std::atomic<int>*>(cycles)->fetch_add(1, std::memory_order_relaxed);
    return 0;
}

// A JACK connection carries messages only from the first cycle after the server has applied it;
// what is sent before is lost, such as the program change that follows an open. Waits until the
// port shows the connection and the server has run a few cycles since, counted by a client of
// its own (a busy server's cycles can be far apart; about a second at most is spent).
static void settleJack(const std::string& target) {
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("Cadenzo-probe", JackNoStartServer, &status);
    if (probe == nullptr)
        return;
    jack_port_t* port = jack_port_by_name(probe, target.c_str());
    for (int i = 0; i < 200 && port != nullptr && jack_port_connected(port) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::atomic<int> cycles{0};
    if (jack_set_process_callback(probe, countCycle, &cycles) == 0 && jack_activate(probe) == 0) {
        for (int i = 0; i < 1000 && cycles.load(std::memory_order_relaxed) < 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        jack_deactivate(probe);
    }
    jack_client_close(probe);
}

void RtMidiPorts::scan() const {
    ports_.clear();
    for (std::size_t a = 0; a < apis_.size(); ++a) {
        Api& api = *apis_[a];
        // A JACK server may have stopped or started since the last look: its listing client is
        // made afresh.
        if (api.api == RtMidi::UNIX_JACK)
            api.out.reset();
        if (!api.out) {
            if (!reachable(api.api))
                continue;
            try {
                api.out = std::make_unique<RtMidiOut>(api.api, CLIENT_NAME);
                api.out->setErrorCallback(keepError, nullptr);
            } catch (const RtMidiError&) {
                continue; // no sequencer device: no ports of this kind
            }
        }
        const unsigned count = api.out->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            std::string name = api.out->getPortName(i);
            if (!name.empty())
                ports_.push_back({static_cast<int>(a), std::move(name)});
        }
    }
    scanned_ = true;
}

unsigned RtMidiPorts::deviceCount() const {
    scan();
    return static_cast<unsigned>(ports_.size());
}

std::string RtMidiPorts::fullName(unsigned device) const {
    if (!scanned_)
        scan();
    if (device >= ports_.size())
        return {};
    return std::string(apis_[ports_[device].api]->label) + ": " + ports_[device].name;
}

MidiStatus RtMidiPorts::deviceName(unsigned device, std::string& name) const {
    if (!scanned_)
        scan();
    if (device >= ports_.size())
        return MidiStatus::NoDevice;
    name = fullName(device).substr(0, NAME_MAX_LENGTH);
    return MidiStatus::Ok;
}

MidiStatus RtMidiPorts::open(unsigned device) {
    if (sender_)
        return MidiStatus::Allocated;
    if (!scanned_)
        scan();
    if (device >= ports_.size())
        return MidiStatus::NoDevice;
    const Port wanted = ports_[device];
    const Api& api = *apis_[wanted.api];
    // The sending client is a client of its own, so that listing the ports again (the setup
    // dialog) never touches it while the timer thread sends.
    std::unique_ptr<RtMidiOut> sender;
    try {
        sender = std::make_unique<RtMidiOut>(api.api, CLIENT_NAME);
        sender->setErrorCallback(keepError, nullptr);
    } catch (const RtMidiError&) {
        return MidiStatus::NoDevice;
    }
    // The list may have changed since it was shown: the port is found again by its name.
    const unsigned count = sender->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (sender->getPortName(i) != wanted.name)
            continue;
        sender->openPort(i, CLIENT_NAME);
        if (!sender->isPortOpen())
            return MidiStatus::Error;
        if (api.api == RtMidi::UNIX_JACK)
            settleJack(wanted.name);
        sender_ = std::move(sender);
        openName_ = fullName(device);
        sounding_.reset();
        return MidiStatus::Ok;
    }
    return MidiStatus::NoDevice;
}

void RtMidiPorts::Send(const unsigned char* bytes, std::size_t size) {
    sender_->sendMessage(bytes, size);
}

void RtMidiPorts::shortMsg(std::uint32_t message) {
    if (!sender_)
        return;
    const unsigned char status = message & 0xFF;
    if (status < 0x80)
        return; // not a message
    const unsigned char bytes[3] = {status, static_cast<unsigned char>((message >> 8) & 0xFF),
                                    static_cast<unsigned char>((message >> 16) & 0xFF)};
    std::size_t size = 3;
    switch (status & 0xF0) {
    case 0x80:
    case 0x90: {
        const std::size_t key = (status & 0x0F) * 128u + (bytes[1] & 0x7F);
        sounding_[key] = (status & 0xF0) == 0x90 && bytes[2] != 0;
        break;
    }
    case 0xC0:
    case 0xD0:
        size = 2;
        break;
    default:
        break;
    }
    Send(bytes, size);
}

void RtMidiPorts::reset() {
    if (!sender_)
        return;
    for (std::size_t key = 0; key < sounding_.size(); ++key) {
        if (!sounding_[key])
            continue;
        const unsigned char bytes[3] = {static_cast<unsigned char>(0x80 | (key / 128)),
                                        static_cast<unsigned char>(key % 128), 0};
        Send(bytes, 3);
    }
    sounding_.reset();
}

void RtMidiPorts::close() {
    if (!sender_)
        return;
    // An external synthesizer keeps sounding whatever it was not told to end, also after Cadenzo
    // has switched to another device.
    reset();
    sender_->closePort();
    sender_.reset();
    openName_.clear();
}

} // namespace cadenzo
