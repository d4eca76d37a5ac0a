// A test fixture for engine tests: the harness booted on the default tablet
// and an empty scene running, already entered by one frame of zero delta.
// The director ends after each test. Header-only: only tests that link the
// engine include it.
#pragma once

#include <gtest/gtest.h>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "support/EngineHarness.h"

namespace testsupport {

class RunningScene : public ::testing::Test {
protected:
    void SetUp() override {
        harness_ = &EngineHarness::boot();
        scene_ = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene_);
        harness_->step();  // the scene enters, in a frame of zero delta
    }
    void TearDown() override { CCDirector::sharedDirector()->end(); }

    EngineHarness* harness_ = nullptr;
    Ref<CCScene> scene_;
};

}  // namespace testsupport
