#include "files/audio_file.h"

#include "files/atomic_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace cadenzo {

namespace {

// libsndfile encodes into memory, so the encoded bytes reach the disk through the same atomic
// writer as every other file of the program.
struct MemoryFile {
    std::string bytes;
    sf_count_t at = 0;
};

sf_count_t memoryLength(void* file) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(file)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* file) {
    auto& memory = *static_cast<MemoryFile*>(file);
    const sf_count_t base = whence == SEEK_CUR   ? memory.at
                            : whence == SEEK_END ? memoryLength(file)
                                                 : 0;
    memory.at = std::max<sf_count_t>(0, base + offset);
    return memory.at;
}

sf_count_t memoryRead(void* to, sf_count_t count, void* file) {
    auto& memory = *static_cast<MemoryFile*>(file);
    const sf_count_t n = std::clamp<sf_count_t>(memoryLength(file) - memory.at, 0, count);
    std::memcpy(to, memory.bytes.data() + memory.at, static_cast<std::size_t>(n));
    memory.at += n;
    return n;
}

// The encoder goes back to fill in the header once the samples are known.
sf_count_t memoryWrite(const void* from, sf_count_t count, void* file) {
    auto& memory = *static_cast<MemoryFile*>(file);
    const auto end = static_cast<std::size_t>(memory.at + count);
    if (memory.bytes.size() < end)
        memory.bytes.resize(end);
    std::memcpy(memory.bytes.data() + memory.at, from, static_cast<std::size_t>(count));
    memory.at += count;
    return count;
}

sf_count_t memoryTell(void* file) {
    return static_cast<MemoryFile*>(file)->at;
}

FileResult encodeFailure(const std::filesystem::path& path, const char* why) {
    return FileResult::Failure(FileFailure::Write, "Cannot write " + QuotedName(path) +
                                                       ": the FLAC encoder failed (" + why + ").");
}

FileResult writeFlacFile(const std::filesystem::path& path, WavBuffer& pcm) {
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    MemoryFile memory;
    SF_INFO info{};
    info.samplerate = static_cast<int>(pcm.sampleRate());
    info.channels = WAV_CHANNELS;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* encoder = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (encoder == nullptr)
        return encodeFailure(path, sf_strerror(nullptr));
    // The WAV file's samples are little-endian whatever the machine; a block at a time keeps the
    // second copy small.
    const std::string& wav = pcm.bytes();
    std::vector<short> block(2 * 65536);
    bool ok = true;
    for (std::size_t at = WAV_HEADER_SIZE; ok && at < wav.size();) {
        const std::size_t samples = std::min(block.size(), (wav.size() - at) / 2);
        for (std::size_t i = 0; i < samples; ++i, at += 2)
            block[i] = static_cast<short>(static_cast<unsigned char>(wav[at]) |
                                          static_cast<unsigned char>(wav[at + 1]) << 8);
        const auto frames = static_cast<sf_count_t>(samples / WAV_CHANNELS);
        ok = sf_writef_short(encoder, block.data(), frames) == frames;
    }
    const std::string why = ok ? "" : sf_strerror(encoder);
    if (sf_close(encoder) != 0 && ok)
        return encodeFailure(path, "it could not finish the file");
    if (!ok)
        return encodeFailure(path, why.c_str());
    return writeFileAtomically(path, memory.bytes);
}

} // namespace

AudioFileFormat audioFileFormatOf(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".flac" ? AudioFileFormat::Flac : AudioFileFormat::Wav;
}

FileResult writeAudioFile(const std::filesystem::path& path, WavBuffer& pcm) {
    if (audioFileFormatOf(path) == AudioFileFormat::Flac)
        return writeFlacFile(path, pcm);
    return writeWavFile(path, pcm);
}

} // namespace cadenzo
