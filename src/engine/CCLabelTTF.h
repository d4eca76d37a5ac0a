// CCLabelTTF: a text drawn with a TrueType font into a texture, shown as a
// sprite. Fonts are named as the game names them ("P22UndergroundCYPro-Book");
// the bundle's font map "fonts.plist" says which shipped file draws each name
// (see content/fonts/fonts.plist). The text is white; setColor tints it.
#pragma once

#include <string>

#include "engine/CCSprite.h"

enum CCTextAlignment {
    kCCTextAlignmentLeft = 0,
    kCCTextAlignmentCenter = 1,
    kCCTextAlignmentRight = 2,
};

enum CCVerticalTextAlignment {
    kCCVerticalTextAlignmentTop = 0,
    kCCVerticalTextAlignmentCenter = 1,
    kCCVerticalTextAlignmentBottom = 2,
};

class CCLabelTTF : public CCSprite {
public:
    // The label sized to its text. Null (and a log line) when no font can be found.
    static Ref<CCLabelTTF> labelWithString(const std::string& text, const std::string& fontName, float fontSize);
    // The label sized to `dimensions` (points), the text wrapped to its width
    // and aligned inside; a zero height takes the text's height.
    static Ref<CCLabelTTF> labelWithString(const std::string& text, CGSize dimensions, CCTextAlignment hAlignment,
                                           CCVerticalTextAlignment vAlignment, const std::string& fontName,
                                           float fontSize);
    static Ref<CCLabelTTF> labelWithString(const std::string& text, CGSize dimensions, CCTextAlignment hAlignment,
                                           const std::string& fontName, float fontSize) {
        return labelWithString(text, dimensions, hAlignment, kCCVerticalTextAlignmentTop, fontName, fontSize);
    }
    bool initWithString(const std::string& text, CGSize dimensions, CCTextAlignment hAlignment,
                        CCVerticalTextAlignment vAlignment, const std::string& fontName, float fontSize);

    const std::string& string() const { return string_; }
    void setString(const std::string& text);
    const std::string& fontName() const { return fontName_; }
    void setFontName(const std::string& name);
    float fontSize() const { return fontSize_; }
    void setFontSize(float size);
    CGSize dimensions() const { return dimensions_; }
    void setDimensions(CGSize dimensions);
    CCTextAlignment horizontalAlignment() const { return hAlignment_; }
    void setHorizontalAlignment(CCTextAlignment a);
    CCVerticalTextAlignment verticalAlignment() const { return vAlignment_; }
    void setVerticalAlignment(CCVerticalTextAlignment a);

    // Closes the cached fonts and forgets the font map (memory warnings).
    static void purgeCachedData();

private:
    bool updateTexture();

    std::string string_;
    std::string fontName_;
    float fontSize_ = 0;
    CGSize dimensions_;
    CCTextAlignment hAlignment_ = kCCTextAlignmentCenter;
    CCVerticalTextAlignment vAlignment_ = kCCVerticalTextAlignmentTop;
};
