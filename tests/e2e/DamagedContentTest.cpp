// The real game with damaged content: tools/damage_content.py cuts short,
// empties, flips bits in and overwrites the shipped files, and puts missing
// keys, wrong types, huge numbers and huge arrays into the property lists
// and font descriptions. Each damaged file is swapped into a copy of the
// bundle, one at a time, and a script enters every scene that reads it
// through the menu's buttons. Every run must end normally, leave a log line
// where the damage cannot go unnoticed, and leave the player's preferences
// file exactly as it was.
//
// The mutants come from seed 1; NM_DAMAGE_SEED picks another set, to hunt
// for more with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "json/SBJsonParser.h"
#include "platform/Files.h"
#include "platform/PropertyList.h"
#include "support/HttpStandIn.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using platform::Value;

namespace {

// Long enough for a slow, shared machine; a run takes seconds.
constexpr double kHangSeconds = 120;

// A copy of the built bundle that costs nothing to make: the executable
// hard-linked beside Resources/ (where it looks for them), and every
// resource a link to the built one, so a damaged file is swapped in and out.
class BundleCopy {
public:
    explicit BundleCopy(const fs::path& root) : root_(root) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
        std::error_code ec;
        fs::create_hard_link(NM_TEST_EXECUTABLE, executable(), ec);
        if (ec) fs::copy_file(NM_TEST_EXECUTABLE, executable());
        mirror(built(), root_ / "Resources");
    }

    std::string executable() const { return (root_ / "bin" / "number-meadow").string(); }
    static fs::path built() { return NM_TEST_RESOURCES_DIR; }

    void swapIn(const std::string& name, const fs::path& damaged) {
        fs::remove(root_ / "Resources" / name);
        fs::copy_file(damaged, root_ / "Resources" / name);
    }
    void restore(const std::string& name) {
        fs::remove(root_ / "Resources" / name);
        fs::create_symlink(built() / name, root_ / "Resources" / name);
    }

private:
    static void mirror(const fs::path& from, const fs::path& to) {
        fs::create_directories(to);
        for (const auto& entry : fs::directory_iterator(from)) {
            if (entry.is_directory()) {
                mirror(entry.path(), to / entry.path().filename());
            } else {
                fs::create_symlink(entry.path(), to / entry.path().filename());
            }
        }
    }

    fs::path root_;
};

std::string tail(const std::string& output, std::size_t n = 2500) {
    return output.size() > n ? "..." + output.substr(output.size() - n) : output;
}

class DamagedContentTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        work_ = fs::path(NM_TEST_BUILD_DIR) / "damaged-content" / GetParam();
        fs::remove_all(work_);
        const char* seed = std::getenv("NM_DAMAGE_SEED");
        auto made = testsupport::runProcess({NM_TEST_PYTHON, NM_TEST_SOURCE_DIR "/tools/damage_content.py",
                                             NM_TEST_RESOURCES_DIR, (work_ / "corpus").string(), "--seed", seed ? seed : "1",
                                             "--group", GetParam()});
        ASSERT_EQ(made.exitCode, 0) << made.output;
        auto bytes = platform::readFile((work_ / "corpus" / "manifest.json").string());
        ASSERT_TRUE(bytes);
        SBJsonParser parser;
        auto manifest = parser.objectWithData(*bytes);
        ASSERT_TRUE(manifest) << parser.error();
        manifest_ = *manifest;
        ASSERT_GT(manifest_["mutants"].size(), 0u);
    }

    // Runs the game from the bundle copy with a known preferences file;
    // returns what went wrong ("" when nothing did).
    std::string play(BundleCopy& bundle, const Value& mutant, const std::vector<std::string>& mustLog,
                     std::string& output) {
        const fs::path data = work_ / "data";
        fs::remove_all(data);
        // The menu switches the sound on when it loads: stored as on, it is not written again.
        Value preferences{Value::Dictionary{}};
        preferences.set("sound", Value(true));
        preferences.set("voice", Value(true));
        preferences.set("music", Value(true));
        preferences.set("type", Value(2));
        preferences.set("difficult", Value(1));
        preferences.set("team", Value(1));
        const std::string prefsFile = (data / "preferences.plist").string();
        platform::writePropertyListFile(prefsFile, preferences, platform::PlistFormat::Xml);
        const std::string before = testsupport::readFile(prefsFile);
        testsupport::writeFile(work_ / "script.txt", mutant["script"].asString() + "quit\n");

        const bool phone = mutant["device"].asString() == "phone";
        auto run = testsupport::runProcess(
            {bundle.executable(), "--headless", "--api-host", testsupport::closedHost(), "--analytics-host",
             testsupport::closedHost(), "--data-dir", data.string(), "--seed", "3", "--device",
             mutant["device"].asString(), "--lang", mutant["lang"].asString(),
             // A small window: the same frames and touches, a fraction of the pixels.
             "--window", phone ? "240x160" : "256x192", "--script", (work_ / "script.txt").string()},
            kHangSeconds);
        output = run.output;

        std::string problems;
        if (run.timedOut) problems += " hung;";
        if (run.signal) problems += " killed by signal " + std::to_string(run.signal) + ";";
        if (!run.timedOut && !run.signal && run.exitCode != 0)
            problems += " exit code " + std::to_string(run.exitCode) + ";";
        for (const auto& line : mustLog)
            if (!line.empty() && output.find(line) == std::string::npos) problems += " no log line \"" + line + "\";";
        if (testsupport::readFile(prefsFile) != before) problems += " the preferences file changed;";
        if (fs::exists(prefsFile + ".unreadable")) problems += " the preferences were set aside;";
        return problems;
    }

    fs::path work_;
    Value manifest_;
};

}  // namespace

TEST_P(DamagedContentTest, EveryDamagedFileIsSurvivedLoggedAndLeavesThePreferencesAlone) {
    BundleCopy bundle(work_ / "bundle");
    const Value& mutants = manifest_["mutants"];

    // The intact bundle first, once for each device and language the group
    // uses: its script must reach every scene its files are read in.
    std::vector<std::string> reached;
    for (const Value& line : manifest_["reached"][GetParam()].asArray()) reached.push_back(line.asString());
    ASSERT_FALSE(reached.empty());
    std::set<std::string> seen;
    for (const Value& mutant : mutants.asArray()) {
        if (!seen.insert(mutant["device"].asString() + "/" + mutant["lang"].asString()).second) continue;
        std::string output;
        std::string problems = play(bundle, mutant, reached, output);
        ASSERT_EQ(problems, "") << "intact bundle, " << mutant["device"].asString() << " in "
                                << mutant["lang"].asString() << "\n"
                                << tail(output);
    }

    for (const Value& mutant : mutants.asArray()) {
        for (const auto& [name, damaged] : mutant["files"].asDictionary())
            bundle.swapIn(name, work_ / "corpus" / damaged.asString());
        std::string output;
        std::string problems = play(bundle, mutant, {mutant["expect"].asString()}, output);
        for (const auto& [name, damaged] : mutant["files"].asDictionary()) bundle.restore(name);
        EXPECT_EQ(problems, "") << "mutant " << mutant["id"].asString() << ": " << mutant["file"].asString() << " ("
                                << mutant["kind"].asString() << ", " << mutant["device"].asString() << "), in "
                                << (work_ / "corpus").string() << "\n"
                                << tail(output);
    }
}

INSTANTIATE_TEST_SUITE_P(Groups, DamagedContentTest,
                         ::testing::Values("document", "menu", "learn", "count", "draw", "game", "feedback"),
                         [](const auto& group) { return std::string(group.param); });
