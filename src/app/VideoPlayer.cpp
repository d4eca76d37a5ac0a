#include "app/VideoPlayer.h"

#include <functional>
#include <optional>

#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/MainQueue.h"

namespace {

// Waits exactly when the caller is the main thread, so calls made there run
// at once and calls from other threads never block on the frame loop.
void onMainThread(std::function<void(VideoPlayerImplDesktop&)> call) {
    platform::performOnMainThread([call = std::move(call)] { call(VideoPlayer::implementation()); },
                                  platform::isMainThread());
}

}  // namespace

std::unique_ptr<VideoPlayerImplDesktop> VideoPlayerImpl::newImpl() { return std::make_unique<VideoPlayerImpl>(); }

namespace {

// A plain pointer, not a static owner: a movie's sound must not be stopped by
// a static destructor after the audio engine has gone. end() frees it.
VideoPlayerImplDesktop*& implementationSlot() {
    static VideoPlayerImplDesktop* impl = nullptr;
    return impl;
}

}  // namespace

VideoPlayerImplDesktop& VideoPlayer::implementation() {
    VideoPlayerImplDesktop*& impl = implementationSlot();
    if (!impl) impl = VideoPlayerImpl::newImpl().release();
    return *impl;
}

void VideoPlayer::end() {
    VideoPlayerImplDesktop*& impl = implementationSlot();
    if (!impl) return;
    // Quietly: the delegate is being torn down too, and must not start music.
    impl->setDelegate(nullptr);
    delete impl;
    impl = nullptr;
}

void VideoPlayer::playMovieWithFile(const std::string& file) {
    std::string cached = platform::cachesDirectory() + "/" + file;
    if (!file.empty() && platform::fileExists(cached)) {
        onMainThread([cached](VideoPlayerImplDesktop& impl) { impl.playMovieAtURL(cached); });
        return;
    }
    playMovieWithResourceFile(file);
}

void VideoPlayer::playMovieWithResourceFile(const std::string& file) {
    std::size_t dot = file.find('.');
    if (dot == std::string::npos) {
        onMainThread([file](VideoPlayerImplDesktop& impl) { impl.playMissingMovie(file); });
        return;
    }
    playMovieWithName(file.substr(0, dot), file.substr(dot + 1));
}

void VideoPlayer::playMovieWithName(const std::string& name, const std::string& type) {
    std::optional<std::string> path;
    if (!platform::Bundle::main().resourcePath().empty()) path = platform::Bundle::main().pathForResource(name, type);
    if (!path) {
        onMainThread([file = name + "." + type](VideoPlayerImplDesktop& impl) { impl.playMissingMovie(file); });
        return;
    }
    onMainThread([path = *path](VideoPlayerImplDesktop& impl) { impl.playMovieAtURL(path); });
}

void VideoPlayer::cancelPlaying() {
    onMainThread([](VideoPlayerImplDesktop& impl) { impl.cancelPlaying(); });
}

void VideoPlayer::setDelegate(VideoPlayerDelegate* delegate) {
    onMainThread([delegate](VideoPlayerImplDesktop& impl) { impl.setDelegate(delegate); });
}

void VideoPlayer::updateOrientationWithOrientation(int orientation) {
    onMainThread([number = platform::Value(orientation)](VideoPlayerImplDesktop& impl) {
        impl.updateOrientationWithOrientationNumber(number);
    });
}
