#pragma once

// JSON Schema draft 6, draft 7, 2019-09 and 2020-12: the dialects. They reuse the draft-4 keyword classes and add their
// own; the dialects are found through JVDialectRegistry by their "$schema" URIs.

#include <memory>

#include "zephalon/jv/jv.h"
#include "zephalon/jv_schema/schema.h"

namespace zephalon::jv::schema::draft6 {

class Draft6Dialect : public JVSchemaDialect {
  public:
    explicit Draft6Dialect(bool strictFormat) : JVSchemaDialect(strictFormat) {}
    void process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const override;
    // The draft-06 meta-schema, built in.
    static JVSchema const* metaSchema();
};

}  // namespace zephalon::jv::schema::draft6

namespace zephalon::jv::schema::draft7 {

class Draft7Dialect : public JVSchemaDialect {
  public:
    explicit Draft7Dialect(bool strictFormat) : JVSchemaDialect(strictFormat) {}
    void process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const override;
    // The draft-07 meta-schema, built in.
    static JVSchema const* metaSchema();
};

}  // namespace zephalon::jv::schema::draft7

namespace zephalon::jv::schema::draft2019_09 {

class Draft201909Dialect : public JVSchemaDialect {
  public:
    explicit Draft201909Dialect(bool strictFormat) : JVSchemaDialect(strictFormat) {}
    void process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const override;
    // The 2019-09 meta-schema, built in.
    static JVSchema const* metaSchema();
};

}  // namespace zephalon::jv::schema::draft2019_09

namespace zephalon::jv::schema::draft2020_12 {

class Draft202012Dialect : public JVSchemaDialect {
  public:
    explicit Draft202012Dialect(bool strictFormat) : JVSchemaDialect(strictFormat) {}
    void process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const override;
    // The 2020-12 meta-schema, built in.
    static JVSchema const* metaSchema();
};

}  // namespace zephalon::jv::schema::draft2020_12
