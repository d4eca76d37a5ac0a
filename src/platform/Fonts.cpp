#include "platform/Fonts.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/Utf8.h"

namespace platform {

struct Font::Native {
    TTF_Font* font = nullptr;
};

namespace {

struct FontFace {
    std::string path;
    long index = 0;
};

// Open fonts by (file, face, pixel size), and the bundle's font map.
struct FontCache {
    std::map<std::tuple<std::string, long, int>, std::shared_ptr<Font>> fonts;
    std::optional<Value> map;
    bool ttfReady = false;

    std::optional<FontFace> face(const std::string& name) {
        if (!map) {
            auto path = Bundle::main().pathForResource("fonts.plist");
            auto read = path ? readPropertyListFile(*path) : std::nullopt;
            map = read ? std::move(*read) : Value();
        }
        const Value& entries = (*map)["fonts"];
        const Value* entry = &entries[name];
        if (entry->isNull()) entry = &entries[(*map)["fallback"].asString()];
        if (entry->isDictionary()) {
            if (auto path = Bundle::main().pathForResource((*entry)["file"].asString()))
                return FontFace{*path, static_cast<long>((*entry)["index"].asInt())};
        }
        // Without a map entry a font file named like the font will do.
        for (const char* ext : {".ttf", ".otf", ".ttc"})
            if (auto path = Bundle::main().pathForResource(name + ext)) return FontFace{*path, 0};
        return std::nullopt;
    }
};

FontCache& fontCache() {
    static FontCache cache;
    return cache;
}

}  // namespace

Font::Font(std::unique_ptr<Native> native, int pixelSize) : native_(std::move(native)), pixelSize_(pixelSize) {}

Font::~Font() {
    if (native_->font && TTF_WasInit()) TTF_CloseFont(native_->font);
}

std::shared_ptr<Font> Font::open(const std::string& name, int pixelSize) {
    FontCache& cache = fontCache();
    if (!cache.ttfReady) {
        if (TTF_Init() != 0) {
            log("fonts: cannot start the font renderer: %s", TTF_GetError());
            return nullptr;
        }
        cache.ttfReady = true;
    }
    auto f = cache.face(name);
    if (!f) {
        log("fonts: no font for %s", name.c_str());
        return nullptr;
    }
    pixelSize = std::max(1, pixelSize);
    auto key = std::make_tuple(f->path, f->index, pixelSize);
    if (auto it = cache.fonts.find(key); it != cache.fonts.end()) return it->second;
    TTF_Font* font = TTF_OpenFontIndex(f->path.c_str(), pixelSize, f->index);
    if (!font) {
        log("fonts: cannot open %s: %s", f->path.c_str(), TTF_GetError());
        return nullptr;
    }
    auto native = std::make_unique<Native>();
    native->font = font;
    std::shared_ptr<Font> opened(new Font(std::move(native), pixelSize));
    cache.fonts[key] = opened;
    return opened;
}

void Font::purgeCache() {
    fontCache().fonts.clear();
    fontCache().map.reset();
}

int Font::lineSkip() const { return TTF_FontLineSkip(native_->font); }

int Font::width(const std::string& text) const {
    int w = 0, h = 0;
    if (text.empty() || TTF_SizeUTF8(native_->font, text.c_str(), &w, &h) != 0) return 0;
    return w;
}

std::vector<std::string> Font::wrap(const std::string& text, int maxWidth) const {
    std::vector<std::string> lines;
    auto wrapParagraph = [&](const std::string& paragraph) {
        if (maxWidth <= 0 || width(paragraph) <= maxWidth) {
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
            if (width(candidate) <= maxWidth) {
                line = std::move(candidate);
                continue;
            }
            if (!line.empty()) lines.push_back(std::move(line));
            line.clear();
            // A word wider than the line is cut between characters.
            while (width(word) > maxWidth) {
                std::size_t cut = 0;
                while (cut < word.size()) {
                    std::size_t next = cut + utf8SequenceLength(static_cast<unsigned char>(word[cut]));
                    if (cut > 0 && width(word.substr(0, next)) > maxWidth) break;
                    cut = next;
                }
                lines.push_back(word.substr(0, cut));
                word.erase(0, cut);
            }
            line = std::move(word);
        }
        lines.push_back(std::move(line));
    };
    for (std::size_t start = 0;;) {
        std::size_t nl = text.find('\n', start);
        wrapParagraph(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

TextImage Font::render(const std::string& line) const {
    return renderBox({line}, 0, 0, TextAlign::Left, TextVerticalAlign::Top);
}

TextImage Font::renderBox(const std::vector<std::string>& lines, int w, int h, TextAlign align,
                          TextVerticalAlign verticalAlign) const {
    const int skip = lineSkip();
    const int textHeight = skip * static_cast<int>(lines.size());
    if (w <= 0)
        for (const auto& line : lines) w = std::max(w, width(line));
    if (h <= 0) h = textHeight;
    TextImage image;
    if (w <= 0 || h <= 0) return image;
    image.width = w;
    image.height = h;
    image.rgba.assign(static_cast<std::size_t>(w) * h * 4, 0);
    const int top = verticalAlign == TextVerticalAlign::Top      ? 0
                    : verticalAlign == TextVerticalAlign::Bottom ? h - textHeight
                                                                 : (h - textHeight) / 2;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const std::string& line = lines[li];
        const int y0 = top + static_cast<int>(li) * skip;
        if (line.empty() || y0 >= h || y0 + skip <= 0) continue;
        SDL_Surface* rendered = TTF_RenderUTF8_Blended(native_->font, line.c_str(), SDL_Color{255, 255, 255, 255});
        if (!rendered) continue;
        SDL_Surface* surface = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(rendered);
        if (!surface) continue;
        const int lw = surface->w;
        const int x0 = align == TextAlign::Left ? 0 : align == TextAlign::Right ? w - lw : (w - lw) / 2;
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
                std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(ty) * w + tx) * 4];
                p[0] = p[1] = p[2] = p[3] = std::max(p[3], a);
            }
        }
        SDL_UnlockSurface(surface);
        SDL_FreeSurface(surface);
    }
    return image;
}

}  // namespace platform
