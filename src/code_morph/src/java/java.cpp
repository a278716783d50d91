#include "zephalon/code_morph/java.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "identifiers.h"
#include "zephalon/foundation/strings.h"

namespace zephalon::code_morph::java {
namespace {

// Reserved words with the names a variable gets instead; every other reserved word gets "1" appended.
constexpr std::pair<std::string_view, std::string_view> kRenamed[] = {
    {"abstract", "isAbstract"}, {"boolean", "isBoolean"},    {"byte", "isByte"},
    {"char", "isChar"},         {"non-sealed", "nonSealed"},
};

// Keywords, literals and the contextual words that generated code must not use as variable names. "do", "if",
// "goto" and "const" are keywords as much as the rest.
constexpr std::string_view kSuffixed[] = {
    "assert", "break",     "case",   "catch",    "class",    "continue", "default",      "double",    "else",
    "enum",   "extends",   "final",  "finally",  "float",    "for",      "implements",   "import",    "instanceof",
    "int",    "interface", "long",   "native",   "new",      "package",  "private",      "protected", "public",
    "return", "short",     "static", "strictfp", "super",    "switch",   "synchronized", "this",      "throw",
    "throws", "transient", "try",    "void",     "volatile", "while",    "true",         "false",     "null",
    "yield",  "record",    "sealed", "permits",  "do",       "if",       "goto",         "const",
};

bool isSuffixed(std::string_view word) {
    return std::find(std::begin(kSuffixed), std::end(kSuffixed), word) != std::end(kSuffixed);
}

const std::string_view* renamed(std::string_view word) {
    for (const auto& [reserved, replacement] : kRenamed) {
        if (reserved == word) return &replacement;
    }
    return nullptr;
}

bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isRest(char c) { return isLower(c) || isUpper(c) || (c >= '0' && c <= '9') || c == '_'; }

bool isValidName(std::string_view name, bool (*first)(char)) {
    return !name.empty() && first(name.front()) && std::all_of(name.begin() + 1, name.end(), isRest);
}

constexpr std::string_view kSpringPackage = "org.springframework.web.bind.annotation.";

Annotation springAnnotation(std::string_view name, std::string arguments = {}) {
    return Annotation{fmt::format("@{}{}", name, arguments), {fmt::format("{}{}", kSpringPackage, name)}};
}

}  // namespace

bool isValidVariableName(std::string_view name) {
    return isIdentifier(name) && renamed(name) == nullptr && !isSuffixed(name);
}

std::string toVariableName(std::string_view name) {
    std::string result = identifierFrom(name, NamingConvention::CamelCase, "unnamed");
    if (const auto* replacement = renamed(result)) return std::string(*replacement);
    if (isSuffixed(result)) result += '1';
    return result;
}

std::string toClassName(std::string_view name) { return identifierFrom(name, NamingConvention::PascalCase, "Unnamed"); }

std::string packageNameFromQName(std::string_view qname) {
    const auto dot = qname.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(qname.substr(0, dot));
}

std::string classNameFromQName(std::string_view qname) {
    const auto dot = qname.rfind('.');
    return std::string(dot == std::string_view::npos ? qname : qname.substr(dot + 1));
}

bool isValidPackageName(std::string_view name) {
    const auto segmentStart = [](char c) { return isLower(c) || c == '_'; };
    std::size_t start = 0;
    while (true) {
        const auto dot = name.find('.', start);
        const auto segment = name.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (!isValidName(segment, segmentStart)) return false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

bool isValidClassName(std::string_view name) {
    return isValidName(name, [](char c) { return isUpper(c) || c == '_'; });
}

void validatePackageName(std::string_view name) {
    if (!isValidPackageName(name)) throw std::runtime_error(fmt::format("Invalid package name: '{}'", name));
}

void validateClassName(std::string_view name) {
    if (!isValidClassName(name)) throw std::runtime_error(fmt::format("Invalid class name: '{}'", name));
}

std::string toStringLiteral(std::string_view text) {
    // The JSON escapes are all Java escapes too. Control characters come out as \u00XX, which the compiler turns back
    // into the character before reading the literal; line breaks, the only ones a literal may not hold, have their
    // own escapes. A backslash of the text is doubled, so it never starts a \u escape.
    return toJsonLiteral(text);
}

namespace jackson {

Annotation propertyAnnotation(std::string_view name, bool required) {
    return Annotation{
        fmt::format("@JsonProperty(value={}{})", toStringLiteral(name), required ? ", required=true" : ""),
        {"com.fasterxml.jackson.annotation.JsonProperty"}};
}

}  // namespace jackson

namespace jakarta::constraints {

std::string formatSizeValidation(std::optional<std::uint64_t> min, std::optional<std::uint64_t> max) {
    if (min && max) return fmt::format("min = {}, max = {}", *min, *max);
    if (min) return fmt::format("min = {}", *min);
    if (max) return fmt::format("max = {}", *max);
    return {};
}

}  // namespace jakarta::constraints

namespace spring {

Annotation controllerMethodAnnotation(std::string_view method) {
    static constexpr std::pair<std::string_view, std::string_view> kShortcuts[] = {
        {"get", "GetMapping"},       {"put", "PutMapping"},     {"post", "PostMapping"},
        {"delete", "DeleteMapping"}, {"patch", "PatchMapping"},
    };
    for (const auto& [name, annotation] : kShortcuts) {
        if (name == method) return springAnnotation(annotation);
    }
    if (method == "options" || method == "head" || method == "trace") {
        Annotation mapping =
            springAnnotation("RequestMapping", fmt::format("(method = RequestMethod.{})", asciiToUpper(method)));
        mapping.imports.push_back(fmt::format("{}RequestMethod", kSpringPackage));
        return mapping;
    }
    throw std::invalid_argument(fmt::format("Unknown HTTP method: '{}'", method));
}

Annotation controllerMethodArg(std::string_view name, ArgumentKind kind, bool required) {
    const std::string_view optional = required ? "" : ", required=false";
    const auto named = [&](std::string_view annotation) {
        return springAnnotation(annotation, fmt::format("(name={}{})", toStringLiteral(name), optional));
    };
    switch (kind) {
        case ArgumentKind::path:
            return named("PathVariable");
        case ArgumentKind::query:
            return named("RequestParam");
        case ArgumentKind::header:
            return named("RequestHeader");
        case ArgumentKind::cookie:
            return named("CookieValue");
        case ArgumentKind::body:
            return springAnnotation("RequestBody", required ? "" : "(required=false)");
    }
    throw std::invalid_argument("Unknown argument kind");
}

}  // namespace spring

void SourceFile::setPackageName(std::string name) {
    if (!name.empty()) validatePackageName(name);
    packageName_ = std::move(name);
}

void SourceFile::addImport(std::string_view qname) {
    if (qname.empty()) return;
    const std::string package = packageNameFromQName(qname);
    validatePackageName(package);
    validateClassName(classNameFromQName(qname));
    if (package == packageName_ || package == "java.lang") return;
    imports_.emplace(qname);
}

void SourceFile::addImports(const Annotation& annotation) {
    for (const auto& qname : annotation.imports) addImport(qname);
}

void SourceFile::removeImport(std::string_view qname) {
    if (auto it = imports_.find(qname); it != imports_.end()) imports_.erase(it);
}

SourceFile* Project::addSourceFileFromQName(std::string_view qname) { return addFromQName("src/main/java", qname); }

SourceFile* Project::addTestFileFromQName(std::string_view qname) { return addFromQName("src/test/java", qname); }

SourceFile* Project::addFromQName(std::string_view root, std::string_view qname) {
    std::string package = packageNameFromQName(qname);
    if (qname.find('.') != std::string_view::npos) validatePackageName(package);
    validateClassName(classNameFromQName(qname));
    std::string path = fmt::format("{}/{}.java", root, qname);
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(root.size()) + 1, path.end() - 5, '.', '/');
    SourceFile* file = addSourceFile(path);
    file->setPackageName(std::move(package));
    return file;
}

}  // namespace zephalon::code_morph::java
