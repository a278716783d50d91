#include <fmt/format.h>

#include <array>
#include <random>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kUuidPattern =
    "^[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}$";

std::unique_ptr<Regex> compile(std::string_view pattern) {
    const std::string_view text = pattern == "uuid" ? kUuidPattern : pattern;
    try {
        return std::make_unique<Regex>(text);
    } catch (const RegexError&) {
        throw RuleConfigurationError(fmt::format("Invalid pattern: {}", pattern));
    }
}

// A version-4 UUID from the operating system's random source, so that identifiers of different APIs never collide
// by a shared seed.
std::string randomUuid() {
    std::random_device source;
    std::array<unsigned char, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const auto word = source();
        for (std::size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3f) | 0x80);
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += fmt::format("{:02x}", bytes[i]);
    }
    return text;
}

}  // namespace

IDDefined::IDDefined(Severity severity) : Rule(Id, severity), pattern_(compile("uuid")) {}

IDDefined::~IDDefined() = default;

void IDDefined::setOptions(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options must not be null");
    if (!options.isObject()) throw RuleConfigurationError("Options must be an object");
    if (const jv::JV* attribute = options.property("attribute")) {
        const std::string_view name = attribute->isString() ? attribute->stringValue() : std::string_view();
        if (name.empty()) throw RuleConfigurationError("Attribute name must not be empty");
        if (!name.starts_with("x-")) throw RuleConfigurationError("Attribute name must start with 'x-'");
        attribute_ = name;
    }
    if (const jv::JV* pattern = options.property("pattern")) {
        const std::string_view text = pattern->isString() ? pattern->stringValue() : std::string_view();
        if (text.empty()) throw RuleConfigurationError("Pattern must not be empty");
        pattern_ = compile(text);
    }
}

void IDDefined::run(Context& context) {
    const openapi::Info* info = context.model()->info();
    if (info == nullptr || isDisabled(info)) return;
    const jv::JV* value = info->extension(attribute_);
    if (value == nullptr) {
        addIssue(context, fmt::format("API identifier ({}) is missing", attribute_), info);
    } else if (!value->isString() || !pattern_->search(value->stringValue())) {
        addIssue(context, fmt::format("API identifier ({}) has invalid format", attribute_), info);
    }
}

// Only a missing identifier is filled in: an existing one, even a malformed one, may already be known elsewhere.
// A pattern that no UUID satisfies leaves the document alone.
bool IDDefined::autoFix(Context& context) {
    openapi::Info* info = context.model()->info();
    if (info == nullptr || isDisabled(info) || info->extension(attribute_) != nullptr) return false;
    const std::string uuid = randomUuid();
    if (!pattern_->search(uuid)) return false;
    info->setExtension(attribute_, std::make_unique<jv::JV>(uuid));
    return true;
}

}  // namespace zephalon::openapi_lint
