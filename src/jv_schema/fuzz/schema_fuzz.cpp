// Compiles arbitrary JSON as a schema and validates the document against itself and against the meta-schema of its
// dialect. The first byte picks the default dialect (for documents without "$schema") and whether "format"
// asserts; the rest is the JSON text. Compilation may refuse the input with an exception; nothing may crash, hang
// or leak.

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string_view>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_schema/schema.h"

using namespace zephalon::jv;
using namespace zephalon::jv::schema;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr std::array<std::string_view, 5> dialects = {draft04Uri, draft06Uri, draft07Uri, draft201909Uri,
                                                                 draft202012Uri};
    if (size == 0) return 0;
    std::string_view dialect = dialects[data[0] % dialects.size()];
    auto& registry = JVDialectRegistry::instance();
    registry.setDefaultDialect(dialect);
    registry.setStrictFormat((data[0] & 0x80) != 0);

    std::unique_ptr<JVDoc> doc;
    try {
        doc = readJsonString(std::string_view(reinterpret_cast<char const*>(data + 1), size - 1));
    } catch (std::exception const&) {
        return 0;
    }
    if (!doc || !doc->root()) return 0;

    JVValidationResult metaResult;
    loadBuiltInSchema(dialect)->validate(*doc, metaResult);

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
