#include <gtest/gtest.h>

#include "launcher/CommandLine.h"
#include "launcher/Script.h"

using launcher::ScriptCommand;

TEST(Script, UnknownCommandsAndBadNumbersNameTheLine) {
    std::string error;
    EXPECT_FALSE(launcher::parseScript("wait 1\n\njump 3 4\n", error));
    EXPECT_NE(error.find("line 3"), std::string::npos);
    EXPECT_NE(error.find("jump"), std::string::npos);
    EXPECT_FALSE(launcher::parseScript("# comment\ntap 10 x\n", error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(launcher::parseScript("wait -1\n", error));
    EXPECT_FALSE(launcher::parseScript("tap 1 2 3\n", error));
    EXPECT_FALSE(launcher::parseScript("wait nan\n", error));
    EXPECT_FALSE(launcher::parseScript("key Hyper\n", error));
    EXPECT_FALSE(launcher::parseScript("key alt+Tab\n", error));
    EXPECT_FALSE(launcher::parseScript("type\n", error));
    auto ok = launcher::parseScript("# a tap\n  tap 10.5 20\nscreenshot /tmp/x.png\ntype  Ciao,  мир \nkey ctrl+shift+z\nquit\n", error);
    ASSERT_TRUE(ok);
    ASSERT_EQ(ok->size(), 5u);
    EXPECT_EQ((*ok)[0].line, 2);
    EXPECT_EQ((*ok)[2].file, " Ciao,  мир ") << "the rest of the line, spaces and all";
    EXPECT_EQ((*ok)[3].key, platform::ui::Key::Z);
    EXPECT_TRUE((*ok)[3].modifiers.ctrl && (*ok)[3].modifiers.shift);
}

TEST(Script, CommandsRunInFrameTime) {
    std::string error;
    auto commands = launcher::parseScript("down 1 2\nwait 0.5\nmove 3 4\ntap 5 6\nquit\n", error);
    ASSERT_TRUE(commands);
    std::vector<std::string> log;
    int frame = 0;
    launcher::ScriptTarget target;
    target.touch = [&](ScriptCommand::Kind kind, double x, double y) {
        const char* name = kind == ScriptCommand::Kind::Down ? "down" : kind == ScriptCommand::Kind::Move ? "move" : "up";
        log.push_back(std::to_string(frame) + " " + name + " " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    target.quit = [&] { log.push_back(std::to_string(frame) + " quit"); };
    launcher::ScriptRunner runner(std::move(*commands), target);
    for (frame = 0; frame < 40 && !runner.finished(); ++frame) runner.step();
    // Half a second is 30 frames; a tap lifts on the frame after it lands.
    EXPECT_EQ(log, (std::vector<std::string>{"0 down 1,2", "30 move 3,4", "30 down 5,6", "31 up 5,6", "32 quit"}));
}

TEST(CommandLine, DevicesAndBadOptions) {
    std::string error;
    auto phone = launcher::parseCommandLine({"--device", "phone", "--scale", "2", "--seed", "7"}, error);
    ASSERT_TRUE(phone);
    EXPECT_EQ(phone->device.widthPixels(), 960);
    EXPECT_EQ(phone->device.heightPixels(), 640);
    EXPECT_EQ(phone->device.idiom, platform::Idiom::Phone);
    EXPECT_EQ(*phone->seed, 7u);
    auto tablet = launcher::parseCommandLine({}, error);
    ASSERT_TRUE(tablet);
    EXPECT_EQ(tablet->device.widthPixels(), 1024);
    EXPECT_FALSE(launcher::parseCommandLine({"--scale", "3"}, error));
    EXPECT_FALSE(launcher::parseCommandLine({"--seconds"}, error));
    EXPECT_FALSE(launcher::parseCommandLine({"--seed", "-4"}, error));
    EXPECT_FALSE(launcher::parseCommandLine({"--bogus"}, error));
}

TEST(CommandLine, PublisherHostsAreNamesWithAnOptionalPort) {
    std::string error;
    auto both = launcher::parseCommandLine({"--api-host", "api.example.org", "--analytics-host", "127.0.0.1:8787"}, error);
    ASSERT_TRUE(both) << error;
    EXPECT_EQ(both->apiHost, "api.example.org");
    EXPECT_EQ(both->analyticsHost, "127.0.0.1:8787");
    EXPECT_TRUE(launcher::parseCommandLine({}, error)->apiHost.empty());  // the build's default stays
    for (const char* bad : {"http://a", "a:0", "a:65536", "a:", ":80", "a b", "a/b", "a:80x", ""}) {
        EXPECT_FALSE(launcher::parseCommandLine({"--api-host", bad}, error)) << bad;
        EXPECT_NE(error.find("--api-host"), std::string::npos);
    }
}
