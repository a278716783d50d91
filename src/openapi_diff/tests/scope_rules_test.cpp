// The classification rules on real documents, through a small comparison of paths, operations, parameters,
// responses and schemas written for this test: it enters scopes and reports changes the way the full comparisons
// do, so the severities below are those the recommended rules give to the changes real APIs make.

#include <gtest/gtest.h>

#include <string>

#include "configuration.h"
#include "context.h"
#include "node_diff.h"
#include "recording_report.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"

namespace zephalon::openapi_diff {
namespace {

using namespace openapi;

template <class T>
const T* resolved(const Node* node) {
    return node != nullptr ? node->resolveNodeAs<T>() : nullptr;
}

// Entries of two maps: added ones, removed ones, then common ones, each in a keyed scope of the owners.
template <class T, class Map, class Compare>
void compareMap(Context& context, const Node* sourceOwner, const Node* destOwner, const Map* source, const Map* dest,
                ConfigKey key, Compare compare) {
    auto entry = [](const Map* map, const std::string& name) -> const T* {
        if (map == nullptr) return nullptr;
        auto it = map->find(name);
        return it == map->end() ? nullptr : resolved<T>(it->second.get());
    };
    if (dest != nullptr) {
        for (const auto& [name, node] : *dest) {
            if (entry(source, name) != nullptr) continue;
            auto scope = context.enterScope(sourceOwner, destOwner, key, name);
            compare(nullptr, resolved<T>(node.get()));
        }
    }
    if (source != nullptr) {
        for (const auto& [name, node] : *source) {
            if (entry(dest, name) != nullptr) continue;
            auto scope = context.enterScope(sourceOwner, destOwner, key, name);
            compare(resolved<T>(node.get()), nullptr);
        }
        for (const auto& [name, node] : *source) {
            if (const T* partner = entry(dest, name)) {
                auto scope = context.enterScope(sourceOwner, destOwner, key, name);
                compare(resolved<T>(node.get()), partner);
            }
        }
    }
}

class MiniDiff {
  public:
    explicit MiniDiff(Context& context) : c_(context) {}

    void document(const OpenAPI& source, const OpenAPI& dest) {
        auto scope = c_.enterScope(source.paths(), dest.paths(), ConfigKey::openapi_paths);
        compareMap<PathItem>(c_, source.paths(), dest.paths(), &source.paths()->items(), &dest.paths()->items(),
                             ConfigKey::paths, [&](const PathItem* a, const PathItem* b) { pathItem(a, b); });
    }

  private:
    void pathItem(const PathItem* a, const PathItem* b) {
        c_.emitSelf(a, b);
        compareProperty(
            c_, ConfigKey::pathItem_description, a, b, [](const PathItem& n) -> auto& { return n.description(); });
        for (const auto& [method, name] : operationMethods) {
            const Operation* before = a != nullptr ? a->operation(method) : nullptr;
            const Operation* after = b != nullptr ? b->operation(method) : nullptr;
            if (before == nullptr && after == nullptr) continue;
            auto scope = c_.enterScope(a, b, ConfigKey::pathItem_operations, name);
            operation(before, after);
        }
    }

    void operation(const Operation* a, const Operation* b) {
        c_.emitSelf(a, b);
        compareProperty(
            c_, ConfigKey::operation_description, a, b, [](const Operation& n) -> auto& { return n.description(); });
        parameters(a, b);
        auto scope = c_.enterScope(a != nullptr ? a->responses() : nullptr, b != nullptr ? b->responses() : nullptr,
                                   ConfigKey::operation_responses);
        compareMap<Response>(c_, a != nullptr ? a->responses() : nullptr, b != nullptr ? b->responses() : nullptr,
                             a != nullptr ? &a->responses()->responses() : nullptr,
                             b != nullptr ? &b->responses()->responses() : nullptr, ConfigKey::responses,
                             [&](const Response* x, const Response* y) { response(x, y); });
    }

    // Paired by name and location; new required parameters first.
    void parameters(const Operation* a, const Operation* b) {
        auto list = [](const Operation* op) {
            std::vector<const Parameter*> out;
            if (op != nullptr) {
                for (const auto& node : op->parameters()) out.push_back(resolved<Parameter>(node.get()));
            }
            return out;
        };
        auto partner = [](const Operation* op, const Parameter* p) -> const Parameter* {
            return op != nullptr ? op->parameter(p->name(), p->location()) : nullptr;
        };
        std::vector<const Parameter*> before = list(a), after = list(b);
        for (bool requiredPass : {true, false}) {
            for (std::size_t i = 0; i < after.size(); ++i) {
                if (after[i]->required() != requiredPass || partner(a, after[i]) != nullptr) continue;
                auto scope = c_.enterScope(a, b, ConfigKey::operation_parameters, std::uint64_t{i});
                parameter(nullptr, after[i]);
            }
        }
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (partner(b, before[i]) != nullptr) continue;
            auto scope = c_.enterScope(a, b, ConfigKey::operation_parameters, std::uint64_t{i});
            parameter(before[i], nullptr);
        }
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (const Parameter* old = partner(a, after[i])) {
                auto scope = c_.enterScope(a, b, ConfigKey::operation_parameters, std::uint64_t{i});
                parameter(old, after[i]);
            }
        }
    }

    void parameter(const Parameter* a, const Parameter* b) {
        c_.emitSelf(a, b);
        compareProperty(
            c_, ConfigKey::parameter_description, a, b, [](const Parameter& n) -> auto& { return n.description(); });
        if (a == nullptr) c_.maybeEmitPropertyAdd(ConfigKey::parameter_required, b, b->required(), false);
        if (b == nullptr) c_.maybeEmitPropertyRemove(ConfigKey::parameter_required, a, a->required(), false);
        if (a != nullptr && b != nullptr) {
            c_.maybeEmitPropertyModify(ConfigKey::parameter_required, b, a->required(), b->required());
        }
        auto schemaOf = [](const Parameter* p) { return p != nullptr ? p->schemaOrContent().schema() : nullptr; };
        auto scope = c_.enterScope(schemaOf(a), schemaOf(b), ConfigKey::parameter_schema);
        schema(schemaOf(a), schemaOf(b));
    }

    void response(const Response* a, const Response* b) {
        c_.emitSelf(a, b);
        compareProperty(
            c_, ConfigKey::response_description, a, b, [](const Response& n) -> auto& { return n.description(); });
        compareMap<MediaType>(c_, a, b, a != nullptr ? &a->content() : nullptr, b != nullptr ? &b->content() : nullptr,
                              ConfigKey::response_content, [&](const MediaType* x, const MediaType* y) {
                                  c_.emitSelf(x, y);
                                  const Schema* before = x != nullptr ? x->schema() : nullptr;
                                  const Schema* after = y != nullptr ? y->schema() : nullptr;
                                  auto scope = c_.enterScope(before, after, ConfigKey::mediaType_schema);
                                  schema(before, after);
                              });
    }

    void schema(const Schema* a, const Schema* b) {
        c_.emitSelf(a, b);
        compareProperty(
            c_, ConfigKey::schema_description, a, b, [](const Schema& n) -> auto& { return n.description(); });
        std::vector<SchemaType> before = a != nullptr ? a->types() : std::vector<SchemaType>{};
        std::vector<SchemaType> after = b != nullptr ? b->types() : std::vector<SchemaType>{};
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (a != nullptr && a->hasType(after[i])) continue;
            auto scope = c_.enterScope(a, b, ConfigKey::schema_type, std::uint64_t{i});
            c_.maybeEmitPropertyAdd(ConfigKey::schema_type, b, std::string(schemaTypeToString(after[i])));
        }
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (b != nullptr && b->hasType(before[i])) continue;
            auto scope = c_.enterScope(a, b, ConfigKey::schema_type, std::uint64_t{i});
            c_.maybeEmitPropertyRemove(ConfigKey::schema_type, a, std::string(schemaTypeToString(before[i])));
        }
        compareMap<Schema>(c_, a, b, a != nullptr ? &a->properties() : nullptr,
                           b != nullptr ? &b->properties() : nullptr, ConfigKey::schema_properties,
                           [&](const Schema* x, const Schema* y) { schema(x, y); });
    }

    Context& c_;
};

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
std::string edited(std::string_view from, std::string_view to) {
    std::string text(kBase);
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct Outcome {
    ChangeSeverity severity;
    std::vector<Change> changes;
};

Outcome compare(std::string_view sourceText, std::string_view destText) {
    auto source = checkedReadFromString(sourceText, FileFormat::YAML);
    auto dest = checkedReadFromString(destText, FileFormat::YAML);
    Configuration config;
    config.fromJV(*jv::readString(R"({"extends": ["recommended"]})", FileFormat::JSON)->root());
    testing::RecordingReport report;
    {
        Context context(config, report);
        context.setSource(*source);
        context.setDest(*dest);
        MiniDiff(context).document(*source->model(), *dest->model());
        EXPECT_EQ(context.depth(), 0u);
    }
    return {report.highestSeverity(), report.changes};
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
    Outcome outcome = compare(kBase, edited(kParameters, optional));
    // The path, the operation, the parameter, its schema and the schema's type, outermost first.
    std::vector<std::pair<ChangeType, ConfigKey>> kinds;
    for (const Change& change : outcome.changes) {
        kinds.emplace_back(change.type, change.configKey);
        EXPECT_LE(change.severity, ChangeSeverity::nonBreaking);
    }
    EXPECT_EQ(kinds, (std::vector<std::pair<ChangeType, ConfigKey>>{
                         {ChangeType::keyModified, ConfigKey::paths},
                         {ChangeType::keyModified, ConfigKey::pathItem_operations},
                         {ChangeType::elementAdded, ConfigKey::operation_parameters},
                         {ChangeType::propertyAdded, ConfigKey::parameter_schema},
                         {ChangeType::elementAdded, ConfigKey::schema_type},
                     }));
    EXPECT_EQ(outcome.changes[2].index, 1u);
    EXPECT_EQ(outcome.changes[0].key, "/pets");
    EXPECT_EQ(outcome.changes[1].key, "get");
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
    "get": {"description": "Lists pets.", "responses": {}},
    "delete": {"responses": {}, "description": "Deletes pets."}
  }}})";
    std::string after = R"({"openapi": "3.1.0", "info": {"title": "Pets", "version": "1"}, "paths": {
  "/pets": {
    "get": {"responses": {}, "description": "Lists all pets."}
  },
  "/owners": {"description": "Owners."}}})";
    auto source = checkedReadFromString(before, FileFormat::JSON);
    auto dest = checkedReadFromString(after, FileFormat::JSON);
    Configuration config;
    config.fromJV(*jv::readString(R"({"extends": ["recommended"]})", FileFormat::JSON)->root());
    testing::RecordingReport report;
    {
        Context context(config, report);
        context.setSource(*source);
        context.setDest(*dest);
        MiniDiff(context).document(*source->model(), *dest->model());
    }
    auto positionOf = [&](ChangeType type, ConfigKey key) {
        for (const Change& change : report.changes) {
            if (change.type == type && change.configKey == key) return std::pair{change.pos.line, change.pos.column};
        }
        return std::pair{-1, -1};
    };
    // A new entry stands where it is in the destination, a removed one where it was in the source, and a property
    // where its value is.
    EXPECT_EQ(positionOf(ChangeType::keyAdded, ConfigKey::paths), std::pair(5, 14));
    EXPECT_EQ(positionOf(ChangeType::keyRemoved, ConfigKey::pathItem_operations), std::pair(4, 15));
    EXPECT_EQ(positionOf(ChangeType::propertyModified, ConfigKey::operation_description), std::pair(3, 45));
    EXPECT_EQ(positionOf(ChangeType::propertyAdded, ConfigKey::pathItem_description), std::pair(5, 30));
}

}  // namespace
}  // namespace zephalon::openapi_diff
