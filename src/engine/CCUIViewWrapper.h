// CCUIViewWrapper: a platform view (a text field, say) taking part in the
// scene graph. The view shows in the window from when the wrapper gets a
// parent until it loses it, or its scene leaves the stage; position, anchor, rotation, scale, size,
// visibility and opacity of the node are carried over to the view when they
// are set. The view is drawn by the platform above the engine's picture.
#pragma once

#include <memory>

#include "engine/CCSprite.h"
#include "platform/ui/View.h"

class CCUIViewWrapper : public CCSprite {
public:
    static Ref<CCUIViewWrapper> wrapperForUIView(std::shared_ptr<platform::ui::View> view);
    bool initForUIView(std::shared_ptr<platform::ui::View> view);
    ~CCUIViewWrapper() override;

    const std::shared_ptr<platform::ui::View>& uiItem() const { return uiItem_; }
    // Replacing does not move either view into or out of the window.
    void setUiItem(std::shared_ptr<platform::ui::View> view) { uiItem_ = std::move(view); }
    // The view's transform from this node and its ancestors.
    void updateUIViewTransform();

    void setParent(CCNode* parent) override;
    void setPosition(CGPoint p) override;
    void setAnchorPoint(CGPoint p) override;
    void setRotation(float degrees) override;
    void setScaleX(float s) override;
    void setScaleY(float s) override;
    void setVisible(bool visible) override;
    void setOpacity(std::uint8_t opacity) override;
    void setContentSize(CGSize size) override;
    // A replaced scene takes its views out of the window with it.
    void onEnter() override;
    void onExit() override;

private:
    std::shared_ptr<platform::ui::View> uiItem_;
};
