// Exported files read back by an independent Standard MIDI File reader (mido, through
// check_smf.py) and compared with what the song says.
#include "files/smf_export.h"
#include "files/temp_folder.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace cadenzo {
namespace {

class SmfReader : public ::testing::Test {
protected:
    std::unique_ptr<Song> song = std::make_unique<Song>();
    test::TempFolder dir;

    SongEvent& Slot(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke,
                    std::uint8_t up, std::uint8_t velocity) {
        return song->songEvents[song->eventCount++] =
                   test::MakeEvent(tick, frets, velocity, gate, stroke, up);
    }

    // Exports the song in the three layouts; `want` is the JSON of what every file must hold
    // (see check_smf.py), without the list of files.
    void ExportAndRead(SmfOptions options, const char* tempo, const std::string& want) {
        std::string files;
        const std::pair<int, const char*> layouts[] = {
            {SMF_FORMAT0, "format0"}, {SMF_FORMAT1_SINGLE, "single"}, {SMF_FORMAT1_MULTI, "multi"}};
        for (const auto& [format, layout] : layouts) {
            options.format = format;
            options.fileName = (dir / (std::string(layout) + ".mid")).string();
            ASSERT_TRUE(exportSmf(*song, standardTuning, tempo, options).ok()) << layout;
            files += (files.empty() ? "[\"" : ",[\"") + options.fileName + "\",\"" + layout + "\"]";
        }
        test::WriteBytes(dir / "want.json", "{\"files\":[" + files + "]," + want + "}");
        const std::string command = CADENZO_PYTHON " " CADENZO_CHECK_SMF_SCRIPT " '" +
                                    (dir / "want.json").string() + "' > '" +
                                    (dir / "report.txt").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        const std::string report = test::ReadBytes(dir / "report.txt");
        EXPECT_EQ(status, 0) << report;
        EXPECT_NE(report.find("checked 3 files, 0 problems"), std::string::npos) << report;
    }
};

// Strokes both ways, a silent string, 3/4 from bar 5, a stroke wider than its gate, 6/8 from
// bar 10 after the last note, every set-up message, channel 3, tempo 96.
TEST_F(SmfReader, SongWithEveryKindOfEventReadsBackInEveryLayout) {
    song->setMeter(5, 3, 4);
    song->setMeter(10, 6, 8);
    Slot(0, {0, 1, 0, 2, 3, SILENT}, 480, 60, 0, 100);
    Slot(480, {0, 0, 0, 2, 2, 0}, 960, 120, 1, 90);
    Slot(7680, {3, 3, 4, 5, 5, 3}, 1440, 0, 0, 127);
    Slot(9120, {0, 0, 0, 0, 0, 0}, 100, 600, 0, 80);
    SmfOptions options = initialSmfOptions(*song, 2, 26, "");
    options.init = SMF_INIT_GM;
    options.volumeOn = options.reverbOn = options.chorusOn = true;
    options.volume = 90, options.reverb = 30, options.chorus = 10;
    ExportAndRead(options, "96", R"(
        "tempo": 625000, "channel": 2, "program": 26, "reset": [126, 127, 9, 1],
        "time_signatures": [[0, 4, 4], [9600, 3, 4], [16800, 6, 8]],
        "controllers": [[1450, 7, 90], [1460, 91, 30], [1470, 93, 10]],
        "end_tick": 16800,
        "notes": [
            [1920, 2400, 48, 100, 5], [1930, 2400, 52, 100, 4], [1940, 2400, 55, 100, 3],
            [1950, 2400, 60, 100, 2], [1960, 2400, 64, 100, 1],
            [2400, 3360, 64, 90, 1], [2420, 3360, 59, 90, 2], [2440, 3360, 55, 90, 3],
            [2460, 3360, 52, 90, 4], [2480, 3360, 47, 90, 5], [2500, 3360, 40, 90, 6],
            [9600, 11040, 43, 127, 6], [9600, 11040, 50, 127, 5], [9600, 11040, 55, 127, 4],
            [9600, 11040, 59, 127, 3], [9600, 11040, 62, 127, 2], [9600, 11040, 67, 127, 1],
            [11040, 11140, 40, 80, 6], [11140, 11140, 45, 80, 5]])");
}

// 2000 six-string chords: 24000 notes in each layout, no fixed buffer or list in the way.
TEST_F(SmfReader, FullSongReadsBackInEveryLayout) {
    std::string notes;
    for (std::uint32_t i = 0; i < MAX_EVENTS; ++i) {
        Slot(i * 80, {1, 2, 3, 4, 5, 6}, 80, 30, 0, 100);
        for (int k = 0; k < STRING_COUNT; ++k) { // down stroke, 5 ticks a string
            const int s = 5 - k;
            const int note = s + 1 + standardTuning[static_cast<std::size_t>(s)] + 36;
            notes += (notes.empty() ? "[" : ",[") + std::to_string(i * 80 + 1920 + 5 * k) + "," +
                     std::to_string(i * 80 + 2000) + "," + std::to_string(note) + ",100," +
                     std::to_string(s + 1) + "]";
        }
    }
    ExportAndRead(initialSmfOptions(*song, 0, 24, ""), "120",
                  R"("tempo": 500000, "channel": 0, "program": 24, "reset": null,
                     "time_signatures": [[0, 4, 4]], "controllers": [], "end_tick": 161920,
                     "notes": [)" +
                      notes + "]");
}

} // namespace
} // namespace cadenzo
