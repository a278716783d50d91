#pragma once

// Java projects (Maven layout) and the helpers that generated Java needs: identifiers, package and class names,
// string literals, and the annotations of Jackson, Jakarta validation and Spring with what each must import.
//
//     java::Project project(fs);
//     auto* file = project.addSourceFileFromQName("com.example.api.PetController");
//     const auto mapping = java::spring::controllerMethodAnnotation("get");   // {"@GetMapping", {"org...GetMapping"}}
//     file->addImports(mapping);
//     file->setText(renderedTemplate);   // the generator's template reads packageName() and imports()

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/code_morph/base.h"

namespace zephalon::code_morph::java {

// Reserved words (keywords, literals and the contextual words a variable may not take) are not variable names.
bool isValidVariableName(std::string_view name);
// The words of the name in camel case, with every character that cannot appear in an identifier treated as a word
// break, "_" before a leading digit, never empty ("unnamed"); then reserved words are renamed: "abstract" ->
// "isAbstract", "boolean" -> "isBoolean", "byte" -> "isByte", "char" -> "isChar", any other -> the word and "1"
// ("class" -> "class1").
std::string toVariableName(std::string_view name);
// The words of the name in Pascal case, a valid class name ("pet store" -> "PetStore"; nothing usable: "Unnamed").
std::string toClassName(std::string_view name);

// Split at the last dot; a name without a dot has the package "" and is all class name.
std::string packageNameFromQName(std::string_view qname);
std::string classNameFromQName(std::string_view qname);
// Dot-separated segments, each a lower-case letter or "_" and then letters, digits or "_".
bool isValidPackageName(std::string_view name);
// An upper-case letter or "_" and then letters, digits or "_".
bool isValidClassName(std::string_view name);
// std::runtime_error "Invalid package name: '<name>'" / "Invalid class name: '<name>'".
void validatePackageName(std::string_view name);
void validateClassName(std::string_view name);

// A double-quoted Java string literal of the text (escapes that survive the compiler's early reading of \u).
std::string toStringLiteral(std::string_view text);

// An annotation's text and the qualified names it needs imported.
struct Annotation {
    std::string text;
    std::vector<std::string> imports;
};

namespace jackson {
// @JsonProperty(value="name") or @JsonProperty(value="name", required=true).
Annotation propertyAnnotation(std::string_view name, bool required);
}  // namespace jackson

namespace jakarta::constraints {
// The arguments of @Size: "min = 1, max = 5", each only when given ("" for neither).
std::string formatSizeValidation(std::optional<std::uint64_t> min, std::optional<std::uint64_t> max);
}  // namespace jakarta::constraints

namespace spring {

enum class ArgumentKind { path, query, header, cookie, body };

// The mapping of a controller method for an HTTP method named as in OpenAPI ("get", "delete", ...): @GetMapping,
// @PutMapping, @PostMapping, @DeleteMapping, @PatchMapping; Spring has no such shortcut for options, head and trace,
// which get @RequestMapping(method = RequestMethod.OPTIONS) (HEAD, TRACE). std::invalid_argument
// "Unknown HTTP method: '<method>'" for any other name.
Annotation controllerMethodAnnotation(std::string_view method);
// @PathVariable, @RequestParam, @RequestHeader or @CookieValue with name="name" (and ", required=false" when not
// required); a body is @RequestBody (with "(required=false)" when not required), which takes no name.
Annotation controllerMethodArg(std::string_view name, ArgumentKind kind, bool required);

}  // namespace spring

// A Java source file; its text comes from the generator's templates, which read the package and the imports.
class SourceFile : public base::SourceFile {
  public:
    using base::SourceFile::SourceFile;

    const std::string& packageName() const { return packageName_; }
    // "" is the default package; anything else must be a valid package name (validatePackageName's error).
    void setPackageName(std::string name);

    // Sorted.
    const std::set<std::string, std::less<>>& imports() const { return imports_; }
    // Nothing for "", for a class of the file's own package and for one of java.lang; otherwise the package and
    // class parts must be valid (validatePackageName's or validateClassName's error) and the name joins the set.
    void addImport(std::string_view qname);
    // Each of the annotation's imports.
    void addImports(const Annotation& annotation);
    void removeImport(std::string_view qname);
    bool hasImport(std::string_view qname) const { return imports_.contains(qname); }
    void clearImports() { imports_.clear(); }

  private:
    std::string packageName_;
    std::set<std::string, std::less<>> imports_;
};

class Project : public base::ProjectOf<SourceFile> {
  public:
    using ProjectOf::ProjectOf;

    // "src/main/java/com/example/Api.java" for "com.example.Api", in package "com.example". The class and package
    // names must be valid (their validation errors).
    SourceFile* addSourceFileFromQName(std::string_view qname);
    // The same under "src/test/java".
    SourceFile* addTestFileFromQName(std::string_view qname);

  private:
    SourceFile* addFromQName(std::string_view root, std::string_view qname);
};

}  // namespace zephalon::code_morph::java
