#include "platform/ui/AlertView.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Window.h"

namespace platform::ui {

namespace {

constexpr float kMargin = 16;        // inside the box, points
constexpr float kButtonHeight = 44;
constexpr float kTitleSize = 17;
constexpr float kMessageSize = 14;
const char* const kFont = "Arial";

}  // namespace

AlertView::AlertView(std::string title, std::string message, std::string buttonTitle)
    : title_(std::move(title)), message_(std::move(message)), buttonTitle_(std::move(buttonTitle)) {}

void AlertView::show() {
    const DeviceProfile& d = Application::shared().device();
    setFrame({0, 0, static_cast<float>(d.widthPoints), static_cast<float>(d.heightPoints)});
    Window::main().addSubview(shared_from_this());
}

void AlertView::dismiss() {
    if (!window()) return;
    // Whoever is told may let go of the alert: keep it until this returns.
    auto keep = shared_from_this();
    removeFromSuperview();
    if (auto fn = std::move(onDismiss_)) fn();
}

const AlertView::Layout& AlertView::layOut() {
    const float s = Window::main().pixelsPerPoint();
    if (layout_.scale == s) return layout_;
    Layout l;
    l.scale = s;
    const Rect screen = bounds();
    const float width = std::min(300.0f, screen.width - 40);
    const float textWidth = width - 2 * kMargin;
    l.titleFont = Font::open(kFont, static_cast<int>(std::lround(kTitleSize * s)));
    l.messageFont = Font::open(kFont, static_cast<int>(std::lround(kMessageSize * s)));
    float height = 2 * kMargin + kButtonHeight;
    if (l.titleFont) height += l.titleFont->lineSkip() / s;
    if (l.messageFont) {
        l.messageLines = l.messageFont->wrap(message_, static_cast<int>(textWidth * s));
        // The box never grows past the screen; the rest of a long message is cut.
        const float room = screen.height - 40 - height;
        const float lineHeight = l.messageFont->lineSkip() / s;
        const auto fit = static_cast<std::size_t>(std::max(0.0f, room / lineHeight));
        if (l.messageLines.size() > fit) l.messageLines.resize(fit);
        height += 6 + lineHeight * static_cast<float>(l.messageLines.size());
    }
    l.box = {(screen.width - width) / 2, (screen.height - height) / 2, width, height};
    l.button = {l.box.x, l.box.y + height - kButtonHeight, width, kButtonHeight};
    layout_ = std::move(l);
    titleImage_.reset();
    return layout_;
}

Rect AlertView::buttonFrame() { return layOut().button; }

void AlertView::draw(Painter& painter, double) {
    const Layout& l = layOut();
    const Affine m = toWindow();
    const float s = l.scale;
    painter.fill(bounds(), m, faded({0, 0, 0, 0.4f}));
    painter.fill({l.box.x - 1, l.box.y - 1, l.box.width + 2, l.box.height + 2}, m, faded({0.6f, 0.6f, 0.6f, 1}));
    painter.fill(l.box, m, faded({0.97f, 0.97f, 0.97f, 1}));
    if (pressed_) painter.fill(l.button, m, faded({0.85f, 0.85f, 0.85f, 1}));
    painter.fill({l.button.x, l.button.y, l.button.width, 1}, m, faded({0.75f, 0.75f, 0.75f, 1}));

    const float textWidth = l.box.width - 2 * kMargin;
    if (!titleImage_ && l.titleFont) {
        const int w = static_cast<int>(textWidth * s);
        titleImage_ = painter.makeTexture(l.titleFont->renderBox({title_}, w, 0, TextAlign::Center, TextVerticalAlign::Top));
        if (l.messageFont && !l.messageLines.empty())
            messageImage_ = painter.makeTexture(
                l.messageFont->renderBox(l.messageLines, w, 0, TextAlign::Center, TextVerticalAlign::Top));
        buttonImage_ = painter.makeTexture(
            l.titleFont->renderBox({buttonTitle_}, w, 0, TextAlign::Center, TextVerticalAlign::Top));
    }
    float y = l.box.y + kMargin;
    const float x = l.box.x + kMargin;
    if (titleImage_) {
        painter.image(*titleImage_, {x, y, titleImage_->width / s, titleImage_->height / s}, m, faded({0, 0, 0, 1}));
        y += titleImage_->height / s + 6;
    }
    if (messageImage_)
        painter.image(*messageImage_, {x, y, messageImage_->width / s, messageImage_->height / s}, m,
                      faded({0.1f, 0.1f, 0.1f, 1}));
    if (buttonImage_) {
        const float h = buttonImage_->height / s;
        painter.image(*buttonImage_, {x, l.button.y + (kButtonHeight - h) / 2, buttonImage_->width / s, h}, m,
                      faded({0.0f, 0.45f, 0.95f, 1}));
    }
}

void AlertView::touchBegan(Point p) { pressed_ = layOut().button.contains(p); }

void AlertView::touchMoved(Point p) { pressed_ = layOut().button.contains(p); }

void AlertView::touchEnded(Point p) {
    const bool hit = pressed_ && layOut().button.contains(p);
    pressed_ = false;
    if (hit) dismiss();
}

bool AlertView::keyPress(Key key, KeyModifiers) {
    if (key != Key::Return && key != Key::Escape) return false;
    dismiss();
    return true;
}

}  // namespace platform::ui
