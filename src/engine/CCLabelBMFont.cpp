#include "engine/CCLabelBMFont.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "engine/CCFileUtils.h"
#include "engine/CCTextureCache.h"
#include "platform/Log.h"

namespace {

std::map<std::string, Ref<CCBMFontConfiguration>, std::less<>>& configurations() {
    static std::map<std::string, Ref<CCBMFontConfiguration>, std::less<>> cache;
    return cache;
}

// key=value pairs of one .fnt line; values may be quoted.
std::map<std::string, std::string> fields(const std::string& line) {
    std::map<std::string, std::string> out;
    std::size_t i = line.find(' ');
    while (i != std::string::npos && i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        std::size_t eq = line.find('=', i);
        if (eq == std::string::npos) break;
        std::string key = line.substr(i, eq - i);
        std::size_t v = eq + 1;
        std::string value;
        if (v < line.size() && line[v] == '"') {
            std::size_t close = line.find('"', v + 1);
            if (close == std::string::npos) close = line.size();
            value = line.substr(v + 1, close - v - 1);
            i = close + 1;
        } else {
            std::size_t end = line.find(' ', v);
            value = line.substr(v, end == std::string::npos ? std::string::npos : end - v);
            i = end;
        }
        out[key] = value;
    }
    return out;
}

// A field's number; beyond int's range it is clamped to it.
int intField(const std::map<std::string, std::string>& f, const char* key) {
    auto it = f.find(key);
    if (it == f.end()) return 0;
    long long v = std::strtoll(it->second.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Sizes, places and advances in pixels: no page picture is larger than this,
// and text laid out from them stays far from int's limits.
constexpr int kMaxPixels = 1 << 16;
int pixelField(const std::map<std::string, std::string>& f, const char* key, bool& clamped) {
    const int v = intField(f, key);
    clamped = clamped || v < -kMaxPixels || v > kMaxPixels;
    return std::clamp(v, -kMaxPixels, kMaxPixels);
}

// Decodes one UTF-8 code point at s[i], advancing i; bad bytes read as U+FFFD.
std::uint32_t nextCodePoint(const std::string& s, std::size_t& i) {
    auto c = static_cast<unsigned char>(s[i++]);
    if (c < 0x80) return c;
    int extra = (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0) return 0xFFFD;
    std::uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) >> 6) != 2) return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return cp;
}

}  // namespace

// --- configuration ------------------------------------------------------------------

Ref<CCBMFontConfiguration> CCBMFontConfiguration::configurationWithFNTFile(const std::string& fntFile) {
    CCFileUtils* files = CCFileUtils::sharedFileUtils();
    ccResolutionType resolution = kCCResolutionUnknown;
    std::string path = files->fullPathFromRelativePath(fntFile, &resolution);
    auto bytes = path.empty() ? std::nullopt : files->contentsOfFile(path);
    if (!bytes) {
        platform::log("CCLabelBMFont: cannot read %s", fntFile.c_str());
        return nullptr;
    }
    Ref<CCBMFontConfiguration> config(new CCBMFontConfiguration);
    std::size_t slash = fntFile.find_last_of('/');
    if (!config->parse(std::string(bytes->begin(), bytes->end()),
                       slash == std::string::npos ? "" : fntFile.substr(0, slash + 1))) {
        platform::log("CCLabelBMFont: %s is not a bitmap font description", fntFile.c_str());
        return nullptr;
    }
    config->scale = ccResolutionScale(resolution);
    return config;
}

bool CCBMFontConfiguration::parse(const std::string& text, const std::string& directory) {
    std::istringstream in(text);
    std::string line;
    bool clamped = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string tag = line.substr(0, line.find(' '));
        if (tag == "common") {
            auto f = fields(line);
            lineHeight = pixelField(f, "lineHeight", clamped);
            base = pixelField(f, "base", clamped);
        } else if (tag == "page") {
            auto f = fields(line);
            int id = intField(f, "id");
            if (id < 0 || id > 255) continue;
            if (pages.size() <= static_cast<std::size_t>(id)) pages.resize(id + 1);
            pages[id] = directory + f["file"];
        } else if (tag == "char") {
            auto f = fields(line);
            Glyph g;
            g.rect = CGRectMake(static_cast<float>(pixelField(f, "x", clamped)), static_cast<float>(pixelField(f, "y", clamped)),
                                static_cast<float>(pixelField(f, "width", clamped)), static_cast<float>(pixelField(f, "height", clamped)));
            g.xOffset = pixelField(f, "xoffset", clamped);
            g.yOffset = pixelField(f, "yoffset", clamped);
            g.xAdvance = pixelField(f, "xadvance", clamped);
            g.page = intField(f, "page");
            glyphs[static_cast<std::uint32_t>(intField(f, "id"))] = g;
        } else if (tag == "kerning") {
            auto f = fields(line);
            auto first = static_cast<std::uint32_t>(intField(f, "first"));
            auto second = static_cast<std::uint32_t>(intField(f, "second"));
            kerning[(static_cast<std::uint64_t>(first) << 32) | second] = pixelField(f, "amount", clamped);
        }
    }
    if (clamped) platform::log("CCLabelBMFont: numbers beyond %d pixels in a font description are clamped", kMaxPixels);
    return !pages.empty() && lineHeight > 0;
}

CGSize CCBMFontConfiguration::layout(const std::string& text, const std::vector<CGSize>& pagePixels, ccColor4B color,
                                    std::vector<std::vector<ccV2F_C4B_T2F_Quad>>& quads) const {
    quads.assign(pagePixels.size(), {});
    const float toPoints = 1 / scale;
    // Wide enough for any text: each glyph moves the pen at most 2 x kMaxPixels.
    long long lines = 1;
    for (char ch : text) lines += ch == '\n';
    const long long heightPx = lines * lineHeight;
    long long x = 0, lineTop = 0, longest = 0;
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = nextCodePoint(text, i);
        if (cp == '\n') {
            longest = std::max(longest, x);
            x = 0;
            lineTop += lineHeight;
            previous = 0;
            continue;
        }
        auto it = glyphs.find(cp);
        if (it == glyphs.end()) continue;
        const Glyph& g = it->second;
        if (auto k = kerning.find((static_cast<std::uint64_t>(previous) << 32) | cp); k != kerning.end())
            x += k->second;
        previous = cp;
        if (g.rect.size.width > 0 && g.rect.size.height > 0 && g.page >= 0 &&
            static_cast<std::size_t>(g.page) < pagePixels.size()) {
            // Pixels, y down from the label's top -> points, y up from its bottom.
            const float left = static_cast<float>(x + g.xOffset) * toPoints;
            const float right = left + g.rect.size.width * toPoints;
            const float top = static_cast<float>(heightPx - lineTop - g.yOffset) * toPoints;
            const float bottom = top - g.rect.size.height * toPoints;
            const float W = pagePixels[g.page].width, H = pagePixels[g.page].height;
            const float u0 = g.rect.origin.x / W, u1 = (g.rect.origin.x + g.rect.size.width) / W;
            const float v0 = g.rect.origin.y / H, v1 = (g.rect.origin.y + g.rect.size.height) / H;
            ccV2F_C4B_T2F_Quad q;
            q.tl = {{left, top}, color, u0, v0};
            q.bl = {{left, bottom}, color, u0, v1};
            q.tr = {{right, top}, color, u1, v0};
            q.br = {{right, bottom}, color, u1, v1};
            quads[g.page].push_back(q);
        }
        x += g.xAdvance;
    }
    longest = std::max(longest, x);
    return {static_cast<float>(longest) * toPoints, text.empty() ? 0 : static_cast<float>(heightPx) * toPoints};
}

// --- label ------------------------------------------------------------------------------

void CCLabelBMFont::purgeCachedData() { configurations().clear(); }

Ref<CCLabelBMFont> CCLabelBMFont::labelWithString(const std::string& text, const std::string& fntFile) {
    Ref<CCLabelBMFont> label(new CCLabelBMFont);
    if (!label->initWithString(text, fntFile)) return nullptr;
    return label;
}

bool CCLabelBMFont::initWithString(const std::string& text, const std::string& fntFile) {
    auto& cache = configurations();
    Ref<CCBMFontConfiguration> config;
    if (auto it = cache.find(fntFile); it != cache.end())
        config = it->second;
    else if ((config = CCBMFontConfiguration::configurationWithFNTFile(fntFile)))
        cache[fntFile] = config;
    if (!config) return false;
    textures_.clear();
    for (const std::string& page : config->pages) {
        CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(page);
        if (!texture) {
            platform::log("CCLabelBMFont: no page image %s for %s", page.c_str(), fntFile.c_str());
            return false;
        }
        textures_.emplace_back(texture);
    }
    config_ = config;
    fntFile_ = fntFile;
    setAnchorPoint({0.5f, 0.5f});
    string_ = text;
    layout();
    return true;
}

void CCLabelBMFont::setString(const std::string& text) {
    if (text == string_) return;
    string_ = text;
    layout();
}

void CCLabelBMFont::layout() {
    std::vector<CGSize> pages;
    for (const auto& t : textures_) pages.push_back({static_cast<float>(t->pixelsWide()), static_cast<float>(t->pixelsHigh())});
    setContentSize(config_->layout(string_, pages, ccVertexColor(color_, opacity_, true), quads_));
}

void CCLabelBMFont::setColor(ccColor3B color) {
    color_ = color;
    updateColor();
}

void CCLabelBMFont::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    updateColor();
}

void CCLabelBMFont::updateColor() {
    const ccColor4B c = ccVertexColor(color_, opacity_, true);
    for (auto& page : quads_)
        for (auto& q : page) q.tl.colors = q.bl.colors = q.tr.colors = q.br.colors = c;
}

void CCLabelBMFont::draw() {
    CCRenderer& r = CCRenderer::shared();
    for (std::size_t p = 0; p < quads_.size(); ++p)
        if (!quads_[p].empty()) r.drawQuads(quads_[p].data(), quads_[p].size(), r.currentTransform(), textures_[p]->name(), blend_);
}
