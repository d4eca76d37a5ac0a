// Decoded images: PNG and JPEG to 8-bit RGBA, rows top to bottom.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Image {
    int width = 0;
    int height = 0;
    bool premultiplied = false;
    std::vector<std::uint8_t> rgba;  // width * height * 4
};

// Images larger than this on either side are refused: a bad file or server
// answer must not make us allocate gigabytes.
inline constexpr int maxImageSide = 8192;

// Decodes PNG or JPEG bytes (told apart by their signature). Logs and
// returns nullopt on anything it cannot read.
std::optional<Image> decodeImage(const std::uint8_t* bytes, std::size_t size);
std::optional<Image> loadImageFile(const std::string& path);
void premultiplyAlpha(Image& image);

// Writes RGBA rows (top to bottom) as a PNG, atomically.
bool writePng(const std::string& path, int width, int height, const std::uint8_t* rgba);

}  // namespace platform
