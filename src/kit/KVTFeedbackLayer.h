// The feedback form over the main menu: a card that flies in with a name
// field, an e-mail field and a message box (platform text controls laid over
// the picture while the card is open), send and close buttons and two
// buttons for the publisher's social pages (behind the parental gate). While
// it is open a dimmer covers the window and the layer takes every touch.
//
// Sending posts the three texts to the API host on a thread of its own. A
// message that cannot be delivered now (no connection, time-out, a 5xx, 408
// or 429 answer) waits in an outbox file in the documents directory, the 20
// newest at most, and is sent again when the game next starts; one the
// service refuses for good (any other 4xx) is dropped and logged.
#pragma once

#include <memory>
#include <string>

#include "engine/CCLayer.h"
#include "engine/CCSprite.h"
#include "kit/KVTWebService.h"
#include "scenefile/CCBReader.h"

namespace platform::ui {
class TextField;
class TextView;
}  // namespace platform::ui

class KVTFeedbackLayer : public CCLayer, public CCBNodeLoadListener {
public:
    static constexpr const char* kOutboxFile = "feedback-outbox.plist";

    static void registerWithReader();
    // The layer from this device's scene file; null (logged) when it cannot be read.
    static Ref<KVTFeedbackLayer> node();
    ~KVTFeedbackLayer() override;

    void didLoadFromCCB() override;
    void showForm();
    void hideForm();
    void hideFormWithCloseAnimation();
    void hideFormWithSendAnimation();
    void createUIControls();
    void removeUIControls();
    void sendFeedback();
    void sendFacebook();
    void sendTwitter();
    void updateButtonsStatesWithTouchPoint(CGPoint p);
    bool isFormOpen() const { return formOpen_; }
    // Where the open card hides what lies under it, in world points; empty
    // while the card is away or moving.
    CGRect opaqueCardRect() const;
    // What is drawn from here on (the card and what lies on it) is not hidden
    // by the card.
    void draw() override;

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;
    void cleanup() override;

    // One message as the service takes it.
    struct Message {
        std::string name, email, text;
    };
    // The request, on a worker thread: true when the service took it. A
    // message it could not deliver yet goes to the outbox.
    static bool asynchSendFeedback(const Message& message, const KVTAppIdentity& app, const std::string& apiHost);
    // "actions[0][actionType]=feedback&actions[0][name]=..." with each value
    // form-encoded.
    static std::string requestBody(const Message& message);
    // Sends what the outbox holds; what can still go later stays. Worker thread.
    static void sendOutbox(const KVTAppIdentity& app, const std::string& apiHost);
    // The same on a worker, for this application and service.
    static void sendOutboxInBackground();

    // Bound from the scene file (the layer's children and the card's).
    CCSprite* formFeedback = nullptr;
    CCSprite* buttonInfo = nullptr;
    CCSprite* buttonSend = nullptr;
    CCSprite* buttonClose = nullptr;
    CCSprite* buttonFacebook = nullptr;
    CCSprite* buttonTwitter = nullptr;
    CCSprite* buttonFacebookIcon = nullptr;
    CCSprite* buttonTwitterIcon = nullptr;
    CCNode* textLabel = nullptr;
    CCSprite* background = nullptr;

    std::shared_ptr<platform::ui::TextView> textView;
    std::shared_ptr<platform::ui::TextField> fieldName;
    std::shared_ptr<platform::ui::TextField> fieldEmail;
    CGRect textViewRect, fieldNameRect, fieldEmailRect;
    CGRect textViewRectUI, fieldNameRectUI, fieldEmailRectUI;
    CGPoint formPosition, formPositionHidden;
    Message message;  // the texts taken by the last send

private:
    // Opens a social page once the parental gate is passed.
    void openPage(const char* address);
    void showUIControls(bool shown);

    bool formOpen_ = false;
    CGPoint iconFacebookPos_, iconTwitterPos_;
};
