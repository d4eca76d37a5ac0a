// Text labels: TrueType through the bundle's font map, and bitmap fonts.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/CCDirector.h"
#include "engine/CCLabelBMFont.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCScene.h"
#include "platform/PropertyList.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using testsupport::EngineHarness;
using testsupport::Frame;
using testsupport::TempDir;

namespace {

const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Ink bounds (pixels) of everything brighter than black in a frame.
struct Ink {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1;
    int maxR = 0, maxG = 0, maxB = 0;
};
Ink inkOf(const Frame& f) {
    Ink ink;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            auto p = f.at(x, y);
            if (p.r + p.g + p.b == 0) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.bottom = std::min(ink.bottom, y);
            ink.top = std::max(ink.top, y);
            ink.maxR = std::max<int>(ink.maxR, p.r);
            ink.maxG = std::max<int>(ink.maxG, p.g);
            ink.maxB = std::max<int>(ink.maxB, p.b);
        }
    return ink;
}

class Labels : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kDejaVu)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
        std::filesystem::create_directories(dir.path() / "fonts");
        std::filesystem::copy_file(kDejaVu, dir.path() / "fonts/TestSans.ttf");
        platform::Value entry;
        entry.set("file", "fonts/TestSans.ttf");
        entry.set("index", 0);
        platform::Value fonts;
        fonts.set("TestSans-Book", entry);
        platform::Value map;
        map.set("fonts", fonts);
        map.set("fallback", "TestSans-Book");
        platform::writePropertyListFile(dir / "fonts.plist", map, platform::PlistFormat::Xml);
    }
    EngineHarness& boot(int scale = 1) {
        EngineHarness& h = EngineHarness::boot(platform::DeviceProfile::tablet(scale), dir.path().string());
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene);
        return h;
    }
    TempDir dir;
    Ref<CCScene> scene;
};

}  // namespace

TEST_F(Labels, TrueTypeLabelsAreSizedToTheirText) {
    boot();
    Ref<CCLabelTTF> one = CCLabelTTF::labelWithString("Hello", "TestSans-Book", 20);
    ASSERT_TRUE(one);
    CGSize size = one->contentSize();
    EXPECT_GT(size.width, 30);
    EXPECT_LT(size.width, 80);
    EXPECT_GE(size.height, 20);
    EXPECT_LT(size.height, 30);
    EXPECT_EQ(one->anchorPoint(), ccp(0.5f, 0.5f));

    Ref<CCLabelTTF> longer = CCLabelTTF::labelWithString("Hello, world", "TestSans-Book", 20);
    EXPECT_GT(longer->contentSize().width, size.width);
    Ref<CCLabelTTF> twoLines = CCLabelTTF::labelWithString("Hello\nthere", "TestSans-Book", 20);
    EXPECT_FLOAT_EQ(twoLines->contentSize().height, 2 * size.height);
    Ref<CCLabelTTF> bigger = CCLabelTTF::labelWithString("Hello", "TestSans-Book", 40);
    EXPECT_NEAR(bigger->contentSize().width, 2 * size.width, 3);

    one->setString("Hello, world");
    EXPECT_EQ(one->contentSize(), longer->contentSize());
    EXPECT_EQ(one->string(), "Hello, world");
    // Cyrillic draws too.
    Ref<CCLabelTTF> cyrillic = CCLabelTTF::labelWithString("Привет", "TestSans-Book", 20);
    EXPECT_GT(cyrillic->contentSize().width, 30);

    // An unknown name falls back to the map's fallback font.
    Ref<CCLabelTTF> other = CCLabelTTF::labelWithString("Hello", "NoSuchFont", 20);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->contentSize(), size);
    Ref<CCLabelTTF> empty = CCLabelTTF::labelWithString("", "TestSans-Book", 20);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->contentSize().width, 0);
}

TEST_F(Labels, DensityChangesPixelsNotPoints) {
    boot(1);
    CGSize atOne = CCLabelTTF::labelWithString("Numbers 123", "TestSans-Book", 24)->contentSize();
    boot(2);
    Ref<CCLabelTTF> label = CCLabelTTF::labelWithString("Numbers 123", "TestSans-Book", 24);
    EXPECT_NEAR(label->contentSize().width, atOne.width, 2);
    EXPECT_NEAR(label->contentSize().height, atOne.height, 1);
    EXPECT_NEAR(label->texture()->pixelsWide(), 2 * label->contentSize().width, 1);
    boot(1);
}

TEST_F(Labels, DimensionsWrapAndAlignTheText) {
    EngineHarness& h = boot();
    Ref<CCLabelTTF> boxed = CCLabelTTF::labelWithString("one two three four five six", CGSizeMake(120, 200),
                                                        kCCTextAlignmentCenter, kCCVerticalTextAlignmentCenter,
                                                        "TestSans-Book", 20);
    ASSERT_TRUE(boxed);
    EXPECT_EQ(boxed->contentSize(), CGSizeMake(120, 200));
    boxed->setAnchorPoint({0, 0});
    boxed->setPosition({100, 100});
    scene->addChild(boxed);
    Ink ink = inkOf(h.frame());
    // Several lines, inside the box, centred both ways.
    EXPECT_GT(ink.top - ink.bottom, 50);
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.right, 220);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 160, 6);
    EXPECT_NEAR((ink.bottom + ink.top) / 2.0, 200, 6);
    // White unless coloured.
    EXPECT_EQ(ink.maxR, 255);
    EXPECT_EQ(ink.maxG, 255);
    EXPECT_EQ(ink.maxB, 255);

    boxed->setHorizontalAlignment(kCCTextAlignmentLeft);
    boxed->setVerticalAlignment(kCCVerticalTextAlignmentTop);
    boxed->setColor({255, 0, 0});
    ink = inkOf(h.frame());
    EXPECT_LT(ink.left, 104);
    EXPECT_GT(ink.top, 290);
    EXPECT_EQ(ink.maxR, 255);
    EXPECT_EQ(ink.maxG, 0);

    // A zero height takes the wrapped text's height; a word wider than the box is cut.
    Ref<CCLabelTTF> auto_ = CCLabelTTF::labelWithString("one two three four five six", CGSizeMake(120, 0),
                                                        kCCTextAlignmentLeft, "TestSans-Book", 20);
    Ref<CCLabelTTF> single = CCLabelTTF::labelWithString("one", "TestSans-Book", 20);
    EXPECT_EQ(auto_->contentSize().width, 120);
    EXPECT_GE(auto_->contentSize().height, 2 * single->contentSize().height);
    Ref<CCLabelTTF> narrow = CCLabelTTF::labelWithString("Incomprehensibilities", CGSizeMake(40, 0),
                                                         kCCTextAlignmentLeft, "TestSans-Book", 20);
    EXPECT_GE(narrow->contentSize().height, 3 * single->contentSize().height);
}

TEST_F(Labels, BitmapFontsLayOutGlyphsWithKerning) {
    // Page: an 8x8 red glyph "A" and an 8x8 green glyph "B".
    std::vector<std::uint8_t> px(16 * 8 * 4, 255);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = &px[(y * 16 + x) * 4];
            p[0] = x < 8 ? 255 : 0;
            p[1] = x < 8 ? 0 : 255;
            p[2] = 0;
        }
    testsupport::writePngFile(dir / "fonts/bm.png", 16, 8, px);
    testsupport::writeFile(dir / "fonts/bm.fnt",
                           "info face=\"t\" size=8\r\n"
                           "common lineHeight=10 base=8 scaleW=16 scaleH=8 pages=1\r\n"
                           "page id=0 file=\"bm.png\"\r\n"
                           "chars count=2\r\n"
                           "char id=65 x=0 y=0 width=8 height=8 xoffset=0 yoffset=2 xadvance=9 page=0\r\n"
                           "char id=66 x=8 y=0 width=8 height=8 xoffset=1 yoffset=2 xadvance=9 page=0\r\n"
                           "kerning first=65 second=66 amount=-2\r\n");
    EngineHarness& h = boot();
    Ref<CCLabelBMFont> label = CCLabelBMFont::labelWithString("AB", "fonts/bm.fnt");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->contentSize(), CGSizeMake(9 - 2 + 9, 10));
    label->setAnchorPoint({0, 0});
    label->setPosition({100, 100});
    scene->addChild(label);
    auto f = h.frame();
    EXPECT_EQ(f.at(100, 100).r, 255);  // A: x 100..107, y 100..107
    EXPECT_EQ(f.at(107, 107).r, 255);
    EXPECT_EQ(f.at(100, 108).r, 0);    // yoffset 2 leaves the top of the line empty
    EXPECT_EQ(f.at(108, 100).g, 255);  // B: 9 - 2 + 1 = 8 further right
    EXPECT_EQ(f.at(115, 104).g, 255);
    EXPECT_EQ(f.at(116, 104).g, 0);

    label->setString("B\nA");
    EXPECT_EQ(label->contentSize(), CGSizeMake(9, 20));
    label->setColor({0, 0, 0});
    f = h.frame();
    EXPECT_EQ(f.at(101, 112).g, 0);
    EXPECT_EQ(CCLabelBMFont::labelWithString("x", "fonts/none.fnt"), nullptr);
}
