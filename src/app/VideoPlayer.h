// The logo video player: class operations that any thread may call, over
// one process-wide implementation that plays a movie over the whole window
// and tells a delegate when it starts and when it has finished.
//
// Every operation is carried out on the main thread: at once when called
// there, queued for the frame loop when called from another thread.
#pragma once

#include <memory>
#include <string>

#include "app/VideoPlayerImplDesktop.h"

// Told about the movie, on the main thread.
class VideoPlayerDelegate {
public:
    virtual ~VideoPlayerDelegate() = default;
    // Playback begins; nothing of the movie is on screen yet.
    virtual void movieStartsPlaying() = 0;
    // The movie ended by itself or was cancelled: once per movie.
    virtual void moviePlaybackFinished() = 0;
};

class VideoPlayer {
public:
    // A file name with its extension: played from the caches directory when
    // a file of that name is there, else as a resource of the bundle.
    static void playMovieWithFile(const std::string& file);
    // Splits the name at its first "." into name and type.
    static void playMovieWithResourceFile(const std::string& file);
    static void playMovieWithName(const std::string& name, const std::string& type);
    static void cancelPlaying();
    static void setDelegate(VideoPlayerDelegate* delegate);
    static void updateOrientationWithOrientation(int orientation);

    // The implementation, made on first use and kept until end(). Main
    // thread only.
    static VideoPlayerImplDesktop& implementation();
    // At termination, before the audio engine closes: stops a playing movie
    // (its pictures' thread and its sound stream) without telling the
    // delegate, and frees the implementation. Main thread only.
    static void end();
};

// The factory of the platform's implementation.
class VideoPlayerImpl : public VideoPlayerImplDesktop {
public:
    static std::unique_ptr<VideoPlayerImplDesktop> newImpl();
};
