// Sprite frames: a rectangle of a texture (possibly stored rotated and with
// transparent borders trimmed) that a sprite can show, and the cache that
// loads them from sprite-sheet property lists.
#pragma once

#include <map>
#include <set>
#include <string>

#include "engine/CCTexture2D.h"

class CCSpriteFrame : public CCObject {
public:
    // rect, offset and originalSize in points.
    static Ref<CCSpriteFrame> frameWithTexture(CCTexture2D* texture, CGRect rect);
    static Ref<CCSpriteFrame> frameWithTexture(CCTexture2D* texture, CGRect rect, bool rotated, CGPoint offset,
                                               CGSize originalSize);

    CCTexture2D* texture() const { return texture_.get(); }
    // The frame's area of the texture, in points, as drawn (unrotated size).
    CGRect rect() const { return rect_; }
    bool rotated() const { return rotated_; }
    // Where the trimmed rectangle's centre sits relative to the untrimmed one's.
    CGPoint offset() const { return offset_; }
    // The untrimmed size: the sprite's content size.
    CGSize originalSize() const { return originalSize_; }
    // The name the cache knows it by ("" when made in code).
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

private:
    Ref<CCTexture2D> texture_;
    CGRect rect_;
    bool rotated_ = false;
    CGPoint offset_;
    CGSize originalSize_;
    std::string name_;
};

class CCSpriteFrameCache {
public:
    static CCSpriteFrameCache* sharedSpriteFrameCache();

    // Loads a sprite sheet: the property list (its device variant) and the
    // image its metadata names (else the list's name with ".png"). A sheet
    // already loaded is not read again.
    void addSpriteFramesWithFile(const std::string& plist);
    // The same with the texture given.
    void addSpriteFramesWithFile(const std::string& plist, CCTexture2D* texture);
    void addSpriteFrame(CCSpriteFrame* frame, const std::string& name);
    // Null (and a log line) when unknown.
    CCSpriteFrame* spriteFrameByName(const std::string& name) const;

    void removeSpriteFrames();
    void removeUnusedSpriteFrames();
    void removeSpriteFrameByName(const std::string& name);
    std::size_t count() const { return frames_.size(); }

private:
    CCSpriteFrameCache() = default;
    bool load(const std::string& plist, CCTexture2D* texture);

    std::map<std::string, Ref<CCSpriteFrame>, std::less<>> frames_;
    std::set<std::string, std::less<>> loadedFiles_;
};
