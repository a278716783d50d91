#pragma once

// One classified difference between two versions of a document, and the enumerations that describe it.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "zephalon/jv/pos.h"
#include "zephalon/openapi_diff/config_key.h"

namespace zephalon::openapi {
class Node;
}

namespace zephalon::openapi_diff {

// How much a change affects clients. The order matters: a larger value is more severe.
enum class ChangeSeverity : std::uint8_t { none = 0, nonFunctional = 1, nonBreaking = 2, breaking = 3 };

// "none", "non-functional", "non-breaking", "breaking".
std::string_view severityToString(ChangeSeverity severity);
// Throws std::invalid_argument "Unsupported severity level: {}" for any other text.
ChangeSeverity severityFromString(std::string_view text);
// "No changes", "Non-functional changes", "Non-breaking changes", "Breaking changes".
std::string_view severityDescription(ChangeSeverity severity);

// What happened, and to what: the node itself (1–3), a property (4–6), an entry of a map identified by its key
// (7–9), an element of a list identified by its index (10–12), or an "x-" extension (13–15).
enum class ChangeType : std::uint8_t {
    none = 0,
    added = 1,
    removed = 2,
    modified = 3,
    propertyAdded = 4,
    propertyRemoved = 5,
    propertyModified = 6,
    keyAdded = 7,
    keyRemoved = 8,
    keyModified = 9,
    elementAdded = 10,
    elementRemoved = 11,
    elementModified = 12,
    extensionAdded = 13,
    extensionRemoved = 14,
    extensionModified = 15,
};

// "added", "property_removed", "key_modified", ... ("" for none).
std::string_view changeTypeToString(ChangeType type);
bool isAddType(ChangeType type);
bool isRemoveType(ChangeType type);
bool isPropertyType(ChangeType type);
bool isKeyType(ChangeType type);
bool isElementType(ChangeType type);
bool isExtensionType(ChangeType type);
// From a change of the node itself (added, removed, modified) to the same change seen as a property, a map entry or
// a list element of the owner. Anything other than added or removed becomes the "modified" member.
ChangeType toPropertyType(ChangeType type);
ChangeType toKeyType(ChangeType type);
ChangeType toElementType(ChangeType type);
// property_added → key_added, property_removed → key_removed, anything else → key_modified.
ChangeType toKeyTypeClass(ChangeType type);

// The kind of object a change concerns, derived from its node.
enum class ChangeTarget : std::uint8_t {
    openapi,
    info,
    contact,
    license,
    server,
    serverVariable,
    components,
    paths,
    pathItem,
    operation,
    externalDocumentation,
    parameter,
    requestBody,
    mediaType,
    encoding,
    responses,
    response,
    callback,
    example,
    link,
    header,
    tag,
    reference,
    schema,
    discriminator,
    xml,
    securityScheme,
    oauthFlows,
    oauthFlow,
    securityRequirement,
    webhook,
};

// "openapi", "server_variable", "request_body", ...
std::string_view targetToString(ChangeTarget target);

// The smallest step of a semantic version that a set of changes calls for.
enum class VersionChange : std::uint8_t { none = 0, patch = 1, minor = 2, major = 3 };

struct Change {
    static constexpr std::uint64_t kNoIndex = std::numeric_limits<std::uint64_t>::max();

    ChangeType type = ChangeType::none;
    ChangeSeverity severity = ChangeSeverity::none;
    // The property or container that changed.
    ConfigKey configKey = ConfigKey::openapi_openapi;
    // The node holding the change: in the destination document, or in the source when the thing was removed.
    const openapi::Node* node = nullptr;
    // The map key (path, status code, media type, property or extension name, ...) of key and extension changes.
    std::string key;
    // The list index of element changes.
    std::uint64_t index = kNoIndex;
    // Where the change is: in the destination document, or in the source for removals.
    Pos pos;
    // The file `pos` is in when that is another file than the compared document's own (a document split over several
    // files); empty otherwise.
    std::string file;

    bool hasIndex() const { return index != kNoIndex; }
    // The kind of the node; ChangeTarget::openapi when there is no node.
    ChangeTarget target() const;
};

}  // namespace zephalon::openapi_diff
