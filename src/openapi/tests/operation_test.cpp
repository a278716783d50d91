#include <gtest/gtest.h>

#include <stdexcept>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

TEST(OperationIndex, FollowsAddRenameAndRemove) {
    OpenAPI document;
    PathItem* item = document.paths()->addItem("/pets");
    Operation* get = item->addOperation(HttpMethod::get);
    EXPECT_EQ(document.operationById("listPets"), nullptr);

    get->setOperationId("listPets");
    EXPECT_EQ(document.operationById("listPets"), get);

    get->setOperationId("listPets");  // unchanged: no event, same answer
    EXPECT_EQ(document.operationById("listPets"), get);

    get->setOperationId("findPets");
    EXPECT_EQ(document.operationById("listPets"), nullptr);
    EXPECT_EQ(document.operationById("findPets"), get);

    get->removeOperationId();
    EXPECT_EQ(document.operationById("findPets"), nullptr);

    get->setOperationId("findPets");
    item->removeOperation(HttpMethod::get);
    EXPECT_EQ(document.operationById("findPets"), nullptr);
}

TEST(OperationIndex, DestroyingAnEnclosingNodeUnindexes) {
    OpenAPI document;
    PathItem* item = document.paths()->addItem("/pets");
    item->addOperation(HttpMethod::get)->setOperationId("a");
    item->addOperation(HttpMethod::post)->setOperationId("b");
    Operation* hook = document.addWebhook("newPet")->addOperation(HttpMethod::post);
    hook->setOperationId("c");
    Callback* callback = hook->addCallback("onEvent");
    callback->addItem("{$request.body#/url}")->addOperation(HttpMethod::post)->setOperationId("d");

    document.paths()->removeItem("/pets");
    EXPECT_EQ(document.operationById("a"), nullptr);
    EXPECT_EQ(document.operationById("b"), nullptr);
    EXPECT_EQ(document.operationById("c"), hook);
    EXPECT_NE(document.operationById("d"), nullptr);

    hook->clearCallbacks();
    EXPECT_EQ(document.operationById("d"), nullptr);
    document.clearWebhooks();
    EXPECT_EQ(document.operationById("c"), nullptr);
}

TEST(OperationIndex, DuplicateIdsKeepTheFirstAndSurviveRemoval) {
    OpenAPI document;
    Operation* first = document.paths()->addItem("/a")->addOperation(HttpMethod::get);
    Operation* second = document.paths()->addItem("/b")->addOperation(HttpMethod::get);
    first->setOperationId("dup");
    second->setOperationId("dup");
    EXPECT_EQ(document.operationById("dup"), first);

    // Removing the later holder must not take the id away from the earlier one ...
    second->removeOperationId();
    EXPECT_EQ(document.operationById("dup"), first);

    // ... and removing the earlier holder hands the id to the one still carrying it.
    second->setOperationId("dup");
    document.paths()->removeItem("/a");
    EXPECT_EQ(document.operationById("dup"), second);
    document.paths()->removeItem("/b");
    EXPECT_EQ(document.operationById("dup"), nullptr);
}

TEST(Operation, FailedChangesLeaveTheOperationAsItWas) {
    OpenAPI document;
    PathItem* item = document.paths()->addItem("/pets");
    Operation* get = item->addOperation(HttpMethod::get);
    get->setOperationId("listPets");

    EXPECT_THROW(
        try { get->setOperationId(""); } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "OperationId cannot be empty");
            throw;
        },
        std::runtime_error);
    EXPECT_EQ(get->operationId(), "listPets");
    EXPECT_EQ(document.operationById("listPets"), get);

    EXPECT_THROW(
        try { item->addOperation(HttpMethod::get); } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "operation already exists");
            throw;
        },
        std::runtime_error);
    EXPECT_EQ(item->operation(HttpMethod::get), get);
    EXPECT_EQ(document.operationById("listPets"), get);
}

TEST(Operation, EffectiveParametersLetTheOperationOverride) {
    OpenAPI document;
    Parameter* shared = document.components()->addQueryParameter("Limit", "limit");
    PathItem* item = document.paths()->addItem("/pets/{id}");
    Parameter* pathId = item->addPathParameter("id");
    item->addParameterRef(shared);
    Parameter* trace = item->addHeaderParameter("trace");

    Operation* get = item->addOperation(HttpMethod::get);
    Parameter* ownId = get->addPathParameter("id");
    Parameter* headerId = get->addHeaderParameter("id");  // same name, other location: no override
    Parameter* doomed = document.components()->addCookieParameter("Session", "session");
    get->addParameterRef(doomed);
    document.components()->removeParameter("Session");  // leaves a dangling reference behind

    std::vector<Parameter*> expected{ownId, headerId, shared, trace};
    EXPECT_EQ(get->effectiveParameters(), expected);
    EXPECT_NE(get->effectiveParameters()[0], pathId);

    EXPECT_EQ(get->parameter("id", Parameter::Location::header), headerId);
    EXPECT_EQ(item->parameter("limit", Parameter::Location::query), shared);
    EXPECT_EQ(get->parameter(2), nullptr);
    EXPECT_EQ(get->parameter(7), nullptr);
}

TEST(Operation, ParameterDefaults) {
    OpenAPI document;
    Operation* get = document.paths()->addItem("/a")->addOperation(HttpMethod::get);
    Parameter* path = get->addPathParameter("p");
    Parameter* query = get->addQueryParameter("q");
    Parameter* header = get->addHeaderParameter("h");
    Parameter* cookie = get->addCookieParameter("c");
    EXPECT_EQ(path->type(), NodeType::PathParameter);
    EXPECT_EQ(cookie->type(), NodeType::CookieParameter);
    EXPECT_TRUE(path->required());
    EXPECT_FALSE(query->required());
    EXPECT_TRUE(query->explode());
    EXPECT_FALSE(header->explode());
    EXPECT_EQ(static_cast<QueryParameter*>(query)->style(), QueryParameter::Style::form);
    EXPECT_EQ(static_cast<PathParameter*>(path)->style(), PathParameter::Style::simple);
}

TEST(Operation, InfoAndLookupById) {
    OpenAPI document;
    PathItem* shared = document.components()->addPathItem("Shared");
    Operation* put = shared->addOperation(HttpMethod::put);
    put->setOperationId("update");
    document.paths()->addItemRef("/things/{id}", shared);
    Operation* hook = document.addWebhook("created")->addOperation(HttpMethod::post);
    Callback* callback = hook->addCallback("cb");
    Operation* inCallback = callback->addItem("{$url}")->addOperation(HttpMethod::trace);

    auto info = operationInfoByOperationId(&document, "update");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->operation, put);
    EXPECT_EQ(info->pathItem, shared);
    EXPECT_EQ(info->method, HttpMethod::put);
    EXPECT_EQ(info->path, "/things/{id}");

    info = operationInfo(hook);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->path, "created");
    EXPECT_EQ(info->method, HttpMethod::post);

    info = operationInfo(inCallback);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->path, "{$url}");

    EXPECT_FALSE(operationInfoByOperationId(&document, "missing").has_value());
    EXPECT_FALSE(operationInfo(nullptr).has_value());
}

TEST(Operation, SecurityInheritance) {
    OpenAPI document;
    Operation* get = document.paths()->addItem("/a")->addOperation(HttpMethod::get);
    EXPECT_TRUE(get->inheritsSecurity());

    // An explicit empty list: no security needed.
    get->setInheritsSecurity(false);
    EXPECT_TRUE(get->security().empty());

    get->addSecurityRequirement();
    EXPECT_FALSE(get->inheritsSecurity());
    EXPECT_EQ(get->security().size(), 1U);

    get->setInheritsSecurity(true);
    EXPECT_TRUE(get->security().empty());
}

TEST(HttpMethod, Conversions) {
    EXPECT_EQ(operationMethodToString(HttpMethod::delete_), "delete");
    EXPECT_TRUE(isValidOperationMethod("trace"));
    EXPECT_FALSE(isValidOperationMethod("GET"));
    EXPECT_EQ(operationMethodFromString("patch"), HttpMethod::patch);
    try {
        operationMethodToString(static_cast<HttpMethod>(99));
        FAIL() << "an unknown method must throw";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "invalid operation key 99");
    }
}

TEST(PathItem, OperationsAreKeptInMethodOrder) {
    OpenAPI document;
    PathItem* item = document.paths()->addItem("/a");
    item->addOperation(HttpMethod::trace);
    item->addOperation(HttpMethod::post);
    item->addOperation(HttpMethod::get);
    std::vector<HttpMethod> order;
    for (const auto& [method, operation] : item->operations()) {
        order.push_back(method);
    }
    EXPECT_EQ(order, (std::vector<HttpMethod>{HttpMethod::get, HttpMethod::post, HttpMethod::trace}));
}

}  // namespace
}  // namespace zephalon::openapi
