#include "engine/CCUIViewWrapper.h"

#include <cmath>

#include "engine/CCDirector.h"
#include "platform/ui/Window.h"

Ref<CCUIViewWrapper> CCUIViewWrapper::wrapperForUIView(std::shared_ptr<platform::ui::View> view) {
    Ref<CCUIViewWrapper> wrapper(new CCUIViewWrapper);
    wrapper->initForUIView(std::move(view));
    return wrapper;
}

bool CCUIViewWrapper::initForUIView(std::shared_ptr<platform::ui::View> view) {
    if (!init()) return false;
    setUiItem(std::move(view));
    return true;
}

CCUIViewWrapper::~CCUIViewWrapper() {
    // Destroyed while still shown (its parent went without removing it):
    // the view goes too, so no stray control stays on screen.
    if (uiItem_) uiItem_->removeFromSuperview();
    setUiItem(nullptr);
}

void CCUIViewWrapper::updateUIViewTransform() {
    if (!uiItem_) return;
    constexpr float kRadians = static_cast<float>(M_PI / 180.0);
    CGAffineTransform m = CGAffineTransformMakeTranslation(0, CCDirector::sharedDirector()->winSize().height);
    for (CCNode* n = this; n; n = n->parent()) {
        const float r = n->rotation() * kRadians;
        const CGPoint a = n->anchorPointInPoints();
        if (n->ignoreAnchorPointForPosition()) m = CGAffineTransformTranslate(m, a.x, a.y);
        const CGPoint p = n->position();
        if (CCNode* parent = n->parent()) {
            const float pr = parent->rotation() * kRadians;
            m = CGAffineTransformTranslate(m, p.x * std::cos(pr) + p.y * std::sin(pr),
                                           p.x * std::sin(pr) - p.y * std::cos(pr));
        } else {
            m = CGAffineTransformTranslate(m, p.x, -p.y);
        }
        m = CGAffineTransformRotate(m, r);
        m = CGAffineTransformScale(m, n->scaleX(), n->scaleY());
        m = CGAffineTransformTranslate(m, -a.x, -a.y);
    }
    uiItem_->setTransform({static_cast<float>(m.a), static_cast<float>(m.b), static_cast<float>(m.c),
                           static_cast<float>(m.d), static_cast<float>(m.tx), static_cast<float>(m.ty)});
}

void CCUIViewWrapper::setParent(CCNode* parent) {
    if (uiItem_) {
        if (!parent) uiItem_->removeFromSuperview();
        else platform::ui::Window::main().addSubview(uiItem_);
    }
    CCSprite::setParent(parent);
}

void CCUIViewWrapper::setPosition(CGPoint p) {
    CCSprite::setPosition(p);
    updateUIViewTransform();
}

void CCUIViewWrapper::setAnchorPoint(CGPoint p) {
    CCSprite::setAnchorPoint(p);
    updateUIViewTransform();
}

void CCUIViewWrapper::setRotation(float degrees) {
    CCSprite::setRotation(degrees);
    updateUIViewTransform();
}

void CCUIViewWrapper::setScaleX(float s) {
    CCSprite::setScaleX(s);
    updateUIViewTransform();
}

void CCUIViewWrapper::setScaleY(float s) {
    CCSprite::setScaleY(s);
    updateUIViewTransform();
}

void CCUIViewWrapper::setVisible(bool visible) {
    CCSprite::setVisible(visible);
    if (uiItem_) uiItem_->setHidden(!visible);
}

void CCUIViewWrapper::setOpacity(std::uint8_t opacity) {
    if (uiItem_) uiItem_->setAlpha(opacity / 255.0f);
    CCSprite::setOpacity(opacity);
}

void CCUIViewWrapper::setContentSize(CGSize size) {
    CCSprite::setContentSize(size);
    if (!uiItem_) return;
    uiItem_->setFrame({0, 0, size.width, size.height});
    uiItem_->setBounds({0, 0, size.width, size.height});
}

void CCUIViewWrapper::onEnter() {
    CCSprite::onEnter();
    if (uiItem_ && parent() && !uiItem_->window()) platform::ui::Window::main().addSubview(uiItem_);
}

void CCUIViewWrapper::onExit() {
    if (uiItem_) uiItem_->removeFromSuperview();
    CCSprite::onExit();
}
