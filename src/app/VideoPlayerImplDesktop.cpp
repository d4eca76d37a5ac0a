#include "app/VideoPlayerImplDesktop.h"

#include <algorithm>

#include "app/VideoPlayer.h"
#include "engine/CCDirector.h"
#include "engine/audio/Decoder.h"
#include "engine/audio/SimpleAudioEngine.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"

namespace {

// How far the sound may fall behind the frame loop before the pictures stop
// waiting for it (a stalled device, a decoder that cannot keep up).
constexpr double kMaxSoundLag = 1.0;
constexpr float kHalfPi = 1.5707964f;

}  // namespace

// ---------------------------------------------------------------------------
// MoviePlayer

std::unique_ptr<MoviePlayer> MoviePlayer::create(const std::string& path) {
    auto movie = platform::Movie::open(path);
    if (!movie) return nullptr;
    std::unique_ptr<MoviePlayer> player(new MoviePlayer(std::move(movie)));
    player->reproducible_ = platform::Application::shared().isHeadless();
    if (player->movie_->hasAudio()) {
        // The sound is read from the file a second time, by the audio layer's
        // own decoder, on the stream's thread.
        std::shared_ptr<audio::Decoder> decoder = audio::Decoder::open(path);
        if (decoder) {
            player->sound_ = SimpleAudioEngine::sharedEngine().openStream(
                decoder->format(), [decoder](int16_t* out, long maxFrames) -> long {
                    long frames = decoder->read(out, maxFrames);
                    return frames > 0 ? frames : audio::kPcmEnd;
                });
        }
    }
    return player;
}

MoviePlayer::~MoviePlayer() {
    if (sound_) sound_->stop();
}

void MoviePlayer::play() {
    if (announced_) return;
    playing_ = true;
    firstFrame_ = true;
    soundLeads_ = sound_ && !reproducible_;
    if (sound_) sound_->play();
}

void MoviePlayer::stop() {
    playing_ = false;
    if (sound_) sound_->stop();
    if (announced_) return;
    announced_ = true;
    std::function<void()> observer = observer_;
    // Last: the observer may destroy this player.
    if (observer) observer();
}

void MoviePlayer::announceEnd() {
    announced_ = true;
    platform::performOnMainThread(
        [observer = observer_] {
            if (observer) observer();
        },
        false);
}

void MoviePlayer::drawFrame(double deltaSeconds) {
    if (playing_ && !announced_) {
        // The first step also counts the time before play() in its frame.
        frameClock_ += firstFrame_ ? 0.0 : deltaSeconds;
        firstFrame_ = false;
        if (soundLeads_) {
            double heard = sound_->position();
            if (sound_->isFinished() || frameClock_ - heard > kMaxSoundLag) {
                if (!sound_->isFinished()) {
                    platform::log("movie: the sound of %s lags; the pictures go on without it",
                                  movie_->path().c_str());
                }
                soundLeads_ = false;
                frameClock_ = std::max(clock_, heard);
            } else {
                clock_ = std::max(clock_, heard);
            }
        }
        if (!soundLeads_) clock_ = frameClock_;
        if (movie_->showPictureAt(clock_, reproducible_)) {
            view_.setPicture(movie_->width(), movie_->height(), movie_->picture());
        }
        // While the sound leads it is not over yet, even if the pictures are.
        if (!soundLeads_ && movie_->isOver(clock_)) announceEnd();
    }
    view_.draw();
}

// ---------------------------------------------------------------------------
// VideoOverlayView

void VideoOverlayView::touchesEnded(const platform::TouchSet& touches) {
    bool tapped = _touch;
    _touch = false;
    // Last: cancelling removes and destroys this view.
    if (tapped) VideoPlayer::cancelPlaying();
}

// ---------------------------------------------------------------------------
// VideoPlayerImplDesktop

VideoPlayerImplDesktop::~VideoPlayerImplDesktop() {
    auto& app = platform::Application::shared();
    if (_theMovie) app.setOverlayFrameHandler(nullptr);
    if (_videoOverlayView) app.setOverlayTouchHandler(nullptr);
}

unsigned long VideoPlayerImplDesktop::begin() {
    // Each movie hears its finish before the next one starts.
    if (_playing) {
        if (_theMovie) {
            cancelPlaying();
        } else {
            movieFinishedCallback(serial_);
        }
    }
    unsigned long serial = ++serial_;
    _playing = true;
    if (_delegate) _delegate->movieStartsPlaying();
    return serial;
}

void VideoPlayerImplDesktop::announceLater(unsigned long serial) {
    platform::performOnMainThread([this, serial] { movieFinishedCallback(serial); }, false);
}

void VideoPlayerImplDesktop::playMovieAtURL(const std::string& path) {
    unsigned long serial = begin();
    if (serial != serial_) return;  // the delegate started another movie meanwhile
    auto movie = MoviePlayer::create(path);
    if (!movie) {
        // Unplayable: it still finishes, or a waiting delegate would wait for ever.
        announceLater(serial);
        return;
    }
    _theMovie = std::move(movie);
    _theMovie->setFinishObserver([this, serial] { movieFinishedCallback(serial); });
    auto& app = platform::Application::shared();
    app.setOverlayFrameHandler(_theMovie.get());
    updateOrientationWithOrientation(CCDirector::sharedDirector()->interfaceOrientation());
    _theMovie->play();
    _videoOverlayView = std::make_unique<VideoOverlayView>();
    app.setOverlayTouchHandler(_videoOverlayView.get());
}

void VideoPlayerImplDesktop::playMissingMovie(const std::string& name) {
    platform::log("VideoPlayer: no movie %s to play", name.c_str());
    unsigned long serial = begin();
    if (serial == serial_) announceLater(serial);
}

void VideoPlayerImplDesktop::movieFinishedCallback(unsigned long serial) {
    if (serial != serial_ || !_playing) return;  // a movie already finished
    auto& app = platform::Application::shared();
    if (_theMovie) {
        _theMovie->setFinishObserver(nullptr);
        app.setOverlayFrameHandler(nullptr);
        _theMovie.reset();
    }
    _playing = false;
    if (_videoOverlayView) {
        app.setOverlayTouchHandler(nullptr);
        _videoOverlayView.reset();
    }
    if (_delegate) _delegate->moviePlaybackFinished();
}

void VideoPlayerImplDesktop::cancelPlaying() {
    if (!_theMovie) return;
    unsigned long serial = serial_;
    _theMovie->stop();
    // Stopping delivers the finish at once unless the end had been announced
    // already; then the notification still queued finds this movie gone.
    if (serial == serial_ && _playing) movieFinishedCallback(serial);
}

void VideoPlayerImplDesktop::updateOrientationWithOrientation(int orientation) {
    lastOrientation_ = orientation;
    if (!_theMovie) return;
    if (orientation == 3) {
        _theMovie->setRotation(kHalfPi);
    } else if (orientation == 4) {
        _theMovie->setRotation(-kHalfPi);
    }
}

void VideoPlayerImplDesktop::updateOrientationWithOrientationNumber(const platform::Value& orientation) {
    updateOrientationWithOrientation(static_cast<int>(orientation.asInt()));
}
