#pragma once

// The four rule sets of the catalogue.

#include <string_view>

#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi_lint {

// Every rule of the catalogue except the JSON:API ones.
class AllRuleset : public Ruleset {
  public:
    static constexpr std::string_view Id = "all";
    AllRuleset();
};

// What every document should pass; the default without a configuration.
class RecommendedRuleset : public Ruleset {
  public:
    static constexpr std::string_view Id = "recommended";
    RecommendedRuleset();
};

// The recommended rules and more, mostly as errors.
class StrictRuleset : public Ruleset {
  public:
    static constexpr std::string_view Id = "strict";
    StrictRuleset();
};

// The rules for APIs that follow JSON:API.
class JsonApiRuleset : public Ruleset {
  public:
    static constexpr std::string_view Id = "json-api";
    JsonApiRuleset();
};

}  // namespace zephalon::openapi_lint
