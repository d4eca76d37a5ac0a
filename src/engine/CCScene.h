// CCScene: the root of a tree the director runs; window-sized, positioned
// by its bottom-left corner.
#pragma once

#include "engine/CCNode.h"

class CCScene : public CCNode {
public:
    static Ref<CCScene> node();
    bool init() override;
};
