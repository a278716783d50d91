#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zephalon {

// A template that does not follow RFC 6570; position() is the byte offset of the
// problem in the template text.
class UriTemplateError : public std::runtime_error {
  public:
    UriTemplateError(const std::string& message, std::size_t position)
        : std::runtime_error(message), position_(position) {}
    std::size_t position() const { return position_; }

  private:
    std::size_t position_;
};

// The expression operators of RFC 6570 (levels 1-4).
enum class UriTemplateOperator {
    Simple,             // {var}
    Reserved,           // {+var}
    Fragment,           // {#var}
    Label,              // {.var}
    PathSegment,        // {/var}
    PathParameter,      // {;var}
    Query,              // {?var}
    QueryContinuation,  // {&var}
};

struct UriTemplateVarSpec {
    std::string name;                      // as written, percent-encoded triplets included
    std::optional<unsigned> prefixLength;  // {var:3}, 1-9999
    bool explode = false;                  // {var*}
};

struct UriTemplateExpression {
    UriTemplateOperator op = UriTemplateOperator::Simple;
    std::vector<UriTemplateVarSpec> variables;
    std::size_t position = 0;  // offset of the "{"
};

// A parsed template: literal text and expressions in template order.
class UriTemplate {
  public:
    using Part = std::variant<std::string, UriTemplateExpression>;

    // A variable's value: a string, a list, or an associative array whose pairs
    // keep their order. A missing variable, an empty list and an empty
    // associative array are "undefined" and expand to nothing.
    using Value = std::variant<std::string, std::vector<std::string>, std::vector<std::pair<std::string, std::string>>>;

    // Throws UriTemplateError.
    static UriTemplate parse(std::string_view text);
    static std::optional<UriTemplate> tryParse(std::string_view text);

    const std::vector<Part>& parts() const { return parts_; }
    // Variable names in order of first appearance, without duplicates.
    std::vector<std::string> variableNames() const;

    // RFC 6570 section 3 expansion. A prefix modifier on a list or associative
    // array value is an error in the RFC; such a value is expanded without the
    // prefix rather than failing.
    std::string expand(const std::map<std::string, Value, std::less<>>& variables) const;

  private:
    std::vector<Part> parts_;
};

}  // namespace zephalon
