#include "sound/rtmidi/rtmidi_in.h"

#include "sound/jack_server.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sys/eventfd.h>
#include <unistd.h>

namespace cadenzo {

namespace {

constexpr const char* CLIENT_NAME = "Cadenzo";

void keepError(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*user*/) {}

struct Api {
    RtMidi::Api api;
    const char* label;
};
constexpr Api APIS[] = {{RtMidi::LINUX_ALSA, "ALSA"}, {RtMidi::UNIX_JACK, "JACK"}};

// RtMidi prints to the terminal when a MIDI system is missing: only systems that are there are
// asked.
bool reachable(RtMidi::Api api) {
    if (api == RtMidi::LINUX_ALSA)
        return access("/dev/snd/seq", R_OK | W_OK) == 0;
    return runningJackSampleRate() > 0;
}

// Calls `each(api, index, full name)` for every port of the systems that are there.
template <class F> void forEachPort(F each) {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    for (const Api& a : APIS) {
        if (std::find(compiled.begin(), compiled.end(), a.api) == compiled.end() ||
            !reachable(a.api))
            continue;
        try {
            RtMidiIn lister(a.api, std::string(CLIENT_NAME) + "-list");
            lister.setErrorCallback(keepError, nullptr);
            for (unsigned i = 0; i < lister.getPortCount(); ++i) {
                const std::string name = lister.getPortName(i);
                if (!name.empty() && name.rfind(CLIENT_NAME, 0) != 0)
                    each(a.api, i, std::string(a.label) + ": " + name);
            }
        } catch (const RtMidiError&) {
        }
    }
}

} // namespace

RtMidiInput::RtMidiInput() : readyFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

RtMidiInput::~RtMidiInput() {
    close();
    if (readyFd_ >= 0)
        ::close(readyFd_);
}

std::vector<std::string> RtMidiInput::portNames() {
    std::vector<std::string> names;
    forEachPort([&](RtMidi::Api, unsigned, const std::string& name) { names.push_back(name); });
    return names;
}

bool RtMidiInput::open(const std::string& name) {
    close();
    bool opened = false;
    forEachPort([&](RtMidi::Api api, unsigned index, const std::string& full) {
        if (opened || full != name)
            return;
        try {
            auto receiver = std::make_unique<RtMidiIn>(api, CLIENT_NAME);
            receiver->setErrorCallback(keepError, nullptr);
            receiver->ignoreTypes(true, true, true); // system exclusive, clock, active sensing
            receiver->setCallback(&RtMidiInput::Received, this);
            receiver->openPort(index, std::string(CLIENT_NAME) + " in");
            receiver_ = std::move(receiver);
            openName_ = name;
            opened = true;
        } catch (const RtMidiError&) {
        }
    });
    return opened;
}

void RtMidiInput::close() {
    // Closing stops the receiving thread's calls before the port goes.
    if (receiver_) {
        receiver_->closePort();
        receiver_->cancelCallback();
    }
    receiver_.reset();
    openName_.clear();
}

void RtMidiInput::Received(double /*stamp*/, std::vector<unsigned char>* bytes, void* self) {
    auto* input = static_cast<RtMidiInput*>(self);
    if (bytes == nullptr || bytes->empty() || bytes->size() > 3)
        return;
    TimedMessage message;
    message.dueNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    for (std::size_t i = 0; i < bytes->size(); ++i)
        message.message |= static_cast<std::uint32_t>((*bytes)[i]) << (8 * i);
    if (!input->queue_.tryPush(message))
        return; // the window is a queue's worth behind: a held-up window loses this one
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(input->readyFd_, &one, sizeof one);
}

bool RtMidiInput::take(TimedMessage& message) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(readyFd_, &count, sizeof count);
    return queue_.tryPop(message);
}

} // namespace cadenzo
