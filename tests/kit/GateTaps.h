// The parental gate as the kit's tests meet it: a grown-up who taps the
// numbers it asks for, and taps anywhere, as a child's.
#pragma once

#include <vector>

#include "engine/CCDirector.h"
#include "kit/KVTParentalGate.h"
#include "platform/Application.h"
#include "support/EngineHarness.h"

namespace gatetaps {

// A tap at p (engine points), then a frame.
inline void tap(testsupport::EngineHarness& harness, CGPoint p) {
    const float height = CCDirector::sharedDirector()->winSize().height;
    platform::Application::shared().injectTouch(0, platform::TouchPhase::Began, {p.x, height - p.y});
    platform::Application::shared().injectTouch(0, platform::TouchPhase::Ended, {p.x, height - p.y});
    harness.step();
}

inline CGPoint keyAt(const KVTParentalGate& gate, int digit) {
    CCSprite* key = gate.keys[static_cast<std::size_t>(digit)];
    return key->parent()->convertToWorldSpace(key->position());
}

// Taps the numbers the gate now shown asks for; true when that passed it
// (or the build has no gate), false when no gate was shown.
inline bool answer(testsupport::EngineHarness& harness) {
    if (!KVTParentalGate::enabled()) return true;
    KVTParentalGate* gate = KVTParentalGate::shown();
    if (!gate) return false;
    std::vector<CGPoint> taps;
    for (int digit : gate->digits()) taps.push_back(keyAt(*gate, digit));
    for (CGPoint p : taps) tap(harness, p);
    return !KVTParentalGate::shown();
}

}  // namespace gatetaps
