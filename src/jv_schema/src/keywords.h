#pragma once

// The keyword classes of draft 4. The later drafts reuse them and add their own beside them.
//
// Each class has a static maybeCreate(context, keywords, schemaJson) that looks for its member in the schema
// object and, when present, compiles it and appends the keyword. Subschemas are compiled with the context path
// extended by the keyword name (and the member name or array index), so every subschema is registered under
// base#pointer of its location.

#include <fmt/format.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zephalon/foundation/regex.h"
#include "zephalon/jv_schema/draft4.h"
#include "zephalon/jv_schema/schema.h"

namespace zephalon::jv::schema {

using ContextPtr = std::shared_ptr<SchemaContext>;

// Extends the context path for the lifetime of the scope.
class PathScope {
  public:
    PathScope(SchemaContext& context, std::string_view token) : context_(context) { context.pushPath(token); }
    PathScope(SchemaContext& context, std::size_t index) : context_(context) { context.pushPath(index); }
    ~PathScope() { context_.popPath(); }
    PathScope(PathScope const&) = delete;
    PathScope& operator=(PathScope const&) = delete;

  private:
    SchemaContext& context_;
};

// Compiles a subschema sharing the context.
std::unique_ptr<JVSchema> compileSubschema(ContextPtr const& context, JV const& json);
// Compiles the schema (an object or a boolean) that the keyword `keyword` holds, at path `keyword`.
std::unique_ptr<JVSchema> compileMember(ContextPtr const& context, JV const& value, std::string_view keyword);

// Keyword values: a number, and a count (a non-negative integer, capped at the largest count).
number::Number const& numberValue(JV const& value, std::string_view keyword);
std::uint64_t countValue(JV const& value, std::string_view keyword, char const* negativeMessage);

// Adds an issue whose message is formatted only when the result records issues.
template <typename... Args>
void addFormattedIssue(JVValidationResult& result, JV const* instance, fmt::format_string<Args...> format,
                       Args&&... args) {
    if (result.recording()) result.addIssue(fmt::format(format, std::forward<Args>(args)...), instance);
}

// Drops the issues that alternatives which did not count left behind: once an applicator has been satisfied,
// the failures of branches it tried along the way are not findings about the instance.
void dropIssuesSince(JVValidationResult& result, std::size_t mark);

// Resolves the string `value` ("$ref", "$id" and their kin) against `base`; a text that is no URI reference is a
// compilation error carrying the value.
std::string resolveMember(JV const& value, std::string_view base);

// Identifier handling shared by the dialects: registers the schema under its identifier and, when the
// identifier names another document, makes that document the base for everything below. Returns whether a
// base URL was pushed (to be popped by endIdentifier).
bool beginIdentifier(SchemaContext& context, JVSchema& schema, JV const& json, std::string_view member);
void endIdentifier(SchemaContext& context, bool pushed);

// Keywords that only carry information for readers of the schema.
class AnnotationOnlyKeyword : public JVKeyword {
  public:
    bool validate(JV const&, JVValidationResult&) const override { return true; }
};

class IdKeyword : public JVKeyword {
  public:
    explicit IdKeyword(std::string id) : id(std::move(id)) {}
    // Appends the keyword and handles the base URL; returns whether a base URL was pushed.
    static bool maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema);
    bool validate(JV const&, JVValidationResult&) const override { return true; }
    std::string id;
};

// The target of a reference, looked up (or compiled from the document) on first use; null when there is none, with an
// issue at the instance when the document it lies in fails to load.
JVSchema const* lookUpReference(SchemaContext& context, std::string const& url, JV const& instance,
                                JVValidationResult& result);
// Validates the instance against a reference's target, refusing a reference that re-enters itself for the same
// instance (`reference` identifies it) or nests too deeply.
bool validateThroughReference(void const* reference, JVSchema const& target, std::string const& url, JV const& instance,
                              JVValidationResult& result);

class RefKeyword : public JVKeyword {
  public:
    RefKeyword(SchemaContext* context, std::string url) : context_(context), url_(std::move(url)) {}
    // `identifierPushed`: the schema's own identifier pushed a base URL, which the reference must not use.
    static bool maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, bool identifierPushed);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::string const& url() const { return url_; }

  private:
    SchemaContext* context_;
    std::string url_;
    // The target, looked up on first use (after the whole tree has been compiled) and kept.
    mutable JVSchema const* target_ = nullptr;
};

class SchemaKeyword : public JVKeyword {
  public:
    explicit SchemaKeyword(std::string uri) : uri(std::move(uri)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const&, JVValidationResult&) const override { return true; }
    std::string uri;
};

class TitleKeyword : public JVKeyword {
  public:
    explicit TitleKeyword(std::string title) : title(std::move(title)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::string title;
};

class DescriptionKeyword : public JVKeyword {
  public:
    explicit DescriptionKeyword(std::string text) : description(std::move(text)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const&, JVValidationResult&) const override { return true; }
    std::string description;
};

class DefaultKeyword : public JVKeyword {
  public:
    explicit DefaultKeyword(std::unique_ptr<JV> value) : value(std::move(value)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const&, JVValidationResult&) const override { return true; }
    std::unique_ptr<JV> value;
};

// "definitions" (and "$defs" later): subschemas that exist to be referenced.
class DefinitionsKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                            std::string_view member = "definitions");
    bool validate(JV const&, JVValidationResult&) const override { return true; }
    std::map<std::string, std::unique_ptr<JVSchema>, std::less<>> definitions;
};

using SchemaList = std::vector<std::unique_ptr<JVSchema>>;

class AllOfKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    SchemaList schemas;
};

class AnyOfKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    SchemaList schemas;
    // Go on after the first passing branch, so that what every passing branch evaluated is known.
    bool evaluateAll = false;
};

class OneOfKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    SchemaList schemas;
};

class NotKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

class TypeKeyword : public JVKeyword {
  public:
    enum Bits : std::uint8_t {
        Null = 1,
        Boolean = 2,
        Integer = 4,
        NumberBit = 8,
        String = 16,
        Array = 32,
        Object = 64,
    };
    explicit TypeKeyword(std::uint8_t types) : types(types) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::uint8_t types;
};

class FormatKeyword : public JVKeyword {
  public:
    FormatKeyword(draft4::FormatValidatorFunc const* format, bool strict) : format(format), strict(strict) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, bool strictFormat);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    draft4::FormatValidatorFunc const* format;  // null for a name the table does not hold
    bool strict;
};

class EnumKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::vector<std::unique_ptr<JV>> values;
};

class MinimumKeyword : public JVKeyword {
  public:
    MinimumKeyword(number::Number limit, bool exclusive) : limit(std::move(limit)), exclusive(exclusive) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    number::Number limit;
    bool exclusive;
};

class MaximumKeyword : public JVKeyword {
  public:
    MaximumKeyword(number::Number limit, bool exclusive) : limit(std::move(limit)), exclusive(exclusive) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    number::Number limit;
    bool exclusive;
};

class MultipleOfKeyword : public JVKeyword {
  public:
    explicit MultipleOfKeyword(number::Number divisor) : divisor(std::move(divisor)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    number::Number divisor;
};

// Keywords whose value is a count: the lengths of strings, arrays and objects.
class CountKeyword : public JVKeyword {
  public:
    explicit CountKeyword(std::uint64_t limit) : limit(limit) {}
    std::uint64_t limit;
};

class MinLengthKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

class MaxLengthKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

class PatternKeyword : public JVKeyword {
  public:
    explicit PatternKeyword(Regex regex) : regex(std::move(regex)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    Regex regex;
};

class MinItemsKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

class MaxItemsKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

// Whether two elements are equal. `hash` only groups candidates, so colliding hashes of different values never
// count as duplicates.
bool hasDuplicateItems(std::span<JV const* const> items, std::size_t (*hash)(JV const&));

class UniqueItemsKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

// Validates the elements of an array from index `from` on against one schema, or each element against the schema at
// its index; every failing element gets "array item does not match schema".
bool validateElements(JVSchema const& schema, JV const& array, std::size_t from, JVValidationResult& result);
bool validateTuple(SchemaList const& schemas, JV const& array, JVValidationResult& result);

class ItemsKeyword : public JVKeyword {
  public:
    static std::unique_ptr<ItemsKeyword> create(ContextPtr const& context, JV const& value);
    // Validates the elements and records how many it covered as the "itemsCount" annotation of the array.
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;  // the single-schema form
    SchemaList schemas;                // the tuple form
};

class AdditionalItemsKeyword : public JVKeyword {
  public:
    static std::unique_ptr<AdditionalItemsKeyword> create(ContextPtr const& context, JV const& value);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

// "items" and "additionalItems": the second continues where the first stopped.
class ItemsKeywordGroup : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<ItemsKeyword> items;
    std::unique_ptr<AdditionalItemsKeyword> additionalItems;
};

// A set of member positions of an object, without an allocation for objects of up to 256 members.
class MemberSet {
  public:
    explicit MemberSet(std::size_t size) {
        std::size_t words = (size + 63) / 64;
        if (words > std::size(local_)) {
            heap_.assign(words, 0);
            bits_ = heap_.data();
        }
    }
    MemberSet(MemberSet const&) = delete;
    MemberSet& operator=(MemberSet const&) = delete;
    void insert(std::size_t i) { bits_[i / 64] |= std::uint64_t{1} << (i % 64); }
    bool contains(std::size_t i) const { return (bits_[i / 64] >> (i % 64) & 1) != 0; }

  private:
    std::uint64_t local_[4] = {};
    std::vector<std::uint64_t> heap_;
    std::uint64_t* bits_ = local_;
};

class PropertiesKeyword : public JVKeyword {
  public:
    static std::unique_ptr<PropertiesKeyword> create(ContextPtr const& context, JV const& value);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    // Validates the members it names and adds their positions to `covered`.
    bool validateMembers(JV const& instance, JVValidationResult& result, MemberSet& covered) const;
    // In byte-wise order of the names, as an object's members are.
    std::vector<std::pair<std::string, std::unique_ptr<JVSchema>>> properties;
};

class PatternPropertiesKeyword : public JVKeyword {
  public:
    static std::unique_ptr<PatternPropertiesKeyword> create(ContextPtr const& context, JV const& value);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    // Validates the members its patterns find and adds their positions to `covered`.
    bool validateMembers(JV const& instance, JVValidationResult& result, MemberSet& covered) const;
    std::vector<std::pair<Regex, std::unique_ptr<JVSchema>>> patterns;
};

class AdditionalPropertiesKeyword : public JVKeyword {
  public:
    static std::unique_ptr<AdditionalPropertiesKeyword> create(ContextPtr const& context, JV const& value);
    // Validates one member value; the group decides which members are additional.
    bool validate(JV const& memberValue, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

// "properties", "patternProperties" and "additionalProperties": the last applies to the members the first two
// do not cover.
class PropertiesKeywordGroup : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<PropertiesKeyword> properties;
    std::unique_ptr<PatternPropertiesKeyword> patternProperties;
    std::unique_ptr<AdditionalPropertiesKeyword> additionalProperties;
    // Record the members it looked at for "unevaluatedProperties".
    bool recordEvaluated = false;
};

class MinPropertiesKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

class MaxPropertiesKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

class RequiredKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::set<std::string, std::less<>> names;
};

class DependenciesKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::map<std::string, std::unique_ptr<JVSchema>, std::less<>> schemas;
    std::map<std::string, std::set<std::string, std::less<>>, std::less<>> names;
};

}  // namespace zephalon::jv::schema
