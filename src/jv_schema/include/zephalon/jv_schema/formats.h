#pragma once

// The string-format checks applied to JSON values: each takes a value, answers false for a value of the wrong
// kind (a number for "date", a string for "int32") and otherwise runs the check on its text or number.

#include "zephalon/jv/jv.h"

namespace zephalon::jv {

bool validateDate(JV const* value);
bool validateDateTime(JV const* value);
bool validateTime(JV const* value);
bool validateDuration(JV const* value);
bool validateEmail(JV const* value);
bool validateIdnEmail(JV const* value);
bool validateHostname(JV const* value);
bool validateIdnHostname(JV const* value);
bool validateIPv4(JV const* value);
bool validateIPv6(JV const* value);
bool validateUri(JV const* value);
bool validateUriReference(JV const* value);
bool validateIri(JV const* value);
bool validateIriReference(JV const* value);
bool validateUriTemplate(JV const* value);
bool validateUuid(JV const* value);
bool validateJsonPointer(JV const* value);
bool validateRelativeJsonPointer(JV const* value);
bool validateRegex(JV const* value);
// A number holding an integer within the signed 32-bit (64-bit) range.
bool validateInt32(JV const* value);
bool validateInt64(JV const* value);
// A number within the range of finite single-precision values.
bool validateFloat(JV const* value);
// Any number.
bool validateDouble(JV const* value);
// A non-empty string.
bool validatePassword(JV const* value);

}  // namespace zephalon::jv
