#include "zephalon/openapi/json_schema_form.h"

#include <string>
#include <string_view>
#include <vector>

namespace zephalon::openapi {

namespace {

bool holdsNull(const jv::JV& list) {
    for (const jv::JV* item : list.items()) {
        if (item->isNull()) return true;
    }
    return false;
}

bool holdsString(const jv::JV& list, std::string_view text) {
    for (const jv::JV* item : list.items()) {
        if (item->isString() && item->stringValue() == text) return true;
    }
    return false;
}

// Makes the schema accept null as well as what it accepted. Of "anyOf" and "oneOf" only the first branch is opened,
// so that null matches one branch of a "oneOf" rather than all of them.
void allowNull(jv::JV& schema) {
    std::vector<jv::JV*> pending{&schema};
    while (!pending.empty()) {
        jv::JV& object = *pending.back();
        pending.pop_back();
        if (!object.isObject()) continue;
        if (object.property("$ref") != nullptr) {
            auto ref = object.releaseProperty("$ref");
            object.clear();
            object.setObject();
            jv::JV* choices = object.setArrayProperty("anyOf");
            choices->addObject()->setProperty("$ref", std::move(ref));
            choices->addObject()->setStringProperty("type", "null");
            continue;
        }
        if (jv::JV* type = object.property("type")) {
            if (type->isString()) {
                const std::string name(type->stringValue());
                type->setArray();
                type->addString(name);
            }
            if (type->isArray() && !holdsString(*type, "null")) type->addString("null");
        }
        if (jv::JV* values = object.property("enum"); values != nullptr && values->isArray() && !holdsNull(*values)) {
            values->addNull();
        }
        if (jv::JV* all = object.property("allOf"); all != nullptr && all->isArray()) {
            for (jv::JV* item : all->items()) pending.push_back(item);
        }
        for (const char* key : {"anyOf", "oneOf"}) {
            jv::JV* branches = object.property(key);
            if (branches != nullptr && branches->isArray() && branches->size() > 0) pending.push_back(branches->at(0));
        }
    }
}

}  // namespace

void nullableToJsonSchema(jv::JV& tree) {
    std::vector<jv::JV*> pending{&tree};
    while (!pending.empty()) {
        jv::JV& value = *pending.back();
        pending.pop_back();
        if (value.isArray()) {
            for (jv::JV* item : value.items()) pending.push_back(item);
            continue;
        }
        if (!value.isObject()) continue;
        if (const jv::JV* nullable = value.property("nullable"); nullable != nullptr && nullable->isBoolean()) {
            const bool allows = nullable->booleanValue();
            value.removeProperty("nullable");
            if (allows) allowNull(value);
        }
        for (auto member : value.properties()) pending.push_back(member.value);
    }
}

}  // namespace zephalon::openapi
