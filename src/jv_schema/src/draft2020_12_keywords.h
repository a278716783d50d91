#pragma once

// Keywords that 2020-12 has in place of those of 2019-09: the dynamic anchor and the array keywords.

#include <memory>

#include "draft2019_09_keywords.h"

namespace zephalon::jv::schema {

class DynamicAnchorKeyword : public AnnotationOnlyKeyword {
  public:
    static void maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema);
};

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
