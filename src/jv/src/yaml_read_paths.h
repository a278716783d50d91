#pragma once

// The YAML reader's two ways through a text, each on its own, for the tests and fuzz targets that hold them against
// each other. Both keep every mapping's keys, so merge keys and repeated keys are handled as the reader handles them.

#include <memory>
#include <string_view>

#include "zephalon/jv/jv.h"

namespace zephalon::jv::detail {

// Null when the block scanner gives up on the text.
std::unique_ptr<JVDoc> readYamlByBlockScanner(std::string_view text);
std::unique_ptr<JVDoc> readYamlByLibyaml(std::string_view text);

}  // namespace zephalon::jv::detail
