#include "sound/recording_midi_out.h"

namespace cadenzo {

RecordingMidiOut::RecordingMidiOut(unsigned devices, std::size_t reserve) : devices_(devices) {
    sent_.reserve(reserve);
}

std::uint32_t RecordingMidiOut::open(unsigned device) {
    std::lock_guard lock(mutex_);
    if (failCode_ != MIDI_OK) {
        const std::uint32_t code = failCode_;
        failCode_ = MIDI_OK;
        return code;
    }
    if (device >= devices_)
        return MIDI_NO_DEVICE;
    open_ = true;
    return MIDI_OK;
}

void RecordingMidiOut::shortMsg(std::uint32_t message) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    if (open_)
        sent_.push_back({message, std::this_thread::get_id(), now});
}

void RecordingMidiOut::reset() {
    std::lock_guard lock(mutex_);
    ++resets_;
}

void RecordingMidiOut::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
}

std::uint32_t RecordingMidiOut::deviceName(unsigned device, std::string& name) const {
    if (device >= devices_)
        return MIDI_NO_DEVICE;
    name = "Recorder " + std::to_string(device);
    return MIDI_OK;
}

std::vector<RecordingMidiOut::Sent> RecordingMidiOut::sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

void RecordingMidiOut::clear() {
    std::lock_guard lock(mutex_);
    sent_.clear();
}

bool RecordingMidiOut::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

int RecordingMidiOut::resetCount() const {
    std::lock_guard lock(mutex_);
    return resets_;
}

void RecordingMidiOut::failNextOpen(std::uint32_t code) {
    std::lock_guard lock(mutex_);
    failCode_ = code;
}

} // namespace cadenzo
