#pragma once

// Keywords that draft 6 adds to the draft-4 set; the later drafts keep them.

#include <cstdint>
#include <memory>
#include <string>

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

class ExamplesKeyword : public AnnotationOnlyKeyword {
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

}  // namespace zephalon::jv::schema
