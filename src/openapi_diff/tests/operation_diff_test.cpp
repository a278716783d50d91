// Paths, operations, parameters, servers, tags and extensions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comparison.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/paths.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareDocuments;
using testing::edited;
using Strings = std::vector<std::string>;

constexpr std::string_view kPets = R"(
openapi: 3.1.0
info: {title: Pets, version: 1.0.0}
servers:
  - {url: 'https://a.example.com', description: A}
  - {url: 'https://b.example.com'}
tags:
  - {name: pets, description: Pets.}
paths:
  /pets/{id}:
    parameters:
      - {name: id, in: path, required: true, schema: {type: integer}}
      - {name: trace, in: header}
    get:
      tags: [pets]
      parameters:
        - {name: a, in: query}
        - {name: b, in: query}
      responses:
        '200': {description: A pet.}
components:
  parameters:
    limit: {name: limit, in: query}
)";

constexpr std::string_view kOperationParameters = "        - {name: a, in: query}\n        - {name: b, in: query}\n";

TEST(OperationDiffTest, ARenamedPathIsOneRemovedAndOneAdded) {
    auto comparison = compareDocuments(kPets, edited(kPets, "/pets/{id}:", "/animals/{id}:"));
    EXPECT_EQ(comparison.described(ConfigKey::paths),
              (Strings{"key_added paths '/animals/{id}' non-breaking", "key_removed paths '/pets/{id}' breaking"}));
    EXPECT_EQ(comparison.severity, ChangeSeverity::breaking);
}

TEST(OperationDiffTest, AParameterMovedFromThePathItemToTheOperationIsRemovedThereAndAddedHere) {
    std::string moved = edited(edited(kPets, "      - {name: trace, in: header}\n", ""), kOperationParameters,
                               std::string(kOperationParameters) + "        - {name: trace, in: header}\n");
    auto comparison = compareDocuments(kPets, moved);
    EXPECT_EQ(comparison.described(ConfigKey::operation_parameters),
              Strings{"element_added operation.parameters [2] non-breaking"});
    EXPECT_EQ(comparison.described(ConfigKey::pathItem_parameters),
              Strings{"element_removed pathItem.parameters [1] breaking"});
    // The removed parameter stands in the source, where its index is valid.
    for (const Change& change : comparison.changes) {
        if (change.configKey != ConfigKey::pathItem_parameters) continue;
        ASSERT_EQ(change.node->type(), openapi::NodeType::PathItem);
        const auto* item = static_cast<const openapi::PathItem*>(change.node);
        EXPECT_EQ(item->parameter(change.index)->name(), "trace");
        EXPECT_EQ(item->root(), comparison.source->model());
    }
}

TEST(OperationDiffTest, ReorderedParametersAreNoChange) {
    std::string reordered =
        edited(kPets, kOperationParameters, "        - {name: b, in: query}\n        - {name: a, in: query}\n");
    EXPECT_TRUE(compareDocuments(kPets, reordered).changes.empty());
}

TEST(OperationDiffTest, RepeatedParametersServersAndTagsPairInTheirOrder) {
    // Lists that repeat a key (which documents should not, but do) pair the k-th of a key with the k-th: each element
    // meets its own counterpart, and a document compared with itself shows no change.
    std::string repeated =
        edited(edited(edited(kPets, kOperationParameters,
                             "        - {name: a, in: query, schema: {type: string}}\n"
                             "        - {name: a, in: query, schema: {type: number}}\n"),
                      "  - {url: 'https://b.example.com'}\n", "  - {url: 'https://a.example.com', description: B}\n"),
               "  - {name: pets, description: Pets.}\n", "  - {name: pets, description: Pets.}\n  - {name: pets}\n");
    EXPECT_TRUE(compareDocuments(repeated, repeated).changes.empty());

    // Only the second of the repeated parameters changes, and the second server.
    std::string second = edited(edited(repeated, "schema: {type: number}", "schema: {type: boolean}"), "description: B",
                                "description: C");
    auto comparison = compareDocuments(repeated, second);
    EXPECT_EQ(comparison.described(ConfigKey::operation_parameters),
              Strings{"element_modified operation.parameters [1] breaking"});
    EXPECT_EQ(comparison.described(ConfigKey::server_description),
              Strings{"property_modified server.description non-functional"});
}

TEST(OperationDiffTest, NewRequiredParametersComeFirst) {
    std::string added = edited(kPets, kOperationParameters,
                               std::string(kOperationParameters) +
                                   "        - {name: c, in: query}\n        - {name: d, in: query, required: true}\n");
    EXPECT_EQ(compareDocuments(kPets, added).described(ConfigKey::operation_parameters),
              (Strings{"element_added operation.parameters [3] breaking",
                       "element_added operation.parameters [2] non-breaking"}));
}

TEST(OperationDiffTest, AHeaderParameterThatBecomesRequiredBreaksClients) {
    auto comparison = compareDocuments(
        kPets, edited(kPets, "{name: trace, in: header}", "{name: trace, in: header, required: true}"));
    EXPECT_EQ(comparison.described(ConfigKey::parameter_required),
              Strings{"property_modified parameter.required breaking"});
    EXPECT_EQ(comparison.severity, ChangeSeverity::breaking);
}

TEST(OperationDiffTest, StylesAndExplodeCountOnlyWhenTheyDifferFromTheDefault) {
    // A new query parameter written with its default style and explode is the same as one without them.
    std::string spelled = edited(kPets, "{name: b, in: query}", "{name: b, in: query, style: form, explode: true}");
    EXPECT_TRUE(compareDocuments(kPets, spelled).changes.empty());
    std::string other = edited(kPets, "{name: b, in: query}", "{name: b, in: query, style: pipeDelimited}");
    EXPECT_EQ(compareDocuments(kPets, other).described(ConfigKey::parameter_style),
              Strings{"property_modified parameter.style breaking"});
}

TEST(OperationDiffTest, AComponentParameterInAnotherLocationIsAnotherParameter) {
    auto comparison = compareDocuments(kPets, edited(kPets, "{name: limit, in: query}", "{name: limit, in: header}"));
    EXPECT_EQ(comparison.described(ConfigKey::components_parameters),
              (Strings{"key_added components.parameters 'limit' non-breaking",
                       "key_removed components.parameters 'limit' breaking"}));
}

TEST(OperationDiffTest, ServersArePairedByUrl) {
    std::string text = edited(edited(kPets, "'https://b.example.com'", "'https://c.example.com'"), "description: A}",
                              "description: AA}");
    // A removed server is followed by its URL, which tells which server went.
    EXPECT_EQ(compareDocuments(kPets, text).described(), (Strings{
                                                             "element_added openapi.servers [1] non-breaking",
                                                             "property_added server.url non-breaking",
                                                             "element_removed openapi.servers [1] breaking",
                                                             "property_removed server.url breaking",
                                                             "element_modified openapi.servers [0] non-functional",
                                                             "property_modified server.description non-functional",
                                                         }));
}

TEST(OperationDiffTest, AnOperationNamesTagsThatTheDocumentDescribes) {
    // The tag's own description is the document's business, not every operation's that names it.
    EXPECT_EQ(compareDocuments(kPets, edited(kPets, "description: Pets.}", "description: All pets.}")).described(),
              (Strings{"element_modified openapi.tags [0] non-functional",
                       "property_modified tag.description non-functional"}));
    std::string untagged = edited(kPets, "      tags: [pets]\n", "");
    EXPECT_EQ(compareDocuments(kPets, untagged).described(ConfigKey::operation_tags),
              Strings{"element_removed operation.tags [0] non-breaking"});
}

TEST(OperationDiffTest, ExtensionsAddedRemovedAndModified) {
    std::string before = edited(kPets, "      tags: [pets]", "      tags: [pets]\n      x-a: 1\n      x-b: 1");
    std::string after = edited(kPets, "      tags: [pets]", "      tags: [pets]\n      x-b: 2\n      x-c: 1");
    auto comparison = compareDocuments(before, after);
    Strings extensions;
    for (const Change& change : comparison.changes) {
        if (isExtensionType(change.type)) extensions.push_back(testing::Comparison::describe(change));
    }
    EXPECT_EQ(extensions, (Strings{"extension_added pathItem.operations 'x-c' non-functional",
                                   "extension_removed pathItem.operations 'x-a' non-functional",
                                   "extension_modified pathItem.operations 'x-b' non-functional"}));
    EXPECT_EQ(comparison.severity, ChangeSeverity::nonFunctional);
}

TEST(OperationDiffTest, CallbacksAndWebhooksHoldOperationsToo) {
    constexpr std::string_view text = R"(
openapi: 3.1.0
info: {title: Hooks, version: 1.0.0}
paths:
  /subscriptions:
    post:
      responses:
        '201': {description: Subscribed.}
      callbacks:
        onEvent:
          '{$request.body#/url}':
            post:
              responses:
                '200': {description: Received.}
webhooks:
  created:
    post:
      responses:
        '200': {description: Received.}
)";
    std::string changed = edited(edited(text, "'200': {description: Received.}", "'202': {description: Received.}"),
                                 "'200': {description: Received.}", "'204': {description: Received.}");
    auto comparison = compareDocuments(text, changed);
    EXPECT_EQ(comparison.described(ConfigKey::callback),
              Strings{"key_modified callback '{$request.body#/url}' breaking"});
    EXPECT_EQ(comparison.described(ConfigKey::openapi_webhooks),
              Strings{"key_modified openapi.webhooks 'created' breaking"});
    EXPECT_EQ(comparison.described(ConfigKey::responses).size(), 4u);
}

}  // namespace
}  // namespace zephalon::openapi_diff
