#include <gtest/gtest.h>

#include "platform/Bundle.h"
#include "support/TempDir.h"

using platform::Bundle;

TEST(Bundle, LocalizedLookupPrefersTheLanguagesThenTheRoot) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "data1.plist", "base");
    testsupport::writeFile(dir.path() / "it.lproj/data1.plist", "italian");
    testsupport::writeFile(dir.path() / "bg.png", "png");
    auto& b = Bundle::main();
    std::string saved = b.resourcePath();
    b.setResourcePath(dir.path().string());

    b.setPreferredLanguages({"it-IT"});
    EXPECT_EQ(b.pathForResource("data1", "plist"), dir / "it.lproj/data1.plist");
    EXPECT_EQ(b.pathForResource("bg.png"), dir / "bg.png");
    b.setPreferredLanguages({"fr"});
    EXPECT_EQ(b.pathForResource("data1", "plist"), dir / "data1.plist");
    EXPECT_FALSE(b.pathForResource("nothing", "png"));
    EXPECT_FALSE(b.pathForResource(""));

    b.setResourcePath(saved);
}

TEST(Bundle, StringTablesInTextOrPropertyListForm) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "en.lproj/Localizable.strings",
                           "/* alert */\n\"Error\" = \"Error\";\n// comment\n\"CantConnectServer\" = \"Can't \\\"connect\\\"\";\n");
    testsupport::writeFile(dir.path() / "it.lproj/Localizable.strings",
                           "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Error</key><string>Errore</string></dict></plist>");
    auto& b = Bundle::main();
    std::string saved = b.resourcePath();
    b.setResourcePath(dir.path().string());
    b.setPreferredLanguages({"en"});
    EXPECT_EQ(b.localizedString("CantConnectServer"), "Can't \"connect\"");
    EXPECT_EQ(b.localizedString("Unknown"), "Unknown");
    b.setPreferredLanguages({"it"});
    EXPECT_EQ(b.localizedString("Error"), "Errore");
    b.setResourcePath(saved);
}
