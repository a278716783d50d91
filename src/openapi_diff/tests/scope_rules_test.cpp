// The classification rules on real documents: the severities the recommended rules give to the changes real APIs
// make, through the whole comparison.

#include <gtest/gtest.h>

#include <string>

#include "comparison.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareDocuments;

constexpr std::string_view kBase = R"(
openapi: 3.1.0
info: {title: Pets, version: 1.0.0}
paths:
  /pets:
    get:
      description: Lists pets.
      parameters:
        - {name: limit, in: query, schema: {type: integer}}
      responses:
        '200':
          description: The pets.
          content:
            application/json:
              schema:
                type: object
                properties:
                  id: {type: integer}
)";

// The base document with one piece of text replaced.
std::string edited(std::string_view from, std::string_view to) { return testing::edited(kBase, from, to); }

struct Outcome {
    ChangeSeverity severity;
    std::vector<Change> changes;
};

Outcome compare(std::string_view sourceText, std::string_view destText) {
    auto comparison = compareDocuments(sourceText, destText);
    return {comparison.severity, comparison.changes};
}

ChangeSeverity severityOf(std::string_view from, std::string_view to) {
    return compare(kBase, edited(from, to)).severity;
}

constexpr std::string_view kParameters = "        - {name: limit, in: query, schema: {type: integer}}\n";

TEST(ScopeRulesTest, NewParametersBreakClientsOnlyWhenRequired) {
    std::string optional = std::string(kParameters) + "        - {name: sort, in: query, schema: {type: string}}\n";
    std::string required =
        std::string(kParameters) + "        - {name: sort, in: query, required: true, schema: {type: string}}\n";
    EXPECT_EQ(severityOf(kParameters, optional), ChangeSeverity::nonBreaking);
    EXPECT_EQ(severityOf(kParameters, required), ChangeSeverity::breaking);
    EXPECT_EQ(severityOf("        - {name: limit, in: query, schema: {type: integer}}",
                         "        - {name: limit, in: query, required: true, schema: {type: integer}}"),
              ChangeSeverity::breaking);
    EXPECT_EQ(severityOf("      parameters:\n" + std::string(kParameters), ""), ChangeSeverity::breaking);
}

TEST(ScopeRulesTest, ANewParameterIsReportedWithItsDetailsAtItsOwnSeverity) {
    std::string optional = std::string(kParameters) + "        - {name: sort, in: query, schema: {type: string}}\n";
    auto comparison = compareDocuments(kBase, edited(kParameters, optional));
    // The path, the operation, the parameter with its fields, its schema and the schema's type, outermost first;
    // nothing inside the new parameter is more severe than the parameter.
    EXPECT_EQ(comparison.described(), (std::vector<std::string>{
                                          "key_modified paths '/pets' non-breaking",
                                          "key_modified pathItem.operations 'get' non-breaking",
                                          "element_added operation.parameters [1] non-breaking",
                                          "property_added parameter.name none",
                                          "property_added parameter.in none",
                                          "property_added parameter.schema non-breaking",
                                          "element_added schema.type [0] non-breaking",
                                      }));
}

TEST(ScopeRulesTest, NewPathsAndOperationsAreNonBreakingAndRemovedOnesBreaking) {
    std::string newPath = std::string(kBase) + R"(
  /owners/{id}:
    parameters:
      - {name: id, in: path, required: true, schema: {type: string}}
    get:
      parameters:
        - {name: fields, in: query, required: true, schema: {type: string}}
      responses:
        '200':
          description: An owner.
          content:
            application/json:
              schema: {type: object, properties: {name: {type: string}}}
)";
    EXPECT_EQ(compare(kBase, newPath).severity, ChangeSeverity::nonBreaking);
    EXPECT_EQ(compare(newPath, kBase).severity, ChangeSeverity::breaking);

    std::string newOperation = std::string(kBase) + R"(    delete:
      parameters:
        - {name: force, in: query, required: true, schema: {type: boolean}}
      responses:
        '204': {description: Deleted.}
)";
    EXPECT_EQ(compare(kBase, newOperation).severity, ChangeSeverity::nonBreaking);
    EXPECT_EQ(compare(newOperation, kBase).severity, ChangeSeverity::breaking);

    // A new path item with nothing in it is no change at all.
    Outcome empty = compare(kBase, std::string(kBase) + "  /empty: {}\n");
    EXPECT_EQ(empty.severity, ChangeSeverity::none);
    EXPECT_TRUE(empty.changes.empty());
}

TEST(ScopeRulesTest, ResponseAndDescriptionChanges) {
    EXPECT_EQ(severityOf("                  id: {type: integer}\n",
                         "                  id: {type: integer}\n                  name: {type: string}\n"),
              ChangeSeverity::nonBreaking);
    EXPECT_EQ(severityOf("id: {type: integer}", "id: {type: string}"), ChangeSeverity::breaking);
    EXPECT_EQ(severityOf("description: Lists pets.", "description: Lists all the pets."),
              ChangeSeverity::nonFunctional);
    EXPECT_EQ(compare(kBase, kBase).changes.size(), 0u);
}

TEST(ScopeRulesTest, ChangesAreReportedWhereTheyAreInTheirDocument) {
    std::string before = R"({"openapi": "3.1.0", "info": {"title": "Pets", "version": "1"}, "paths": {
  "/pets": {
    "get": {"description": "Lists pets.", "summary": "List", "responses": {}},
    "delete": {"responses": {}, "description": "Deletes pets."}
  }}})";
    std::string after = R"({"openapi": "3.1.0", "info": {"title": "Pets", "version": "1"}, "paths": {
  "/pets": {
    "get": {"responses": {}, "description": "Lists all pets."}
  },
  "/owners": {"description": "Owners."}}})";
    auto comparison = compareDocuments(before, after, testing::recommendedRules(), FileFormat::JSON);
    auto positionOf = [&](ChangeType type, ConfigKey key) {
        for (const Change& change : comparison.changes) {
            if (change.type == type && change.configKey == key) return std::pair{change.pos.line, change.pos.column};
        }
        return std::pair{-1, -1};
    };
    // A new entry stands where it is in the destination, a removed one where it was in the source, and a property
    // where its value is (in the source when it was removed from a node that is still there).
    EXPECT_EQ(positionOf(ChangeType::keyAdded, ConfigKey::paths), std::pair(5, 14));
    EXPECT_EQ(positionOf(ChangeType::keyRemoved, ConfigKey::pathItem_operations), std::pair(4, 15));
    EXPECT_EQ(positionOf(ChangeType::propertyModified, ConfigKey::operation_description), std::pair(3, 45));
    EXPECT_EQ(positionOf(ChangeType::propertyAdded, ConfigKey::pathItem_description), std::pair(5, 30));
    EXPECT_EQ(positionOf(ChangeType::propertyRemoved, ConfigKey::operation_summary), std::pair(3, 54));
}

}  // namespace
}  // namespace zephalon::openapi_diff
