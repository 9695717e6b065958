#include "sound/midi_port.h"

#include "model/guitar.h"

namespace cadenzo {

const char* midiOpenWarning(MidiStatus code) {
    switch (code) {
    case MidiStatus::Ok:
        return "";
    case MidiStatus::Allocated:
        return "Device Already Allocated";
    case MidiStatus::NoMap:
        return "No Map";
    case MidiStatus::NoDevice:
        return "No Midi Device";
    default:
        return "Midi Open Error";
    }
}

MidiStatus MidiPort::midiOpen() {
    const MidiStatus result = out_.open(setup_.midiDevice);
    if (result != MidiStatus::Ok)
        out_.close();
    out_.reset();
    forgetSounding();
    return result;
}

std::string MidiPort::midiOpenMessage(MidiStatus code) const {
    std::string message = midiOpenWarning(code);
    if (const std::string why = out_.openFailure(); code != MidiStatus::Ok && !why.empty())
        message += "\n\n" + why;
    return message;
}

// A closed device sounds nothing, and a newly opened one was reset.
void MidiPort::forgetSounding() {
    std::lock_guard lock(mutex_);
    sounding_.reset();
}

void MidiPort::close() {
    out_.close();
    forgetSounding();
}

void MidiPort::send(int kind, std::uint8_t channel, int note, std::uint8_t velocity) {
    if (!isMidiNote(note))
        return;
    channel &= 0x0F;
    velocity &= 0x7F;
    sounding_[channel * 128u + static_cast<unsigned>(note)] = kind == 1 && velocity != 0;
    const auto status = static_cast<std::uint8_t>(0x80 + 16 * kind + channel);
    out_.shortMsg(packShortMsg(status, static_cast<std::uint8_t>(note), velocity));
}

void MidiPort::noteOut(int kind, std::uint8_t channel, int note, std::uint8_t velocity) {
    std::lock_guard lock(mutex_);
    send(kind, channel, note, velocity);
}

void MidiPort::allNoteOff() {
    std::lock_guard lock(mutex_);
    // The current channel goes first, whatever sounds: a session that never changed its channel
    // sends exactly the 128 note-offs it always did.
    const std::uint8_t current = setup_.midiChannel & 0x0F;
    for (int note = 0; note < 128; ++note)
        send(0, current, note, 0);
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        bool sounds = false;
        for (unsigned key = 0; key < 128 && !sounds; ++key)
            sounds = sounding_[channel * 128u + key];
        for (int note = 0; note < 128 && sounds; ++note)
            send(0, channel, note, 0);
    }
}

void MidiPort::soundString(const Guitar& guitar, int s) {
    const std::uint8_t channel = setup_.midiChannel;
    const int note = stringMidiNote(guitar.frets[s], guitar.tuning[s]);
    noteOut(0, channel, note, 0);
    noteOut(1, channel, note, setup_.midiVelocity);
}

void MidiPort::programChange() {
    const auto status = static_cast<std::uint8_t>(0xC0 + (setup_.midiChannel & 0x0F));
    out_.shortMsg(packShortMsg(status, setup_.midiProgram & 0x7F, 0));
}

} // namespace cadenzo
