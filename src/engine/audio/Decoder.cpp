#include "engine/audio/Decoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "platform/Log.h"
#include "platform/MediaFile.h"

namespace audio {

namespace {

// Frames a converted chunk may hold before a read gives up on a broken file.
constexpr int kMaxConsecutiveErrors = 64;

}  // namespace

// ---------------------------------------------------------------------------
// FrameConverter

struct FrameConverter::State {
    SwrContext* swr = nullptr;
    // What swr was set up for; a change mid-stream sets it up again.
    AVChannelLayout inLayout{};
    int inFormat = -1;
    int inRate = 0;

    ~State() {
        swr_free(&swr);
        av_channel_layout_uninit(&inLayout);
    }
};

FrameConverter::FrameConverter(PcmFormat out) : out_(out), state_(std::make_unique<State>()) {}
FrameConverter::~FrameConverter() = default;

bool FrameConverter::convert(const AVFrame& frame, std::vector<int16_t>& out) {
    if (frame.nb_samples <= 0 || frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0 || !out_.valid()) {
        return false;
    }
    State& s = *state_;
    AVChannelLayout inLayout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&inLayout, frame.ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&inLayout, &frame.ch_layout) < 0) {
        return false;
    }
    if (!s.swr || s.inFormat != frame.format || s.inRate != frame.sample_rate ||
        av_channel_layout_compare(&s.inLayout, &inLayout) != 0) {
        swr_free(&s.swr);
        AVChannelLayout outLayout{};
        av_channel_layout_default(&outLayout, out_.channels);
        int r = swr_alloc_set_opts2(&s.swr, &outLayout, AV_SAMPLE_FMT_S16, out_.sampleRate, &inLayout,
                                    AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        if (r >= 0 && inLayout.nb_channels == 1 && out_.channels == 2) {
            // Mono is the same sound on both speakers, not a centre speaker 3 dB down.
            const double both[2] = {1.0, 1.0};
            r = swr_set_matrix(s.swr, both, 1);
        }
        if (r < 0 || swr_init(s.swr) < 0) {
            swr_free(&s.swr);
            av_channel_layout_uninit(&inLayout);
            return false;
        }
        av_channel_layout_uninit(&s.inLayout);
        s.inLayout = inLayout;  // takes over the copy
        s.inFormat = frame.format;
        s.inRate = frame.sample_rate;
    } else {
        av_channel_layout_uninit(&inLayout);
    }

    int capacity = swr_get_out_samples(s.swr, frame.nb_samples);
    if (capacity <= 0) {
        return true;
    }
    size_t start = out.size();
    out.resize(start + size_t(capacity) * out_.channels);
    auto* dst = reinterpret_cast<uint8_t*>(out.data() + start);
    int got = swr_convert(s.swr, &dst, capacity, const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
    out.resize(start + size_t(std::max(got, 0)) * out_.channels);
    return got >= 0;
}

void FrameConverter::flush(std::vector<int16_t>& out) {
    State& s = *state_;
    if (!s.swr) {
        return;
    }
    int capacity = swr_get_out_samples(s.swr, 0);
    if (capacity <= 0) {
        return;
    }
    size_t start = out.size();
    out.resize(start + size_t(capacity) * out_.channels);
    auto* dst = reinterpret_cast<uint8_t*>(out.data() + start);
    int got = swr_convert(s.swr, &dst, capacity, nullptr, 0);
    out.resize(start + size_t(std::max(got, 0)) * out_.channels);
}

// ---------------------------------------------------------------------------
// Decoder

struct Decoder::Impl {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int streamIndex = -1;
    AVRational timeBase{0, 1};
    std::unique_ptr<FrameConverter> converter;
    bool drained = false;    // the end-of-stream packet has been sent
    bool finished = false;   // the decoder has given its last frame
    // End of the last packet read, in the stream's time base. AAC in MP4
    // marks its end padding only through packet durations: a frame reaching
    // past this end is cut back to it.
    int64_t packetEnd = AV_NOPTS_VALUE;
    bool packetTimesUsable = true;

    ~Impl() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    static std::unique_ptr<Impl> open(const std::string& path) {
        auto impl = std::make_unique<Impl>();
        if (!platform::media::openInput(&impl->format, path, "audio")) {
            return nullptr;
        }
        const AVCodec* decoder = nullptr;
        int r = av_find_best_stream(impl->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (r < 0 || !decoder) {
            platform::log("audio: no playable audio in %s", path.c_str());
            return nullptr;
        }
        impl->streamIndex = r;
        AVStream* stream = impl->format->streams[r];
        impl->timeBase = stream->time_base;
        if (!platform::media::openDecoder(&impl->codec, decoder, *stream, path, "audio")) {
            return nullptr;
        }
        if (impl->codec->sample_rate <= 0 || impl->codec->ch_layout.nb_channels <= 0) {
            platform::log("audio: %s has no sample rate or channels", path.c_str());
            return nullptr;
        }
        // Every other stream (cover art, video) is skipped by the demuxer.
        platform::media::discardOtherStreams(*impl->format, impl->streamIndex);
        impl->packet = av_packet_alloc();
        impl->frame = av_frame_alloc();
        if (!impl->packet || !impl->frame) {
            return nullptr;
        }
        PcmFormat format{impl->codec->sample_rate, std::min(impl->codec->ch_layout.nb_channels, 2)};
        impl->converter = std::make_unique<FrameConverter>(format);
        return impl;
    }

    // Cuts a frame back to the end of the packets read so far (see packetEnd).
    void trimToPacketEnd(AVFrame& f) const {
        int64_t pts = f.best_effort_timestamp;
        if (!packetTimesUsable || pts == AV_NOPTS_VALUE || packetEnd == AV_NOPTS_VALUE || f.sample_rate <= 0) {
            return;
        }
        int64_t end = pts + av_rescale_q(f.nb_samples, AVRational{1, f.sample_rate}, timeBase);
        if (end <= packetEnd) {
            return;
        }
        int64_t keep = av_rescale_q(packetEnd - pts, timeBase, AVRational{1, f.sample_rate});
        f.nb_samples = int(std::clamp<int64_t>(keep, 0, f.nb_samples));
    }
};

Decoder::Decoder(std::string path, std::unique_ptr<Impl> impl) : path_(std::move(path)), impl_(std::move(impl)) {
    format_ = impl_->converter->format();
    if (impl_->format->duration > 0) {
        duration_ = double(impl_->format->duration) / AV_TIME_BASE;
    }
}

Decoder::~Decoder() = default;

std::unique_ptr<Decoder> Decoder::open(const std::string& path) {
    auto impl = Impl::open(path);
    if (!impl) {
        return nullptr;
    }
    return std::unique_ptr<Decoder>(new Decoder(path, std::move(impl)));
}

bool Decoder::rewind() {
    auto impl = Impl::open(path_);
    if (!impl || !(impl->converter->format() == format_)) {
        return false;
    }
    impl_ = std::move(impl);
    pending_.clear();
    pendingPos_ = 0;
    return true;
}

bool Decoder::decodeMore() {
    Impl& d = *impl_;
    int errors = 0;
    while (!d.finished && errors < kMaxConsecutiveErrors) {
        int r = avcodec_receive_frame(d.codec, d.frame);
        if (r == 0) {
            d.trimToPacketEnd(*d.frame);
            size_t before = pending_.size();
            if (d.frame->nb_samples > 0 && !d.converter->convert(*d.frame, pending_)) {
                ++errors;
            }
            av_frame_unref(d.frame);
            if (pending_.size() > before) {
                return true;
            }
            continue;
        }
        if (r == AVERROR_EOF) {
            d.finished = true;
            break;
        }
        if (r != AVERROR(EAGAIN)) {
            ++errors;  // a damaged frame: skip it
            continue;
        }
        if (d.drained) {
            d.finished = true;
            break;
        }
        r = av_read_frame(d.format, d.packet);
        if (r < 0) {
            avcodec_send_packet(d.codec, nullptr);
            d.drained = true;
            continue;
        }
        if (d.packet->stream_index == d.streamIndex) {
            if (d.packet->pts == AV_NOPTS_VALUE || d.packet->duration <= 0) {
                d.packetTimesUsable = false;
            } else {
                int64_t end = d.packet->pts + d.packet->duration;
                if (d.packetEnd == AV_NOPTS_VALUE || end > d.packetEnd) {
                    d.packetEnd = end;
                }
            }
            if (avcodec_send_packet(d.codec, d.packet) < 0) {
                ++errors;  // a damaged packet: skip it
            }
        }
        av_packet_unref(d.packet);
    }
    if (errors >= kMaxConsecutiveErrors) {
        platform::log("audio: giving up on damaged data in %s", path_.c_str());
        d.finished = true;
    }
    size_t before = pending_.size();
    d.converter->flush(pending_);
    return pending_.size() > before;
}

long Decoder::read(int16_t* out, long maxFrames) {
    const size_t channels = size_t(format_.channels);
    long written = 0;
    while (written < maxFrames) {
        if (pendingPos_ >= pending_.size()) {
            pending_.clear();
            pendingPos_ = 0;
            if (!decodeMore()) {
                break;
            }
        }
        size_t available = (pending_.size() - pendingPos_) / channels;
        size_t take = std::min(available, size_t(maxFrames - written));
        std::memcpy(out + size_t(written) * channels, pending_.data() + pendingPos_, take * channels * sizeof(int16_t));
        pendingPos_ += take * channels;
        written += long(take);
    }
    return written;
}

std::optional<PcmBuffer> Decoder::decodeFile(const std::string& path, double maxSeconds) {
    auto decoder = open(path);
    if (!decoder) {
        return std::nullopt;
    }
    PcmBuffer pcm;
    pcm.format = decoder->format();
    const long limit = long(maxSeconds * pcm.format.sampleRate);
    const long chunk = 4096;
    long frames = 0;
    for (;;) {
        pcm.samples.resize(size_t(frames + chunk) * pcm.format.channels);
        long got = decoder->read(pcm.samples.data() + size_t(frames) * pcm.format.channels, chunk);
        frames += got;
        if (got < chunk) {
            break;
        }
        if (frames >= limit) {
            platform::log("audio: %s is longer than %g s; the rest is left out", path.c_str(), maxSeconds);
            frames = limit;
            break;
        }
    }
    pcm.samples.resize(size_t(frames) * pcm.format.channels);
    pcm.samples.shrink_to_fit();
    if (frames == 0) {
        platform::log("audio: %s holds no samples", path.c_str());
        return std::nullopt;
    }
    return pcm;
}

}  // namespace audio
