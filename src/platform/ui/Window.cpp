#include "platform/ui/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace platform::ui {

Window& Window::main() {
    static Window window;
    return window;
}

void Window::addSubview(std::shared_ptr<View> view) {
    if (!view) return;
    if (view->window_ && view->window_ != this) view->window_->removeView(view.get());
    auto same = [&](const auto& v) { return v.get() == view.get(); };
    views_.erase(std::remove_if(views_.begin(), views_.end(), same), views_.end());
    auto at = view->isModal() ? views_.end()
                              : std::find_if(views_.begin(), views_.end(), [](const auto& v) { return v->isModal(); });
    view->window_ = this;
    views_.insert(at, std::move(view));
    if (modal()) endEditing();
}

void Window::removeView(View* view) {
    auto it = std::find_if(views_.begin(), views_.end(), [&](const auto& v) { return v.get() == view; });
    if (it == views_.end()) return;
    if (focused_ == view) endEditing();
    // Keep it alive until it has heard that it left.
    std::shared_ptr<View> keep = *it;
    views_.erase(it);
    keep->window_ = nullptr;
}

bool Window::setFirstResponder(View* view) {
    if (!view || view->window_ != this || !view->canBecomeFirstResponder() || view->isHidden()) return false;
    if (focused_ == view) return true;
    endEditing();
    focused_ = view;
    SDL_StartTextInput();
    view->focusChanged(true);
    return true;
}

void Window::endEditing() {
    View* was = focused_;
    if (!was) return;
    focused_ = nullptr;
    SDL_StopTextInput();
    was->focusChanged(false);
}

View* Window::modal() const {
    for (auto it = views_.rbegin(); it != views_.rend(); ++it)
        if ((*it)->isModal() && !(*it)->isHidden()) return it->get();
    return nullptr;
}

View* Window::viewAt(Point p) const {
    if (View* m = modal()) return m;
    for (auto it = views_.rbegin(); it != views_.rend(); ++it) {
        const View& v = **it;
        if (!v.isHidden() && v.alpha() > 0.01f && v.containsWindowPoint(p)) return it->get();
    }
    return nullptr;
}

bool Window::claimsTouch(Point p) const { return viewAt(p) != nullptr; }

void Window::touchesBegan(const TouchSet& touches) {
    for (Touch* t : touches) {
        View* v = viewAt(t->locationInView());
        if (!v) continue;
        // A tap on another view than the focused one ends its editing.
        if (focused_ && focused_ != v) endEditing();
        touches_.emplace_back(t->id(), v->weak_from_this());
        v->touchBegan(v->convertFromWindow(t->locationInView()));
    }
}

void Window::touchesMoved(const TouchSet& touches) {
    for (Touch* t : touches)
        for (auto& [id, view] : touches_)
            if (id == t->id())
                if (auto v = view.lock()) v->touchMoved(v->convertFromWindow(t->locationInView()));
}

void Window::touchesEnded(const TouchSet& touches) {
    for (Touch* t : touches) {
        auto it = std::find_if(touches_.begin(), touches_.end(), [&](const auto& e) { return e.first == t->id(); });
        if (it == touches_.end()) continue;
        auto v = it->second.lock();
        touches_.erase(it);
        if (v) v->touchEnded(v->convertFromWindow(t->locationInView()));
    }
}

void Window::touchesCancelled(const TouchSet& touches) { touchesEnded(touches); }

void Window::insertText(const std::string& utf8) {
    if (focused_ && !modal()) focused_->insertText(utf8);
}

void Window::setComposition(const std::string& utf8) {
    if (focused_ && !modal()) focused_->setComposition(utf8);
}

void Window::keyPress(Key key, KeyModifiers modifiers) {
    if (View* m = modal()) {
        m->keyPress(key, modifiers);
        return;
    }
    if (!focused_) return;
    if (focused_->keyPress(key, modifiers)) return;
    if (key == Key::Tab) focusNext(modifiers.shift);
    if (key == Key::Escape) endEditing();
}

void Window::focusNext(bool backwards) {
    std::vector<View*> order;
    for (const auto& v : views_)
        if (v->canBecomeFirstResponder() && !v->isHidden()) order.push_back(v.get());
    auto it = std::find(order.begin(), order.end(), focused_);
    if (order.empty() || it == order.end()) return;
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const auto i = (it - order.begin() + (backwards ? n - 1 : 1)) % n;
    setFirstResponder(order[static_cast<std::size_t>(i)]);
}

void Window::scroll(Point p, float lines) {
    if (View* v = viewAt(p)) v->scroll(lines);
}

void Window::draw(double seconds) {
    if (views_.empty() || !painter_) return;
    painter_->begin();
    // A copy: drawing must not be upset by a view that leaves meanwhile.
    const auto views = views_;
    for (const auto& v : views)
        if (!v->isHidden() && v->alpha() > 0) v->draw(*painter_, seconds);
    painter_->end();
}

float Window::pixelsPerPoint() const {
    const Application& app = Application::shared();
    const int widthPoints = std::max(1, app.device().widthPoints);
    const int viewport = app.viewport().width;
    return viewport > 0 ? static_cast<float>(viewport) / widthPoints : static_cast<float>(app.device().scale);
}

void Window::setTextInputRect(const Rect& r) {
    const Application& app = Application::shared();
    const Point a = app.viewToWindow({r.x, r.y});
    const Point b = app.viewToWindow({r.x + r.width, r.y + r.height});
    SDL_Rect rect{static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(std::ceil(b.x - a.x)),
                  static_cast<int>(std::ceil(b.y - a.y))};
    SDL_SetTextInputRect(&rect);
}

std::string Window::clipboardText() {
    char* text = SDL_GetClipboardText();
    std::string out = text ? text : "";
    SDL_free(text);
    return out;
}

void Window::setClipboardText(const std::string& utf8) { SDL_SetClipboardText(utf8.c_str()); }

}  // namespace platform::ui
