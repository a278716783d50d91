#pragma once

// The Spring server generator: the Maven project of a Spring Boot server skeleton for a document.
//
//     com/zephalon/Application.java                     the application class (in the package name)
//     <web>/<group>/<Group>Controller.java              one REST controller per operation group
//     <domain>/<group>/<Group>Service.java              the interface the controller calls
//     <domain>/<group>/<Group>ServiceImpl.java          with stub results       (service_classes)
//     <web>/<group>/<Group>ControllerTest.java          JUnit 5 skeletons       (controller_tests)
//     <domain>/<group>/dto/*.java, <domain>/shared/dto  records of the object schemas
//     pom.xml, README.md
//
// <web> and <domain> are the package name with the optional suffixes. What cannot be generated as described
// (schemas of several types, bodies without JSON, operations whose method names collide) is reported as issues,
// printed after the project is written; the generated sources always compile.
//
// Configuration ("/commands/generate/server_spring"): package_name, web_package_name_suffix,
// domain_package_name_suffix, skip_deprecated, skip_disabled, service_classes, controller_tests, controller_grouping
// (a criterion or a list of them: "extension", "tag", "url"). The options "packageName" and "packageVersion" (the
// command's --package-name and --package-version) take precedence over the file.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator/issue.h"
#include "zephalon/openapi_generator/operation_grouper.h"

namespace zephalon::openapi_generator::server_spring {

struct Configuration {
    std::string packageName = "com.zephalon";
    std::optional<std::string> webPackageNameSuffix;
    std::optional<std::string> domainPackageNameSuffix;
    bool skipDeprecated = false;
    bool skipDisabled = false;
    bool serviceClasses = false;
    bool controllerTests = false;
    // The operation's own or its path item's controller name, else its first tag, else its path.
    std::vector<GroupingCriterium> controllerGrouping{GroupingCriterium::extension, GroupingCriterium::tag,
                                                      GroupingCriterium::url};

    // The section of the configuration file. Raises ConfigError for a key it does not know, a value of the wrong
    // kind ("service_classes must be a boolean", "controller_grouping must be a string or an array"), a criterion
    // given twice ("Element already exists") and an invalid package name ("Invalid package name: '<name>'").
    static Configuration fromJV(const jv::JV& section);
};

struct GenerationState;

class Plugin : public openapi_generator::Plugin {
  public:
    static constexpr std::string_view kDefaultPackageVersion = "0.1.0";

    explicit Plugin(Context& context);
    ~Plugin() override;

    // "packageName" must be a valid Java package name ("Invalid package name: '<name>'").
    void setOption(std::string_view name, std::string_view value) override;
    void setConfig(const jv::JV* root) override;
    void setDefaultConfig() override;
    void configureSelf() override;
    void configureParts() override;
    // Types the component schemas, then each operation of each group.
    void collectData() override;
    // Renders every part, writes the project, then prints the issues.
    void generateCode() override;

    const Configuration& configuration() const { return configuration_; }
    // The issues of the last run, in the order found.
    const std::vector<Issue>& issues() const;

  private:
    Configuration configuration_;
    std::unique_ptr<GenerationState> state_;
};

}  // namespace zephalon::openapi_generator::server_spring
