#pragma once

// Whether a schema accepts a value, judged on the model: types, enum and const, numeric bounds and multipleOf,
// lengths and patterns, items, properties, counts, and the composition keywords. Formats are not judged (they
// accept), nor are dynamic references; a value is accepted where the check cannot tell.
//
// The generator uses it where a choice can only be checked after the value exists: enum values that must also fit
// the schema's other keywords, a oneOf value that the other branches must reject, a value that `not` must reject.

#include "zephalon/jv/jv.h"
#include "zephalon/jv_generator/generator.h"

namespace zephalon::openapi {
class Schema;
}

namespace zephalon::jv_generator {

bool accepts(Generator::Impl& context, const openapi::Schema& schema, const jv::JV& value);

}  // namespace zephalon::jv_generator
