#include "engine/audio/PcmQueue.h"

#include <algorithm>

namespace audio {

PcmQueue::PcmQueue(PcmFormat format, long capacityFrames)
    : format_(format), capacity_(size_t(std::max(1L, capacityFrames)) * size_t(std::max(1, format.channels))) {}

bool PcmQueue::push(const int16_t* samples, long frames) {
    const size_t channels = size_t(format_.channels);
    size_t remaining = size_t(std::max(0L, frames)) * channels;
    std::unique_lock lock(mutex_);
    while (remaining > 0) {
        // A piece larger than the whole queue goes in as space frees up.
        space_.wait(lock, [&] { return closed_ || samples_.size() < capacity_; });
        if (closed_) {
            return false;
        }
        size_t room = (capacity_ - samples_.size()) / channels * channels;
        size_t take = std::min(remaining, std::max(room, channels));
        samples_.insert(samples_.end(), samples, samples + take);
        samples += take;
        remaining -= take;
    }
    return true;
}

void PcmQueue::finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
}

void PcmQueue::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        samples_.clear();
    }
    space_.notify_all();
}

void PcmQueue::clear() {
    {
        std::lock_guard lock(mutex_);
        samples_.clear();
    }
    space_.notify_all();
}

long PcmQueue::queuedFrames() const {
    std::lock_guard lock(mutex_);
    return long(samples_.size() / size_t(format_.channels));
}

long PcmQueue::pop(int16_t* out, long maxFrames) {
    long frames = 0;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || (finished_ && samples_.empty())) {
            return kPcmEnd;
        }
        frames = std::min(maxFrames, long(samples_.size() / size_t(format_.channels)));
        auto end = samples_.begin() + frames * format_.channels;
        std::copy(samples_.begin(), end, out);
        samples_.erase(samples_.begin(), end);
    }
    if (frames > 0) {
        space_.notify_all();
    }
    return frames;
}

}  // namespace audio
