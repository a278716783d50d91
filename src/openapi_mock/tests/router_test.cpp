#include "router.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zephalon::openapi_mock {
namespace {

std::string routed(const Router& router, std::string_view path, const std::vector<std::string>& templates) {
    auto match = router.match(path);
    if (!match) return "-";
    std::string text = templates[match->route];
    for (const auto& [name, value] : match->variables) text += " " + name + "=" + std::string(value);
    return text;
}

TEST(RouterTest, LiteralSegmentsWinAtEveryLevelAndTheSearchBacktracks) {
    const std::vector<std::string> templates{"/pets/{petId}", "/pets/mine", "/a/b/c", "/a/{x}/d", "/a/{x}/{y}", "/"};
    Router router;
    for (const auto& t : templates) router.add(t);
    EXPECT_EQ(routed(router, "/pets/mine", templates), "/pets/mine");
    EXPECT_EQ(routed(router, "/pets/7", templates), "/pets/{petId} petId=7");
    EXPECT_EQ(routed(router, "/a/b/c", templates), "/a/b/c");
    // "b" leads to a dead end under the literal branch, so the variable branch is tried.
    EXPECT_EQ(routed(router, "/a/b/d", templates), "/a/{x}/d x=b");
    EXPECT_EQ(routed(router, "/a/b/e", templates), "/a/{x}/{y} x=b y=e");
    EXPECT_EQ(routed(router, "/", templates), "/");
    // Variables take at least one character, and paths match whole.
    EXPECT_EQ(routed(router, "/pets/", templates), "-");
    EXPECT_EQ(routed(router, "/pets/7/toys", templates), "-");
    EXPECT_EQ(routed(router, "/pets", templates), "-");
    EXPECT_EQ(routed(router, "pets/7", templates), "-");
}

TEST(RouterTest, SegmentsMixingTextAndVariablesPreferMoreText) {
    const std::vector<std::string> templates{"/files/{name}", "/files/{name}.{ext}", "/files/report.{format}"};
    Router router;
    for (const auto& t : templates) router.add(t);
    EXPECT_EQ(routed(router, "/files/report.pdf", templates), "/files/report.{format} format=pdf");
    EXPECT_EQ(routed(router, "/files/a.b.c", templates), "/files/{name}.{ext} name=a ext=b.c");
    EXPECT_EQ(routed(router, "/files/readme", templates), "/files/{name} name=readme");
    EXPECT_EQ(routed(router, "/files/.x", templates), "/files/{name} name=.x");
}

TEST(RouterTest, VariablesStayEncodedAndLiteralsCompareDecoded) {
    const std::vector<std::string> templates{"/café/{id}"};
    Router router;
    router.add(templates[0]);
    // An encoded slash is part of the value, not a segment boundary.
    EXPECT_EQ(routed(router, "/caf%C3%A9/a%2Fb", templates), "/café/{id} id=a%2Fb");
    EXPECT_EQ(routed(router, "/café/x", templates), "/café/{id} id=x");
}

TEST(RouterTest, MalformedTemplatesAreRefusedAndAddNothing) {
    Router router;
    for (const char* bad : {"/a/{", "/a/{}", "/a/}", "/a/{x}{y}", "/a/{x{y}}"}) {
        EXPECT_THROW(router.add(bad), std::invalid_argument) << bad;
    }
    EXPECT_EQ(router.size(), 0u);
    EXPECT_EQ(router.add("/a/{x}"), 0u);
    EXPECT_EQ(router.add("/a/{x}"), 0u);
    EXPECT_EQ(router.add("/b"), 1u);
}

}  // namespace
}  // namespace zephalon::openapi_mock
