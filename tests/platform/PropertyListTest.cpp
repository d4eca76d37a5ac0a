#include <gtest/gtest.h>

#include "platform/PropertyList.h"
#include "support/TempDir.h"

using platform::Value;

namespace {

const char* kXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>sounds</key>
  <dict><key>button</key><string>button.mp3</string></dict>
  <key>MainMenuStrings</key>
  <array><string>Learn</string><string>Зайчик</string></array>
  <key>negative</key><integer>-42</integer>
  <key>real</key><real>0.25</real>
  <key>flag</key><false/>
  <key>blob</key><data>AAEC</data>
</dict>
</plist>
)";

std::optional<Value> parse(const std::string& text) {
    return platform::readPropertyList(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

TEST(PropertyList, ReadsXmlWithEveryScalarKind) {
    auto doc = parse(kXml);
    ASSERT_TRUE(doc);
    EXPECT_EQ((*doc)["sounds"]["button"].asString(), "button.mp3");
    EXPECT_EQ((*doc)["MainMenuStrings"][1].asString(), "Зайчик");
    EXPECT_EQ((*doc)["negative"].asInt(), -42);
    EXPECT_DOUBLE_EQ((*doc)["real"].asDouble(), 0.25);
    EXPECT_TRUE((*doc)["flag"].isBool());
    EXPECT_FALSE((*doc)["flag"].asBool());
    EXPECT_EQ((*doc)["blob"].asData(), (Value::Bytes{0, 1, 2}));
}

TEST(PropertyList, BinaryRoundTripKeepsTheDocument) {
    auto doc = parse(kXml);
    ASSERT_TRUE(doc);
    auto bytes = platform::writePropertyList(*doc, platform::PlistFormat::Binary);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "bplist");
    auto back = platform::readPropertyList(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *doc);
}

TEST(PropertyList, BrokenInputIsRefusedNotCrashed) {
    EXPECT_FALSE(parse(""));
    EXPECT_FALSE(parse("not a plist at all"));
    std::string truncated(kXml);
    EXPECT_FALSE(parse(truncated.substr(0, truncated.size() / 2)));
    EXPECT_FALSE(parse("bplist00\xff\xff\xff"));
    EXPECT_FALSE(platform::readPropertyListFile("/nonexistent/data1.plist"));
}

TEST(PropertyList, AbsurdNestingIsRefused) {
    std::string deep = "<plist version=\"1.0\">";
    for (int i = 0; i < 2000; ++i) deep += "<array>";
    for (int i = 0; i < 2000; ++i) deep += "</array>";
    deep += "</plist>";
    EXPECT_FALSE(parse(deep));
}

TEST(PropertyList, FileWriteIsAtomicAndReadable) {
    testsupport::TempDir dir;
    Value v;
    v.set("music", false);
    ASSERT_TRUE(platform::writePropertyListFile(dir / "p.plist", v, platform::PlistFormat::Xml));
    auto back = platform::readPropertyListFile(dir / "p.plist");
    ASSERT_TRUE(back);
    EXPECT_FALSE((*back)["music"].asBool());
    EXPECT_TRUE((*back)["music"].isBool());
    // No temporary files are left beside it.
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}
