#include "version.h"

#include <fmt/format.h>

#include <limits>
#include <optional>
#include <stdexcept>

namespace zephalon::openapi_diff {
namespace {

[[noreturn]] void invalidVersion() { throw std::invalid_argument("semver::version::from_string invalid version."); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentifierChar(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-'; }
bool isNumeric(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c)) return false;
    }
    return true;
}

// A number without leading zeros that fits in 64 bits.
std::optional<std::uint64_t> parseNumber(std::string_view text) {
    if (text.empty() || !isNumeric(text) || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Dot-separated, non-empty identifiers of [0-9A-Za-z-]; pre-release identifiers that are numeric have no leading
// zeros, build identifiers may.
bool validIdentifiers(std::string_view text, bool numericWithoutLeadingZeros) {
    while (true) {
        std::size_t dot = text.find('.');
        std::string_view identifier = text.substr(0, dot);
        if (identifier.empty()) return false;
        for (char c : identifier) {
            if (!isIdentifierChar(c)) return false;
        }
        if (numericWithoutLeadingZeros && isNumeric(identifier) && identifier.size() > 1 && identifier[0] == '0') {
            return false;
        }
        if (dot == std::string_view::npos) return true;
        text.remove_prefix(dot + 1);
    }
}

// Numeric identifiers rank below alphanumeric ones and compare by value (without leading zeros, a longer digit
// string is the larger number, whatever its length); others compare as ASCII text.
std::strong_ordering compareIdentifier(std::string_view a, std::string_view b) {
    bool numericA = isNumeric(a);
    bool numericB = isNumeric(b);
    if (numericA && numericB) {
        if (a.size() != b.size()) return a.size() <=> b.size();
        return a.compare(b) <=> 0;
    }
    if (numericA != numericB) return numericA ? std::strong_ordering::less : std::strong_ordering::greater;
    return a.compare(b) <=> 0;
}

std::strong_ordering comparePreRelease(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) {
        // A pre-release comes before the release itself.
        if (a.empty() && b.empty()) return std::strong_ordering::equal;
        return a.empty() ? std::strong_ordering::greater : std::strong_ordering::less;
    }
    while (true) {
        std::size_t dotA = a.find('.');
        std::size_t dotB = b.find('.');
        if (auto order = compareIdentifier(a.substr(0, dotA), b.substr(0, dotB)); order != 0) return order;
        if (dotA == std::string_view::npos || dotB == std::string_view::npos) {
            // Equal so far: the one with more identifiers is the larger.
            if (dotA == dotB) return std::strong_ordering::equal;
            return dotA == std::string_view::npos ? std::strong_ordering::less : std::strong_ordering::greater;
        }
        a.remove_prefix(dotA + 1);
        b.remove_prefix(dotB + 1);
    }
}

std::uint64_t raised(std::uint64_t number, const SemanticVersion& version) {
    if (number == std::numeric_limits<std::uint64_t>::max()) {
        throw std::invalid_argument(fmt::format("The version {} cannot be raised any further.", version.toString()));
    }
    return number + 1;
}

}  // namespace

SemanticVersion SemanticVersion::parse(std::string_view text) {
    SemanticVersion version;
    if (std::size_t plus = text.find('+'); plus != std::string_view::npos) {
        version.build = text.substr(plus + 1);
        if (!validIdentifiers(version.build, false)) invalidVersion();
        text = text.substr(0, plus);
    }
    if (std::size_t dash = text.find('-'); dash != std::string_view::npos) {
        version.preRelease = text.substr(dash + 1);
        if (!validIdentifiers(version.preRelease, true)) invalidVersion();
        text = text.substr(0, dash);
    }
    std::size_t first = text.find('.');
    std::size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    if (second == std::string_view::npos) invalidVersion();
    auto major = parseNumber(text.substr(0, first));
    auto minor = parseNumber(text.substr(first + 1, second - first - 1));
    auto patch = parseNumber(text.substr(second + 1));
    if (!major || !minor || !patch) invalidVersion();
    version.major = *major;
    version.minor = *minor;
    version.patch = *patch;
    return version;
}

std::string SemanticVersion::toString() const {
    std::string text = fmt::format("{}.{}.{}", major, minor, patch);
    if (!preRelease.empty()) text += fmt::format("-{}", preRelease);
    if (!build.empty()) text += fmt::format("+{}", build);
    return text;
}

std::strong_ordering operator<=>(const SemanticVersion& a, const SemanticVersion& b) {
    if (auto order = a.major <=> b.major; order != 0) return order;
    if (auto order = a.minor <=> b.minor; order != 0) return order;
    if (auto order = a.patch <=> b.patch; order != 0) return order;
    return comparePreRelease(a.preRelease, b.preRelease);
}

VersionChange versionChangeFor(ChangeSeverity severity) {
    switch (severity) {
        case ChangeSeverity::breaking:
            return VersionChange::major;
        case ChangeSeverity::nonBreaking:
            return VersionChange::minor;
        case ChangeSeverity::nonFunctional:
            return VersionChange::patch;
        default:
            return VersionChange::none;
    }
}

SemanticVersion bumpVersion(const SemanticVersion& version, VersionChange change) {
    SemanticVersion bumped = version;
    switch (change) {
        case VersionChange::major:
            bumped.major = raised(version.major, version);
            bumped.minor = 0;
            bumped.patch = 0;
            break;
        case VersionChange::minor:
            bumped.minor = raised(version.minor, version);
            bumped.patch = 0;
            break;
        case VersionChange::patch:
            bumped.patch = raised(version.patch, version);
            break;
        case VersionChange::none:
            break;
    }
    return bumped;
}

std::string bumpVersionIfNeeded(std::string_view source, VersionChange change, std::string_view dest) {
    SemanticVersion bumped = bumpVersion(SemanticVersion::parse(source), change);
    SemanticVersion current = SemanticVersion::parse(dest);
    if (bumped <= current) return std::string(dest);
    return bumped.toString();
}

}  // namespace zephalon::openapi_diff
