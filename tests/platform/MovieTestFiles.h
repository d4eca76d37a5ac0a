// Small movies made by the tests: solid-coloured pictures (MPEG-4 part 2,
// every picture a key frame) and, if asked, a tone (AAC), in an MP4 file.
// Each picture's colour is known, so a test can tell which one shows.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace movietest {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct MovieSpec {
    int width = 64;
    int height = 48;
    int fps = 10;
    std::vector<Rgb> pictures;  // one per picture; none writes a sound-only file
    double soundSeconds = 0;    // 0: no sound
};

namespace detail {

inline bool drain(AVFormatContext* out, AVCodecContext* codec, AVStream* stream, AVPacket* packet) {
    for (;;) {
        int r = avcodec_receive_packet(codec, packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) return false;
        // Without its duration the container leaves out the last picture.
        if (packet->duration <= 0 && codec->codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(out, packet) < 0) return false;
    }
}

inline bool writePictures(AVFormatContext* out, const MovieSpec& spec, AVCodecContext* codec, AVStream* stream) {
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    frame->format = codec->pix_fmt;
    frame->width = codec->width;
    frame->height = codec->height;
    bool ok = av_frame_get_buffer(frame, 0) >= 0;
    for (std::size_t i = 0; ok && i < spec.pictures.size(); ++i) {
        ok = av_frame_make_writable(frame) >= 0;
        const Rgb& c = spec.pictures[i];
        // BT.601, limited range: what a decoder assumes when a file does not say.
        auto y = static_cast<std::uint8_t>(std::lround(16 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 255));
        auto u = static_cast<std::uint8_t>(std::lround(128 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 255));
        auto v = static_cast<std::uint8_t>(std::lround(128 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 255));
        for (int row = 0; row < frame->height; ++row) {
            std::fill_n(frame->data[0] + row * frame->linesize[0], frame->width, y);
        }
        for (int row = 0; row < frame->height / 2; ++row) {
            std::fill_n(frame->data[1] + row * frame->linesize[1], frame->width / 2, u);
            std::fill_n(frame->data[2] + row * frame->linesize[2], frame->width / 2, v);
        }
        frame->pts = static_cast<int64_t>(i);
        ok = ok && avcodec_send_frame(codec, frame) >= 0 && drain(out, codec, stream, packet);
    }
    ok = ok && avcodec_send_frame(codec, nullptr) >= 0 && drain(out, codec, stream, packet);
    av_packet_free(&packet);
    av_frame_free(&frame);
    return ok;
}

inline bool writeTone(AVFormatContext* out, const MovieSpec& spec, AVCodecContext* codec, AVStream* stream) {
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    const long total = std::lround(spec.soundSeconds * codec->sample_rate);
    bool ok = true;
    for (long done = 0; ok && done < total; done += codec->frame_size) {
        frame->format = codec->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
        frame->sample_rate = codec->sample_rate;
        frame->nb_samples = static_cast<int>(std::min<long>(codec->frame_size, total - done));
        ok = av_frame_get_buffer(frame, 0) >= 0;
        for (int ch = 0; ok && ch < codec->ch_layout.nb_channels; ++ch) {
            auto* samples = reinterpret_cast<float*>(frame->data[ch]);
            for (int s = 0; s < frame->nb_samples; ++s) {
                samples[s] = 0.2f * static_cast<float>(std::sin(2 * M_PI * 440.0 * (done + s) / codec->sample_rate));
            }
        }
        frame->pts = done;
        ok = ok && avcodec_send_frame(codec, frame) >= 0 && drain(out, codec, stream, packet);
        av_frame_unref(frame);
    }
    ok = ok && avcodec_send_frame(codec, nullptr) >= 0 && drain(out, codec, stream, packet);
    av_packet_free(&packet);
    av_frame_free(&frame);
    return ok;
}

}  // namespace detail

// Writes the movie to path (an .mp4 name); false when FFmpeg cannot.
inline bool writeMovie(const std::string& path, const MovieSpec& spec) {
    // The encoders' statistics are not the tests' business.
    if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, "mp4", path.c_str()) < 0) return false;
    const bool globalHeader = out->oformat->flags & AVFMT_GLOBALHEADER;
    AVCodecContext* video = nullptr;
    AVCodecContext* sound = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* soundStream = nullptr;
    bool ok = true;

    if (!spec.pictures.empty()) {
        const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        video = encoder ? avcodec_alloc_context3(encoder) : nullptr;
        ok = video != nullptr;
        if (ok) {
            video->width = spec.width;
            video->height = spec.height;
            video->pix_fmt = AV_PIX_FMT_YUV420P;
            video->time_base = {1, spec.fps};
            video->framerate = {spec.fps, 1};
            video->gop_size = 1;
            video->max_b_frames = 0;
            video->flags |= AV_CODEC_FLAG_QSCALE;
            video->global_quality = FF_QP2LAMBDA * 2;
            if (globalHeader) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            videoStream = avformat_new_stream(out, nullptr);
            ok = videoStream && avcodec_open2(video, encoder, nullptr) >= 0 &&
                 avcodec_parameters_from_context(videoStream->codecpar, video) >= 0;
            if (ok) videoStream->time_base = video->time_base;
        }
    }
    if (ok && spec.soundSeconds > 0) {
        const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
        sound = encoder ? avcodec_alloc_context3(encoder) : nullptr;
        ok = sound != nullptr;
        if (ok) {
            sound->sample_fmt = AV_SAMPLE_FMT_FLTP;
            sound->sample_rate = 44100;
            av_channel_layout_default(&sound->ch_layout, 2);
            sound->bit_rate = 128000;
            sound->time_base = {1, 44100};
            if (globalHeader) sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            soundStream = avformat_new_stream(out, nullptr);
            ok = soundStream && avcodec_open2(sound, encoder, nullptr) >= 0 &&
                 avcodec_parameters_from_context(soundStream->codecpar, sound) >= 0;
            if (ok) soundStream->time_base = sound->time_base;
        }
    }
    ok = ok && avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
    ok = ok && avformat_write_header(out, nullptr) >= 0;
    if (ok && video) ok = detail::writePictures(out, spec, video, videoStream);
    if (ok && sound) ok = detail::writeTone(out, spec, sound, soundStream);
    if (ok) ok = av_write_trailer(out) >= 0;
    if (out->pb) avio_closep(&out->pb);
    avcodec_free_context(&video);
    avcodec_free_context(&sound);
    avformat_free_context(out);
    return ok;
}

// n pictures of one colour.
inline std::vector<Rgb> repeat(Rgb colour, int n) { return std::vector<Rgb>(static_cast<std::size_t>(n), colour); }

}  // namespace movietest
