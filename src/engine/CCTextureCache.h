// The texture cache: every image texture loaded by name, loaded once and
// shared by all the sprites that show it. Textures stay until purged.
#pragma once

#include <map>
#include <string>

#include "engine/CCTexture2D.h"

namespace platform {
struct Image;
}

class CCTextureCache {
public:
    static CCTextureCache* sharedTextureCache();

    // The texture of a resource image (its device variant), loading it on
    // first use; null (and a log line) when it cannot be read.
    CCTexture2D* addImage(const std::string& name);
    // A texture from an image decoded elsewhere (downloads), under a key of
    // the caller's choosing; the cached one when the key is known.
    CCTexture2D* addImage(const platform::Image& image, const std::string& key);
    CCTexture2D* textureForKey(const std::string& name);

    // Drops the textures that nothing but the cache holds.
    void removeUnusedTextures();
    void removeAllTextures();
    void removeTexture(CCTexture2D* texture);
    void removeTextureForKey(const std::string& name);
    std::size_t count() const { return textures_.size(); }

private:
    CCTextureCache() = default;
    // Keyed by full path, so one name at two device scales is two textures.
    std::map<std::string, Ref<CCTexture2D>, std::less<>> textures_;
};
