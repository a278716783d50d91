#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

void SchemaExampleDefined::run(Context& context) {
    for (const auto& [name, slot] : context.model()->components()->schemas()) {
        const auto* schema = openapi::nodeCast<openapi::Schema>(slot.get());
        if (schema == nullptr) continue;  // a reference shows the example of its target
        const bool hasExample =
            schema->exampleValue() != nullptr || !schema->examples().empty() || schema->hasExampleList();
        if (!hasExample && !isDisabled(schema)) addIssue(context, "Schema example is not defined", schema);
    }
}

}  // namespace zephalon::openapi_lint
