#pragma once

// The state of one run of the Express generator, and its fixed texts.

#include <string>
#include <string_view>
#include <vector>

#include "zephalon/code_morph/typescript.h"
#include "zephalon/openapi_generator_server_express/routes.h"

namespace zephalon::openapi_generator::server_express {

std::string_view routingText();
std::string_view problemText();
std::string_view appText();
std::string_view serverText();
std::string_view mainText();
std::string_view tsConfigText();

struct ExpressState {
    explicit ExpressState(FileSystem& fs) : project(fs), types(names) {}

    code_morph::typescript::Project project;
    NameAllocator names;
    TypeWriter types;
    ServerModel model;
    std::string packageName;
    std::string packageVersion;
};

}  // namespace zephalon::openapi_generator::server_express
