// libFuzzer: any bytes read leave a song every later operation can rely on, and save again.
#include "files/song_file.h"
#include "fuzz/fuzz_require.h"

using namespace cadenzo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Song song;
    static std::string tempo;
    static MidiSetup midi;
    static Guitar guitar;
    const SongFileParts parts{song, tempo, midi, guitar};
    song.resetSong();
    tempo = "120";

    decodeSongFile(std::span<const std::uint8_t>(data, size), parts);

    Require(song.eventCount <= MAX_EVENTS);
    for (int i = 0; i < EVENT_SLOTS; ++i)
        Require(song.songEvents[i].isEnd() == (i >= static_cast<int>(song.eventCount)));
    Require(song.songName.size() <= MAX_SONG_NAME);
    Require(tempo.size() <= 4);
    for (int k = 1; k < METER_ENTRIES; ++k)
        Require(song.barLength(k) > 0);

    // What was read saves again, and the saved bytes read back to the same list.
    const std::vector<std::uint8_t> saved = encodeSongFile(parts);
    static Song again;
    static std::string tempo2;
    again.resetSong();
    const SongFileParts parts2{again, tempo2, midi, guitar};
    Require(decodeSongFile(saved, parts2).empty());
    Require(again.eventCount == song.eventCount);
    for (std::uint32_t i = 0; i < song.eventCount; ++i)
        Require(again.songEvents[i] == song.songEvents[i]);
    return 0;
}
