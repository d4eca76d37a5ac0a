// Text controls: a one-line text field and a multi-line text view that
// wraps at its width and scrolls.
//
// Editing (caret, selection, word moves, undo) is stb_textedit's, on the
// text's code points, so a backspace always takes a whole character. Text
// is drawn with the bundle's fonts at the window's pixel density. Copy, cut
// and paste use the system clipboard; the input method's composition shows
// at the caret until it is committed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/View.h"

namespace platform::ui {

namespace detail {
struct TextEditor;
}

class TextControl : public View {
public:
    ~TextControl() override;

    const std::string& text() const { return utf8_; }
    void setText(const std::string& utf8);
    // A font name as the game names fonts ("Arial"), its size in points.
    void setFont(const std::string& name, float pointSize);
    const std::string& fontName() const { return fontName_; }
    float fontSize() const { return fontSize_; }
    Color textColor() const { return textColor_; }
    void setTextColor(Color c) { textColor_ = c; }
    // At most this many characters; longer input is cut.
    void setMaxLength(std::size_t characters);
    // Return in a text field (a text view takes it as a new line).
    void setOnReturn(std::function<void()> fn) { onReturn_ = std::move(fn); }

    // Caret and selection in characters (code points).
    int caret() const;
    std::pair<int, int> selection() const;
    void selectAll();
    // Selects [from, to), the caret at to (an empty range: just the caret).
    void setSelection(int from, int to);
    // How far the content is scrolled, in points (x for a field, y for a view).
    float scrollOffset() const { return multiLine_ ? scrollY_ : scrollX_; }
    // Rows as laid out (a view wraps), for tests and diagnostics.
    std::vector<std::string> rows();

    bool canBecomeFirstResponder() const override { return true; }

protected:
    explicit TextControl(bool multiLine, Rect frame);

    void draw(Painter& painter, double seconds) override;
    void touchBegan(Point p) override;
    void touchMoved(Point p) override;
    bool keyPress(Key key, KeyModifiers modifiers) override;
    void insertText(const std::string& utf8) override;
    void setComposition(const std::string& utf8) override;
    void scroll(float lines) override;
    void focusChanged(bool focused) override;

private:
    void edited();
    void layOut();
    void keepCaretVisible();
    Point textOrigin() const;
    void paste(std::u32string text);

    bool multiLine_;
    std::unique_ptr<detail::TextEditor> editor_;
    std::string utf8_;
    std::string fontName_ = "Arial";
    float fontSize_ = 17;
    Color textColor_{0, 0, 0, 1};
    std::size_t maxLength_ = 100000;
    std::function<void()> onReturn_;
    std::string composition_;
    float scrollX_ = 0, scrollY_ = 0;
    double lastEdit_ = 0;
    double clock_ = 0;
    // Drawn rows by their text, kept while they are shown.
    std::map<std::string, std::shared_ptr<Texture>> rowImages_;
};

class TextField : public TextControl {
public:
    explicit TextField(Rect frame = {}) : TextControl(false, frame) {}
};

class TextView : public TextControl {
public:
    explicit TextView(Rect frame = {}) : TextControl(true, frame) {}
};

}  // namespace platform::ui
