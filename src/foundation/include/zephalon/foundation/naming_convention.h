#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zephalon {

enum class NamingConvention {
    CamelCase = 1,
    ConstCase = 2,
    KebabCase = 3,
    PascalCase = 4,
    HeaderCase = 5,
    SnakeCase = 6,
};

// "camelCase", "CONST_CASE", "kebab-case", "PascalCase", "Header-Case" or "snake_case".
std::string_view conventionName(NamingConvention convention);
// The convention with that exact name, if any.
std::optional<NamingConvention> conventionFromName(std::string_view name);

// All converters treat only ASCII letters and digits as letters and digits.
//
// Words are split at " ", "-", "/", "_", "{" and "}"; the first word starts in
// lower case, later words in upper case, other characters keep their case:
// "get-user_by id" -> "getUserById", "{petId}" -> "petId".
std::string toCamelCase(std::string_view text);
// toCamelCase with the first character in upper case.
std::string toPascalCase(std::string_view text);
// Every upper-case letter starts a word; characters other than letters and
// digits separate words and are dropped: "getUserByID" -> "get-user-by-i-d".
std::string toKebabCase(std::string_view text);
// toKebabCase joined with "_".
std::string toSnakeCase(std::string_view text);
// toKebabCase with each word capitalised: "content type" -> "Content-Type".
std::string toHeaderCase(std::string_view text);
// Words split at the camelCase separators and where an upper-case letter follows
// a lower-case letter or digit; a run of capitals stays with what follows it:
// "getUserById" -> "GET_USER_BY_ID", "HTTPServer" -> "HTTPSERVER".
std::string toConstCase(std::string_view text);

std::string toConvention(std::string_view text, NamingConvention convention);

}  // namespace zephalon
