#include "engine/CCTouchDispatcher.h"

#include <algorithm>

#include "engine/CCDirector.h"

CCTouchDelegate::~CCTouchDelegate() { CCDirector::sharedDirector()->touchDispatcher()->forget(this); }

namespace {

bool contains(const std::vector<UITouch*>& touches, const UITouch* touch) {
    return std::find(touches.begin(), touches.end(), touch) != touches.end();
}

}  // namespace

void CCTouchDispatcher::addTargetedDelegate(CCTargetedTouchDelegate* delegate, int priority, bool swallowsTouches) {
    if (!delegate) return;
    Handler h;
    h.key = delegate;
    h.targeted = delegate;
    h.priority = priority;
    h.swallows = swallowsTouches;
    apply({Change::Add, std::move(h)});
}

void CCTouchDispatcher::addStandardDelegate(CCStandardTouchDelegate* delegate, int priority) {
    if (!delegate) return;
    Handler h;
    h.key = delegate;
    h.standard = delegate;
    h.priority = priority;
    apply({Change::Add, std::move(h)});
}

void CCTouchDispatcher::removeDelegate(CCTouchDelegate* delegate) {
    if (!delegate) return;
    Handler h;
    h.key = delegate;
    apply({Change::Remove, std::move(h)});
}

void CCTouchDispatcher::removeAllDelegates() { apply({Change::RemoveAll, {}}); }

void CCTouchDispatcher::apply(Change change) {
    if (dispatching_ > 0) {
        pending_.push_back(std::move(change));
        return;
    }
    switch (change.kind) {
        case Change::Add: {
            auto& list = change.handler.targeted ? targeted_ : standard_;
            CCTouchDelegate* key = change.handler.key;
            if (std::any_of(list.begin(), list.end(), [key](const Handler& h) { return h.key == key; })) return;
            // Before the first of equal or higher priority: the newest of a
            // priority comes first.
            auto at = std::find_if(list.begin(), list.end(),
                                   [&](const Handler& h) { return h.priority >= change.handler.priority; });
            list.insert(at, std::move(change.handler));
            break;
        }
        case Change::Remove: {
            CCTouchDelegate* key = change.handler.key;
            for (auto* list : {&targeted_, &standard_})
                std::erase_if(*list, [key](const Handler& h) { return h.key == key; });
            break;
        }
        case Change::RemoveAll:
            targeted_.clear();
            standard_.clear();
            break;
    }
}

void CCTouchDispatcher::forget(CCTouchDelegate* delegate) {
    std::erase_if(pending_, [delegate](const Change& c) { return c.handler.key == delegate; });
    for (auto* list : {&targeted_, &standard_}) {
        if (dispatching_ > 0) {
            // The lists keep their shape while a batch walks them.
            for (Handler& h : *list) {
                if (h.key != delegate) continue;
                h.key = nullptr;
                h.targeted = nullptr;
                h.standard = nullptr;
            }
        } else {
            std::erase_if(*list, [delegate](const Handler& h) { return h.key == delegate; });
        }
    }
}

bool CCTouchDispatcher::isTargetedDelegate(const CCTouchDelegate* delegate) const {
    return std::any_of(targeted_.begin(), targeted_.end(), [delegate](const Handler& h) { return h.key == delegate; });
}

bool CCTouchDispatcher::isStandardDelegate(const CCTouchDelegate* delegate) const {
    return std::any_of(standard_.begin(), standard_.end(), [delegate](const Handler& h) { return h.key == delegate; });
}

void CCTouchDispatcher::touchesBegan(const CCTouchSet& touches) { dispatch(touches, Phase::Began); }
void CCTouchDispatcher::touchesMoved(const CCTouchSet& touches) { dispatch(touches, Phase::Moved); }
void CCTouchDispatcher::touchesEnded(const CCTouchSet& touches) { dispatch(touches, Phase::Ended); }
void CCTouchDispatcher::touchesCancelled(const CCTouchSet& touches) { dispatch(touches, Phase::Cancelled); }

void CCTouchDispatcher::dispatch(const CCTouchSet& touches, Phase phase) {
    if (!dispatchEvents_ || touches.empty()) return;
    ++dispatching_;
    CCTouchSet unswallowed = touches;
    for (UITouch* touch : touches) {
        // Index loop: handlers that die during the batch are only blanked.
        for (std::size_t i = 0; i < targeted_.size(); ++i) {
            Handler& h = targeted_[i];
            if (!h.targeted) continue;
            bool claimed = false;
            if (phase == Phase::Began) {
                claimed = h.targeted->ccTouchBegan(touch, nullptr);
                if (claimed && h.targeted) h.claimed.push_back(touch);
            } else if (contains(h.claimed, touch)) {
                claimed = true;
                // A touch that ended is forgotten first: its object dies after this batch.
                if (phase != Phase::Moved) std::erase(h.claimed, touch);
                switch (phase) {
                    case Phase::Moved: h.targeted->ccTouchMoved(touch, nullptr); break;
                    case Phase::Ended: h.targeted->ccTouchEnded(touch, nullptr); break;
                    case Phase::Cancelled: h.targeted->ccTouchCancelled(touch, nullptr); break;
                    case Phase::Began: break;
                }
            }
            if (claimed && h.swallows) {
                std::erase(unswallowed, touch);
                break;
            }
        }
    }
    if (!unswallowed.empty()) {
        for (std::size_t i = 0; i < standard_.size(); ++i) {
            CCStandardTouchDelegate* d = standard_[i].standard;
            if (!d) continue;
            switch (phase) {
                case Phase::Began: d->ccTouchesBegan(unswallowed, nullptr); break;
                case Phase::Moved: d->ccTouchesMoved(unswallowed, nullptr); break;
                case Phase::Ended: d->ccTouchesEnded(unswallowed, nullptr); break;
                case Phase::Cancelled: d->ccTouchesCancelled(unswallowed, nullptr); break;
            }
        }
    }
    if (--dispatching_ > 0) return;
    // Handlers of delegates that died during the batch go now.
    for (auto* list : {&targeted_, &standard_}) std::erase_if(*list, [](const Handler& h) { return !h.key; });
    std::vector<Change> changes;
    changes.swap(pending_);
    for (Change& c : changes) apply(std::move(c));
}
