// For tests that play the game's scenes in process, on the shipped bundle:
// a fresh data directory and preferences, a fixed seed, the harness booted
// on a device; touches in engine points; the sounds that were started.
// Header-only: only tests that link the scenes include it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "engine/audio/SimpleAudioEngine.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "scenes/SceneClasses.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

namespace testsupport {

// A touch at p in engine points (origin bottom-left), as the platform delivers it.
inline void touchAt(platform::TouchPhase phase, CGPoint p) {
    auto& app = platform::Application::shared();
    app.injectTouch(1, phase, {p.x, static_cast<float>(app.device().heightPoints) - p.y});
}

inline void tapAt(CGPoint p) {
    touchAt(platform::TouchPhase::Began, p);
    touchAt(platform::TouchPhase::Ended, p);
}

// The files of the sounds started since the last call, in order.
inline std::vector<std::string> startedSounds() {
    SimpleAudioEngine& engine = SimpleAudioEngine::sharedEngine();
    std::vector<std::string> files;
    for (const AudioEvent& e : engine.history())
        if (e.kind == AudioEvent::Kind::EffectStarted) files.push_back(e.file);
    engine.clearHistory();
    return files;
}

class SceneTest : public ::testing::Test {
protected:
    static constexpr struct {
        int width, height;
    } kWindow{240, 160};

    explicit SceneTest(platform::DeviceProfile device, unsigned seed) : device_(device), seed_(seed) {}

    void SetUp() override {
        platform::setDataDirectory((dir.path() / "data").string());
        platform::UserDefaults::standard().reset();
        platform::seedRandom(seed_);
        // They read nodes and sounds, not pictures: a small window draws
        // the same frames at a fraction of the pixels.
        harness = &EngineHarness::boot(device_, NM_TEST_RESOURCES_DIR, kWindow.width, kWindow.height);
        registerSceneClasses();
    }
    void TearDown() override {
        CCDirector::sharedDirector()->end();
        platform::UserDefaults::standard().reset();
        platform::setDataDirectory("");
    }

    // Runs the scene (in place of the one running), enters it and returns
    // its layer of class T.
    template <class T>
    T* run(const Ref<CCScene>& scene) {
        CCDirector* director = CCDirector::sharedDirector();
        if (director->runningScene())
            director->replaceScene(scene);
        else
            director->runWithScene(scene);
        harness->step();
        return scene->children().empty() ? nullptr : dynamic_cast<T*>(scene->children()[0].get());
    }

    TempDir dir;
    EngineHarness* harness = nullptr;

private:
    platform::DeviceProfile device_;
    unsigned seed_;
};

}  // namespace testsupport
