#include "kit/KVTFeedbackLayer.h"

#include <cmath>
#include <filesystem>
#include <mutex>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCRenderer.h"
#include "engine/CCTextureCache.h"
#include "engine/CCTouchDispatcher.h"
#include "kit/KVTFeedbackLimits.h"
#include "kit/KVTParentalGate.h"
#include "platform/BackgroundWork.h"
#include "platform/Files.h"
#include "platform/Http.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/ui/TextControl.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kSendTimeout = 30;
// Messages waiting for the service; a game offline for months keeps the newest.
constexpr std::size_t kOutboxSize = 20;

CGSize window() { return CCDirector::sharedDirector()->winSize(); }

bool contains(const CCNode* node, CGPoint p) { return node && CGRectContainsPoint(node->boundingBox(), p); }

// The outbox is read and rewritten by any worker: one at a time.
std::mutex& outboxLock() {
    static std::mutex lock;
    return lock;
}

std::string outboxPath() { return platform::documentsDirectory() + "/" + KVTFeedbackLayer::kOutboxFile; }

platform::Value readOutbox() {
    auto read = platform::readPropertyListFile(outboxPath());
    if (read && read->isArray()) return *read;
    if (read) platform::log("feedback: the outbox is not a list; starting a new one");
    return platform::Value(platform::Value::Array{});
}

void writeOutbox(platform::Value messages) {
    if (messages.size() > kOutboxSize) {
        const std::size_t dropped = messages.size() - kOutboxSize;
        const auto& all = messages.asArray();
        messages = platform::Value(platform::Value::Array(all.end() - static_cast<std::ptrdiff_t>(kOutboxSize), all.end()));
        platform::log("feedback: the outbox holds %zu messages at most; the %zu oldest dropped", kOutboxSize, dropped);
    }
    if (messages.size() == 0) {
        std::error_code ignored;
        std::filesystem::remove(outboxPath(), ignored);
        return;
    }
    if (!platform::writePropertyListFile(outboxPath(), messages, platform::PlistFormat::Xml))
        platform::log("feedback: cannot keep the message for later");
}

platform::Value toValue(const KVTFeedbackLayer::Message& m) {
    platform::Value v;
    v.set("name", m.name);
    v.set("email", m.email);
    v.set("text", m.text);
    return v;
}

enum class Delivery { taken, later, refused };

// A request with the message. A 4xx answer is the service saying no for
// good, except 408 and 429, which ask to come back later.
Delivery post(const KVTFeedbackLayer::Message& message, const KVTAppIdentity& app, const std::string& apiHost) {
    platform::HttpRequest request;
    request.url = KVTWebService::url(apiHost, "/api/qz_app_api.php",
                                     {{"auth_token", app.authToken()}, {"appName", app.name}, {"appVersion", app.version}});
    request.method = "POST";
    request.contentType = "application/x-www-form-urlencoded; charset=utf-8";
    request.body = KVTFeedbackLayer::requestBody(message);
    request.timeoutSeconds = kSendTimeout;
    request.maxBodyBytes = 64 * 1024;
    const platform::HttpResponse response = platform::httpRequest(request);
    const long status = response.status;
    if (response.gotResponse && status >= 200 && status <= 299) return Delivery::taken;
    if (response.gotResponse && status >= 400 && status <= 499 && status != 408 && status != 429) {
        platform::log("feedback: the service refused the message (status %ld: %s); dropped", status,
                      response.body.substr(0, 200).c_str());
        return Delivery::refused;
    }
    platform::log("feedback: not delivered (%s)",
                  response.gotResponse ? ("status " + std::to_string(status)).c_str() : response.error.c_str());
    return Delivery::later;
}

}  // namespace

void KVTFeedbackLayer::registerWithReader() {
    CCBClassBuilder<KVTFeedbackLayer>("KVTFeedbackLayer")
        .member("formFeedback", &KVTFeedbackLayer::formFeedback)
        .member("buttonInfo", &KVTFeedbackLayer::buttonInfo)
        .member("buttonSend", &KVTFeedbackLayer::buttonSend)
        .member("buttonClose", &KVTFeedbackLayer::buttonClose)
        .member("buttonFacebook", &KVTFeedbackLayer::buttonFacebook)
        .member("buttonTwitter", &KVTFeedbackLayer::buttonTwitter)
        .member("buttonFacebookIcon", &KVTFeedbackLayer::buttonFacebookIcon)
        .member("buttonTwitterIcon", &KVTFeedbackLayer::buttonTwitterIcon)
        .member("textLabel", &KVTFeedbackLayer::textLabel)
        .add();
}

Ref<KVTFeedbackLayer> KVTFeedbackLayer::node() {
    const std::string file = KVTAppUtils::isPad() ? "feedback-form~ipad.ccb" : "feedback-form~iphone.ccb";
    Ref<CCNode> root = CCBReader::nodeGraphFromFile(file);
    Ref<KVTFeedbackLayer> layer(dynamic_cast<KVTFeedbackLayer*>(root.get()));
    if (!layer || !layer->formFeedback) {
        platform::log("feedback: %s does not hold a feedback form", file.c_str());
        return nullptr;
    }
    // Messages an earlier run could not deliver go out once a run.
    static bool outboxSent = false;
    if (!outboxSent) {
        outboxSent = true;
        sendOutboxInBackground();
    }
    return layer;
}

void KVTFeedbackLayer::sendOutboxInBackground() {
    platform::runInBackground([app = KVTAppIdentity::current(), host = KVTWebService::apiHost()] { sendOutbox(app, host); });
}

KVTFeedbackLayer::~KVTFeedbackLayer() { removeUIControls(); }

void KVTFeedbackLayer::didLoadFromCCB() {
    if (!formFeedback) return;
    const CGSize win = window();
    const bool pad = KVTAppUtils::isPad();
    if (buttonFacebookIcon) iconFacebookPos_ = buttonFacebookIcon->position();
    if (buttonTwitterIcon) iconTwitterPos_ = buttonTwitterIcon->position();
    formPosition = formFeedback->position();
    formPositionHidden = {formPosition.x + win.width, formPosition.y + win.height};

    const CGPoint f = formFeedback->boundingBox().origin;
    const int fx = static_cast<int>(f.x), fy = static_cast<int>(f.y);
    auto rect = [](int x, int y, int w, int h) { return CGRectMake(x, y, w, h); };
    textViewRect = pad ? rect(fx + 65, fy + 130, 550, 220) : rect(fx + 30, fy + 100, 282, 103);
    fieldEmailRect = pad ? rect(fx + 155, fy + 365, 380, 24) : rect(fx + 85, fy + 207, 180, 16);
    fieldNameRect = pad ? rect(fx + 155, fy + 405, 380, 24) : rect(fx + 85, fy + 227, 180, 16);
    auto toUI = [&](const CGRect& r) {
        const CGPoint top = CCDirector::sharedDirector()->convertToUI(
            {r.origin.x, static_cast<float>(static_cast<int>(r.origin.y) + static_cast<int>(r.size.height))});
        return CGRectMake(static_cast<int>(top.x), static_cast<int>(top.y), r.size.width, r.size.height);
    };
    textViewRectUI = toUI(textViewRect);
    fieldNameRectUI = toUI(fieldNameRect);
    fieldEmailRectUI = toUI(fieldEmailRect);

    if (Ref<CCTexture2D> dot = CCTextureCache::sharedTextureCache()->addImage("feedback-dot.png")) {
        Ref<CCSprite> dimmer = CCSprite::spriteWithTexture(dot.get(), CGRectMake(0, 0, win.width, win.height));
        dimmer->setAnchorPoint({0, 0});
        dimmer->setIgnoreAnchorPointForPosition(false);
        addChild(dimmer.get(), -1);
        background = dimmer.get();
    }

    const platform::Value& strings = SettingsManager::sharedManager()->settings()["FeedbackStrings"];
    auto label = [&](const char* key, const char* font, float phone, float tablet, CGPoint phonePos, CGPoint tabletPos,
                     ccColor3B color) {
        Ref<CCLabelTTF> l = CCLabelTTF::labelWithString(strings[key].asString(), font, pad ? tablet : phone);
        if (!l) return;
        l->setColor(color);
        l->setPosition(pad ? tabletPos : phonePos);
        formFeedback->addChild(l.get());
    };
    label("WriteToUs", "P22UndergroundCYPro-Book", 20, 45, {173, 272}, {346, 480}, ccWHITE);
    label("Name", "Arial", 14, 22, {55, 236}, {112, 418}, ccBLACK);
    label("Email", "Arial", 14, 22, {55, 215}, {112, 377}, ccBLACK);
    label("Facebook", "P22UndergroundCYPro-Book", 10, 25, {57, 25}, {175, 525}, ccWHITE);
    label("Twitter", "P22UndergroundCYPro-Book", 10, 25, {286, 25}, {575, 525}, ccWHITE);
    if (buttonSend) {
        const std::string send = strings["Send"].asString();
        const float size = pad ? 45 : 20;
        const CGPoint face{buttonSend->position().x, buttonSend->position().y - (pad ? 5.0f : 0.0f)};
        Ref<CCLabelTTF> shadow = CCLabelTTF::labelWithString(send, "P22UndergroundCYPro-Medium", size);
        Ref<CCLabelTTF> front = CCLabelTTF::labelWithString(send, "P22UndergroundCYPro-Medium", size);
        if (shadow && front) {
            shadow->setColor({67, 106, 9});
            shadow->setPosition({face.x + 1, face.y - 2});
            front->setPosition(face);
            formFeedback->addChild(shadow.get(), 20);
            formFeedback->addChild(front.get(), 20);
        }
    }

    hideForm();
    setIsTouchEnabled(true);
}

void KVTFeedbackLayer::showForm() {
    formOpen_ = true;
    if (buttonSend) buttonSend->setColor(ccWHITE);
    if (background) {
        background->setPosition({0, 0});
        background->setVisible(true);
    }
    formFeedback->stopAllActions();
    formFeedback->runAction(CCSequence::actions({CCSpawn::actions({CCMoveTo::actionWithDuration(0.3f, formPosition).get(),
                                                                   CCRotateTo::actionWithDuration(0.3f, 0).get()})
                                                     .get(),
                                                 CCCallFunc::actionWithTarget(this, [this] { createUIControls(); }).get()})
                                .get());
}

CGRect KVTFeedbackLayer::opaqueCardRect() const {
    // The controls come once the card has landed, and go when it leaves.
    if (!formOpen_ || !textView || !formFeedback || !isVisible() || formFeedback->numberOfRunningActions() > 0)
        return {};
    // The card's rounded corners and outline lie within this margin of its edge.
    const float margin = KVTAppUtils::isPad() ? 12.0f : 6.0f;
    const CGRect box = CGRectApplyAffineTransform(formFeedback->boundingBox(), nodeToWorldTransform());
    // Whole pixels inward, so that the pieces of what it hides meet pixel edges.
    const float scale = CCDirector::sharedDirector()->contentScaleFactor();
    const float x0 = std::ceil((box.origin.x + margin) * scale) / scale;
    const float y0 = std::ceil((box.origin.y + margin) * scale) / scale;
    const float x1 = std::floor((box.origin.x + box.size.width - margin) * scale) / scale;
    const float y1 = std::floor((box.origin.y + box.size.height - margin) * scale) / scale;
    return x1 > x0 && y1 > y0 ? CGRectMake(x0, y0, x1 - x0, y1 - y0) : CGRect{};
}

void KVTFeedbackLayer::draw() {
    CCRenderer::shared().clearOccluder();
    CCLayer::draw();
}

void KVTFeedbackLayer::createUIControls() {
    if (textView) removeUIControls();
    const bool pad = KVTAppUtils::isPad();
    auto frame = [](const CGRect& r) {
        return platform::ui::Rect{r.origin.x, r.origin.y, r.size.width, r.size.height};
    };
    const platform::ui::Color halfWhite{1, 1, 1, 0.5f};
    textView = std::make_shared<platform::ui::TextView>(frame(textViewRectUI));
    textView->setBackgroundColor(halfWhite);
    textView->setFont("Arial", pad ? 24 : 14);
    textView->setMaxLength(KVTFeedbackLimits::kText);
    fieldName = std::make_shared<platform::ui::TextField>(frame(fieldNameRectUI));
    fieldEmail = std::make_shared<platform::ui::TextField>(frame(fieldEmailRectUI));
    fieldName->setMaxLength(KVTFeedbackLimits::kName);
    fieldEmail->setMaxLength(KVTFeedbackLimits::kEmail);
    for (const auto& field : {fieldName, fieldEmail}) {
        field->setBackgroundColor(halfWhite);
        field->setFont("Arial", pad ? 18 : 12);
    }
    platform::ui::Window& window = platform::ui::Window::main();
    window.addSubview(textView);
    window.addSubview(fieldName);
    window.addSubview(fieldEmail);
}

void KVTFeedbackLayer::removeUIControls() {
    if (textView) textView->removeFromSuperview();
    if (fieldName) fieldName->removeFromSuperview();
    if (fieldEmail) fieldEmail->removeFromSuperview();
    textView = nullptr;
    fieldName = nullptr;
    fieldEmail = nullptr;
}

void KVTFeedbackLayer::hideForm() {
    formOpen_ = false;
    if (background) {
        background->setVisible(false);
        background->setPosition(formPositionHidden);
    }
    removeUIControls();
    formFeedback->setPosition(formPositionHidden);
    formFeedback->setRotation(-90);
    formFeedback->setScale(1.0f);
}

void KVTFeedbackLayer::hideFormWithCloseAnimation() {
    removeUIControls();
    formFeedback->runAction(
        CCSequence::actions({CCSpawn::actions({CCMoveTo::actionWithDuration(0.3f, formPositionHidden).get(),
                                               CCRotateTo::actionWithDuration(0.3f, -45).get()})
                                 .get(),
                             CCCallFunc::actionWithTarget(this, [this] { hideForm(); }).get()})
            .get());
}

void KVTFeedbackLayer::hideFormWithSendAnimation() {
    removeUIControls();
    const CGPoint up{formPosition.x, formPosition.y + window().height};
    formFeedback->runAction(CCSequence::actions({CCSpawn::actions({CCMoveTo::actionWithDuration(0.5f, up).get(),
                                                                   CCScaleTo::actionWithDuration(0.5f, 0.2f).get()})
                                                     .get(),
                                                 CCCallFunc::actionWithTarget(this, [this] { hideForm(); }).get()})
                                .get());
}

std::string KVTFeedbackLayer::requestBody(const Message& m) {
    // Every byte but letters, digits and "-._~" escaped, so "&", "=" and "+"
    // in a message cannot break the form apart.
    return "actions[0][actionType]=feedback&actions[0][name]=" + platform::percentEncode(m.name) +
           "&actions[0][email]=" + platform::percentEncode(m.email) +
           "&actions[0][text]=" + platform::percentEncode(m.text);
}

bool KVTFeedbackLayer::asynchSendFeedback(const Message& m, const KVTAppIdentity& app, const std::string& apiHost) {
    if (app.token.empty()) return false;
    const Delivery delivery = post(m, app, apiHost);
    if (delivery != Delivery::later) return delivery == Delivery::taken;
    std::lock_guard<std::mutex> hold(outboxLock());
    platform::Value messages = readOutbox();
    messages.push(toValue(m));
    writeOutbox(messages);
    return false;
}

void KVTFeedbackLayer::sendOutbox(const KVTAppIdentity& app, const std::string& apiHost) {
    if (app.token.empty()) return;
    std::lock_guard<std::mutex> hold(outboxLock());
    const platform::Value messages = readOutbox();
    if (messages.size() == 0) return;
    platform::Value left(platform::Value::Array{});
    std::size_t delivered = 0;
    for (const platform::Value& m : messages.asArray()) {
        const Message message{m["name"].asString(), m["email"].asString(), m["text"].asString()};
        const Delivery delivery = platform::backgroundWorkEnding() ? Delivery::later : post(message, app, apiHost);
        if (delivery == Delivery::later) left.push(m);
        delivered += delivery == Delivery::taken;
    }
    platform::log("feedback: %zu of %zu kept messages delivered", delivered, messages.size());
    writeOutbox(left);
}

void KVTFeedbackLayer::sendFeedback() {
    message = {fieldName ? fieldName->text() : "", fieldEmail ? fieldEmail->text() : "",
               textView ? textView->text() : ""};
    KVSoundManager::sharedManager()->playButtonSound();
    // Each send takes its own copy of the texts and of who the game is.
    platform::runInBackground([m = message, app = KVTAppIdentity::current(), host = KVTWebService::apiHost()] {
        asynchSendFeedback(m, app, host);
    });
    hideFormWithSendAnimation();
}

void KVTFeedbackLayer::sendFacebook() { openPage(NM_FACEBOOK_PAGE); }

void KVTFeedbackLayer::sendTwitter() { openPage(NM_TWITTER_PAGE); }

void KVTFeedbackLayer::openPage(const char* address) {
    // A grown-up's check first. The text controls lie over the picture and
    // would take the taps meant for its keys: hidden while it is shown.
    showUIControls(false);
    KVTParentalGate::ask(
        [address] {
            KVSoundManager::sharedManager()->playButtonSound();
            platform::openURL(address);
        },
        [self = Ref<KVTFeedbackLayer>(this)] { self->showUIControls(true); });
}

void KVTFeedbackLayer::showUIControls(bool shown) {
    for (const auto& control : std::initializer_list<std::shared_ptr<platform::ui::TextControl>>{textView, fieldName, fieldEmail})
        if (control) control->setHidden(!shown);
}

void KVTFeedbackLayer::updateButtonsStatesWithTouchPoint(CGPoint p) {
    if (buttonFacebookIcon) buttonFacebookIcon->setPosition(iconFacebookPos_);
    if (buttonTwitterIcon) buttonTwitterIcon->setPosition(iconTwitterPos_);
    const CGPoint o = formFeedback->boundingBox().origin;
    const CGPoint q{p.x - o.x, p.y - o.y};
    const float d = KVTAppUtils::isPad() ? 5 : 2;
    if (contains(buttonFacebook, q)) {
        if (buttonFacebookIcon) buttonFacebookIcon->setPosition({iconFacebookPos_.x, iconFacebookPos_.y - d});
    } else if (contains(buttonTwitter, q)) {
        if (buttonTwitterIcon) buttonTwitterIcon->setPosition({iconTwitterPos_.x, iconTwitterPos_.y - d});
    }
}

void KVTFeedbackLayer::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, -1000, true);
}

bool KVTFeedbackLayer::ccTouchBegan(UITouch* touch, void*) {
    const CGPoint p = CCDirector::sharedDirector()->convertTouchToGL(touch);
    updateButtonsStatesWithTouchPoint(p);
    for (const auto& child : children())
        if (contains(child.get(), p)) return true;
    return false;
}

void KVTFeedbackLayer::ccTouchMoved(UITouch* touch, void*) {
    updateButtonsStatesWithTouchPoint(CCDirector::sharedDirector()->convertTouchToGL(touch));
}

void KVTFeedbackLayer::ccTouchEnded(UITouch* touch, void*) {
    const CGPoint p = CCDirector::sharedDirector()->convertTouchToGL(touch);
    const CGPoint o = formFeedback->boundingBox().origin;
    const CGPoint q{p.x - o.x, p.y - o.y};
    updateButtonsStatesWithTouchPoint({0, 0});
    if (contains(buttonInfo, p)) {
        if (!formOpen_) showForm();
    } else if (contains(buttonFacebook, q)) {
        sendFacebook();
    } else if (contains(buttonTwitter, q)) {
        sendTwitter();
    } else if (contains(buttonSend, q)) {
        sendFeedback();
    } else if (contains(buttonClose, q)) {
        hideFormWithCloseAnimation();
    }
    // A tap outside a control puts its keyboard away.
    const std::pair<platform::ui::TextControl*, const CGRect*> controls[] = {
        {textView.get(), &textViewRect}, {fieldName.get(), &fieldNameRect}, {fieldEmail.get(), &fieldEmailRect}};
    for (auto [control, area] : controls)
        if (control && !CGRectContainsPoint(*area, p)) control->resignFirstResponder();
}

void KVTFeedbackLayer::cleanup() {
    removeUIControls();
    CCLayer::cleanup();
}
