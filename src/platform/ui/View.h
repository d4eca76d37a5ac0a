// Platform views: controls drawn above the engine's picture, as the mobile
// platform's views were drawn above its rendering view.
//
// Coordinates are window points of the emulated device (the game's screen,
// origin top-left, y down), whatever size the real window has: the view layer
// maps them through the letterboxed viewport like the engine's picture. A
// view is placed by its centre and bounds; its transform applies about its
// centre, as on the mobile platform. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Fonts.h"

namespace platform::ui {

struct Rect {
    float x = 0, y = 0, width = 0, height = 0;
    bool contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
    bool operator==(const Rect&) const = default;
};

// Straight (not premultiplied) colour, components 0 to 1.
struct Color {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Color&) const = default;
};

// x' = a x + c y + tx, y' = b x + d y + ty.
struct Affine {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // This transform, then `next`.
    Affine then(const Affine& next) const;
    Affine inverted() const;
    static Affine translation(float x, float y) { return {1, 0, 0, 1, x, y}; }
    bool operator==(const Affine&) const = default;
};

// A texture the painter made from pixels; freed with the last holder.
class Texture {
public:
    virtual ~Texture() = default;
    int width = 0, height = 0;  // pixels
};

// Draws the views. The engine's renderer implements it, so views and the
// engine's picture share one GL ES 2 pipeline.
class Painter {
public:
    virtual ~Painter() = default;
    virtual std::shared_ptr<Texture> makeTexture(const TextImage& image) = 0;
    // Starts the views' pass over the whole screen; end() finishes it.
    virtual void begin() = 0;
    virtual void end() = 0;
    // A rectangle in a view's points, placed in the window by `toWindow`.
    virtual void fill(const Rect& rect, const Affine& toWindow, Color color) = 0;
    virtual void image(const Texture& texture, const Rect& rect, const Affine& toWindow, Color tint) = 0;
    // Clips what follows to a window rectangle; null: no clipping.
    virtual void clip(const Rect* window) = 0;
};

enum class Key { Return, Tab, Escape, BackSpace, Delete, Left, Right, Up, Down, Home, End, PageUp, PageDown, A, C, V, X, Y, Z };

struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
};

class Window;

class View : public std::enable_shared_from_this<View> {
public:
    View() = default;
    explicit View(Rect frame) { setFrame(frame); }
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // The frame is the bounds' size around the centre, the transform left
    // out; setFrame sets both centre and bounds.
    Rect frame() const;
    void setFrame(Rect frame);
    Rect bounds() const { return {0, 0, size_.width, size_.height}; }
    void setBounds(Rect bounds);
    Point center() const { return center_; }
    void setCenter(Point c) { center_ = c; }
    const Affine& transform() const { return transform_; }
    void setTransform(const Affine& t) { transform_ = t; }
    float alpha() const { return alpha_; }
    void setAlpha(float a);
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    Color backgroundColor() const { return background_; }
    void setBackgroundColor(Color c) { background_ = c; }

    // The window the view is shown in, or null.
    Window* window() const { return window_; }
    void removeFromSuperview();

    // The view's own points (origin the top-left of its bounds) to window
    // points and back.
    Affine toWindow() const;
    Point convertFromWindow(Point p) const { return toWindow().inverted().apply(p); }
    bool containsWindowPoint(Point p) const;

    // Keyboard focus: text controls take it; others refuse.
    virtual bool canBecomeFirstResponder() const { return false; }
    bool becomeFirstResponder();
    void resignFirstResponder();
    bool isFirstResponder() const;

protected:
    friend class Window;
    // Draws the view's content; the base draws the background colour.
    virtual void draw(Painter& painter, double seconds);
    // Touches in the view's own points. Modal views take touches anywhere.
    virtual void touchBegan(Point) {}
    virtual void touchMoved(Point) {}
    virtual void touchEnded(Point) {}
    virtual bool isModal() const { return false; }
    virtual void focusChanged(bool focused) {}
    // Keyboard and text input while the view has the focus (a modal view
    // gets the keys while it shows). keyPress answers whether it used the key.
    virtual bool keyPress(Key, KeyModifiers) { return false; }
    virtual void insertText(const std::string&) {}
    virtual void setComposition(const std::string&) {}
    virtual void scroll(float lines) {}
    // The opacity everything is drawn with: alpha, background and content.
    Color faded(Color c) const { return {c.r, c.g, c.b, c.a * alpha_}; }

private:
    Point center_;
    struct {
        float width = 0, height = 0;
    } size_;
    Affine transform_;
    float alpha_ = 1;
    bool hidden_ = false;
    Color background_;
    Window* window_ = nullptr;
};

}  // namespace platform::ui
