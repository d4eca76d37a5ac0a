// Shows a movie's pictures over the frame just drawn: the whole window goes
// black and the picture is fitted into it, centred, its aspect kept, as a
// full-screen movie player shows a film.
//
// GL ES 2 on the application's context, main thread only. The texture is made
// with the first picture and updated in place after; GL names made in a
// context that has since gone are forgotten, not deleted.
#pragma once

#include <cstdint>

#include "platform/Application.h"

namespace platform {

class MovieView {
public:
    MovieView() = default;
    ~MovieView();
    MovieView(const MovieView&) = delete;
    MovieView& operator=(const MovieView&) = delete;

    // Uploads the next picture: RGBA rows top first, width x height x 4 bytes.
    void setPicture(int width, int height, const std::uint8_t* rgba);
    // Black over the whole window, then the latest picture (if any) fitted
    // into it. GL state the engine relies on (viewport, blending, scissor) is
    // left as it was found.
    void draw();
    // Where the picture was last drawn, in window pixels from the bottom-left.
    PixelRect pictureRect() const { return pictureRect_; }

private:
    bool prepare();
    void forget();

    // The window whose GL context the names below belong to. SDL never
    // reuses a window id, where a new context may reuse an old one's address.
    unsigned window_ = 0;
    unsigned program_ = 0;
    unsigned texture_ = 0;
    unsigned buffer_ = 0;  // the quad
    int sampler_ = -1;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool hasPicture_ = false;
    PixelRect pictureRect_;
};

}  // namespace platform
