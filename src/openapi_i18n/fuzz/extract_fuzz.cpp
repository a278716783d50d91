// Extracting the texts of arbitrary documents (bit 0 of the first byte reads the rest as YAML instead of JSON).
// Every extracted key must lead, in the source document, to a string equal to its text, and the saved file must read
// back as the same texts.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>

#include "fuzz_check.h"
#include "fuzz_model.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi_i18n/extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon;
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    auto result = fuzz::readModelOrSkip(input->text, fuzz::formatOf(input->choice, 0));
    if (result == nullptr) return 0;
    std::unique_ptr<jv::JVDoc> texts = openapi_i18n::extractTexts(*result);
    fuzz::require(texts != nullptr && texts->root() != nullptr && texts->root()->isObject());
    for (const auto [pointer, text] : texts->root()->properties()) {
        const jv::JV* source = result->doc()->findNode(pointer);
        fuzz::require(source != nullptr && source->isString() && text->isString());
        fuzz::require(source->stringValue() == text->stringValue());
    }
    std::ostringstream saved;
    openapi_i18n::Extract::save(*texts, saved);
    std::unique_ptr<jv::JVDoc> again = jv::readString(saved.str(), FileFormat::JSON);
    fuzz::require(again->root()->equal(*texts->root()));
    return 0;
}
