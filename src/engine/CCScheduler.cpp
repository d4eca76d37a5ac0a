#include "engine/CCScheduler.h"

#include <algorithm>

#include "engine/CCNode.h"

CCScheduler::Entry* CCScheduler::find(const CCNode* target) {
    for (auto* list : {&entries_, &pending_})
        for (Entry& e : *list)
            if (e.target == target && !e.dead) return &e;
    return nullptr;
}

const CCScheduler::Entry* CCScheduler::find(const CCNode* target) const {
    return const_cast<CCScheduler*>(this)->find(target);
}

void CCScheduler::insertSorted(const Entry& entry) {
    auto at = std::upper_bound(entries_.begin(), entries_.end(), entry.priority,
                               [](int priority, const Entry& e) { return priority < e.priority; });
    entries_.insert(at, entry);
}

void CCScheduler::scheduleUpdateForTarget(CCNode* target, int priority, bool paused) {
    if (!target) return;
    if (Entry* e = find(target)) {
        if (e->priority == priority) {
            e->paused = paused;
            return;
        }
        unscheduleUpdateForTarget(target);
    }
    Entry entry{target, priority, paused, false};
    if (updating_)
        pending_.push_back(entry);
    else
        insertSorted(entry);
}

void CCScheduler::unscheduleUpdateForTarget(const CCNode* target) {
    std::erase_if(pending_, [target](const Entry& e) { return e.target == target; });
    if (updating_) {
        for (Entry& e : entries_)
            if (e.target == target) e.dead = true;
    } else {
        std::erase_if(entries_, [target](const Entry& e) { return e.target == target; });
    }
}

void CCScheduler::unscheduleAll() {
    pending_.clear();
    if (updating_)
        for (Entry& e : entries_) e.dead = true;
    else
        entries_.clear();
}

void CCScheduler::pauseTarget(const CCNode* target) {
    if (Entry* e = find(target)) e->paused = true;
}

void CCScheduler::resumeTarget(const CCNode* target) {
    if (Entry* e = find(target)) e->paused = false;
}

bool CCScheduler::isTargetPaused(const CCNode* target) const {
    const Entry* e = find(target);
    return e && e->paused;
}

bool CCScheduler::isScheduled(const CCNode* target) const { return find(target) != nullptr; }

void CCScheduler::update(float dt) {
    if (updating_) return;
    updating_ = true;
    // entries_ keeps its shape during the loop: new entries wait in pending_,
    // removed ones are only marked.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].dead || entries_[i].paused) continue;
        // The update may remove the node from its tree; keep it alive until it returns.
        Ref<CCNode> keep(entries_[i].target);
        keep->update(dt);
    }
    updating_ = false;
    std::erase_if(entries_, [](const Entry& e) { return e.dead; });
    std::vector<Entry> added;
    added.swap(pending_);
    for (const Entry& e : added) insertSorted(e);
}
