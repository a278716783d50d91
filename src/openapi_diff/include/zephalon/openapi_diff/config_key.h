#pragma once

// The configurable properties of the diff rules: one key per property of each node section of the rule
// configuration ("info.title", "operation.parameters", ...). The four sections that are containers themselves
// ("paths", "responses", "callback", "securityRequirement") are one key each.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zephalon::openapi_diff {

enum class ConfigKey : std::uint8_t {
    openapi_openapi,
    openapi_info,
    openapi_jsonSchemaDialect,
    openapi_servers,
    openapi_paths,
    openapi_webhooks,
    openapi_components,
    openapi_security,
    openapi_tags,
    openapi_externalDocs,

    info_title,
    info_summary,
    info_description,
    info_termsOfService,
    info_contact,
    info_license,
    info_version,

    contact_name,
    contact_url,
    contact_email,

    license_name,
    license_identifier,
    license_url,

    server_url,
    server_description,
    server_variables,

    serverVariable_description,
    serverVariable_default,
    serverVariable_enum,

    components_schemas,
    components_responses,
    components_parameters,
    components_requestBodies,
    components_headers,
    components_securitySchemes,
    components_links,
    components_callbacks,
    components_pathItems,
    components_examples,

    paths,

    pathItem_summary,
    pathItem_description,
    pathItem_parameters,
    pathItem_operations,
    pathItem_servers,

    operation_tags,
    operation_summary,
    operation_operationId,
    operation_description,
    operation_externalDocs,
    operation_deprecated,
    operation_parameters,
    operation_requestBody,
    operation_responses,
    operation_callbacks,
    operation_security,
    operation_servers,

    externalDocumentation_description,
    externalDocumentation_url,

    parameter_name,
    parameter_in,
    parameter_description,
    parameter_required,
    parameter_deprecated,
    parameter_allowEmptyValue,
    parameter_style,
    parameter_explode,
    parameter_allowReserved,
    parameter_schema,
    parameter_content,
    parameter_example,
    parameter_examples,

    requestBody_description,
    requestBody_required,
    requestBody_content,

    mediaType_schema,
    mediaType_encoding,
    mediaType_example,
    mediaType_examples,

    encoding_contentType,
    encoding_headers,
    encoding_style,
    encoding_explode,
    encoding_allowReserved,

    responses,

    response_description,
    response_headers,
    response_content,
    response_links,

    callback,

    example_summary,
    example_description,
    example_value,
    example_externalValue,

    link_description,
    link_server,
    link_operationRef,
    link_operationId,
    link_parameters,
    link_requestBody,

    header_name,
    header_description,
    header_required,
    header_deprecated,
    header_allowEmptyValue,
    header_explode,
    header_allowReserved,
    header_schema,
    header_content,
    header_example,
    header_examples,

    tag_name,
    tag_description,
    tag_externalDocs,

    reference_ref,
    reference_summary,
    reference_description,

    schema_id,
    schema_title,
    schema_description,
    schema_type,
    schema_format,
    schema_const,
    schema_enum,
    schema_deprecated,
    schema_readOnly,
    schema_writeOnly,
    schema_minimum,
    schema_exclusiveMinimum,
    schema_maximum,
    schema_exclusiveMaximum,
    schema_multipleOf,
    schema_minLength,
    schema_maxLength,
    schema_pattern,
    schema_items,
    schema_contains,
    schema_minContains,
    schema_maxContains,
    schema_prefixItems,
    schema_minItems,
    schema_maxItems,
    schema_uniqueItems,
    schema_unevaluatedItems,
    schema_required,
    schema_properties,
    schema_patternProperties,
    schema_propertyNames,
    schema_additionalProperties,
    schema_minProperties,
    schema_maxProperties,
    schema_unevaluatedProperties,
    schema_allOf,
    schema_oneOf,
    schema_anyOf,
    schema_not,
    schema_if,
    schema_then,
    schema_else,
    schema_anchor,
    schema_dynamicAnchor,
    schema_dynamicRef,
    schema_vocabulary,
    schema_contentEncoding,
    schema_contentMediaType,
    schema_contentSchema,
    schema_discriminator,
    schema_xml,
    schema_externalDocs,
    schema_examples,
    schema_default,
    schema_dialect,

    discriminator_propertyName,
    discriminator_mapping,

    xml_name,
    xml_namespace,
    xml_prefix,
    xml_attribute,
    xml_wrapped,

    securityScheme_name,
    securityScheme_description,
    securityScheme_type,
    securityScheme_in,
    securityScheme_scheme,
    securityScheme_bearerFormat,
    securityScheme_flows,
    securityScheme_openIdConnectUrl,

    oauthFlows_implicit,
    oauthFlows_password,
    oauthFlows_clientCredentials,
    oauthFlows_authorizationCode,

    oauthFlow_authorizationUrl,
    oauthFlow_tokenUrl,
    oauthFlow_refreshUrl,
    oauthFlow_scopes,

    securityRequirement,
};

inline constexpr std::size_t kConfigKeyCount = static_cast<std::size_t>(ConfigKey::securityRequirement) + 1;

// The name reports show for a key: the property's name in its section ("title", "servers", "$ref", ...), the
// section's name for the container sections, and "specVersion" for the document's "openapi" field.
std::string_view configKeyToPropertyName(ConfigKey key);

}  // namespace zephalon::openapi_diff
