// cadenzo-cli export-smf: a song file written as a Standard MIDI File, with the options of the
// export dialog.
#include "cli/cli_common.h"

#include "files/smf_export.h"
#include "files/song_file.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace cadenzo::cli {

namespace {

namespace fs = std::filesystem;

struct ExportArgs {
    std::string song;
    std::string out;
    std::string format = "1";
    std::string reset = "none";
    int channel = 0;
    int program = 0;
    int volume = 0;
    int reverb = 0;
    int chorus = 0;
    CLI::Option* channelOption = nullptr;
    CLI::Option* programOption = nullptr;
    CLI::Option* volumeOption = nullptr;
    CLI::Option* reverbOption = nullptr;
    CLI::Option* chorusOption = nullptr;
};

int formatItem(const std::string& text) {
    if (text == "0")
        return SMF_FORMAT0;
    if (text == "1")
        return SMF_FORMAT1_SINGLE;
    if (text == "1m")
        return SMF_FORMAT1_MULTI;
    throw UsageError("bad --format '" + text +
                     "': use 0 (one track), 1 (conductor and one track) or 1m (conductor and one "
                     "track per string)");
}

int initItem(const std::string& text) {
    if (text == "none")
        return SMF_INIT_NONE;
    if (text == "gm")
        return SMF_INIT_GM;
    if (text == "xg")
        return SMF_INIT_XG;
    if (text == "gs")
        return SMF_INIT_GS;
    throw UsageError("bad --reset '" + text + "': use none, gm, xg or gs");
}

void checkRange(const CLI::Option* option, int value, int low, int high) {
    if (option->count() > 0 && (value < low || value > high))
        throw UsageError("bad " + option->get_name() + " " + std::to_string(value) + ": use " +
                         std::to_string(low) + ".." + std::to_string(high));
}

void exportSong(const ExportArgs& args) {
    const int format = formatItem(args.format);
    const int init = initItem(args.reset);
    checkRange(args.channelOption, args.channel, 1, 16);
    checkRange(args.programOption, args.program, SMF_FIRST_PROGRAM,
               SMF_FIRST_PROGRAM + static_cast<int>(smfProgramItems.size()) - 1);
    checkRange(args.volumeOption, args.volume, 0, 127);
    checkRange(args.reverbOption, args.reverb, 0, 127);
    checkRange(args.chorusOption, args.chorus, 0, 127);

    const auto loaded = std::make_unique<LoadedSong>(args.song);
    std::error_code ec;
    fs::path out = fs::absolute(args.out, ec);
    if (ec) // the working folder is gone: the name as given still says where to write
        out = args.out;
    // As the dialog opens, then what the command line asks for.
    SmfOptions options = initialSmfOptions(loaded->song, loaded->midi.midiChannel,
                                           loaded->midi.midiProgram, out.string());
    options.format = format;
    options.init = init;
    if (args.channelOption->count() > 0)
        options.channel = args.channel;
    if (args.programOption->count() > 0)
        options.programItem = smfProgramItem(args.program);
    options.volumeOn = args.volumeOption->count() > 0;
    options.reverbOn = args.reverbOption->count() > 0;
    options.chorusOn = args.chorusOption->count() > 0;
    if (options.volumeOn)
        options.volume = args.volume;
    if (options.reverbOn)
        options.reverb = args.reverb;
    if (options.chorusOn)
        options.chorus = args.chorus;

    // What is left to refuse comes from the song itself: its tempo, channel or program.
    int tempo = 0;
    std::string problem = parseSmfTempo(loaded->tempo, tempo);
    if (problem.empty())
        problem = checkSmfOptions(options);
    if (!problem.empty())
        throw RunError(args.song + ": " + problem);
    if (const FileResult written =
            exportSmf(loaded->song, loaded->guitar.tunings(), loaded->tempo, options);
        !written)
        throw RunError(written.message);
    const auto size = fs::file_size(out, ec);
    std::cout << "Wrote " << out.string() << ": "
              << smfFormatItems[static_cast<std::size_t>(format)] << ", "
              << smfTracks(format).size() << " tracks, " << (ec ? 0 : size) << " bytes\n";
}

} // namespace

void addExportCommands(CLI::App& app) {
    auto args = std::make_shared<ExportArgs>();
    CLI::App* cmd = app.add_subcommand(
        "export-smf", "Write a song file as a Standard MIDI File (480 ticks per quarter, one bar "
                      "of lead-in carrying tempo, signature, reset, program and controllers)");
    cmd->add_option("SONG", args->song, "Song file (.cz0)")->required();
    cmd->add_option("OUT", args->out, "Standard MIDI File to write (.mid)")->required();
    cmd->add_option("--format", args->format,
                    "0 = one track, 1 = conductor and one track, 1m = conductor and one track per "
                    "string")
        ->capture_default_str();
    cmd->add_option("--reset", args->reset, "Reset message: none, gm, xg or gs")
        ->capture_default_str();
    args->channelOption =
        cmd->add_option("--channel", args->channel, "MIDI channel 1..16 (default: the song's)");
    args->programOption = cmd->add_option(
        "--program", args->program,
        "Program 24..30: NylonGtr, SteelGtr, Jazz Gtr, CleanGtr, Mute Gtr, OverDriveGtr, DistGtr "
        "(default: the song's)");
    args->volumeOption =
        cmd->add_option("--volume", args->volume, "Write volume (CC7) with this value 0..127");
    args->reverbOption =
        cmd->add_option("--reverb", args->reverb, "Write reverb (CC91) with this value 0..127");
    args->chorusOption =
        cmd->add_option("--chorus", args->chorus, "Write chorus (CC93) with this value 0..127");
    cmd->callback([args] { exportSong(*args); });
}

} // namespace cadenzo::cli
