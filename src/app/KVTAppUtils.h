// Device questions and device-specific file names, shared by every scene.
//
// The game ships a tablet and a phone layout; names carry the layout before
// the extension ("main-menu~ipad.ccb", "main-menu~iphone.ccb"). The engine
// adds its own "-hd" on top at content scale 2.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ccTypes.h"

class KVTAppUtils {
public:
    KVTAppUtils() = delete;

    static bool isPad();
    // "-landscape-ipad", "-landscape-iphone" (or "-portrait-..." when the
    // director is not in a landscape orientation).
    static std::string deviceDependentFileSuffix();
    // Puts "~ipad" or "~iphone" before every occurrence of ".<extension>";
    // a name without an extension gets it before every dot.
    static std::string realFileName(const std::string& name);
    // The point at distance d from p1 towards p2. The differences are
    // truncated to whole numbers before scaling, as the drawing activity's
    // tolerances were tuned with; p1 equal to p2 gives p1.
    static CGPoint pointOnLineWithPoint1(CGPoint p1, CGPoint p2, float d);
};

// Lowercase hexadecimal MD5 of a string's bytes up to its first zero byte.
std::string md5(const std::string& text);
// Lowercase hexadecimal MD5 of all the bytes.
std::string MD5(const std::vector<std::uint8_t>& data);
