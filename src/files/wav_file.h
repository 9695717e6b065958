#pragma once

#include "files/file_result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace cadenzo {

// 16-bit stereo PCM in a RIFF WAVE file: four bytes a frame.
inline constexpr int WAV_CHANNELS = 2;
inline constexpr int WAV_BYTES_PER_FRAME = WAV_CHANNELS * 2;
inline constexpr std::size_t WAV_HEADER_SIZE = 44;
// The RIFF size field counts 36 header bytes and the samples in 32 bits.
inline constexpr std::uint64_t MAX_WAV_FRAMES = (0xFFFFFFFFull - 36) / WAV_BYTES_PER_FRAME;

// The samples of a WAV file being made, kept in memory until the whole file is written at once.
class WavBuffer {
public:
    explicit WavBuffer(std::uint32_t sampleRate);

    // Appends `frames` stereo frames of interleaved float samples in -1..1. Samples beyond the
    // range are clipped to full scale, not wrapped; a non-number becomes silence.
    void append(const float* interleaved, std::size_t frames);
    std::uint64_t frames() const { return (bytes_.size() - WAV_HEADER_SIZE) / WAV_BYTES_PER_FRAME; }
    std::uint32_t sampleRate() const { return sampleRate_; }
    // The complete file: the header, filled in for the frames so far, then the samples.
    const std::string& bytes();

private:
    std::uint32_t sampleRate_;
    std::string bytes_;
};

// Writes the buffer's file atomically: an existing file at `path` is either kept whole or
// replaced whole. More frames than the format can count are refused, nothing written.
FileResult writeWavFile(const std::filesystem::path& path, WavBuffer& wav);

} // namespace cadenzo
