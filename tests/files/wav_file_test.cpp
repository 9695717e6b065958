#include "files/wav_file.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cadenzo {
namespace {

// Four frames at 44100 Hz: full scale both ways, clipping, a non-number, and rounding to nearest.
TEST(WavFile, HeaderAndSamplesByteExact) {
    const float samples[] = {0.0f, 1.0f, -1.0f, 2.0f, -3.0f, NAN, 0.5f, -0.25f};
    const std::string expected("RIFF\x34\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0"
                               "\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data\x10\0\0\0"
                               "\0\0\xFF\x7F"     // 0, 32767
                               "\x01\x80\xFF\x7F" // -32767, clipped 32767
                               "\x01\x80\0\0"     // clipped -32767, silence
                               "\0\x40\0\xE0",    // 16384 (half to even), -8192
                               60);
    WavBuffer wav(44100);
    wav.append(samples, 1);
    wav.append(samples + 2, 3);
    EXPECT_EQ(wav.frames(), 4u);
    EXPECT_EQ(wav.bytes(), expected);
}

} // namespace
} // namespace cadenzo
