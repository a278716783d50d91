#include <gtest/gtest.h>

#include <string>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

TEST(CreditsTest, ListsEveryLibraryWithUrlAndIndentedDescription) {
    const auto result = runZephalon({"credits"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const auto lines = splitLines(result.out);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Zephalon uses the following open-source libraries:");
    EXPECT_EQ(lines[1], "");
    // Entries are three lines each: "- name (url)", the description indented by four, a blank line.
    ASSERT_EQ((lines.size() - 2) % 3, 0u) << result.out;
    for (size_t i = 2; i < lines.size(); i += 3) {
        EXPECT_EQ(lines[i].rfind("- ", 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(" (https://"), std::string::npos) << lines[i];
        EXPECT_EQ(lines[i].back(), ')') << lines[i];
        EXPECT_EQ(lines[i + 1].rfind("    ", 0), 0u) << lines[i + 1];
        EXPECT_NE(lines[i + 1][4], ' ') << lines[i + 1];
        EXPECT_EQ(lines[i + 2], "");
    }
    // The libraries the program really links are credited.
    for (const std::string name : {"CLI11", "{fmt}", "libyaml", "PCRE2", "MPFR", "uriparser", "HunSpell", "MD4C"}) {
        EXPECT_NE(result.out.find("- " + name + " ("), std::string::npos) << name;
    }
    EXPECT_EQ(result.out.substr(result.out.size() - 2), "\n\n");
}

}  // namespace
}  // namespace zephalon::e2e
