#include "sound/system_midi_out.h"

#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/rtmidi/rtmidi_out.h"

#include <cstdio>

namespace cadenzo {

SystemMidiOut::SystemMidiOut()
    : SystemMidiOut(std::make_unique<FluidMidiOut>(), std::make_unique<RtMidiPorts>()) {}

SystemMidiOut::SystemMidiOut(std::unique_ptr<FluidMidiOut> synth,
                             std::unique_ptr<RtMidiPorts> ports)
    : synth_(std::move(synth)), ports_(std::move(ports)) {}

SystemMidiOut::~SystemMidiOut() {
    close();
}

MidiStatus SystemMidiOut::open(unsigned device) {
    std::lock_guard devices(deviceMutex_);
    {
        std::lock_guard sends(sendMutex_);
        if (active_ != nullptr)
            return MidiStatus::Allocated;
    }
    // No send reaches a backend that is not active, so it opens without holding up the sends.
    MidiOut& backend = device == 0 ? static_cast<MidiOut&>(*synth_) : *ports_;
    lastTried_ = &backend;
    const MidiStatus result = backend.open(device == 0 ? 0 : device - 1);
    if (result == MidiStatus::Ok) {
        std::lock_guard sends(sendMutex_);
        active_ = &backend;
        openDevice_ = static_cast<int>(device);
    }
    return result;
}

void SystemMidiOut::prepare(unsigned device) {
    std::lock_guard devices(deviceMutex_);
    if (device == 0)
        synth_->prepare(0);
}

void SystemMidiOut::shortMsg(std::uint32_t message) {
    std::lock_guard lock(sendMutex_);
    if (active_ != nullptr)
        active_->shortMsg(message);
}

void SystemMidiOut::reset() {
    std::lock_guard lock(sendMutex_);
    if (active_ != nullptr)
        active_->reset();
}

void SystemMidiOut::close() {
    std::lock_guard devices(deviceMutex_);
    MidiOut* backend = nullptr;
    {
        std::lock_guard sends(sendMutex_);
        backend = active_;
        active_ = nullptr;
        openDevice_ = -1;
    }
    if (backend != nullptr)
        backend->close();
}

unsigned SystemMidiOut::deviceCount() const {
    std::lock_guard lock(deviceMutex_);
    return 1 + ports_->deviceCount();
}

MidiStatus SystemMidiOut::deviceName(unsigned device, std::string& name) const {
    std::lock_guard lock(deviceMutex_);
    if (device == 0)
        return synth_->deviceName(0, name);
    return ports_->deviceName(device - 1, name);
}

int SystemMidiOut::openDevice() const {
    std::lock_guard lock(sendMutex_);
    return openDevice_;
}

std::string SystemMidiOut::describe() const {
    std::lock_guard lock(deviceMutex_);
    const int device = openDevice();
    if (device < 0)
        return {};
    if (device > 0)
        return ports_->openName();
    char latency[32];
    std::snprintf(latency, sizeof latency, "%.1f ms", synth_->latencyMs());
    return std::string(FluidMidiOut::NAME) + ": " + synth_->soundFont() + " through " +
           (synth_->driver().empty() ? std::string("no audio driver") : synth_->driver()) + ", " +
           latency + " buffered";
}

std::string SystemMidiOut::openFailure() const {
    std::lock_guard lock(deviceMutex_);
    // Only the backend of the last open speaks: an earlier failure of the built-in synthesizer
    // is no reason why a port did not open.
    return lastTried_ != nullptr ? lastTried_->openFailure() : std::string();
}

std::unique_ptr<MidiOut> makeSystemMidiOut(double pauseAfterQuietSeconds) {
    FluidMidiOut::Options synth;
    synth.pauseAfterQuietSeconds = pauseAfterQuietSeconds;
    return std::make_unique<SystemMidiOut>(std::make_unique<FluidMidiOut>(synth),
                                           std::make_unique<RtMidiPorts>());
}

} // namespace cadenzo
