// The action manager: steps every running action once a frame, after the
// scheduled updates. It owns the actions and keeps their nodes alive until
// the actions end or are stopped.
//
// A node's actions are paused while the node is not running (they start
// paused when run on a node outside a running scene) and resume on entry.
// Actions are stepped in the order they were run. An action run while the
// manager is stepping is first stepped in the next frame. Actions that end
// or are stopped during a step are dropped at once from the counts; their
// nodes are released when the step is over.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/CCAction.h"
#include "engine/CCNode.h"

class CCActionManager {
public:
    // Starts the action on the target now; refused (with a log line) when the
    // action already runs.
    void addAction(CCAction* action, CCNode* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(CCNode* target);
    void removeAction(CCAction* action);
    void removeActionByTag(int tag, CCNode* target);
    CCAction* getActionByTag(int tag, const CCNode* target) const;
    int numberOfRunningActionsInTarget(const CCNode* target) const;
    void pauseTarget(const CCNode* target);
    void resumeTarget(const CCNode* target);
    bool isTargetPaused(const CCNode* target) const;

    // One frame.
    void update(float dt);

private:
    struct Entry {
        Ref<CCNode> target;
        std::vector<Ref<CCAction>> actions;  // null: stopped during a step
        bool paused = false;
    };
    Entry* find(const CCNode* target) const;
    // Drops the action from its entry, then stops it.
    void detach(Entry& entry, std::size_t index);
    // Removes stopped actions and, outside a step, empty entries.
    void compact();

    std::vector<std::unique_ptr<Entry>> entries_;
    std::unordered_map<const CCNode*, Entry*> byTarget_;
    bool updating_ = false;
    unsigned long frame_ = 0;  // counts steps
};
