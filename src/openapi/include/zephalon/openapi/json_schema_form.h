#pragma once

// OpenAPI 3.0 schemas as the plain JSON Schema (draft 4) a validator understands.

#include "zephalon/jv/jv.h"

namespace zephalon::openapi {

// Rewrites, in place, every object of the tree that carries the 3.0 keyword "nullable": `nullable: true` lets null
// through whatever the rest of the schema says (a type, an enum, the schemas it composes or refers to), and
// "nullable" itself is removed. The rewrite never moves a member to another place, so JSON Pointers into the tree
// keep naming the same schemas; the only exception is an object with "$ref", whose siblings 3.0 ignores and which
// becomes `{"anyOf": [{"$ref": ...}, {"type": "null"}]}`. Objects that are not schemas are left alone unless they
// happen to carry a boolean "nullable".
void nullableToJsonSchema(jv::JV& tree);

}  // namespace zephalon::openapi
