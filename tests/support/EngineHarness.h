// Boots the platform headless with a device profile and the engine's
// director on it, steps frames and reads what they drew.
//
// One harness serves the whole test process: booting GL is slow, so it stays
// up between tests and restarts only when a test asks for another device.
// Each boot() leaves no running scene and empty engine caches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Application.h"

namespace testsupport {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

// Expects each colour channel of `got` (alpha aside) within `tolerance` of `want`'s.
void expectNear(Rgba got, Rgba want, int tolerance = 2);

// A frame's pixels, rows top to bottom as the screen shows them.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    // Pixel at (x, y) in pixels, origin bottom-left like the engine.
    Rgba at(int x, int y) const;
    bool empty() const { return rgba.empty(); }
};

class EngineHarness {
public:
    // resourceDir: the bundle's Resources directory ("" leaves it as it is);
    // a window size in pixels other than 0 x 0 scales the game's picture into
    // a letterboxed viewport of that window (frames read the viewport).
    static EngineHarness& boot(const platform::DeviceProfile& device = platform::DeviceProfile::tablet(1),
                               const std::string& resourceDir = "", int windowWidth = 0, int windowHeight = 0);
    // Runs frames through the platform's loop (the director draws each).
    void step(int frames = 1);
    // Runs one frame and returns what it drew.
    Frame frame();
    // Tears everything down (the next boot starts afresh).
    static void shutdown();

private:
    EngineHarness() = default;
};

// Renders `pixels` (RGBA rows top first) as a PNG image file, for test resources.
void writePngFile(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels);
// A w x h image of one colour (straight alpha).
std::vector<std::uint8_t> solidImage(int width, int height, Rgba color);

}  // namespace testsupport
