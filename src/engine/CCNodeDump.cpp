#include "engine/CCNodeDump.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <typeinfo>

#include "engine/CCDirector.h"
#include "engine/CCLabelBMFont.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCSprite.h"
#include "platform/JsonText.h"

namespace {

std::string className(const CCNode& node) {
    const char* mangled = typeid(node).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : mangled;
    std::free(demangled);
    return name;
}

void appendNumber(std::string& out, float v) {
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    if (v == 0) v = 0;  // no "-0"
    // The fewest digits that read back as the same float. (The standard
    // library of the web target cannot format floating point with to_chars.)
    char buf[48];
    if (v == std::trunc(v) && std::fabs(v) < 1e15f) {
        std::snprintf(buf, sizeof buf, "%.0f", static_cast<double>(v));  // whole: no exponent
    } else {
        for (int digits = 1; digits <= 9; ++digits) {
            std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(v));
            if (std::strtof(buf, nullptr) == v) break;
        }
    }
    out += buf;
}

void appendPair(std::string& out, float a, float b) {
    out += '[';
    appendNumber(out, a);
    out += ',';
    appendNumber(out, b);
    out += ']';
}

void appendNode(std::string& out, const CCNode& node, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out += indent + "{\"class\":";
    platform::appendJsonString(out, className(node));
    out += ",\"tag\":" + std::to_string(node.tag());
    out += ",\"position\":";
    appendPair(out, node.position().x, node.position().y);
    out += ",\"scale\":";
    appendPair(out, node.scaleX(), node.scaleY());
    out += ",\"rotation\":";
    appendNumber(out, node.rotation());
    out += ",\"visible\":";
    out += node.visible() ? "true" : "false";
    const auto* rgba = dynamic_cast<const CCRGBAProtocol*>(&node);
    out += ",\"opacity\":" + std::to_string(rgba ? rgba->opacity() : 255);
    out += ",\"z\":" + std::to_string(node.zOrder());
    out += ",\"size\":";
    appendPair(out, node.contentSize().width, node.contentSize().height);

    const auto* sprite = dynamic_cast<const CCSprite*>(&node);
    const auto* ttf = dynamic_cast<const CCLabelTTF*>(&node);
    const auto* bmfont = dynamic_cast<const CCLabelBMFont*>(&node);
    out += ",\"texture\":";
    if (sprite && !ttf && sprite->texture() && !sprite->texture()->fileName().empty())
        platform::appendJsonString(out, sprite->texture()->fileName());
    else if (bmfont)
        platform::appendJsonString(out, bmfont->fntFile());
    else
        out += "null";
    out += ",\"flipX\":";
    out += sprite && sprite->flipX() ? "true" : "false";
    out += ",\"frame\":";
    if (sprite && !sprite->displayFrameName().empty())
        platform::appendJsonString(out, sprite->displayFrameName());
    else
        out += "null";
    out += ",\"text\":";
    if (ttf)
        platform::appendJsonString(out, ttf->string());
    else if (bmfont)
        platform::appendJsonString(out, bmfont->string());
    else
        out += "null";
    out += ",\"actions\":" + std::to_string(node.numberOfRunningActions());
    out += ",\"children\":[";
    // Drawing order without re-sorting a const tree.
    const auto& children = node.children();
    if (!children.empty()) {
        std::vector<const CCNode*> order;
        order.reserve(children.size());
        for (const auto& c : children) order.push_back(c.get());
        std::sort(order.begin(), order.end(), [](const CCNode* a, const CCNode* b) {
            return a->zOrder() != b->zOrder() ? a->zOrder() < b->zOrder() : a->orderOfArrival() < b->orderOfArrival();
        });
        out += '\n';
        for (std::size_t i = 0; i < order.size(); ++i) {
            appendNode(out, *order[i], depth + 1);
            out += i + 1 < order.size() ? ",\n" : "\n";
        }
        out += indent;
    }
    out += "]}";
}

}  // namespace

std::string nodeTreeToJson(const CCNode* node) {
    if (!node) return "null\n";
    std::string out;
    appendNode(out, *node, 0);
    out += '\n';
    return out;
}

std::string runningSceneToJson() { return nodeTreeToJson(CCDirector::sharedDirector()->runningScene()); }
