// CCSprite: a textured quad. It shows a rectangle of a texture (the whole
// image by default, or a sprite frame), tinted by multiplying with its colour,
// faded by its opacity, mirrored by flipX/flipY and blended with its blend
// function. A sprite made with node() has no texture and draws nothing: it
// serves as a holder of children.
#pragma once

#include <string>

#include "engine/CCNode.h"
#include "engine/CCRenderer.h"
#include "engine/CCSpriteFrame.h"
#include "engine/CCTexture2D.h"

class CCSprite : public CCNode, public CCRGBAProtocol, public CCBlendProtocol {
public:
    static Ref<CCSprite> node();
    // Null (and a log line) when the image cannot be loaded.
    static Ref<CCSprite> spriteWithFile(const std::string& name);
    static Ref<CCSprite> spriteWithFile(const std::string& name, CGRect rect);
    static Ref<CCSprite> spriteWithTexture(CCTexture2D* texture);
    // rect in points; it may be larger than the texture (the edges stretch).
    static Ref<CCSprite> spriteWithTexture(CCTexture2D* texture, CGRect rect);
    static Ref<CCSprite> spriteWithSpriteFrame(CCSpriteFrame* frame);
    static Ref<CCSprite> spriteWithSpriteFrameName(const std::string& name);

    bool init() override;
    bool initWithTexture(CCTexture2D* texture, CGRect rect, bool rotated = false);
    bool initWithTexture(CCTexture2D* texture);
    bool initWithFile(const std::string& name);
    bool initWithFile(const std::string& name, CGRect rect);
    bool initWithSpriteFrame(CCSpriteFrame* frame);

    CCTexture2D* texture() const { return texture_.get(); }
    // Keeps the texture rectangle (a sprite without one takes the whole image).
    virtual void setTexture(CCTexture2D* texture);
    CGRect textureRect() const { return rect_; }
    void setTextureRect(CGRect rect);
    void setTextureRect(CGRect rect, bool rotated, CGSize untrimmedSize);
    bool isTextureRectRotated() const { return rectRotated_; }
    // Bottom-left of the drawn quad inside the content size (trimmed frames).
    CGPoint offsetPosition() const { return offsetPosition_; }

    virtual void setDisplayFrame(CCSpriteFrame* frame);
    Ref<CCSpriteFrame> displayFrame() const;
    bool isFrameDisplayed(CCSpriteFrame* frame) const;
    // The cache name of the frame shown, "" when none (diagnostics).
    const std::string& displayFrameName() const { return frameName_; }

    bool flipX() const { return flipX_; }
    void setFlipX(bool flip);
    bool flipY() const { return flipY_; }
    void setFlipY(bool flip);

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    ccBlendFunc blendFunc() const override { return blend_; }
    void setBlendFunc(ccBlendFunc blend) override { blend_ = blend; }

    void draw() override;
    // The quad in node space, as drawn.
    const ccV2F_C4B_T2F_Quad& quad() const { return quad_; }

protected:
    void setTextureCoords(CGRect rect);
    void setVertexRect(CGRect rect);
    void updateColor();

    Ref<CCTexture2D> texture_;
    CGRect rect_;
    bool rectRotated_ = false;
    CGPoint offsetPosition_;
    CGPoint unflippedOffsetPositionFromCenter_;
    bool flipX_ = false;
    bool flipY_ = false;
    ccColor3B color_ = ccWHITE;
    std::uint8_t opacity_ = 255;
    ccBlendFunc blend_ = kCCBlendFuncPremultiplied;
    ccV2F_C4B_T2F_Quad quad_;
    std::string frameName_;
};
