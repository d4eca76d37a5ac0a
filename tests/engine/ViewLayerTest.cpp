// Platform views over the engine's picture: where they are drawn and touched
// in a scaled window, text editing, focus, alerts, and the node that wraps a
// view into the scene graph.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCTouchDispatcher.h"
#include "engine/CCUIViewWrapper.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TextControl.h"
#include "platform/ui/Window.h"
#include "support/EngineHarness.h"

using platform::ui::AlertView;
using platform::ui::Key;
using platform::ui::TextField;
using platform::ui::TextView;
using platform::ui::Window;
using testsupport::EngineHarness;

namespace {

// Counts the touches the engine's scene receives.
struct TouchCounter : CCTargetedTouchDelegate {
    int began = 0;
    bool ccTouchBegan(UITouch*, void*) override {
        ++began;
        return true;
    }
};

class Views : public ::testing::Test {
protected:
    void boot(int windowWidth = 0, int windowHeight = 0) {
        harness_ = &EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR, windowWidth,
                                        windowHeight);
        scene_ = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene_);
        CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(&engine_, 10, true);
        harness_->step();
    }
    void SetUp() override { boot(); }
    void TearDown() override {
        CCDirector::sharedDirector()->touchDispatcher()->removeDelegate(&engine_);
        Window::main().endEditing();
        while (!Window::main().subviews().empty()) Window::main().subviews().back()->removeFromSuperview();
        CCDirector::sharedDirector()->end();
    }
    // A tap in view points (origin top-left), as the platform delivers it.
    void tap(float x, float y) {
        auto& app = platform::Application::shared();
        app.injectTouch(0, platform::TouchPhase::Began, {x, y});
        app.injectTouch(0, platform::TouchPhase::Ended, {x, y});
    }
    template <class T>
    std::shared_ptr<T> show(platform::ui::Rect frame) {
        auto view = std::make_shared<T>(frame);
        view->setFont("Arial", 20);
        Window::main().addSubview(view);
        return view;
    }

    EngineHarness* harness_ = nullptr;
    Ref<CCScene> scene_;
    TouchCounter engine_;
};

TEST_F(Views, TypingEditsWholeCharactersAndTabMovesTheFocus) {
    auto name = show<TextField>({100, 100, 300, 40});
    auto message = show<TextView>({100, 200, 300, 120});
    tap(150, 120);
    ASSERT_TRUE(name->isFirstResponder());
    EXPECT_EQ(engine_.began, 0) << "a touch on a view does not reach the scene";

    Window::main().insertText("Perché");
    Window::main().keyPress(Key::BackSpace);
    EXPECT_EQ(name->text(), "Perch");
    Window::main().insertText("é Жук");
    Window::main().keyPress(Key::BackSpace);
    Window::main().keyPress(Key::Left);
    Window::main().keyPress(Key::BackSpace);
    EXPECT_EQ(name->text(), "Perché у") << "backspace takes one code point, whatever its bytes";
    EXPECT_EQ(name->caret(), 7);

    // Cut and paste through the clipboard, a line break flattened in a field.
    Window::setClipboardText("Ciao\nмир");
    Window::main().keyPress(Key::End);
    Window::main().keyPress(Key::V, {false, true});
    EXPECT_EQ(name->text(), "Perché уCiao мир");
    Window::main().keyPress(Key::A, {false, true});
    Window::main().keyPress(Key::X, {false, true});
    EXPECT_EQ(name->text(), "");
    EXPECT_EQ(Window::clipboardText(), "Perché уCiao мир");

    Window::main().keyPress(Key::Tab);
    EXPECT_TRUE(message->isFirstResponder());
    Window::main().keyPress(Key::Tab, {true, false});
    EXPECT_TRUE(name->isFirstResponder());
    Window::main().keyPress(Key::Escape);
    EXPECT_EQ(Window::main().firstResponder(), nullptr);
    Window::main().insertText("lost");
    EXPECT_EQ(name->text(), "") << "no focus, no typing";

    // A tap outside every view ends editing and goes to the scene.
    tap(150, 120);
    tap(700, 600);
    EXPECT_EQ(Window::main().firstResponder(), nullptr);
    EXPECT_EQ(engine_.began, 1);
}

TEST_F(Views, TextViewWrapsAtItsWidthAndScrollsToTheCaret) {
    auto view = show<TextView>({100, 100, 200, 150});
    ASSERT_TRUE(view->becomeFirstResponder());
    const std::string words = "Il prato dei numeri è pieno di animali che saltano e cantano tutto il giorno ";
    Window::main().insertText(words);
    auto rows = view->rows();
    ASSERT_GT(rows.size(), 2u);
    std::string joined;
    for (const auto& row : rows) joined += row;
    EXPECT_EQ(joined, words) << "wrapping breaks rows, not the text";
    EXPECT_EQ(view->scrollOffset(), 0.0f);

    for (int i = 0; i < 8; ++i) Window::main().keyPress(Key::Return);
    Window::main().insertText("Жук");
    EXPECT_GT(view->scrollOffset(), 0.0f) << "the caret's row is scrolled into view";
    EXPECT_EQ(view->text(), words + std::string(8, '\n') + "Жук");
    Window::main().scroll({150, 120}, 100);
    EXPECT_EQ(view->scrollOffset(), 0.0f) << "the wheel scrolls back to the top, and no further";
}

TEST_F(Views, AlertTakesEveryTouchUntilItsButtonIsPressed) {
    auto field = show<TextField>({100, 100, 300, 40});
    ASSERT_TRUE(field->becomeFirstResponder());
    auto alert = std::make_shared<AlertView>("Errore", "Impossibile collegarsi al server", "OK");
    int dismissed = 0;
    alert->setOnDismiss([&] { ++dismissed; });
    alert->show();
    EXPECT_EQ(Window::main().firstResponder(), nullptr) << "an alert ends editing";
    harness_->step();

    tap(700, 600);
    tap(150, 120);
    EXPECT_EQ(engine_.began, 0);
    EXPECT_FALSE(field->isFirstResponder());
    Window::main().insertText("x");
    EXPECT_EQ(field->text(), "");

    const auto button = alert->buttonFrame();
    tap(button.x + button.width / 2, button.y + button.height / 2);
    EXPECT_EQ(dismissed, 1);
    EXPECT_FALSE(alert->isVisible());
    tap(700, 600);
    EXPECT_EQ(engine_.began, 1);
}

// The picture of a 1024 x 768 tablet letterboxed into a 2048 x 1000 window:
// a view is drawn at its frame and a click there, in window pixels, finds it.
TEST_F(Views, ScaledWindowDrawsAndTouchesViewsWhereTheirFramesSay) {
    CCDirector::sharedDirector()->end();
    boot(2048, 1000);
    auto field = show<TextField>({200, 300, 300, 60});
    field->setBackgroundColor({1, 0, 0, 1});
    field->setText("Жук");
    field->setTextColor({0, 0, 1, 1});
    const testsupport::Frame f = harness_->frame();
    ASSERT_EQ(f.height, 1000);
    const float s = f.height / 768.0f;
    auto pixel = [&](float x, float y) { return f.at(int(x * s), int((768 - y) * s)); };
    testsupport::expectNear(pixel(210, 310), {255, 0, 0, 255});
    testsupport::expectNear(pixel(490, 350), {255, 0, 0, 255});
    testsupport::expectNear(pixel(195, 330), {0, 0, 0, 255});
    testsupport::expectNear(pixel(505, 330), {0, 0, 0, 255});
    int blue = 0;
    for (int x = 204; x < 300; ++x)
        if (pixel(float(x), 330).b > 128) ++blue;
    EXPECT_GT(blue, 5) << "the text is drawn inside the field";

    const platform::PixelRect viewport = platform::Application::shared().viewport();
    auto click = [&](float x, float y, Uint32 type) {
        SDL_Event e{};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = int(viewport.x + x * s);
        e.button.y = int(y * s);
        SDL_PushEvent(&e);
    };
    click(210, 330, SDL_MOUSEBUTTONDOWN);
    click(210, 330, SDL_MOUSEBUTTONUP);
    harness_->step();
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(engine_.began, 0);
    click(190, 330, SDL_MOUSEBUTTONDOWN);
    click(190, 330, SDL_MOUSEBUTTONUP);
    harness_->step();
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_EQ(engine_.began, 1);
}

TEST_F(Views, WrapperCarriesTheNodeToItsView) {
    const float h = CCDirector::sharedDirector()->winSize().height;
    auto view = std::make_shared<TextField>();
    Ref<CCUIViewWrapper> wrapper = CCUIViewWrapper::wrapperForUIView(view);
    wrapper->setAnchorPoint({0, 0});
    wrapper->setPosition({100, 50});
    EXPECT_EQ(view->transform(), (platform::ui::Affine{1, 0, 0, 1, 100, h - 50}));

    // A quarter turn clockwise and twice the size: +x of the view runs down
    // the screen, twice as long.
    wrapper->setScaleX(2);
    wrapper->setScaleY(2);
    wrapper->setRotation(90);
    const auto& m = view->transform();
    EXPECT_NEAR(m.a, 0, 1e-5);
    EXPECT_NEAR(m.b, 2, 1e-5);
    EXPECT_NEAR(m.c, -2, 1e-5);
    EXPECT_NEAR(m.d, 0, 1e-5);
    EXPECT_NEAR(m.tx, 100, 1e-4);
    EXPECT_NEAR(m.ty, h - 50, 1e-4);

    // The parent's turn carries the wrapper's position round with it.
    Ref<CCNode> root = CCNode::node();
    root->setRotation(90);
    wrapper->setRotation(0);
    wrapper->setScaleX(1);
    wrapper->setScaleY(1);
    root->addChild(wrapper);
    wrapper->setPosition({10, 0});
    EXPECT_NEAR(view->transform().tx, 0, 1e-4);
    EXPECT_NEAR(view->transform().ty, h + 10, 1e-4);

    wrapper->setContentSize({120, 30});
    EXPECT_EQ(view->frame(), (platform::ui::Rect{0, 0, 120, 30}));
    wrapper->setOpacity(0);
    EXPECT_EQ(view->alpha(), 0.0f);
    wrapper->setOpacity(255);
    EXPECT_EQ(view->alpha(), 1.0f);
    wrapper->setVisible(false);
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->window(), &Window::main()) << "hidden, not removed";
    wrapper->removeFromParentAndCleanup(true);
    EXPECT_EQ(view->window(), nullptr);
}

TEST_F(Views, ReplacedSceneTakesItsViewsAway) {
    auto view = std::make_shared<TextField>();
    {
        Ref<CCUIViewWrapper> wrapper = CCUIViewWrapper::wrapperForUIView(view);
        scene_->addChild(wrapper);
    }
    EXPECT_EQ(view->window(), &Window::main());
    ASSERT_TRUE(view->becomeFirstResponder());
    scene_ = nullptr;
    CCDirector::sharedDirector()->replaceScene(CCScene::node());
    harness_->step(2);
    EXPECT_EQ(view->window(), nullptr);
    EXPECT_EQ(Window::main().firstResponder(), nullptr);
    EXPECT_EQ(view.use_count(), 1) << "the wrapper went with its scene and let go of its view";
}

}  // namespace
