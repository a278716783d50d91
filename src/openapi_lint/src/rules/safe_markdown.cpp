#include <string>
#include <type_traits>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Browsers read tag and function names in any letter case, so the search ignores it: "<SCRIPT>" runs as well as
// "<script>".
bool containsScript(std::string_view lower) {
    const std::size_t open = lower.find("<script");
    if (open == std::string_view::npos) return false;
    const std::size_t end = lower.find('>', open);
    return end != std::string_view::npos && lower.find("</script>", end) != std::string_view::npos;
}

// "eval", optional white space, "(" and a ")" somewhere after it.
bool containsEval(std::string_view lower) {
    for (std::size_t at = lower.find("eval"); at != std::string_view::npos; at = lower.find("eval", at + 1)) {
        std::size_t next = lower.find_first_not_of(" \n\t\r\v\f", at + 4);
        if (next != std::string_view::npos && lower[next] == '(' &&
            lower.find(')', next + 1) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

class SafeMarkdownHandler : public RuleHandler<SafeMarkdown> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Info* node) override { check(node); }
    void handle(const openapi::Server* node) override { check(node); }
    void handle(const openapi::ServerVariable* node) override { check(node); }
    void handle(const openapi::PathItem* node) override { check(node); }
    void handle(const openapi::Operation* node) override { check(node); }
    void handle(const openapi::Parameter* node) override { check(node); }
    void handle(const openapi::RequestBody* node) override { check(node); }
    void handle(const openapi::Response* node) override { check(node); }
    void handle(const openapi::Header* node) override { check(node); }
    void handle(const openapi::Example* node) override { check(node); }
    void handle(const openapi::Link* node) override { check(node); }
    void handle(const openapi::Tag* node) override { check(node); }
    void handle(const openapi::ExternalDocumentation* node) override { check(node); }
    void handle(const openapi::SecurityScheme* node) override { check(node); }
    void handle(const openapi::Schema* node) override { check(node); }

  private:
    template <class T>
    void check(const T* node) {
        // A response's description is required, so the model holds it as a plain string.
        if constexpr (std::is_same_v<T, openapi::Response>) {
            check(node, node->description());
        } else if (node->description()) {
            check(node, *node->description());
        }
    }
    void check(const openapi::Node* node, std::string_view description) {
        const std::string_view finding = unsafeMarkdown(description);
        if (!finding.empty() && !rule().isDisabled(node)) report(std::string(finding), node);
    }
};

}  // namespace

std::string_view unsafeMarkdown(std::string_view description) {
    // Cheap test first: most descriptions hold neither a "<" nor an "(". Two scans for one character each run many
    // bytes at a time; a search for either character made a call per byte.
    if (description.find('<') == std::string_view::npos && description.find('(') == std::string_view::npos) return {};
    const std::string lower = asciiToLower(description);
    if (containsScript(lower)) return "Markdown contains <script> tag";
    if (containsEval(lower)) return "Markdown contains eval() function";
    return {};
}

std::unique_ptr<openapi::NodeVisitHandler> SafeMarkdown::createHandler(Context& context) {
    return makeKindHandler<SafeMarkdownHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
