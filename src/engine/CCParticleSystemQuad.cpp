#include "engine/CCParticleSystemQuad.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint8_t toByte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

Ref<CCParticleSystemQuad> CCParticleSystemQuad::particleWithTotalParticles(unsigned count) {
    Ref<CCParticleSystemQuad> system(new CCParticleSystemQuad);
    return system->initWithTotalParticles(count) ? system : nullptr;
}

bool CCParticleSystemQuad::initWithTotalParticles(unsigned count) {
    if (!CCParticleSystem::initWithTotalParticles(count)) return false;
    // The whole texture on every quad; image row 0 is v 0.
    ccV2F_C4B_T2F_Quad blank;
    blank.tl.u = 0;
    blank.tl.v = 0;
    blank.tr.u = 1;
    blank.tr.v = 0;
    blank.bl.u = 0;
    blank.bl.v = 1;
    blank.br.u = 1;
    blank.br.v = 1;
    quads_.assign(count, blank);
    return true;
}

void CCParticleSystemQuad::updateQuadWithParticle(unsigned index, const tCCParticle& p, CGPoint at) {
    ccV2F_C4B_T2F_Quad& q = quads_[index];

    const float a = std::clamp(p.color.a, 0.0f, 1.0f);
    const float m = opacityModifyRGB_ ? a : 1.0f;
    const ccColor4B c{toByte(p.color.r * m), toByte(p.color.g * m), toByte(p.color.b * m), toByte(a)};
    q.bl.colors = q.br.colors = q.tl.colors = q.tr.colors = c;

    const float h = p.size / 2;
    if (p.rotation == 0) {
        q.bl.vertices = {at.x - h, at.y - h};
        q.br.vertices = {at.x + h, at.y - h};
        q.tl.vertices = {at.x - h, at.y + h};
        q.tr.vertices = {at.x + h, at.y + h};
        return;
    }
    // Clockwise degrees are negative radians in a y-up system.
    const float r = -CC_DEGREES_TO_RADIANS(p.rotation);
    const float cr = std::cos(r), sr = std::sin(r);
    // The corner (x, y) relative to the centre, turned.
    auto corner = [&](float x, float y) { return CGPoint{x * cr - y * sr + at.x, x * sr + y * cr + at.y}; };
    q.bl.vertices = corner(-h, -h);
    q.br.vertices = corner(h, -h);
    q.tl.vertices = corner(-h, h);
    q.tr.vertices = corner(h, h);
}

void CCParticleSystemQuad::draw() {
    if (!texture_ || particleCount_ == 0) return;
    CCRenderer& r = CCRenderer::shared();
    CGAffineTransform t = r.currentTransform();
    const CGPoint shift = movementSinceUpdate();
    if (shift.x != 0 || shift.y != 0) t = CGAffineTransformConcat(CGAffineTransformMakeTranslation(shift.x, shift.y), t);
    r.drawQuads(quads_.data(), particleCount_, t, texture_->name(), blend_);
}
