#include "zephalon/openapi_generator_client_fetch/client_fetch.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "client_parts.h"
#include "zephalon/foundation/naming_convention.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_generator/extensions.h"

namespace zephalon::openapi_generator::client_fetch {
namespace {

using code_morph::typescript::toTypeName;
using code_morph::typescript::toVariableName;
using openapi::Node;
using openapi::Schema;
using openapi::SchemaType;

// Everything actions.ts, types.ts and index.ts name besides the document's own names: helpers of the generated
// files and of the runtime package, and the globals that the generated code uses as values or types.
constexpr std::string_view kReservedNames[] = {"APIClientError",
                                               "APIClientErrorKind",
                                               "ClientConfig",
                                               "ExtraCallParams",
                                               "COMMON_HEADERS",
                                               "init",
                                               "makeUrl",
                                               "setAuthCookie",
                                               "authorizeRequest",
                                               "applyExtraParams",
                                               "addQueryParam",
                                               "callJsonApi",
                                               "callApi",
                                               "formatParam",
                                               "formatDate",
                                               "JSONValue",
                                               "camelCaseDeep",
                                               "snakeCaseDeep",
                                               "kebabCaseDeep",
                                               "pascalCaseDeep",
                                               "Array",
                                               "BodyInit",
                                               "Boolean",
                                               "Date",
                                               "Error",
                                               "Headers",
                                               "JSON",
                                               "Number",
                                               "Object",
                                               "Promise",
                                               "Record",
                                               "RequestInit",
                                               "Response",
                                               "String",
                                               "URL",
                                               "AbortSignal"};

// The names between braces in a path template, in order, each once.
std::vector<std::string> pathPlaceholders(std::string_view path) {
    std::vector<std::string> names;
    for (std::size_t open = path.find('{'); open != std::string_view::npos; open = path.find('{', open + 1)) {
        const std::size_t close = path.find('}', open);
        if (close == std::string_view::npos) break;
        std::string name(path.substr(open + 1, close - open - 1));
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
    return names;
}

const Schema* resolvedSchema(const Node* slot) { return slot == nullptr ? nullptr : slot->resolveNodeAs<Schema>(); }

// The QueryStyle of utils.ts; empty for its default, form with explode.
std::string queryStyle(const openapi::QueryParameter& parameter) {
    using Style = openapi::QueryParameter::Style;
    switch (parameter.style()) {
        case Style::form:
            return parameter.explode() ? "" : "formNoExplode";
        case Style::spaceDelimited:
            return "spaceDelimited";
        case Style::pipeDelimited:
            return "pipeDelimited";
        case Style::deepObject:
            return "deepObject";
    }
    return "";
}

}  // namespace

bool isJsonMediaType(std::string_view key) {
    std::string type = asciiToLower(trim(key.substr(0, key.find(';'))));
    return type == "application/json" || (startsWith(type, "application/") && endsWith(type, "+json"));
}

std::pair<std::string, const openapi::MediaType*> pickMediaType(const openapi::OwnedMap<openapi::MediaType>& content) {
    if (content.empty()) return {"", nullptr};
    if (auto it = content.find("application/json"); it != content.end()) return {it->first, it->second.get()};
    for (const auto& [key, media] : content) {
        if (isJsonMediaType(key)) return {key, media.get()};
    }
    return {content.begin()->first, content.begin()->second.get()};
}

const openapi::Response* successResponse(const openapi::Operation& operation) {
    const openapi::Responses* responses = operation.responses();
    if (responses == nullptr) return nullptr;
    for (const auto& [key, slot] : responses->responses()) {
        if (key.size() == 3 && key[0] == '2' && std::isdigit(static_cast<unsigned char>(key[1])) &&
            std::isdigit(static_cast<unsigned char>(key[2]))) {
            return slot->resolveNodeAs<openapi::Response>();
        }
    }
    for (std::string_view key : {"2XX", "2xx", "default"}) {
        if (auto* response = responses->response(key)) return response;
    }
    return nullptr;
}

std::optional<std::string> bodyTransform(const Node* schemaSlot) {
    std::set<std::string, std::less<>> names;
    std::set<const Schema*> seen;
    std::vector<const Schema*> pending{resolvedSchema(schemaSlot)};
    while (!pending.empty()) {
        const Schema* schema = pending.back();
        pending.pop_back();
        if (schema == nullptr || !seen.insert(schema).second) continue;
        // Keys of maps are data, not names: converting them would change what is sent.
        if (const Node* additional = schema->additionalPropertiesNode()) {
            const Schema* resolved = resolvedSchema(additional);
            if (resolved == nullptr || !isFalsy(*resolved)) return std::nullopt;
        }
        const bool composed = !schema->allOf().empty() || !schema->oneOf().empty() || !schema->anyOf().empty();
        if (!schema->patternProperties().empty() ||
            (schema->hasType(SchemaType::object) && schema->properties().empty() && !composed)) {
            return std::nullopt;
        }
        for (const auto& [name, property] : schema->properties()) {
            names.insert(name);
            pending.push_back(resolvedSchema(property.get()));
        }
        pending.push_back(resolvedSchema(schema->itemsNode()));
        for (const auto* list : {&schema->prefixItems(), &schema->allOf(), &schema->oneOf(), &schema->anyOf()}) {
            for (const auto& member : *list) pending.push_back(resolvedSchema(member.get()));
        }
    }
    static constexpr std::pair<NamingConvention, std::string_view> kTransforms[] = {
        {NamingConvention::CamelCase, "camelCaseDeep"},
        {NamingConvention::SnakeCase, "snakeCaseDeep"},
        {NamingConvention::KebabCase, "kebabCaseDeep"},
        {NamingConvention::PascalCase, "pascalCaseDeep"},
    };
    for (const auto& [convention, transform] : kTransforms) {
        // Captured by name: clang 14 (the fuzz build's compiler) does not let a lambda capture a structured binding.
        if (std::all_of(names.begin(), names.end(), [&, wanted = convention](const std::string& name) {
                return toConvention(name, wanted) == name;
            })) {
            return std::string(transform);
        }
    }
    return std::nullopt;
}

void ActionFunc::collectData() {
    const openapi::Operation& operation = *info_.operation;
    name_ = state_.names.allocate(toVariableName(state_.namer(info_).value_or("")));
    summary_ = operation.summary().value_or("");

    NameAllocator members;
    std::vector<TypeWriter::Member> fields;
    // The body's member is "body" whatever the parameters are called.
    if (operation.requestBody() != nullptr) bodyVariable_ = members.allocate("body");
    collectParameters(members, fields);
    collectRequestBody(fields);
    collectResponse();
    if (!fields.empty()) {
        paramsType_ = state_.names.allocate(toTypeName(name_) + "Params");
        paramsRequired_ = std::any_of(fields.begin(), fields.end(), [](const auto& field) { return !field.optional; });
        state_.types.addInterface(paramsType_, fields);
    }
    authorised_ = isAuthorised();
}

void ActionFunc::collectParameters(NameAllocator& members, std::vector<TypeWriter::Member>& fields) {
    const std::vector<std::string> placeholders = pathPlaceholders(info_.path);
    for (const openapi::Parameter* parameter : info_.operation->effectiveParameters()) {
        using Location = openapi::Parameter::Location;
        const Location location = parameter->location();
        // Cookies are the runtime's business (setAuthCookie, the browser's own); a header parameter named Accept,
        // Content-Type or Authorization is ignored by definition; a path parameter whose name the path does not hold
        // has nowhere to go.
        if (location == Location::cookie) continue;
        if (location == Location::path &&
            std::find(placeholders.begin(), placeholders.end(), parameter->name()) == placeholders.end()) {
            continue;
        }
        if (location == Location::header) {
            const std::string lower = asciiToLower(parameter->name());
            if (lower == "accept" || lower == "content-type" || lower == "authorization") continue;
        }
        const Schema* schema = parameter->schemaOrContent().effectiveSchema();
        Argument argument{parameter->name(), members.allocate(toVariableName(parameter->name())),
                          TypeWriter::isStringType(schema), ""};
        fields.push_back(TypeWriter::Member{argument.variable, state_.types.typeOf(schema), !parameter->required(),
                                            parameter->description().value_or("")});
        if (location == Location::path) {
            pathArguments_.push_back(std::move(argument));
        } else if (location == Location::query) {
            if (const auto* query = openapi::nodeCast<openapi::QueryParameter>(parameter)) {
                argument.style = queryStyle(*query);
            }
            queryArguments_.push_back(std::move(argument));
        } else {
            headerArguments_.push_back(std::move(argument));
        }
    }
}

void ActionFunc::collectRequestBody(std::vector<TypeWriter::Member>& fields) {
    const openapi::RequestBody* body = info_.operation->requestBody();
    if (body == nullptr) return;
    const auto [key, media] = pickMediaType(body->content());
    const std::string typeName = toTypeName(name_) + "Request";
    if (media == nullptr) {
        // A body of no declared content: whatever fetch can send.
        body_ = BodyKind::other;
    } else if (isJsonMediaType(key)) {
        body_ = BodyKind::json;
        bodyTransform_ = bodyTransform(media->schemaNode());
    } else {
        body_ = BodyKind::other;
    }
    bodyMediaType_ = key;
    bodyRequired_ = body->required();
    requestType_ = state_.names.allocate(typeName);
    state_.types.addAlias(requestType_, body_ == BodyKind::json ? state_.types.typeOf(media->schemaNode()) : "BodyInit",
                          body->description().value_or(""));
    fields.push_back(TypeWriter::Member{bodyVariable_, requestType_, !bodyRequired_, ""});
}

void ActionFunc::collectResponse() {
    const openapi::Response* response = successResponse(*info_.operation);
    if (response == nullptr) return;
    const auto [key, media] = pickMediaType(response->content());
    if (media == nullptr || !isJsonMediaType(key)) return;
    responseType_ = state_.names.allocate(toTypeName(name_) + "Response");
    state_.types.addAlias(responseType_, state_.types.typeOf(media->schemaNode()), response->description());
}

bool ActionFunc::isAuthorised() const {
    const openapi::Operation& operation = *info_.operation;
    const auto* document = openapi::nodeCast<openapi::OpenAPI>(operation.root());
    if (operation.inheritsSecurity() && document == nullptr) return false;
    const auto& requirements = operation.inheritsSecurity() ? document->security() : operation.security();
    // A list that also holds the empty requirement makes authorisation optional; the helper then adds what init
    // configured, if anything.
    return std::any_of(requirements.begin(), requirements.end(),
                       [](const auto& requirement) { return !requirement->items().empty(); });
}

std::string ActionFunc::comment() const {
    std::string out = "/**\n";
    if (!isBlank(summary_)) {
        std::string summary = trimLines(summary_);
        replace(summary, "*/", "*\\/");
        std::size_t start = 0;
        while (start <= summary.size()) {
            const std::size_t end = std::min(summary.find('\n', start), summary.size());
            const std::string_view line = std::string_view(summary).substr(start, end - start);
            out += line.empty() ? " *\n" : fmt::format(" * {}\n", line);
            start = end + 1;
        }
    }
    if (!paramsType_.empty()) out += " * @param params\n";
    out += " * @param extraParams\n";
    out += " */\n";
    return out;
}

std::vector<std::string> ActionFunc::blocks() const {
    std::vector<std::string> blocks;
    std::vector<std::string> pathValues;
    for (const std::string& placeholder : pathPlaceholders(info_.path)) {
        auto it = std::find_if(pathArguments_.begin(), pathArguments_.end(),
                               [&](const Argument& argument) { return argument.name == placeholder; });
        if (it != pathArguments_.end()) {
            pathValues.push_back(fmt::format("{}: params.{}", toJsonLiteral(placeholder), it->variable));
        }
    }
    if (pathValues.empty()) {
        blocks.push_back(fmt::format("const url = makeUrl({});", toJsonLiteral(info_.path)));
    } else {
        std::string values;
        for (const auto& value : pathValues) values += (values.empty() ? "" : ", ") + value;
        blocks.push_back(fmt::format("const url = makeUrl({}, {{ {} }});", toJsonLiteral(info_.path), values));
    }
    for (const Argument& argument : queryArguments_) {
        const std::string style = argument.style.empty() ? "" : fmt::format(", '{}'", argument.style);
        blocks.push_back(fmt::format("addQueryParam(url, {}, params.{}{});", toJsonLiteral(argument.name),
                                     argument.variable, style));
    }
    if (body_ == BodyKind::json && bodyTransform_) {
        blocks.push_back(
            fmt::format("const body = {}(params.{} as unknown as JSONValue);", *bodyTransform_, bodyVariable_));
    } else if (body_ != BodyKind::none) {
        blocks.push_back(fmt::format("const body = params.{};", bodyVariable_));
    }
    blocks.push_back("const headerParameters: Record<string, string> = {};");
    for (const Argument& argument : headerArguments_) {
        const std::string header = toJavaScriptLiteral(argument.name);
        if (argument.sendsAsIs) {
            blocks.push_back(
                fmt::format("if (params.{0}) headerParameters[{1}] = params.{0};", argument.variable, header));
        } else {
            blocks.push_back(
                fmt::format("if (params.{0} !== undefined && params.{0} !== null) headerParameters[{1}] = "
                            "String(params.{0});",
                            argument.variable, header));
        }
    }

    std::string headers = "...COMMON_HEADERS, ";
    // multipart/form-data needs the boundary that fetch writes into the header itself.
    if (body_ != BodyKind::none && !bodyMediaType_.empty() &&
        !startsWith(asciiToLower(bodyMediaType_), "multipart/form-data")) {
        headers += fmt::format("\"Content-Type\": {}, ", toJsonLiteral(bodyMediaType_));
    }
    headers += "...headerParameters";
    std::string init = fmt::format("const init: RequestInit = {{\n  method: \"{}\",\n  headers: {{ {} }},\n",
                                   asciiToUpper(openapi::operationMethodToString(info_.method)), headers);
    if (body_ == BodyKind::json) {
        init += bodyRequired_ ? "  body: JSON.stringify(body),\n"
                              : "  body: body === undefined ? undefined : JSON.stringify(body),\n";
    } else if (body_ == BodyKind::other) {
        init += "  body,\n";
    }
    init += "};";
    blocks.push_back(std::move(init));
    if (authorised_) blocks.push_back("authorizeRequest(init);");
    blocks.push_back("applyExtraParams(url, init, extraParams);");
    blocks.push_back(responseType_.empty() ? "return callApi(url, init);"
                                           : fmt::format("return callJsonApi<{}>(url, init);", responseType_));
    return blocks;
}

void ActionFunc::generateCode() {
    code_morph::typescript::SourceFile& file = *state_.actionsFile;
    file.addImport(kUtilsModule, "COMMON_HEADERS");
    file.addImport(kUtilsModule, "makeUrl");
    file.addImport(kUtilsModule, responseType_.empty() ? "callApi" : "callJsonApi");
    if (!queryArguments_.empty()) file.addImport(kUtilsModule, "addQueryParam");
    if (authorised_) file.addImport(kUtilsModule, "authorizeRequest");
    file.addImport(kUtilsModule, "applyExtraParams");
    file.addTypeImport(kUtilsModule, "ExtraCallParams");
    // The request type reaches the action inside the params type.
    if (!paramsType_.empty()) file.addTypeImport(kTypesModule, paramsType_);
    if (!responseType_.empty()) file.addTypeImport(kTypesModule, responseType_);
    if (body_ == BodyKind::json && bodyTransform_) {
        file.addImport(kRuntimePackage, *bodyTransform_);
        file.addTypeImport(kRuntimePackage, "JSONValue");
    }

    code_morph::typescript::Function& function = *file.addFunction(name_);
    function.setExported(true);
    function.setAsync(true);
    function.setComment(comment());
    if (!paramsType_.empty()) {
        function.addParameter("params", paramsRequired_ ? paramsType_ : paramsType_ + " = {}");
    }
    function.addParameter("extraParams", "ExtraCallParams")->setOptional(true);
    function.setReturnType(fmt::format("Promise<{}>", responseType_.empty() ? "Response" : responseType_));
    for (auto& block : blocks()) function.addBlock(std::move(block));
}

void UtilsFile::generateCode() { state_.utilsFile->setText(std::string(utilsText())); }

void IndexFile::generateCode() {
    code_morph::typescript::SourceFile& file = *state_.indexFile;
    file.addStarExport("./actions");
    file.addStarExport("./types");
    for (std::string_view id : {"APIClientError", "init", "setAuthCookie", "type APIClientErrorKind",
                                "type ClientConfig", "type ExtraCallParams"}) {
        file.addExport(kUtilsModule, id);
    }
    file.addExport("./formatters", "formatDate");
}

Plugin::Plugin(Context& context) : openapi_generator::Plugin(context) {}
Plugin::~Plugin() = default;

void Plugin::configureSelf() {
    if (outputPath().empty()) {
        throw ConfigError("The TypeScript client needs an output directory (-o, --output)");
    }
}

void Plugin::configureParts() {
    state_ = std::make_unique<ClientState>(context().fs());
    ClientState& state = *state_;
    state.project.setPath(outputPath());
    for (std::string_view name : kReservedNames) state.names.reserve(name);
    state.namer.addSource(ActionNameSource::extension);
    state.namer.addSource(ActionNameSource::id);
    state.namer.addSource(ActionNameSource::url);

    state.typesFile = state.project.addModuleFile("types");
    state.formattersFile = state.project.addModuleFile("formatters");
    state.actionsFile = state.project.addModuleFile("actions");
    for (const OperationInfo& info : openapi::OperationIterator(openapi())) {
        if (extensions::disabled(info.operation) || extensions::disabled(info.pathItem)) continue;
        addPart(std::make_unique<ActionFunc>(state, info));
    }
    state.utilsFile = state.project.addModuleFile("utils");
    addPart(std::make_unique<UtilsFile>(state));
    state.indexFile = state.project.addModuleFile("index");
    addPart(std::make_unique<IndexFile>(state));
}

void Plugin::collectData() {
    state_->types.addComponents(*openapi());
    openapi_generator::Plugin::collectData();
}

void Plugin::generateCode() {
    openapi_generator::Plugin::generateCode();
    state_->typesFile->setText(state_->types.text());
    state_->formattersFile->setText(std::string(formattersText()));
    // A file without exports is no module, and `export *` of it would not compile.
    if (state_->actionsFile->functions().empty()) state_->actionsFile->setText("export {};\n");
    state_->project.save();
}

}  // namespace zephalon::openapi_generator::client_fetch
