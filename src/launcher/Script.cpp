#include "launcher/Script.h"

#include <cctype>
#include <cmath>
#include <sstream>

#include "launcher/CommandLine.h"

namespace launcher {

namespace {

bool parseKey(const std::string& keyName, ScriptCommand& c) {
    using platform::ui::Key;
    static const std::pair<const char*, Key> names[] = {
        {"Return", Key::Return}, {"Tab", Key::Tab},   {"Escape", Key::Escape}, {"BackSpace", Key::BackSpace},
        {"Delete", Key::Delete}, {"Left", Key::Left}, {"Right", Key::Right},   {"Up", Key::Up},
        {"Down", Key::Down},     {"Home", Key::Home}, {"End", Key::End},       {"PageUp", Key::PageUp},
        {"PageDown", Key::PageDown}, {"a", Key::A},   {"c", Key::C},           {"v", Key::V},
        {"x", Key::X},           {"y", Key::Y},       {"z", Key::Z}};
    std::string rest = keyName;
    for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();) {
        const std::string modifier = rest.substr(0, plus);
        if (modifier == "ctrl") c.modifiers.ctrl = true;
        else if (modifier == "shift") c.modifiers.shift = true;
        else return false;
        rest.erase(0, plus + 1);
    }
    if (rest.size() == 1) rest[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    for (const auto& [name, key] : names)
        if (rest == name) {
            c.key = key;
            return true;
        }
    return false;
}

}  // namespace

std::optional<std::vector<ScriptCommand>> parseScript(const std::string& text, std::string& error) {
    using Kind = ScriptCommand::Kind;
    std::vector<ScriptCommand> commands;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        std::istringstream words(raw);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty() || w[0][0] == '#') continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why + ": " + raw;
            return std::nullopt;
        };
        ScriptCommand c;
        c.line = lineNo;
        const std::string& name = w[0];
        if (name == "wait") {
            c.kind = Kind::Wait;
            if (w.size() != 2 || !parseNumber(w[1], c.x) || c.x < 0) return fail("wait needs a number of seconds");
        } else if (name == "tap" || name == "down" || name == "move" || name == "up") {
            c.kind = name == "tap" ? Kind::Tap : name == "down" ? Kind::Down : name == "move" ? Kind::Move : Kind::Up;
            if (w.size() != 3 || !parseNumber(w[1], c.x) || !parseNumber(w[2], c.y)) return fail(name + " needs X and Y in points");
        } else if (name == "type") {
            c.kind = Kind::Type;
            const std::size_t at = raw.find("type") + 4;
            c.file = at < raw.size() ? raw.substr(at + 1) : "";
            if (!c.file.empty() && c.file.back() == '\r') c.file.pop_back();
            if (c.file.empty()) return fail("type needs text");
        } else if (name == "key") {
            c.kind = Kind::Key;
            if (w.size() != 2 || !parseKey(w[1], c)) return fail("key needs one key name");
        } else if (name == "screenshot" || name == "dump") {
            c.kind = name == "dump" ? Kind::Dump : Kind::Screenshot;
            if (w.size() != 2) return fail(name + " needs one file name");
            c.file = w[1];
        } else if (name == "quit") {
            c.kind = Kind::Quit;
            if (w.size() != 1) return fail("quit takes nothing");
        } else {
            return fail("unknown command '" + name + "'");
        }
        commands.push_back(std::move(c));
    }
    return commands;
}

ScriptRunner::ScriptRunner(std::vector<ScriptCommand> commands, ScriptTarget target)
    : commands_(std::move(commands)), target_(std::move(target)) {}

void ScriptRunner::step() {
    using Kind = ScriptCommand::Kind;
    if (liftPending_) {
        liftPending_ = false;
        target_.touch(Kind::Up, liftX_, liftY_);
        return;
    }
    if (waitFrames_ > 0) {
        --waitFrames_;
        if (waitFrames_ > 0) return;
    }
    while (next_ < commands_.size()) {
        const ScriptCommand& c = commands_[next_++];
        switch (c.kind) {
            case Kind::Wait:
                // The frame that runs the wait counts as its first frame.
                waitFrames_ = std::lround(c.x * 60.0);
                if (waitFrames_ > 0) return;
                break;
            case Kind::Tap:
                target_.touch(Kind::Down, c.x, c.y);
                liftPending_ = true;
                liftX_ = c.x;
                liftY_ = c.y;
                return;
            case Kind::Down:
            case Kind::Move:
            case Kind::Up:
                target_.touch(c.kind, c.x, c.y);
                break;
            case Kind::Type:
                target_.type(c.file);
                break;
            case Kind::Key:
                target_.key(c.key, c.modifiers);
                break;
            case Kind::Screenshot:
                target_.screenshot(c.file);
                break;
            case Kind::Dump:
                target_.dump(c.file);
                break;
            case Kind::Quit:
                target_.quit();
                return;
        }
    }
}

}  // namespace launcher
