#pragma once

// The code-generation settings of the "x-zephalon" extension, all under "/codegen":
//
//     paths:
//       /pets:
//         x-zephalon: {codegen: {controller-name: Pets, disabled: false}}
//         get:
//           x-zephalon: {codegen: {action-name: listPets}}
//
// Each accessor reads one setting through the optional accessors of the model, so a setting of the wrong kind raises
// openapi::extensions::ExtensionError naming its pointer ("Extension '/codegen/name' does not represent a string").

#include <optional>
#include <string>

#include "zephalon/jv/pointer.h"

namespace zephalon::openapi {
class Operation;
class PathItem;
class Schema;
}  // namespace zephalon::openapi

namespace zephalon::openapi_generator::extensions {

// "/codegen/action-name" on an operation: the name of the function that implements it.
const jv::JVPointer& actionNameKey();
// "/codegen/controller-name" on an operation or a path item: the group (controller, router, page) it belongs to.
const jv::JVPointer& controllerNameKey();
// "/codegen/name" on a schema: the name of the type generated for it.
const jv::JVPointer& generatedNameKey();
// "/codegen/disabled" on an operation or a path item: leave it out of generated code.
const jv::JVPointer& disabledKey();

std::optional<std::string> actionName(const openapi::Operation* operation);
std::optional<std::string> controllerName(const openapi::Operation* operation);
std::optional<std::string> controllerName(const openapi::PathItem* pathItem);
std::optional<std::string> generatedName(const openapi::Schema* schema);
// False when absent.
bool disabled(const openapi::Operation* operation);
bool disabled(const openapi::PathItem* pathItem);

}  // namespace zephalon::openapi_generator::extensions
