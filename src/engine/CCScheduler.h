// The scheduler: calls the update(dt) of scheduled nodes once a frame, in
// ascending priority (0 by default; particle systems use 1 so that they run
// after the nodes they follow), equal priorities in the order they were
// scheduled.
//
// A node's updates are paused while it is not running and resume when it
// enters. Nodes are not retained: a node that dies is unscheduled by its
// destructor. Scheduling during a frame's updates takes effect from the next
// frame; unscheduling takes effect at once.
#pragma once

#include <vector>

class CCNode;

class CCScheduler {
public:
    // Scheduling a scheduled node again moves it to the new priority.
    void scheduleUpdateForTarget(CCNode* target, int priority, bool paused);
    void unscheduleUpdateForTarget(const CCNode* target);
    void unscheduleAll();
    void pauseTarget(const CCNode* target);
    void resumeTarget(const CCNode* target);
    bool isTargetPaused(const CCNode* target) const;
    bool isScheduled(const CCNode* target) const;

    // One frame: dt seconds have passed.
    void update(float dt);

private:
    struct Entry {
        CCNode* target = nullptr;
        int priority = 0;
        bool paused = false;
        bool dead = false;  // unscheduled during a frame's updates
    };
    Entry* find(const CCNode* target);
    const Entry* find(const CCNode* target) const;
    void insertSorted(const Entry& entry);

    std::vector<Entry> entries_;
    std::vector<Entry> pending_;  // scheduled during update()
    bool updating_ = false;
};
