#pragma once

// The state of one run of the Spring generator and the parts that write its files.

#include <memory>
#include <string>
#include <vector>

#include "model.h"
#include "zephalon/code_morph/java.h"
#include "zephalon/openapi_generator/action_naming.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator_server_spring/plugin.h"
#include "zephalon/templating/environment.h"

namespace zephalon::openapi_generator::server_spring {

struct GenerationState {
    GenerationState(Context& context, Configuration configuration);

    Configuration configuration;
    IssueLog log;
    NameRegistry names;
    TypeInfoMap types{log, names};
    code_morph::java::Project project;
    templating::Environment templates;
    ActionNamer namer;

    std::string packageName;
    std::string packageVersion;
    std::string webRootPackage;
    std::string domainRootPackage;
    std::string sharedPackage;
    std::string title;
    std::vector<std::unique_ptr<Group>> groups;

    // The package of a group's records.
    std::string dtoPackage(const Group& group) const { return group.domainPackage + ".dto"; }
};

std::unique_ptr<Part> makeAppClass(GenerationState& state);
std::unique_ptr<Part> makeController(GenerationState& state, Group& group);
std::unique_ptr<Part> makeServiceInterface(GenerationState& state, Group& group);
std::unique_ptr<Part> makeServiceClass(GenerationState& state, Group& group);
std::unique_ptr<Part> makeControllerTest(GenerationState& state, Group& group);
std::unique_ptr<Part> makeNamedTypes(GenerationState& state);
std::unique_ptr<Part> makePomFile(GenerationState& state);
std::unique_ptr<Part> makeReadme(GenerationState& state);

}  // namespace zephalon::openapi_generator::server_spring
