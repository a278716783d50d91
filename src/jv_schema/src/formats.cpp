#include "zephalon/jv_schema/formats.h"

#include <cstdint>
#include <limits>

#include "zephalon/foundation/validators.h"
#include "zephalon/jv_schema/draft4.h"

namespace zephalon::jv {

namespace {

template <bool (*Check)(std::string_view)>
bool checkString(JV const* value) {
    return value && value->isString() && Check(value->stringValue());
}

bool withinRange(JV const* value, number::Number const& low, number::Number const& high) {
    if (!value || !value->isNumber()) return false;
    auto const& n = value->numberValue();
    int lowCmp = n.compare(low);
    int highCmp = n.compare(high);
    // compare answers 2/-2 for NaN, which is outside every range.
    return (lowCmp == 0 || lowCmp == 1) && (highCmp == 0 || highCmp == -1);
}

}  // namespace

bool validateDate(JV const* v) { return checkString<isValidDate>(v); }
bool validateDateTime(JV const* v) {
    return v && v->isString() && isValidDateTime(v->stringValue(), DateTimeKind::DateTime);
}
bool validateTime(JV const* v) { return checkString<isValidTime>(v); }
bool validateDuration(JV const* v) { return checkString<isValidDuration>(v); }
bool validateEmail(JV const* v) { return checkString<isValidEmail>(v); }
bool validateIdnEmail(JV const* v) { return checkString<isValidIdnEmail>(v); }
bool validateHostname(JV const* v) { return checkString<isValidHostname>(v); }
bool validateIdnHostname(JV const* v) { return checkString<isValidIdnHostname>(v); }
bool validateIPv4(JV const* v) { return checkString<isValidIPv4>(v); }
bool validateIPv6(JV const* v) { return checkString<isValidIPv6>(v); }
bool validateUri(JV const* v) { return checkString<isValidUri>(v); }
bool validateUriReference(JV const* v) { return checkString<isValidUriReference>(v); }
bool validateIri(JV const* v) { return checkString<isValidIri>(v); }
bool validateIriReference(JV const* v) { return checkString<isValidIriReference>(v); }
bool validateUriTemplate(JV const* v) { return checkString<isValidUriTemplate>(v); }
bool validateUuid(JV const* v) { return checkString<isValidUuid>(v); }
bool validateJsonPointer(JV const* v) { return checkString<isValidJsonPointer>(v); }
bool validateRelativeJsonPointer(JV const* v) { return checkString<isValidRelativeJsonPointer>(v); }
bool validateRegex(JV const* v) { return checkString<isValidRegex>(v); }

bool validateInt32(JV const* v) {
    static number::Number const low(std::numeric_limits<std::int32_t>::min());
    static number::Number const high(std::numeric_limits<std::int32_t>::max());
    return v && v->isInteger() && withinRange(v, low, high);
}

bool validateInt64(JV const* v) {
    static number::Number const low(std::numeric_limits<std::int64_t>::min());
    static number::Number const high(std::numeric_limits<std::int64_t>::max());
    return v && v->isInteger() && withinRange(v, low, high);
}

bool validateFloat(JV const* v) {
    static number::Number const low(-3.4028234663852886e38);
    static number::Number const high(3.4028234663852886e38);
    return withinRange(v, low, high);
}

bool validateDouble(JV const* v) { return v && v->isNumber(); }

bool validatePassword(JV const* v) { return v && v->isString() && !v->stringValue().empty(); }

}  // namespace zephalon::jv

namespace zephalon::jv::schema::draft4 {

// The internationalised forms use their own checks: the plain URI, host-name and e-mail checks refuse the
// non-ASCII text these formats exist for.
std::array<FormatValidatorFunc, 24> const formatValidatorFuncs = {{
    {"date", JV::Type::String, validateDate},
    {"date-time", JV::Type::String, validateDateTime},
    {"time", JV::Type::String, validateTime},
    {"duration", JV::Type::String, validateDuration},
    {"email", JV::Type::String, validateEmail},
    {"idn-email", JV::Type::String, validateIdnEmail},
    {"hostname", JV::Type::String, validateHostname},
    {"idn-hostname", JV::Type::String, validateIdnHostname},
    {"ipv4", JV::Type::String, validateIPv4},
    {"ipv6", JV::Type::String, validateIPv6},
    {"uri", JV::Type::String, validateUri},
    {"uri-reference", JV::Type::String, validateUriReference},
    {"iri", JV::Type::String, validateIri},
    {"iri-reference", JV::Type::String, validateIriReference},
    {"uri-template", JV::Type::String, validateUriTemplate},
    {"uuid", JV::Type::String, validateUuid},
    {"json-pointer", JV::Type::String, validateJsonPointer},
    {"relative-json-pointer", JV::Type::String, validateRelativeJsonPointer},
    {"regex", JV::Type::String, validateRegex},
    {"int32", JV::Type::Number, validateInt32},
    {"int64", JV::Type::Number, validateInt64},
    {"float", JV::Type::Number, validateFloat},
    {"double", JV::Type::Number, validateDouble},
    {"password", JV::Type::String, validatePassword},
}};

FormatValidatorFunc const* findFormatValidator(std::string_view name) {
    for (auto const& entry : formatValidatorFuncs) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

}  // namespace zephalon::jv::schema::draft4
