#pragma once

// JSON Schema draft 4: the dialect, its string-format table and the regular expressions of "pattern" and
// "patternProperties".

#include <array>
#include <memory>
#include <string_view>

#include "zephalon/foundation/regex.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv_schema/schema.h"

namespace zephalon::jv::schema::draft4 {

class Draft4Dialect : public JVSchemaDialect {
  public:
    explicit Draft4Dialect(bool strictFormat) : JVSchemaDialect(strictFormat) {}
    void process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const override;
    // The draft-04 meta-schema, built in.
    static JVSchema const* metaSchema();
};

// One entry of the "format" table: the format name, the kind of instance it checks, and the check.
struct FormatValidatorFunc {
    std::string_view name;
    JV::Type type;
    bool (*check)(JV const* value);
};

// The formats "format" knows, searched by name in this order.
extern std::array<FormatValidatorFunc, 24> const formatValidatorFuncs;
// The table entry for a format name, or null for a name the table does not hold.
FormatValidatorFunc const* findFormatValidator(std::string_view name);

// Compiles a pattern written for ECMAScript regular expressions with Unicode semantics ("\p{Letter}" is any
// letter), falling back to the lenient non-Unicode grammar for patterns only that accepts. Throws
// zephalon::RegexError when the pattern is invalid in both.
Regex createEcmaScriptRegex(std::string_view pattern);

}  // namespace zephalon::jv::schema::draft4
