#include "app/KVTAppUtils.h"

#include <cmath>
#include <cstdint>

#include "engine/CCDirector.h"
#include "platform/Application.h"
#include "platform/Md5.h"

bool KVTAppUtils::isPad() { return platform::Application::shared().device().idiom == platform::Idiom::Pad; }

std::string KVTAppUtils::deviceDependentFileSuffix() {
    int orientation = CCDirector::sharedDirector()->interfaceOrientation();
    bool landscape = orientation == UIInterfaceOrientationLandscapeRight ||
                     orientation == UIInterfaceOrientationLandscapeLeft;
    return std::string("-") + (landscape ? "landscape" : "portrait") + "-" + (isPad() ? "ipad" : "iphone");
}

std::string KVTAppUtils::realFileName(const std::string& name) {
    std::size_t slash = name.rfind('/');
    std::size_t lastComponent = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos || dot < lastComponent ? "" : name.substr(dot + 1);
    std::string key = "." + extension;
    std::string replacement = (isPad() ? "~ipad" : "~iphone") + key;
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = name.find(key, from)) != std::string::npos; from = at + key.size()) {
        out.append(name, from, at - from);
        out += replacement;
    }
    out.append(name, from, std::string::npos);
    return out;
}

CGPoint KVTAppUtils::pointOnLineWithPoint1(CGPoint p1, CGPoint p2, float d) {
    double length = std::hypot(static_cast<double>(p1.x) - p2.x, static_cast<double>(p1.y) - p2.y);
    if (length == 0) return p1;
    auto truncatedGap = [](double a, double b) {
        double diff = std::trunc(a - b);
        // Out of 32-bit range is never a screen distance; clamp rather than overflow.
        diff = std::fmax(std::fmin(diff, 2147483647.0), -2147483648.0);
        return std::fabs(static_cast<double>(static_cast<std::int32_t>(diff)));
    };
    float ax = static_cast<float>(truncatedGap(p1.x, p2.x));
    float ay = static_cast<float>(truncatedGap(p1.y, p2.y));
    float sx = p1.x < p2.x ? 1.0f : -1.0f;
    float sy = p1.y < p2.y ? 1.0f : -1.0f;
    float l = static_cast<float>(length);
    return CGPoint{p1.x + sx * d * ax / l, p1.y + sy * d * ay / l};
}

std::string md5(const std::string& text) { return platform::md5HexOfString(text); }

std::string MD5(const std::vector<std::uint8_t>& data) { return platform::md5Hex(data.data(), data.size()); }
