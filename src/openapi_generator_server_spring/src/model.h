#pragma once

// What the Spring generator knows about a document before it writes anything: the Java type of every schema it
// meets (TypeInfoMap), the records it generates (NamedType), and one Method per operation of a group.

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "zephalon/code_morph/java.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator/issue.h"

namespace zephalon::openapi {
class Schema;
}

namespace zephalon::openapi_generator::server_spring {

// What a placeholder value of a type looks like; Record values construct the record.
enum class ValueKind {
    Boolean,
    Integer,
    Long,
    Float,
    Double,
    String,
    Date,
    DateTime,
    Uuid,
    Bytes,
    Resource,
    List,
    Object,
    Record
};

struct NamedType;

struct TypeInfo {
    std::string name;                  // as written in Java: "List<Pet>"
    std::vector<std::string> imports;  // qualified names the type needs
    ValueKind kind = ValueKind::Object;
    const NamedType* named = nullptr;  // the record of a Record
    bool holdsRecord = false;          // a record or a list of them: validation cascades into it (@Valid)
};

TypeInfo objectType();
TypeInfo voidType();

struct Field {
    std::string annotation;
    TypeInfo type;
    std::string name;
};

// A generated record.
struct NamedType {
    std::string packageName;
    std::string className;
    std::vector<Field> fields;
    std::vector<std::string> imports;

    std::string qualifiedName() const { return packageName + "." + className; }
};

// Simple class names handed out once across the whole project (ignoring case), so that no two generated classes,
// and no generated class and a type the generated code uses, ever meet under one name in an import list or a
// package.
class NameRegistry {
  public:
    NameRegistry();
    // `base`, or `base` with the first free number from 2 on.
    std::string claim(const std::string& base);

  private:
    std::unordered_set<std::string> taken_;
};

// Where a schema's record goes and what it is called: package, then stem and suffix ("CreatePet" + "RequestDTO").
// The records of nested objects extend the stem with the property's name.
struct NameHint {
    std::string packageName;
    std::string stem;
    std::string suffix;
};

// Records issues with the place of the node they are about.
class IssueLog {
  public:
    explicit IssueLog(const Context& context) : context_(context) {}

    void add(IssueSeverity severity, std::string message, const openapi::Node* node);
    // The node's JSON Pointer in the document.
    std::string where(const openapi::Node* node) const;

    const std::vector<Issue>& issues() const { return issues_; }

  private:
    const Context& context_;
    std::vector<Issue> issues_;
};

class TypeInfoMap {
  public:
    TypeInfoMap(IssueLog& log, NameRegistry& names) : log_(log), names_(names) {}

    // The component schemas by name: an object becomes a record of that name in the package; one of several types,
    // or of the type null, is reported and typed Object; any other is the Java type of its kind.
    void resolveComponents(const std::vector<std::pair<std::string, const openapi::Schema*>>& components,
                           const std::string& packageName);
    // Any schema: each schema is typed once, where it is first met.
    TypeInfo resolve(const openapi::Schema* schema, const NameHint& hint);
    // A whole request or response body: binary content is a Spring Resource, whatever a field would be.
    TypeInfo resolveBody(const openapi::Schema* schema, const NameHint& hint);

    // The validation annotations of a value of the schema typed `type` (NotNull when required, Size, Pattern, bounds,
    // Valid where validation must cascade).
    std::vector<code_morph::java::Annotation> validation(const openapi::Schema* schema, const TypeInfo& type,
                                                         bool required);

    // One issue listing the arrays whose items could not be typed (arrays that contain themselves).
    void reportUnresolved();

    const std::vector<std::unique_ptr<NamedType>>& namedTypes() const { return namedTypes_; }

  private:
    NamedType* createRecord(const openapi::Schema* schema, const NameHint& hint);
    void fillRecord(NamedType& record, const openapi::Schema* schema, const NameHint& hint);
    TypeInfo scalar(const openapi::Schema* schema, openapi::SchemaType type);

    IssueLog& log_;
    NameRegistry& names_;
    std::unordered_map<const openapi::Schema*, TypeInfo> map_;
    std::unordered_set<const openapi::Schema*> inProgress_;
    std::vector<const openapi::Schema*> unresolved_;
    std::unordered_set<const openapi::Schema*> sizeReported_;
    std::vector<std::unique_ptr<NamedType>> namedTypes_;
};

// The Java text of a placeholder value: `text` is what a String gets ("some_string" in services, "Hello" in
// records). `imports` receives what the value needs beyond its type.
std::string placeholderValue(const TypeInfo& type, std::string_view text, std::vector<std::string>& imports);
// For each record, the fields whose default must be null because constructing them would come back to the record.
std::set<std::pair<const NamedType*, std::size_t>> recursiveFields(
    const std::vector<std::unique_ptr<NamedType>>& types);

// A variable name for a name of the document that is no reserved word and, in records, no name of a method every
// object has (a record component named hashCode or getClass does not compile).
std::string memberName(std::string_view name);
// `name`, or `name` with the first free number from 2 on; the result is added to `used`.
std::string uniqueIn(std::set<std::string>& used, const std::string& name);

struct Arg {
    std::string annotation;  // the controller's (Spring and validation); services take the bare type and name
    std::vector<std::string> annotationImports;
    TypeInfo type;
    std::string name;
};

// One operation of a group.
struct Method {
    openapi::OperationInfo info;
    std::optional<std::string> name;  // absent when no action name could be formed
    code_morph::java::Annotation mapping;
    std::vector<Arg> args;
    TypeInfo result = voidType();
};

struct Group {
    std::string name;  // as the document gives it
    std::string webPackage;
    std::string domainPackage;
    std::string controllerName;
    std::string controllerTestName;
    std::string serviceInterfaceName;
    std::string serviceClassName;
    std::vector<openapi::OperationInfo> operations;
    std::vector<Method> methods;
};

}  // namespace zephalon::openapi_generator::server_spring
