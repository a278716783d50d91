// Compiles arbitrary JSON as a draft-4 schema and validates the document against itself and against the draft-04
// meta-schema. Compilation may refuse the input with an exception; nothing may crash, hang or leak.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string_view>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_schema/draft4.h"
#include "zephalon/jv_schema/schema.h"

using namespace zephalon::jv;
using namespace zephalon::jv::schema;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool const configured = [] {
        JVDialectRegistry::instance().setDefaultDialect("draft-04");
        JVDialectRegistry::instance().setStrictFormat(true);
        return true;
    }();
    (void)configured;

    std::unique_ptr<JVDoc> doc;
    try {
        doc = readJsonString(std::string_view(reinterpret_cast<char const*>(data), size));
    } catch (std::exception const&) {
        return 0;
    }
    if (!doc || !doc->root()) return 0;

    JVValidationResult metaResult;
    draft4::Draft4Dialect::metaSchema()->validate(*doc, metaResult);

    std::unique_ptr<JVSchema> schema;
    try {
        schema = std::make_unique<JVSchema>(*doc->root());
    } catch (std::exception const&) {
        // Refused schemas are reported to the caller as exceptions; that is the expected outcome here.
        return 0;
    }
    JVValidationResult result;
    schema->validate(*doc, result);
    return 0;
}
