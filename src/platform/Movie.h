// A video file's pictures, decoded with FFmpeg and converted to RGBA on a
// thread of its own a few pictures ahead of the clock they are shown by.
//
// Only pictures: the soundtrack is the audio layer's to decode and play;
// this says whether there is one. Pictures are kept in a small ring of
// buffers made when the file opens, so playing allocates nothing per picture.
//
// A Movie is owned and driven by one thread (the main thread); the decoding
// thread touches only the ring's free buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Movie {
public:
    // nullptr, after a log line, when the file cannot be opened or has no
    // picture to show.
    static std::unique_ptr<Movie> open(const std::string& path);
    // Stops the decoding thread.
    ~Movie();
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    const std::string& path() const { return path_; }
    // The pictures' size as shown.
    int width() const { return width_; }
    int height() const { return height_; }
    bool hasAudio() const { return hasAudio_; }
    // The container's duration; 0 when it does not say.
    double duration() const { return duration_; }

    // Makes the picture due at `seconds` current: the last one that starts at
    // or before it. With `wait` it waits for the decoder to get there, so a
    // run on a fixed clock shows the same picture every time; without, it
    // takes what is decoded and catches up later. Returns whether the
    // current picture changed.
    bool showPictureAt(double seconds, bool wait);
    // The current picture, RGBA rows top first (width x height x 4 bytes);
    // nullptr before the first.
    const std::uint8_t* picture() const;
    // How many pictures have been current so far, skipped ones included:
    // 0 before the first, n while the n-th shows.
    long pictureNumber() const { return pictureNumber_; }
    // The last picture has been current and its time is over at `seconds`.
    bool isOver(double seconds) const;

private:
    struct Decoding;
    Movie() = default;

    std::string path_;
    int width_ = 0;
    int height_ = 0;
    bool hasAudio_ = false;
    double duration_ = 0;
    long pictureNumber_ = 0;
    std::unique_ptr<Decoding> decoding_;
};

}  // namespace platform
