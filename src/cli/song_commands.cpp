#include "cli/cli_common.h"
#include "cli/interrupt_watch.h"

#include "files/song_file.h"
#include "playback/playback.h"
#include "playback/playback_schedule.h"
#include "sound/periodic_timer.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

namespace cadenzo::cli {

namespace {

nlohmann::json fretsJson(const Frets& frets) {
    nlohmann::json array = nlohmann::json::array();
    for (std::uint8_t f : frets)
        array.push_back(f);
    return array;
}

void printInfo(const std::string& path) {
    const auto loaded = std::make_unique<LoadedSong>(path);
    const Song& song = loaded->song;
    nlohmann::json out;
    out["name"] = song.songName;
    out["tempo"] = loaded->tempo;
    out["channel"] = loaded->midi.midiChannel.load();
    out["program"] = loaded->midi.midiProgram.load();
    out["velocity"] = loaded->midi.midiVelocity.load();
    out["tuning"] = fretsJson(loaded->guitar.tunings());
    out["flet"] = fretsJson(loaded->guitar.currentFrets());
    out["eventCount"] = song.eventCount;
    nlohmann::json events = nlohmann::json::array();
    for (std::uint32_t i = 0; i < song.eventCount; ++i) {
        const SongEvent& e = song.songEvents[i];
        events.push_back({{"tick", e.tick},
                          {"frets", fretsJson(e.frets)},
                          {"velocity", e.velocity},
                          {"gate", e.gate},
                          {"strokeDir", e.strokeDir},
                          {"strokeTime", e.strokeTime},
                          {"root", e.root},
                          {"chordType", e.chordType}});
    }
    out["events"] = std::move(events);
    nlohmann::json meters = nlohmann::json::array();
    for (const MeterEntry& m : song.meterTable)
        meters.push_back(
            {{"num", m.num}, {"den", m.den}, {"endTick", m.endTick}, {"changed", m.changed}});
    out["meterTable"] = std::move(meters);
    // Names are kept as the file's bytes; bytes that are not UTF-8 are shown replaced.
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// The song's last event has been released: the engine rests on the end marker.
bool Finished(const PlaybackEngine& engine, const Song& song) {
    return engine.playIndex() >= song.eventCount;
}

void DryRun(LoadedSong& loaded) {
    const PlaybackSchedule schedule =
        schedulePlayback(loaded.song, loaded.midi, loaded.guitar, loaded.tempo);
    for (const ScheduledMessage& m : schedule.messages)
        std::printf("%d %02X %02X %02X\n", m.callback, m.message & 0xFF, (m.message >> 8) & 0xFF,
                    (m.message >> 16) & 0xFF);
    std::fflush(stdout);
    throwUnlessComplete(schedule, loaded);
}

void playLive(LoadedSong& loaded, unsigned device, const std::string& soundFont) {
#ifdef CADENZO_HAVE_BACKENDS
    const std::unique_ptr<MidiOut> out = makeTerminalMidiOut(soundFont);
    loaded.midi.midiDevice = static_cast<std::uint8_t>(device);
    if (device >= out->deviceCount())
        throw RunError("no MIDI device " + std::to_string(device) + " (there are " +
                       std::to_string(out->deviceCount()) + ")");
    MidiPort port(*out, loaded.midi);
    openOnTerminal(port);
    PeriodicTimer timer;
    PlaybackEngine engine(loaded.song, port, loaded.guitar, timer);

    const InterruptWatch watch;
    const auto result = engine.start(loaded.tempo);
    if (result == PlaybackEngine::StartResult::Started && engine.playPeriod() != 0) {
        while (!Finished(engine, loaded.song) && watch.sleepFor(std::chrono::milliseconds(5))) {
        }
    }
    engine.stopPlayTimer();
    const bool interrupted = watch.interrupted();
    if (interrupted) {
        port.allNoteOff();
        // A port that sends from its own thread (JACK) delivers the note-offs before it closes.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else if (result == PlaybackEngine::StartResult::Started) {
        // Let the synthesizer sound out the last release before the device closes.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    port.close();

    if (result == PlaybackEngine::StartResult::BadTempo)
        throw RunError("the song's tempo \"" + loaded.tempo + "\" is not an integer");
    if (result == PlaybackEngine::StartResult::NothingToPlay)
        throw RunError("no event lies at or after tick " + std::to_string(loaded.song.playTick));
    if (engine.playPeriod() == 0 && !interrupted && !Finished(engine, loaded.song))
        throw RunError("the timer gives no period");
#else
    (void)loaded;
    (void)device;
    (void)soundFont;
    throw RunError("this cadenzo-cli was built without MIDI devices; use --dry-run");
#endif
}

} // namespace

void addSongCommands(CLI::App& app) {
    auto info = app.add_subcommand("info", "Print a song file (.cz0) as JSON");
    auto infoPath = std::make_shared<std::string>();
    info->add_option("SONG", *infoPath, "Song file")->required();
    info->callback([infoPath] { printInfo(*infoPath); });

    auto play = app.add_subcommand("play", "Play a song file on a MIDI device in real time");
    struct PlayOptions {
        std::string path;
        unsigned device = 0;
        long long from = 0;
        bool dryRun = false;
        std::string soundFont;
    };
    auto options = std::make_shared<PlayOptions>();
    play->add_option("SONG", options->path, "Song file")->required();
    play->add_option("--device", options->device, "MIDI device number (0 = built-in synthesizer)");
    play->add_option("--from", options->from, "Tick to start from (default 0)");
    play->add_option("--soundfont", options->soundFont,
                     "SoundFont of the built-in synthesizer (default: the General MIDI SoundFont)");
    play->add_flag("--dry-run", options->dryRun,
                   "Run on a manual timer and print every message: callback number, then the "
                   "three bytes in hex");
    play->callback([options] {
        if (options->from < 0 || options->from > 0x7FFFFFFF)
            throw UsageError("--from must be a tick from 0 to 2147483647");
        auto loaded = std::make_unique<LoadedSong>(options->path);
        loaded->song.playTick = static_cast<std::int32_t>(options->from);
        if (options->dryRun)
            DryRun(*loaded);
        else
            playLive(*loaded, options->device, options->soundFont);
    });
}

} // namespace cadenzo::cli
