// The advert banner over the main menu: a full-screen picture for another of
// the publisher's applications hanging above the top edge, of which only a
// pull-tab (with an icon) drops into view. A tap on the tab slides the banner
// down; a tap on it opens the advertised address once a grown-up has passed
// the parental gate, a tap on its top-right corner closes it.
//
// Each banner layer asks the API host what to show ("/api/banner.php") when
// it is made, on a thread of its own; the three pictures are kept in the
// documents directory and fetched again only when the banner picture there
// is not the one the service announces (by its MD5), or one of them is
// missing. The thread reads, downloads and decodes; the nodes change on the
// main thread, and only while the layer lives. Any failure leaves the layer
// hidden: the menu simply has no banner.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/CCLayer.h"
#include "engine/CCSprite.h"
#include "platform/BackgroundWork.h"
#include "platform/Image.h"

// The service's answer: all five members are required strings.
struct bannerInfo {
    std::string URL;          // opened when the banner is tapped
    std::string bannerURL;    // the banner picture
    std::string shortcutURL;  // the pull-tab picture
    std::string iconURL;      // the icon on the pull-tab
    std::string md5;          // MD5 of the banner picture's bytes, lowercase hex

    // An empty record (and a log line) unless the data is a JSON object with
    // the five members as strings.
    static bannerInfo bannerInfoWithJSON(std::span<const std::uint8_t> data);
    bool isEmpty() const { return URL.empty(); }
};

class KVTAdvertBannerLayer : public CCLayer {
public:
    // The cached pictures, in the documents directory.
    static constexpr const char* kBannerFile = "advertBanner.png";
    static constexpr const char* kShortcutFile = "advertBannerShortcut.png";
    static constexpr const char* kIconFile = "advertBannerIcon.png";

    // Lets the scene-file reader make this class and bind banner and shortcut.
    static void registerWithReader();
    // A new layer from "banner-layer<device suffix>.ccb"; null (logged) when
    // the file cannot be read or its root is not this class.
    static Ref<KVTAdvertBannerLayer> layer();

    // Starts asking, fetching and decoding on a thread of its own; the
    // pictures go up on the main thread when they are ready.
    void load();

    // The background side, on plain data: no node, no layer state.
    struct Request {
        std::string url;            // the banner.php address with its query
        std::string documentsDir;   // where the pictures are kept
    };
    struct Pictures {
        bannerInfo info;
        std::optional<platform::Image> banner, shortcut, icon;
    };
    static Pictures fetch(const Request& request);
    // False when no answer came at all; otherwise info holds the answer
    // (empty when it is not a banner).
    static bool requestBannerInfo(const std::string& url, bannerInfo& info);
    // The three pictures are all there and the banner picture hashes to md5.
    static bool isCacheActual(const bannerInfo& info, const std::string& documentsDir);
    static void downloadImages(const bannerInfo& info, const std::string& documentsDir);
    // The request for this device, language and application (main thread).
    static Request currentRequest();

    void open();
    void close();
    bool isOpen() const;
    // p in the layer's own coordinates (the screen's while open).
    void clickBannerAtLocation(CGPoint p);
    // Records the click and closes the banner to open its link: once the
    // parental gate is passed.
    void openLink();
    void showAnimation();
    void update(float dt) override;

    bool isFirstOpen() const { return isFirstOpen_; }
    void setIsFirstOpen(bool value) { isFirstOpen_ = value; }
    bool isLoaded() const { return isLoaded_; }
    bool canShowAnimation() const { return canShowAnimation_; }
    void setCanShowAnimation(bool value) { canShowAnimation_ = value; }
    const bannerInfo& bannerData() const { return bannerData_; }

    // Bound from the scene file as placeholders, then replaced by the
    // pictures (not owned: the layer's children).
    CCSprite* banner = nullptr;
    CCSprite* shortcut = nullptr;
    CCSprite* icon = nullptr;  // a child of shortcut

private:
    void setupImages(Pictures& pictures);
    // Replaces a placeholder by a sprite of the picture, keeping its place,
    // anchor and depth; null when the picture is missing.
    CCSprite* replacePlaceholder(CCSprite* placeholder, const std::optional<platform::Image>& picture);

    bannerInfo bannerData_;
    bool isLoaded_ = false;
    bool canShowAnimation_ = false;
    bool isFirstOpen_ = true;
    // A tap on the picture is closing the banner to open its link: nothing
    // may stop that move.
    bool linkOpening_ = false;
    platform::WorkOwner owner_;
};
