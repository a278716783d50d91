#pragma once

// Keywords that 2019-09 adds to the draft-7 set, most of them kept by 2020-12: anchors, vocabularies, dynamic
// references, the dependent keywords, and the bookkeeping of evaluated members behind "unevaluatedItems" and
// "unevaluatedProperties".

#include <map>
#include <memory>
#include <set>
#include <string>

#include "draft7_keywords.h"

namespace zephalon::jv::schema {

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

}  // namespace zephalon::jv::schema
