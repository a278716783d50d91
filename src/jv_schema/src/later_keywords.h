#pragma once

// Keywords that draft 6 and draft 7 add to the draft-4 set.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "keywords.h"

namespace zephalon::jv::schema {

// Number of array elements that matched "contains", left on the array.
class ContainsAnnotation : public JVAnnotation {
  public:
    explicit ContainsAnnotation(std::size_t n) : count(n) {}
    std::size_t count;
};

namespace draft6 {

// "$id": as draft-4 "id", under its later name. A bare fragment ("#foo") names the schema inside its document.
class IdKeyword : public JVKeyword {
  public:
    explicit IdKeyword(std::string id) : id(std::move(id)) {}
    static bool maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema);
    bool validate(JV const&, JVValidationResult&) const override { return true; }
    std::string id;
};

// "minimum"/"maximum" without the draft-4 boolean flags: the exclusive bounds are keywords of their own.
class MinimumKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};
class MaximumKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

}  // namespace draft6

class ExclusiveMinimumKeyword : public JVKeyword {
  public:
    explicit ExclusiveMinimumKeyword(number::Number limit) : limit(std::move(limit)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    number::Number limit;
};

class ExclusiveMaximumKeyword : public JVKeyword {
  public:
    explicit ExclusiveMaximumKeyword(number::Number limit) : limit(std::move(limit)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    number::Number limit;
};

// Keywords that only carry information for readers of the schema.
class AnnotationOnlyKeyword : public JVKeyword {
  public:
    bool validate(JV const&, JVValidationResult&) const override { return true; }
};

class ExamplesKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

class CommentKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

class ReadOnlyKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

class WriteOnlyKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

class ConstKeyword : public JVKeyword {
  public:
    explicit ConstKeyword(std::unique_ptr<JV> value) : value(std::move(value)) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JV> value;
};

class ContainsKeyword : public JVKeyword {
  public:
    // Counts the matching elements and records the count as the "contains" annotation of the array.
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
    // Record the matching elements for "unevaluatedItems".
    bool recordEvaluated = false;
};

class MinContainsKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

class MaxContainsKeyword : public CountKeyword {
  public:
    using CountKeyword::CountKeyword;
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

// "contains" with its bounds. Without "minContains" at least one element must match.
class ContainsKeywordGroup : public JVKeyword {
  public:
    // `withBounds`: whether the dialect knows "minContains" and "maxContains".
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, bool withBounds,
                            bool recordEvaluated = false);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<ContainsKeyword> contains;
    std::unique_ptr<MinContainsKeyword> minContains;
    std::unique_ptr<MaxContainsKeyword> maxContains;
};

class PropertyNamesKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

class IfKeyword : public JVKeyword {
  public:
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

class ThenKeyword : public JVKeyword {
  public:
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

class ElseKeyword : public JVKeyword {
  public:
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

// "if", "then" and "else": the outcome of the first picks which of the others applies.
class ConditionalKeywordGroup : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<IfKeyword> ifKeyword;
    std::unique_ptr<ThenKeyword> thenKeyword;
    std::unique_ptr<ElseKeyword> elseKeyword;
};

namespace draft7 {

// "contentEncoding" and "contentMediaType": a base64 string must decode, a JSON text must parse.
class ContentKeywordGroup : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::string encoding;   // empty when absent
    std::string mediaType;  // empty when absent
};

}  // namespace draft7

// Adds to what keywords evaluated of an instance, for "unevaluatedItems" and "unevaluatedProperties".
void markEvaluatedIndices(JVValidationResult& result, JV const& array, std::size_t from, std::size_t to);
void markAllEvaluated(JVValidationResult& result, JV const& instance);

// Marks the schema a resource: the document root or a schema with "$id". Dynamic references look for their
// anchors in the resources validation passed through.
void markResource(SchemaContext& context, JVSchema& schema, JV const& schemaJson);
// Leaves the resource the schema started, if it started one.
void endResource(SchemaContext& context, JVSchema const& schema);

class AnchorKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema);
};

class VocabularyKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

class DeprecatedKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
};

class RecursiveAnchorKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema);
};

class DynamicAnchorKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema);
};

// "$recursiveRef" and "$dynamicRef": a reference whose target may be replaced by an anchor of the same kind
// in the outermost schema resource validation came through.
class DynamicRefKeyword : public JVKeyword {
  public:
    DynamicRefKeyword(SchemaContext* context, std::string url, std::string anchor, bool recursive)
        : context_(context), url_(std::move(url)), anchor_(std::move(anchor)), recursive_(recursive) {}
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, bool recursive);
    bool validate(JV const& instance, JVValidationResult& result) const override;

  private:
    JVSchema const* dynamicTarget(JVSchema const* initial, JVValidationResult const& result) const;
    SchemaContext* context_;
    std::string url_;
    std::string anchor_;  // the plain-name fragment of a "$dynamicRef", empty otherwise
    bool recursive_;
    mutable JVSchema const* initial_ = nullptr;
};

class DependentRequiredKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::map<std::string, std::set<std::string, std::less<>>, std::less<>> names;
};

class DependentSchemasKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::map<std::string, std::unique_ptr<JVSchema>, std::less<>> schemas;
};

class UnevaluatedItemsKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

class UnevaluatedPropertiesKeyword : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

namespace draft2019_09 {

// "items" and "additionalItems" as in draft 4, recording the elements they evaluated.
class ItemsKeywordGroup : public schema::ItemsKeywordGroup {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
};

// The content keywords only describe the string from 2019-09 on; "contentSchema" is compiled so that
// references into it work.
class ContentKeywordGroup : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    std::unique_ptr<JVSchema> contentSchema;
};

}  // namespace draft2019_09

namespace draft2020_12 {

class PrefixItemsKeyword : public JVKeyword {
  public:
    bool validate(JV const& instance, JVValidationResult& result) const override;
    SchemaList schemas;
};

class ItemsKeyword : public JVKeyword {
  public:
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<JVSchema> schema;
};

// "prefixItems" and "items": the second validates the elements after those the first covered.
class ItemsKeywordGroup : public JVKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson);
    bool validate(JV const& instance, JVValidationResult& result) const override;
    std::unique_ptr<PrefixItemsKeyword> prefixItems;
    std::unique_ptr<ItemsKeyword> items;
};

}  // namespace draft2020_12

}  // namespace zephalon::jv::schema
