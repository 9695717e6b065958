#pragma once

#include "sound/midi_out.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cadenzo {

// An output device that keeps every message it is sent, with the sending thread and a monotonic
// timestamp, so tests and the dry-run player can show exactly what would reach a synthesizer.
// Thread rules: every member is safe from any thread.
class RecordingMidiOut : public MidiOut {
public:
    struct Sent {
        std::uint32_t message;
        std::thread::id thread;
        std::chrono::steady_clock::time_point at;
        std::uint8_t status() const { return message & 0xFF; }
        std::uint8_t data1() const { return (message >> 8) & 0xFF; }
        std::uint8_t data2() const { return (message >> 16) & 0xFF; }
    };

    // Devices this recorder pretends to have; opening another index fails with
    // MidiStatus::NoDevice.
    explicit RecordingMidiOut(unsigned devices = 1, std::size_t reserve = 1 << 16);

    MidiStatus open(unsigned device) override;
    void shortMsg(std::uint32_t message) override;
    void reset() override;
    void close() override;
    unsigned deviceCount() const override { return devices_; }
    MidiStatus deviceName(unsigned device, std::string& name) const override;

    // A copy of what was sent so far (messages sent while no device was open are not kept).
    std::vector<Sent> sent() const;
    void clear();
    bool isOpen() const;
    int resetCount() const;
    // Makes the next open fail with `code` (0 = succeed again).
    void failNextOpen(MidiStatus code);

private:
    mutable std::mutex mutex_;
    std::vector<Sent> sent_;
    unsigned devices_;
    bool open_ = false;
    int resets_ = 0;
    MidiStatus failCode_ = MidiStatus::Ok;
};

} // namespace cadenzo
