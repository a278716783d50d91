// Formatting arbitrary documents. The first byte chooses: bit 0 reads the rest as YAML instead of JSON, bit 1 writes
// YAML instead of JSON, bit 2 orders keys by the built-in "recommended" configuration, bit 3 sorts the keys of every
// other kind of object, bits 4 and 5 the indent (2, 3, 4 or 9). Text the value readers refuse is skipped; anything
// they accept is formatted, and what the formatter wrote must read back as the same values: only the layout may
// change. Formatting what it wrote must change nothing more, so that a formatted file stays as it is.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "fuzz_document.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi_format/configuration.h"
#include "zephalon/openapi_format/formatter.h"

namespace {

using namespace zephalon;

constexpr std::int64_t kIndents[] = {2, 3, 4, 9};

// A `format` section that extends a built-in configuration, may sort what it leaves alone, and sets the indent.
void fillSection(jv::JV& config, std::uint8_t choice) {
    config.setArrayProperty("extends")->addString((choice & 4) != 0 ? "recommended" : "original");
    jv::JV* openapi = config.setObjectProperty("openapi");
    openapi->setIntProperty("indent", kIndents[(choice >> 4) & 3]);
    if ((choice & 8) != 0) openapi->setObjectProperty("property_order")->setStringProperty("default", "sorted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    const std::uint8_t choice = input->choice;
    const FileFormat output = fuzz::formatOf(choice, 1);
    std::unique_ptr<jv::JVDoc> doc = fuzz::readOrSkip(input->text, fuzz::formatOf(choice, 0));
    if (doc == nullptr) return 0;
    openapi_format::Formatter formatter;
    jv::JV config(jv::JV::ObjectTag{});
    fillSection(config, choice);
    formatter.setConfig(&config);
    std::string written;
    try {
        written = formatter.process(*doc, output);
    } catch (const std::runtime_error&) {
        // A document nested beyond the writer's depth is refused with a message.
        return 0;
    }
    std::unique_ptr<jv::JVDoc> again = jv::readString(written, output);
    fuzz::require(again != nullptr && again->root() != nullptr && doc->root() != nullptr);
    fuzz::require(again->root()->equal(*doc->root()));
    fuzz::require(formatter.process(*again, output) == written);
    return 0;
}
