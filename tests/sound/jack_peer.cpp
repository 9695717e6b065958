#include "jack_peer.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <span>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace cadenzo::test {

bool JackServer::Start(const std::string& name, int rate, int period, std::string& error,
                       int waitSeconds, bool realtime) {
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    // The same clean-up as the shell peer test's, from the one script.
    if (std::system("sh " CADENZO_SOURCE_DIR "/tests/support/clear_stale_jack_registry.sh") != 0)
        return error = "cannot clear the stale JACK registry", false;
    name_ = name;
    const std::string log = "/tmp/" + name + ".log";
    // Synchronous (-S): a client that the machine holds up delays the cycle. Asynchronously the
    // server moves on without it, and the MIDI that client wrote in that cycle never arrives.
    const std::string command = "exec jackd " +
                                std::string(realtime ? "--realtime" : "--no-realtime") + " -S -n " +
                                name + " -d dummy -r " + std::to_string(rate) + " -p " +
                                std::to_string(period) + " -C 0 -P 0 >" + log + " 2>&1 </dev/null";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return pid_ = -1, error = "cannot start jackd", false;
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);

    for (int i = 0; i < 10 * waitSeconds; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) // also when jackd is not installed
            return pid_ = -1, error = "jackd ended at start; see " + log, false;
        jack_client_t* probe = jack_client_open(
            "cadenzo-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
            nullptr, name.c_str());
        if (probe != nullptr)
            return jack_client_close(probe), true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return Stop(), error = "jackd did not come up; see " + log, false;
}

void JackServer::Stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    for (int waited = 0; waitpid(pid_, nullptr, WNOHANG) != pid_; ++waited) {
        if (waited == 100) // five seconds
            kill(pid_, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pid_ = -1;
}

bool JackCapture::Open(const std::string& server, const std::string& client, std::string& error) {
    client_ = jack_client_open(
        client.c_str(),
        static_cast<jack_options_t>(JackNoStartServer | JackServerName | JackUseExactName), nullptr,
        server.c_str());
    if (client_ == nullptr)
        return error = "cannot open JACK client", false;
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (port_ == nullptr || out_ == nullptr ||
        jack_set_process_callback(client_, &JackCapture::Process, this) != 0 ||
        jack_activate(client_) != 0)
        return error = "cannot set up the JACK capture port", close(), false;
    return true;
}

void JackCapture::close() {
    if (client_ != nullptr)
        jack_deactivate(client_), jack_client_close(client_);
    client_ = nullptr, port_ = nullptr, out_ = nullptr;
}

std::string JackCapture::portName() const {
    return port_ ? jack_port_name(port_) : "";
}

int JackCapture::Process(std::uint32_t frames, void* user) {
    auto* self = static_cast<JackCapture*>(user);
    void* outBuffer = jack_port_get_buffer(self->out_, frames);
    jack_midi_clear_buffer(outBuffer);
    if (const std::size_t n = self->pendingCount_.load(std::memory_order_acquire); n > 0) {
        for (const std::uint32_t m : std::span(self->pending_, n))
            if (jack_midi_data_t* b = jack_midi_event_reserve(outBuffer, 0, 3))
                b[0] = m & 0xFF, b[1] = m >> 8 & 0x7F, b[2] = m >> 16 & 0x7F;
        self->sentFrame_.store(jack_last_frame_time(self->client_), std::memory_order_relaxed);
        self->pendingCount_.store(0, std::memory_order_release);
    }
    void* buffer = jack_port_get_buffer(self->port_, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    // steady_clock is CLOCK_MONOTONIC here, the clock the benchmark compares with.
    const std::int64_t now =
        std::chrono::nanoseconds(std::chrono::steady_clock::now().time_since_epoch()).count();
    const std::uint32_t cycleStart = jack_last_frame_time(self->client_);
    std::size_t n = self->count_.load(std::memory_order_relaxed);
    jack_midi_event_t event;
    for (std::uint32_t i = 0; i < count && n < CAPACITY; ++i)
        if (Event& e = self->events_[n]; jack_midi_event_get(&event, buffer, i) == 0)
            e = {{0, 0, 0}, static_cast<std::uint32_t>(event.size), cycleStart + event.time, now},
            std::copy_n(event.buffer, std::min<std::size_t>(event.size, 3), e.bytes), ++n;
    self->count_.store(n, std::memory_order_release);
    return 0;
}

std::uint32_t JackCapture::Send(std::initializer_list<std::uint32_t> messages) {
    std::copy_n(messages.begin(), std::min<std::size_t>(messages.size(), 8), pending_);
    pendingCount_.store(std::min<std::size_t>(messages.size(), 8), std::memory_order_release);
    for (int i = 0; i < 20000 && pendingCount_.load(std::memory_order_acquire) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    return sentFrame_.load(std::memory_order_relaxed);
}

std::vector<JackCapture::Event> JackCapture::events(std::size_t from) const {
    const std::size_t n = count();
    return {events_.get() + std::min(from, n), events_.get() + n};
}

} // namespace cadenzo::test
