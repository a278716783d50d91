// Questions about a whole schema and the subschemas it applies: truthiness, nullability, and the constraints a
// value must satisfy. They follow references, and cycles of references end.

#include <algorithm>
#include <map>
#include <set>

#include "zephalon/openapi/schema.h"

namespace zephalon::openapi {

namespace {

// Answers truthiness over a graph of schemas that may contain cycles. A schema met again while it is still being
// examined is assumed truthy: whether it restricts is decided by its own keywords, which are checked before any
// subschema is entered.
class TruthinessCheck {
  public:
    bool truthy(const Schema& schema) {
        auto [it, inserted] = state_.emplace(&schema, State::inProgress);
        if (!inserted) {
            return it->second != State::notTruthy;
        }
        bool result = !restrictsItself(schema) && subschemasTruthy(schema);
        state_[&schema] = result ? State::truthy : State::notTruthy;
        return result;
    }

    bool falsy(const Schema& schema) {
        const Node* slot = schema.notSchemaNode();
        if (slot == nullptr) {
            return false;
        }
        const auto* negated = slot->resolveNodeAs<Schema>();
        return negated != nullptr && truthy(*negated);
    }

  private:
    enum class State { inProgress, truthy, notTruthy };

    // A slot that is absent accepts everything; one whose reference dangles might reject anything.
    bool slotTruthy(const Node* slot) {
        if (slot == nullptr) {
            return true;
        }
        const auto* schema = slot->resolveNodeAs<Schema>();
        return schema != nullptr && truthy(*schema);
    }

    bool allTruthy(const NodeList& list) {
        return std::all_of(list.begin(), list.end(), [&](const auto& slot) { return slotTruthy(slot.get()); });
    }

    bool allTruthy(const NodeMap& map) {
        return std::all_of(map.begin(), map.end(), [&](const auto& entry) { return slotTruthy(entry.second.get()); });
    }

    // Property names are strings, so a type list that admits strings does not restrict them.
    bool acceptsAllStrings(const Schema& schema) {
        if (schema.typeCount() == 0) {
            return truthy(schema);
        }
        if (!schema.hasType(SchemaType::string)) {
            return false;
        }
        if (!namesInProgress_.insert(&schema).second) {
            return true;
        }
        // The same test as truthy, with the type list set aside.
        bool result = !restrictsItself(schema, true) && subschemasTruthy(schema);
        namesInProgress_.erase(&schema);
        return result;
    }

    bool restrictsItself(const Schema& schema, bool ignoreTypes = false) {
        std::size_t types = schema.typeCount();
        if (!ignoreTypes && types > 0 && types < schemaTypeCount) {
            return true;
        }
        if (schema.format() != nullptr || !schema.enumValues().empty() || schema.multipleOf()) {
            return true;
        }
        if (schema.effectiveMinimum() || schema.effectiveMaximum()) {
            return true;
        }
        if (schema.maxLength() || schema.minLength() || (schema.pattern() && *schema.pattern() != ".*")) {
            return true;
        }
        if (schema.contentEncoding() || schema.contentMediaType()) {
            return true;
        }
        if (schema.maxItems() || schema.minItems() || schema.uniqueItems()) {
            return true;
        }
        // "contains" rejects arrays without a matching item (the empty array included) unless zero are enough.
        if (schema.containsNode() != nullptr &&
            !(schema.minContains() && *schema.minContains() == 0 && !schema.maxContains())) {
            return true;
        }
        if (schema.maxProperties() || schema.minProperties() || !schema.required().empty() ||
            schema.hasDependentRequired()) {
            return true;
        }
        if (const Node* slot = schema.propertyNamesNode()) {
            const auto* names = slot->resolveNodeAs<Schema>();
            if (names == nullptr || !acceptsAllStrings(*names)) {
                return true;
            }
        }
        if (const Node* slot = schema.notSchemaNode()) {
            const auto* negated = slot->resolveNodeAs<Schema>();
            if (negated == nullptr || !falsy(*negated)) {
                return true;
            }
        }
        return false;
    }

    bool subschemasTruthy(const Schema& schema) {
        if (!slotTruthy(schema.contentSchemaNode()) || !slotTruthy(schema.itemsNode()) ||
            !slotTruthy(schema.additionalItemsNode()) || !allTruthy(schema.prefixItems()) ||
            !slotTruthy(schema.unevaluatedItemsNode())) {
            return false;
        }
        if (!allTruthy(schema.properties()) || !allTruthy(schema.patternProperties()) ||
            !allTruthy(schema.dependentSchemas()) || !slotTruthy(schema.additionalPropertiesNode()) ||
            !slotTruthy(schema.unevaluatedPropertiesNode())) {
            return false;
        }
        if (!allTruthy(schema.allOf()) || !slotTruthy(schema.thenSchemaNode()) ||
            !slotTruthy(schema.elseSchemaNode())) {
            return false;
        }
        // anyOf needs one member that accepts everything; oneOf rejects what two members accept, so only a single
        // truthy member leaves it harmless.
        const NodeList& anyOf = schema.anyOf();
        if (!anyOf.empty() &&
            std::none_of(anyOf.begin(), anyOf.end(), [&](const auto& slot) { return slotTruthy(slot.get()); })) {
            return false;
        }
        const NodeList& oneOf = schema.oneOf();
        if (!oneOf.empty() && !(oneOf.size() == 1 && slotTruthy(oneOf.front().get()))) {
            return false;
        }
        return true;
    }

    std::map<const Schema*, State> state_;
    std::set<const Schema*> namesInProgress_;
};

// A schema is entered into `inProgress` only while its allOf members are asked, which is all a cycle can lead back
// through: most schemas have none, and cost no entry.
bool nullable(const Schema& schema, std::set<const Schema*>& inProgress) {
    if (inProgress.contains(&schema)) {
        return true;
    }
    bool result = schema.typeCount() == 0 || schema.hasType(SchemaType::null);
    if (result && !schema.allOf().empty()) {
        inProgress.insert(&schema);
        for (const auto& slot : schema.allOf()) {
            const auto* member = slot->resolveNodeAs<Schema>();
            if (member != nullptr && !nullable(*member, inProgress)) {
                result = false;
                break;
            }
        }
        inProgress.erase(&schema);
    }
    return result;
}

template <class T>
void raiseMin(std::optional<T>& current, const std::optional<T>& candidate) {
    if (candidate && (!current || *candidate > *current)) {
        current = candidate;
    }
}

template <class T>
void lowerMax(std::optional<T>& current, const std::optional<T>& candidate) {
    if (candidate && (!current || *candidate < *current)) {
        current = candidate;
    }
}

// `sign` as in effectiveBound: 1 keeps the larger lower bound, -1 the smaller upper bound.
void tighten(std::optional<NumericBound>& current, const std::optional<NumericBound>& candidate, int sign) {
    if (!candidate) {
        return;
    }
    if (!current) {
        current = candidate;
        return;
    }
    int order = candidate->value.compare(current->value) * sign;
    if (order > 0 || (order == 0 && candidate->exclusive)) {
        current = candidate;
    }
}

void addOwnConstraints(const Schema& schema, SchemaConstraints& constraints) {
    raiseMin(constraints.lengthConstraints.min, schema.minLength());
    lowerMax(constraints.lengthConstraints.max, schema.maxLength());
    if (schema.pattern()) {
        auto& patterns = constraints.patternConstraints;
        if (std::find(patterns.begin(), patterns.end(), *schema.pattern()) == patterns.end()) {
            patterns.push_back(*schema.pattern());
        }
    }
    tighten(constraints.rangeConstraints.min, schema.effectiveMinimum(), 1);
    tighten(constraints.rangeConstraints.max, schema.effectiveMaximum(), -1);
    raiseMin(constraints.itemCountConstraints.min, schema.minItems());
    lowerMax(constraints.itemCountConstraints.max, schema.maxItems());
    raiseMin(constraints.propertyCountConstraints.min, schema.minProperties());
    lowerMax(constraints.propertyCountConstraints.max, schema.maxProperties());
}

void collect(const Schema& schema, SchemaConstraints& constraints, std::set<const Schema*>& visited) {
    if (!visited.insert(&schema).second) {
        return;
    }
    addOwnConstraints(schema, constraints);
    for (const auto& slot : schema.allOf()) {
        if (const auto* member = slot->resolveNodeAs<Schema>()) {
            collect(*member, constraints, visited);
        }
    }
}

}  // namespace

bool isTruthy(const Schema& schema) { return TruthinessCheck().truthy(schema); }

bool isFalsy(const Schema& schema) { return TruthinessCheck().falsy(schema); }

bool isNullable(const Schema& schema) {
    std::set<const Schema*> inProgress;
    return nullable(schema, inProgress);
}

void collectConstraints(const Schema& schema, SchemaConstraints& constraints) {
    constraints.nullable = constraints.nullable && isNullable(schema);
    // Most schemas have no allOf members, and need no record of the schemas visited.
    if (schema.allOf().empty()) {
        addOwnConstraints(schema, constraints);
        return;
    }
    std::set<const Schema*> visited;
    collect(schema, constraints, visited);
}

}  // namespace zephalon::openapi
