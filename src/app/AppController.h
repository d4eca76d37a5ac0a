// The application delegate: makes the rendering view, configures the
// director once, pushes the first scene, keeps the interface landscape and
// forwards the platform's lifecycle to the director. It holds no game state.
#pragma once

#include <functional>
#include <vector>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "platform/Application.h"

// The stack of screens the window shows; the director's view is the root.
// Screens of the platform's own (none on the desktop yet) would sit above it,
// and while one does the lifecycle leaves the director alone.
class UINavigationController {
public:
    explicit UINavigationController(const void* root) : stack_{root} {}
    const void* visibleViewController() const { return stack_.back(); }
    void pushViewController(const void* controller) { stack_.push_back(controller); }
    void popViewController() {
        if (stack_.size() > 1) stack_.pop_back();
    }
    void setNavigationBarHidden(bool hidden) { navigationBarHidden_ = hidden; }
    bool isNavigationBarHidden() const { return navigationBarHidden_; }

private:
    std::vector<const void*> stack_;
    bool navigationBarHidden_ = false;
};

class AppController : public platform::ApplicationDelegate, public CCDirectorDelegate {
public:
    // firstScene: the scene pushed at start-up (the main menu on its first start).
    explicit AppController(std::function<Ref<CCScene>()> firstScene);
    ~AppController() override;

    bool didFinishLaunching() override;
    bool shouldAutorotateToInterfaceOrientation(int orientation) override;

    void willResignActive() override;
    void didBecomeActive() override;
    void didEnterBackground() override;
    void willEnterForeground() override;
    void willTerminate() override;
    void didReceiveMemoryWarning() override;
    void significantTimeChange() override;

    platform::Application* window() const { return window_; }
    CCDirector* director() const { return director_; }
    UINavigationController* navController() const { return navController_.get(); }

private:
    bool engineViewOnTop() const;

    platform::Application* window_ = nullptr;
    CCDirector* director_ = nullptr;
    std::unique_ptr<UINavigationController> navController_;
    std::function<Ref<CCScene>()> firstScene_;
};
