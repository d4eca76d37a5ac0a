// Test sounds for the audio tests: WAV files written on the spot, the
// encoded fixtures, and a bundle pointed at a temporary directory.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Bundle.h"
#include "support/TempDir.h"
#include "support/WavFile.h"

namespace audiotest {

// OpenAL Soft picks its back-end once, at its first use in the process:
// every audio test asks for the null one first (CTest sets it too), so a run
// by hand on a machine with a sound card stays silent.
inline void useNullDriver() { setenv("ALSOFT_DRIVERS", "null", 0); }

// The committed mp3/m4a fixtures (see fixtures/README.md).
inline std::filesystem::path fixture(const std::string& name) {
    return std::filesystem::path(NM_TEST_SOURCE_DIR) / "tests/engine/fixtures" / name;
}
inline constexpr long kToneFrames = 22050;  // tone.mp3, tone.m4a: 0.5 s at 44100 Hz
inline constexpr int kTonePeriod = 50;      // 882 Hz

using testsupport::writeWav;

inline int16_t sine(long frame, int period, double amplitude = 12000) {
    return int16_t(std::lround(amplitude * std::sin(2 * M_PI * double(frame) / period)));
}

// A mono sine WAV of the given length.
inline void writeTone(const std::filesystem::path& file, double seconds, int rate = 44100) {
    writeWav(file, rate, 1, long(seconds * rate), [](long f, int) { return sine(f, kTonePeriod); });
}

// Points the main bundle at a fresh directory for one test and puts it back after.
class TempBundle {
public:
    TempBundle() : saved_(platform::Bundle::main().resourcePath()), languages_(platform::Bundle::main().preferredLanguages()) {
        platform::Bundle::main().setResourcePath(dir_.path().string());
        platform::Bundle::main().setPreferredLanguages({"en"});
    }
    ~TempBundle() {
        platform::Bundle::main().setResourcePath(saved_);
        platform::Bundle::main().setPreferredLanguages(languages_);
    }
    const std::filesystem::path& path() const { return dir_.path(); }
    std::filesystem::path operator/(const std::string& name) const { return dir_.path() / name; }
    void copyFixture(const std::string& name, const std::string& as = {}) const {
        std::filesystem::copy_file(fixture(name), dir_.path() / (as.empty() ? name : as),
                                   std::filesystem::copy_options::overwrite_existing);
    }

private:
    testsupport::TempDir dir_;
    std::string saved_;
    std::vector<std::string> languages_;
};

// Index of the first frame after `from` where a run of at least `run`
// near-silent frames begins, or -1.
inline long findSilence(const std::vector<int16_t>& mono, long from, long run, int threshold = 200) {
    long length = 0;
    for (long i = from; i < long(mono.size()); ++i) {
        length = std::abs(mono[size_t(i)]) < threshold ? length + 1 : 0;
        if (length >= run) {
            return i - run + 1;
        }
    }
    return -1;
}

// Distances between upward zero crossings of a signal, from `from` on.
inline std::vector<long> crossingGaps(const std::vector<int16_t>& mono, long from) {
    std::vector<long> gaps;
    long last = -1;
    for (long i = std::max(from, 1L); i < long(mono.size()); ++i) {
        if (mono[size_t(i - 1)] < 0 && mono[size_t(i)] >= 0) {
            if (last >= 0) {
                gaps.push_back(i - last);
            }
            last = i;
        }
    }
    return gaps;
}

}  // namespace audiotest
