#include "zephalon/openapi_generator_server_spring/plugin.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "parts.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_generator::server_spring {
namespace java = code_morph::java;

namespace {

constexpr std::string_view kSection = "/commands/generate/server_spring";

bool booleanValue(const jv::JV& value, std::string_view key) {
    if (!value.isBoolean()) throw ConfigError(fmt::format("{} must be a boolean", key));
    return value.booleanValue();
}

std::string packageValue(const jv::JV& value, std::string_view key) {
    if (!value.isString()) throw ConfigError(fmt::format("{} must be a string", key));
    std::string name(value.stringValue());
    java::validatePackageName(name);
    return name;
}

std::vector<GroupingCriterium> groupingValue(const jv::JV& value) {
    static constexpr std::string_view kShape = "controller_grouping must be a string or an array";
    OperationGrouper checked;
    if (value.isString()) {
        checked.addCriterium(groupCriteriumFromString(value.stringValue()));
    } else if (value.isArray()) {
        for (const jv::JV* item : value.items()) {
            if (!item->isString()) throw ConfigError(std::string(kShape));
            checked.addCriterium(groupCriteriumFromString(item->stringValue()));
        }
    } else {
        throw ConfigError(std::string(kShape));
    }
    return checked.criteria;
}

// The media type of the content whose type is JSON ("application/json", parameters and case aside).
const openapi::MediaType* jsonMediaType(const openapi::OwnedMap<openapi::MediaType>& content) {
    for (const auto& [key, mediaType] : content) {
        if (asciiToLower(trim(std::string_view(key).substr(0, key.find(';')))) == "application/json") {
            return mediaType.get();
        }
    }
    return nullptr;
}

// The response an operation answers with when it succeeds: the first of the 2xx codes, else the default one.
const openapi::Response* successResponse(const openapi::Operation& operation) {
    const openapi::Responses* responses = operation.responses();
    if (responses == nullptr) return nullptr;
    for (const auto& [code, node] : responses->responses()) {
        if (code.size() == 3 && code.front() == '2') return responses->response(code);
    }
    return responses->response("default");
}

bool hasLetterOrDigit(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

java::Annotation mapping(const openapi::OperationInfo& info) {
    java::Annotation annotation =
        java::spring::controllerMethodAnnotation(openapi::operationMethodToString(info.method));
    const std::string path = java::toStringLiteral(info.path);
    if (annotation.text.back() == ')') {
        annotation.text.insert(annotation.text.size() - 1, fmt::format(", path = {}", path));
    } else {
        annotation.text += fmt::format("({})", path);
    }
    return annotation;
}

java::spring::ArgumentKind argumentKind(openapi::Parameter::Location location) {
    switch (location) {
        case openapi::Parameter::Location::path:
            return java::spring::ArgumentKind::path;
        case openapi::Parameter::Location::query:
            return java::spring::ArgumentKind::query;
        case openapi::Parameter::Location::header:
            return java::spring::ArgumentKind::header;
        case openapi::Parameter::Location::cookie:
            break;
    }
    return java::spring::ArgumentKind::cookie;
}

Arg makeArg(std::vector<java::Annotation> annotations, TypeInfo type, std::string name) {
    Arg arg{"", {}, std::move(type), std::move(name)};
    for (auto& annotation : annotations) {
        if (!arg.annotation.empty()) arg.annotation += ' ';
        arg.annotation += annotation.text;
        arg.annotationImports.insert(arg.annotationImports.end(), annotation.imports.begin(), annotation.imports.end());
    }
    return arg;
}

void collectMethod(GenerationState& state, const Group& group, Method& method) {
    const openapi::Operation& operation = *method.info.operation;
    const std::string stem = java::toClassName(*method.name);
    const std::string dto = state.dtoPackage(group);
    std::set<std::string> names;
    for (const openapi::Parameter* parameter : operation.effectiveParameters()) {
        const openapi::Schema* schema = parameter->schemaOrContent().effectiveSchema();
        if (schema == nullptr) {
            state.log.add(IssueSeverity::Warning,
                          fmt::format("Parameter '{}' has no schema defined, skipping", parameter->name()), parameter);
            continue;
        }
        TypeInfo type =
            state.types.resolve(schema, NameHint{dto, stem + java::toClassName(parameter->name()), "ParamDTO"});
        std::vector<java::Annotation> annotations{java::spring::controllerMethodArg(
            parameter->name(), argumentKind(parameter->location()), parameter->required())};
        if (type.kind == ValueKind::Date || type.kind == ValueKind::DateTime) {
            // Spring reads dates of the URL in the locale's short style unless told that they are ISO 8601, as
            // OpenAPI's are.
            annotations.push_back(java::Annotation{type.kind == ValueKind::Date
                                                       ? "@DateTimeFormat(iso = DateTimeFormat.ISO.DATE)"
                                                       : "@DateTimeFormat(iso = DateTimeFormat.ISO.DATE_TIME)",
                                                   {"org.springframework.format.annotation.DateTimeFormat"}});
        }
        for (auto& annotation : state.types.validation(schema, type, parameter->required())) {
            annotations.push_back(std::move(annotation));
        }
        method.args.push_back(
            makeArg(std::move(annotations), std::move(type), uniqueIn(names, java::toVariableName(parameter->name()))));
    }
    if (const openapi::RequestBody* body = operation.requestBody()) {
        const openapi::MediaType* json = jsonMediaType(body->content());
        if (json == nullptr) {
            state.log.add(IssueSeverity::Warning, "Request body has no application/json media type, skipping", body);
        } else if (json->schema() == nullptr) {
            state.log.add(IssueSeverity::Warning, "Request body has no schema defined, skipping", json);
        } else {
            TypeInfo type = state.types.resolveBody(json->schema(), NameHint{dto, stem, "RequestDTO"});
            std::vector<java::Annotation> annotations{
                java::spring::controllerMethodArg("body", java::spring::ArgumentKind::body, body->required())};
            for (auto& annotation : state.types.validation(json->schema(), type, body->required())) {
                annotations.push_back(std::move(annotation));
            }
            method.args.push_back(makeArg(std::move(annotations), std::move(type), uniqueIn(names, "body")));
        }
    }
    if (const openapi::Response* response = successResponse(operation); response && !response->content().empty()) {
        const openapi::MediaType* json = jsonMediaType(response->content());
        if (json == nullptr) {
            state.log.add(IssueSeverity::Warning, "Response has no media type 'application/json', skipping", response);
        } else if (json->schema() == nullptr) {
            state.log.add(IssueSeverity::Warning, "Response has no schema defined, skipping", json);
        } else {
            method.result = state.types.resolveBody(json->schema(), NameHint{dto, stem, "ResponseDTO"});
        }
    }
}

}  // namespace

Configuration Configuration::fromJV(const jv::JV& section) {
    if (!section.isObject()) throw ConfigError(fmt::format("{} must be an object", kSection));
    Configuration config;
    for (const auto& [key, value] : section.properties()) {
        if (key == "package_name") {
            config.packageName = packageValue(*value, key);
        } else if (key == "web_package_name_suffix") {
            config.webPackageNameSuffix = packageValue(*value, key);
        } else if (key == "domain_package_name_suffix") {
            config.domainPackageNameSuffix = packageValue(*value, key);
        } else if (key == "skip_deprecated") {
            config.skipDeprecated = booleanValue(*value, key);
        } else if (key == "skip_disabled") {
            config.skipDisabled = booleanValue(*value, key);
        } else if (key == "service_classes") {
            config.serviceClasses = booleanValue(*value, key);
        } else if (key == "controller_tests") {
            config.controllerTests = booleanValue(*value, key);
        } else if (key == "controller_grouping") {
            config.controllerGrouping = groupingValue(*value);
        } else {
            throw ConfigError(fmt::format("Unknown key '{}' in {}", key, kSection));
        }
    }
    return config;
}

Plugin::Plugin(Context& context) : openapi_generator::Plugin(context) {}
Plugin::~Plugin() = default;

void Plugin::setOption(std::string_view name, std::string_view value) {
    if (name == "packageName") java::validatePackageName(value);
    openapi_generator::Plugin::setOption(name, value);
}

void Plugin::setConfig(const jv::JV* root) {
    const jv::JV* section = root != nullptr && root->isObject() ? root->find(jv::JVPointer(kSection)) : nullptr;
    configuration_ = section != nullptr ? Configuration::fromJV(*section) : Configuration();
}

void Plugin::setDefaultConfig() { configuration_ = Configuration(); }

const std::vector<Issue>& Plugin::issues() const {
    static const std::vector<Issue> kNone;
    return state_ ? state_->log.issues() : kNone;
}

void Plugin::configureSelf() {
    // Generated files land beside whatever is in the directory, so the directory is never guessed.
    if (outputPath().empty()) throw ConfigError("The Spring generator needs an output directory (--output)");
    state_ = std::make_unique<GenerationState>(context(), configuration_);
    GenerationState& state = *state_;
    state.project.setPath(outputPath());
    state.packageName = packageName().empty() ? configuration_.packageName : packageName();
    state.packageVersion = packageVersion().empty() ? std::string(kDefaultPackageVersion) : packageVersion();
    const auto withSuffix = [&](const std::optional<std::string>& suffix) {
        return suffix ? fmt::format("{}.{}", state.packageName, *suffix) : state.packageName;
    };
    state.webRootPackage = withSuffix(configuration_.webPackageNameSuffix);
    state.domainRootPackage = withSuffix(configuration_.domainPackageNameSuffix);
    state.sharedPackage = fmt::format("{}.shared", state.domainRootPackage);
    state.title = openapi()->info() != nullptr ? openapi()->info()->title() : std::string();
}

void Plugin::configureParts() {
    GenerationState& state = *state_;
    OperationGrouper grouper;
    grouper.skipDeprecated = configuration_.skipDeprecated;
    grouper.skipDisabled = configuration_.skipDisabled;
    grouper.criteria = configuration_.controllerGrouping;
    grouper.run(openapi());
    for (const auto& info : grouper.ungrouped) {
        state.log.add(IssueSeverity::Warning,
                      fmt::format("Operation {} '{}' could not be grouped",
                                  asciiToUpper(openapi::operationMethodToString(info.method)), info.path),
                      info.operation);
    }

    addPart(makeAppClass(state));
    // Group names that differ only in case or punctuation still get packages and classes of their own.
    std::set<std::string> idents;
    for (auto& [name, operations] : grouper.groups) {
        auto group = std::make_unique<Group>();
        const std::string base = java::toVariableName(name);
        std::string ident = base;
        for (int number = 2; !idents.insert(asciiToLower(ident)).second; ++number) {
            ident = fmt::format("{}{}", base, number);
        }
        std::string pascal = ident;
        pascal.front() = asciiToUpper(pascal.front());
        group->name = name;
        group->webPackage = fmt::format("{}.{}", state.webRootPackage, ident);
        group->domainPackage = fmt::format("{}.{}", state.domainRootPackage, ident);
        group->controllerName = state.names.claim(pascal + "Controller");
        group->controllerTestName = state.names.claim(pascal + "ControllerTest");
        group->serviceInterfaceName = state.names.claim(pascal + "Service");
        group->serviceClassName = state.names.claim(pascal + "ServiceImpl");
        group->operations = std::move(operations);
        Group& added = *group;
        state.groups.push_back(std::move(group));
        addPart(makeController(state, added));
        addPart(makeServiceInterface(state, added));
        if (configuration_.serviceClasses) addPart(makeServiceClass(state, added));
        if (configuration_.controllerTests) addPart(makeControllerTest(state, added));
    }
    addPart(makeNamedTypes(state));
    addPart(makePomFile(state));
    addPart(makeReadme(state));
}

void Plugin::collectData() {
    GenerationState& state = *state_;
    // Component schemas first, so that they are typed as the shared records they are wherever they are used.
    if (const openapi::Components* components = openapi()->components()) {
        std::vector<std::pair<std::string, const openapi::Schema*>> schemas;
        for (const auto& [name, node] : components->schemas()) {
            if (const openapi::Schema* schema = components->schema(name)) schemas.emplace_back(name, schema);
        }
        state.types.resolveComponents(schemas, state.sharedPackage + ".dto");
    }
    for (auto& group : state.groups) {
        for (const auto& info : group->operations) {
            Method method;
            method.info = info;
            method.mapping = mapping(info);
            if (auto action = state.namer(info); action && hasLetterOrDigit(*action)) {
                method.name = memberName(*action);
                collectMethod(state, *group, method);
            }
            group->methods.push_back(std::move(method));
        }
    }
    openapi_generator::Plugin::collectData();
    state.types.reportUnresolved();
}

void Plugin::generateCode() {
    openapi_generator::Plugin::generateCode();
    state_->project.save();
    print(state_->log.issues());
}

}  // namespace zephalon::openapi_generator::server_spring
