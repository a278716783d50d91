#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

std::vector<std::string> variableNames(const Server& server) {
    std::vector<std::string> names;
    for (const auto& [name, variable] : server.variables()) {
        names.push_back(name);
    }
    return names;
}

template <class F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

TEST(Server, VariablesFollowTheUrl) {
    OpenAPI document;
    Server* server = document.addServer("https://{host}:{port}/v1");
    EXPECT_EQ(variableNames(*server), (std::vector<std::string>{"host", "port"}));

    ServerVariable* port = server->variable("port");
    port->setDefaultValue("443");
    port->addEnum("443");
    port->addEnum("8443");
    port->setDescription("the port");

    server->setUrl("https://example.com:{port}/{basePath}");
    EXPECT_EQ(server->url(), "https://example.com:{port}/{basePath}");
    EXPECT_EQ(variableNames(*server), (std::vector<std::string>{"basePath", "port"}));
    EXPECT_EQ(server->variable("port"), port);
    EXPECT_EQ(port->defaultValue(), "443");
    EXPECT_EQ(port->enumValues(), (std::vector<std::string>{"443", "8443"}));
    EXPECT_EQ(port->description(), "the port");
    EXPECT_EQ(server->variable("host"), nullptr);

    // An opening brace without a closing one is plain text.
    server->setUrl("https://example.com/{unclosed");
    EXPECT_TRUE(server->variables().empty());
}

TEST(Server, TheDefaultUrlFillsEachPlaceholderOnce) {
    OpenAPI document;
    Server* server = document.addServer("https://{region}.{host}/{base}/{unclosed");
    server->variable("region")->setDefaultValue("eu-{region}");
    server->variable("host")->setDefaultValue("{base}.example");
    server->variable("base")->setDefaultValue("v1");
    // Defaults are written as they stand, even where they hold a placeholder (which once made the filling loop).
    EXPECT_EQ(server->defaultUrl(), "https://eu-{region}.{base}.example/v1/{unclosed");
    EXPECT_EQ(document.addServer("/plain")->defaultUrl(), "/plain");
}

TEST(Server, MalformedUrlsAreRejectedWithoutChange) {
    OpenAPI document;
    Server* server = document.addServer("https://{host}/");
    server->variable("host")->setDefaultValue("example.com");

    EXPECT_EQ(errorOf([&] { server->setUrl("https://{}/"); }), "Empty variable name");
    EXPECT_EQ(errorOf([&] { server->setUrl("https://{a}.{b}.{a}/"); }), "Duplicate server variable name: a");
    EXPECT_EQ(server->url(), "https://{host}/");
    ASSERT_NE(server->variable("host"), nullptr);
    EXPECT_EQ(server->variable("host")->defaultValue(), "example.com");

    EXPECT_EQ(errorOf([&] { document.addServer("{x}{x}"); }), "Duplicate server variable name: x");
    EXPECT_EQ(document.servers().size(), 1U);

    Link* link = document.components()->addLink("next");
    link->setServer("https://{ok}/");
    EXPECT_EQ(errorOf([&] { link->setServer("{}"); }), "Empty variable name");
    EXPECT_EQ(link->server()->url(), "https://{ok}/");
}

TEST(Paths, ReplaceUrlMovesTheItemUnchanged) {
    OpenAPI document;
    Paths* paths = document.paths();
    PathItem* item = paths->addItem("/pets");
    Operation* get = item->addOperation(HttpMethod::get);
    get->setOperationId("listPets");
    PathItem* shared = document.components()->addPathItem("Shared");
    paths->addItemRef("/shared", shared);

    paths->replaceUrl("/pets", "/animals");
    EXPECT_EQ(paths->item("/pets"), nullptr);
    EXPECT_EQ(paths->item("/animals"), item);
    EXPECT_EQ(document.operationById("listPets"), get);
    EXPECT_EQ(operationInfo(get)->path, "/animals");

    paths->replaceUrl("/shared", "/common");
    EXPECT_EQ(paths->item("/common"), shared);
    EXPECT_EQ(shared->references().size(), 1U);

    paths->replaceUrl("/common", "/common");
    EXPECT_EQ(paths->item("/common"), shared);
}

TEST(Paths, ReplaceUrlErrorsChangeNothing) {
    OpenAPI document;
    Paths* paths = document.paths();
    PathItem* a = paths->addItem("/a");
    PathItem* b = paths->addItem("/b");

    EXPECT_EQ(errorOf([&] { paths->replaceUrl("/missing", "/c"); }), "Path does not exist /missing");
    EXPECT_EQ(errorOf([&] { paths->replaceUrl("/a", ""); }), "New path URL cannot be empty");
    EXPECT_EQ(errorOf([&] { paths->replaceUrl("/a", "/b"); }), "Path already exists /b");

    ASSERT_EQ(paths->items().size(), 2U);
    EXPECT_EQ(paths->item("/a"), a);
    EXPECT_EQ(paths->item("/b"), b);
}

TEST(Paths, AddKeepsTheFirstEntry) {
    OpenAPI document;
    Paths* paths = document.paths();
    PathItem* a = paths->addItem("/a");
    EXPECT_EQ(paths->addItem("/a"), a);
    EXPECT_EQ(paths->addItemRef("/a", a), nullptr);
    Reference* ref = paths->addItemRef("/alias", a);
    EXPECT_EQ(paths->itemNode("/alias"), ref);
    EXPECT_EQ(paths->addItem("/alias"), nullptr);
    paths->removeItem("/nothing");
    EXPECT_EQ(paths->items().size(), 2U);
}

}  // namespace
}  // namespace zephalon::openapi
