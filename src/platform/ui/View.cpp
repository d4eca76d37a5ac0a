#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Window.h"

namespace platform::ui {

Affine Affine::then(const Affine& n) const {
    return {a * n.a + b * n.c,  a * n.b + b * n.d,  c * n.a + d * n.c,
            c * n.b + d * n.d,  tx * n.a + ty * n.c + n.tx, tx * n.b + ty * n.d + n.ty};
}

Affine Affine::inverted() const {
    const float det = a * d - b * c;
    // A view scaled to nothing has no inside: map everything far away.
    if (std::fabs(det) < 1e-12f) return {0, 0, 0, 0, -1e9f, -1e9f};
    return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

Rect View::frame() const {
    return {center_.x - size_.width / 2, center_.y - size_.height / 2, size_.width, size_.height};
}

void View::setFrame(Rect f) {
    size_.width = std::max(0.0f, f.width);
    size_.height = std::max(0.0f, f.height);
    center_ = {f.x + size_.width / 2, f.y + size_.height / 2};
}

void View::setBounds(Rect b) {
    size_.width = std::max(0.0f, b.width);
    size_.height = std::max(0.0f, b.height);
}

void View::setAlpha(float a) { alpha_ = std::clamp(a, 0.0f, 1.0f); }

void View::setHidden(bool hidden) {
    hidden_ = hidden;
    if (hidden && isFirstResponder()) resignFirstResponder();
}

void View::removeFromSuperview() {
    if (window_) window_->removeView(this);
}

Affine View::toWindow() const {
    // About the centre: move the centre to the origin, transform, move to the centre.
    return Affine::translation(-size_.width / 2, -size_.height / 2)
        .then(transform_)
        .then(Affine::translation(center_.x, center_.y));
}

bool View::containsWindowPoint(Point p) const { return bounds().contains(convertFromWindow(p)); }

bool View::becomeFirstResponder() { return window_ && window_->setFirstResponder(this); }

void View::resignFirstResponder() {
    if (isFirstResponder()) window_->endEditing();
}

bool View::isFirstResponder() const { return window_ && window_->firstResponder() == this; }

void View::draw(Painter& painter, double) {
    if (background_.a > 0) painter.fill(bounds(), toWindow(), faded(background_));
}

}  // namespace platform::ui
