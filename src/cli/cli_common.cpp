#include "cli/cli_common.h"

#include "model/chords.h"
#ifdef CADENZO_HAVE_BACKENDS
#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/rtmidi/rtmidi_out.h"
#include "sound/system_midi_out.h"
#endif

#include <algorithm>
#include <charconv>
#include <sstream>

namespace cadenzo::cli {

LoadedSong::LoadedSong(const std::string& path) {
    guitar.setTuning(standardTuning);
    const FileResult result = loadSong(path, parts);
    if (result.failure == FileFailure::WrongType)
        throw RunError(path + ": " + result.message);
    if (!result)
        throw RunError(result.message);
}

void throwUnlessComplete(const PlaybackSchedule& schedule, const LoadedSong& loaded) {
    switch (schedule.outcome) {
    case PlaybackSchedule::Outcome::Complete:
        return;
    case PlaybackSchedule::Outcome::BadTempo:
        throw RunError("the song's tempo \"" + loaded.tempo + "\" is not an integer");
    case PlaybackSchedule::Outcome::NothingToPlay:
        throw RunError("no event lies at or after tick " +
                       std::to_string(loaded.song.playTick.load()));
    case PlaybackSchedule::Outcome::NoPeriod:
        throw RunError("the timer gives no period");
    case PlaybackSchedule::Outcome::NoEnd:
        break;
    }
    throw RunError("the song does not end");
}

std::string Bare(const char* item) {
    std::string text(item);
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string{} : text.substr(first, last - first + 1);
}

int parseRoot(const std::string& text) {
    for (int r = 0; r < CHORD_ROOTS; ++r)
        if (text == Bare(chord1Items[r + 1]))
            return r;
    throw UsageError("unknown root '" + text + "': use C, C#, D, D#, E, F, F#, G, G#, A, A# or B");
}

int parseType(const std::string& text) {
    std::string known;
    for (int t = 0; t < CHORD_TYPES; ++t) {
        const std::string bare = Bare(chord2Items[t]);
        if (text == bare)
            return t;
        known += (t > 0 ? ", " : "") + bare;
    }
    throw UsageError("unknown chord type '" + text + "': use one of " + known);
}

Frets parseTuning(const std::string& text) {
    for (const auto& preset : tunePreset)
        if (text == preset.name)
            return preset.values;

    Frets values{};
    std::size_t start = 0;
    for (int s = 0; s < STRING_COUNT; ++s) {
        const std::size_t comma = text.find(',', start);
        const bool last = s == STRING_COUNT - 1;
        if (last != (comma == std::string::npos))
            throw UsageError("bad tuning '" + text +
                             "': give a preset name or six comma-separated values 0..255");
        const std::string item = text.substr(start, last ? std::string::npos : comma - start);
        int value = -1;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (ec != std::errc{} || end != item.data() + item.size() || value < 0 || value > 255)
            throw UsageError("bad tuning value '" + item + "' in '" + text +
                             "': each value is 0..255");
        values[s] = static_cast<std::uint8_t>(value);
        start = comma + 1;
    }
    return values;
}

#ifdef CADENZO_HAVE_BACKENDS
std::unique_ptr<MidiOut> makeTerminalMidiOut(const std::string& soundFont) {
    FluidMidiOut::Options synth;
    synth.otherDeviceAdvice =
        "choose another device with --device N (cadenzo-cli devices lists them)";
    if (!soundFont.empty())
        synth.soundFonts = {soundFont};
    // The tool plays one thing and ends: a long rest in a song must not close the output and
    // move the rest of the song later.
    synth.pauseAfterQuietSeconds = 0;
    return std::make_unique<SystemMidiOut>(std::make_unique<FluidMidiOut>(synth),
                                           std::make_unique<RtMidiPorts>());
}
#endif

void openOnTerminal(MidiPort& port) {
    const MidiStatus code = port.midiOpen();
    if (code == MidiStatus::Ok)
        return;
    std::string message = std::string(midiOpenWarning(code)) + " (device " +
                          std::to_string(port.setup().midiDevice) + ")";
    if (std::string why = port.out().openFailure(); !why.empty()) {
        std::replace(why.begin(), why.end(), '\n', ' ');
        message += ": " + why;
    }
    throw RunError(message);
}

} // namespace cadenzo::cli
