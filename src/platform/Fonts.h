// Text drawn with the bundle's fonts: the one place that turns a font name
// and a string into pixels, for the engine's text labels and the platform's
// text controls alike.
//
// Fonts are named as the game names them ("P22UndergroundCYPro-Book",
// "Arial"); the bundle's font map "fonts.plist" says which shipped file draws
// each name, with a fall-back for names it does not know. Shaping and
// rasterising are SDL_ttf's (FreeType and HarfBuzz). Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Pixels of drawn text: white, premultiplied, each pixel's coverage in all
// four channels; rows top to bottom.
struct TextImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    bool empty() const { return width <= 0 || height <= 0; }
};

enum class TextAlign { Left, Center, Right };
enum class TextVerticalAlign { Top, Center, Bottom };

class Font {
public:
    // The font for a name at a size in pixels, shared while anyone holds it.
    // Null, with a log line, when no font can be found or opened.
    static std::shared_ptr<Font> open(const std::string& name, int pixelSize);
    // Forgets the open fonts and the font map; fonts still held stay usable.
    static void purgeCache();

    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    int pixelSize() const { return pixelSize_; }
    // Distance between baselines of consecutive lines, in pixels.
    int lineSkip() const;
    // Width of one line of UTF-8 text as drawn (shaped, kerned), in pixels.
    int width(const std::string& utf8) const;
    // Breaks text at its newlines, then each paragraph at spaces so no line
    // is wider than maxWidth pixels; a word wider than a line is cut between
    // characters. maxWidth <= 0: no wrapping.
    std::vector<std::string> wrap(const std::string& utf8, int maxWidth) const;
    // One line as drawn.
    TextImage render(const std::string& utf8Line) const;
    // Lines in a box of width x height pixels (0: the text's own extent),
    // each aligned inside it.
    TextImage renderBox(const std::vector<std::string>& lines, int width, int height, TextAlign align,
                        TextVerticalAlign verticalAlign) const;

private:
    struct Native;
    Font(std::unique_ptr<Native> native, int pixelSize);
    std::unique_ptr<Native> native_;
    int pixelSize_;
};

}  // namespace platform
