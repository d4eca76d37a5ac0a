// A grown-up's check before anything leaves the game: a shelf application,
// the banner's link, the two social pages. It asks for four numbers written
// in words ("seven, two, nine, four", in the player's language), to be tapped
// in order on ten number keys. A child who cannot read them gets past it by
// chance once in 10,000 openings at most: a wrong key or a tap beside the
// card closes it, and each opening asks new numbers.
//
// It lies over the running scene and takes every touch ahead of every other
// layer (the feedback form's included) while it is shown. A build without it
// (CMake NM_PARENTAL_GATE=OFF, for a publisher whose store gates elsewhere)
// passes every check at once.
#pragma once

#include <functional>
#include <vector>

#include "engine/CCLabelTTF.h"
#include "engine/CCLayer.h"
#include "engine/CCSprite.h"
#include "platform/Value.h"

class KVTParentalGate : public CCLayer {
public:
    static constexpr int kDigits = 4;
    static constexpr int kTouchPriority = -1001;  // ahead of the feedback form's -1000

    // Whether this build asks at all.
    static bool enabled();
    // Asks over the running scene; `passed` runs once the right numbers are
    // tapped, never when the check is closed. `gone` runs when the check goes
    // away either way (before `passed`). At once without the gate, and
    // nothing while a check is already shown.
    static void ask(std::function<void()> passed, std::function<void()> gone = {});
    // The check now shown, if any.
    static KVTParentalGate* shown();
    // A check with these texts (the content document's "ParentalGate"),
    // asking for `digits`; not yet shown.
    static Ref<KVTParentalGate> gateWithStrings(const platform::Value& strings, std::vector<int> digits,
                                                std::function<void()> passed);

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;
    void onExit() override;

    const std::vector<int>& digits() const { return digits_; }
    CCSprite* card = nullptr;
    std::vector<CCSprite*> keys;          // digit i on keys[i]
    std::vector<CCLabelTTF*> labels;      // the title, the request, the words, the tapped digits

private:
    void press(int digit);
    void close();

    std::vector<int> digits_;
    int typed_ = 0;
    CCLabelTTF* entered_ = nullptr;
    std::function<void()> passed_;
    std::function<void()> gone_;
};
