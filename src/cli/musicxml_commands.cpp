// cadenzo-cli export-musicxml: a song file written as MusicXML with tablature.
#include "cli/cli_common.h"

#include "files/musicxml_export.h"
#include "files/song_file.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace cadenzo::cli {

namespace {

namespace fs = std::filesystem;

struct MusicXmlArgs {
    std::string song;
    std::string out;
    std::string grid = "16";
};

NotationGrid gridOf(const std::string& text) {
    if (text == "16")
        return NotationGrid::Sixteenth;
    if (text == "32")
        return NotationGrid::ThirtySecond;
    if (text == "8")
        return NotationGrid::Eighth;
    throw UsageError("bad --grid '" + text + "': use 16, 32 or 8");
}

void exportNotation(const MusicXmlArgs& args) {
    MusicXmlOptions options;
    options.grid = gridOf(args.grid);
    const auto loaded = std::make_unique<LoadedSong>(args.song);
    options.title = fs::path(args.song).stem().string();
    options.midiChannel = loaded->midi.midiChannel;
    options.midiProgram = loaded->midi.midiProgram;
    const FileResult written =
        exportMusicXml(loaded->song, loaded->guitar.tunings(), loaded->tempo, options, args.out);
    if (!written)
        throw RunError(written.failure == FileFailure::Content ? args.song + ": " + written.message
                                                               : written.message);
    std::error_code ec;
    const auto size = fs::file_size(args.out, ec);
    std::cout << "Wrote " << args.out << ": MusicXML on the 1/" << args.grid << " grid, "
              << notatedChords(loaded->song, options.grid).size() << " chords, " << (ec ? 0 : size)
              << " bytes\n";
}

} // namespace

void addMusicXmlCommands(CLI::App& app) {
    auto args = std::make_shared<MusicXmlArgs>();
    CLI::App* cmd = app.add_subcommand(
        "export-musicxml", "Write a song file as MusicXML 4.0: one guitar part on a standard "
                           "staff and a tablature staff in the song's tuning");
    cmd->add_option("SONG", args->song, "Song file (.cz0)")->required();
    cmd->add_option("OUT", args->out,
                    "MusicXML file to write (.musicxml, or .mxl for the compressed form)")
        ->required();
    cmd->add_option("--grid", args->grid,
                    "Grid onsets and gate ends move to: 16, 32 or 8 (a sixteenth, a 32nd or an "
                    "eighth); the triplet grid's points are written as triplets")
        ->capture_default_str();
    cmd->callback([args] { exportNotation(*args); });
}

} // namespace cadenzo::cli
