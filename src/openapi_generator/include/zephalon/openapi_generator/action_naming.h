#pragma once

// The name of the function or handler that implements an operation (its action name), taken from the first of an
// ordered list of sources that yields one:
//
//     ActionNamer namer;
//     namer.addSource(ActionNameSource::extension);  // "/codegen/action-name" of "x-zephalon"
//     namer.addSource(ActionNameSource::id);         // the operationId
//     namer.addSource(ActionNameSource::url);        // "get_/pets/{petId}": always yields
//     for (const auto& info : openapi::OperationIterator(document)) use(namer(info));
//
// The name is the document's text; callers turn it into an identifier of their language.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/operation.h"

namespace zephalon::jv {
class JV;
}

namespace zephalon::openapi_generator {

using openapi::OperationInfo;

enum class ActionNameSource { id = 0, extension = 1, url = 2 };

// "id", "extension", "url".
std::string_view actionNameSourceToString(ActionNameSource source);
// Exactly those names; anything else raises std::runtime_error "Invalid name source: '<text>'".
ActionNameSource actionNameSourceFromString(std::string_view text);

// The operationId, when there is one.
std::optional<std::string> actionNameFromId(const OperationInfo& info);
// The "/codegen/action-name" setting, when present (ExtensionError when it is not a string).
std::optional<std::string> actionNameFromExtension(const OperationInfo& info);
// The lower-case method and the path joined by "_" ("get_/pets/{petId}").
std::optional<std::string> actionNameFromUrl(const OperationInfo& info);

// An ordered list of distinct sources, empty when constructed. Stateless between calls.
class ActionNamer {
  public:
    const std::vector<ActionNameSource>& sources() const { return sources_; }

    // Appends; std::runtime_error "Element already exists" when the source is listed.
    void addSource(ActionNameSource source);
    // Makes the source the only one.
    void setSource(ActionNameSource source);
    // Removing what is not there does nothing.
    void removeSource(ActionNameSource source);
    // std::out_of_range past the end.
    void removeSourceAt(std::size_t index);
    void clearSources() { sources_.clear(); }

    // A configuration value: a source name (as setSource) or an array of them (each as addSource). Anything else
    // raises ConfigError "Name sources must be a string or an array thereof"; an unknown name raises the error of
    // actionNameSourceFromString.
    void fromJV(const jv::JV* value);

    // The name from the first source that yields one; nothing when no source does (or none is listed).
    std::optional<std::string> operator()(const OperationInfo& info) const;

  private:
    std::vector<ActionNameSource> sources_;
};

}  // namespace zephalon::openapi_generator
