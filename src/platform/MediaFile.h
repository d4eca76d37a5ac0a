// Opening a media file with FFmpeg, shared by the movie player and the audio
// layer's decoder: the file and its stream info, then a stream's decoder.
// Each failure is one log line that starts with the caller's tag ("movie",
// "audio"); choosing the stream stays with the caller, which knows what it
// will accept.
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace platform::media {

// Opens `path` into *format and reads its stream info. False after a log
// line; whatever is left in *format is the caller's to close either way.
bool openInput(AVFormatContext** format, const std::string& path, const char* tag);

// Sets up *codec for `stream` with `decoder` and opens it; `allThreads` lets
// it decode on every core. False after a log line; *codec is the caller's to
// free either way.
bool openDecoder(AVCodecContext** codec, const AVCodec* decoder, const AVStream& stream, const std::string& path,
                 const char* tag, bool allThreads = false);

// Has the demuxer skip every stream but `keep` (cover art, the other track).
void discardOtherStreams(AVFormatContext& format, int keep);

}  // namespace platform::media
