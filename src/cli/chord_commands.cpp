// cadenzo-cli chord, name and chart: the chord dictionary from the terminal.
#include "cli/cli_common.h"
#include "model/chords.h"

#include <charconv>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace cadenzo::cli {

namespace {

std::string fretText(std::uint8_t fret) {
    return fret == SILENT ? "x" : std::to_string(fret);
}

std::string fretsText(const Frets& frets) {
    std::string line;
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (s > 0)
            line += ' ';
        line += fretText(frets[s]);
    }
    return line;
}

// A fret typed on the command line: 0..24, or x for a silent string.
std::uint8_t parseFret(const std::string& text) {
    if (text == "x")
        return SILENT;
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 0 || value > NECK_FRETS)
        throw UsageError("bad fret '" + text + "': each fret is 0..24 or x (silent)");
    return static_cast<std::uint8_t>(value);
}

struct ChordArgs {
    std::string root;
    std::string type;
    std::string pos = "L";
    std::string tuning = "Standard";
};

struct NameArgs {
    std::vector<std::string> frets;
    std::string tuning = "Standard";
};

void runChord(const ChordArgs& args) {
    const int root = parseRoot(args.root);
    const int type = parseType(args.type);
    Guitar guitar;
    guitar.setTuning(parseTuning(args.tuning));
    guitar.chordPos = static_cast<std::uint8_t>(std::string("LMH").find(args.pos));
    applyChord(guitar, ChordSelection{root + 1, type});
    std::cout << fretsText(guitar.currentFrets()) << '\n';
}

void runName(const NameArgs& args) {
    if (args.frets.size() != STRING_COUNT)
        throw UsageError("name needs six frets, strings 0..5 (highest first), got " +
                         std::to_string(args.frets.size()));
    Guitar guitar;
    guitar.setTuning(parseTuning(args.tuning));
    for (int s = 0; s < STRING_COUNT; ++s)
        guitar.frets[s] = parseFret(args.frets[static_cast<std::size_t>(s)]);
    std::cout << chordName(recognizeChord(guitar, true, ChordSelection{})) << '\n';
}

void runChart() {
    for (int r = 0; r < CHORD_ROOTS; ++r)
        for (int t = 0; t < CHORD_TYPES; ++t)
            for (int p = 0; p < CHORD_POSITIONS; ++p)
                std::cout << Bare(chord1Items[r + 1]) << ' ' << Bare(chord2Items[t]) << ' '
                          << "LMH"[p] << ' ' << fretsText(chordTable[r][t][p]) << '\n';
}

} // namespace

void addChordCommands(CLI::App& app) {
    auto chordArgs = std::make_shared<ChordArgs>();
    CLI::App* chord = app.add_subcommand(
        "chord", "Print the frets of a built-in chord, strings 0..5 (highest first), x = silent");
    chord->add_option("ROOT", chordArgs->root, "Root: C, C#, D, D#, E, F, F#, G, G#, A, A#, B")
        ->required();
    chord
        ->add_option("TYPE", chordArgs->type,
                     "Type: M, m, 6, m6, 7, m7, Maj7, mMaj7, m7b5, sus4, 7sus4, mb5, dim, aug, "
                     "9, M9, 69, 9#5, 9b5, 7b9, 7#9, m9, mM9, m69")
        ->required();
    chord->add_option("--pos", chordArgs->pos, "Position on the neck: L (low), M, H (high)")
        ->check(CLI::IsMember({"L", "M", "H"}))
        ->capture_default_str();
    chord->add_option("--tuning", chordArgs->tuning, TUNING_HELP)->capture_default_str();
    chord->callback([chordArgs] { runChord(*chordArgs); });

    auto nameArgs = std::make_shared<NameArgs>();
    CLI::App* name = app.add_subcommand(
        "name", "Name the built-in chord that six frets form (\"--\" when none does)");
    name->add_option("FRETS", nameArgs->frets,
                     "Six frets, strings 0..5 (highest first): 0..24, or x for a silent string")
        ->required();
    name->add_option("--tuning", nameArgs->tuning, TUNING_HELP)->capture_default_str();
    name->callback([nameArgs] { runName(*nameArgs); });

    CLI::App* chart = app.add_subcommand(
        "chart", "Print every built-in voicing: ROOT TYPE POS and the frets of strings 0..5");
    chart->callback([] { runChart(); });
}

} // namespace cadenzo::cli
