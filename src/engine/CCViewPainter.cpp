#include "engine/CCViewPainter.h"

#include <algorithm>
#include <cmath>

#include "engine/CCDirector.h"
#include "engine/CCRenderer.h"
#include "engine/CCTexture2D.h"

namespace {

class ViewTexture : public platform::ui::Texture {
public:
    Ref<CCTexture2D> texture;
};

ccColor4B premultiplied(platform::ui::Color c) {
    auto byte = [](float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    return {byte(c.r * c.a), byte(c.g * c.a), byte(c.b * c.a), byte(c.a)};
}

}  // namespace

CCViewPainter& CCViewPainter::shared() {
    static CCViewPainter painter;
    return painter;
}

std::shared_ptr<platform::ui::Texture> CCViewPainter::makeTexture(const platform::TextImage& image) {
    if (image.empty()) return nullptr;
    auto made = std::make_shared<ViewTexture>();
    made->texture = new CCTexture2D;
    if (!made->texture->initWithRGBA(image.rgba.data(), image.width, image.height, 1)) return nullptr;
    made->width = image.width;
    made->height = image.height;
    return made;
}

void CCViewPainter::begin() {
    CCRenderer& r = CCRenderer::shared();
    const platform::PixelRect viewport = platform::Application::shared().viewport();
    const CGSize size = CCDirector::sharedDirector()->winSize();
    height_ = size.height;
    pixelsPerPoint_ = viewport.width / size.width;
    // Clip boxes in the viewport's own pixels.
    r.setTarget({0, viewport.x, viewport.y, viewport.width, viewport.height, size.width, size.height, 0, 0});
    r.disableScissor();
    stackMark_ = r.saveStack();
}

void CCViewPainter::end() {
    CCRenderer& r = CCRenderer::shared();
    r.disableScissor();
    r.flush();
    r.restoreStack(stackMark_);
}

void CCViewPainter::quad(const platform::ui::Rect& rect, const platform::ui::Affine& m, platform::ui::Color color,
                         unsigned texture) {
    const ccColor4B c = premultiplied(color);
    if (c.a == 0) return;
    // Window points (y down) to the engine's points (y up).
    auto corner = [&](float x, float y, float u, float v) {
        const platform::Point p = m.apply({x, y});
        return ccV2F_C4B_T2F{{p.x, height_ - p.y}, c, u, v};
    };
    const float x1 = rect.x + rect.width, y1 = rect.y + rect.height;
    const ccV2F_C4B_T2F_Quad q{corner(rect.x, rect.y, 0, 0), corner(rect.x, y1, 0, 1), corner(x1, rect.y, 1, 0),
                               corner(x1, y1, 1, 1)};
    CCRenderer::shared().drawQuad(q, CGAffineTransformIdentity, texture, kCCBlendFuncPremultiplied);
}

void CCViewPainter::fill(const platform::ui::Rect& rect, const platform::ui::Affine& m, platform::ui::Color color) {
    quad(rect, m, color, 0);
}

void CCViewPainter::image(const platform::ui::Texture& texture, const platform::ui::Rect& rect,
                          const platform::ui::Affine& m, platform::ui::Color tint) {
    quad(rect, m, tint, static_cast<const ViewTexture&>(texture).texture->name());
}

void CCViewPainter::clip(const platform::ui::Rect* window) {
    CCRenderer& r = CCRenderer::shared();
    if (!window) {
        r.disableScissor();
        return;
    }
    const float s = pixelsPerPoint_;
    const long left = std::lround(window->x * s), right = std::lround((window->x + window->width) * s);
    const long bottom = std::lround((height_ - window->y - window->height) * s);
    const long top = std::lround((height_ - window->y) * s);
    r.enableScissor(static_cast<int>(left), static_cast<int>(bottom), static_cast<int>(std::max(0L, right - left)),
                    static_cast<int>(std::max(0L, top - bottom)));
}
