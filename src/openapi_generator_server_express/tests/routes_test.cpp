// Route paths made from path templates, their order, and the checks of package names, versions and literals.

#include "zephalon/openapi_generator_server_express/routes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace zephalon::openapi_generator::server_express {
namespace {

using Parameters = std::vector<std::pair<std::string, std::string>>;

std::string pathOf(std::string_view templatePath) {
    auto route = toRoutePath(templatePath);
    return route ? route->path : "<none>";
}

TEST(RoutesTest, PlaceholdersBecomeParametersWithIdentifierNames) {
    auto route = toRoutePath("/pets/{petId}");
    ASSERT_TRUE(route);
    EXPECT_EQ(route->path, "/pets/:petId");
    EXPECT_EQ(route->parameters, (Parameters{{"petId", "petId"}}));

    route = toRoutePath("/owners/{owner-id}/pets/{pet id}/{owner_id}/{2nd}/{delete}");
    ASSERT_TRUE(route);
    // Names the router cannot read are made identifiers; reserved words are fine as names of req.params.
    EXPECT_EQ(route->path, "/owners/:ownerId/pets/:petId/:owner_id/:_2nd/:delete");
    EXPECT_EQ(route->parameters, (Parameters{{"owner-id", "ownerId"},
                                             {"pet id", "petId"},
                                             {"owner_id", "owner_id"},
                                             {"2nd", "_2nd"},
                                             {"delete", "delete"}}));

    // The same identifier twice would hand the handler only the last value.
    route = toRoutePath("/{a-b}/{aB}/{id}/{id}");
    ASSERT_TRUE(route);
    EXPECT_EQ(route->path, "/:aB/:aB2/:id/:id2");
}

TEST(RoutesTest, LiteralTextIsMatchedAsClientsSendIt) {
    EXPECT_EQ(pathOf("/"), "/");
    EXPECT_EQ(pathOf("/files/{name}.json"), "/files/:name.json");
    // Text right after a parameter that could continue its name is kept apart by quoting the name.
    EXPECT_EQ(pathOf("/v{major}x/{id}_raw"), "/v:\"major\"x/:\"id\"_raw");
    // What a URL path encodes is encoded; the router's syntax is escaped.
    EXPECT_EQ(pathOf("/a b/c\"d/e?f"), "/a%20b/c%22d/e%3Ff");
    EXPECT_EQ(pathOf("/odd(1)/[x]/+!/*/a:b/\\"), "/odd\\(1\\)/\\[x\\]/\\+\\!/\\*/a\\:b/\\\\");
    EXPECT_EQ(pathOf("/caf\xC3\xA9/{id}"), "/caf%C3%A9/:id");
    // Characters URLs keep as they are stay.
    EXPECT_EQ(pathOf("/a-b.c_d~e/$f&g=h;i,j@k'l"), "/a-b.c_d~e/$f&g=h;i,j@k'l");
}

TEST(RoutesTest, TemplatesTheRouterCannotExpressHaveNoRoute) {
    EXPECT_FALSE(toRoutePath("/pets/{a}{b}"));
    EXPECT_FALSE(toRoutePath("/pets/{}"));
    EXPECT_FALSE(toRoutePath("/pets/{id"));
    EXPECT_TRUE(toRoutePath("/pets/{a}-{b}"));
}

TEST(RoutesTest, LiteralSegmentsComeBeforeParametersAtTheSamePlace) {
    std::vector<std::string> templates{"/pets/{petId}",      "/pets/{petId}/toys", "/pets/mine", "/owners",
                                       "/pets/{petId}.json", "/pets/mine/{toy}",   "/pets"};
    std::vector<RoutePath> routes;
    for (const auto& path : templates) routes.push_back(*toRoutePath(path));
    std::stable_sort(routes.begin(), routes.end(), literalFirst);
    std::vector<std::string> order;
    for (const auto& route : routes) order.push_back(route.path);
    EXPECT_EQ(order, (std::vector<std::string>{"/owners", "/pets", "/pets/mine", "/pets/mine/:toy", "/pets/:petId.json",
                                               "/pets/:petId", "/pets/:petId/toys"}));
}

TEST(RoutesTest, PackageNamesAndVersionsFollowNpmRules) {
    for (std::string_view name : {"server", "@tarnwell/server-express", "a.b_c~d", "x1"}) {
        EXPECT_TRUE(isValidPackageName(name)) << name;
    }
    for (std::string_view name :
         {"", "Server", ".hidden", "_x", "a b", "@scope", "@/x", "@Scope/x", "@s/", "a/b", "\xC3\xA9"}) {
        EXPECT_FALSE(isValidPackageName(name)) << name;
    }
    EXPECT_FALSE(isValidPackageName(std::string(215, 'a')));
    EXPECT_TRUE(isValidPackageName(std::string(214, 'a')));

    for (std::string_view version : {"0.1.0", "10.20.30", "1.0.0-rc.1", "1.0.0-0a.1+build.05", "1.0.0+x"}) {
        EXPECT_TRUE(isValidPackageVersion(version)) << version;
    }
    for (std::string_view version :
         {"", "1", "1.0", "01.0.0", "1.0.0-", "1.0.0-01", "1.0.0+", "1.0.0-a..b", "v1.0.0", "1.0.0 ", "1.0.0-a_b"}) {
        EXPECT_FALSE(isValidPackageVersion(version)) << version;
    }
}

TEST(RoutesTest, StringLiteralsCannotBreakTheCodeAroundThem) {
    EXPECT_EQ(toStringLiteral("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(toStringLiteral("line\u2028sep\u2029"), "\"line\\u2028sep\\u2029\"");
    EXPECT_EQ(toStringLiteral(std::string_view("\x01\x7f", 2)), "\"\\u0001\\u007f\"");
    EXPECT_EQ(toStringLiteral("caf\xC3\xA9 \n"), "\"caf\xC3\xA9 \\n\"");
}

}  // namespace
}  // namespace zephalon::openapi_generator::server_express
