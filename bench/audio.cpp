// Audio on the main thread's budget: what each facade call costs, and
// whether the music stream keeps up while the main thread runs 60 fps frames
// that use most of each 16.7 ms. Headless, on OpenAL Soft's null back-end.
//
//   ./bin/bench_audio [seconds]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "engine/audio/SimpleAudioEngine.h"
#include "platform/Bundle.h"
#include "support/WavFile.h"

namespace {

using Clock = std::chrono::steady_clock;

// One sine along the interleaved samples: the channels take turns on one wave.
void writeWav(const std::filesystem::path& file, double seconds, int rate, int channels) {
    testsupport::writeWav(file, rate, channels, long(seconds * rate), [channels](long f, int c) {
        return int16_t(8000 * std::sin(double(f * channels + c) * 0.05));
    });
}

struct Stats {
    double median = 0, p99 = 0, max = 0;
};

Stats stats(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    if (us.empty()) return {};
    return {.median = us[us.size() / 2], .p99 = us[std::min(us.size() - 1, us.size() * 99 / 100)], .max = us.back()};
}

double timeUs(const std::function<void()>& fn) {
    auto t0 = Clock::now();
    fn();
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

void row(const char* what, const Stats& s) {
    std::printf("%-36s %10.1f %10.1f %10.1f\n", what, s.median, s.p99, s.max);
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    setenv("ALSOFT_DRIVERS", "null", 0);
    auto dir = std::filesystem::temp_directory_path() / ("nm-bench-audio-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    writeWav(dir / "effect.wav", 1.0, 44100, 1);
    writeWav(dir / "music.wav", 60.0, 44100, 2);
    std::filesystem::path fixtures = std::filesystem::path(NM_SOURCE_DIR) / "tests/engine/fixtures";
    for (const char* f : {"tone.mp3", "tone.m4a"}) {
        std::filesystem::copy_file(fixtures / f, dir / f, std::filesystem::copy_options::overwrite_existing);
    }
    platform::Bundle::main().setResourcePath(dir.string());

    SimpleAudioEngine engine(audio::openDefaultOutput(true));
    std::printf("output: %s\n\n%-36s %10s %10s %10s\n", engine.outputName().c_str(), "main-thread call (us)", "median",
                "p99", "max");

    std::vector<double> first, cached, stop;
    for (int i = 0; i < 50; ++i) {
        for (const char* f : {"effect.wav", "tone.mp3", "tone.m4a"}) {
            first.push_back(timeUs([&] { engine.playEffect(f); }));
            engine.unloadEffect(f);
        }
    }
    for (int i = 0; i < 500; ++i) {
        uint32_t id = 0;
        cached.push_back(timeUs([&] { id = engine.playEffect("tone.m4a", 1.0f, 0.0f, 0.5f); }));
        stop.push_back(timeUs([&] { engine.stopEffect(id); }));
    }
    row("playEffect, first use (decode)", stats(first));
    row("playEffect, cached", stats(cached));
    row("stopEffect", stats(stop));

    std::vector<double> music;
    for (int i = 0; i < 20; ++i) {
        music.push_back(timeUs([&] { engine.playBackgroundMusic(i % 2 ? "music.wav" : "tone.mp3"); }));
    }
    row("playBackgroundMusic (switch track)", stats(music));
    engine.clearHistory();

    // 60 fps frames, each busy for 12 ms, with an effect every few frames:
    // the streamed track must never run dry.
    engine.playBackgroundMusic("music.wav");
    std::vector<double> frameCalls;
    auto next = Clock::now();
    long frames = long(seconds * 60);
    for (long f = 0; f < frames; ++f) {
        next += std::chrono::microseconds(16667);
        auto busyUntil = Clock::now() + std::chrono::milliseconds(12);
        while (Clock::now() < busyUntil) {
        }
        if (f % 7 == 0) {
            frameCalls.push_back(timeUs([&] {
                engine.playEffect("tone.m4a");
                engine.isBackgroundMusicPlaying();
            }));
        }
        std::this_thread::sleep_until(next);
    }
    row("effect + music query in a frame", stats(frameCalls));
    std::printf("\nmusic under a %ld-frame 60 fps load: %d underruns, %s\n", frames, engine.backgroundMusicUnderruns(),
                engine.isBackgroundMusicPlaying() ? "still playing" : "NOT playing");
    std::filesystem::remove_all(dir);
    return engine.backgroundMusicUnderruns() == 0 ? 0 : 1;
}
