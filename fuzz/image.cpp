// Fuzz entry for image decoding: bytes decoded as PNG or JPEG, as pictures
// from the bundle, the banner's cache and the publisher's service are. A
// decoded picture must be within the size limit and hold all its pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Broken.h"
#include "platform/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto image = platform::decodeImage(data, size);
    if (!image) return 0;
    if (image->width <= 0 || image->height <= 0 || image->width > platform::maxImageSide ||
        image->height > platform::maxImageSide)
        broken("a picture beyond the size limit");
    if (image->rgba.size() != static_cast<std::size_t>(image->width) * image->height * 4)
        broken("a picture without all its pixels");
    platform::premultiplyAlpha(*image);
    return 0;
}
