#pragma once

#include <string_view>

#include "zephalon/jv_schema/schema.h"

namespace zephalon::jv::schema {

// loadBuiltInSchema, optionally without asking the registered loaders (which may be slow or remote) for a URL
// that is not built in.
JVSchema const* loadSchema(std::string_view url, bool askLoaders);

}  // namespace zephalon::jv::schema
