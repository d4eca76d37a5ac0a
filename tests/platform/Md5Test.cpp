#include <gtest/gtest.h>

#include "platform/Md5.h"

TEST(Md5, KnownDigestsInLowercaseHex) {
    EXPECT_EQ(platform::md5HexOfString(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(platform::md5Hex("", 0), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(platform::md5HexOfString("abc"), "900150983cd24fb0d6963f7d28e17f72");
    const unsigned char bytes[] = {0x00, 0xff, 0x10};
    EXPECT_EQ(platform::md5Hex(bytes, sizeof bytes).size(), 32u);
}

TEST(Md5, StringDigestStopsAtAnEmbeddedZero) {
    std::string withZero("abc\0def", 7);
    EXPECT_EQ(platform::md5HexOfString(withZero), platform::md5HexOfString("abc"));
    // Data digests take every byte.
    EXPECT_NE(platform::md5Hex(withZero.data(), withZero.size()), platform::md5HexOfString("abc"));
}
