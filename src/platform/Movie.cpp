#include "platform/Movie.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/Log.h"
#include "platform/MediaFile.h"

namespace platform {
namespace {

// Pictures decoded ahead: one showing, the rest waiting their turn.
constexpr int kSlots = 4;
// The file may come from the caches directory: pictures beyond any sane
// size are refused, and large ones are shown scaled down to this many
// pixels, which bounds the ring's memory.
constexpr int kMaxSide = 16384;
constexpr double kMaxPixels = 2560.0 * 1600.0;
// Damaged frames in a row before the rest of a file is given up.
constexpr int kMaxConsecutiveErrors = 64;

}  // namespace

struct Movie::Decoding {
    // FFmpeg's side: set up by open() on the owner's thread, then used by the
    // decoding thread alone.
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* sws = nullptr;
    int streamIndex = -1;
    AVRational timeBase{0, 1};
    int64_t startPts = 0;
    double interval = 1.0 / 25;  // one picture's time when the file does not say
    int width = 0, height = 0;
    std::string path;
    bool drained = false;
    double lastTime = -1;
    // The colour conversion set on sws, to notice a change mid-stream.
    int swsColorspace = -1, swsRange = -1;
    const SwsContext* swsConfigured = nullptr;

    // The ring: a picture buffer is free, waiting (ready, oldest first) or
    // current. The decoding thread writes only a buffer it took from free.
    struct Slot {
        std::vector<std::uint8_t> rgba;
        double time = 0;
    };
    std::vector<Slot> slots;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> free;
    std::deque<int> ready;
    int current = -1;
    bool stopping = false;
    bool ended = false;   // the decoder has given its last picture
    double endTime = 0;   // when the last picture's time is over; set with ended
    std::thread thread;

    ~Decoding() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (thread.joinable()) thread.join();
        sws_freeContext(sws);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    bool openFile() {
        if (!media::openInput(&format, path, "movie")) return false;
        const AVCodec* decoder = nullptr;
        int r = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
        // A still picture attached to a sound file is cover art, not a movie.
        if (r < 0 || !decoder || (format->streams[r]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            log("movie: no pictures in %s", path.c_str());
            return false;
        }
        streamIndex = r;
        AVStream* stream = format->streams[r];
        timeBase = stream->time_base;
        if (stream->start_time != AV_NOPTS_VALUE) startPts = stream->start_time;
        AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
        if (rate.num > 0 && rate.den > 0) interval = std::clamp(av_q2d(av_inv_q(rate)), 0.001, 1.0);
        width = stream->codecpar->width;
        height = stream->codecpar->height;
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
            log("movie: %s has pictures of %d x %d; cannot show them", path.c_str(), width, height);
            return false;
        }
        double shrink = std::sqrt(kMaxPixels / (static_cast<double>(width) * height));
        if (shrink < 1) {
            width = std::max(2, static_cast<int>(width * shrink));
            height = std::max(2, static_cast<int>(height * shrink));
        }
        if (!media::openDecoder(&codec, decoder, *stream, path, "movie", /*allThreads=*/true)) return false;
        media::discardOtherStreams(*format, streamIndex);
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        if (!packet || !frame) return false;
        slots.resize(kSlots);
        for (int i = 0; i < kSlots; ++i) {
            // Some padding: the scaler's vector code may write a little past a row's end.
            slots[i].rgba.resize(static_cast<std::size_t>(width) * height * 4 + 64);
            free.push_back(i);
        }
        return true;
    }

    double timeOf(const AVFrame& f) {
        double t = lastTime < 0 ? 0 : lastTime + interval;
        if (f.best_effort_timestamp != AV_NOPTS_VALUE) {
            t = static_cast<double>(f.best_effort_timestamp - startPts) * av_q2d(timeBase);
        }
        // Pictures show in decoding order, whatever their stamps say.
        t = std::max({t, lastTime, 0.0});
        lastTime = t;
        return t;
    }

    bool convert(const AVFrame& f, std::uint8_t* dst) {
        if (f.width <= 0 || f.height <= 0) return false;
        sws = sws_getCachedContext(sws, f.width, f.height, static_cast<AVPixelFormat>(f.format), width, height,
                                   AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!sws) return false;
        int colorspace = f.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : f.colorspace;
        int range = f.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
        if (sws != swsConfigured || colorspace != swsColorspace || range != swsRange) {
            int* inv = nullptr;
            int* table = nullptr;
            int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
            // Formats that carry their own range (full-range JPEG YUV) keep it.
            if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness, &contrast,
                                         &saturation) >= 0) {
                sws_setColorspaceDetails(sws, sws_getCoefficients(colorspace), range || srcRange,
                                         sws_getCoefficients(SWS_CS_DEFAULT), 1, brightness, contrast, saturation);
            }
            swsConfigured = sws;
            swsColorspace = colorspace;
            swsRange = range;
        }
        std::uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
        int strides[4] = {width * 4, 0, 0, 0};
        return sws_scale(sws, f.data, f.linesize, 0, f.height, planes, strides) > 0;
    }

    // Decodes the next picture into dst; false at the end of the pictures.
    bool decodeNext(std::uint8_t* dst, double& time) {
        int errors = 0;
        while (errors < kMaxConsecutiveErrors) {
            int r = avcodec_receive_frame(codec, frame);
            if (r == 0) {
                time = timeOf(*frame);
                bool ok = convert(*frame, dst);
                av_frame_unref(frame);
                if (ok) return true;
                ++errors;
                continue;
            }
            if (r == AVERROR_EOF) return false;
            if (r != AVERROR(EAGAIN)) {
                ++errors;  // a damaged frame: skip it
                continue;
            }
            if (drained) return false;
            r = av_read_frame(format, packet);
            if (r < 0) {
                avcodec_send_packet(codec, nullptr);
                drained = true;
                continue;
            }
            if (packet->stream_index == streamIndex && avcodec_send_packet(codec, packet) < 0) ++errors;
            av_packet_unref(packet);
        }
        log("movie: giving up on damaged pictures in %s", path.c_str());
        return false;
    }

    void run() {
        for (;;) {
            int slot = -1;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopping || !free.empty(); });
                if (stopping) return;
                slot = free.back();
                free.pop_back();
            }
            double time = 0;
            bool got = decodeNext(slots[slot].rgba.data(), time);
            {
                std::lock_guard lock(mutex);
                if (got) {
                    slots[slot].time = time;
                    ready.push_back(slot);
                } else {
                    free.push_back(slot);
                    ended = true;
                    endTime = lastTime < 0 ? 0 : lastTime + interval;
                }
            }
            changed.notify_all();
            if (!got) return;
        }
    }
};

std::unique_ptr<Movie> Movie::open(const std::string& path) {
    auto decoding = std::make_unique<Decoding>();
    decoding->path = path;
    if (!decoding->openFile()) return nullptr;
    std::unique_ptr<Movie> movie(new Movie());
    movie->path_ = path;
    movie->width_ = decoding->width;
    movie->height_ = decoding->height;
    movie->hasAudio_ = av_find_best_stream(decoding->format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    if (decoding->format->duration > 0) movie->duration_ = static_cast<double>(decoding->format->duration) / AV_TIME_BASE;
    Decoding* d = decoding.get();
    d->thread = std::thread([d] { d->run(); });
    movie->decoding_ = std::move(decoding);
    return movie;
}

Movie::~Movie() = default;

bool Movie::showPictureAt(double seconds, bool wait) {
    Decoding& d = *decoding_;
    bool changed = false;
    {
        std::unique_lock lock(d.mutex);
        for (;;) {
            if (!d.ready.empty()) {
                int next = d.ready.front();
                if (d.slots[next].time > seconds) break;
                d.ready.pop_front();
                if (d.current >= 0) d.free.push_back(d.current);
                d.current = next;
                ++pictureNumber_;
                changed = true;
                continue;
            }
            if (!wait || d.ended) break;
            // Hand back what was taken so far before waiting on the decoder.
            if (changed) d.changed.notify_all();
            d.changed.wait(lock);
        }
    }
    if (changed) d.changed.notify_all();
    return changed;
}

const std::uint8_t* Movie::picture() const {
    // Only this thread changes `current`, and the decoder never writes the
    // current buffer: no lock needed to read it here.
    return decoding_->current >= 0 ? decoding_->slots[decoding_->current].rgba.data() : nullptr;
}

bool Movie::isOver(double seconds) const {
    Decoding& d = *decoding_;
    std::lock_guard lock(d.mutex);
    return d.ended && d.ready.empty() && seconds >= d.endTime;
}

}  // namespace platform
