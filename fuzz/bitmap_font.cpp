// Fuzz entry for the bitmap-font reader: bytes read as a ".fnt" description
// and a text laid out in the font it describes, as a label does once its
// page pictures are loaded. Up to the first NUL byte is the description; the
// rest, if any, is the text (else a fixed one in Latin and Cyrillic).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Broken.h"
#include "engine/CCLabelBMFont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t nul = input.find('\0');
    std::string description = input.substr(0, nul);
    std::string text = nul == std::string::npos ? "Ab 12,\nПривет ёж!" : input.substr(nul + 1);

    Ref<CCBMFontConfiguration> config(new CCBMFontConfiguration);
    if (!config->parse(description, "fonts/")) return 0;
    if (config->pages.empty() || config->lineHeight <= 0) broken("a font without pages or line height was accepted");

    for (float scale : {1.0f, 2.0f}) {
        config->scale = scale;
        std::vector<CGSize> pages(config->pages.size(), CGSize{512, 256});
        std::vector<std::vector<ccV2F_C4B_T2F_Quad>> quads;
        CGSize box = config->layout(text, pages, ccColor4B{255, 255, 255, 255}, quads);
        if (quads.size() != pages.size()) broken("not one quad list a page");
        if (!std::isfinite(box.width) || !std::isfinite(box.height) || box.width < 0 || box.height < 0)
            broken("a label of no sane size");
        std::size_t count = 0;
        for (const auto& page : quads) count += page.size();
        if (count > text.size()) broken("more glyphs than characters");
    }
    return 0;
}
