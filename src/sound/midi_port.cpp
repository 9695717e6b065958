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
    return result;
}

std::string MidiPort::midiOpenMessage(MidiStatus code) const {
    std::string message = midiOpenWarning(code);
    if (const std::string why = out_.openFailure(); code != MidiStatus::Ok && !why.empty())
        message += "\n\n" + why;
    return message;
}

void MidiPort::close() {
    out_.close();
}

void MidiPort::noteOut(int kind, std::uint8_t channel, int note, std::uint8_t velocity) {
    if (!isMidiNote(note))
        return;
    const auto status = static_cast<std::uint8_t>(0x80 + 16 * kind + (channel & 0x0F));
    out_.shortMsg(packShortMsg(status, static_cast<std::uint8_t>(note), velocity & 0x7F));
}

void MidiPort::allNoteOff() {
    const std::uint8_t channel = setup_.midiChannel;
    for (int note = 0; note < 128; ++note)
        noteOut(0, channel, note, 0);
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
