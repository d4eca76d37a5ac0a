#include <gtest/gtest.h>

#include "app/KVTAppUtils.h"
#include "platform/Application.h"

namespace {

struct NoView : platform::ApplicationDelegate {
    bool didFinishLaunching() override { return true; }
};

// Runs the checks as the given device.
class Device {
public:
    explicit Device(const platform::DeviceProfile& profile) {
        platform::LaunchOptions options;
        options.headless = true;
        options.device = profile;
        platform::Application::shared().start(options, delegate_);
    }
    ~Device() { platform::Application::shared().stop(); }

private:
    NoView delegate_;
};

}  // namespace

TEST(KVTAppUtils, RealFileNamePutsTheDeviceBeforeEveryExtension) {
    {
        Device phone(platform::DeviceProfile::phone(1));
        EXPECT_FALSE(KVTAppUtils::isPad());
        EXPECT_EQ(KVTAppUtils::realFileName("bg.png"), "bg~iphone.png");
        EXPECT_EQ(KVTAppUtils::deviceDependentFileSuffix(), "-landscape-iphone");
    }
    Device tablet(platform::DeviceProfile::tablet(2));
    EXPECT_TRUE(KVTAppUtils::isPad());
    EXPECT_EQ(KVTAppUtils::realFileName("main-menu.ccb"), "main-menu~ipad.ccb");
    EXPECT_EQ(KVTAppUtils::realFileName("a.png.png"), "a~ipad.png~ipad.png");
    // No extension: the key is "." alone, so every dot takes the suffix.
    EXPECT_EQ(KVTAppUtils::realFileName("dir.v2/name"), "dir~ipad.v2/name");
    EXPECT_EQ(KVTAppUtils::realFileName("name"), "name");
    EXPECT_EQ(KVTAppUtils::deviceDependentFileSuffix(), "-landscape-ipad");
}

TEST(KVTAppUtils, PointOnLineUsesTruncatedDifferences) {
    CGPoint p = KVTAppUtils::pointOnLineWithPoint1({0, 0}, {3, 4}, 5);
    EXPECT_FLOAT_EQ(p.x, 3);
    EXPECT_FLOAT_EQ(p.y, 4);
    p = KVTAppUtils::pointOnLineWithPoint1({0, 0}, {0.5f, 0.5f}, 100);
    EXPECT_EQ(p, (CGPoint{0, 0}));
    p = KVTAppUtils::pointOnLineWithPoint1({10, 10}, {7, 6}, -5);  // away from p2
    EXPECT_FLOAT_EQ(p.x, 13);
    EXPECT_FLOAT_EQ(p.y, 14);
    p = KVTAppUtils::pointOnLineWithPoint1({2, 2}, {2, 2}, 3);  // no direction: stays put
    EXPECT_EQ(p, (CGPoint{2, 2}));
}

TEST(KVTAppUtils, DigestsOfStringsAndData) {
    EXPECT_EQ(md5(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(MD5({}), md5(""));
    EXPECT_EQ(md5(std::string("token\0tail", 10)), md5("token"));
    EXPECT_EQ(MD5({'a', 'b', 'c'}), "900150983cd24fb0d6963f7d28e17f72");
}
