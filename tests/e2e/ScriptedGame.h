// Runs the real executable headless with a script and reads back its log
// and the node-tree dumps the script wrote, for end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "json/SBJsonParser.h"
#include "platform/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

using platform::Value;

struct GameRun {
    testsupport::ProcessResult result;
    std::vector<Value> dumps;  // in the order the script wrote them

    int count(const std::string& text) const {
        int n = 0;
        for (std::size_t at = result.output.find(text); at != std::string::npos;
             at = result.output.find(text, at + 1))
            ++n;
        return n;
    }
};

// Runs the game headless with a script; "dump" lines need no file name.
class ScriptedGameTest : public ::testing::Test {
protected:
    GameRun play(const std::string& script, const std::vector<std::string>& options = {}) {
        std::string text;
        int dumps = 0;
        std::istringstream lines(script);
        for (std::string line; std::getline(lines, line);) {
            if (line == "dump") line = "dump " + (dir / ("dump" + std::to_string(dumps++) + ".json"));
            text += line + "\n";
        }
        testsupport::writeFile(dir.path() / "script.txt", text + "quit\n");
        std::vector<std::string> args{"--data-dir", (dir.path() / "data").string(), "--seed", "3", "--script",
                                      dir / "script.txt"};
        args.insert(args.end(), options.begin(), options.end());
        // A small window: the same frames and touches in points, a fraction
        // of the pixels to draw. These runs read logs and dumps, not pictures.
        if (std::find(options.begin(), options.end(), "--window") == options.end()) {
            const bool phone = std::find(options.begin(), options.end(), "phone") != options.end();
            args.insert(args.end(), {"--window", phone ? "240x160" : "256x192"});
        }
        GameRun run{testsupport::runGame(args), {}};
        EXPECT_EQ(run.result.exitCode, 0) << run.result.output;
        for (int i = 0; i < dumps; ++i) {
            auto bytes = platform::readFile(dir / ("dump" + std::to_string(i) + ".json"));
            SBJsonParser parser;
            parser.setMaxDepth(64);
            auto tree = bytes ? parser.objectWithData(*bytes) : std::nullopt;
            run.dumps.push_back(tree ? *tree : Value());
        }
        return run;
    }

    testsupport::TempDir dir;
};

// A tablet's full window, for a run whose checks wait on the publisher's
// service: it answers on threads of the game's in real time, and frames
// drawn at full size leave it the seconds they take.
inline constexpr const char* kFullWindow = "1024x768";

// Skips the logo with a tap, then waits until the menu has shown itself.
inline const std::string kSkipLogo = "wait 0.1\ntap 2 2\nwait 1.1\n";

// "X Y" of a dumped node's position, moved by (dx, dy), for a script line.
inline std::string at(const Value& node, float dx = 0, float dy = 0) {
    return std::to_string(node["position"][0].asDouble() + dx) + " " + std::to_string(node["position"][1].asDouble() + dy);
}
