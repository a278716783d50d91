#include "zephalon/cli/dependencies.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace zephalon::cli {
namespace {

TEST(UnindentTest, RemovesExactlyWidthSpacesAfterEachLineFeed) {
    EXPECT_EQ(unindent("a\n        b\n        c", 8), "a\nb\nc");
    // Deeper lines keep what is beyond the width; shallower ones keep all of theirs.
    EXPECT_EQ(unindent("a\n          b\n      c\n", 8), "a\n  b\n      c\n");
    // The first line has no line feed before it.
    EXPECT_EQ(unindent("        a\n        b", 8), "        a\nb");
    // Tabs are not spaces.
    EXPECT_EQ(unindent("a\n\t       b", 8), "a\n\t       b");
    // A trailing run of spaces shorter than the width and empty lines survive untouched.
    EXPECT_EQ(unindent("a\n\n   ", 8), "a\n\n   ");
    EXPECT_EQ(unindent("a\n        ", 8), "a\n");
    EXPECT_EQ(unindent("", 8), "");
    EXPECT_EQ(unindent("a\n b", 0), "a\n b");
}

TEST(DependenciesTest, RowsAreCompleteAndNamesUnique) {
    const auto& dependencies = get3rdPartyDependencies();
    ASSERT_FALSE(dependencies.empty());
    std::set<std::string> names;
    for (const auto& dependency : dependencies) {
        ASSERT_NE(dependency.name, nullptr);
        EXPECT_TRUE(names.insert(dependency.name).second) << dependency.name;
        ASSERT_NE(dependency.url, nullptr);
        EXPECT_EQ(std::string(dependency.url).rfind("https://", 0), 0u) << dependency.name;
        ASSERT_NE(dependency.description, nullptr);
        EXPECT_FALSE(std::string(dependency.description).empty()) << dependency.name;
        // The embedded texts must have arrived whole: non-empty, ending in a line feed, free of NUL bytes the
        // embedding might have produced.
        for (const char* license : {dependency.license, dependency.license2}) {
            if (license == nullptr) {
                continue;
            }
            const std::string text(license);
            EXPECT_GT(text.size(), 200u) << dependency.name;
            EXPECT_EQ(text.back(), '\n') << dependency.name;
        }
        ASSERT_NE(dependency.license, nullptr) << dependency.name;
    }
}

TEST(DependenciesTest, EmbeddedTextsMatchTheirSourceFiles) {
    const std::string dataDir = std::string(ZEPHALON_SOURCE_DIR) + "/src/cli/data/licenses/";
    for (const auto& [name, file] :
         std::initializer_list<std::pair<std::string, std::string>>{{"HunSpell", "hunspell-lgpl.txt"},
                                                                    {"MD4C", "md4c.txt"},
                                                                    {"libyaml", "libyaml.txt"},
                                                                    {"jemalloc", "jemalloc.txt"},
                                                                    {"entities", "entities.txt"},
                                                                    {"spdx-license-ids", "spdx-license-ids.txt"}}) {
        std::ifstream in(dataDir + file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bool found = false;
        for (const auto& dependency : get3rdPartyDependencies()) {
            if (name == dependency.name) {
                found = true;
                const char* text = dependency.license2 != nullptr ? dependency.license2 : dependency.license;
                EXPECT_EQ(std::string(text), expected) << file;
            }
        }
        EXPECT_TRUE(found) << name;
    }
}

}  // namespace
}  // namespace zephalon::cli
