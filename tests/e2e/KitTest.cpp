// The publisher's kit on the real game's main menu with the real service
// beside it: the shelf opens from its tab with the sample applications, the
// envelope opens the form, and a message typed into it, accents and Cyrillic
// and all, reaches the service's store.
#include "e2e/ScriptedGame.h"
#include "support/RealPublisher.h"

namespace {

class KitTest : public ScriptedGameTest {};

int countClass(const Value& node, const std::string& cls) {
    int n = node["class"].asString() == cls;
    for (const Value& child : node["children"].asArray()) n += countClass(child, cls);
    return n;
}

}  // namespace

TEST_F(KitTest, TheShelfShowsTheCatalogueAndATypedMessageIsStored) {
    testsupport::RealPublisher service;
    // Tablet: the tab at the bottom centre, the envelope at the top left; the
    // form's name, e-mail and message boxes and its send button.
    GameRun run = play(kSkipLogo +
                           "tap 512 10\nwait 2\ndump\ntap 512 624\nwait 0.5\n"
                           "tap 52 716\nwait 0.6\n"
                           "tap 511 477\ntype Anna Perché\nkey Tab\ntype a&b=c+d\n"
                           "tap 506 300\ntype Ciao! Привет, ёжик.\nkey Return\ntype 100%\n"
                           "tap 512 126\nwait 1\ndump\n",
                       {"--api-host", service.host(), "--analytics-host", service.host(), "--window", kFullWindow});
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(service.count("GET /files/icon-", 7), 7);
    // Buttons go up as their icons arrive (the shelf's layout has its own tests).
    EXPECT_GT(countClass(run.dumps[0], "CCMenuItemImage"), 5) << "the menu's five and some of the shelf's";
    const auto stored = service.store().feedback(5);
    ASSERT_EQ(stored.size(), 1u) << run.result.output;
    EXPECT_EQ(stored[0].name, "Anna Perché");
    EXPECT_EQ(stored[0].email, "a&b=c+d");
    EXPECT_EQ(stored[0].text, "Ciao! Привет, ёжик.\n100%");
}
