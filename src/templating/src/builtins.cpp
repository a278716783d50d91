#include "builtins.h"

#include <fmt/format.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zephalon::templating {

namespace {

constexpr std::array<BuiltinSignature, 16> kBuiltins = {{
    {"default", Builtin::Default, 2, 2},
    {"exists", Builtin::Exists, 1, 1},
    {"first", Builtin::First, 1, 1},
    {"isArray", Builtin::IsArray, 1, 1},
    {"isBoolean", Builtin::IsBoolean, 1, 1},
    {"isNumber", Builtin::IsNumber, 1, 1},
    {"isObject", Builtin::IsObject, 1, 1},
    {"isString", Builtin::IsString, 1, 1},
    {"join", Builtin::Join, 2, 2},
    {"last", Builtin::Last, 1, 1},
    {"length", Builtin::Length, 1, 1},
    {"lower", Builtin::Lower, 1, 1},
    {"range", Builtin::Range, 1, 1},
    {"replace", Builtin::Replace, 3, 3},
    {"round", Builtin::Round, 1, 2},
    {"upper", Builtin::Upper, 1, 1},
}};

std::string_view nameOf(Builtin builtin) {
    for (const BuiltinSignature& signature : kBuiltins) {
        if (signature.builtin == builtin) {
            return signature.name;
        }
    }
    return "?";
}

[[noreturn]] void wrongArgument(Builtin builtin, std::string_view expected, const nlohmann::json& got) {
    throw Fault{fmt::format("wrong argument to '{}'", nameOf(builtin)),
                fmt::format("expected {}, got {}", expected, describeType(got))};
}

const std::string& stringArgument(Builtin builtin, const nlohmann::json& value) {
    if (!value.is_string()) {
        wrongArgument(builtin, "a string", value);
    }
    return value.get_ref<const std::string&>();
}

}  // namespace

bool asInteger(const nlohmann::json& value, std::int64_t& out) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        out = value.get<std::int64_t>();
        return true;
    }
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return false;
        }
        out = static_cast<std::int64_t>(u);
        return true;
    }
    return false;
}

namespace {

std::size_t utf8Length(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) {
        // Continuation bytes do not start a character; a stray byte of invalid UTF-8 counts as one.
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

nlohmann::json changeCase(Builtin builtin, const nlohmann::json& value, bool upper) {
    std::string text = stringArgument(builtin, value);
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

void checkTextSize(Builtin builtin, std::size_t size, const Limits& limits) {
    if (size > limits.textBytes) {
        throw Fault{fmt::format("result of '{}' too large", nameOf(builtin)),
                    fmt::format("the limit is {} bytes", limits.textBytes)};
    }
}

nlohmann::json join(const nlohmann::json& list, const nlohmann::json& separator, const Limits& limits) {
    if (!list.is_array()) {
        wrongArgument(Builtin::Join, "a list", list);
    }
    const std::string& sep = stringArgument(Builtin::Join, separator);
    std::string text;
    std::array<char, 24> digits;
    std::string scratch;
    bool first = true;
    for (const nlohmann::json& element : list) {
        if (!first) {
            text += sep;
        }
        first = false;
        text += valueText(element, digits, scratch);
        checkTextSize(Builtin::Join, text.size(), limits);
    }
    return text;
}

nlohmann::json replace(const nlohmann::json& textArg, const nlohmann::json& fromArg, const nlohmann::json& toArg,
                       const Limits& limits) {
    const std::string& text = stringArgument(Builtin::Replace, textArg);
    const std::string& from = stringArgument(Builtin::Replace, fromArg);
    const std::string& to = stringArgument(Builtin::Replace, toArg);
    if (from.empty()) {
        return text;
    }
    std::string result;
    std::size_t pos = 0;
    for (std::size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, pos)) {
        result.append(text, pos, hit - pos);
        result += to;
        pos = hit + from.size();
        checkTextSize(Builtin::Replace, result.size(), limits);
    }
    result.append(text, pos, std::string::npos);
    checkTextSize(Builtin::Replace, result.size(), limits);
    return result;
}

nlohmann::json range(const nlohmann::json& count, const Limits& limits) {
    std::int64_t n = 0;
    if (!asInteger(count, n)) {
        wrongArgument(Builtin::Range, "an integer", count);
    }
    if (n > 0 && static_cast<std::uint64_t>(n) > limits.iterations) {
        throw Fault{fmt::format("range({}) too large", n), fmt::format("the limit is {}", limits.iterations)};
    }
    nlohmann::json list = nlohmann::json::array();
    list.get_ref<nlohmann::json::array_t&>().reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (std::int64_t i = 0; i < n; ++i) {
        list.push_back(i);
    }
    return list;
}

// Half away from zero; without digits the result is an integer when it fits 64 bits.
nlohmann::json round(const nlohmann::json& value, const nlohmann::json* digits) {
    if (!value.is_number()) {
        wrongArgument(Builtin::Round, "a number", value);
    }
    std::int64_t places = 0;
    if (digits != nullptr && !asInteger(*digits, places)) {
        wrongArgument(Builtin::Round, "an integer number of digits", *digits);
    }
    if (!value.is_number_float() && places >= 0) {
        return value;
    }
    double x = value.get<double>();
    if (digits == nullptr) {
        double r = std::round(x);
        if (r >= -9.2e18 && r <= 9.2e18) {
            return static_cast<std::int64_t>(r);
        }
        return r;
    }
    // Scaling by a power of ten that is exact (rather than by its inverse, which is not) keeps 1250 at -2 digits
    // from becoming 1299.9999999999998.
    double factor = std::pow(10.0, static_cast<double>(places < 0 ? -places : places));
    if (!std::isfinite(factor)) {
        return places > 0 ? x : 0.0;
    }
    double result = places >= 0 ? std::round(x * factor) / factor : std::round(x / factor) * factor;
    return std::isfinite(result) ? result : x;
}

}  // namespace

const BuiltinSignature* findBuiltin(std::string_view name) {
    for (const BuiltinSignature& signature : kBuiltins) {
        if (signature.name == name) {
            return &signature;
        }
    }
    return nullptr;
}

std::string_view describeType(const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::null:
            return "null";
        case nlohmann::json::value_t::boolean:
            return "a boolean";
        case nlohmann::json::value_t::string:
            return "a string";
        case nlohmann::json::value_t::number_integer:
        case nlohmann::json::value_t::number_unsigned:
        case nlohmann::json::value_t::number_float:
            return "a number";
        case nlohmann::json::value_t::array:
            return "a list";
        case nlohmann::json::value_t::object:
            return "an object";
        case nlohmann::json::value_t::binary:
        case nlohmann::json::value_t::discarded:
            break;
    }
    return "binary data";
}

std::string_view valueText(const nlohmann::json& value, std::array<char, 24>& digits, std::string& scratch) {
    char* first = digits.data();
    char* last = digits.data() + digits.size();
    switch (value.type()) {
        case nlohmann::json::value_t::string:
            return value.get_ref<const std::string&>();
        case nlohmann::json::value_t::number_integer:
            return {first, static_cast<std::size_t>(std::to_chars(first, last, value.get<std::int64_t>()).ptr - first)};
        case nlohmann::json::value_t::number_unsigned:
            return {first,
                    static_cast<std::size_t>(std::to_chars(first, last, value.get<std::uint64_t>()).ptr - first)};
        case nlohmann::json::value_t::boolean:
            return value.get<bool>() ? "true" : "false";
        case nlohmann::json::value_t::null:
            return "null";
        default:
            // Invalid UTF-8 in a string becomes U+FFFD rather than an exception halfway through the output.
            scratch = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            return scratch;
    }
}

bool isTrue(const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::null:
            return false;
        case nlohmann::json::value_t::boolean:
            return value.get<bool>();
        case nlohmann::json::value_t::string:
            return !value.get_ref<const std::string&>().empty();
        case nlohmann::json::value_t::number_integer:
            return value.get<std::int64_t>() != 0;
        case nlohmann::json::value_t::number_unsigned:
            return value.get<std::uint64_t>() != 0;
        case nlohmann::json::value_t::number_float:
            return value.get<double>() != 0.0;
        case nlohmann::json::value_t::array:
        case nlohmann::json::value_t::object:
            return !value.empty();
        case nlohmann::json::value_t::binary:
        case nlohmann::json::value_t::discarded:
            break;
    }
    return true;
}

nlohmann::json callBuiltin(Builtin builtin, const nlohmann::json* const* args, std::size_t argc, const Limits& limits) {
    const nlohmann::json& a = *args[0];
    switch (builtin) {
        case Builtin::Length:
            if (a.is_string()) {
                return utf8Length(a.get_ref<const std::string&>());
            }
            if (a.is_array() || a.is_object()) {
                return a.size();
            }
            wrongArgument(builtin, "a string, a list or an object", a);
        case Builtin::Upper:
            return changeCase(builtin, a, true);
        case Builtin::Lower:
            return changeCase(builtin, a, false);
        case Builtin::Join:
            return join(a, *args[1], limits);
        case Builtin::IsString:
            return a.is_string();
        case Builtin::IsNumber:
            return a.is_number();
        case Builtin::IsArray:
            return a.is_array();
        case Builtin::IsObject:
            return a.is_object();
        case Builtin::IsBoolean:
            return a.is_boolean();
        case Builtin::Range:
            return range(a, limits);
        case Builtin::Round:
            return round(a, argc > 1 ? args[1] : nullptr);
        case Builtin::Replace:
            return replace(a, *args[1], *args[2], limits);
        case Builtin::None:
        case Builtin::Default:
        case Builtin::Exists:
        case Builtin::First:
        case Builtin::Last:
            break;
    }
    throw Fault{fmt::format("'{}' cannot be called with plain values", nameOf(builtin)), {}};
}

}  // namespace zephalon::templating
