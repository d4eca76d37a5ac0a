// Scripted runs: one command a line, executed in frame time.
//   wait S        let S seconds of frames pass (S x 60 frames)
//   tap X Y       touch down, and lift on the next frame
//   down X Y / move X Y / up X Y
//   type TEXT     the rest of the line (UTF-8) typed into the focused text control
//   key NAME      a key press: Return, Tab, Escape, BackSpace, Delete, Left,
//                 Right, Up, Down, Home, End, PageUp, PageDown, or a letter
//                 A C V X Y Z; modifiers before it, as in ctrl+v or shift+Tab
//   screenshot FILE.png    the frame drawn this turn
//   dump FILE.json         the running scene's node tree
//   quit
// Points have their origin at the bottom-left, as in the engine. Blank lines
// and lines starting with '#' are skipped.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace launcher {

struct ScriptCommand {
    enum class Kind { Wait, Tap, Down, Move, Up, Type, Key, Screenshot, Dump, Quit };
    Kind kind = Kind::Quit;
    double x = 0;  // seconds for wait
    double y = 0;
    std::string file;  // also the text to type
    platform::ui::Key key = platform::ui::Key::Return;
    platform::ui::KeyModifiers modifiers;
    int line = 0;
};

// nullopt with "line N: ..." in error on an unknown command or a bad number.
std::optional<std::vector<ScriptCommand>> parseScript(const std::string& text, std::string& error);

// What a script acts on; the launcher wires these to the application and the engine.
struct ScriptTarget {
    std::function<void(ScriptCommand::Kind phase, double x, double y)> touch;  // Down, Move or Up
    std::function<void(const std::string& text)> type;
    std::function<void(platform::ui::Key key, platform::ui::KeyModifiers modifiers)> key;
    std::function<void(const std::string& file)> screenshot;  // written after this frame is drawn
    std::function<void(const std::string& file)> dump;
    std::function<void()> quit;
};

class ScriptRunner {
public:
    ScriptRunner(std::vector<ScriptCommand> commands, ScriptTarget target);
    // One frame: runs commands until one needs later frames. Call before the frame is drawn.
    void step();
    bool finished() const { return next_ >= commands_.size() && !liftPending_; }

private:
    std::vector<ScriptCommand> commands_;
    ScriptTarget target_;
    std::size_t next_ = 0;
    long waitFrames_ = 0;
    bool liftPending_ = false;
    double liftX_ = 0, liftY_ = 0;
};

}  // namespace launcher
