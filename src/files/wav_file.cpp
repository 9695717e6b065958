#include "files/wav_file.h"

#include "files/atomic_file.h"

#include <cmath>

namespace cadenzo {

namespace {

void putLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::int16_t toPcm16(float sample) {
    if (!(sample == sample)) // NaN
        return 0;
    // Full scale is 32767 both ways, so a sine at 1.0 stays symmetric; -32768 is never written.
    const float clipped = sample > 1.0f ? 1.0f : (sample < -1.0f ? -1.0f : sample);
    return static_cast<std::int16_t>(std::lrint(clipped * 32767.0f));
}

} // namespace

WavBuffer::WavBuffer(std::uint32_t sampleRate)
    : sampleRate_(sampleRate), bytes_(WAV_HEADER_SIZE, '\0') {}

void WavBuffer::append(const float* interleaved, std::size_t frames) {
    const std::size_t at = bytes_.size();
    const std::size_t samples = frames * WAV_CHANNELS;
    bytes_.resize(at + samples * 2);
    for (std::size_t i = 0; i < samples; ++i)
        putLittleEndian(bytes_, at + 2 * i, static_cast<std::uint16_t>(toPcm16(interleaved[i])), 2);
}

const std::string& WavBuffer::bytes() {
    const auto dataSize = static_cast<std::uint32_t>(bytes_.size() - WAV_HEADER_SIZE);
    bytes_.replace(0, 16, "RIFF\0\0\0\0WAVEfmt ", 16);
    putLittleEndian(bytes_, 4, 36 + dataSize, 4);
    putLittleEndian(bytes_, 16, 16, 4); // size of the format chunk
    putLittleEndian(bytes_, 20, 1, 2);  // integer PCM
    putLittleEndian(bytes_, 22, WAV_CHANNELS, 2);
    putLittleEndian(bytes_, 24, sampleRate_, 4);
    putLittleEndian(bytes_, 28, sampleRate_ * WAV_BYTES_PER_FRAME, 4); // bytes a second
    putLittleEndian(bytes_, 32, WAV_BYTES_PER_FRAME, 2);               // block alignment
    putLittleEndian(bytes_, 34, 16, 2);                                // bits a sample
    bytes_.replace(36, 4, "data", 4);
    putLittleEndian(bytes_, 40, dataSize, 4);
    return bytes_;
}

FileResult writeWavFile(const std::filesystem::path& path, WavBuffer& wav) {
    if (wav.frames() > MAX_WAV_FRAMES)
        return FileResult::Failure(FileFailure::Write,
                                   "Cannot write " + QuotedName(path) + ": " +
                                       std::to_string(wav.frames()) +
                                       " frames are more than a WAV file can hold.");
    return writeFileAtomically(path, wav.bytes());
}

} // namespace cadenzo
