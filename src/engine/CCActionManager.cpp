#include "engine/CCActionManager.h"

#include <algorithm>

#include "platform/Log.h"

CCActionManager::Entry* CCActionManager::find(const CCNode* target) const {
    auto it = byTarget_.find(target);
    return it == byTarget_.end() ? nullptr : it->second;
}

void CCActionManager::addAction(CCAction* action, CCNode* target, bool paused) {
    if (!action || !target) return;
    if (action->managed_) {
        platform::log("CCActionManager: the action already runs; runAction ignored");
        return;
    }
    Entry* e = find(target);
    if (!e) {
        entries_.push_back(std::make_unique<Entry>());
        e = entries_.back().get();
        e->target = target;
        e->paused = paused;
        byTarget_[target] = e;
    } else if (std::none_of(e->actions.begin(), e->actions.end(), [](const auto& a) { return a != nullptr; })) {
        e->paused = paused;
    }
    action->managed_ = true;
    action->addedInFrame_ = updating_ ? frame_ : 0;
    e->actions.emplace_back(action);
    action->startWithTarget(target);
}

void CCActionManager::detach(Entry& entry, std::size_t index) {
    Ref<CCAction> action = std::move(entry.actions[index]);
    entry.actions[index] = nullptr;
    action->managed_ = false;
    action->stop();
}

void CCActionManager::removeAllActions() {
    for (auto& e : entries_)
        for (std::size_t i = 0; i < e->actions.size(); ++i)
            if (e->actions[i]) detach(*e, i);
    compact();
}

void CCActionManager::removeAllActionsFromTarget(CCNode* target) {
    Entry* e = find(target);
    if (!e) return;
    for (std::size_t i = 0; i < e->actions.size(); ++i)
        if (e->actions[i]) detach(*e, i);
    compact();
}

void CCActionManager::removeAction(CCAction* action) {
    if (!action || !action->managed_) return;
    for (auto& e : entries_) {
        for (std::size_t i = 0; i < e->actions.size(); ++i) {
            if (e->actions[i] == action) {
                detach(*e, i);
                compact();
                return;
            }
        }
    }
}

void CCActionManager::removeActionByTag(int tag, CCNode* target) {
    Entry* e = find(target);
    if (!e) return;
    for (std::size_t i = 0; i < e->actions.size(); ++i) {
        if (e->actions[i] && e->actions[i]->tag() == tag) {
            detach(*e, i);
            compact();
            return;
        }
    }
}

CCAction* CCActionManager::getActionByTag(int tag, const CCNode* target) const {
    const Entry* e = find(target);
    if (!e) return nullptr;
    for (const auto& a : e->actions)
        if (a && a->tag() == tag) return a.get();
    return nullptr;
}

int CCActionManager::numberOfRunningActionsInTarget(const CCNode* target) const {
    const Entry* e = find(target);
    if (!e) return 0;
    return static_cast<int>(std::count_if(e->actions.begin(), e->actions.end(), [](const auto& a) { return a != nullptr; }));
}

void CCActionManager::pauseTarget(const CCNode* target) {
    if (Entry* e = find(target)) e->paused = true;
}

void CCActionManager::resumeTarget(const CCNode* target) {
    if (Entry* e = find(target)) e->paused = false;
}

bool CCActionManager::isTargetPaused(const CCNode* target) const {
    const Entry* e = find(target);
    return e && e->paused;
}

void CCActionManager::update(float dt) {
    if (updating_) return;
    updating_ = true;
    ++frame_;
    // Entries appended during the loop hold only new actions.
    const std::size_t entryCount = entries_.size();
    for (std::size_t i = 0; i < entryCount; ++i) {
        Entry* e = entries_[i].get();
        for (std::size_t j = 0; j < e->actions.size() && !e->paused; ++j) {
            Ref<CCAction> action = e->actions[j];
            // Actions run during this loop wait for the next frame.
            if (!action || action->addedInFrame_ == frame_) continue;
            action->step(dt);
            // Stopped by what it ran (a block stopping its own node)?
            if (e->actions[j] != action) continue;
            if (action->isDone()) detach(*e, j);
        }
    }
    updating_ = false;
    compact();
}

void CCActionManager::compact() {
    if (updating_) return;
    // Nodes are released only once the bookkeeping is consistent: a node's
    // destructor may release further nodes.
    std::vector<Ref<CCNode>> released;
    for (auto& e : entries_) {
        std::erase_if(e->actions, [](const Ref<CCAction>& a) { return !a; });
        if (e->actions.empty()) {
            byTarget_.erase(e->target.get());
            released.push_back(std::move(e->target));
        }
    }
    std::erase_if(entries_, [](const auto& e) { return e->actions.empty(); });
}
