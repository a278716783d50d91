#include "zephalon/openapi_generator/extensions.h"

#include "zephalon/openapi/extensions.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi_generator::extensions {

namespace model = openapi::extensions;

const jv::JVPointer& actionNameKey() {
    static const jv::JVPointer key("/codegen/action-name");
    return key;
}

const jv::JVPointer& controllerNameKey() {
    static const jv::JVPointer key("/codegen/controller-name");
    return key;
}

const jv::JVPointer& generatedNameKey() {
    static const jv::JVPointer key("/codegen/name");
    return key;
}

const jv::JVPointer& disabledKey() {
    static const jv::JVPointer key("/codegen/disabled");
    return key;
}

std::optional<std::string> actionName(const openapi::Operation* operation) {
    return model::optionalStringExtension(*operation, actionNameKey());
}

std::optional<std::string> controllerName(const openapi::Operation* operation) {
    return model::optionalStringExtension(*operation, controllerNameKey());
}

std::optional<std::string> controllerName(const openapi::PathItem* pathItem) {
    return model::optionalStringExtension(*pathItem, controllerNameKey());
}

std::optional<std::string> generatedName(const openapi::Schema* schema) {
    return model::optionalStringExtension(*schema, generatedNameKey());
}

bool disabled(const openapi::Operation* operation) {
    return model::optionalBooleanExtension(*operation, disabledKey()).value_or(false);
}

bool disabled(const openapi::PathItem* pathItem) {
    return model::optionalBooleanExtension(*pathItem, disabledKey()).value_or(false);
}

}  // namespace zephalon::openapi_generator::extensions
