#include "zephalon/openapi_diff/change.h"

#include <fmt/format.h>

#include <array>
#include <stdexcept>

#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi_diff {
namespace {

constexpr std::array<std::string_view, 4> kSeverityNames{"none", "non-functional", "non-breaking", "breaking"};
constexpr std::array<std::string_view, 4> kSeverityDescriptions{"No changes", "Non-functional changes",
                                                                "Non-breaking changes", "Breaking changes"};
constexpr std::array<std::string_view, 16> kChangeTypeNames{"",
                                                            "added",
                                                            "removed",
                                                            "modified",
                                                            "property_added",
                                                            "property_removed",
                                                            "property_modified",
                                                            "key_added",
                                                            "key_removed",
                                                            "key_modified",
                                                            "element_added",
                                                            "element_removed",
                                                            "element_modified",
                                                            "extension_added",
                                                            "extension_removed",
                                                            "extension_modified"};
constexpr std::array<std::string_view, 31> kTargetNames{"openapi",
                                                        "info",
                                                        "contact",
                                                        "license",
                                                        "server",
                                                        "server_variable",
                                                        "components",
                                                        "paths",
                                                        "path_item",
                                                        "operation",
                                                        "external_documentation",
                                                        "parameter",
                                                        "request_body",
                                                        "media_type",
                                                        "encoding",
                                                        "responses",
                                                        "response",
                                                        "callback",
                                                        "example",
                                                        "link",
                                                        "header",
                                                        "tag",
                                                        "reference",
                                                        "schema",
                                                        "discriminator",
                                                        "xml",
                                                        "security_scheme",
                                                        "oauth_flows",
                                                        "oauth_flow",
                                                        "security_requirement",
                                                        "webhook"};

std::size_t checkedSeverity(ChangeSeverity severity) {
    auto index = static_cast<std::size_t>(severity);
    if (index >= kSeverityNames.size()) ZEPHALON_UNREACHABLE("Unsupported severity level");
    return index;
}

std::uint8_t code(ChangeType type) { return static_cast<std::uint8_t>(type); }

// The self types map onto the three members of a family that starts at `first` (its "added" member).
ChangeType toFamily(ChangeType type, std::uint8_t first) {
    switch (type) {
        case ChangeType::added:
            return static_cast<ChangeType>(first);
        case ChangeType::removed:
            return static_cast<ChangeType>(first + 1);
        default:
            return static_cast<ChangeType>(first + 2);
    }
}

}  // namespace

std::string_view severityToString(ChangeSeverity severity) { return kSeverityNames[checkedSeverity(severity)]; }

ChangeSeverity severityFromString(std::string_view text) {
    for (std::size_t i = 0; i < kSeverityNames.size(); ++i) {
        if (kSeverityNames[i] == text) return static_cast<ChangeSeverity>(i);
    }
    throw std::invalid_argument(fmt::format("Unsupported severity level: {}", text));
}

std::string_view severityDescription(ChangeSeverity severity) {
    return kSeverityDescriptions[checkedSeverity(severity)];
}

std::string_view changeTypeToString(ChangeType type) {
    if (code(type) >= kChangeTypeNames.size()) ZEPHALON_UNREACHABLE("Unsupported change type");
    return kChangeTypeNames[code(type)];
}

bool isAddType(ChangeType type) {
    return type == ChangeType::added || type == ChangeType::propertyAdded || type == ChangeType::keyAdded ||
           type == ChangeType::elementAdded || type == ChangeType::extensionAdded;
}

bool isRemoveType(ChangeType type) {
    return type == ChangeType::removed || type == ChangeType::propertyRemoved || type == ChangeType::keyRemoved ||
           type == ChangeType::elementRemoved || type == ChangeType::extensionRemoved;
}

bool isPropertyType(ChangeType type) { return code(type) >= 4 && code(type) <= 6; }
bool isKeyType(ChangeType type) { return code(type) >= 7 && code(type) <= 9; }
bool isElementType(ChangeType type) { return code(type) >= 10 && code(type) <= 12; }
bool isExtensionType(ChangeType type) { return code(type) >= 13 && code(type) <= 15; }

ChangeType toPropertyType(ChangeType type) { return toFamily(type, code(ChangeType::propertyAdded)); }
ChangeType toKeyType(ChangeType type) { return toFamily(type, code(ChangeType::keyAdded)); }
ChangeType toElementType(ChangeType type) { return toFamily(type, code(ChangeType::elementAdded)); }

ChangeType toKeyTypeClass(ChangeType type) {
    switch (type) {
        case ChangeType::propertyAdded:
            return ChangeType::keyAdded;
        case ChangeType::propertyRemoved:
            return ChangeType::keyRemoved;
        default:
            return ChangeType::keyModified;
    }
}

std::string_view targetToString(ChangeTarget target) {
    auto index = static_cast<std::size_t>(target);
    if (index >= kTargetNames.size()) ZEPHALON_UNREACHABLE("Unsupported change target");
    return kTargetNames[index];
}

ChangeTarget Change::target() const {
    using openapi::NodeType;
    if (node == nullptr) return ChangeTarget::openapi;
    NodeType type = openapi::normalizeSubtypes(node->type());
    switch (type) {
        case NodeType::OpenAPI:
            return ChangeTarget::openapi;
        case NodeType::Info:
            return ChangeTarget::info;
        case NodeType::Contact:
            return ChangeTarget::contact;
        case NodeType::License:
            return ChangeTarget::license;
        case NodeType::Server:
            return ChangeTarget::server;
        case NodeType::ServerVariable:
            return ChangeTarget::serverVariable;
        case NodeType::Components:
            return ChangeTarget::components;
        case NodeType::Paths:
            return ChangeTarget::paths;
        case NodeType::PathItem:
            return ChangeTarget::pathItem;
        case NodeType::Operation:
            return ChangeTarget::operation;
        case NodeType::ExternalDocumentation:
            return ChangeTarget::externalDocumentation;
        case NodeType::Parameter:
            return ChangeTarget::parameter;
        case NodeType::RequestBody:
            return ChangeTarget::requestBody;
        case NodeType::MediaType:
            return ChangeTarget::mediaType;
        case NodeType::Encoding:
            return ChangeTarget::encoding;
        case NodeType::Responses:
            return ChangeTarget::responses;
        case NodeType::Response:
            return ChangeTarget::response;
        case NodeType::Callback:
            return ChangeTarget::callback;
        case NodeType::Example:
            return ChangeTarget::example;
        case NodeType::Link:
            return ChangeTarget::link;
        case NodeType::Header:
            return ChangeTarget::header;
        case NodeType::Tag:
            return ChangeTarget::tag;
        case NodeType::Reference:
            return ChangeTarget::reference;
        case NodeType::Schema:
            return ChangeTarget::schema;
        case NodeType::Discriminator:
            return ChangeTarget::discriminator;
        case NodeType::XML:
            return ChangeTarget::xml;
        case NodeType::SecurityScheme:
            return ChangeTarget::securityScheme;
        case NodeType::OAuthFlows:
            return ChangeTarget::oauthFlows;
        case NodeType::OAuthFlow:
            return ChangeTarget::oauthFlow;
        case NodeType::SecurityRequirement:
            return ChangeTarget::securityRequirement;
        default:
            ZEPHALON_UNREACHABLE("Unsupported node type");
    }
}

}  // namespace zephalon::openapi_diff
