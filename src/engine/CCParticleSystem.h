// CCParticleSystem: an emitter that creates, moves, colours and retires
// particles each frame. It simulates only; CCParticleSystemQuad draws.
//
// Particles live in one array allocated at creation (the capacity); a
// retired particle's slot is filled by the last live one, so nothing is
// allocated while the system runs. Emitter values come from scene files or
// code through the setters below; every "var" is a symmetric variance:
// v ± var is v + var × R with R uniform in [-1, 1) from the process-wide
// random source (platform::rand() / 2^30 - 1), so seeded runs repeat.
//
// Geometry is in the emitter's node space: particles are born at
// sourcePosition ± posVar around the node's origin. The position type says
// what a moving emitter does to live particles: grouped ones move with it,
// relative ones stay put in the parent's space, free ones stay put in the
// world.
//
// Main thread only.
#pragma once

#include <vector>

#include "engine/CCNode.h"
#include "engine/CCTexture2D.h"

inline constexpr int kCCParticleModeGravity = 0;
inline constexpr int kCCParticleModeRadius = 1;

inline constexpr int kCCPositionTypeFree = 0;
inline constexpr int kCCPositionTypeRelative = 1;
inline constexpr int kCCPositionTypeGrouped = 2;

// duration: emit until stopSystem.
inline constexpr float kCCParticleDurationInfinity = -1;
// endSize: keep the start size for the particle's whole life.
inline constexpr float kCCParticleStartSizeEqualToEndSize = -1;
// endRadius: keep the start radius for the particle's whole life.
inline constexpr float kCCParticleStartRadiusEqualToEndRadius = -1;

// One particle. Rates are per second; angles of the radius mode in radians.
struct tCCParticle {
    CGPoint pos;       // node space (grouped), before the position type's correction
    CGPoint startPos;  // the emitter's reference point at birth (free, relative)
    ccColor4F color;
    ccColor4F deltaColor;
    float size = 0;
    float deltaSize = 0;
    float rotation = 0;  // degrees, clockwise
    float deltaRotation = 0;
    float timeToLive = 0;
    // Gravity mode.
    CGPoint dir;
    float radialAccel = 0;
    float tangentialAccel = 0;
    // Radius mode.
    float angle = 0;
    float angularSpeed = 0;
    float radius = 0;
    float deltaRadius = 0;
};

class CCParticleSystem : public CCNode, public CCBlendProtocol {
public:
    // Room for `count` particles, allocated here once. The system starts
    // active, in gravity mode, free, with the premultiplied blend function,
    // without end (duration -1), emission rate 0 and white particles.
    virtual bool initWithTotalParticles(unsigned count);

    // --- running -------------------------------------------------------------
    // Emits again from the start; live particles retire at the next update.
    void resetSystem();
    // Stops emitting; live particles run out their lives.
    void stopSystem();
    bool isActive() const { return active_; }
    // The system removes itself from its parent when its last live particle
    // dies, stopped or not.
    bool isAutoRemoveOnFinish() const { return autoRemoveOnFinish_; }
    bool autoRemoveOnFinish() const { return autoRemoveOnFinish_; }
    void setAutoRemoveOnFinish(bool remove) { autoRemoveOnFinish_ = remove; }
    // One step of dt seconds: emission (and the duration, at a rate other
    // than 0), then every live particle unless the system is hidden. Called
    // by the scheduler after the default-priority updates of the frame.
    void update(float dt) override;

    unsigned particleCount() const { return particleCount_; }
    // The live particles, in storage order.
    const tCCParticle* particles() const { return particles_.data(); }
    // Room given at creation; totalParticles never exceeds it.
    unsigned capacity() const { return static_cast<unsigned>(particles_.size()); }
    float elapsed() const { return elapsed_; }

    // --- emitter -------------------------------------------------------------
    unsigned totalParticles() const { return totalParticles_; }
    void setTotalParticles(unsigned count);
    float emissionRate() const { return emissionRate_; }
    void setEmissionRate(float rate) { emissionRate_ = rate; }
    float duration() const { return duration_; }
    void setDuration(float seconds) { duration_ = seconds; }
    int emitterMode() const { return emitterMode_; }
    // kCCParticleModeGravity or kCCParticleModeRadius; others are refused.
    void setEmitterMode(int mode);
    int positionType() const { return positionType_; }
    // kCCPositionTypeFree, Relative or Grouped; others are refused.
    void setPositionType(int type);

    CGPoint sourcePosition() const { return sourcePosition_; }
    void setSourcePosition(CGPoint p) { sourcePosition_ = p; }
    CGPoint posVar() const { return posVar_; }
    void setPosVar(CGPoint v) { posVar_ = v; }
    float life() const { return life_; }
    void setLife(float v) { life_ = v; }
    float lifeVar() const { return lifeVar_; }
    void setLifeVar(float v) { lifeVar_ = v; }
    float angle() const { return angle_; }
    void setAngle(float degrees) { angle_ = degrees; }
    float angleVar() const { return angleVar_; }
    void setAngleVar(float degrees) { angleVar_ = degrees; }

    float startSize() const { return startSize_; }
    void setStartSize(float v) { startSize_ = v; }
    float startSizeVar() const { return startSizeVar_; }
    void setStartSizeVar(float v) { startSizeVar_ = v; }
    float endSize() const { return endSize_; }
    void setEndSize(float v) { endSize_ = v; }
    float endSizeVar() const { return endSizeVar_; }
    void setEndSizeVar(float v) { endSizeVar_ = v; }
    float startSpin() const { return startSpin_; }
    void setStartSpin(float v) { startSpin_ = v; }
    float startSpinVar() const { return startSpinVar_; }
    void setStartSpinVar(float v) { startSpinVar_ = v; }
    float endSpin() const { return endSpin_; }
    void setEndSpin(float v) { endSpin_ = v; }
    float endSpinVar() const { return endSpinVar_; }
    void setEndSpinVar(float v) { endSpinVar_ = v; }

    ccColor4F startColor() const { return startColor_; }
    void setStartColor(ccColor4F c) { startColor_ = c; }
    ccColor4F startColorVar() const { return startColorVar_; }
    void setStartColorVar(ccColor4F c) { startColorVar_ = c; }
    ccColor4F endColor() const { return endColor_; }
    void setEndColor(ccColor4F c) { endColor_ = c; }
    ccColor4F endColorVar() const { return endColorVar_; }
    void setEndColorVar(ccColor4F c) { endColorVar_ = c; }

    // Gravity mode.
    CGPoint gravity() const { return gravity_; }
    void setGravity(CGPoint g) { gravity_ = g; }
    float speed() const { return speed_; }
    void setSpeed(float v) { speed_ = v; }
    float speedVar() const { return speedVar_; }
    void setSpeedVar(float v) { speedVar_ = v; }
    float tangentialAccel() const { return tangentialAccel_; }
    void setTangentialAccel(float v) { tangentialAccel_ = v; }
    float tangentialAccelVar() const { return tangentialAccelVar_; }
    void setTangentialAccelVar(float v) { tangentialAccelVar_ = v; }
    float radialAccel() const { return radialAccel_; }
    void setRadialAccel(float v) { radialAccel_ = v; }
    float radialAccelVar() const { return radialAccelVar_; }
    void setRadialAccelVar(float v) { radialAccelVar_ = v; }

    // Radius mode.
    float startRadius() const { return startRadius_; }
    void setStartRadius(float v) { startRadius_ = v; }
    float startRadiusVar() const { return startRadiusVar_; }
    void setStartRadiusVar(float v) { startRadiusVar_ = v; }
    float endRadius() const { return endRadius_; }
    void setEndRadius(float v) { endRadius_ = v; }
    float endRadiusVar() const { return endRadiusVar_; }
    void setEndRadiusVar(float v) { endRadiusVar_ = v; }
    float rotatePerSecond() const { return rotatePerSecond_; }
    void setRotatePerSecond(float degrees) { rotatePerSecond_ = degrees; }
    float rotatePerSecondVar() const { return rotatePerSecondVar_; }
    void setRotatePerSecondVar(float degrees) { rotatePerSecondVar_ = degrees; }

    // --- look ----------------------------------------------------------------
    CCTexture2D* texture() const { return texture_.get(); }
    // Null is allowed: the system then simulates but draws nothing. While the
    // blend function is one of the two defaults, the texture's alpha decides
    // it: premultiplied textures keep (one, one minus source alpha), others
    // get (source alpha, one minus source alpha).
    virtual void setTexture(CCTexture2D* texture);
    ccBlendFunc blendFunc() const override { return blend_; }
    void setBlendFunc(ccBlendFunc blend) override { blend_ = blend; }
    // Whether colours are multiplied by their alpha when drawn (premultiplied texture).
    bool opacityModifyRGB() const { return opacityModifyRGB_; }

protected:
    CCParticleSystem() = default;

    // Called for every live particle after it moved, with its index and the
    // node-space position it is drawn at.
    virtual void updateQuadWithParticle(unsigned index, const tCCParticle& particle, CGPoint drawnPosition) {}

    void addParticle(CGPoint reference);
    // reference: the point whose later movement free and relative particles
    // undo, the node's origin in world (free) or parent (relative) points.
    void initParticle(tCCParticle& particle, CGPoint reference);
    // The reference point now, and the map of its movements into node space.
    void referenceFrame(CGPoint& reference, CGAffineTransform& toNode) const;
    // The node-space shift that keeps free and relative particles, placed at
    // the last update, where they belong after the emitter moved since then
    // (actions run after the updates of a frame).
    CGPoint movementSinceUpdate() const;

    std::vector<tCCParticle> particles_;
    unsigned particleCount_ = 0;
    unsigned totalParticles_ = 0;
    bool active_ = true;
    bool autoRemoveOnFinish_ = false;
    float elapsed_ = 0;
    float emitCounter_ = 0;
    CGPoint updateReference_;

    float emissionRate_ = 0;
    float duration_ = kCCParticleDurationInfinity;
    int emitterMode_ = kCCParticleModeGravity;
    int positionType_ = kCCPositionTypeFree;
    CGPoint sourcePosition_;
    CGPoint posVar_;
    float life_ = 0, lifeVar_ = 0;
    float angle_ = 0, angleVar_ = 0;
    float startSize_ = 0, startSizeVar_ = 0, endSize_ = 0, endSizeVar_ = 0;
    float startSpin_ = 0, startSpinVar_ = 0, endSpin_ = 0, endSpinVar_ = 0;
    ccColor4F startColor_{1, 1, 1, 1}, startColorVar_;
    ccColor4F endColor_{1, 1, 1, 1}, endColorVar_;
    CGPoint gravity_;
    float speed_ = 0, speedVar_ = 0;
    float tangentialAccel_ = 0, tangentialAccelVar_ = 0;
    float radialAccel_ = 0, radialAccelVar_ = 0;
    float startRadius_ = 0, startRadiusVar_ = 0, endRadius_ = 0, endRadiusVar_ = 0;
    float rotatePerSecond_ = 0, rotatePerSecondVar_ = 0;

    Ref<CCTexture2D> texture_;
    ccBlendFunc blend_ = kCCBlendFuncPremultiplied;
    bool opacityModifyRGB_ = true;
};
