// Layers: full-window nodes positioned by their bottom-left corner.
// CCLayerColor fills its content size with a colour; CCLayerGradient with a
// gradient from startColor (top) to endColor (bottom) by default.
#pragma once

#include "engine/CCNode.h"
#include "engine/CCRenderer.h"
#include "engine/CCTouchDispatcher.h"

// A layer with touches enabled is registered with the director's touch
// dispatcher while it runs: it registers on entry (or when touches are
// enabled while it runs) through registerWithTouchDispatcher, and is removed
// on exit (or when they are disabled). The default registration is a
// standard delegate at priority 0; scenes override it to register as
// targeted delegates.
class CCLayer : public CCNode, public CCTargetedTouchDelegate, public CCStandardTouchDelegate {
public:
    static Ref<CCLayer> node();
    bool init() override;

    bool isTouchEnabled() const { return isTouchEnabled_; }
    virtual void setIsTouchEnabled(bool enabled);
    bool isAccelerometerEnabled() const { return isAccelerometerEnabled_; }
    virtual void setIsAccelerometerEnabled(bool enabled) { isAccelerometerEnabled_ = enabled; }
    virtual void registerWithTouchDispatcher();

    void onEnter() override;
    void onExit() override;

protected:
    bool isTouchEnabled_ = false;
    bool isAccelerometerEnabled_ = false;
};

class CCLayerColor : public CCLayer, public CCRGBAProtocol, public CCBlendProtocol {
public:
    static Ref<CCLayerColor> layerWithColor(ccColor4B color);
    static Ref<CCLayerColor> layerWithColor(ccColor4B color, float width, float height);
    static Ref<CCLayerColor> node() { return layerWithColor({0, 0, 0, 0}); }
    bool initWithColor(ccColor4B color, float width, float height);
    bool initWithColor(ccColor4B color);

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    ccBlendFunc blendFunc() const override { return blend_; }
    void setBlendFunc(ccBlendFunc blend) override;
    void setContentSize(CGSize size) override;
    void changeWidth(float w) { setContentSize({w, contentSize_.height}); }
    void changeHeight(float h) { setContentSize({contentSize_.width, h}); }

    void draw() override;

protected:
    virtual void updateColor();

    ccColor3B color_;
    std::uint8_t opacity_ = 255;
    ccBlendFunc blend_ = kCCBlendFuncPremultiplied;
    ccV2F_C4B_T2F_Quad quad_;
};

class CCLayerGradient : public CCLayerColor {
public:
    static Ref<CCLayerGradient> layerWithColor(ccColor4B start, ccColor4B end);
    // v: the direction from start to end colour; (0, -1), top to bottom, by default.
    static Ref<CCLayerGradient> layerWithColor(ccColor4B start, ccColor4B end, CGPoint v);
    bool initWithColor(ccColor4B start, ccColor4B end, CGPoint v);

    ccColor3B startColor() const { return color_; }
    void setStartColor(ccColor3B c) { setColor(c); }
    ccColor3B endColor() const { return endColor_; }
    void setEndColor(ccColor3B c);
    std::uint8_t startOpacity() const { return startOpacity_; }
    void setStartOpacity(std::uint8_t o);
    std::uint8_t endOpacity() const { return endOpacity_; }
    void setEndOpacity(std::uint8_t o);
    CGPoint vector() const { return vector_; }
    void setVector(CGPoint v);
    // When set (the default), a diagonal vector still reaches the pure
    // colours at the corners.
    bool isCompressedInterpolation() const { return compressedInterpolation_; }
    void setCompressedInterpolation(bool c);

protected:
    void updateColor() override;

    ccColor3B endColor_;
    std::uint8_t startOpacity_ = 255;
    std::uint8_t endOpacity_ = 255;
    CGPoint vector_{0, -1};
    bool compressedInterpolation_ = true;
};
