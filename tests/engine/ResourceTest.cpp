// Finding and reading resources: device suffixes, compressed files, sprite
// sheets, and textures sized in points whatever file was found.
#include <gtest/gtest.h>

#include <zlib.h>

#include "engine/CCDirector.h"
#include "engine/CCFileUtils.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "engine/CCSpriteFrame.h"
#include "engine/CCTextureCache.h"
#include "platform/Bundle.h"
#include "platform/PropertyList.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using platform::Idiom;
using testsupport::EngineHarness;
using testsupport::Rgba;
using testsupport::TempDir;

namespace {

// Suffixes as the game's start-up sets them.
void gameSuffixes() {
    CCFileUtils* f = CCFileUtils::sharedFileUtils();
    f->setiPhoneRetinaDisplaySuffix("-hd");
    f->setiPadSuffix("");
    f->setiPadRetinaDisplaySuffix("-hd");
}

std::string gzipped(const std::string& text) {
    z_stream zs{};
    deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(text.size() + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    zs.avail_in = static_cast<uInt>(text.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

}  // namespace

TEST(FileLookup, EachDevicePrefersItsSuffixedFileWhenItExists) {
    TempDir dir;
    testsupport::writeFile(dir / "frog.png", "plain");
    testsupport::writeFile(dir / "frog-hd.png", "hd");
    testsupport::writeFile(dir / "sky.png", "plain only");
    testsupport::writeFile(dir / "img/leaf-hd.png", "hd in a folder");
    testsupport::writeFile(dir / "img/leaf.png", "plain in a folder");
    platform::Bundle::main().setResourcePath(dir.path().string());
    gameSuffixes();
    CCFileUtils* f = CCFileUtils::sharedFileUtils();
    ccResolutionType type{};

    EXPECT_EQ(f->fullPathForDevice("frog.png", Idiom::Pad, 1, &type), dir / "frog.png");  // the pad's suffix is empty
    EXPECT_EQ(type, kCCResolutioniPad);
    EXPECT_EQ(f->fullPathForDevice("frog.png", Idiom::Pad, 2, &type), dir / "frog-hd.png");
    EXPECT_EQ(type, kCCResolutioniPadRetinaDisplay);
    EXPECT_EQ(f->fullPathForDevice("frog.png", Idiom::Phone, 1, &type), dir / "frog.png");
    EXPECT_EQ(type, kCCResolutioniPhone);
    EXPECT_EQ(f->fullPathForDevice("frog.png", Idiom::Phone, 2, &type), dir / "frog-hd.png");
    EXPECT_EQ(type, kCCResolutioniPhoneRetinaDisplay);

    // No "-hd" variant: the plain file, at its own (single) density.
    EXPECT_EQ(f->fullPathForDevice("sky.png", Idiom::Phone, 2, &type), dir / "sky.png");
    EXPECT_EQ(type, kCCResolutioniPhone);
    EXPECT_EQ(f->fullPathForDevice("img/leaf.png", Idiom::Pad, 2), dir / "img/leaf-hd.png");
    // A name that already carries the suffix is not suffixed again.
    EXPECT_EQ(f->fullPathForDevice("frog-hd.png", Idiom::Phone, 2, &type), dir / "frog-hd.png");
    EXPECT_EQ(type, kCCResolutioniPhoneRetinaDisplay);
    EXPECT_EQ(f->fullPathForDevice("missing.png", Idiom::Pad, 2), "");

    // Other suffixes are honoured as set.
    f->setiPadSuffix("-hd");
    EXPECT_EQ(f->fullPathForDevice("frog.png", Idiom::Pad, 1), dir / "frog-hd.png");
    gameSuffixes();
}

TEST(FileLookup, CompressedFilesAreInflated) {
    TempDir dir;
    const std::string text = "info face=\"x\"\ncommon lineHeight=10\n";
    testsupport::writeFile(dir / "plain.txt", text);
    testsupport::writeFile(dir / "packed.txt", gzipped(text));
    // Text that happens to start like a zlib header ("x^") stays as it is.
    testsupport::writeFile(dir / "looks-zlib.txt", "x^ not compressed");
    std::string broken = gzipped(text);
    broken.resize(broken.size() / 2);
    testsupport::writeFile(dir / "broken.gz", broken);
    CCFileUtils* f = CCFileUtils::sharedFileUtils();
    auto asText = [](const std::optional<std::vector<std::uint8_t>>& b) {
        return b ? std::string(b->begin(), b->end()) : std::string("<none>");
    };
    EXPECT_EQ(asText(f->contentsOfFile(dir / "plain.txt")), text);
    EXPECT_EQ(asText(f->contentsOfFile(dir / "packed.txt")), text);
    EXPECT_EQ(asText(f->contentsOfFile(dir / "looks-zlib.txt")), "x^ not compressed");
    EXPECT_EQ(asText(f->contentsOfFile(dir / "broken.gz")), "<none>");
    EXPECT_EQ(asText(f->contentsOfFile(dir / "absent")), "<none>");
}

TEST(FileLookup, HdArtShowsAtThePointSizeOfPlainArt) {
    TempDir dir;
    testsupport::writePngFile(dir / "a.png", 10, 20, testsupport::solidImage(10, 20, {255, 0, 0, 255}));
    testsupport::writePngFile(dir / "a-hd.png", 20, 40, testsupport::solidImage(20, 40, {0, 255, 0, 255}));
    testsupport::writePngFile(dir / "b.png", 10, 20, testsupport::solidImage(10, 20, {0, 0, 255, 255}));
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        EngineHarness& h = EngineHarness::boot(platform::DeviceProfile::phone(scale), dir.path().string());
        Ref<CCSprite> a = CCSprite::spriteWithFile("a.png");
        Ref<CCSprite> b = CCSprite::spriteWithFile("b.png");
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->contentSize(), CGSizeMake(10, 20));
        EXPECT_EQ(b->contentSize(), CGSizeMake(10, 20));  // plain art on a dense screen: same points
        EXPECT_EQ(a->texture()->pixelsWide(), 10 * scale);
        Ref<CCScene> scene = CCScene::node();
        a->setPosition({50, 50});
        scene->addChild(a);
        CCDirector::sharedDirector()->runWithScene(scene);
        auto f = h.frame();
        ASSERT_EQ(f.width, 480 * scale);
        Rgba px = f.at(50 * scale, 50 * scale);
        EXPECT_EQ(px.g, scale == 2 ? 255 : 0);
        EXPECT_EQ(px.r, scale == 2 ? 0 : 255);
        EXPECT_EQ(f.at(56 * scale, 50 * scale).r, 0);  // 10 points wide, centred
    }
    EngineHarness::boot(platform::DeviceProfile::tablet(1));
}

namespace {

// A 4x2 sheet: left half red, right half green, one pixel column each of
// blue at x 0 of the left frame.
void writeSheet(const TempDir& dir, const std::string& name, int format) {
    std::vector<std::uint8_t> px(16 * 8 * 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = &px[(y * 16 + x) * 4];
            p[0] = x < 8 ? 255 : 0;
            p[1] = x < 8 ? 0 : 255;
            p[2] = 0;
            p[3] = 255;
            if (x == 0) p[0] = 0, p[2] = 255;
        }
    testsupport::writePngFile(dir / (name + ".png"), 16, 8, px);

    platform::Value frames;
    platform::Value metadata;
    metadata.set("format", format);
    metadata.set("textureFileName", name + ".png");
    if (format == 2) {
        platform::Value red;
        red.set("frame", "{{0,0},{8,8}}");
        red.set("offset", "{0,0}");
        red.set("rotated", false);
        red.set("sourceSize", "{8,8}");
        frames.set("red.png", red);
        // Trimmed: 8x8 of a 12x10 original, shifted right by 1 and up by 1.
        platform::Value green;
        green.set("frame", "{{8,0},{8,8}}");
        green.set("offset", "{1,1}");
        green.set("rotated", false);
        green.set("sourceSize", "{12,10}");
        frames.set("green.png", green);
    } else {
        platform::Value red;
        red.set("textureRect", "{{0,0},{8,8}}");
        red.set("spriteSize", "{8,8}");
        red.set("spriteOffset", "{0,0}");
        red.set("spriteSourceSize", "{8,8}");
        red.set("textureRotated", false);
        platform::Value aliases;
        aliases.push("scarlet.png");
        red.set("aliases", aliases);
        frames.set("red.png", red);
    }
    platform::Value root;
    root.set("frames", frames);
    root.set("metadata", metadata);
    platform::writePropertyListFile(dir / (name + ".plist"), root, platform::PlistFormat::Xml);
}

}  // namespace

TEST(SpriteSheets, FramesLoadByNameWithTrimmedOffsets) {
    TempDir dir;
    writeSheet(dir, "sheet", 2);
    writeSheet(dir, "sheet3", 3);
    EngineHarness& h = EngineHarness::boot(platform::DeviceProfile::tablet(1), dir.path().string());
    CCSpriteFrameCache* cache = CCSpriteFrameCache::sharedSpriteFrameCache();
    cache->addSpriteFramesWithFile("sheet.plist");
    cache->addSpriteFramesWithFile("sheet3.plist");
    ASSERT_TRUE(cache->spriteFrameByName("red.png"));
    EXPECT_TRUE(cache->spriteFrameByName("scarlet.png"));  // an alias
    EXPECT_EQ(cache->spriteFrameByName("nothing.png"), nullptr);

    Ref<CCSprite> green = CCSprite::spriteWithSpriteFrameName("green.png");
    ASSERT_TRUE(green);
    EXPECT_EQ(green->contentSize(), CGSizeMake(12, 10));
    EXPECT_EQ(green->textureRect(), CGRectMake(8, 0, 8, 8));
    EXPECT_EQ(green->displayFrameName(), "green.png");
    // Centred in the original, then shifted by the offset: (2 + 1, 1 + 1).
    EXPECT_EQ(green->offsetPosition(), ccp(3, 2));
    EXPECT_EQ(CCSprite::spriteWithSpriteFrameName("missing.png"), nullptr);

    Ref<CCScene> scene = CCScene::node();
    Ref<CCSprite> red = CCSprite::spriteWithSpriteFrameName("red.png");
    red->setAnchorPoint({0, 0});
    red->setPosition({10, 10});
    scene->addChild(red);
    green->setAnchorPoint({0, 0});
    green->setPosition({40, 10});
    scene->addChild(green);
    CCDirector::sharedDirector()->runWithScene(scene);
    auto f = h.frame();
    EXPECT_EQ(f.at(10, 12).b, 255);  // the frame's first column
    EXPECT_EQ(f.at(14, 12).r, 255);
    EXPECT_EQ(f.at(17, 12).r, 255);
    EXPECT_EQ(f.at(18, 12).g, 0);    // nothing of the neighbouring frame bleeds in
    EXPECT_EQ(f.at(42, 11).g, 0);    // the trimmed border is empty
    EXPECT_EQ(f.at(44, 13).g, 255);
    EXPECT_EQ(f.at(50, 19).g, 255);

    // A frame swap shows the other rectangle.
    red->setDisplayFrame(cache->spriteFrameByName("green.png"));
    EXPECT_TRUE(red->isFrameDisplayed(cache->spriteFrameByName("green.png")));
    f = h.frame();
    EXPECT_EQ(f.at(14, 13).g, 255);
}
