#include "acceptor.h"

#include <algorithm>
#include <string>

#include "context.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::jv_generator {
namespace {

using openapi::Schema;
using openapi::SchemaType;

// Composition keywords can refer to each other without descending into the value; past this many nested checks
// the answer is "accepted" (cannot tell).
constexpr int kMaxNesting = 64;

bool hasType(const jv::JV& value, SchemaType type) {
    switch (type) {
        case SchemaType::null:
            return value.isNull();
        case SchemaType::boolean:
            return value.isBoolean();
        case SchemaType::object:
            return value.isObject();
        case SchemaType::array:
            return value.isArray();
        case SchemaType::number:
            return value.isNumber();
        case SchemaType::string:
            return value.isString();
        case SchemaType::integer:
            return value.isInteger();
    }
    return false;
}

class Acceptor {
  public:
    explicit Acceptor(Context& context) : context_(context) {}

    bool accepts(const Schema& schema, const jv::JV& value) {
        if (nesting_ >= kMaxNesting) return true;
        ++nesting_;
        const bool result = check(schema, value);
        --nesting_;
        return result;
    }

  private:
    // A slot as stored; a dangling reference constrains nothing that can be checked.
    bool slotAccepts(const openapi::Node* slot, const jv::JV& value) {
        if (slot == nullptr) return true;
        const Schema* schema = slot->resolveNodeAs<Schema>();
        return schema == nullptr || accepts(*schema, value);
    }

    bool check(const Schema& schema, const jv::JV& value) {
        if (schema.typeCount() > 0) {
            bool typed = false;
            for (SchemaType type : schema.types()) typed = typed || hasType(value, type);
            if (!typed) return false;
        }
        if (!schema.enumValues().empty()) {
            const auto& values = schema.enumValues();
            if (std::none_of(values.begin(), values.end(), [&](const auto& v) { return v->equal(value); })) {
                return false;
            }
        }
        if (value.isNumber() && !checkNumber(schema, value.numberValue())) return false;
        if (value.isString() && !checkString(schema, value.stringValue())) return false;
        if (value.isArray() && !checkArray(schema, value)) return false;
        if (value.isObject() && !checkObject(schema, value)) return false;
        return checkComposition(schema, value);
    }

    bool checkNumber(const Schema& schema, const number::Number& n) {
        if (auto min = schema.effectiveMinimum()) {
            const int order = n.compare(min->value);
            if (order < 0 || (order == 0 && min->exclusive)) return false;
        }
        if (auto max = schema.effectiveMaximum()) {
            const int order = n.compare(max->value);
            if (order > 0 || (order == 0 && max->exclusive)) return false;
        }
        if (schema.multipleOf() && *schema.multipleOf() > number::Number(0)) {
            if (!n.isMultipleOf(*schema.multipleOf())) return false;
        }
        return true;
    }

    bool checkString(const Schema& schema, std::string_view text) {
        if (schema.minLength() || schema.maxLength()) {
            const std::size_t length = utf8Length(text);
            if (schema.minLength() && length < *schema.minLength()) return false;
            if (schema.maxLength() && length > *schema.maxLength()) return false;
        }
        if (schema.pattern()) {
            const Regex* regex = context_.regex(*schema.pattern());
            if (regex != nullptr && regex->searchOutcome(text) == Regex::Outcome::NoMatch) return false;
        }
        return true;
    }

    bool checkArray(const Schema& schema, const jv::JV& value) {
        const std::size_t count = value.size();
        if (schema.minItems() && count < *schema.minItems()) return false;
        if (schema.maxItems() && count > *schema.maxItems()) return false;
        const auto items = value.items();
        if (schema.uniqueItems()) {
            for (std::size_t i = 0; i < count; ++i) {
                for (std::size_t j = i + 1; j < count; ++j) {
                    if (items[i]->equal(*items[j])) return false;
                }
            }
        }
        const auto& prefix = schema.prefixItems();
        for (std::size_t i = 0; i < count; ++i) {
            const openapi::Node* slot = i < prefix.size() ? prefix[i].get() : schema.itemsNode();
            if (!slotAccepts(slot, *items[i])) return false;
        }
        if (const Schema* contains = schema.contains()) {
            std::uint64_t matching = 0;
            for (const jv::JV* item : items) matching += accepts(*contains, *item) ? 1 : 0;
            const std::uint64_t least = schema.minContains().value_or(1);
            if (matching < least) return false;
            if (schema.maxContains() && matching > *schema.maxContains()) return false;
        }
        return true;
    }

    bool checkObject(const Schema& schema, const jv::JV& value) {
        const std::size_t count = value.size();
        if (schema.minProperties() && count < *schema.minProperties()) return false;
        if (schema.maxProperties() && count > *schema.maxProperties()) return false;
        for (const auto& name : schema.required()) {
            if (!value.hasProperty(name)) return false;
        }
        for (const auto& [property, dependencies] : schema.dependentRequired()) {
            if (!value.hasProperty(property)) continue;
            for (const auto& dependency : dependencies) {
                if (!value.hasProperty(dependency)) return false;
            }
        }
        const Schema* names = schema.propertyNames();
        for (const auto& [key, member] : value.properties()) {
            if (names != nullptr && !accepts(*names, jv::JV(key))) return false;
            bool covered = false;
            if (const openapi::Node* slot = schema.propertyNode(key)) {
                covered = true;
                if (!slotAccepts(slot, *member)) return false;
            }
            for (const auto& [pattern, slot] : schema.patternProperties()) {
                const Regex* regex = context_.regex(pattern);
                if (regex == nullptr || regex->searchOutcome(key) != Regex::Outcome::Match) continue;
                covered = true;
                if (!slotAccepts(slot.get(), *member)) return false;
            }
            if (!covered && !slotAccepts(schema.additionalPropertiesNode(), *member)) return false;
        }
        return true;
    }

    bool checkComposition(const Schema& schema, const jv::JV& value) {
        for (const auto& slot : schema.allOf()) {
            if (!slotAccepts(slot.get(), value)) return false;
        }
        if (!schema.anyOf().empty()) {
            const auto& list = schema.anyOf();
            if (std::none_of(list.begin(), list.end(),
                             [&](const auto& slot) { return slotAccepts(slot.get(), value); })) {
                return false;
            }
        }
        if (!schema.oneOf().empty()) {
            std::size_t matching = 0;
            for (const auto& slot : schema.oneOf()) matching += slotAccepts(slot.get(), value) ? 1 : 0;
            if (matching != 1) return false;
        }
        if (const Schema* negated = schema.notSchema()) {
            if (accepts(*negated, value)) return false;
        }
        if (const Schema* condition = schema.ifSchema()) {
            const Schema* branch = accepts(*condition, value) ? schema.thenSchema() : schema.elseSchema();
            if (branch != nullptr && !accepts(*branch, value)) return false;
        }
        return true;
    }

    Context& context_;
    int nesting_ = 0;
};

}  // namespace

bool accepts(Generator::Impl& context, const Schema& schema, const jv::JV& value) {
    return Acceptor(context).accepts(schema, value);
}

}  // namespace zephalon::jv_generator
