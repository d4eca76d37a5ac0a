// CCParticleSystemQuad: a particle system drawn as textured quads, one per
// live particle, all in a single batch.
//
// Each particle is a square of its size centred on its drawn position,
// turned clockwise by its rotation, showing the whole texture tinted with
// its colour. The quads are rebuilt in place at every update and handed to
// the renderer as one run, so they share one draw call (and join the run of
// whatever was queued before with the same texture and blend function).
#pragma once

#include <vector>

#include "engine/CCParticleSystem.h"
#include "engine/CCRenderer.h"

class CCParticleSystemQuad : public CCParticleSystem {
public:
    // Room for `count` particles; see CCParticleSystem::initWithTotalParticles.
    static Ref<CCParticleSystemQuad> particleWithTotalParticles(unsigned count);
    bool initWithTotalParticles(unsigned count) override;

    void draw() override;
    // The quads of the live particles, in node space, as last updated.
    const ccV2F_C4B_T2F_Quad* quads() const { return quads_.data(); }

protected:
    void updateQuadWithParticle(unsigned index, const tCCParticle& particle, CGPoint drawnPosition) override;

private:
    std::vector<ccV2F_C4B_T2F_Quad> quads_;
};
