// The shelf of the publisher's other applications, pulled up from a tab at
// the bottom of the main menu.
//
// On the first opening it asks the API host for the list ("/api/"), waiting
// on the main thread up to the request time-out, and lays out shelves with a
// button per application; the icons are fetched and decoded on worker
// threads (a few at a time) and the buttons go up on the main thread as they
// arrive, only while the catalogue lives. The shelves scroll vertically
// inside a clipped layer; a still tap on a button opens the application's
// page once a grown-up has passed the parental gate. Showing, opening and tapping are reported to the analytics tracker.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/CCLayer.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCMaskedLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCSprite.h"
#include "platform/BackgroundWork.h"
#include "platform/Http.h"
#include "platform/Image.h"
#include "platform/Value.h"

namespace platform::ui {
class AlertView;
}

// One application on its way between threads: its list entry, then its
// decoded icon.
struct AsyncButtonDownloadData {
    platform::Value data;
    std::optional<platform::Image> sprite;
    CGPoint position;
    int tag = 0;
};

class KVTAppCatalog : public CCLayer {
public:
    // More applications than this are left off the shelf, and so are icons
    // larger than these.
    static constexpr int kMaxApps = 48;
    static constexpr std::size_t kMaxListBytes = 256 * 1024;
    static constexpr std::size_t kMaxIconBytes = 2 * 1024 * 1024;
    static constexpr int kMaxIconSide = 1024;
    // Icons fetched at the same time.
    static constexpr int kIconDownloads = 4;

    static Ref<KVTAppCatalog> node();
    bool init() override;

    bool isOpen() const;
    // How far up from the screen's bottom the shelf's boards hide everything
    // under them (0 while closed): they are opaque and as wide as the screen,
    // so the menu need not draw there.
    float coveredHeight() const;
    // Drawn clear of the clip the menu keeps to the part the shelf leaves.
    void visit() override;
    void slideUp();
    void slideDown();
    void asyncLoadLayer();
    // The list answer; nullopt when no data came.
    void loadLayer(const std::optional<std::string>& data);
    void determineControlPositionsAndSizes();
    void createShelfs();
    // On a worker: fetches and decodes one icon (plain data in and out).
    static void asyncLoadButton(AsyncButtonDownloadData& button);
    void addIconButtonWithData(AsyncButtonDownloadData& button);
    void menuItemClick(CCObject* sender);
    // Records the click and opens application `tag`'s link: once the
    // parental gate is passed.
    void openApp(int tag);
    // "shelf.png" as this device and scale name it (see the content).
    static std::string realFileName(const std::string& name, bool withOrientation);
    CGPoint convertToLayerPoint(CGPoint p) const;

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;
    void ccTouchCancelled(UITouch* touch, void* event) override { ccTouchEnded(touch, event); }

    bool buttonsEnabled = true;
    bool isLoaded() const { return isLoaded_; }
    // The alert on screen, if any (tests press its button).
    const std::shared_ptr<platform::ui::AlertView>& alert() const { return alert_; }

    std::string appName;
    std::map<int, std::string> appsURL;
    std::map<int, std::string> appsName;
    CCSprite* closeButton = nullptr;
    CCSprite* openButton = nullptr;
    CCLabelTTF* topLabel = nullptr;
    CCMaskedLayer* shelfLayer = nullptr;
    CCMenu* catalogMenu = nullptr;

    // Layout, fixed by determineControlPositionsAndSizes.
    CGSize winSize;
    int topLabelFontSize = 0;
    CGSize topShelfSize;
    int shelfLayerDefaultY = 0;
    CGPoint posOpened, posClosed;
    int buttonCount = 0;
    CGSize shelfSize, plateSize, shadowSize;
    CGSize labelRectSize;
    int shelfBottomBorderWidth = 0;
    int buttonsPerRow = 0;
    int labelFontSize = 0;
    int padding = 0;
    int visibleShelfCount = 0;
    int shelfCount = 0;
    int drawnShelfCount() const { return shelfCount + 3; }

    CGPoint lastTouchLocation;
    bool shelfCaptured = false;
    bool shelfMoved = false;

private:
    void showAlert(const std::string& title, const std::string& message);
    void startIconDownloads();
    // The list request's answer, back on the main thread.
    void listArrived(const platform::HttpResponse& response);

    bool isLoaded_ = false;
    bool listInFlight_ = false;
    std::shared_ptr<platform::ui::AlertView> alert_;
    std::deque<AsyncButtonDownloadData> pendingIcons_;
    int iconsInFlight_ = 0;
    platform::WorkOwner owner_;
};
