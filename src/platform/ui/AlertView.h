// An alert: a modal box with a title, a message and one button, shown above
// everything and taking every touch until its button is pressed (or Return
// or Escape). The texts come from the caller, already localised.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace platform::ui {

class AlertView : public View {
public:
    AlertView(std::string title, std::string message, std::string buttonTitle);

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    const std::string& buttonTitle() const { return buttonTitle_; }
    // Called once the alert has gone.
    void setOnDismiss(std::function<void()> fn) { onDismiss_ = std::move(fn); }

    // Shows it in the main window, over the whole screen.
    void show();
    void dismiss();
    bool isVisible() const { return window() != nullptr; }
    // The button, in window points (tests and scripts tap it).
    Rect buttonFrame();

protected:
    bool isModal() const override { return true; }
    void draw(Painter& painter, double seconds) override;
    void touchBegan(Point p) override;
    void touchMoved(Point p) override;
    void touchEnded(Point p) override;
    bool keyPress(Key key, KeyModifiers modifiers) override;

private:
    struct Layout {
        Rect box, button;
        std::shared_ptr<Font> titleFont, messageFont;
        std::vector<std::string> messageLines;
        float scale = 0;
    };
    // Laid out again, and the texts drawn again, when the pixel density changes.
    const Layout& layOut();

    std::string title_, message_, buttonTitle_;
    std::function<void()> onDismiss_;
    bool pressed_ = false;
    Layout layout_;
    std::shared_ptr<Texture> titleImage_, messageImage_, buttonImage_;
};

}  // namespace platform::ui
