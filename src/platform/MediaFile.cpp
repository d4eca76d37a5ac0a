#include "platform/MediaFile.h"

#include <mutex>

#include "platform/Log.h"

namespace platform::media {
namespace {

std::string errorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void quietLibraryLog() {
    // FFmpeg's own messages about odd files only repeat our one-line reports.
    static std::once_flag once;
    std::call_once(once, [] {
        if (av_log_get_level() > AV_LOG_FATAL) av_log_set_level(AV_LOG_FATAL);
    });
}

}  // namespace

bool openInput(AVFormatContext** format, const std::string& path, const char* tag) {
    quietLibraryLog();
    // Only the containers the game plays (MP3, WAV, MP4/M4A) and only the
    // file itself: FFmpeg would otherwise take a playlist or a list of files
    // in a sound's or a movie's place (the caches directory's logo too) and
    // go on to read the other files, or the addresses, it names.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", "mp3,wav,mov", 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    int r = avformat_open_input(format, path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (r < 0) {
        log("%s: cannot open %s: %s", tag, path.c_str(), errorText(r).c_str());
        return false;
    }
    r = avformat_find_stream_info(*format, nullptr);
    if (r < 0) {
        log("%s: cannot read %s: %s", tag, path.c_str(), errorText(r).c_str());
        return false;
    }
    return true;
}

bool openDecoder(AVCodecContext** codec, const AVCodec* decoder, const AVStream& stream, const std::string& path,
                 const char* tag, bool allThreads) {
    *codec = avcodec_alloc_context3(decoder);
    if (!*codec || avcodec_parameters_to_context(*codec, stream.codecpar) < 0) {
        log("%s: cannot set up a decoder for %s", tag, path.c_str());
        return false;
    }
    (*codec)->pkt_timebase = stream.time_base;
    if (allThreads) (*codec)->thread_count = 0;  // as many as the machine has
    int r = avcodec_open2(*codec, decoder, nullptr);
    if (r < 0) {
        log("%s: cannot open the decoder for %s: %s", tag, path.c_str(), errorText(r).c_str());
        return false;
    }
    return true;
}

void discardOtherStreams(AVFormatContext& format, int keep) {
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (static_cast<int>(i) != keep) format.streams[i]->discard = AVDISCARD_ALL;
    }
}

}  // namespace platform::media
