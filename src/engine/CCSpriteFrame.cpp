#include "engine/CCSpriteFrame.h"

#include <cmath>
#include <cstdio>

#include "engine/CCFileUtils.h"
#include "engine/CCTextureCache.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

namespace {

// Sheet strings: "{x,y}" and "{{x,y},{w,h}}". Anything else reads as zeros.
CGPoint pointFromString(const std::string& s) {
    float x = 0, y = 0;
    std::sscanf(s.c_str(), " { %f , %f }", &x, &y);
    return {x, y};
}

CGSize sizeFromString(const std::string& s) {
    CGPoint p = pointFromString(s);
    return {p.x, p.y};
}

CGRect rectFromString(const std::string& s) {
    float x = 0, y = 0, w = 0, h = 0;
    std::sscanf(s.c_str(), " { { %f , %f } , { %f , %f } }", &x, &y, &w, &h);
    return CGRectMake(x, y, w, h);
}

std::string directoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace

// --- CCSpriteFrame --------------------------------------------------------------

Ref<CCSpriteFrame> CCSpriteFrame::frameWithTexture(CCTexture2D* texture, CGRect rect) {
    return frameWithTexture(texture, rect, false, CGPointZero, rect.size);
}

Ref<CCSpriteFrame> CCSpriteFrame::frameWithTexture(CCTexture2D* texture, CGRect rect, bool rotated, CGPoint offset,
                                                   CGSize originalSize) {
    Ref<CCSpriteFrame> f(new CCSpriteFrame);
    f->texture_ = texture;
    f->rect_ = rect;
    f->rotated_ = rotated;
    f->offset_ = offset;
    f->originalSize_ = originalSize;
    return f;
}

// --- CCSpriteFrameCache ---------------------------------------------------------

CCSpriteFrameCache* CCSpriteFrameCache::sharedSpriteFrameCache() {
    static CCSpriteFrameCache cache;
    return &cache;
}

void CCSpriteFrameCache::addSpriteFramesWithFile(const std::string& plist) {
    if (loadedFiles_.contains(plist)) return;
    if (load(plist, nullptr)) loadedFiles_.insert(plist);
}

void CCSpriteFrameCache::addSpriteFramesWithFile(const std::string& plist, CCTexture2D* texture) {
    load(plist, texture);
}

bool CCSpriteFrameCache::load(const std::string& plist, CCTexture2D* texture) {
    CCFileUtils* files = CCFileUtils::sharedFileUtils();
    ccResolutionType resolution = kCCResolutionUnknown;
    std::string path = files->fullPathFromRelativePath(plist, &resolution);
    auto bytes = path.empty() ? std::nullopt : files->contentsOfFile(path);
    auto dict = bytes ? platform::readPropertyList(bytes->data(), bytes->size()) : std::nullopt;
    if (!dict || !(*dict)["frames"].isDictionary()) {
        platform::log("CCSpriteFrameCache: cannot read sprite sheet %s", plist.c_str());
        return false;
    }
    const platform::Value& metadata = (*dict)["metadata"];
    const int format = static_cast<int>(metadata["format"].asInt());
    if (format < 0 || format > 3) {
        platform::log("CCSpriteFrameCache: %s has unsupported format %d", plist.c_str(), format);
        return false;
    }
    if (!texture) {
        // The image is named relative to the sheet's own folder.
        std::string image = metadata["textureFileName"].asString();
        if (image.empty()) image = metadata["realTextureFileName"].asString();
        if (image.empty()) {
            std::size_t dot = plist.find_last_of('.');
            image = (dot == std::string::npos ? plist : plist.substr(0, dot)) + ".png";
        } else {
            image = directoryOf(plist) + image;
        }
        texture = CCTextureCache::sharedTextureCache()->addImage(image);
        if (!texture) {
            platform::log("CCSpriteFrameCache: no image %s for sprite sheet %s", image.c_str(), plist.c_str());
            return false;
        }
    }
    // Coordinates are in the sheet's pixels; the sheet's own scale makes points.
    const float scale = ccResolutionScale(resolution);
    auto pts = [scale](float v) { return v / scale; };
    for (const auto& [name, f] : (*dict)["frames"].asDictionary()) {
        CGRect rect;
        bool rotated = false;
        CGPoint offset;
        CGSize original;
        if (format == 0) {
            rect = CGRectMake(f["x"].asFloat(), f["y"].asFloat(), f["width"].asFloat(), f["height"].asFloat());
            offset = {f["offsetX"].asFloat(), f["offsetY"].asFloat()};
            original = {std::fabs(f["originalWidth"].asFloat()), std::fabs(f["originalHeight"].asFloat())};
            if (original.width == 0 || original.height == 0) original = rect.size;
        } else if (format == 1 || format == 2) {
            rect = rectFromString(f["frame"].asString());
            rotated = format == 2 && f["rotated"].asBool();
            offset = pointFromString(f["offset"].asString());
            original = sizeFromString(f["sourceSize"].asString());
        } else {
            CGSize size = sizeFromString(f["spriteSize"].asString());
            CGRect textureRect = rectFromString(f["textureRect"].asString());
            rect = CGRectMake(textureRect.origin.x, textureRect.origin.y, size.width, size.height);
            rotated = f["textureRotated"].asBool();
            offset = pointFromString(f["spriteOffset"].asString());
            original = sizeFromString(f["spriteSourceSize"].asString());
        }
        if (original.width == 0 || original.height == 0) original = rect.size;
        Ref<CCSpriteFrame> frame = CCSpriteFrame::frameWithTexture(
            texture, CGRectMake(pts(rect.origin.x), pts(rect.origin.y), pts(rect.size.width), pts(rect.size.height)),
            rotated, {pts(offset.x), pts(offset.y)}, {pts(original.width), pts(original.height)});
        frame->setName(name);
        frames_[name] = frame;
        if (format == 3)
            for (const auto& alias : f["aliases"].asArray()) frames_[alias.asString()] = frame;
    }
    return true;
}

void CCSpriteFrameCache::addSpriteFrame(CCSpriteFrame* frame, const std::string& name) {
    if (!frame) return;
    if (frame->name().empty()) frame->setName(name);
    frames_[name] = frame;
}

CCSpriteFrame* CCSpriteFrameCache::spriteFrameByName(const std::string& name) const {
    if (auto it = frames_.find(name); it != frames_.end()) return it->second.get();
    platform::log("CCSpriteFrameCache: frame %s not found", name.c_str());
    return nullptr;
}

void CCSpriteFrameCache::removeSpriteFrames() {
    frames_.clear();
    loadedFiles_.clear();
}

void CCSpriteFrameCache::removeUnusedSpriteFrames() {
    std::erase_if(frames_, [](const auto& entry) { return entry.second->retainCount() == 1; });
    // Sheets with frames gone must load again when asked for.
    loadedFiles_.clear();
}

void CCSpriteFrameCache::removeSpriteFrameByName(const std::string& name) { frames_.erase(name); }
