// cadenzo-cli export-chordpro and import-chart: songs as chord sheets, and chord charts as songs.
#include "cli/cli_common.h"

#include "files/chord_chart.h"
#include "files/chordpro_export.h"
#include "files/song_file.h"
#include "model/chords.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace cadenzo::cli {

namespace {

struct ImportArgs {
    std::string chart;
    std::string out;
    std::string pattern = DEFAULT_STRUM_PATTERN;
    int tempo = 0;
    std::string position = "L";
    std::string tuning = "Standard";
    CLI::Option* tempoOption = nullptr;
};

int positionItem(const std::string& text) {
    static const std::string letters = "LMH";
    if (text.size() != 1 || letters.find(text[0]) == std::string::npos)
        throw UsageError("bad --position '" + text + "': use L (low), M (middle) or H (high)");
    return static_cast<int>(letters.find(text[0]));
}

void exportSheet(const std::string& songPath, const std::string& outPath) {
    const auto loaded = std::make_unique<LoadedSong>(songPath);
    if (outPath == "-") { // the sheet to a pipe or the terminal
        std::cout << composeChordPro(loaded->song, loaded->tempo, loaded->guitar.tunings());
        return;
    }
    if (const FileResult written =
            exportChordPro(outPath, loaded->song, loaded->tempo, loaded->guitar.tunings());
        !written)
        throw RunError(written.message);
    std::cout << "Wrote " << outPath << "\n";
}

void importChart(const ImportArgs& args) {
    ChartOptions options;
    options.pattern = args.pattern;
    if (std::string problem = checkStrumPattern(args.pattern); !problem.empty())
        throw UsageError(problem);
    if (args.tempoOption->count() > 0 && (args.tempo < MIN_TEMPO || args.tempo > MAX_TEMPO))
        throw UsageError("bad --tempo " + std::to_string(args.tempo) + ": use " +
                         std::to_string(MIN_TEMPO) + ".." + std::to_string(MAX_TEMPO));
    options.tempo = args.tempo;
    options.position = positionItem(args.position);
    options.tuning = parseTuning(args.tuning);

    ChartSong arranged;
    std::string title;
    if (const FileResult read = readChordChart(args.chart, options, arranged, title); !read) {
        // A chart the tool cannot read is bad input; one it cannot open is a failure to run.
        if (read.failure == FileFailure::Content)
            throw UsageError(read.message);
        throw RunError(read.message);
    }
    const auto song = std::make_unique<Song>();
    std::string tempo = std::to_string(arranged.tempo);
    MidiSetup midi;
    Guitar guitar;
    guitar.setTuning(options.tuning);
    storeChartSong(arranged, title, *song);
    if (!arranged.events.empty()) // the fretboard opens on the first chord
        guitar.setFrets(arranged.events.front().frets);
    if (const FileResult written = writeSongFile(args.out, {*song, tempo, midi, guitar}); !written)
        throw RunError(written.message);
    std::cout << "Wrote " << args.out << ": " << arranged.meters.size() << " bars, "
              << arranged.events.size() << " events\n";
}

} // namespace

void addChordProCommands(CLI::App& app) {
    auto sheet = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* exportCmd = app.add_subcommand(
        "export-chordpro", "Write a song file as a ChordPro chord sheet: title, tempo, the "
                           "song's own fingerings as {define} lines, four bars a line");
    exportCmd->add_option("SONG", sheet->first, "Song file (.cz0)")->required();
    exportCmd
        ->add_option("OUT", sheet->second,
                     "ChordPro file to write (.cho), or - for the standard output")
        ->required();
    exportCmd->callback([sheet] { exportSheet(sheet->first, sheet->second); });

    auto args = std::make_shared<ImportArgs>();
    CLI::App* importCmd = app.add_subcommand(
        "import-chart", "Turn a chord chart (| C | Am | F G | C |, % repeats a bar, 3/4 or "
                        "{time: 3/4} changes the signature) or a ChordPro file into a song file");
    importCmd->add_option("CHART", args->chart, "Chord chart or ChordPro file")->required();
    importCmd->add_option("OUT", args->out, "Song file to write (.cz0)")->required();
    importCmd
        ->add_option("--pattern", args->pattern,
                     "Strum per eighth note, repeated to fill each bar: D down, U up, - rest")
        ->capture_default_str();
    args->tempoOption = importCmd->add_option(
        "--tempo", args->tempo, "Tempo 30..300 (default: the chart's {tempo}, else 120)");
    importCmd->add_option("--position", args->position, "Chord position: L, M or H")
        ->capture_default_str();
    importCmd->add_option("--tuning", args->tuning, TUNING_HELP)->capture_default_str();
    importCmd->callback([args] { importChart(*args); });
}

} // namespace cadenzo::cli
