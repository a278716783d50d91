// Sample values for the schemas of arbitrary documents. The first byte reads the rest as YAML instead of JSON
// (bit 0) and seeds the generator; every schema under `components/schemas` gets a sample. A schema no value can
// satisfy is refused with a message naming it; anything else must come through without a crash and in bounded
// time (the fuzzer's timeout).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "fuzz_check.h"
#include "fuzz_model.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/openapi/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon;
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    auto result = fuzz::readModelOrSkip(input->text, fuzz::formatOf(input->choice, 0));
    if (result == nullptr) return 0;
    for (const auto& [name, slot] : result->model()->components()->schemas()) {
        const auto* schema = dynamic_cast<const openapi::Schema*>(slot->resolveNode());
        if (schema == nullptr) continue;
        try {
            // Preparing the schema may already find it unsatisfiable.
            jv_generator::Generator generator(schema, input->choice);
            std::unique_ptr<jv::JV> sample = generator.generate();
            fuzz::require(sample != nullptr);
        } catch (const std::runtime_error&) {
            // Unsatisfiable, or only by an infinite value: refused with a message (openapi::NodeError and others).
        }
    }
    return 0;
}
