#pragma once

#include "files/file_result.h"
#include "files/wav_file.h"

#include <filesystem>

namespace cadenzo {

// The rendered song is written as WAV, or as FLAC for a name that asks for it.
enum class AudioFileFormat { Wav, Flac };

// FLAC for a name ending in ".flac" in any case, WAV for every other name.
AudioFileFormat audioFileFormatOf(const std::filesystem::path& path);

// Writes the 16-bit stereo samples of `pcm` to `path` in the format its name asks for, atomically
// as writeFileAtomically does: an earlier file is kept whole until the new one is complete, and a
// failure leaves it as it was. FLAC is lossless, so a decoder gives back the WAV file's samples.
// Any thread, one buffer at a time.
FileResult writeAudioFile(const std::filesystem::path& path, WavBuffer& pcm);

} // namespace cadenzo
