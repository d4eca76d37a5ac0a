// Draws the platform's views (text controls, alerts) with the engine's
// renderer, after the scene and over it. The director installs it with its
// view.
#pragma once

#include "platform/ui/View.h"

class CCViewPainter : public platform::ui::Painter {
public:
    static CCViewPainter& shared();

    std::shared_ptr<platform::ui::Texture> makeTexture(const platform::TextImage& image) override;
    void begin() override;
    void end() override;
    void fill(const platform::ui::Rect& rect, const platform::ui::Affine& toWindow, platform::ui::Color color) override;
    void image(const platform::ui::Texture& texture, const platform::ui::Rect& rect,
               const platform::ui::Affine& toWindow, platform::ui::Color tint) override;
    void clip(const platform::ui::Rect* window) override;

private:
    void quad(const platform::ui::Rect& rect, const platform::ui::Affine& toWindow, platform::ui::Color color,
              unsigned texture);
    std::size_t stackMark_ = 0;
    float height_ = 0;      // the screen in points
    float pixelsPerPoint_ = 1;
};
