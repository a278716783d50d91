#pragma once

// The parameter list shared by PathItem and Operation.

#include <string>
#include <string_view>

#include "slots.h"
#include "zephalon/openapi/parameter.h"

namespace zephalon::openapi::detail {

inline Parameter* findParameter(const NodeList& list, std::string_view name, Parameter::Location location) {
    for (const auto& slot : list) {
        auto* parameter = nodeCast<Parameter>(slot->resolveNode());
        if (parameter != nullptr && parameter->location() == location && parameter->name() == name) {
            return parameter;
        }
    }
    return nullptr;
}

inline Parameter* appendParameter(NodeList& list, Node* parent, std::string name, Parameter::Location location) {
    switch (location) {
        case Parameter::Location::path:
            return appendItem<PathParameter>(list, parent, std::move(name));
        case Parameter::Location::query:
            return appendItem<QueryParameter>(list, parent, std::move(name));
        case Parameter::Location::header:
            return appendItem<HeaderParameter>(list, parent, std::move(name));
        case Parameter::Location::cookie:
            break;
    }
    return appendItem<CookieParameter>(list, parent, std::move(name));
}

}  // namespace zephalon::openapi::detail
