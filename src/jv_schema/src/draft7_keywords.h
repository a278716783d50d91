#pragma once

// Keywords that draft 7 adds to the draft-6 set; the later drafts keep them (except the content checks).

#include <memory>
#include <string>

#include "draft6_keywords.h"

namespace zephalon::jv::schema {

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

}  // namespace zephalon::jv::schema
