// Writes 16-bit PCM WAV files on the spot, for the audio tests and the audio
// benchmark; header-only so that either can use it without linking.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>

namespace testsupport {

// A 16-bit PCM WAV; sample(frame, channel) gives each value.
inline void writeWav(const std::filesystem::path& file, int rate, int channels, long frames,
                     const std::function<int16_t(long, int)>& sample) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    uint32_t bytes = uint32_t(frames * channels * 2);
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(uint16_t(channels));
    u32(uint32_t(rate));
    u32(uint32_t(rate * channels * 2));
    u16(uint16_t(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (long f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            u16(uint16_t(sample(f, c)));
        }
    }
}

}  // namespace testsupport
