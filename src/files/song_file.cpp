#include "files/song_file.h"

#include "files/atomic_file.h"

#include <algorithm>

namespace cadenzo {

namespace {

constexpr std::size_t MAGIC_SIZE = 6;
constexpr std::size_t HEADER_SIZE = MAGIC_SIZE + 4;

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& out, const char* tag) {
    out.push_back(CHUNK_MARK);
    out.insert(out.end(), tag, tag + 3);
}

// A cursor over the file's bytes that never reads past the end.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool byte(std::uint8_t& b) {
        if (pos_ >= bytes_.size())
            return false;
        b = bytes_[pos_++];
        return true;
    }
    bool bytes(std::uint8_t* out, std::size_t n) {
        if (bytes_.size() - pos_ < n)
            return false;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, out);
        pos_ += n;
        return true;
    }
    bool u32(std::uint32_t& v) {
        std::uint8_t b[4];
        if (!bytes(b, 4))
            return false;
        v = std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
            (std::uint32_t{b[3]} << 24);
        return true;
    }
    void skip(std::size_t n) { pos_ = std::min(bytes_.size(), pos_ + n); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// A tag as text for a message: printable bytes as they are, others as \xNN.
std::string tagText(const std::uint8_t* tag) {
    std::string text;
    for (int i = 0; i < 3; ++i) {
        if (tag[i] >= 0x20 && tag[i] < 0x7F) {
            text += static_cast<char>(tag[i]);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", tag[i]);
            text += hex;
        }
    }
    return text;
}

std::string Named(const std::filesystem::path& path, const std::string& problem) {
    return path.string() + ": " + problem;
}

// The decoder proper; the caller holds the song's lock.
class SongDecoder {
public:
    SongDecoder(std::span<const std::uint8_t> bytes, const SongFileParts& parts)
        : in_(bytes), parts_(parts), song_(parts.song) {}

    std::string run() {
        std::string problem = readAll();
        // The list that was read stays; the bar ends always follow the signatures read.
        recomputeBarEnds(song_.meterTable);
        return problem;
    }

private:
    std::string readAll() {
        in_.skip(MAGIC_SIZE);
        if (!in_.u32(count_))
            return "the file ends inside its header";
        if (count_ > MAX_EVENTS)
            return "the header counts " + std::to_string(count_) +
                   " events; a song holds at most 2000";
        std::uint8_t mark = 0;
        if (!in_.byte(mark))
            return "the file ends after its header";
        if (mark != CHUNK_MARK)
            return ""; // not a chunk: the reading ends here, with an empty list
        for (;;) {
            std::uint8_t tag[3];
            if (!in_.bytes(tag, 3))
                return "the file ends before its END chunk";
            const std::string name = tagText(tag);
            std::string problem;
            if (name == "NAM")
                problem = readName();
            else if (name == "TMP")
                problem = readTempo();
            else if (name == "PRG")
                problem = readProgram();
            else if (name == "NOT")
                problem = readEvents();
            else if (name == "MET")
                problem = readMeters();
            else if (name == "FLT")
                problem = readTuning();
            else if (name == "END")
                break;
            else
                return "unknown chunk \"" + name + "\"";
            if (!problem.empty())
                return problem;
        }
        if (recordsRead_ != count_)
            return "the header counts " + std::to_string(count_) + " events but the file holds " +
                   std::to_string(recordsRead_);
        return "";
    }

    // Every chunk but NAM and MET ends by reading the next chunk's mark.
    std::string nextMark(const char* chunk) {
        std::uint8_t mark = 0;
        if (!in_.byte(mark))
            return std::string("the file ends inside the ") + chunk + " chunk";
        if (mark != CHUNK_MARK)
            return std::string("no chunk follows the ") + chunk + " chunk";
        return "";
    }

    std::string readName() {
        song_.songName.clear();
        for (;;) {
            std::uint8_t b = 0;
            if (!in_.byte(b))
                return "the file ends inside the NAM chunk";
            if (b == CHUNK_MARK)
                return "";
            if (song_.songName.size() == MAX_SONG_NAME)
                return "the song name is longer than 254 bytes";
            song_.songName += static_cast<char>(b);
        }
    }

    std::string readTempo() {
        std::uint8_t text[4];
        if (!in_.bytes(text, 4))
            return "the file ends inside the TMP chunk";
        const auto end = std::find(text, text + 4, std::uint8_t{0});
        parts_.tempo.assign(text, end);
        return nextMark("TMP");
    }

    std::string readProgram() {
        std::uint8_t prg[4];
        if (!in_.bytes(prg, 4))
            return "the file ends inside the PRG chunk";
        parts_.midi.midiChannel = prg[0];
        parts_.midi.midiProgram = prg[1];
        parts_.midi.midiProgram = prg[2]; // the second copy is the one that counts
        parts_.midi.midiVelocity = prg[3];
        return nextMark("PRG");
    }

    std::string readEvents() {
        // A repeated NOT chunk fills the list again from slot 0.
        clearList();
        recordsRead_ = 0;
        std::uint8_t record[EVENT_RECORD_SIZE];
        for (std::uint32_t i = 0; i < count_; ++i) {
            if (!in_.bytes(record, EVENT_RECORD_SIZE))
                return "the header counts " + std::to_string(count_) +
                       " events but the NOT chunk holds " + std::to_string(recordsRead_);
            ++recordsRead_;
            const SongEvent event = decodeEvent(record);
            // A record with the end marker's tick would end the list early: it is left out.
            if (!event.isEnd())
                song_.songEvents[song_.eventCount++] = event;
        }
        std::uint8_t mark = 0;
        if (!in_.byte(mark))
            return "the file ends inside the NOT chunk";
        if (mark != CHUNK_MARK)
            return "the header's event count " + std::to_string(count_) +
                   " does not match the records of the NOT chunk";
        return "";
    }

    std::string readMeters() {
        std::uint8_t lastNum = 0;
        std::uint8_t lastDen = 0;
        for (;;) {
            std::uint8_t num = 0;
            if (!in_.byte(num))
                return "the file ends inside the MET chunk";
            if (num == CHUNK_MARK)
                return "";
            std::uint8_t den = 0;
            std::uint32_t k = 0;
            if (!in_.byte(den) || !in_.u32(k))
                return "the file ends inside the MET chunk";
            // A bar outside the table, or a signature the editor cannot make (a zero or odd
            // denominator would break all bar arithmetic), is skipped.
            if (k > BAR_COUNT || !validMeter(num, den))
                continue;
            for (std::uint32_t i = k; i < METER_ENTRIES; ++i) {
                song_.meterTable[i].num = num;
                song_.meterTable[i].den = den;
            }
            if (num != lastNum || den != lastDen) {
                song_.meterTable[k].changed = 1;
                lastNum = num;
                lastDen = den;
            }
        }
    }

    std::string readTuning() {
        std::uint8_t pairs[12];
        if (!in_.bytes(pairs, 12))
            return "the file ends inside the FLT chunk";
        for (int s = 0; s < STRING_COUNT; ++s) {
            parts_.guitar.tuning[s] = pairs[2 * s];
            parts_.guitar.frets[s] = pairs[2 * s + 1];
        }
        return nextMark("FLT");
    }

    void clearList() {
        for (std::uint32_t i = 0; i < song_.eventCount; ++i)
            song_.songEvents[i] = SongEvent{};
        song_.eventCount = 0;
    }

    Reader in_;
    const SongFileParts& parts_;
    Song& song_;
    std::uint32_t count_ = 0;
    std::uint32_t recordsRead_ = 0;
};

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

std::vector<std::uint8_t> encodeSongFile(const SongFileParts& parts) {
    Song& song = parts.song;
    song.songName = "sample";
    std::lock_guard lock(song.mutex);
    std::vector<std::uint8_t> out;
    out.reserve(HEADER_SIZE + 64 + EVENT_RECORD_SIZE * MAX_EVENTS + 6 * METER_ENTRIES);
    // The NOT chunk holds the slots up to the first free one; the header counts exactly those,
    // so a list saved between a clear and its sort still reads back.
    std::uint32_t records = 0;
    while (records < MAX_EVENTS && !song.songEvents[records].isEnd())
        ++records;
    out.insert(out.end(), SONG_MAGIC, SONG_MAGIC + MAGIC_SIZE);
    putU32(out, records);

    putTag(out, "NAM");
    out.insert(out.end(), song.songName.begin(), song.songName.end());

    // Up to three digits and a zero byte, padded with zero bytes to four.
    putTag(out, "TMP");
    std::uint8_t tempo[4] = {0, 0, 0, 0};
    std::copy_n(parts.tempo.begin(), std::min<std::size_t>(parts.tempo.size(), 3), tempo);
    out.insert(out.end(), tempo, tempo + 4);

    putTag(out, "PRG");
    out.push_back(parts.midi.midiChannel);
    out.push_back(parts.midi.midiProgram);
    out.push_back(parts.midi.midiProgram);
    out.push_back(parts.midi.midiVelocity);

    putTag(out, "NOT");
    std::uint8_t record[EVENT_RECORD_SIZE];
    for (std::uint32_t i = 0; i < records; ++i) {
        encodeEvent(song.songEvents[i], record);
        out.insert(out.end(), record, record + EVENT_RECORD_SIZE);
    }

    putTag(out, "MET");
    for (int k = 0; k < METER_ENTRIES; ++k) {
        const MeterEntry& m = song.meterTable[k];
        if (m.changed == 0)
            continue;
        out.push_back(m.num);
        out.push_back(m.den);
        putU32(out, static_cast<std::uint32_t>(k));
    }

    putTag(out, "FLT");
    for (int s = 0; s < STRING_COUNT; ++s) {
        out.push_back(parts.guitar.tuning[s]);
        out.push_back(parts.guitar.frets[s]);
    }

    putTag(out, "END");
    return out;
}

std::string decodeSongFile(std::span<const std::uint8_t> bytes, const SongFileParts& parts) {
    std::lock_guard lock(parts.song.mutex);
    return SongDecoder(bytes, parts).run();
}

FileResult writeSongFile(const std::filesystem::path& path, const SongFileParts& parts) {
    const std::vector<std::uint8_t> bytes = encodeSongFile(parts);
    return writeFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

FileResult readSongFile(const std::filesystem::path& path, const SongFileParts& parts) {
    std::string bytes;
    if (FileResult read = readWholeFile(path, bytes); !read)
        return read;
    const std::string problem = decodeSongFile(Bytes(bytes), parts);
    return problem.empty() ? FileResult::success()
                           : FileResult::Failure(FileFailure::Content, Named(path, problem));
}

FileResult saveSong(const std::filesystem::path& path, const SongFileParts& parts) {
    FileResult result = writeSongFile(path, parts);
    if (result)
        result.message = SAVED_TEXT;
    return result;
}

FileResult loadSong(const std::filesystem::path& path, const SongFileParts& parts,
                    const std::function<void()>& newSong) {
    if (newSong)
        newSong();
    else
        parts.song.resetSong();

    std::string bytes;
    if (FileResult read = readWholeFile(path, bytes); !read)
        return read;
    if (bytes.size() < MAGIC_SIZE)
        return FileResult::Failure(FileFailure::Content,
                                   Named(path, "the file ends inside its header"));
    if (!std::equal(bytes.begin(), bytes.begin() + MAGIC_SIZE, SONG_MAGIC))
        return FileResult::Failure(FileFailure::WrongType, WRONG_TYPE_TEXT);
    const std::string problem = decodeSongFile(Bytes(bytes), parts);
    if (!problem.empty())
        return FileResult::Failure(FileFailure::Content, Named(path, problem));
    return FileResult::success(LOADED_TEXT);
}

} // namespace cadenzo
