#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>

#include "node_diff_config.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi_diff/config_key.h"

namespace zephalon::openapi_diff {

// The classification rules of one run: a rule per configurable property, rules for the "x-" extensions of each
// kind of node, and default rules for extensions. Everything is "none" until configured.
class Configuration {
  public:
    // Reads a rule configuration on top of the current rules: first every rule set named in "extends", in order,
    // then the "rules" object. Only what the configuration names changes, so a later configuration overrides an
    // earlier one rule by rule (and, inside a rule, option by option). Failures raise jv::JVError carrying the
    // offending value.
    void fromJV(const jv::JV& config);
    // Back to "none" everywhere.
    void clear();

    NodeDiffConfig forNodeProperty(ConfigKey key) const { return properties_[static_cast<std::size_t>(key)]; }
    void setForNodeProperty(ConfigKey key, NodeDiffConfig config) {
        properties_[static_cast<std::size_t>(key)] = config;
    }

    // The first found of: the node kind's rule for the name, the node kind's rule for "*", the default rule for the
    // name, the default rule for "*"; else "none". Parameter, security scheme and flow kinds share their base
    // kind's rules.
    NodeDiffConfig forNodeExtension(openapi::NodeType type, std::string_view name) const;
    void setForNodeExtension(openapi::NodeType type, std::string_view name, NodeDiffConfig config);
    void setForDefaultExtension(std::string_view name, NodeDiffConfig config);

  private:
    using ExtensionRules = std::map<std::string, NodeDiffConfig, std::less<>>;

    void readRules(const jv::JV& rules);
    void readSection(const openapi::NodeType type, std::string_view section, const jv::JV& value);

    std::array<NodeDiffConfig, kConfigKeyCount> properties_{};
    std::map<openapi::NodeType, ExtensionRules> extensions_;
    ExtensionRules defaultExtensions_;
};

// The built-in rule set "recommended".
const jv::JVDoc& recommendedConfig();

}  // namespace zephalon::openapi_diff
