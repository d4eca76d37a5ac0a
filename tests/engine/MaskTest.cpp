// Masking nodes on real GL (Mesa, headless): a node shown through a mask
// sprite's alpha, and layers clipped to a pixel rectangle. Pixels are read
// back from the screen.
#include <gtest/gtest.h>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCMask.h"
#include "engine/CCMaskedLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "support/EngineHarness.h"

using testsupport::EngineHarness;
using testsupport::expectNear;
using testsupport::Rgba;

namespace {

constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kRed{255, 0, 0, 255};

// Premultiplied rows; `alphaAt(x)` gives each column's alpha.
template <class AlphaAt>
Ref<CCTexture2D> texture(int w, int h, Rgba color, AlphaAt alphaAt) {
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = alphaAt(x);
            std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(color.r * a / 255);
            p[1] = static_cast<std::uint8_t>(color.g * a / 255);
            p[2] = static_cast<std::uint8_t>(color.b * a / 255);
            p[3] = static_cast<std::uint8_t>(a);
        }
    Ref<CCTexture2D> t = makeRef<CCTexture2D>();
    t->initWithRGBA(px.data(), w, h, 1);
    return t;
}

class Mask : public ::testing::Test {
protected:
    void SetUp() override {
        harness = &EngineHarness::boot(platform::DeviceProfile::tablet(1));
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene);
        // A 64x64 opaque red object at (200, 200): 168..232 both ways.
        object = CCSprite::spriteWithTexture(texture(64, 64, kRed, [](int) { return 255; }));
        object->setPosition({200, 200});
        // A 32x32 mask at (200, 200), 184..216: its left half transparent.
        halves = texture(32, 32, {255, 255, 255, 255}, [](int x) { return x < 16 ? 0 : 255; });
        mask = CCSprite::spriteWithTexture(halves);
        mask->setPosition({200, 200});
    }

    EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
    Ref<CCSprite> object;
    Ref<CCTexture2D> halves;
    Ref<CCSprite> mask;
};

}  // namespace

TEST_F(Mask, ShowsTheObjectThroughTheMasksAlphaFromTheSecondFrame) {
    Ref<CCMask> node = CCMask::createMaskForObject(object, mask);
    ASSERT_TRUE(node);
    ASSERT_EQ(node->children().size(), 1u);
    EXPECT_EQ(node->children()[0].get(), node->masked());
    EXPECT_EQ(object->parent(), nullptr);
    scene->addChild(node);

    // The first frame shows the empty texture and fills it for the next.
    auto f = harness->frame();
    expectNear(f.at(208, 200), kBlack);
    f = harness->frame();
    expectNear(f.at(192, 200), kBlack);  // under the mask's transparent half
    expectNear(f.at(208, 200), kRed);    // under its opaque half
    expectNear(f.at(175, 200), kRed);    // outside the mask's quad: the object as it is
    expectNear(f.at(240, 200), kBlack);  // outside the object
    expectNear(f.at(600, 600), kBlack);  // the cleared texture is transparent

    // The object's children show too, also outside the object's own box.
    Ref<CCSprite> child = CCSprite::spriteWithTexture(texture(16, 16, {0, 255, 0, 255}, [](int) { return 255; }));
    child->setPosition({332, 32});  // (500, 200) on screen
    object->addChild(child);
    node->mask();
    f = harness->frame();
    expectNear(f.at(500, 200), {0, 255, 0});
    expectNear(f.at(208, 200), kRed);
}

TEST_F(Mask, PartialMaskAlphaFadesTheObjectOverWhatIsBehind) {
    Ref<CCLayerColor> grey = CCLayerColor::layerWithColor({100, 100, 100, 255});
    scene->addChild(grey);
    Ref<CCSprite> half = CCSprite::spriteWithTexture(texture(32, 32, {255, 255, 255, 255}, [](int) { return 128; }));
    half->setPosition({200, 200});
    Ref<CCMask> node = CCMask::createMaskForObject(object, half);
    node->mask();
    scene->addChild(node);
    auto f = harness->frame();
    expectNear(f.at(200, 200), {178, 50, 50}, 3);  // red x 0.5 + grey x 0.5
    expectNear(f.at(175, 200), {255, 0, 0});
    expectNear(f.at(300, 300), {100, 100, 100});

    // The mask applied once more without the object: alpha 0.5 x 0.5.
    // visit shows the texture before its own fresh pass.
    node->reDrawMask();
    f = harness->frame();
    expectNear(f.at(200, 200), {139, 75, 75}, 3);  // red x 0.25 + grey x 0.75
}

TEST_F(Mask, ChangesShowAFrameLateUnlessMaskIsRunAtOnce) {
    Ref<CCMask> node = CCMask::createMaskForObject(object, mask);
    node->mask();
    scene->addChild(node);
    auto f = harness->frame();
    expectNear(f.at(175, 200), kRed);

    // Moved and masked at once: the new place in this frame.
    object->setPosition({400, 200});
    node->mask();
    f = harness->frame();
    expectNear(f.at(400, 200), kRed);
    expectNear(f.at(175, 200), kBlack);

    // Moved alone: the old place once more, the new one a frame later.
    object->setPosition({600, 200});
    f = harness->frame();
    expectNear(f.at(400, 200), kRed);
    expectNear(f.at(600, 200), kBlack);
    f = harness->frame();
    expectNear(f.at(600, 200), kRed);
}

TEST_F(Mask, AMaskShownAgainShowsItsObjectAsItIsNow) {
    Ref<CCMask> node = CCMask::createMaskForObject(object, mask);
    scene->addChild(node);
    harness->step(2);
    node->setVisible(false);
    object->setPosition({600, 200});
    harness->step(2);
    node->setVisible(true);
    auto f = harness->frame();
    expectNear(f.at(600, 200), kRed);
    expectNear(f.at(200, 200), kBlack);
}

TEST_F(Mask, AStillMaskIsNotPassedAgainAndABlankCanvasIsNotDrawn) {
    Ref<CCMask> node = CCMask::createMaskForObject(object, mask);
    scene->addChild(node);
    harness->step(2);
    const int still = CCDirector::sharedDirector()->drawCallsLastFrame();
    object->setPosition({300, 200});
    harness->step();
    // The moved object's pass draws the object and the mask into the texture.
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), still + 2);
    auto f = harness->frame();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), still);
    expectNear(f.at(300, 200), kRed);

    Ref<CCRenderTexture> canvas = CCRenderTexture::renderTextureWithWidth(1024, 768);
    canvas->setPosition({512, 384});
    scene->addChild(canvas);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), still);
    canvas->begin();
    object->visit();
    canvas->end();
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), still + 1);
    canvas->clear(0, 0, 0, 0);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), still);
}

TEST_F(Mask, ClearColourAndPassesWithoutClearing) {
    Ref<CCMask> node = CCMask::createMaskForObject(object, mask);

    node->mask();
    object->setPosition({500, 500});
    node->maskWithoutClear();  // drawn over the first pass
    int w = 0, h = 0;
    auto px = node->masked()->readPixels(w, h);
    auto texel = [&](int x, int y) {
        const std::uint8_t* p = &px[(static_cast<std::size_t>(h - 1 - y) * w + x) * 4];
        return Rgba{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(texel(175, 200).a, 255);
    EXPECT_EQ(texel(475, 500).a, 255);
    EXPECT_EQ(texel(300, 300).a, 0);

    // A clear colour fills the texture where the object is not.
    node->maskWithClear(0, 0, 1, 1);
    px = node->masked()->readPixels(w, h);
    EXPECT_EQ(texel(300, 300), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(texel(175, 200).r, 0);  // the first place is cleared away
    EXPECT_EQ(texel(475, 500).r, 255);
}

TEST_F(Mask, ANewMaskSpriteMasksInverted) {
    Ref<CCMask> node = CCMask::createMaskForObject(object, nullptr);
    scene->addChild(node);
    node->setMask(mask);
    EXPECT_EQ(node->maskSprite(), mask.get());
    EXPECT_EQ(mask->blendFunc(), kCCInvertedMaskSpriteBlendFunc);
    node->mask();
    auto f = harness->frame();
    // The object is cut away where the mask is opaque, kept where it is clear.
    expectNear(f.at(192, 200), kRed);
    expectNear(f.at(208, 200), kBlack);

    // Swapping the object changes nothing else.
    Ref<CCSprite> other = CCSprite::spriteWithTexture(texture(64, 64, {0, 255, 0, 255}, [](int) { return 255; }));
    other->setPosition({200, 200});
    node->setObject(other);
    node->mask();
    f = harness->frame();
    expectNear(f.at(192, 200), {0, 255, 0});
    expectNear(f.at(208, 200), kBlack);
}

TEST_F(Mask, InsideAClippedLayerTheTextureIsStillFilledWhole) {
    Ref<CCMaskedLayer> clip = CCMaskedLayer::layerWithRect(CGRectMake(0, 0, 190, 768));
    Ref<CCMask> node = CCMask::createMaskForObject(object, mask);
    clip->addChild(node);
    scene->addChild(clip);
    harness->step(2);
    int w = 0, h = 0;
    auto px = node->masked()->readPixels(w, h);
    const std::uint8_t* p = &px[(static_cast<std::size_t>(h - 1 - 200) * w + 210) * 4];
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[3], 255);
    auto f = harness->frame();
    expectNear(f.at(175, 200), kRed);
    expectNear(f.at(210, 200), kBlack);  // the screen is clipped, though
}

// --- masked layers ------------------------------------------------------------

TEST_F(Mask, AMaskedLayerClipsItsSubtreeAtTruncatedPixels) {
    Ref<CCMaskedLayer> clip = CCMaskedLayer::layerWithRect(CGRectMake(10.9f, 100, 200.9f, 100));
    clip->addChild(CCLayerColor::layerWithColor({0, 255, 0, 255}));
    scene->addChild(clip);
    Ref<CCLayerColor> after = CCLayerColor::layerWithColor({0, 0, 255, 255}, 1024, 50);
    scene->addChild(after);  // drawn after the layer: not clipped
    auto f = harness->frame();
    expectNear(f.at(10, 150), {0, 255, 0});
    expectNear(f.at(9, 150), kBlack);
    expectNear(f.at(209, 150), {0, 255, 0});
    expectNear(f.at(210, 150), kBlack);
    expectNear(f.at(100, 99), kBlack);
    expectNear(f.at(100, 200), kBlack);
    expectNear(f.at(900, 20), {0, 0, 255});

    // A new rectangle applies from the next frame.
    clip->setMaskedRect(CGRectMake(500, 500, 10, 10));
    f = harness->frame();
    expectNear(f.at(100, 150), kBlack);
    expectNear(f.at(505, 505), {0, 255, 0});
}

TEST_F(Mask, AnInnerMaskedLayerClipsToItsOwnBoxAndEndsTheOuterClip) {
    Ref<CCMaskedLayer> outer = CCMaskedLayer::layerWithRect(CGRectMake(0, 0, 400, 400));
    Ref<CCMaskedLayer> inner = CCMaskedLayer::layerWithRect(CGRectMake(300, 300, 300, 300));
    inner->addChild(CCLayerColor::layerWithColor({255, 0, 0, 255}));
    outer->addChild(inner, 0);
    // Drawn after the inner layer, still inside the outer one.
    Ref<CCLayerColor> rest = CCLayerColor::layerWithColor({0, 0, 255, 255}, 1024, 100);
    outer->addChild(rest, 1);
    scene->addChild(outer);
    auto f = harness->frame();
    expectNear(f.at(350, 350), {255, 0, 0});
    expectNear(f.at(450, 450), {255, 0, 0});  // inside inner, outside outer
    expectNear(f.at(250, 250), kBlack);       // inside outer, outside inner
    expectNear(f.at(100, 50), {0, 0, 255});
    expectNear(f.at(600, 50), {0, 0, 255});   // no clip left after the inner layer
}

TEST(MaskedLayerScale, TheRectangleIsInPixelsAndReadsBackInPoints) {
    EngineHarness& h = EngineHarness::boot(platform::DeviceProfile::tablet(2));
    ASSERT_EQ(CCDirector::sharedDirector()->contentScaleFactor(), 2);
    Ref<CCScene> scene = CCScene::node();
    CCDirector::sharedDirector()->runWithScene(scene);
    Ref<CCMaskedLayer> clip = CCMaskedLayer::layerWithRect(CGRectMake(0, 0, 2048, 300));
    EXPECT_EQ(clip->maskedRectInPoints(), CGRectMake(0, 0, 1024, 150));
    clip->addChild(CCLayerColor::layerWithColor({0, 255, 0, 255}));
    scene->addChild(clip);
    auto f = h.frame();
    ASSERT_EQ(f.height, 1536);
    EXPECT_EQ(f.at(100, 299).g, 255);
    EXPECT_EQ(f.at(100, 300).g, 0);
    EngineHarness::boot(platform::DeviceProfile::tablet(1));
}

TEST(MaskedLayerScale, TheClipFollowsThePictureIntoALetterboxedWindow) {
    // The tablet's 1024 x 768 scaled by 1000 / 768 into a 2048 x 1000 window,
    // with bars left and right.
    EngineHarness& h = EngineHarness::boot(platform::DeviceProfile::tablet(1), "", 2048, 1000);
    Ref<CCScene> scene = CCScene::node();
    CCDirector::sharedDirector()->runWithScene(scene);
    Ref<CCMaskedLayer> clip = CCMaskedLayer::layerWithRect(CGRectMake(100, 100, 200, 100));
    clip->addChild(CCLayerColor::layerWithColor({0, 255, 0, 255}));
    scene->addChild(clip);
    auto f = h.frame();
    ASSERT_EQ(f.width, 1333);
    ASSERT_EQ(f.height, 1000);
    const double s = 1000.0 / 768;
    auto at = [&](double x, double y) { return f.at(int(x * s), int(y * s)); };
    expectNear(at(105, 105), {0, 255, 0});
    expectNear(at(295, 195), {0, 255, 0});
    expectNear(at(95, 150), kBlack);
    expectNear(at(305, 150), kBlack);
    expectNear(at(200, 95), kBlack);
    expectNear(at(200, 205), kBlack);
    EngineHarness::boot(platform::DeviceProfile::tablet(1));
}
