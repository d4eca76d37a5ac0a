// CCLabelBMFont: a text drawn from a bitmap font, a ".fnt" description (the
// text format: info, common, page, char and kerning lines) and its page
// images. Glyphs are quads of the page textures, batched per page.
// Configurations are cached by file name until purgeCachedData.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/CCNode.h"
#include "engine/CCRenderer.h"
#include "engine/CCTexture2D.h"

class CCBMFontConfiguration : public CCObject {
public:
    struct Glyph {
        CGRect rect;  // pixels of its page, origin top-left
        int xOffset = 0, yOffset = 0, xAdvance = 0;
        int page = 0;
    };
    // Null (and a log line) when the file cannot be read or names no page.
    static Ref<CCBMFontConfiguration> configurationWithFNTFile(const std::string& fntFile);
    // Parses .fnt text; pages are named relative to `directory`.
    bool parse(const std::string& text, const std::string& directory);
    // Lays `text` out in this font, one quad list per page, for pages of
    // these sizes in pixels; returns the text's size in points.
    CGSize layout(const std::string& text, const std::vector<CGSize>& pagePixels, ccColor4B color,
                  std::vector<std::vector<ccV2F_C4B_T2F_Quad>>& quads) const;

    std::map<std::uint32_t, Glyph> glyphs;
    std::map<std::uint64_t, int> kerning;  // (first << 32 | second) -> amount
    int lineHeight = 0;
    int base = 0;
    std::vector<std::string> pages;
    float scale = 1;  // pixels per point of the file that was read
};

class CCLabelBMFont : public CCNode, public CCRGBAProtocol, public CCBlendProtocol {
public:
    static Ref<CCLabelBMFont> labelWithString(const std::string& text, const std::string& fntFile);
    bool initWithString(const std::string& text, const std::string& fntFile);

    const std::string& string() const { return string_; }
    void setString(const std::string& text);
    const std::string& fntFile() const { return fntFile_; }

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    ccBlendFunc blendFunc() const override { return blend_; }
    void setBlendFunc(ccBlendFunc blend) override { blend_ = blend; }

    void draw() override;
    // The page textures, for diagnostics.
    const std::vector<Ref<CCTexture2D>>& textures() const { return textures_; }

    static void purgeCachedData();

private:
    void layout();
    void updateColor();

    std::string string_;
    std::string fntFile_;
    Ref<CCBMFontConfiguration> config_;
    std::vector<Ref<CCTexture2D>> textures_;
    std::vector<std::vector<ccV2F_C4B_T2F_Quad>> quads_;  // per page
    ccColor3B color_ = ccWHITE;
    std::uint8_t opacity_ = 255;
    ccBlendFunc blend_ = kCCBlendFuncPremultiplied;
};
