// Extracting the texts of arbitrary documents (bit 0 of the first byte reads the rest as YAML instead of JSON).
// Every extracted key must lead, in the source document, to a string equal to its text, and the saved file must read
// back as the same texts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "fuzz_model.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi_i18n/extract.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon;
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    auto result = fuzz::readModelOrSkip(input->text, (input->choice & 1) != 0 ? FileFormat::YAML : FileFormat::JSON);
    if (result == nullptr) return 0;
    std::unique_ptr<jv::JVDoc> texts = openapi_i18n::extractTexts(*result);
    require(texts != nullptr && texts->root() != nullptr && texts->root()->isObject());
    for (const auto [pointer, text] : texts->root()->properties()) {
        const jv::JV* source = result->doc()->findNode(pointer);
        require(source != nullptr && source->isString() && text->isString());
        require(source->stringValue() == text->stringValue());
    }
    std::ostringstream saved;
    openapi_i18n::Extract::save(*texts, saved);
    std::unique_ptr<jv::JVDoc> again = jv::readString(saved.str(), FileFormat::JSON);
    require(again->root()->equal(*texts->root()));
    return 0;
}
