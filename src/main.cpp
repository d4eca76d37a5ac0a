// Process entry: the desktop launcher starts the application.
#include <GLES2/gl2.h>

#include "launcher/Launcher.h"

namespace {

// Until the application shell lands: a window showing the meadow's green.
class FirstLight : public platform::ApplicationDelegate, public platform::FrameHandler {
public:
    bool didFinishLaunching() override {
        auto& app = platform::Application::shared();
        if (!app.createView({})) return false;
        app.setFrameHandler(this);
        return true;
    }
    void drawFrame(double) override {
        glClearColor(0.55f, 0.8f, 0.35f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

}  // namespace

int main(int argc, char** argv) {
    FirstLight delegate;
    return launcher::run(argc, argv, delegate, {});
}
