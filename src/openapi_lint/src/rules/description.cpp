#include <charconv>

#include "rules.h"
#include "zephalon/foundation/strings.h"

namespace zephalon::openapi_lint {

namespace {

constexpr const char* kNotPositive = "Minimal description length must be a positive number";

std::uint64_t positive(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0) {
        throw RuleConfigurationError(kNotPositive);
    }
    return value;
}

std::uint64_t positive(const jv::JV& value) {
    if (!value.isNumber()) throw RuleConfigurationError(kNotPositive);
    const number::Number& number = value.numberValue();
    if (!number.isInteger() || number <= number::Number(0) || number > number::Number(UINT64_MAX)) {
        throw RuleConfigurationError(kNotPositive);
    }
    return number.toULong();
}

}  // namespace

bool isValidDescription(const std::optional<std::string>& description, std::uint64_t minLength) {
    if (!description) return false;
    // A character takes one to four bytes (a stray byte counts as one): most texts are told by their size alone.
    if (description->size() < minLength) return false;
    if (description->size() / 4 >= minLength) return true;
    return utf8Length(*description) >= minLength;
}

void DescriptionRule::setOptions(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options must not be null");
    if (options.isString()) {
        minLength_ = positive(options.stringValue());
    } else if (options.isObject()) {
        if (const jv::JV* minLength = options.property("minLength")) minLength_ = positive(*minLength);
    } else {
        throw RuleConfigurationError("Options must be a string or an object");
    }
}

}  // namespace zephalon::openapi_lint
