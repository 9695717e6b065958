// cadenzo-cli devices and strum: the MIDI output devices and one real stroke from the terminal.
#include "cli/cli_common.h"
#include "cli/interrupt_watch.h"
#include "model/chords.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/strum.h"
#ifdef CADENZO_HAVE_BACKENDS
#include "sound/system_midi_out.h"
#endif

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

namespace cadenzo::cli {

namespace {

struct StrumArgs {
    std::string root;
    std::string type;
    std::string pos = "L";
    bool up = false;
    int device = 0;
    std::string tuning = "Standard";
    int channel = 1;
    int velocity = 100;
    int program = -1; // not given
    int hold = 1000;
    std::string soundFont;
};

#ifdef CADENZO_HAVE_BACKENDS
void runDevices() {
    SystemMidiOut out;
    const unsigned count = out.deviceCount();
    for (unsigned d = 0; d < count; ++d) {
        std::string name;
        if (out.deviceName(d, name) == MidiStatus::Ok)
            std::cout << d << ' ' << name << '\n';
    }
}

void runStrum(const StrumArgs& args) {
    const ChordSelection chord{parseRoot(args.root) + 1, parseType(args.type)};

    Guitar guitar;
    guitar.setTuning(parseTuning(args.tuning));
    guitar.chordPos = static_cast<std::uint8_t>(std::string("LMH").find(args.pos));
    applyChord(guitar, chord);
    guitar.updateStringNotes();

    MidiSetup setup;
    setup.midiDevice = static_cast<std::uint8_t>(args.device);
    setup.midiChannel = static_cast<std::uint8_t>(args.channel - 1);
    setup.midiVelocity = static_cast<std::uint8_t>(args.velocity);
    if (args.program >= 0)
        setup.midiProgram = static_cast<std::uint8_t>(args.program);

    const std::unique_ptr<MidiOut> out = makeTerminalMidiOut(args.soundFont);
    MidiPort port(*out, setup);
    openOnTerminal(port);
    if (args.program >= 0)
        port.programChange();

    const InterruptWatch watch;
    PeriodicTimer timer;
    Strummer strummer(timer, port, guitar);
    if (args.up)
        strummer.strum(Strummer::Direction::Up, Strummer::Release::OnRelease);
    else
        strummer.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
    while (strummer.running() && watch.sleepFor(std::chrono::milliseconds(5))) {
    }
    watch.sleepFor(std::chrono::milliseconds(args.hold)); // a signal cuts the hold short
    // Silences at once, or, when a signal came mid-stroke, as soon as the stroke's last string
    // has sounded (within 259 ms).
    strummer.release();
    while (strummer.running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Let a port that sends from its own thread (JACK) deliver the note-offs before it closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    port.close();
}
#else
// Without the backends there is no device to list or to strum on.
void runDevices() {
    throw RunError("this cadenzo-cli was built without MIDI devices");
}
void runStrum(const StrumArgs&) {
    throw RunError("this cadenzo-cli was built without MIDI devices");
}
#endif

} // namespace

void addSoundCommands(CLI::App& app) {
    CLI::App* devices = app.add_subcommand(
        "devices", "List the MIDI output devices, one per line: INDEX NAME (0 = built-in)");
    devices->callback([] { runDevices(); });

    auto args = std::make_shared<StrumArgs>();
    CLI::App* strum = app.add_subcommand(
        "strum", "Strum a built-in chord once on a MIDI output device, as the stroke buttons do");
    strum->add_option("ROOT", args->root, "Root: C, C#, D, D#, E, F, F#, G, G#, A, A#, B")
        ->required();
    strum->add_option("TYPE", args->type, "Type: M, m, 7, m7, Maj7, ... (see chord --help)")
        ->required();
    strum->add_option("--pos", args->pos, "Position on the neck: L (low), M, H (high)")
        ->check(CLI::IsMember({"L", "M", "H"}))
        ->capture_default_str();
    strum->add_flag("--up", args->up, "Up stroke (highest string first) instead of down");
    strum->add_option("--device", args->device, "Output device index (see devices)")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    strum->add_option("--tuning", args->tuning, TUNING_HELP)->capture_default_str();
    strum->add_option("--channel", args->channel, "MIDI channel 1..16")
        ->check(CLI::Range(1, 16))
        ->capture_default_str();
    strum->add_option("--velocity", args->velocity, "Note-on velocity 0..127")
        ->check(CLI::Range(0, 127))
        ->capture_default_str();
    strum->add_option("--program", args->program, "Send this program change 0..127 first")
        ->check(CLI::Range(0, 127));
    strum->add_option("--hold", args->hold, "Milliseconds the notes ring after the stroke")
        ->check(CLI::Range(0, 600000))
        ->capture_default_str();
    strum->add_option(
        "--soundfont", args->soundFont,
        "SoundFont of the built-in synthesizer (default: the General MIDI SoundFont)");
    strum->callback([args] { runStrum(*args); });
}

} // namespace cadenzo::cli
