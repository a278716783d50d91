#include <fmt/format.h>

#include <limits>
#include <stdexcept>

#include "zephalon/jv_generator/generator.h"

namespace zephalon::jv_generator {
namespace {

template <class T>
void checkOrder(const T& min, const T& max) {
    if (max < min) throw std::invalid_argument("Min must be less than or equal to max");
}

std::optional<number::Number> numberMember(const jv::JV& object, std::string_view key) {
    const jv::JV* member = object.optionalNumericProperty(key);
    if (member == nullptr) return std::nullopt;
    return member->numberValue();
}

std::optional<std::uint64_t> countMember(const jv::JV& object, std::string_view key) {
    const jv::JV* member = object.optionalIntegerProperty(key);
    if (member == nullptr) return std::nullopt;
    const number::Number& n = member->numberValue();
    if (n < number::Number(0) || n > number::Number(std::numeric_limits<std::uint64_t>::max())) {
        throw jv::JVError(fmt::format("A non-negative integer value is expected for '{}'.", key), &object);
    }
    return n.toULong();
}

}  // namespace

void Configuration::setMinimum(const number::Number& value) { setNumericRange(value, maximum_); }
void Configuration::setMaximum(const number::Number& value) { setNumericRange(minimum_, value); }
void Configuration::setNumericRange(const number::Number& min, const number::Number& max) {
    // NaN compares with nothing, so it is refused as out of order too.
    if (!(min <= max)) throw std::invalid_argument("Min must be less than or equal to max");
    minimum_ = min;
    maximum_ = max;
}

void Configuration::setMinLength(std::uint64_t value) { setLengthRange(value, maxLength_); }
void Configuration::setMaxLength(std::uint64_t value) { setLengthRange(minLength_, value); }
void Configuration::setLengthRange(std::uint64_t min, std::uint64_t max) {
    checkOrder(min, max);
    minLength_ = min;
    maxLength_ = max;
}

void Configuration::setMinItems(std::uint64_t value) { setItemCountRange(value, maxItems_); }
void Configuration::setMaxItems(std::uint64_t value) { setItemCountRange(minItems_, value); }
void Configuration::setItemCountRange(std::uint64_t min, std::uint64_t max) {
    checkOrder(min, max);
    minItems_ = min;
    maxItems_ = max;
}

void Configuration::setMinProperties(std::uint64_t value) { setPropertyCountRange(value, maxProperties_); }
void Configuration::setMaxProperties(std::uint64_t value) { setPropertyCountRange(minProperties_, value); }
void Configuration::setPropertyCountRange(std::uint64_t min, std::uint64_t max) {
    checkOrder(min, max);
    minProperties_ = min;
    maxProperties_ = max;
}

Configuration Configuration::fromJV(const jv::JV& value) {
    if (!value.isObject()) throw jv::JVError("The sample data configuration must be an object.", &value);
    Configuration config;
    auto minimum = numberMember(value, "minimum");
    auto maximum = numberMember(value, "maximum");
    config.setNumericRange(minimum.value_or(config.minimum_), maximum.value_or(config.maximum_));
    auto minLength = countMember(value, "minLength");
    auto maxLength = countMember(value, "maxLength");
    config.setLengthRange(minLength.value_or(config.minLength_), maxLength.value_or(config.maxLength_));
    auto minItems = countMember(value, "minItems");
    auto maxItems = countMember(value, "maxItems");
    config.setItemCountRange(minItems.value_or(config.minItems_), maxItems.value_or(config.maxItems_));
    auto minProperties = countMember(value, "minProperties");
    auto maxProperties = countMember(value, "maxProperties");
    config.setPropertyCountRange(minProperties.value_or(config.minProperties_),
                                 maxProperties.value_or(config.maxProperties_));
    return config;
}

}  // namespace zephalon::jv_generator
