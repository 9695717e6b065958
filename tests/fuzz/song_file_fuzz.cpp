// libFuzzer target: any bytes given to the song file reader must leave a song that every later
// operation can rely on, and must save again.
#include "files/song_file.h"

#include <cstdlib>

using namespace cadenzo;

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Song song;
    static std::string tempo;
    static MidiSetup midi;
    static Guitar guitar;
    const SongFileParts parts{song, tempo, midi, guitar};
    song.resetSong();
    tempo = "120";

    decodeSongFile(std::span<const std::uint8_t>(data, size), parts);

    Check(song.eventCount <= MAX_EVENTS);
    for (int i = 0; i < EVENT_SLOTS; ++i)
        Check(song.songEvents[i].isEnd() == (i >= static_cast<int>(song.eventCount)));
    Check(song.songName.size() <= MAX_SONG_NAME);
    Check(tempo.size() <= 4);
    for (int k = 1; k < METER_ENTRIES; ++k)
        Check(song.barLength(k) > 0);

    // What was read saves again, and the saved bytes read back to the same list.
    const std::vector<std::uint8_t> saved = encodeSongFile(parts);
    static Song again;
    static std::string tempo2;
    again.resetSong();
    const SongFileParts parts2{again, tempo2, midi, guitar};
    Check(decodeSongFile(saved, parts2).empty());
    Check(again.eventCount == song.eventCount);
    for (std::uint32_t i = 0; i < song.eventCount; ++i)
        Check(again.songEvents[i] == song.songEvents[i]);
    return 0;
}
