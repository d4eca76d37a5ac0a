#include "kit/KVTAppCatalog.h"

#include <algorithm>
#include <cmath>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCMenuItem.h"
#include "engine/CCRenderer.h"
#include "engine/CCTexture2D.h"
#include "engine/CCTouchDispatcher.h"
#include "json/SBJsonParser.h"
#include "kit/KVTAnalyticsTracker.h"
#include "kit/KVTParentalGate.h"
#include "kit/KVTWebService.h"
#include "platform/Bundle.h"
#include "platform/Http.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"
#include "platform/ui/AlertView.h"

namespace {

const char* const kFont = "DR Agu";
constexpr ccColor3B kLabelColor{93, 37, 0};
constexpr double kIconTimeout = 20;

bool portrait() {
    const int o = CCDirector::sharedDirector()->interfaceOrientation();
    return o == UIInterfaceOrientationPortrait || o == UIInterfaceOrientationPortraitUpsideDown;
}

CGSize sizeOfImage(const std::string& file) {
    Ref<CCSprite> sprite = CCSprite::spriteWithFile(file);
    return sprite ? sprite->boundingBox().size : CGSizeZero;
}

// Icons come at the device's own scale.
ccResolutionType iconResolution() {
    const bool dense = CCDirector::sharedDirector()->contentScaleFactor() == 2;
    if (KVTAppUtils::isPad()) return dense ? kCCResolutioniPadRetinaDisplay : kCCResolutioniPad;
    return dense ? kCCResolutioniPhoneRetinaDisplay : kCCResolutioniPhone;
}

}  // namespace

Ref<KVTAppCatalog> KVTAppCatalog::node() {
    Ref<KVTAppCatalog> catalog(new KVTAppCatalog);
    catalog->init();
    return catalog;
}

std::string KVTAppCatalog::realFileName(const std::string& name, bool withOrientation) {
    std::string suffix;
    if (withOrientation) suffix += portrait() ? "-portrait" : "-landscape";
    if (KVTAppUtils::isPad()) suffix += "-ipad";
    if (CCDirector::sharedDirector()->contentScaleFactor() == 2) suffix += "-hd";
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

void KVTAppCatalog::determineControlPositionsAndSizes() {
    shelfSize = sizeOfImage(realFileName("shelf.png", true));
    plateSize = sizeOfImage(realFileName("plate.png", false));
    shadowSize = sizeOfImage(realFileName("shadow.png", false));
    topShelfSize = sizeOfImage(realFileName("shelf-top.png", true));
    labelRectSize = {plateSize.width * 0.8f, plateSize.height * 0.9f};
    shelfBottomBorderWidth = static_cast<int>(plateSize.height * 0.5f);
    const bool upright = portrait();
    if (KVTAppUtils::isPad()) {
        buttonsPerRow = upright ? 3 : 4;
        labelFontSize = 18;
        topLabelFontSize = 30;
    } else {
        buttonsPerRow = upright ? 2 : 3;
        labelFontSize = 14;
        topLabelFontSize = 16;
    }
    padding = static_cast<int>((shelfSize.width - buttonsPerRow * shadowSize.width) / (buttonsPerRow + 1));
    winSize = CCDirector::sharedDirector()->winSize();
    shelfLayerDefaultY = static_cast<int>(winSize.height - topShelfSize.height + 1);
    posOpened = {0, winSize.height * (upright ? 0.6f : 0.8f)};
    posClosed = {0, 0};
    // A missing shelf picture must not divide by zero.
    visibleShelfCount = shelfSize.height > 0 ? static_cast<int>((posOpened.y - topShelfSize.height) / shelfSize.height) : 0;
}

bool KVTAppCatalog::init() {
    if (!CCLayer::init()) return false;
    appName = KVTAppIdentity::current().name;
    setAnchorPoint({0, 1});
    setIgnoreAnchorPointForPosition(false);
    appsURL.clear();
    appsName.clear();
    determineControlPositionsAndSizes();

    const CGPoint tab{winSize.width * 0.5f, winSize.height};
    Ref<CCSprite> opened = CCSprite::spriteWithFile(realFileName("shelf-button-opened.png", false));
    Ref<CCSprite> closed = CCSprite::spriteWithFile(realFileName("shelf-button-closed.png", false));
    for (CCSprite* button : {opened.get(), closed.get()}) {
        if (!button) continue;
        button->setAnchorPoint({0.5f, 0});
        button->setPosition(tab);
        addChild(button);
    }
    closeButton = opened.get();
    openButton = closed.get();
    if (closeButton) closeButton->setVisible(false);

    if (Ref<CCSprite> top = CCSprite::spriteWithFile(realFileName("shelf-top.png", true))) {
        top->setAnchorPoint({0, 1});
        top->setPosition({0, winSize.height});
        addChild(top.get());
        if (Ref<CCLabelTTF> label = CCLabelTTF::labelWithString("", kFont, static_cast<float>(topLabelFontSize))) {
            label->setColor(kLabelColor);
            label->setPosition({topShelfSize.width * 0.5f, topShelfSize.height * 0.5f});
            top->addChild(label.get());
            topLabel = label.get();
        }
    }

    Ref<CCMaskedLayer> shelves = CCMaskedLayer::node();
    shelves->setAnchorPoint({0, 1});
    shelves->setIgnoreAnchorPointForPosition(false);
    shelves->setPosition({0, static_cast<float>(shelfLayerDefaultY)});
    const float s = CCDirector::sharedDirector()->contentScaleFactor();
    shelves->setMaskedRect(CGRectMake(0, 0, winSize.width * s, posOpened.y * s));
    addChild(shelves.get(), -1);
    shelfLayer = shelves.get();

    setPosition(posClosed);
    buttonCount = 1;
    createShelfs();
    buttonsEnabled = true;
    isLoaded_ = false;
    setIsTouchEnabled(true);
    return true;
}

bool KVTAppCatalog::isOpen() const { return position().y == posOpened.y; }

float KVTAppCatalog::coveredHeight() const { return isVisible() ? std::max(0.0f, position().y) : 0.0f; }

void KVTAppCatalog::visit() {
    CCRenderer::shared().disableScissor();
    CCLayer::visit();
}

void KVTAppCatalog::createShelfs() {
    shelfLayer->removeAllChildrenWithCleanup(true);
    shelfCount = buttonsPerRow > 0 ? (buttonCount + buttonsPerRow - 1) / buttonsPerRow : 0;
    Ref<CCMenu> menu = CCMenu::node();
    menu->setAnchorPoint({0, 1});
    menu->setIgnoreAnchorPointForPosition(false);
    menu->setPosition({0, std::trunc(winSize.height)});
    shelfLayer->addChild(menu.get(), 2);
    catalogMenu = menu.get();
    float y = std::trunc(winSize.height);
    const std::string shelf = realFileName("shelf.png", true);
    for (int i = 0; i < drawnShelfCount(); ++i) {
        if (Ref<CCSprite> sprite = CCSprite::spriteWithFile(shelf)) {
            sprite->setAnchorPoint({0, 1});
            sprite->setPosition({0, y});
            shelfLayer->addChild(sprite.get(), 0);
        }
        y = std::trunc(y - shelfSize.height);
    }
}

void KVTAppCatalog::slideUp() {
    shelfCaptured = false;
    if (openButton) openButton->setVisible(false);
    if (closeButton) closeButton->setVisible(true);
    Ref<CCMoveTo> move = CCMoveTo::actionWithDuration(0.2f, posOpened);
    if (isLoaded_) {
        runAction(move.get());
        return;
    }
    runAction(CCSequence::actions({move.get(), CCCallFunc::actionWithTarget(this, [this] { asyncLoadLayer(); }).get()}).get());
    KVTAnalyticsTracker::sharedTracker()->addEvent(KVTAnalyticsTracker::openAppCatalog);
}

void KVTAppCatalog::slideDown() {
    if (openButton) openButton->setVisible(true);
    if (closeButton) closeButton->setVisible(false);
    shelfLayer->setPosition({0, static_cast<float>(shelfLayerDefaultY)});
    shelfCaptured = false;
    runAction(CCMoveTo::actionWithDuration(0.2f, posClosed).get());
}

void KVTAppCatalog::asyncLoadLayer() {
    const std::string lang =
        platform::UserDefaults::standard().objectForKey("AppleLanguages")[0].asString();
    const auto scale = static_cast<unsigned>(CCDirector::sharedDirector()->contentScaleFactor());
    const std::string url = KVTWebService::url(KVTWebService::apiHost(), "/api/",
                                               {{"appName", appName},
                                                {"lang", lang},
                                                {"isRetina", "1"},
                                                {"interfaceIdiom", KVTAppUtils::isPad() ? "iPad" : "iPhone"},
                                                {"scaleFactor", std::to_string(scale)}});
    platform::log("%s", url.c_str());
    // The list comes on a worker, like the icons: waiting for it here would
    // freeze every animation, and a page's main thread, for up to the time-out.
    if (listInFlight_) return;
    listInFlight_ = true;
    platform::runInBackground<platform::HttpResponse>(
        owner_,
        [url] {
            platform::HttpRequest request;
            request.url = url;
            request.timeoutSeconds = KVTWebService::kRequestTimeout;
            request.maxBodyBytes = kMaxListBytes;
            return platform::httpRequest(request);
        },
        [this](platform::HttpResponse& response) {
            listInFlight_ = false;
            listArrived(response);
        });
}

void KVTAppCatalog::listArrived(const platform::HttpResponse& response) {
    if (!response.gotResponse) {
        platform::log("catalogue: no answer: %s", response.error.c_str());
        const platform::Bundle& bundle = platform::Bundle::main();
        showAlert(bundle.localizedString("Error"), bundle.localizedString("CantConnectServer"));
        return;
    }
    // An error page is no list: treated like an answer without data.
    if (response.status < 200 || response.status > 299) {
        platform::log("catalogue: the service answered %ld", response.status);
        loadLayer(std::nullopt);
        return;
    }
    loadLayer(response.body);
}

void KVTAppCatalog::loadLayer(const std::optional<std::string>& data) {
    std::optional<platform::Value> reply;
    if (data && !data->empty()) {
        SBJsonParser parser;
        reply = parser.objectWithData(
            std::span(reinterpret_cast<const std::uint8_t*>(data->data()), data->size()));
        if (!reply || !reply->isDictionary() || !(*reply)["apps"].isArray()) {
            platform::log("catalogue: the answer is not a list of applications (%s)", parser.error().c_str());
            reply.reset();
        }
    }
    if (!reply) {
        // Not loaded: the next opening asks again.
        showAlert("Error", "Can't fetch data");
        return;
    }
    isLoaded_ = true;
    if (topLabel) {
        topLabel->setString((*reply)["campaignName"].asString());
        if (topLabel->texture()) topLabel->texture()->setAliasTexParameters();
    }
    const auto& apps = (*reply)["apps"].asArray();
    if (apps.size() > static_cast<std::size_t>(kMaxApps))
        platform::log("catalogue: %zu applications; showing the first %d", apps.size(), kMaxApps);
    buttonCount = static_cast<int>(std::min<std::size_t>(apps.size(), kMaxApps));
    createShelfs();
    for (int i = 0; i < buttonCount; ++i) pendingIcons_.push_back({apps[static_cast<std::size_t>(i)], std::nullopt, {}, i});
    startIconDownloads();
}

void KVTAppCatalog::startIconDownloads() {
    while (iconsInFlight_ < kIconDownloads && !pendingIcons_.empty()) {
        AsyncButtonDownloadData button = std::move(pendingIcons_.front());
        pendingIcons_.pop_front();
        ++iconsInFlight_;
        platform::runInBackground<AsyncButtonDownloadData>(
            owner_,
            [button]() mutable {
                asyncLoadButton(button);
                return button;
            },
            [this](AsyncButtonDownloadData& done) {
                --iconsInFlight_;
                if (done.sprite) addIconButtonWithData(done);
                startIconDownloads();
            });
    }
}

void KVTAppCatalog::asyncLoadButton(AsyncButtonDownloadData& button) {
    const std::string& address = button.data["image"].asString();
    platform::HttpRequest request;
    request.url = address;
    request.timeoutSeconds = kIconTimeout;
    request.maxBodyBytes = kMaxIconBytes;
    platform::HttpResponse response = platform::httpRequest(request);
    if (!response.gotResponse || response.status < 200 || response.status > 299 || response.body.empty()) {
        platform::log("catalogue: no icon from %s", address.c_str());
        return;
    }
    auto image = platform::decodeImage(reinterpret_cast<const std::uint8_t*>(response.body.data()), response.body.size());
    if (!image || image->width > kMaxIconSide || image->height > kMaxIconSide) {
        platform::log("catalogue: the icon from %s is not a picture of at most %d pixels a side", address.c_str(),
                      kMaxIconSide);
        return;
    }
    button.sprite = std::move(image);
}

void KVTAppCatalog::addIconButtonWithData(AsyncButtonDownloadData& button) {
    Ref<CCTexture2D> texture = CCTexture2D::textureWithImage(*button.sprite, iconResolution());
    if (!texture) return;
    const int t = button.tag;
    const int column = t % buttonsPerRow, row = t / buttonsPerRow;
    const float w = shadowSize.width, h = winSize.height;
    const float x = (column + 1) * (w + padding) - w * 0.5f;
    const float y = h - (row + 1) * (shelfSize.height + 1) + shelfBottomBorderWidth - plateSize.height;

    if (Ref<CCSprite> shadow = CCSprite::spriteWithFile(realFileName("shadow.png", false))) {
        shadow->setAnchorPoint({0.5f, 0});
        shadow->setPosition({x, y});
        shelfLayer->addChild(shadow.get(), 1);
    }
    if (Ref<CCMenuItemImage> item = CCMenuItemImage::itemWithNormalImage(
            realFileName("button.png", false), realFileName("button-highlight.png", false),
            [this](CCObject* sender) { menuItemClick(sender); })) {
        item->setTag(t);
        item->setAnchorPoint({0.5f, 0});
        item->setPosition({x, y});
        item->setVisible(true);
        item->setIsEnabled(true);
        catalogMenu->addChild(item.get());
    }
    if (Ref<CCSprite> icon = CCSprite::spriteWithTexture(texture.get())) {
        icon->setTag(t);
        icon->setAnchorPoint({0.5f, 0});
        icon->setPosition({x, y + plateSize.height});
        shelfLayer->addChild(icon.get(), 3);
    }
    if (Ref<CCSprite> plate = CCSprite::spriteWithFile(realFileName("plate.png", false))) {
        plate->setAnchorPoint({0.5f, 0.5f});
        plate->setPosition({x, y + plateSize.height - static_cast<float>(shelfBottomBorderWidth / 2)});
        shelfLayer->addChild(plate.get(), 4);
        if (Ref<CCLabelTTF> name = CCLabelTTF::labelWithString(button.data["displayName"].asString(), labelRectSize,
                                                                kCCTextAlignmentCenter, kCCVerticalTextAlignmentCenter,
                                                                kFont, static_cast<float>(labelFontSize))) {
            name->setColor(kLabelColor);
            if (name->texture()) name->texture()->setAliasTexParameters();
            name->setPosition({plateSize.width * 0.5f, plateSize.height * 0.5f});
            plate->addChild(name.get());
        }
    }
    appsURL[t] = button.data["link"].asString();
    appsName[t] = button.data["appName"].asString();
    KVTAnalyticsTracker::sharedTracker()->addEvent(KVTAnalyticsTracker::showApp, appsName[t]);
}

void KVTAppCatalog::menuItemClick(CCObject* sender) {
    auto* item = dynamic_cast<CCNode*>(sender);
    if (!item || !buttonsEnabled || lastTouchLocation.y >= 536) return;
    const int tag = item->tag();
    // A grown-up's check first: the click counts once it is passed.
    KVTParentalGate::ask([self = Ref<KVTAppCatalog>(this), tag] { self->openApp(tag); });
}

void KVTAppCatalog::openApp(int tag) {
    KVTAnalyticsTracker* tracker = KVTAnalyticsTracker::sharedTracker();
    tracker->addEvent(KVTAnalyticsTracker::clickApp, appsName[tag]);
    tracker->commit();
    runAction(CCSequence::actions(
                  {CCCallFunc::actionWithTarget(this, [] { KVSoundManager::sharedManager()->playSound("soundbutton.mp3"); }).get(),
                   CCDelayTime::actionWithDuration(0.5f).get(),
                   CCCallFunc::actionWithTarget(this,
                                                [this, tag] {
                                                    auto it = appsURL.find(tag);
                                                    // Only web pages: openURL refuses anything else.
                                                    if (it != appsURL.end()) platform::openURL(it->second);
                                                })
                       .get()})
                  .get());
}

void KVTAppCatalog::showAlert(const std::string& title, const std::string& message) {
    alert_ = std::make_shared<platform::ui::AlertView>(title, message, "Ok");
    alert_->show();
}

CGPoint KVTAppCatalog::convertToLayerPoint(CGPoint p) const { return {p.x, p.y - boundingBox().origin.y}; }

void KVTAppCatalog::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, -129, false);
}

bool KVTAppCatalog::ccTouchBegan(UITouch* touch, void*) {
    const CGPoint p = CCDirector::sharedDirector()->convertTouchToGL(touch);
    lastTouchLocation = p;
    shelfCaptured = false;
    if (openButton && CGRectContainsPoint(openButton->boundingBox(), convertToLayerPoint(p))) {
        if (isOpen()) slideDown();
        else slideUp();
    } else if (CGRectContainsPoint(shelfLayer->maskedRectInPoints(), p) && isOpen()) {
        shelfCaptured = true;
    }
    shelfMoved = false;
    buttonsEnabled = true;
    return true;
}

void KVTAppCatalog::ccTouchMoved(UITouch* touch, void*) {
    if (!shelfCaptured || !isOpen()) return;
    shelfMoved = true;
    buttonsEnabled = false;
    CCDirector* director = CCDirector::sharedDirector();
    const platform::Point previous = touch->previousLocationInView();
    const CGPoint now = convertToLayerPoint(director->convertTouchToGL(touch));
    const CGPoint before = convertToLayerPoint(director->convertToGL({previous.x, previous.y}));
    float y = shelfLayer->position().y + (now.y - before.y);
    if (y < shelfLayerDefaultY) {
        y = static_cast<float>(shelfLayerDefaultY);
    } else {
        const float cap = std::trunc(shelfLayerDefaultY + (drawnShelfCount() - visibleShelfCount - 1) * shelfSize.height);
        y = std::min(y, cap);
    }
    shelfLayer->setPosition({shelfLayer->position().x, y});
}

void KVTAppCatalog::ccTouchEnded(UITouch*, void*) {
    shelfMoved = false;
    runAction(CCSequence::actions({CCDelayTime::actionWithDuration(0.3f).get(),
                                   CCCallFunc::actionWithTarget(this, [this] { buttonsEnabled = true; }).get()})
                  .get());
    if (!shelfCaptured) return;
    shelfCaptured = false;
    const int shelves = shelfCount < 1 ? drawnShelfCount() : shelfCount;
    const float limit = std::max(static_cast<float>(shelfLayerDefaultY),
                                 std::trunc(shelfLayerDefaultY + shelfSize.height * (shelves - visibleShelfCount)));
    if (shelfLayer->position().y > limit)
        shelfLayer->runAction(CCMoveTo::actionWithDuration(0.2f, {shelfLayer->position().x, limit}).get());
}
