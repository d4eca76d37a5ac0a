#include "engine/CCLabelTTF.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "engine/CCDirector.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

namespace {

struct FontFace {
    std::string path;
    long index = 0;
};

// Open fonts by (file, face, pixel size), and the bundle's font map.
struct FontCache {
    std::map<std::tuple<std::string, long, int>, TTF_Font*> fonts;
    std::optional<platform::Value> map;
    bool ttfReady = false;

    void clear() {
        for (auto& [key, font] : fonts) TTF_CloseFont(font);
        fonts.clear();
        map.reset();
    }

    std::optional<FontFace> face(const std::string& name) {
        if (!map) {
            auto path = platform::Bundle::main().pathForResource("fonts.plist");
            auto read = path ? platform::readPropertyListFile(*path) : std::nullopt;
            map = read ? std::move(*read) : platform::Value();
        }
        const platform::Value& fonts = (*map)["fonts"];
        const platform::Value* entry = &fonts[name];
        if (entry->isNull()) entry = &fonts[(*map)["fallback"].asString()];
        if (entry->isDictionary()) {
            if (auto path = platform::Bundle::main().pathForResource((*entry)["file"].asString()))
                return FontFace{*path, static_cast<long>((*entry)["index"].asInt())};
        }
        // Without a map entry a font file named like the font will do.
        for (const char* ext : {".ttf", ".otf", ".ttc"})
            if (auto path = platform::Bundle::main().pathForResource(name + ext)) return FontFace{*path, 0};
        return std::nullopt;
    }

    TTF_Font* open(const std::string& name, int pixelSize) {
        if (!ttfReady) {
            if (TTF_Init() != 0) {
                platform::log("CCLabelTTF: cannot start the font renderer: %s", TTF_GetError());
                return nullptr;
            }
            ttfReady = true;
        }
        auto f = face(name);
        if (!f) {
            platform::log("CCLabelTTF: no font for %s", name.c_str());
            return nullptr;
        }
        auto key = std::make_tuple(f->path, f->index, pixelSize);
        if (auto it = fonts.find(key); it != fonts.end()) return it->second;
        TTF_Font* font = TTF_OpenFontIndex(f->path.c_str(), pixelSize, f->index);
        if (!font) {
            platform::log("CCLabelTTF: cannot open %s: %s", f->path.c_str(), TTF_GetError());
            return nullptr;
        }
        fonts[key] = font;
        return font;
    }
};

FontCache& fontCache() {
    static FontCache cache;
    return cache;
}

int textWidth(TTF_Font* font, const std::string& text) {
    int w = 0, h = 0;
    if (text.empty() || TTF_SizeUTF8(font, text.c_str(), &w, &h) != 0) return 0;
    return w;
}

// Byte length of the UTF-8 sequence that starts with c.
std::size_t utf8Length(unsigned char c) {
    return c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
}

// Breaks a paragraph into lines no wider than maxWidth pixels: at spaces,
// and inside words that alone are too wide.
void wrap(TTF_Font* font, const std::string& paragraph, int maxWidth, std::vector<std::string>& lines) {
    if (maxWidth <= 0 || textWidth(font, paragraph) <= maxWidth) {
        lines.push_back(paragraph);
        return;
    }
    std::string line;
    std::size_t i = 0;
    while (i < paragraph.size()) {
        std::size_t end = paragraph.find(' ', i);
        if (end == std::string::npos) end = paragraph.size();
        std::string word = paragraph.substr(i, end - i);
        i = end + 1;
        std::string candidate = line.empty() ? word : line + " " + word;
        if (textWidth(font, candidate) <= maxWidth) {
            line = std::move(candidate);
            continue;
        }
        if (!line.empty()) lines.push_back(std::move(line));
        line.clear();
        // A word wider than the line is cut between characters.
        while (textWidth(font, word) > maxWidth) {
            std::size_t cut = 0;
            while (cut < word.size()) {
                std::size_t next = cut + utf8Length(static_cast<unsigned char>(word[cut]));
                if (cut > 0 && textWidth(font, word.substr(0, next)) > maxWidth) break;
                cut = next;
            }
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = std::move(word);
    }
    lines.push_back(std::move(line));
}

}  // namespace

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

void CCLabelTTF::purgeCachedData() { fontCache().clear(); }

bool CCLabelTTF::updateTexture() {
    const float scale = CCDirector::sharedDirector()->contentScaleFactor();
    const int pixelSize = std::max(1, static_cast<int>(std::lround(fontSize_ * scale)));
    TTF_Font* font = fontCache().open(fontName_, pixelSize);
    if (!font) return false;

    std::vector<std::string> lines;
    const int wrapWidth = static_cast<int>(std::floor(dimensions_.width * scale));
    for (std::size_t start = 0;;) {
        std::size_t nl = string_.find('\n', start);
        wrap(font, string_.substr(start, nl == std::string::npos ? std::string::npos : nl - start), wrapWidth, lines);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    const int lineSkip = TTF_FontLineSkip(font);
    const int textHeight = lineSkip * static_cast<int>(lines.size());
    int textWidthPx = 0;
    for (const auto& line : lines) textWidthPx = std::max(textWidthPx, textWidth(font, line));

    // The box: the dimensions when given, else the text's own extent.
    CGSize size = dimensions_;
    int w = dimensions_.width > 0 ? static_cast<int>(std::ceil(dimensions_.width * scale)) : textWidthPx;
    int h = dimensions_.height > 0 ? static_cast<int>(std::ceil(dimensions_.height * scale)) : textHeight;
    if (dimensions_.width <= 0) size.width = w / scale;
    if (dimensions_.height <= 0) size.height = h / scale;
    if (w <= 0 || h <= 0) {
        texture_ = nullptr;
        setTextureRect(CGRectMake(0, 0, size.width, size.height));
        return true;
    }

    // White, premultiplied: each pixel is the glyph coverage in all four channels.
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4, 0);
    int top = vAlignment_ == kCCVerticalTextAlignmentTop      ? 0
              : vAlignment_ == kCCVerticalTextAlignmentBottom ? h - textHeight
                                                              : (h - textHeight) / 2;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const std::string& line = lines[li];
        const int y0 = top + static_cast<int>(li) * lineSkip;
        if (line.empty() || y0 >= h || y0 + lineSkip <= 0) continue;
        SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, line.c_str(), SDL_Color{255, 255, 255, 255});
        if (!rendered) continue;
        SDL_Surface* surface = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(rendered);
        if (!surface) continue;
        const int lw = surface->w;
        const int x0 = hAlignment_ == kCCTextAlignmentLeft    ? 0
                       : hAlignment_ == kCCTextAlignmentRight ? w - lw
                                                              : (w - lw) / 2;
        SDL_LockSurface(surface);
        for (int y = 0; y < surface->h; ++y) {
            const int ty = y0 + y;
            if (ty < 0 || ty >= h) continue;
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(surface->pixels) +
                                                                     static_cast<std::size_t>(y) * surface->pitch);
            for (int x = 0; x < lw; ++x) {
                const int tx = x0 + x;
                if (tx < 0 || tx >= w) continue;
                const auto a = static_cast<std::uint8_t>(row[x] >> 24);
                std::uint8_t* p = &rgba[(static_cast<std::size_t>(ty) * w + tx) * 4];
                p[0] = p[1] = p[2] = p[3] = std::max(p[3], a);
            }
        }
        SDL_UnlockSurface(surface);
        SDL_FreeSurface(surface);
    }

    Ref<CCTexture2D> texture(new CCTexture2D);
    if (!texture->initWithRGBA(rgba.data(), w, h, scale)) return false;
    texture_ = texture;
    blend_ = kCCBlendFuncPremultiplied;
    setTextureRect(CGRectMake(0, 0, size.width, size.height));
    updateColor();
    return true;
}
