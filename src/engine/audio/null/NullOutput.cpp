#include "engine/audio/null/NullOutput.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace audio::null {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kVoices = 32;
constexpr auto kTick = 10ms;

class NullStream final : public Stream {
public:
    NullStream(PcmFormat format, PcmCallback callback) : format_(format), callback_(std::move(callback)) {
        thread_ = std::thread([this] { run(); });
    }
    ~NullStream() override { stop(); }

    const PcmFormat& format() const override { return format_; }

    void play() override {
        std::lock_guard lock(mutex_);
        playing_ = !stopped_;
    }
    void pause() override {
        std::lock_guard lock(mutex_);
        playing_ = false;
    }
    void stop() override {
        {
            std::lock_guard lock(mutex_);
            if (stopped_) {
                return;
            }
            stopped_ = true;
            playing_ = false;
        }
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
        finished_ = true;
    }
    void setGain(float) override {}
    bool isFinished() const override { return finished_; }
    double position() const override { return double(heard_.load()) / format_.sampleRate; }
    int underruns() const override { return underruns_; }

private:
    // Every tick, takes from the callback as many frames as the time that
    // passed while playing would have sounded.
    void run() {
        std::vector<int16_t> scratch(size_t(format_.sampleRate / 10) * size_t(format_.channels));
        const long maxFrames = format_.sampleRate / 10;
        auto last = Clock::now();
        double owed = 0;  // frames due but not yet taken
        bool starving = false;
        std::unique_lock lock(mutex_);
        while (!stopped_) {
            auto now = Clock::now();
            bool playing = playing_;
            lock.unlock();
            if (playing) {
                owed += std::chrono::duration<double>(now - last).count() * format_.sampleRate;
                owed = std::min(owed, double(format_.sampleRate));  // after a stall, do not race ahead
                while (owed >= 1) {
                    long want = std::min(long(owed), maxFrames);
                    long got = callback_(scratch.data(), want);
                    if (got < 0) {
                        finished_ = true;
                        return;
                    }
                    if (got == 0) {
                        if (!starving && heard_ > 0) {
                            ++underruns_;
                        }
                        starving = true;
                        owed = 0;  // starved: the clock holds
                        break;
                    }
                    starving = false;
                    heard_ += std::min(got, want);
                    owed -= double(std::min(got, want));
                }
            }
            last = now;
            lock.lock();
            wake_.wait_for(lock, kTick);
        }
    }

    const PcmFormat format_;
    PcmCallback callback_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool playing_ = false;
    bool stopped_ = false;
    std::atomic<bool> finished_{false};
    std::atomic<long long> heard_{0};
    std::atomic<int> underruns_{0};
    std::thread thread_;
};

class NullOutput final : public Output {
public:
    NullOutput() : voices_(kVoices) {}

    std::string name() const override { return "silent"; }

    std::shared_ptr<Sample> makeSample(const PcmBuffer& pcm) override {
        if (!pcm.format.valid() || pcm.frames() == 0) {
            return nullptr;
        }
        return std::make_shared<Sample>(pcm.format, pcm.frames());
    }

    int voiceCount() const override { return kVoices; }

    void startVoice(int voice, std::shared_ptr<Sample> sample, float pitch, float, float) override {
        if (voice < 0 || voice >= kVoices || !sample || pitch <= 0) {
            return;
        }
        auto length = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(sample->seconds() / pitch));
        voices_[size_t(voice)] = {std::move(sample), Clock::now() + length};
    }

    void stopVoice(int voice) override {
        if (voice >= 0 && voice < kVoices) {
            voices_[size_t(voice)] = {};
        }
    }

    bool isVoiceSounding(int voice) const override {
        if (voice < 0 || voice >= kVoices) {
            return false;
        }
        const Voice& v = voices_[size_t(voice)];
        return v.sample && Clock::now() < v.end;
    }

    std::unique_ptr<Stream> openStream(PcmFormat format, PcmCallback callback) override {
        if (!format.valid() || !callback) {
            return nullptr;
        }
        return std::make_unique<NullStream>(format, std::move(callback));
    }

private:
    struct Voice {
        std::shared_ptr<Sample> sample;
        Clock::time_point end;
    };
    std::vector<Voice> voices_;
};

}  // namespace

std::unique_ptr<Output> openOutput() { return std::make_unique<NullOutput>(); }

}  // namespace audio::null
