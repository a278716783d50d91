// The road every command takes, on arbitrary bytes: the first byte picks JSON or YAML, the rest is read as a
// document into the model, the model is written back with its read result and read again, and the traversal walks
// it. Text that is no JSON or YAML at all is refused by the value readers; anything they accept must come through
// the parser, the writer and the traversal without a crash, and every node the traversal reaches must lead back to
// its source value, and that value to a node.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "fuzz_check.h"
#include "fuzz_model.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi/writer.h"

namespace {

using namespace zephalon;
using namespace zephalon::openapi;

class SourceCheck : public NodeVisitHandler {
  public:
    explicit SourceCheck(const OpenAPIReadResult& result) : result_(result) {}

    void handleNode(const Node* node) override {
        if (auto location = result_.sourceLocation(node)) {
            fuzz::require(result_.doc()->findNode(location->pointer) == location->value);
            // And back: the value leads to a node (this one, or one nearer the root that shares the value).
            fuzz::require(result_.nodeOf(location->value) != nullptr);
        }
        for (const Reference* reference : node->references()) fuzz::require(reference->node() == node);
    }

  private:
    const OpenAPIReadResult& result_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    const FileFormat format = fuzz::formatOf(input->choice, 0);
    std::unique_ptr<OpenAPIReadResult> result = fuzz::readModelOrSkip(input->text, format);
    if (result == nullptr) return 0;
    fuzz::require(result->model() != nullptr);
    (void)formatIssues(*result);
    SourceCheck check(*result);
    visitNodes(result->model(), check);

    std::string written;
    try {
        writeToString(result.get(), written, format);
    } catch (const std::runtime_error&) {
        // A model nested beyond the writer's depth is refused with a message.
        return 0;
    }
    // What the writer produced is a document again.
    std::unique_ptr<OpenAPIReadResult> again = fuzz::parseModel(jv::readString(written, format));
    SourceCheck checkAgain(*again);
    visitNodes(again->model(), checkAgain);
    return 0;
}
