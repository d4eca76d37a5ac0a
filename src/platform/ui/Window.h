// The view layer of the application window: the platform views shown above
// the engine's picture, in their order (modal views above all others), the
// keyboard focus, and the input that goes to them.
//
// The application loop hands it every touch that begins over a visible view
// (every touch while a modal view shows), the keyboard, text input and the
// mouse wheel, and asks it to draw after the engine's frame. A touch that
// begins anywhere else ends editing first. Text input (and the input method)
// is on exactly while a text control has the focus.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace platform::ui {

class Window : public TouchHandler {
public:
    static Window& main();

    // Adds on top of the other views (below modal ones; a modal view on top
    // of everything). A view is in one window at most; adding again raises it.
    void addSubview(std::shared_ptr<View> view);
    void removeView(View* view);
    const std::vector<std::shared_ptr<View>>& subviews() const { return views_; }
    bool hasViews() const { return !views_.empty(); }

    View* firstResponder() const { return focused_; }
    // False when the view cannot take the focus or is not in the window.
    bool setFirstResponder(View* view);
    // Drops the keyboard focus (the text typed so far stays).
    void endEditing();

    // Input from the application loop, the launcher's script and tests.
    // Points are window points of the game's screen, origin top-left.
    bool claimsTouch(Point p) const;
    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;
    void touchesCancelled(const TouchSet& touches) override;
    void insertText(const std::string& utf8);
    // The input method's text being composed, shown at the caret until it
    // is committed by insertText; "" ends it.
    void setComposition(const std::string& utf8);
    void keyPress(Key key, KeyModifiers modifiers = {});
    // Wheel over a view: lines, positive up.
    void scroll(Point p, float lines);

    void setPainter(Painter* painter) { painter_ = painter; }
    // Draws every visible view; seconds is the loop's clock (caret blink).
    void draw(double seconds);
    // Pixels of the drawn picture per window point: text is rasterised at
    // this size so it stays sharp in a scaled window.
    float pixelsPerPoint() const;
    // Where the focused control's caret is, so the input method shows its
    // candidates beside it.
    void setTextInputRect(const Rect& window);

    static std::string clipboardText();
    static void setClipboardText(const std::string& utf8);

private:
    Window() = default;
    View* modal() const;
    View* viewAt(Point p) const;
    void focusNext(bool backwards);

    std::vector<std::shared_ptr<View>> views_;
    View* focused_ = nullptr;
    Painter* painter_ = nullptr;
    // The view each touch in flight went to.
    std::vector<std::pair<long, std::weak_ptr<View>>> touches_;
};

}  // namespace platform::ui
