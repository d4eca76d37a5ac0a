// The desktop's side of the logo video player: a movie player that shows a
// file's pictures over the engine's frame and plays its sound through the
// engine's audio, the transparent overlay through which a tap cancels it,
// and the implementation object the VideoPlayer facade drives.
//
// Main thread only; the facade (VideoPlayer.h) forwards every call here.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "engine/audio/Output.h"
#include "platform/Application.h"
#include "platform/Movie.h"
#include "platform/MovieView.h"
#include "platform/Value.h"

class VideoPlayerDelegate;

// Plays one file: its pictures fitted to the window over the engine's frame,
// its sound on an engine audio stream. The pictures follow the sound's clock
// while there is sound to follow; headless runs (and files without sound)
// follow the frame loop's fixed steps instead, so they show the same picture
// on the same frame every time.
//
// Its end is announced once through the finish observer: on the next turn of
// the run loop after the last picture (and the sound) are over, or at once
// when stop() comes first.
class MoviePlayer : public platform::FrameHandler {
public:
    // nullptr, after a log line, when the file has no pictures to show.
    static std::unique_ptr<MoviePlayer> create(const std::string& path);
    ~MoviePlayer() override;

    void play();
    // Stops picture and sound. Delivers the finish notification at once
    // unless it has gone out already; the observer may destroy the player.
    void stop();
    void setFinishObserver(std::function<void()> observer) { observer_ = std::move(observer); }
    // The finish notification has been sent.
    bool hasAnnouncedEnd() const { return announced_; }

    // The view's transform, a rotation in radians. Kept but not applied:
    // the desktop window is landscape already.
    void setRotation(float radians) { rotation_ = radians; }
    float rotation() const { return rotation_; }

    // Seconds into the movie by the clock the pictures follow.
    double currentPlaybackTime() const { return clock_; }
    bool hasSound() const { return sound_ != nullptr; }
    // The pictures are following the sound's clock just now.
    bool followsSound() const { return soundLeads_; }
    const platform::Movie& movie() const { return *movie_; }
    const platform::MovieView& view() const { return view_; }

    // The player's view: draws the current picture over the frame.
    void drawFrame(double deltaSeconds) override;

private:
    explicit MoviePlayer(std::unique_ptr<platform::Movie> movie) : movie_(std::move(movie)) {}
    void announceEnd();

    std::unique_ptr<platform::Movie> movie_;
    platform::MovieView view_;
    std::unique_ptr<audio::Stream> sound_;
    std::function<void()> observer_;
    float rotation_ = 0;
    double clock_ = 0;       // what the pictures are shown by
    double frameClock_ = 0;  // the frame loop's time since play()
    bool playing_ = false;
    bool firstFrame_ = true;
    bool soundLeads_ = false;
    bool reproducible_ = false;
    bool announced_ = false;
};

// The transparent view over a playing movie. It draws nothing; a touch that
// begins and ends on it (anywhere on the window) cancels the movie.
class VideoOverlayView : public platform::TouchHandler {
public:
    void touchesBegan(const platform::TouchSet& touches) override { _touch = true; }
    void touchesMoved(const platform::TouchSet& touches) override {}
    void touchesEnded(const platform::TouchSet& touches) override;
    void touchesCancelled(const platform::TouchSet& touches) override { _touch = false; }
    bool touch() const { return _touch; }

private:
    bool _touch = false;
};

class VideoPlayerImplDesktop {
public:
    VideoPlayerImplDesktop() = default;
    virtual ~VideoPlayerImplDesktop();
    VideoPlayerImplDesktop(const VideoPlayerImplDesktop&) = delete;
    VideoPlayerImplDesktop& operator=(const VideoPlayerImplDesktop&) = delete;

    // Plays a file (on the desktop a file URL is the file's full path). The
    // delegate hears movieStartsPlaying first, before anything shows, and
    // moviePlaybackFinished exactly once later, also when the file cannot be
    // played. A movie still playing is finished first.
    void playMovieAtURL(const std::string& path);
    // A movie that cannot be found: logged, and the delegate is still told it
    // started and, on the next turn of the run loop, that it finished, so a
    // delegate waiting on the callbacks is never left waiting.
    void playMissingMovie(const std::string& name);
    // Stops the movie and tells the delegate it finished; nothing without one.
    void cancelPlaying();
    // Not owned; it must outlive the movie or unset itself.
    void setDelegate(VideoPlayerDelegate* delegate) { _delegate = delegate; }
    VideoPlayerDelegate* delegate() const { return _delegate; }
    // Landscape-right (3) turns the movie's view by +pi/2, landscape-left (4)
    // by -pi/2; anything else leaves it as it is.
    void updateOrientationWithOrientation(int orientation);
    void updateOrientationWithOrientationNumber(const platform::Value& orientation);
    // A movie has started and its finish has not been told yet.
    bool isPlaying() const { return _playing; }

    // What tests and the orientation rule's checks read.
    int lastOrientation() const { return lastOrientation_; }
    const MoviePlayer* theMovie() const { return _theMovie.get(); }
    const VideoOverlayView* videoOverlayView() const { return _videoOverlayView.get(); }

private:
    unsigned long begin();
    void announceLater(unsigned long serial);
    void movieFinishedCallback(unsigned long serial);

    std::unique_ptr<MoviePlayer> _theMovie;
    std::atomic<bool> _playing{false};
    VideoPlayerDelegate* _delegate = nullptr;
    std::unique_ptr<VideoOverlayView> _videoOverlayView;
    // Numbers the movies, so that a finish notification of one already
    // finished (or replaced) is ignored.
    unsigned long serial_ = 0;
    int lastOrientation_ = 0;
};
