#include "engine/CCParticleSystem.h"

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "platform/Random.h"

namespace {

// R in [-1, 1]: a 31-bit random integer over 2^30, minus 1.
float randomMinus1To1() { return static_cast<float>(platform::rand() / 1073741824.0 - 1.0); }

float vary(float value, float variance) { return value + variance * randomMinus1To1(); }

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

ccColor4F varyColor(const ccColor4F& c, const ccColor4F& var) {
    // One draw per component, in the order r, g, b, a.
    float r = clamp01(vary(c.r, var.r));
    float g = clamp01(vary(c.g, var.g));
    float b = clamp01(vary(c.b, var.b));
    float a = clamp01(vary(c.a, var.a));
    return {r, g, b, a};
}

}  // namespace

bool CCParticleSystem::initWithTotalParticles(unsigned count) {
    if (!CCNode::init()) return false;
    particles_.assign(count, tCCParticle{});
    particleCount_ = 0;
    totalParticles_ = count;
    active_ = true;
    elapsed_ = 0;
    emitCounter_ = 0;
    blend_ = kCCBlendFuncPremultiplied;
    positionType_ = kCCPositionTypeFree;
    emitterMode_ = kCCParticleModeGravity;
    autoRemoveOnFinish_ = false;
    // Updates at priority 1 come after the frame's default-priority ones, so
    // the emitter sees where game code has put it this frame.
    scheduleUpdateWithPriority(1);
    return true;
}

void CCParticleSystem::resetSystem() {
    active_ = true;
    elapsed_ = 0;
    for (unsigned i = 0; i < particleCount_; ++i) particles_[i].timeToLive = 0;
}

void CCParticleSystem::stopSystem() {
    active_ = false;
    elapsed_ = duration_;
    emitCounter_ = 0;
}

void CCParticleSystem::setTotalParticles(unsigned count) { totalParticles_ = std::min(count, capacity()); }

void CCParticleSystem::setEmitterMode(int mode) {
    if (mode != kCCParticleModeGravity && mode != kCCParticleModeRadius) {
        platform::log("CCParticleSystem: unknown emitter mode %d ignored", mode);
        return;
    }
    emitterMode_ = mode;
}

void CCParticleSystem::setPositionType(int type) {
    if (type != kCCPositionTypeFree && type != kCCPositionTypeRelative && type != kCCPositionTypeGrouped) {
        platform::log("CCParticleSystem: unknown position type %d ignored", type);
        return;
    }
    positionType_ = type;
}

void CCParticleSystem::setTexture(CCTexture2D* texture) {
    texture_ = texture;
    if (!texture) return;
    const bool premultiplied = texture->hasPremultipliedAlpha();
    opacityModifyRGB_ = premultiplied;
    // The blend function follows the texture only while nobody chose one.
    if (blend_ == kCCBlendFuncPremultiplied || blend_ == kCCBlendFuncStraight)
        blend_ = premultiplied ? kCCBlendFuncPremultiplied : kCCBlendFuncStraight;
}

void CCParticleSystem::addParticle(CGPoint reference) {
    if (particleCount_ >= totalParticles_) return;
    initParticle(particles_[particleCount_], reference);
    ++particleCount_;
}

// The random draws come in a fixed order, so a seeded run repeats exactly.
void CCParticleSystem::initParticle(tCCParticle& p, CGPoint reference) {
    p.timeToLive = std::max(0.0f, vary(life_, lifeVar_));
    // A particle without life retires at its first update: its rates never matter.
    const float perSecond = p.timeToLive > 0 ? 1 / p.timeToLive : 0;

    p.pos.x = vary(sourcePosition_.x, posVar_.x);
    p.pos.y = vary(sourcePosition_.y, posVar_.y);

    const ccColor4F start = varyColor(startColor_, startColorVar_);
    const ccColor4F end = varyColor(endColor_, endColorVar_);
    p.color = start;
    p.deltaColor = {(end.r - start.r) * perSecond, (end.g - start.g) * perSecond, (end.b - start.b) * perSecond,
                    (end.a - start.a) * perSecond};

    p.size = std::max(0.0f, vary(startSize_, startSizeVar_));
    if (endSize_ == kCCParticleStartSizeEqualToEndSize) {
        p.deltaSize = 0;
    } else {
        const float endSize = std::max(0.0f, vary(endSize_, endSizeVar_));
        p.deltaSize = (endSize - p.size) * perSecond;
    }

    p.rotation = vary(startSpin_, startSpinVar_);
    const float endSpin = vary(endSpin_, endSpinVar_);
    p.deltaRotation = (endSpin - p.rotation) * perSecond;

    p.startPos = reference;

    const float a = CC_DEGREES_TO_RADIANS(vary(angle_, angleVar_));
    if (emitterMode_ == kCCParticleModeGravity) {
        const float s = vary(speed_, speedVar_);
        p.dir = {std::cos(a) * s, std::sin(a) * s};
        p.radialAccel = vary(radialAccel_, radialAccelVar_);
        p.tangentialAccel = vary(tangentialAccel_, tangentialAccelVar_);
    } else {
        p.radius = vary(startRadius_, startRadiusVar_);
        if (endRadius_ == kCCParticleStartRadiusEqualToEndRadius) {
            p.deltaRadius = 0;
        } else {
            p.deltaRadius = (vary(endRadius_, endRadiusVar_) - p.radius) * perSecond;
        }
        p.angle = a;
        p.angularSpeed = CC_DEGREES_TO_RADIANS(vary(rotatePerSecond_, rotatePerSecondVar_));
    }
}

// Free and relative particles undo the emitter's movement since their birth.
// The movement is measured in world (free) or parent (relative) points and
// mapped back into node space, so the particles stay put also when a scaled
// or rotated ancestor moves.
void CCParticleSystem::referenceFrame(CGPoint& reference, CGAffineTransform& toNode) const {
    const CGAffineTransform t =
        positionType_ == kCCPositionTypeFree ? nodeToWorldTransform() : nodeToParentTransform();
    reference = {t.tx, t.ty};
    toNode = CGAffineTransformInvert(CGAffineTransformMake(t.a, t.b, t.c, t.d, 0, 0));
}

CGPoint CCParticleSystem::movementSinceUpdate() const {
    if (positionType_ == kCCPositionTypeGrouped) return CGPointZero;
    CGPoint now;
    CGAffineTransform toNode;
    referenceFrame(now, toNode);
    return CGPointApplyAffineTransform(ccpSub(updateReference_, now), toNode);
}

void CCParticleSystem::update(float dt) {
    const bool grouped = positionType_ == kCCPositionTypeGrouped;
    CGAffineTransform toNode = CGAffineTransformIdentity;
    CGPoint reference = CGPointZero;
    if (!grouped) referenceFrame(reference, toNode);
    updateReference_ = reference;

    if (active_ && emissionRate_ != 0) {
        // A negative rate would emit the whole capacity every frame: it emits nothing.
        if (emissionRate_ > 0) {
            const float rate = 1.0f / emissionRate_;
            if (particleCount_ < totalParticles_) emitCounter_ += dt;
            while (particleCount_ < totalParticles_ && emitCounter_ > rate) {
                addParticle(reference);
                emitCounter_ -= rate;
            }
        }
        // An emitter set to emit nothing holds its time: the duration runs
        // only while particles may come.
        elapsed_ += dt;
        if (duration_ != kCCParticleDurationInfinity && duration_ < elapsed_) stopSystem();
    }

    // A hidden emitter draws nothing and leaves its particles as they are
    // until it shows again; emission goes on meanwhile.
    if (!visible_) return;

    unsigned i = 0;
    while (i < particleCount_) {
        tCCParticle& p = particles_[i];
        p.timeToLive -= dt;
        if (p.timeToLive <= 0) {
            // Order is not kept: the last particle fills the slot and is
            // processed next in its place.
            --particleCount_;
            if (i != particleCount_) p = particles_[particleCount_];
            if (particleCount_ == 0 && autoRemoveOnFinish_ && parent_) {
                // The last one died: the effect is over. Our parent may hold
                // the last reference; we must outlive the removal.
                Ref<CCParticleSystem> keep(this);
                unscheduleUpdate();
                removeFromParentAndCleanup(true);
                return;
            }
            continue;
        }

        if (emitterMode_ == kCCParticleModeGravity) {
            CGPoint radial = CGPointZero;
            if (p.pos.x != 0 || p.pos.y != 0) radial = ccpMult(p.pos, 1 / ccpLength(p.pos));
            const CGPoint tangential = ccpMult(CGPoint{-radial.y, radial.x}, p.tangentialAccel);
            radial = ccpMult(radial, p.radialAccel);
            const CGPoint accel = ccpAdd(ccpAdd(radial, tangential), gravity_);
            p.dir = ccpAdd(p.dir, ccpMult(accel, dt));
            p.pos = ccpAdd(p.pos, ccpMult(p.dir, dt));
        } else {
            p.angle += p.angularSpeed * dt;
            p.radius += p.deltaRadius * dt;
            p.pos = {-std::cos(p.angle) * p.radius, -std::sin(p.angle) * p.radius};
        }

        p.color.r += p.deltaColor.r * dt;
        p.color.g += p.deltaColor.g * dt;
        p.color.b += p.deltaColor.b * dt;
        p.color.a += p.deltaColor.a * dt;
        p.size = std::max(0.0f, p.size + p.deltaSize * dt);
        p.rotation += p.deltaRotation * dt;

        CGPoint drawn = p.pos;
        if (!grouped) {
            const CGPoint moved = CGPointApplyAffineTransform(ccpSub(reference, p.startPos), toNode);
            drawn = ccpSub(p.pos, moved);
        }
        updateQuadWithParticle(i, p, drawn);
        ++i;
    }

}
