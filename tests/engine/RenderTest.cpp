// Drawing on real GL (Mesa, headless): sprites, layers, batching, render
// textures, clipping. Pixels are read back from the screen.
#include <gtest/gtest.h>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCRenderTexture.h"
#include "engine/CCRenderer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "engine/CCTextureCache.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using testsupport::EngineHarness;
using testsupport::expectNear;
using testsupport::Rgba;

namespace {

// A 64x64 image in four quadrants: top-left red, top-right green,
// bottom-left blue, bottom-right white.
void writeQuadrants(const std::string& path) {
    std::vector<std::uint8_t> px(64 * 64 * 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* p = &px[(y * 64 + x) * 4];
            bool top = y < 32, left = x < 32;
            Rgba c = top ? (left ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 255})
                         : (left ? Rgba{0, 0, 255, 255} : Rgba{255, 255, 255, 255});
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = c.a;
        }
    testsupport::writePngFile(path, 64, 64, px);
}

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        writeQuadrants(dir / "quad.png");
        testsupport::writePngFile(dir / "white.png", 8, 8, testsupport::solidImage(8, 8, {255, 255, 255, 255}));
        testsupport::writePngFile(dir / "half.png", 8, 8, testsupport::solidImage(8, 8, {255, 255, 255, 128}));
        harness = &EngineHarness::boot(platform::DeviceProfile::tablet(1), dir.path().string());
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene);
    }

    testsupport::TempDir dir;
    EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
};

}  // namespace

TEST_F(Render, SpriteShowsItsImageUprightAndFlipped) {
    Ref<CCSprite> s = CCSprite::spriteWithFile("quad.png");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->contentSize(), CGSizeMake(64, 64));
    s->setPosition({100, 100});  // covers 68..132
    scene->addChild(s);
    auto f = harness->frame();
    expectNear(f.at(84, 116), {255, 0, 0});    // top-left
    expectNear(f.at(116, 116), {0, 255, 0});   // top-right
    expectNear(f.at(84, 84), {0, 0, 255});     // bottom-left
    expectNear(f.at(116, 84), {255, 255, 255});
    expectNear(f.at(60, 100), {0, 0, 0});      // outside

    s->setFlipX(true);
    f = harness->frame();
    expectNear(f.at(84, 116), {0, 255, 0});
    expectNear(f.at(84, 84), {255, 255, 255});

    s->setFlipX(false);
    s->setFlipY(true);
    f = harness->frame();
    expectNear(f.at(84, 116), {0, 0, 255});
    expectNear(f.at(116, 116), {255, 255, 255});

    // Rotation is clockwise: a quarter turn brings the top-left to the top-right.
    s->setFlipY(false);
    s->setRotation(90);
    f = harness->frame();
    expectNear(f.at(116, 116), {255, 0, 0});
    expectNear(f.at(84, 116), {0, 0, 255});
}

TEST_F(Render, TintMultipliesAndOpacityFadesWithPremultipliedAlpha) {
    Ref<CCLayerColor> grey = CCLayerColor::layerWithColor({100, 100, 100, 255});
    scene->addChild(grey);
    Ref<CCSprite> s = CCSprite::spriteWithFile("quad.png");
    s->setPosition({100, 100});
    scene->addChild(s);
    s->setColor({255, 128, 0});
    auto f = harness->frame();
    expectNear(f.at(116, 84), {255, 128, 0});  // white * tint
    expectNear(f.at(84, 116), {255, 0, 0});    // red * tint
    expectNear(f.at(116, 116), {0, 128, 0});   // green * tint

    s->setOpacity(128);
    f = harness->frame();
    // src * 0.5 + grey * (1 - 0.5)
    expectNear(f.at(116, 84), {128 + 50, 64 + 50, 0 + 50}, 3);

    // Image alpha is premultiplied on load: half-transparent white over grey.
    Ref<CCSprite> half = CCSprite::spriteWithFile("half.png");
    half->setPosition({300, 300});
    scene->addChild(half);
    EXPECT_TRUE(half->texture()->hasPremultipliedAlpha());
    EXPECT_EQ(half->blendFunc(), kCCBlendFuncPremultiplied);
    f = harness->frame();
    expectNear(f.at(300, 300), {128 + 50, 128 + 50, 128 + 50}, 3);
}

TEST_F(Render, TextureRectanglesMayExceedTheTextureAndSetTextureKeepsThem) {
    CCTexture2D* tex = CCTextureCache::sharedTextureCache()->addImage("quad.png");
    ASSERT_TRUE(tex);
    EXPECT_EQ(CCTextureCache::sharedTextureCache()->addImage("quad.png"), tex);  // loaded once

    // The top-left quadrant alone.
    Ref<CCSprite> part = CCSprite::spriteWithTexture(tex, CGRectMake(0, 0, 32, 32));
    EXPECT_EQ(part->contentSize(), CGSizeMake(32, 32));
    part->setPosition({50, 50});
    scene->addChild(part);
    // Twice the texture: the edges stretch, the size is the rectangle's.
    Ref<CCSprite> big = CCSprite::spriteWithTexture(tex, CGRectMake(0, 0, 128, 128));
    EXPECT_EQ(big->contentSize(), CGSizeMake(128, 128));
    big->setPosition({400, 400});
    scene->addChild(big);
    auto f = harness->frame();
    expectNear(f.at(40, 40), {255, 0, 0});
    expectNear(f.at(60, 60), {255, 0, 0});
    expectNear(f.at(345, 455), {255, 0, 0});       // near the top-left corner
    expectNear(f.at(455, 345), {255, 255, 255});   // bottom-right: the stretched last texel

    // Swapping the texture keeps the rectangle and size.
    big->setTexture(CCTextureCache::sharedTextureCache()->addImage("white.png"));
    EXPECT_EQ(big->textureRect(), CGRectMake(0, 0, 128, 128));
    EXPECT_EQ(big->contentSize(), CGSizeMake(128, 128));
    // A holder sprite given a texture takes the whole image.
    Ref<CCSprite> holder = CCSprite::node();
    EXPECT_EQ(holder->contentSize(), CGSizeZero);
    holder->setTexture(tex);
    EXPECT_EQ(holder->contentSize(), CGSizeMake(64, 64));
}

TEST_F(Render, QuadsSharingTextureAndBlendDrawInOneCall) {
    CCTexture2D* tex = CCTextureCache::sharedTextureCache()->addImage("white.png");
    for (int i = 0; i < 1000; ++i) {
        Ref<CCSprite> s = CCSprite::spriteWithTexture(tex);
        s->setPosition({float(i % 1000), float(i % 700)});
        scene->addChild(s);
    }
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), 1);
    EXPECT_EQ(CCDirector::sharedDirector()->quadsLastFrame(), 1000);

    // A layer batches too (solid colours use the white texture)...
    Ref<CCLayerColor> layer = CCLayerColor::layerWithColor({0, 0, 0, 255});
    scene->addChild(layer, -1);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), 2);

    // ...and each change of blend function (the same texture) or of texture
    // starts a new call.
    Ref<CCSprite> additive = CCSprite::spriteWithTexture(tex);
    additive->setBlendFunc({CC_GL_ONE, CC_GL_ONE});
    scene->addChild(additive);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), 3);
    Ref<CCSprite> other = CCSprite::spriteWithFile("quad.png");
    scene->addChild(other);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), 4);
}

TEST_F(Render, LayersFillWithColourAndGradient) {
    Ref<CCLayerColor> color = CCLayerColor::layerWithColor({0, 0, 255, 255}, 100, 50);
    color->setPosition({10, 10});
    scene->addChild(color);
    Ref<CCLayerGradient> gradient = CCLayerGradient::layerWithColor({255, 0, 0, 255}, {0, 0, 255, 255});
    gradient->setContentSize({100, 200});
    gradient->setPosition({500, 100});
    scene->addChild(gradient);
    auto f = harness->frame();
    expectNear(f.at(10, 10), {0, 0, 255});
    expectNear(f.at(109, 59), {0, 0, 255});
    expectNear(f.at(110, 30), {0, 0, 0});
    expectNear(f.at(550, 299), {255, 0, 0}, 4);   // start colour at the top
    expectNear(f.at(550, 100), {0, 0, 255}, 4);   // end colour at the bottom
    expectNear(f.at(550, 200), {128, 0, 128}, 4);

    color->setOpacity(0);
    f = harness->frame();
    expectNear(f.at(20, 20), {0, 0, 0});
}

TEST_F(Render, RenderTextureShowsTexturePointsAtScenePoints) {
    CGSize win = CCDirector::sharedDirector()->winSize();
    Ref<CCRenderTexture> rt = CCRenderTexture::renderTextureWithWidth(int(win.width), int(win.height));
    ASSERT_TRUE(rt);
    EXPECT_EQ(rt->sprite()->scaleY(), -1);
    EXPECT_EQ(rt->sprite()->blendFunc(), (ccBlendFunc{CC_GL_ONE, CC_GL_ONE_MINUS_SRC_ALPHA}));
    rt->setPosition({win.width / 2, win.height / 2});
    scene->addChild(rt);

    // A fresh texture is transparent.
    auto f = harness->frame();
    expectNear(f.at(200, 200), {0, 0, 0});

    Ref<CCSprite> brush = CCSprite::spriteWithFile("quad.png");
    brush->setPosition({200, 150});
    rt->beginWithClear(0, 0, 0, 0);
    brush->visit();
    rt->end();
    f = harness->frame();
    expectNear(f.at(184, 166), {255, 0, 0});  // upright: red at the top-left
    expectNear(f.at(216, 134), {255, 255, 255});
    expectNear(f.at(100, 100), {0, 0, 0});

    // begin without clearing paints over what is there.
    brush->setPosition({600, 500});
    rt->begin();
    brush->visit();
    rt->end();
    f = harness->frame();
    expectNear(f.at(184, 166), {255, 0, 0});
    expectNear(f.at(584, 516), {255, 0, 0});

    // The texture itself, read back: cleared to a colour, then transparent.
    rt->beginWithClear(0, 1, 0, 1);
    rt->end();
    int w = 0, h = 0;
    auto px = rt->readPixels(w, h);
    ASSERT_EQ(w, int(win.width));
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(px[3], 255);
}

TEST_F(Render, RenderTextureInsideTheFrameRestoresTheScreen) {
    // A node that paints into a render texture during its own visit, as the
    // masking node does: what is drawn after it must still reach the screen.
    struct Painter : CCNode {
        Ref<CCRenderTexture> rt;
        Ref<CCSprite> brush;
        void visit() override {
            CCNode::visit();
            rt->beginWithClear(0, 0, 1, 1);
            brush->visit();
            rt->end();
        }
    };
    Ref<Painter> painter = makeRef<Painter>();
    painter->rt = CCRenderTexture::renderTextureWithWidth(64, 64);
    painter->brush = CCSprite::spriteWithFile("white.png");
    painter->brush->setPosition({32, 32});
    scene->addChild(painter);
    Ref<CCSprite> after = CCSprite::spriteWithFile("quad.png");
    after->setPosition({300, 300});
    scene->addChild(after);
    auto f = harness->frame();
    expectNear(f.at(284, 316), {255, 0, 0});
    int w = 0, h = 0;
    auto px = painter->rt->readPixels(w, h);
    ASSERT_EQ(w, 64);
    auto texel = [&](int x, int y) { return Rgba{px[(y * w + x) * 4], px[(y * w + x) * 4 + 1], px[(y * w + x) * 4 + 2]}; };
    expectNear(texel(2, 2), {0, 0, 255});
    expectNear(texel(32, 32), {255, 255, 255});
}

TEST_F(Render, ScissorClipsWhatIsQueuedAfterIt) {
    struct Clipper : CCNode {
        void visit() override {
            CCRenderer::shared().enableScissor(0, 0, 100, 768);
            CCNode::visit();
            CCRenderer::shared().disableScissor();
        }
    };
    Ref<CCLayerColor> before = CCLayerColor::layerWithColor({255, 0, 0, 255}, 300, 100);
    scene->addChild(before);  // queued before the clip: unclipped
    Ref<Clipper> clip = makeRef<Clipper>();
    Ref<CCLayerColor> inside = CCLayerColor::layerWithColor({0, 255, 0, 255}, 300, 100);
    inside->setPosition({0, 200});
    clip->addChild(inside);
    scene->addChild(clip);
    auto f = harness->frame();
    expectNear(f.at(250, 50), {255, 0, 0});
    expectNear(f.at(50, 250), {0, 255, 0});
    expectNear(f.at(150, 250), {0, 0, 0});
}

// A card drawn over a busy picture: with the card's rectangle as occluder
// the picture under it is cut around the card, and what shows is the same,
// pixel for pixel, for every kind of quad (flipped, rotated, stretched,
// half transparent, shaded by corner colours), at fewer pixels drawn.
TEST_F(Render, AnOccluderLeavesThePictureAsItWasAtFewerPixels) {
    struct Card : CCNode {
        CGRect hides{};
        void visit() override {
            CCRenderer::shared().setOccluder(hides);
            CCNode::visit();
            CCRenderer::shared().clearOccluder();
        }
    };
    Ref<Card> under = makeRef<Card>();
    scene->addChild(under);
    under->addChild(CCLayerGradient::layerWithColor({255, 0, 0, 255}, {0, 0, 255, 255}));
    Ref<CCLayerColor> grey = CCLayerColor::layerWithColor({90, 90, 90, 255}, 700, 500);
    grey->setPosition({150, 100});
    under->addChild(grey);
    struct Placed {
        CGPoint at;
        float scale, rotation;
        bool flipX, flipY;
        std::uint8_t opacity;
    };
    for (const Placed& p : {Placed{{300, 300}, 3.3f, 0, false, false, 255}, Placed{{520, 420}, 4.1f, 0, true, true, 255},
                            Placed{{610, 250}, 2.7f, 0, false, true, 120}, Placed{{450, 380}, 2.0f, 30, false, false, 255}}) {
        Ref<CCSprite> s = CCSprite::spriteWithFile("quad.png");
        ASSERT_TRUE(s);
        s->setPosition(p.at);
        s->setScale(p.scale);
        s->setRotation(p.rotation);
        s->setFlipX(p.flipX);
        s->setFlipY(p.flipY);
        s->setOpacity(p.opacity);
        under->addChild(s);
    }
    // A frame stored turned in its texture: its texture coordinates run across the quad.
    Ref<CCSprite> turned = makeRef<CCSprite>();
    ASSERT_TRUE(turned->initWithTexture(CCTextureCache::sharedTextureCache()->addImage("quad.png"),
                                        CGRectMake(0, 0, 64, 32), true));
    turned->setPosition({400, 330});
    turned->setScale(3.5f);
    under->addChild(turned);
    const CGRect card = CGRectMake(333, 217, 301, 246);
    Ref<CCLayerColor> top = CCLayerColor::layerWithColor({250, 240, 200, 255}, card.size.width, card.size.height);
    top->setPosition(card.origin);
    scene->addChild(top);

    CCRenderer::shared().setCountingPixels(true);
    const auto whole = harness->frame();
    const double wholePixels = CCRenderer::shared().stats().pixels;
    under->hides = card;
    const auto cut = harness->frame();
    const double cutPixels = CCRenderer::shared().stats().pixels;
    CCRenderer::shared().setCountingPixels(false);

    ASSERT_EQ(whole.rgba.size(), cut.rgba.size());
    EXPECT_TRUE(whole.rgba == cut.rgba);
    // The gradient, the grey and the three upright sprites lose what the card hides.
    EXPECT_LT(cutPixels, wholePixels - 1.5 * card.size.width * card.size.height);
}
