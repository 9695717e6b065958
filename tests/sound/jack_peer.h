#pragma once

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
    // Starts `jackd -n name -d dummy` and waits (up to `waitSeconds`) until it takes clients.
    // Points this process's JACK clients at it (JACK_DEFAULT_SERVER).
    // `realtime` asks jackd for real-time scheduling (the benchmark); tests run it without.
    bool Start(const std::string& name, int rate, int period, std::string& error,
               int waitSeconds = 60, bool realtime = false);
    void Stop();
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// A JACK client with one MIDI input port that keeps everything that reaches it, with the frame
// it arrived at and the monotonic time of the cycle that delivered it; and one MIDI output port
// ("client:out") that plays a controller.
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
    // The port's full name as other clients list it ("client:in").
    std::string portName() const;
    std::size_t count() const { return count_.load(std::memory_order_acquire); }
    std::vector<Event> events(std::size_t from = 0) const;
    // Sends up to 8 messages (status | data1 << 8 | data2 << 16, three bytes each) at the start
    // of the next cycle and returns the absolute frame they went out at; waits for that cycle.
    std::uint32_t Send(std::initializer_list<std::uint32_t> messages);

private:
    static int Process(std::uint32_t frames, void* self);

    static constexpr std::size_t CAPACITY = 1 << 16;
    _jack_client* client_ = nullptr;
    _jack_port* port_ = nullptr;
    _jack_port* out_ = nullptr;
    std::uint32_t pending_[8] = {};
    std::atomic<std::size_t> pendingCount_{0};
    std::atomic<std::uint32_t> sentFrame_{0};
    std::unique_ptr<Event[]> events_ = std::make_unique<Event[]>(CAPACITY);
    std::atomic<std::size_t> count_{0};
};

} // namespace cadenzo::test
