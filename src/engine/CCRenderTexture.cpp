#include "engine/CCRenderTexture.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cmath>

#include "engine/CCDirector.h"
#include "engine/CCRenderer.h"
#include "platform/Log.h"

Ref<CCRenderTexture> CCRenderTexture::renderTextureWithWidth(int width, int height) {
    return renderTextureWithWidth(width, height, kCCTexture2DPixelFormat_RGBA8888);
}

Ref<CCRenderTexture> CCRenderTexture::renderTextureWithWidth(int width, int height, CCTexture2DPixelFormat format) {
    Ref<CCRenderTexture> rt(new CCRenderTexture);
    if (!rt->initWithWidth(width, height, format)) return nullptr;
    return rt;
}

bool CCRenderTexture::initWithWidth(int width, int height, CCTexture2DPixelFormat format) {
    CCRenderer& renderer = CCRenderer::shared();
    if (!renderer.isReady() || width <= 0 || height <= 0) {
        platform::log("CCRenderTexture: cannot make a %dx%d render texture", width, height);
        return false;
    }
    // Only RGBA8888 is renderable everywhere in GL ES 2; other formats are
    // drawn as RGBA8888.
    (void)format;
    const float scale = CCDirector::sharedDirector()->contentScaleFactor();
    const int pw = static_cast<int>(std::lround(width * scale));
    const int ph = static_cast<int>(std::lround(height * scale));
    Ref<CCTexture2D> texture(new CCTexture2D);
    if (!texture->initEmpty(pw, ph, scale)) return false;

    renderer.flush();
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture->name(), 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        // A new texture holds undefined pixels: start transparent.
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, previous);
    if (!complete) {
        glDeleteFramebuffers(1, &fbo);
        platform::log("CCRenderTexture: framebuffer incomplete");
        return false;
    }
    framebuffer_ = fbo;
    generation_ = renderer.contextGeneration();
    texture_ = texture;
    texture_->setAntiAliasTexParameters();

    setContentSize({static_cast<float>(width), static_cast<float>(height)});
    Ref<CCSprite> sprite = CCSprite::spriteWithTexture(texture_);
    // GL stores the texture bottom row first; the sprite reads images top row first.
    sprite->setScaleY(-1);
    sprite->setBlendFunc({CC_GL_ONE, CC_GL_ONE_MINUS_SRC_ALPHA});
    setSprite(sprite);
    return true;
}

CCRenderTexture::~CCRenderTexture() {
    CCRenderer& renderer = CCRenderer::shared();
    if (framebuffer_ && renderer.isReady() && generation_ == renderer.contextGeneration()) {
        renderer.flush();
        GLuint fbo = framebuffer_;
        glDeleteFramebuffers(1, &fbo);
    }
}

void CCRenderTexture::setSprite(CCSprite* sprite) {
    if (sprite_) removeChild(sprite_, true);
    sprite_ = sprite;
    if (sprite_) addChild(sprite_);
}

void CCRenderTexture::begin() {
    CCRenderer& r = CCRenderer::shared();
    if (!framebuffer_ || !r.isReady() || generation_ != r.contextGeneration()) return;
    saved_.push_back({r.target(), r.saveStack()});
    blank_ = false;  // whatever comes until end() may draw
    r.setTarget({framebuffer_, 0, 0, texture_->pixelsWide(), texture_->pixelsHigh(), contentSize_.width,
                 contentSize_.height});
}

void CCRenderTexture::beginWithClear(float r, float g, float b, float a) {
    begin();
    if (!saved_.empty()) CCRenderer::shared().clear({r, g, b, a});
}

void CCRenderTexture::end() {
    if (saved_.empty()) return;
    CCRenderer& r = CCRenderer::shared();
    Saved s = saved_.back();
    saved_.pop_back();
    r.setTarget(s.target);
    r.restoreStack(s.stackMark);
}

void CCRenderTexture::clear(float r, float g, float b, float a) {
    beginWithClear(r, g, b, a);
    end();
    if (r == 0 && g == 0 && b == 0 && a == 0) blank_ = true;
}

void CCRenderTexture::setShownRect(CGRect rect) {
    if (!sprite_) return;
    const float left = std::max(0.0f, rect.origin.x), bottom = std::max(0.0f, rect.origin.y);
    const float right = std::min(contentSize_.width, rect.origin.x + rect.size.width);
    const float top = std::min(contentSize_.height, rect.origin.y + rect.size.height);
    nothingShown_ = right <= left || top <= bottom;
    if (nothingShown_) return;
    // The texture's row 0 is the picture's bottom; the sprite, turned upright,
    // stands centred on the node's origin when it shows the whole picture.
    sprite_->setTextureRect(CGRectMake(left, bottom, right - left, top - bottom));
    sprite_->setPosition({(left + right - contentSize_.width) / 2, (bottom + top - contentSize_.height) / 2});
}

void CCRenderTexture::visit() {
    // Only the picture's own sprite to draw, and it is transparent.
    if ((blank_ || nothingShown_) && children().size() <= 1) return;
    CCNode::visit();
}

std::vector<std::uint8_t> CCRenderTexture::readPixels(int& width, int& height) {
    width = texture_ ? texture_->pixelsWide() : 0;
    height = texture_ ? texture_->pixelsHigh() : 0;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    if (pixels.empty()) return pixels;
    const bool blank = blank_;
    begin();
    blank_ = blank;  // reading draws nothing
    if (saved_.empty()) return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    end();
    // GL reads the bottom row first.
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(pixels.begin() + y * row, pixels.begin() + (y + 1) * row, pixels.begin() + (height - 1 - y) * row);
    return pixels;
}
