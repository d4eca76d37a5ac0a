// Touch delivery. The platform hands each batch of touches to the director's
// dispatcher, which offers them to delegates:
//
// - Targeted delegates, in ascending priority (among equal priorities the
//   one registered last first), are offered each new touch through
//   ccTouchBegan. One that answers true claims the touch and alone receives
//   its moves, end or cancellation; one that also swallows hides the touch
//   from every delegate after it.
// - Standard delegates then receive, as one set, the touches no targeted
//   delegate swallowed.
//
// Registrations and removals made while a batch is being dispatched take
// effect once it is done. Delegates are not retained; one that is destroyed
// drops out of the dispatcher at once, even in the middle of a batch.
//
// Touch locations are in view points, origin top-left: convert them with the
// director's convertToGL. The event argument is always null.
#pragma once

#include <vector>

#include "platform/Application.h"

using UITouch = platform::Touch;
using CCTouchSet = platform::TouchSet;

class CCTouchDispatcher;

// The identity the dispatcher knows a delegate by.
class CCTouchDelegate {
public:
    virtual ~CCTouchDelegate();
};

class CCTargetedTouchDelegate : public virtual CCTouchDelegate {
public:
    // True claims the touch.
    virtual bool ccTouchBegan(UITouch* touch, void* event) { return false; }
    virtual void ccTouchMoved(UITouch* touch, void* event) {}
    virtual void ccTouchEnded(UITouch* touch, void* event) {}
    virtual void ccTouchCancelled(UITouch* touch, void* event) {}
};

class CCStandardTouchDelegate : public virtual CCTouchDelegate {
public:
    virtual void ccTouchesBegan(const CCTouchSet& touches, void* event) {}
    virtual void ccTouchesMoved(const CCTouchSet& touches, void* event) {}
    virtual void ccTouchesEnded(const CCTouchSet& touches, void* event) {}
    virtual void ccTouchesCancelled(const CCTouchSet& touches, void* event) {}
};

// Priorities the engine uses.
inline constexpr int kCCMenuTouchPriority = -128;

class CCTouchDispatcher : public platform::TouchHandler {
public:
    // A delegate already registered of the same kind is left as it is.
    void addTargetedDelegate(CCTargetedTouchDelegate* delegate, int priority, bool swallowsTouches);
    void addStandardDelegate(CCStandardTouchDelegate* delegate, int priority);
    // Removes the delegate from both kinds.
    void removeDelegate(CCTouchDelegate* delegate);
    void removeAllDelegates();

    // While false, touches are dropped.
    void setDispatchEvents(bool dispatch) { dispatchEvents_ = dispatch; }
    bool isDispatchEvents() const { return dispatchEvents_; }
    bool isDispatching() const { return dispatching_ > 0; }
    // Registered now (pending changes not counted); for diagnostics and tests.
    bool isTargetedDelegate(const CCTouchDelegate* delegate) const;
    bool isStandardDelegate(const CCTouchDelegate* delegate) const;

    // platform::TouchHandler
    void touchesBegan(const CCTouchSet& touches) override;
    void touchesMoved(const CCTouchSet& touches) override;
    void touchesEnded(const CCTouchSet& touches) override;
    void touchesCancelled(const CCTouchSet& touches) override;

private:
    friend class CCTouchDelegate;
    enum class Phase { Began, Moved, Ended, Cancelled };
    struct Handler {
        CCTouchDelegate* key = nullptr;  // null once the delegate is gone
        CCTargetedTouchDelegate* targeted = nullptr;
        CCStandardTouchDelegate* standard = nullptr;
        int priority = 0;
        bool swallows = false;
        std::vector<UITouch*> claimed;
    };
    struct Change {
        enum Kind { Add, Remove, RemoveAll } kind;
        Handler handler;  // Add: the new handler; Remove: its key
    };

    void dispatch(const CCTouchSet& touches, Phase phase);
    void apply(Change change);
    // Called by a delegate's destructor.
    void forget(CCTouchDelegate* delegate);

    std::vector<Handler> targeted_;
    std::vector<Handler> standard_;
    std::vector<Change> pending_;
    int dispatching_ = 0;
    bool dispatchEvents_ = true;
};
