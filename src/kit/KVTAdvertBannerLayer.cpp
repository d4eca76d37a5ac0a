#include "kit/KVTAdvertBannerLayer.h"

#include "app/KVTAppUtils.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCTexture2D.h"
#include "json/SBJsonParser.h"
#include "kit/KVTAnalyticsTracker.h"
#include "kit/KVTParentalGate.h"
#include "kit/KVTWebService.h"
#include "platform/Files.h"
#include "platform/Http.h"
#include "platform/Log.h"
#include "platform/Md5.h"
#include "platform/UserDefaults.h"
#include "scenefile/CCBReader.h"

namespace {

// A banner answer is a few hundred bytes; a picture a few hundred kilobytes.
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;
constexpr std::size_t kMaxPictureBytes = 8 * 1024 * 1024;
constexpr double kPictureTimeout = 20;

// A picture's cache file, with the diagnostic when it cannot be saved.
struct CachedPicture {
    std::string bannerInfo::*address;
    const char* file;
    const char* cannotSave;
};
constexpr CachedPicture kPictures[] = {
    {&bannerInfo::bannerURL, KVTAdvertBannerLayer::kBannerFile, "Can't save banner image"},
    {&bannerInfo::shortcutURL, KVTAdvertBannerLayer::kShortcutFile, "Can't save shortcut image"},
    {&bannerInfo::iconURL, KVTAdvertBannerLayer::kIconFile, "Can't save icon image"},
};

std::string cachePath(const std::string& documentsDir, const char* file) { return documentsDir + "/" + file; }

std::optional<platform::Image> decodeCached(const std::string& documentsDir, const char* file) {
    auto bytes = platform::readFile(cachePath(documentsDir, file));
    if (!bytes) return std::nullopt;
    return platform::decodeImage(bytes->data(), bytes->size());
}

// The pictures were asked for at this device's scale.
ccResolutionType deviceResolution() {
    bool dense = CCDirector::sharedDirector()->contentScaleFactor() >= 2;
    if (KVTAppUtils::isPad()) return dense ? kCCResolutioniPadRetinaDisplay : kCCResolutioniPad;
    return dense ? kCCResolutioniPhoneRetinaDisplay : kCCResolutioniPhone;
}

// A sprite of a decoded picture. Made from the bytes just decoded, never from
// the texture cache, whose entry for the same path may be an older picture.
Ref<CCSprite> spriteOf(const platform::Image& picture) {
    Ref<CCTexture2D> texture = CCTexture2D::textureWithImage(picture, deviceResolution());
    return texture ? CCSprite::spriteWithTexture(texture.get()) : nullptr;
}

// The whole window's size, for the corner and the closed position.
CGSize window() { return CCDirector::sharedDirector()->winSize(); }

}  // namespace

bannerInfo bannerInfo::bannerInfoWithJSON(std::span<const std::uint8_t> data) {
    SBJsonParser parser;
    auto answer = parser.objectWithData(data);
    if (!answer || !answer->isDictionary()) {
        platform::log("banner: the answer is not a JSON object (%s)", parser.error().c_str());
        return {};
    }
    bannerInfo info;
    for (auto [member, field] : {std::pair{"URL", &bannerInfo::URL}, {"bannerURL", &bannerInfo::bannerURL},
                                 {"shortcutURL", &bannerInfo::shortcutURL}, {"iconURL", &bannerInfo::iconURL},
                                 {"md5", &bannerInfo::md5}}) {
        const platform::Value& value = (*answer)[member];
        if (!value.isString()) {
            platform::log("banner: the answer has no text \"%s\"", member);
            return {};
        }
        info.*field = value.asString();
    }
    return info;
}

void KVTAdvertBannerLayer::registerWithReader() {
    CCBClassBuilder<KVTAdvertBannerLayer>("KVTAdvertBannerLayer")
        .member("banner", &KVTAdvertBannerLayer::banner)
        .member("shortcut", &KVTAdvertBannerLayer::shortcut)
        .add();
}

Ref<KVTAdvertBannerLayer> KVTAdvertBannerLayer::layer() {
    std::string file = "banner-layer" + KVTAppUtils::deviceDependentFileSuffix() + ".ccb";
    Ref<CCNode> root = CCBReader::nodeGraphFromFile(file);
    Ref<KVTAdvertBannerLayer> layer(dynamic_cast<KVTAdvertBannerLayer*>(root.get()));
    if (!layer) {
        platform::log("banner: %s does not hold a banner layer", file.c_str());
        return nullptr;
    }
    layer->isFirstOpen_ = true;
    layer->isLoaded_ = false;
    return layer;
}

KVTAdvertBannerLayer::Request KVTAdvertBannerLayer::currentRequest() {
    CCDirector* director = CCDirector::sharedDirector();
    int orientation = director->interfaceOrientation();
    bool landscape = orientation == UIInterfaceOrientationLandscapeRight || orientation == UIInterfaceOrientationLandscapeLeft;
    std::string url = KVTWebService::url(
        KVTWebService::apiHost(), "/api/banner.php",
        {{"interfaceIdiom", KVTAppUtils::isPad() ? "iPad" : "iPhone"},
         {"scaleFactor", std::to_string(static_cast<int>(director->contentScaleFactor()))},
         {"orientation", landscape ? "landscape" : "portrait"},
         {"appName", KVTAppIdentity::current().name},
         {"lang", platform::UserDefaults::standard().objectForKey("AppleLanguages")[0].asString()}});
    return {url, platform::documentsDirectory()};
}

void KVTAdvertBannerLayer::load() {
    platform::runInBackground<Pictures>(
        owner_, [request = currentRequest()] { return fetch(request); },
        [this](Pictures& pictures) {
            bannerData_ = pictures.info;
            setupImages(pictures);
        });
}

KVTAdvertBannerLayer::Pictures KVTAdvertBannerLayer::fetch(const Request& request) {
    Pictures pictures;
    if (!requestBannerInfo(request.url, pictures.info) || pictures.info.isEmpty()) return pictures;
    if (!isCacheActual(pictures.info, request.documentsDir)) downloadImages(pictures.info, request.documentsDir);
    pictures.banner = decodeCached(request.documentsDir, kBannerFile);
    pictures.shortcut = decodeCached(request.documentsDir, kShortcutFile);
    pictures.icon = decodeCached(request.documentsDir, kIconFile);
    return pictures;
}

bool KVTAdvertBannerLayer::requestBannerInfo(const std::string& url, bannerInfo& info) {
    platform::HttpRequest request;
    request.url = url;
    request.timeoutSeconds = KVTWebService::kRequestTimeout;
    request.maxBodyBytes = kMaxAnswerBytes;
    platform::HttpResponse response = platform::httpRequest(request);
    if (!response.gotResponse) {
        platform::log("banner: no answer from %s: %s", url.c_str(), response.error.c_str());
        return false;
    }
    info = bannerInfo::bannerInfoWithJSON(
        {reinterpret_cast<const std::uint8_t*>(response.body.data()), response.body.size()});
    return true;
}

bool KVTAdvertBannerLayer::isCacheActual(const bannerInfo& info, const std::string& documentsDir) {
    for (const CachedPicture& picture : kPictures)
        if (!platform::fileExists(cachePath(documentsDir, picture.file))) return false;
    auto bytes = platform::readFile(cachePath(documentsDir, kBannerFile));
    return bytes && platform::md5Hex(bytes->data(), bytes->size()) == info.md5;
}

void KVTAdvertBannerLayer::downloadImages(const bannerInfo& info, const std::string& documentsDir) {
    for (const CachedPicture& picture : kPictures) {
        platform::HttpRequest request;
        request.url = info.*picture.address;
        request.timeoutSeconds = kPictureTimeout;
        request.maxBodyBytes = kMaxPictureBytes;
        platform::HttpResponse response = platform::httpRequest(request);
        // An error page is no picture: the old file, if any, stays.
        bool ok = response.gotResponse && response.status >= 200 && response.status < 300 &&
                  platform::writeFileAtomically(cachePath(documentsDir, picture.file), response.body.data(),
                                                response.body.size());
        if (!ok) platform::log("%s", picture.cannotSave);
    }
}

CCSprite* KVTAdvertBannerLayer::replacePlaceholder(CCSprite* placeholder, const std::optional<platform::Image>& picture) {
    Ref<CCSprite> sprite = picture ? spriteOf(*picture) : nullptr;
    if (!sprite) return nullptr;
    int z = 0;
    if (placeholder) {
        sprite->setAnchorPoint(placeholder->anchorPoint());
        sprite->setPosition(placeholder->position());
        z = placeholder->zOrder();
        removeChild(placeholder, true);
    }
    addChild(sprite.get(), z);
    return sprite.get();
}

void KVTAdvertBannerLayer::setupImages(Pictures& pictures) {
    CCSprite* newBanner = replacePlaceholder(banner, pictures.banner);
    if (!newBanner) {
        platform::log("banner: the banner picture cannot be shown");
        return;
    }
    banner = newBanner;
    banner->setUserData(&bannerData_.URL);

    float tabX = shortcut ? shortcut->position().x : 0;
    CCSprite* newShortcut = replacePlaceholder(shortcut, pictures.shortcut);
    if (!newShortcut) {
        platform::log("banner: the pull-tab picture cannot be shown");
        return;
    }
    shortcut = newShortcut;
    shortcut->setPosition({tabX, shortcut->boundingBox().size.height});

    if (Ref<CCSprite> sprite = pictures.icon ? spriteOf(*pictures.icon) : nullptr) {
        sprite->setAnchorPoint({0, 0});
        sprite->setPosition({0, 0});
        shortcut->addChild(sprite.get());
        icon = sprite.get();
    }

    isLoaded_ = true;
    setVisible(true);
    if (canShowAnimation_) {
        showAnimation();
    } else {
        scheduleUpdate();
    }
}

void KVTAdvertBannerLayer::update(float) {
    if (!canShowAnimation_) return;
    canShowAnimation_ = false;
    showAnimation();
    unscheduleUpdate();
}

void KVTAdvertBannerLayer::showAnimation() {
    if (!shortcut) return;
    float x = shortcut->position().x;
    shortcut->setPosition({x, shortcut->boundingBox().size.height});
    shortcut->runAction(CCEaseBounceOut::actionWithAction(CCMoveTo::actionWithDuration(1.0f, {x, 0})).get());
}

void KVTAdvertBannerLayer::open() {
    if (linkOpening_) return;
    if (isFirstOpen_) {
        isFirstOpen_ = false;
        KVTAnalyticsTracker::sharedTracker()->addEvent(KVTAnalyticsTracker::showBanner);
    }
    stopAllActions();
    runAction(CCMoveTo::actionWithDuration(0.2f, {0, 0}).get());
}

void KVTAdvertBannerLayer::close() {
    // Already closing, and the link opens at the end of it.
    if (linkOpening_) return;
    stopAllActions();
    runAction(CCMoveTo::actionWithDuration(0.2f, {0, window().height}).get());
}

bool KVTAdvertBannerLayer::isOpen() const { return position().y < window().height; }

void KVTAdvertBannerLayer::clickBannerAtLocation(CGPoint p) {
    if (linkOpening_) return;
    CGSize win = window();
    float a = KVTAppUtils::isPad() ? 80 : 40;
    if (CGRectContainsPoint(CGRectMake(win.width - a, win.height - a, a, a), p)) {
        close();
        return;
    }
    // A grown-up's check first: the click counts once it is passed.
    KVTParentalGate::ask([self = Ref<KVTAdvertBannerLayer>(this)] { self->openLink(); });
}

void KVTAdvertBannerLayer::openLink() {
    if (linkOpening_) return;
    KVTAnalyticsTracker* tracker = KVTAnalyticsTracker::sharedTracker();
    tracker->addEvent(KVTAnalyticsTracker::clickBanner);
    tracker->commit();
    auto* address = banner ? static_cast<const std::string*>(banner->userData()) : nullptr;
    std::string url = address ? *address : "";
    stopAllActions();
    linkOpening_ = true;
    runAction(CCSequence::actions({CCMoveTo::actionWithDuration(0.2f, {0, window().height}).get(),
                                   CCCallBlock::actionWithBlock([this, url] {
                                       linkOpening_ = false;
                                       platform::openURL(url);
                                   }).get()})
                  .get());
}
