#include "zephalon/foundation/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace zephalon {
namespace {

TEST(Base64, RoundTripsEveryPaddingLength) {
    // RFC 4648 section 10 vectors cover 0, 1 and 2 padding characters.
    std::vector<std::pair<std::string_view, std::string_view>> vectors{
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(encodeBase64(plain), encoded);
        auto decoded = decodeBase64(encoded);
        ASSERT_TRUE(decoded.data.has_value()) << encoded << ": " << decoded.error;
        EXPECT_EQ(*decoded.data, plain);
    }
    // All byte values, including NUL and the high bit, survive.
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<char>(i));
    }
    EXPECT_EQ(decodeBase64(encodeBase64(bytes)).data, bytes);
    EXPECT_EQ(encodeBase64("\xFB\xFF"), "+/8=");
}

TEST(Base64, ReportsWhereInvalidInputGoesWrong) {
    struct Case {
        std::string_view text;
        std::size_t offset;
    };
    for (const Case& c : {
             Case{"Zg", 2},        // missing padding
             Case{"Zm9", 3},       // length not a multiple of four
             Case{"Zm9v!A==", 4},  // character outside the alphabet
             Case{"Zm 9v", 5},     // whitespace is not skipped (length check first)
             Case{"Zm9 ", 3},      // whitespace inside a group
             Case{"Z===", 1},      // three padding characters
             Case{"Zg==Zm9v", 2},  // padding before the end
             Case{"Zm=v", 3},      // data after padding
             Case{"Zh==", 1},      // non-zero bits under the padding
             Case{"Zm9=", 2},      // likewise with one padding character
             Case{"Zm9v-_==", 4},  // the URL-safe alphabet is a different encoding
         }) {
        auto result = decodeBase64(c.text);
        EXPECT_FALSE(result.data.has_value()) << c.text;
        EXPECT_EQ(result.errorOffset, c.offset) << c.text << ": " << result.error;
        EXPECT_FALSE(result.error.empty()) << c.text;
        EXPECT_FALSE(isValidBase64(c.text)) << c.text;
    }
    EXPECT_TRUE(isValidBase64(""));
}

}  // namespace
}  // namespace zephalon
