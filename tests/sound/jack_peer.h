#pragma once

#include "sound/midi_out.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

struct _jack_client;
struct _jack_port;

namespace cadenzo::test {

// A private JACK server on the dummy driver, started and stopped by the test itself.
class JackServer {
public:
    ~JackServer() { Stop(); }
    // Starts `jackd -n name -d dummy` (real-time scheduling only if asked: the benchmark), waits
    // up to `waitSeconds` until it takes clients and points JACK_DEFAULT_SERVER at it.
    bool Start(const std::string& name, int rate, int period, std::string& error,
               int waitSeconds = 60, bool realtime = false);
    void Stop();
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// A JACK client keeping all that reaches "client:in", with the frame and monotonic time of its
// cycle; "client:out" plays a controller.
class JackCapture {
public:
    struct Event {
        std::uint8_t bytes[3];
        std::uint32_t size;
        std::uint32_t frame;  // absolute frame time of the event
        std::int64_t cycleNs; // CLOCK_MONOTONIC when its cycle ran
    };

    ~JackCapture() { close(); }
    bool Open(const std::string& server, const std::string& client, std::string& error);
    void close();
    std::string portName() const; // "client:in"
    std::size_t count() const { return count_.load(std::memory_order_acquire); }
    std::vector<Event> events(std::size_t from = 0) const;
    // Sends up to 8 messages (status | data1 << 8 | data2 << 16) at the start of the next cycle,
    // waits for it and returns its absolute frame.
    std::uint32_t Send(std::initializer_list<std::uint32_t> messages);

private:
    static int Process(std::uint32_t frames, void* self);

    static constexpr std::size_t CAPACITY = 1 << 16;
    _jack_client* client_ = nullptr;
    _jack_port *port_ = nullptr, *out_ = nullptr;
    std::uint32_t pending_[8] = {};
    std::atomic<std::size_t> pendingCount_{0}, count_{0};
    std::atomic<std::uint32_t> sentFrame_{0};
    std::unique_ptr<Event[]> events_ = std::make_unique<Event[]>(CAPACITY);
};

// The index of `peer`'s input among the devices of `out`, 0 if it is not listed.
inline std::uint8_t DeviceOf(const MidiOut& out, const JackCapture& peer) {
    std::string name;
    for (unsigned d = 1; d < out.deviceCount(); ++d)
        if (out.deviceName(d, name) == MidiStatus::Ok &&
            ("JACK: " + peer.portName()).rfind(name, 0) == 0)
            return static_cast<std::uint8_t>(d);
    return 0;
}

} // namespace cadenzo::test
