// Feeds arbitrary bytes to the YAML reader. Whatever the block scanner reads, libyaml must read into the same tree,
// positions and key order included, and what the tree builder refuses from the scanner's events it must refuse from
// libyaml's. Whatever the reader accepts must survive writing and reading back unchanged, as equal values in YAML
// and (within the JSON writer's depth limit) in JSON, and the "$ref" values noted while reading must be those a
// walk finds (aliases and merge keys included).

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "references_check.h"
#include "tree_difference.h"
#include "yaml_read_paths.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/jv/yaml_reader.h"

namespace {

void requireScannedAsLibyamlReads(std::string_view text) {
    using namespace zephalon;
    std::unique_ptr<jv::JVDoc> scanned;
    bool refused = false;
    try {
        scanned = jv::detail::readYamlByBlockScanner(text);
    } catch (const std::runtime_error&) {
        refused = true;
    }
    if (scanned == nullptr && !refused) return;  // the scanner gave up
    std::unique_ptr<jv::JVDoc> parsed;
    try {
        parsed = jv::detail::readYamlByLibyaml(text);
    } catch (const std::runtime_error&) {
    }
    fuzz::require((parsed == nullptr) == refused);
    if (scanned != nullptr) fuzz::require(jv::testing::treeDifference(*scanned, *parsed).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    requireScannedAsLibyamlReads(text);
    std::unique_ptr<jv::JVDoc> doc;
    try {
        doc = jv::readYamlString(text);
    } catch (const std::runtime_error&) {
        return 0;
    }
    fuzz::require(doc != nullptr && doc->root() != nullptr);
    fuzz::requireReferencesAsFound(*doc);

    std::string yaml = jv::toString(*doc, FileFormat::YAML);
    auto again = jv::readYamlString(yaml);
    // Values, not texts: a double -0.0 is written as -0, which reads back as the equal integer 0.
    fuzz::require(again->root()->equal(*doc->root()));

    std::string json;
    try {
        json = jv::toString(*doc, FileFormat::JSON);
    } catch (const jv::JSONWriterError& error) {
        fuzz::require(error.status() == jv::JSONWriterError::Status::MaxDepthExceeded);
        return 0;
    }
    auto fromJson = jv::readString(json, FileFormat::JSON);
    fuzz::require(fromJson->root()->equal(*doc->root()));
    return 0;
}
