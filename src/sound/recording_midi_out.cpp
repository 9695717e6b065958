#include "sound/recording_midi_out.h"

namespace cadenzo {

RecordingMidiOut::RecordingMidiOut(unsigned devices, std::size_t reserve) : devices_(devices) {
    sent_.reserve(reserve);
}

MidiStatus RecordingMidiOut::open(unsigned device) {
    std::lock_guard lock(mutex_);
    if (failCode_ != MidiStatus::Ok) {
        const MidiStatus code = failCode_;
        failCode_ = MidiStatus::Ok;
        return code;
    }
    if (device >= devices_)
        return MidiStatus::NoDevice;
    open_ = true;
    return MidiStatus::Ok;
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

MidiStatus RecordingMidiOut::deviceName(unsigned device, std::string& name) const {
    if (device >= devices_)
        return MidiStatus::NoDevice;
    name = "Recorder " + std::to_string(device);
    return MidiStatus::Ok;
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

void RecordingMidiOut::failNextOpen(MidiStatus code) {
    std::lock_guard lock(mutex_);
    failCode_ = code;
}

} // namespace cadenzo
