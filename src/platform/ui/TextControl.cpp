#include "platform/ui/TextControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Utf8.h"
#include "platform/ui/Window.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace platform::ui {

namespace {

// Room between the control's edge and its text, in points.
constexpr float kPadding = 4;
// stb_textedit's keys: above every character, with a bit for shift.
constexpr int kKeyBase = 0x200000;
constexpr int kShift = 0x400000;
constexpr int kCtrlBase = 0x100000;  // keys not handed to stb_textedit

struct Row {
    int start = 0;
    int consumed = 0;         // characters the row takes, its line break included
    int shown = 0;            // characters drawn (no line break)
    std::vector<float> x;     // caret x in points before each shown character, and after the last
};

}  // namespace

}  // namespace platform::ui

#define STB_TEXTEDIT_CHARTYPE char32_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_UNDOSTATECOUNT 99
#define STB_TEXTEDIT_UNDOCHARCOUNT 999
#include <stb/stb_textedit.h>

namespace platform::ui {

struct detail::TextEditor {
    std::u32string text;
    STB_TexteditState state{};
    std::vector<Row> rows;
    std::shared_ptr<Font> font;
    float scale = 1;         // pixels per point the font was opened for
    float wrapWidth = 0;     // points; 0: one row
    float rowHeight = 0;     // points
    std::size_t maxLength = 0;
    bool dirty = true;

    float measure(int from, int to) const {
        if (!font || to <= from) return 0;
        return static_cast<float>(font->width(toUtf8(text.substr(from, to - from)))) / scale;
    }

    void addRow(int start, int shown, int consumed) {
        Row row{start, consumed, shown, {}};
        row.x.reserve(shown + 1);
        for (int k = 0; k <= shown; ++k) row.x.push_back(measure(start, start + k));
        rows.push_back(std::move(row));
    }

    // Rows of the text: paragraphs at line breaks, each broken after spaces
    // to fit the width; a word wider than the width is cut.
    void layOut() {
        rows.clear();
        const int n = static_cast<int>(text.size());
        int i = 0;
        while (true) {
            int end = i;
            while (end < n && text[end] != U'\n') ++end;
            const int brk = end < n ? 1 : 0;
            int start = i;
            if (wrapWidth <= 0 || measure(start, end) <= wrapWidth) {
                addRow(start, end - start, end - start + brk);
            } else {
                while (start < end) {
                    int fit = start;
                    for (int j = start; j < end;) {
                        int k = j;
                        while (k < end && text[k] != U' ') ++k;
                        if (measure(start, k) > wrapWidth) break;
                        while (k < end && text[k] == U' ') ++k;
                        fit = j = k;
                    }
                    if (fit == start) {
                        fit = start + 1;
                        while (fit < end && measure(start, fit + 1) <= wrapWidth) ++fit;
                    }
                    const bool last = fit >= end;
                    addRow(start, fit - start, fit - start + (last ? brk : 0));
                    start = fit;
                }
            }
            if (end >= n) break;
            i = end + 1;
            if (i == n) {  // a closing line break opens an empty last row
                addRow(n, 0, 0);
                break;
            }
        }
        dirty = false;
    }

    const Row* rowStarting(int n) const {
        auto it = std::lower_bound(rows.begin(), rows.end(), n, [](const Row& r, int v) { return r.start < v; });
        return it != rows.end() && it->start == n ? &*it : nullptr;
    }

    // The row and column of a caret position: the last row starting at or
    // before it (a caret at a wrap point is at the start of the next row).
    std::pair<std::size_t, int> locate(int pos) const {
        auto it = std::upper_bound(rows.begin(), rows.end(), pos, [](int v, const Row& r) { return v < r.start; });
        if (it == rows.begin()) return {0, 0};
        const std::size_t r = static_cast<std::size_t>(it - rows.begin()) - 1;
        return {r, std::clamp(pos - rows[r].start, 0, rows[r].shown)};
    }
};

}  // namespace platform::ui

namespace {

using Editor = platform::ui::detail::TextEditor;

int stbLength(const Editor* e) { return static_cast<int>(e->text.size()); }

void stbLayoutRow(StbTexteditRow* r, Editor* e, int n) {
    const platform::ui::Row* row = e->rowStarting(n);
    std::memset(r, 0, sizeof *r);
    if (!row) return;
    r->x0 = 0;
    r->x1 = row->x.back();
    r->baseline_y_delta = e->rowHeight;
    r->ymin = 0;
    r->ymax = e->rowHeight;
    r->num_chars = row->consumed;
}

float stbWidth(const Editor* e, int n, int i) {
    const platform::ui::Row* row = e->rowStarting(n);
    if (!row || i >= row->shown) return -1.0f;  // the row's line break
    return row->x[i + 1] - row->x[i];
}

int stbDelete(Editor* e, int at, int count) {
    e->text.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
    e->dirty = true;
    return 1;
}

int stbInsert(Editor* e, int at, const char32_t* chars, int count) {
    if (e->text.size() + count > e->maxLength) return 0;
    e->text.insert(static_cast<std::size_t>(at), chars, static_cast<std::size_t>(count));
    e->dirty = true;
    return 1;
}

bool isSpace(char32_t c) { return c == U' ' || c == U'\n' || c == U'\t'; }

}  // namespace

#define STB_TEXTEDIT_STRING Editor
#define STB_TEXTEDIT_STRINGLEN(e) stbLength(e)
#define STB_TEXTEDIT_LAYOUTROW(r, e, n) stbLayoutRow(r, e, n)
#define STB_TEXTEDIT_GETWIDTH(e, n, i) stbWidth(e, n, i)
#define STB_TEXTEDIT_GETWIDTH_NEWLINE (-1.0f)
#define STB_TEXTEDIT_KEYTOTEXT(k) ((k) < platform::ui::kCtrlBase ? (k) : -1)
#define STB_TEXTEDIT_GETCHAR(e, i) ((e)->text[static_cast<std::size_t>(i)])
#define STB_TEXTEDIT_NEWLINE U'\n'
#define STB_TEXTEDIT_IS_SPACE(c) isSpace(c)
#define STB_TEXTEDIT_DELETECHARS(e, i, n) stbDelete(e, i, n)
#define STB_TEXTEDIT_INSERTCHARS(e, i, c, n) stbInsert(e, i, c, n)
#define STB_TEXTEDIT_K_SHIFT platform::ui::kShift
#define STB_TEXTEDIT_K_LEFT (platform::ui::kKeyBase + 1)
#define STB_TEXTEDIT_K_RIGHT (platform::ui::kKeyBase + 2)
#define STB_TEXTEDIT_K_UP (platform::ui::kKeyBase + 3)
#define STB_TEXTEDIT_K_DOWN (platform::ui::kKeyBase + 4)
#define STB_TEXTEDIT_K_PGUP (platform::ui::kKeyBase + 5)
#define STB_TEXTEDIT_K_PGDOWN (platform::ui::kKeyBase + 6)
#define STB_TEXTEDIT_K_LINESTART (platform::ui::kKeyBase + 7)
#define STB_TEXTEDIT_K_LINEEND (platform::ui::kKeyBase + 8)
#define STB_TEXTEDIT_K_TEXTSTART (platform::ui::kKeyBase + 9)
#define STB_TEXTEDIT_K_TEXTEND (platform::ui::kKeyBase + 10)
#define STB_TEXTEDIT_K_DELETE (platform::ui::kKeyBase + 11)
#define STB_TEXTEDIT_K_BACKSPACE (platform::ui::kKeyBase + 12)
#define STB_TEXTEDIT_K_UNDO (platform::ui::kKeyBase + 13)
#define STB_TEXTEDIT_K_REDO (platform::ui::kKeyBase + 14)
#define STB_TEXTEDIT_K_WORDLEFT (platform::ui::kKeyBase + 15)
#define STB_TEXTEDIT_K_WORDRIGHT (platform::ui::kKeyBase + 16)
#define STB_TEXTEDIT_IMPLEMENTATION
#include <stb/stb_textedit.h>

namespace platform::ui {

TextControl::TextControl(bool multiLine, Rect frame) : View(frame), multiLine_(multiLine), editor_(new detail::TextEditor) {
    stb_textedit_initialize_state(&editor_->state, multiLine ? 0 : 1);
    editor_->maxLength = maxLength_;
}

TextControl::~TextControl() = default;

void TextControl::setText(const std::string& utf8) {
    std::u32string text = fromUtf8(utf8);
    if (!multiLine_) std::replace(text.begin(), text.end(), U'\n', U' ');
    if (text.size() > maxLength_) text.resize(maxLength_);
    editor_->text = std::move(text);
    stb_textedit_initialize_state(&editor_->state, multiLine_ ? 0 : 1);
    editor_->state.cursor = static_cast<int>(editor_->text.size());
    editor_->dirty = true;
    edited();
}

void TextControl::setFont(const std::string& name, float pointSize) {
    fontName_ = name;
    fontSize_ = pointSize;
    editor_->font.reset();
    editor_->dirty = true;
}

void TextControl::setMaxLength(std::size_t characters) {
    maxLength_ = characters;
    editor_->maxLength = characters;
    if (editor_->text.size() > characters) setText(toUtf8(editor_->text.substr(0, characters)));
}

int TextControl::caret() const { return editor_->state.cursor; }

std::pair<int, int> TextControl::selection() const {
    const auto& s = editor_->state;
    return {std::min(s.select_start, s.select_end), std::max(s.select_start, s.select_end)};
}

void TextControl::selectAll() {
    editor_->state.select_start = 0;
    editor_->state.select_end = editor_->state.cursor = static_cast<int>(editor_->text.size());
}

std::vector<std::string> TextControl::rows() {
    layOut();
    std::vector<std::string> out;
    for (const Row& r : editor_->rows) out.push_back(toUtf8(editor_->text.substr(r.start, r.shown)));
    return out;
}

void TextControl::layOut() {
    detail::TextEditor& e = *editor_;
    const float scale = Window::main().pixelsPerPoint();
    if (!e.font || e.scale != scale) {
        e.font = Font::open(fontName_, static_cast<int>(std::lround(fontSize_ * scale)));
        e.scale = scale;
        e.dirty = true;
    }
    const float wrap = multiLine_ ? std::max(1.0f, bounds().width - 2 * kPadding) : 0.0f;
    if (wrap != e.wrapWidth) {
        e.wrapWidth = wrap;
        e.dirty = true;
    }
    e.rowHeight = e.font ? static_cast<float>(e.font->lineSkip()) / scale : fontSize_;
    if (e.dirty) e.layOut();
}

// After every change of text or caret.
void TextControl::edited() {
    utf8_ = toUtf8(editor_->text);
    lastEdit_ = clock_;
    keepCaretVisible();
#ifdef __EMSCRIPTEN__
    if (isFirstResponder()) EM_ASM({ Module.nmKeyboard.update(UTF8ToString($0)); }, utf8_.c_str());
#endif
}

Point TextControl::textOrigin() const {
    // A field centres its line; a view starts at the top.
    const float top = multiLine_ ? kPadding : (bounds().height - editor_->rowHeight) / 2;
    return {kPadding - scrollX_, top - scrollY_};
}

void TextControl::keepCaretVisible() {
    layOut();
    detail::TextEditor& e = *editor_;
    auto [r, col] = e.locate(e.state.cursor);
    if (e.rows.empty()) return;
    if (multiLine_) {
        const float visible = bounds().height - 2 * kPadding;
        const float top = static_cast<float>(r) * e.rowHeight;
        const float content = static_cast<float>(e.rows.size()) * e.rowHeight;
        if (top < scrollY_) scrollY_ = top;
        if (top + e.rowHeight > scrollY_ + visible) scrollY_ = top + e.rowHeight - visible;
        scrollY_ = std::clamp(scrollY_, 0.0f, std::max(0.0f, content - visible));
    } else {
        const float visible = bounds().width - 2 * kPadding;
        const float x = e.rows[r].x[static_cast<std::size_t>(col)];
        if (x < scrollX_) scrollX_ = x;
        if (x > scrollX_ + visible) scrollX_ = x - visible;
        scrollX_ = std::clamp(scrollX_, 0.0f, std::max(0.0f, e.rows[r].x.back() - visible));
    }
}

void TextControl::touchBegan(Point p) {
    becomeFirstResponder();
    layOut();
    const Point o = textOrigin();
    stb_textedit_click(editor_.get(), &editor_->state, p.x - o.x, p.y - o.y);
    edited();
}

void TextControl::touchMoved(Point p) {
    layOut();
    const Point o = textOrigin();
    stb_textedit_drag(editor_.get(), &editor_->state, p.x - o.x, p.y - o.y);
    edited();
}

void TextControl::paste(std::u32string text) {
    // Control characters do not belong in a form; a field takes one line.
    std::u32string clean;
    for (char32_t c : text) {
        if (c == U'\r') continue;
        if (c == U'\n' && multiLine_) {
            clean += c;
            continue;
        }
        if (c == U'\n' || c == U'\t') c = U' ';
        if (c < 0x20 || c == 0x7F) continue;
        clean += c;
    }
    auto [from, to] = selection();
    const std::size_t room = maxLength_ - (editor_->text.size() - static_cast<std::size_t>(to - from));
    if (clean.size() > room) clean.resize(room);
    if (clean.empty()) return;
    layOut();
    stb_textedit_paste(editor_.get(), &editor_->state, clean.data(), static_cast<int>(clean.size()));
    edited();
}

void TextControl::insertText(const std::string& utf8) {
    composition_.clear();
    paste(fromUtf8(utf8));
}

void TextControl::setComposition(const std::string& utf8) { composition_ = utf8; }

bool TextControl::keyPress(Key key, KeyModifiers mods) {
    detail::TextEditor& e = *editor_;
    layOut();
    if (mods.ctrl) {
        auto [from, to] = selection();
        switch (key) {
            case Key::A: selectAll(); break;
            case Key::C:
            case Key::X:
                if (from == to) break;
                Window::setClipboardText(toUtf8(e.text.substr(from, to - from)));
                if (key == Key::X) stb_textedit_cut(&e, &e.state);
                break;
            case Key::V: paste(fromUtf8(Window::clipboardText())); return true;
            case Key::Z: stb_textedit_key(&e, &e.state, mods.shift ? STB_TEXTEDIT_K_REDO : STB_TEXTEDIT_K_UNDO); break;
            case Key::Y: stb_textedit_key(&e, &e.state, STB_TEXTEDIT_K_REDO); break;
            case Key::Left: stb_textedit_key(&e, &e.state, STB_TEXTEDIT_K_WORDLEFT | (mods.shift ? kShift : 0)); break;
            case Key::Right: stb_textedit_key(&e, &e.state, STB_TEXTEDIT_K_WORDRIGHT | (mods.shift ? kShift : 0)); break;
            case Key::Home: stb_textedit_key(&e, &e.state, STB_TEXTEDIT_K_TEXTSTART | (mods.shift ? kShift : 0)); break;
            case Key::End: stb_textedit_key(&e, &e.state, STB_TEXTEDIT_K_TEXTEND | (mods.shift ? kShift : 0)); break;
            default: return false;
        }
        edited();
        return true;
    }
    int k = 0;
    switch (key) {
        case Key::Left: k = STB_TEXTEDIT_K_LEFT; break;
        case Key::Right: k = STB_TEXTEDIT_K_RIGHT; break;
        case Key::Up: k = STB_TEXTEDIT_K_UP; break;
        case Key::Down: k = STB_TEXTEDIT_K_DOWN; break;
        case Key::PageUp: k = STB_TEXTEDIT_K_PGUP; break;
        case Key::PageDown: k = STB_TEXTEDIT_K_PGDOWN; break;
        case Key::Home: k = STB_TEXTEDIT_K_LINESTART; break;
        case Key::End: k = STB_TEXTEDIT_K_LINEEND; break;
        case Key::Delete: k = STB_TEXTEDIT_K_DELETE; break;
        case Key::BackSpace: k = STB_TEXTEDIT_K_BACKSPACE; break;
        case Key::Return:
            if (multiLine_) {
                paste(U"\n");
                return true;
            }
            if (onReturn_) onReturn_();
            return true;
        default: return false;
    }
    stb_textedit_key(&e, &e.state, k | (mods.shift ? kShift : 0));
    edited();
    return true;
}

void TextControl::scroll(float lines) {
    if (!multiLine_) return;
    layOut();
    const float visible = bounds().height - 2 * kPadding;
    const float content = static_cast<float>(editor_->rows.size()) * editor_->rowHeight;
    scrollY_ = std::clamp(scrollY_ - lines * editor_->rowHeight, 0.0f, std::max(0.0f, content - visible));
}

void TextControl::focusChanged(bool focused) {
    composition_.clear();
    lastEdit_ = clock_;
    if (!focused) {
        // Nothing stays selected once editing ends.
        editor_->state.select_start = editor_->state.select_end = editor_->state.cursor;
    }
#ifdef __EMSCRIPTEN__
    // The page's text element over the focused control: it brings up a touch
    // screen's keyboard and takes the input method's text (nm_keyboard_text).
    if (!focused) {
        EM_ASM({ Module.nmKeyboard.blur(); });
        return;
    }
    const Application& app = Application::shared();
    const Affine m = toWindow();
    const Point a = app.viewToWindow(m.apply({0, 0}));
    const Point b = app.viewToWindow(m.apply({bounds().width, bounds().height}));
    EM_ASM({ Module.nmKeyboard.focus(UTF8ToString($0), $1, $2, $3, $4, $5); }, utf8_.c_str(), multiLine_,
           std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y));
#endif
}

void TextControl::setSelection(int from, int to) {
    const int n = static_cast<int>(editor_->text.size());
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    editor_->state.select_start = from;
    editor_->state.select_end = to;
    editor_->state.cursor = to;
    keepCaretVisible();
}

void TextControl::draw(Painter& painter, double seconds) {
    clock_ = seconds;
    View::draw(painter, seconds);
    layOut();
    detail::TextEditor& e = *editor_;
    const Affine m = toWindow();
    const float s = e.scale;

    // Clip to the inside of the control: the bounding box of its corners.
    const Rect b = bounds();
    Point corners[4] = {m.apply({b.x + 1, b.y + 1}), m.apply({b.width - 1, b.y + 1}),
                        m.apply({b.x + 1, b.height - 1}), m.apply({b.width - 1, b.height - 1})};
    float x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& c : corners) {
        x0 = std::min(x0, c.x), x1 = std::max(x1, c.x), y0 = std::min(y0, c.y), y1 = std::max(y1, c.y);
    }
    const Rect clip{x0, y0, x1 - x0, y1 - y0};
    painter.clip(&clip);

    const Point o = textOrigin();
    const auto [selFrom, selTo] = selection();
    std::map<std::string, std::shared_ptr<Texture>> shown;
    for (std::size_t r = 0; r < e.rows.size(); ++r) {
        const Row& row = e.rows[r];
        const float y = o.y + static_cast<float>(r) * e.rowHeight;
        if (y + e.rowHeight < 0 || y > b.height) continue;
        // Selection behind the text.
        const int a = std::clamp(selFrom - row.start, 0, row.shown), z = std::clamp(selTo - row.start, 0, row.shown);
        if (isFirstResponder() && selFrom != selTo && a < z)
            painter.fill({o.x + row.x[a], y, row.x[z] - row.x[a], e.rowHeight}, m, faded({0.55f, 0.75f, 1.0f, 0.7f}));
        if (row.shown == 0 || !e.font) continue;
        const std::string line = toUtf8(e.text.substr(row.start, row.shown));
        auto& image = shown[line];
        if (auto it = rowImages_.find(line); it != rowImages_.end()) image = it->second;
        if (!image) image = painter.makeTexture(e.font->render(line));
        if (image) painter.image(*image, {o.x, y, image->width / s, image->height / s}, m, faded(textColor_));
    }
    rowImages_ = std::move(shown);

    if (isFirstResponder()) {
        auto [r, col] = e.locate(e.state.cursor);
        const float cx = o.x + (e.rows.empty() ? 0 : e.rows[r].x[static_cast<std::size_t>(col)]);
        const float cy = o.y + static_cast<float>(r) * e.rowHeight;
        if (!composition_.empty() && e.font) {
            // The word being composed, underlined, over the text at the caret.
            if (auto image = painter.makeTexture(e.font->render(composition_))) {
                const float w = image->width / s;
                painter.fill({cx, cy, w, e.rowHeight}, m, faded({1, 1, 1, 1}));
                painter.image(*image, {cx, cy, w, image->height / s}, m, faded(textColor_));
                painter.fill({cx, cy + e.rowHeight - 1, w, 1}, m, faded(textColor_));
            }
        } else if (std::fmod(seconds - lastEdit_, 1.0) < 0.6) {
            painter.fill({cx - 0.5f, cy, 1.5f, e.rowHeight}, m, faded(textColor_));
        }
        const Point w0 = m.apply({cx, cy});
        Window::main().setTextInputRect({w0.x, w0.y, 1, e.rowHeight});
    }
    painter.clip(nullptr);
}

}  // namespace platform::ui

#ifdef __EMSCRIPTEN__
// The page's text element was edited (typed, composed, corrected, cut):
// the focused control takes its text and selection, in characters.
extern "C" EMSCRIPTEN_KEEPALIVE void nm_keyboard_text(const char* utf8, int from, int to) {
    auto* control = dynamic_cast<platform::ui::TextControl*>(platform::ui::Window::main().firstResponder());
    if (!control) return;
    if (control->text() != utf8) control->setText(utf8);
    control->setSelection(from, to);
}

// Keys the element leaves to the game: 0 Return, 1 Tab, 2 Shift-Tab, 3 Escape.
extern "C" EMSCRIPTEN_KEEPALIVE void nm_keyboard_key(int which) {
    using platform::ui::Key;
    static constexpr Key keys[] = {Key::Return, Key::Tab, Key::Tab, Key::Escape};
    if (which < 0 || which > 3) return;
    platform::ui::Window::main().keyPress(keys[which], {.shift = which == 2});
}
#endif
