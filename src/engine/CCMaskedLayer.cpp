#include "engine/CCMaskedLayer.h"

#include <GLES2/gl2.h>

#include <algorithm>

#include "engine/CCDirector.h"
#include "engine/CCRenderer.h"

Ref<CCMaskedLayer> CCMaskedLayer::node() { return layerWithRect(CGRectZero); }

Ref<CCMaskedLayer> CCMaskedLayer::layerWithRect(CGRect pixels) {
    Ref<CCMaskedLayer> layer(new CCMaskedLayer);
    return layer->initWithRect(pixels) ? layer : nullptr;
}

bool CCMaskedLayer::initWithRect(CGRect pixels) {
    if (!CCLayer::init()) return false;
    maskedRect_ = pixels;
    return true;
}

CGRect CCMaskedLayer::maskedRectInPoints() const {
    const float scale = CC_CONTENT_SCALE_FACTOR();
    return CGRectMake(maskedRect_.origin.x / scale, maskedRect_.origin.y / scale, maskedRect_.size.width / scale,
                      maskedRect_.size.height / scale);
}

void CCMaskedLayer::visit() {
    if (!visible_) return;
    CCRenderer& renderer = CCRenderer::shared();

    // Truncated toward zero; a negative size would make GL keep the old box.
    int x = static_cast<int>(maskedRect_.origin.x);
    int y = static_cast<int>(maskedRect_.origin.y);
    int right = x + std::max(0, static_cast<int>(maskedRect_.size.width));
    int top = y + std::max(0, static_cast<int>(maskedRect_.size.height));

    // An enclosing clip (an outer masked layer) narrows ours and is given back after.
    const bool outer = renderer.isScissorEnabled() && renderer.isReady();
    GLint saved[4] = {0, 0, 0, 0};
    if (outer) {
        glGetIntegerv(GL_SCISSOR_BOX, saved);
        x = std::max(x, static_cast<int>(saved[0]));
        y = std::max(y, static_cast<int>(saved[1]));
        right = std::min(right, static_cast<int>(saved[0] + saved[2]));
        top = std::min(top, static_cast<int>(saved[1] + saved[3]));
    }
    renderer.enableScissor(x, y, std::max(0, right - x), std::max(0, top - y));
    CCLayer::visit();
    if (outer)
        renderer.enableScissor(saved[0], saved[1], saved[2], saved[3]);
    else
        renderer.disableScissor();
}
