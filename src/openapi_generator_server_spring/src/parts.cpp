#include "parts.h"

#include <fmt/format.h>

#include <algorithm>
#include <set>

#include "spring_templates.h"
#include "zephalon/foundation/markup.h"
#include "zephalon/foundation/strings.h"

namespace zephalon::openapi_generator::server_spring {
namespace java = code_morph::java;
using nlohmann::json;

namespace {

constexpr std::string_view kServiceVar = "service";
constexpr std::string_view kSpringBootVersion = "3.3.5";

std::string render(const GenerationState& state, std::string_view name, const json& data) {
    const templating::Template* found = state.templates.find(name);
    return state.templates.render(*found, data);
}

void addImports(java::SourceFile& file, const std::vector<std::string>& imports) {
    for (const auto& qname : imports) file.addImport(qname);
}

json importList(const java::SourceFile& file) {
    json list = json::array();
    for (const auto& qname : file.imports()) list.push_back(qname);
    return list;
}

// The methods a part writes for a group: those that have a name and the first of those that share one; the rest is
// reported in the part's own words.
class GroupPart : public Part {
  public:
    GroupPart(GenerationState& state, Group& group, std::string_view what, std::string_view where,
              std::string_view prefix, std::string className)
        : state_(state), group_(group), what_(what), where_(where), prefix_(prefix), className_(std::move(className)) {}

    void collectData() override {
        methods_.clear();
        std::set<std::string> seen;
        for (const Method& method : group_.methods) {
            const std::string httpMethod = asciiToUpper(openapi::operationMethodToString(method.info.method));
            if (!method.name) {
                state_.log.add(IssueSeverity::Warning,
                               fmt::format("{} method for handling {} '{}' could not be named", what_, httpMethod,
                                           method.info.path),
                               method.info.operation);
                continue;
            }
            const std::string name = methodName(method);
            if (!seen.insert(name).second) {
                state_.log.add(IssueSeverity::Warning,
                               fmt::format("More than one operation maps to the '{}' method in the {} '{}'", name,
                                           where_, className_),
                               method.info.operation);
                continue;
            }
            methods_.push_back(&method);
        }
    }

  protected:
    std::string methodName(const Method& method) const { return fmt::format("{}{}", prefix_, *method.name); }

    static json args(const Method& method, bool annotated) {
        json list = json::array();
        for (const Arg& arg : method.args) {
            list.push_back(
                {{"annotation", annotated ? arg.annotation : ""}, {"type", arg.type.name}, {"name", arg.name}});
        }
        return list;
    }

    static void addTypeImports(java::SourceFile& file, const Method& method) {
        for (const Arg& arg : method.args) addImports(file, arg.type.imports);
        addImports(file, method.result.imports);
    }

    GenerationState& state_;
    Group& group_;
    std::vector<const Method*> methods_;

  private:
    std::string_view what_;
    std::string_view where_;
    std::string_view prefix_;
    std::string className_;
};

class Controller : public GroupPart {
  public:
    Controller(GenerationState& state, Group& group)
        : GroupPart(state, group, "Controller", "controller", "handle_", group.controllerName) {}

    void generateCode() override {
        java::SourceFile* file =
            state_.project.addSourceFileFromQName(fmt::format("{}.{}", group_.webPackage, group_.controllerName));
        file->addImport("org.springframework.web.bind.annotation.RestController");
        file->addImport("org.springframework.validation.annotation.Validated");
        file->addImport(fmt::format("{}.{}", group_.domainPackage, group_.serviceInterfaceName));
        json bodies = json::array();
        for (const Method* method : methods_) {
            file->addImports(method->mapping);
            addTypeImports(*file, *method);
            json argNames = json::array();
            for (const Arg& arg : method->args) {
                addImports(*file, arg.annotationImports);
                argNames.push_back(arg.name);
            }
            bodies.push_back(render(state_, "controller_method.jinja",
                                    {{"mapping", method->mapping.text},
                                     {"result", method->result.name},
                                     {"methodName", methodName(*method)},
                                     {"args", args(*method, true)},
                                     {"argNames", argNames},
                                     {"serviceNameVar", kServiceVar},
                                     {"serviceMethodName", *method->name}}));
        }
        file->setText(render(state_, "controller.jinja",
                             {{"packageName", file->packageName()},
                              {"imports", importList(*file)},
                              {"className", group_.controllerName},
                              {"serviceInterfaceName", group_.serviceInterfaceName},
                              {"serviceNameVar", kServiceVar},
                              {"methodBodies", bodies}}));
    }
};

json serviceMethods(const std::vector<const Method*>& methods, bool withValues, java::SourceFile& file) {
    json list = json::array();
    for (const Method* method : methods) {
        json entry{{"result", method->result.name}, {"name", *method->name}, {"args", json::array()}};
        for (const Arg& arg : method->args) {
            entry["args"].push_back({{"annotation", ""}, {"type", arg.type.name}, {"name", arg.name}});
        }
        if (withValues && method->result.name != "void") {
            std::vector<std::string> imports;
            entry["value"] = placeholderValue(method->result, "some_string", imports);
            addImports(file, imports);
        }
        list.push_back(std::move(entry));
    }
    return list;
}

class ServiceInterface : public GroupPart {
  public:
    ServiceInterface(GenerationState& state, Group& group)
        : GroupPart(state, group, "Service interface", "service interface", "", group.serviceInterfaceName) {}

    void generateCode() override {
        java::SourceFile* file = state_.project.addSourceFileFromQName(
            fmt::format("{}.{}", group_.domainPackage, group_.serviceInterfaceName));
        file->addImport("org.springframework.stereotype.Service");
        for (const Method* method : methods_) addTypeImports(*file, *method);
        json methods = serviceMethods(methods_, false, *file);
        file->setText(render(state_, "service_interface.jinja",
                             {{"packageName", file->packageName()},
                              {"imports", importList(*file)},
                              {"interfaceName", group_.serviceInterfaceName},
                              {"methods", methods}}));
    }
};

class ServiceClass : public GroupPart {
  public:
    ServiceClass(GenerationState& state, Group& group)
        : GroupPart(state, group, "Service class", "service class", "", group.serviceClassName) {}

    void generateCode() override {
        java::SourceFile* file =
            state_.project.addSourceFileFromQName(fmt::format("{}.{}", group_.domainPackage, group_.serviceClassName));
        file->addImport("org.springframework.stereotype.Service");
        for (const Method* method : methods_) addTypeImports(*file, *method);
        json methods = serviceMethods(methods_, true, *file);
        file->setText(render(state_, "service_class.jinja",
                             {{"packageName", file->packageName()},
                              {"imports", importList(*file)},
                              {"className", group_.serviceClassName},
                              {"interfaceName", group_.serviceInterfaceName},
                              {"methods", methods}}));
    }
};

class ControllerTest : public GroupPart {
  public:
    ControllerTest(GenerationState& state, Group& group)
        : GroupPart(state, group, "Controller test", "controller test", "test_", group.controllerTestName) {}

    void generateCode() override {
        java::SourceFile* file =
            state_.project.addTestFileFromQName(fmt::format("{}.{}", group_.webPackage, group_.controllerTestName));
        file->addImport("org.junit.jupiter.api.Test");
        file->addImport("org.springframework.boot.test.autoconfigure.web.servlet.WebMvcTest");
        file->addImport("org.springframework.boot.test.mock.mockito.MockBean");
        file->addImport(fmt::format("{}.{}", group_.domainPackage, group_.serviceInterfaceName));
        json methods = json::array();
        for (const Method* method : methods_) methods.push_back(methodName(*method));
        file->setText(render(state_, "controller_test.jinja",
                             {{"packageName", file->packageName()},
                              {"imports", importList(*file)},
                              {"className", group_.controllerTestName},
                              {"controllerName", group_.controllerName},
                              {"serviceInterfaceName", group_.serviceInterfaceName},
                              {"methodAnnotations", "@Test"},
                              {"methods", methods}}));
    }
};

class AppClass : public Part {
  public:
    explicit AppClass(GenerationState& state) : state_(state) {}

    void generateCode() override {
        java::SourceFile* file =
            state_.project.addSourceFileFromQName(fmt::format("{}.Application", state_.packageName));
        file->setText(
            render(state_, "application.jinja", {{"packageName", file->packageName()}, {"className", "Application"}}));
    }

  private:
    GenerationState& state_;
};

class NamedTypes : public Part {
  public:
    explicit NamedTypes(GenerationState& state) : state_(state) {}

    void generateCode() override {
        const auto nulls = recursiveFields(state_.types.namedTypes());
        for (const auto& type : state_.types.namedTypes()) {
            java::SourceFile* file = state_.project.addSourceFileFromQName(type->qualifiedName());
            std::vector<std::string> imports = type->imports;
            json fields = json::array();
            json defaults = json::array();
            for (std::size_t i = 0; i < type->fields.size(); ++i) {
                const Field& field = type->fields[i];
                fields.push_back({{"annotation", field.annotation}, {"type", field.type.name}, {"name", field.name}});
                // A record that holds itself, directly or through others, would construct itself without end.
                defaults.push_back(nulls.contains({type.get(), i}) ? std::string("null")
                                                                   : placeholderValue(field.type, "Hello", imports));
            }
            addImports(*file, imports);
            file->setText(render(state_, "named_type.jinja",
                                 {{"packageName", file->packageName()},
                                  {"imports", importList(*file)},
                                  {"className", type->className},
                                  {"fields", fields},
                                  {"defaults", defaults}}));
        }
    }

  private:
    GenerationState& state_;
};

// groupId and artifactId as a project generator would have asked for them: the package is the group followed by the
// artifact.
std::pair<std::string, std::string> coordinates(const std::string& packageName) {
    const auto dot = packageName.rfind('.');
    if (dot == std::string::npos) return {packageName, packageName};
    return {packageName.substr(0, dot), packageName.substr(dot + 1)};
}

class PomFile : public Part {
  public:
    explicit PomFile(GenerationState& state) : state_(state) {}

    void generateCode() override {
        const auto [groupId, artifactId] = coordinates(state_.packageName);
        state_.project.addSourceFile("pom.xml")->setText(render(state_, "pom.jinja",
                                                                {{"springBootVersion", kSpringBootVersion},
                                                                 {"groupId", groupId},
                                                                 {"artifactId", artifactId},
                                                                 {"version", toMarkupText(state_.packageVersion)},
                                                                 {"name", toMarkupText(state_.title)}}));
    }

  private:
    GenerationState& state_;
};

class Readme : public Part {
  public:
    explicit Readme(GenerationState& state) : state_(state) {}

    void generateCode() override {
        const auto [groupId, artifactId] = coordinates(state_.packageName);
        std::string packagePath = state_.packageName;
        std::replace(packagePath.begin(), packagePath.end(), '.', '/');
        const std::string applicationPath = fmt::format("src/main/java/{}/Application.java", packagePath);
        state_.project.addSourceFile("README.md")
            ->setText(render(state_, "readme.jinja",
                             {{"title", state_.title},
                              {"springBootVersion", kSpringBootVersion},
                              {"applicationPath", applicationPath},
                              {"serviceClasses", state_.configuration.serviceClasses},
                              {"artifactId", artifactId},
                              {"version", state_.packageVersion}}));
    }

  private:
    GenerationState& state_;
};

}  // namespace

GenerationState::GenerationState(Context& context, Configuration config)
    : configuration(std::move(config)), log(context), project(context.fs()) {
    for (const auto& text : embeddedTexts()) templates.addTemplate(std::string(text.name), text.text);
    namer.addSource(ActionNameSource::extension);
    namer.addSource(ActionNameSource::id);
    namer.addSource(ActionNameSource::url);
}

std::unique_ptr<Part> makeAppClass(GenerationState& state) { return std::make_unique<AppClass>(state); }
std::unique_ptr<Part> makeController(GenerationState& state, Group& group) {
    return std::make_unique<Controller>(state, group);
}
std::unique_ptr<Part> makeServiceInterface(GenerationState& state, Group& group) {
    return std::make_unique<ServiceInterface>(state, group);
}
std::unique_ptr<Part> makeServiceClass(GenerationState& state, Group& group) {
    return std::make_unique<ServiceClass>(state, group);
}
std::unique_ptr<Part> makeControllerTest(GenerationState& state, Group& group) {
    return std::make_unique<ControllerTest>(state, group);
}
std::unique_ptr<Part> makeNamedTypes(GenerationState& state) { return std::make_unique<NamedTypes>(state); }
std::unique_ptr<Part> makePomFile(GenerationState& state) { return std::make_unique<PomFile>(state); }
std::unique_ptr<Part> makeReadme(GenerationState& state) { return std::make_unique<Readme>(state); }

}  // namespace zephalon::openapi_generator::server_spring
