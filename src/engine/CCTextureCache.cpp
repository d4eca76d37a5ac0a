#include "engine/CCTextureCache.h"

#include "engine/CCFileUtils.h"
#include "platform/Image.h"
#include "platform/Log.h"

CCTextureCache* CCTextureCache::sharedTextureCache() {
    static CCTextureCache cache;
    return &cache;
}

CCTexture2D* CCTextureCache::addImage(const std::string& name) {
    if (name.empty()) return nullptr;
    ccResolutionType resolution = kCCResolutionUnknown;
    std::string path = CCFileUtils::sharedFileUtils()->fullPathFromRelativePath(name, &resolution);
    if (path.empty()) {
        platform::log("CCTextureCache: no image named %s", name.c_str());
        return nullptr;
    }
    if (auto it = textures_.find(path); it != textures_.end()) return it->second.get();
    auto bytes = CCFileUtils::sharedFileUtils()->contentsOfFile(path);
    if (!bytes) {
        platform::log("CCTextureCache: cannot read %s", path.c_str());
        return nullptr;
    }
    auto image = platform::decodeImage(bytes->data(), bytes->size());
    if (!image) {
        platform::log("CCTextureCache: cannot decode %s", path.c_str());
        return nullptr;
    }
    Ref<CCTexture2D> texture = CCTexture2D::textureWithImage(*image, resolution);
    if (!texture) return nullptr;
    texture->setFileName(name);
    textures_[path] = texture;
    return texture.get();
}

CCTexture2D* CCTextureCache::addImage(const platform::Image& image, const std::string& key) {
    if (auto it = textures_.find(key); it != textures_.end()) return it->second.get();
    Ref<CCTexture2D> texture = CCTexture2D::textureWithImage(image, kCCResolutionUnknown);
    if (!texture) return nullptr;
    texture->setFileName(key);
    textures_[key] = texture;
    return texture.get();
}

CCTexture2D* CCTextureCache::textureForKey(const std::string& name) {
    if (auto it = textures_.find(name); it != textures_.end()) return it->second.get();
    std::string path = CCFileUtils::sharedFileUtils()->fullPathFromRelativePath(name);
    if (auto it = textures_.find(path); it != textures_.end()) return it->second.get();
    return nullptr;
}

void CCTextureCache::removeUnusedTextures() {
    std::erase_if(textures_, [](const auto& entry) { return entry.second->retainCount() == 1; });
}

void CCTextureCache::removeAllTextures() { textures_.clear(); }

void CCTextureCache::removeTexture(CCTexture2D* texture) {
    std::erase_if(textures_, [texture](const auto& entry) { return entry.second.get() == texture; });
}

void CCTextureCache::removeTextureForKey(const std::string& name) {
    if (textures_.erase(name)) return;
    textures_.erase(CCFileUtils::sharedFileUtils()->fullPathFromRelativePath(name));
}
