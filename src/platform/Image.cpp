#include "platform/Image.h"

#include <png.h>
#include <cstdio>
#include <jpeglib.h>
#include <csetjmp>
#include <cstring>
#include <memory>

#include "platform/Files.h"
#include "platform/Log.h"

namespace platform {
namespace {

bool sideOk(long w, long h) { return w > 0 && h > 0 && w <= maxImageSide && h <= maxImageSide; }

std::optional<Image> decodePng(const std::uint8_t* bytes, std::size_t size) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes, size)) {
        log("cannot decode PNG: %s", png.message);
        return std::nullopt;
    }
    if (!sideOk(png.width, png.height)) {
        log("refusing a %ux%u PNG", png.width, png.height);
        png_image_free(&png);
        return std::nullopt;
    }
    png.format = PNG_FORMAT_RGBA;
    Image image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
        log("cannot decode PNG: %s", png.message);
        png_image_free(&png);
        return std::nullopt;
    }
    return image;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

std::optional<Image> decodeJpeg(const std::uint8_t* bytes, std::size_t size) {
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = jpegFail;
    // On the heap: the pointer is not changed after setjmp, so it stays valid after a longjmp.
    auto out = std::make_unique<Image>();
    Image& image = *out;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        log("cannot decode JPEG");
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!sideOk(info.image_width, info.image_height)) {
        log("refusing a %ux%u JPEG", info.image_width, info.image_height);
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.rgba.data() + static_cast<std::size_t>(info.output_scanline) * image.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    image.premultiplied = true;  // opaque: premultiplying changes nothing
    return std::move(image);
}

}  // namespace

std::optional<Image> decodeImage(const std::uint8_t* bytes, std::size_t size) {
    static const std::uint8_t pngSig[] = {0x89, 'P', 'N', 'G'};
    if (bytes && size >= 8 && std::memcmp(bytes, pngSig, 4) == 0) return decodePng(bytes, size);
    if (bytes && size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return decodeJpeg(bytes, size);
    log("cannot decode image: neither PNG nor JPEG");
    return std::nullopt;
}

std::optional<Image> loadImageFile(const std::string& path) {
    auto bytes = readFile(path);
    if (!bytes) {
        log("cannot read image %s", path.c_str());
        return std::nullopt;
    }
    auto image = decodeImage(bytes->data(), bytes->size());
    if (!image) log("cannot decode image %s", path.c_str());
    return image;
}

void premultiplyAlpha(Image& image) {
    if (image.premultiplied) return;
    std::uint8_t* p = image.rgba.data();
    for (std::size_t i = 0, n = image.rgba.size(); i < n; i += 4) {
        unsigned a = p[i + 3];
        p[i] = static_cast<std::uint8_t>((p[i] * a + 127) / 255);
        p[i + 1] = static_cast<std::uint8_t>((p[i + 1] * a + 127) / 255);
        p[i + 2] = static_cast<std::uint8_t>((p[i + 2] * a + 127) / 255);
    }
    image.premultiplied = true;
}

bool writePng(const std::string& path, int width, int height, const std::uint8_t* rgba) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, rgba, 0, nullptr)) {
        log("cannot encode PNG %s: %s", path.c_str(), png.message);
        return false;
    }
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgba, 0, nullptr)) {
        log("cannot encode PNG %s: %s", path.c_str(), png.message);
        return false;
    }
    return writeFileAtomically(path, out.data(), size);
}

}  // namespace platform
