#include "engine/CCLabelTTF.h"

#include <algorithm>
#include <cmath>

#include "engine/CCDirector.h"
#include "platform/Fonts.h"

Ref<CCLabelTTF> CCLabelTTF::labelWithString(const std::string& text, const std::string& fontName, float fontSize) {
    return labelWithString(text, CGSizeZero, kCCTextAlignmentCenter, kCCVerticalTextAlignmentTop, fontName, fontSize);
}

Ref<CCLabelTTF> CCLabelTTF::labelWithString(const std::string& text, CGSize dimensions, CCTextAlignment hAlignment,
                                            CCVerticalTextAlignment vAlignment, const std::string& fontName,
                                            float fontSize) {
    Ref<CCLabelTTF> label(new CCLabelTTF);
    if (!label->initWithString(text, dimensions, hAlignment, vAlignment, fontName, fontSize)) return nullptr;
    return label;
}

bool CCLabelTTF::initWithString(const std::string& text, CGSize dimensions, CCTextAlignment hAlignment,
                                CCVerticalTextAlignment vAlignment, const std::string& fontName, float fontSize) {
    CCSprite::init();
    string_ = text;
    fontName_ = fontName;
    fontSize_ = fontSize;
    dimensions_ = dimensions;
    hAlignment_ = hAlignment;
    vAlignment_ = vAlignment;
    return updateTexture();
}

void CCLabelTTF::setString(const std::string& text) {
    if (text == string_) return;
    string_ = text;
    updateTexture();
}

void CCLabelTTF::setFontName(const std::string& name) {
    fontName_ = name;
    updateTexture();
}

void CCLabelTTF::setFontSize(float size) {
    fontSize_ = size;
    updateTexture();
}

void CCLabelTTF::setDimensions(CGSize dimensions) {
    dimensions_ = dimensions;
    updateTexture();
}

void CCLabelTTF::setHorizontalAlignment(CCTextAlignment a) {
    hAlignment_ = a;
    updateTexture();
}

void CCLabelTTF::setVerticalAlignment(CCVerticalTextAlignment a) {
    vAlignment_ = a;
    updateTexture();
}

void CCLabelTTF::purgeCachedData() { platform::Font::purgeCache(); }

bool CCLabelTTF::updateTexture() {
    const float scale = CCDirector::sharedDirector()->contentScaleFactor();
    auto font = platform::Font::open(fontName_, static_cast<int>(std::lround(fontSize_ * scale)));
    if (!font) return false;

    const auto lines = font->wrap(string_, static_cast<int>(std::floor(dimensions_.width * scale)));
    int textWidth = 0;
    for (const auto& line : lines) textWidth = std::max(textWidth, font->width(line));
    const int textHeight = font->lineSkip() * static_cast<int>(lines.size());

    // The box: the dimensions when given, else the text's own extent.
    CGSize size = dimensions_;
    int w = dimensions_.width > 0 ? static_cast<int>(std::ceil(dimensions_.width * scale)) : textWidth;
    int h = dimensions_.height > 0 ? static_cast<int>(std::ceil(dimensions_.height * scale)) : textHeight;
    if (dimensions_.width <= 0) size.width = w / scale;
    if (dimensions_.height <= 0) size.height = h / scale;
    if (w <= 0 || h <= 0) {
        texture_ = nullptr;
        setTextureRect(CGRectMake(0, 0, size.width, size.height));
        return true;
    }

    const auto align = hAlignment_ == kCCTextAlignmentLeft    ? platform::TextAlign::Left
                       : hAlignment_ == kCCTextAlignmentRight ? platform::TextAlign::Right
                                                              : platform::TextAlign::Center;
    const auto vAlign = vAlignment_ == kCCVerticalTextAlignmentTop      ? platform::TextVerticalAlign::Top
                        : vAlignment_ == kCCVerticalTextAlignmentBottom ? platform::TextVerticalAlign::Bottom
                                                                        : platform::TextVerticalAlign::Center;
    const platform::TextImage image = font->renderBox(lines, w, h, align, vAlign);
    Ref<CCTexture2D> texture(new CCTexture2D);
    if (!texture->initWithRGBA(image.rgba.data(), w, h, scale)) return false;
    texture_ = texture;
    blend_ = kCCBlendFuncPremultiplied;
    setTextureRect(CGRectMake(0, 0, size.width, size.height));
    updateColor();
    return true;
}
