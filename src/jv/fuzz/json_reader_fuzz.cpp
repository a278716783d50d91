// Feeds arbitrary bytes to the JSON reader. A document it accepts must be consistent: every node is found again
// by its own pointer text, a clone is equal and hashes alike, the source key order names each key once, and the
// "$ref" values noted while reading are those a walk finds. What the JSON writer makes of it, pretty and compact,
// must read back equal and in the same key order. A value taken out of it outlives it.
// The lenient reader options run over the same bytes with a handler that ignores everything.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "references_check.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/json_reader.h"

namespace {

using zephalon::fuzz::require;

void checkTree(const zephalon::jv::JVDoc& doc) {
    using zephalon::jv::JV;
    std::vector<const JV*> pending{doc.root()};
    while (!pending.empty()) {
        const JV* node = pending.back();
        pending.pop_back();
        require(doc.findNode(node->pointer()) == node);
        require(node->pos.line >= 1 && node->pos.column >= 1);
        if (node->isArray()) {
            for (const JV* child : node->items()) pending.push_back(child);
        } else if (node->isObject()) {
            auto order = doc.propOrder(*node);
            require(order.size() == node->size());
            for (std::string_view key : order) require(node->hasProperty(key));
            for (auto [key, child] : node->properties()) pending.push_back(child);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon::jv;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        std::unique_ptr<JVDoc> doc = readJsonString(text);
        checkTree(*doc);
        zephalon::fuzz::requireReferencesAsFound(*doc);
        std::unique_ptr<JV> copy = doc->root()->clone();
        require(copy->equal(*doc->root()));
        require(copy->hash() == doc->root()->hash());
        for (int indent : {2, 0}) {
            StreamWriteOptions options;
            options.indentSize = indent;
            std::string written;
            writeString(*doc, written, options);
            std::unique_ptr<JVDoc> reread = readJsonString(written);
            require(reread->root()->equal(*doc->root()));
            std::string again;
            writeString(*reread, again, options);
            require(again == written);
        }
        // A value taken out of the tree outlives its document, and an edit of the tree is freed with it.
        JV* root = doc->root();
        if (root->isObject() && root->size() > 0) {
            const std::string key((*root->properties().begin()).key);
            std::unique_ptr<JV> taken = root->releaseProperty(key);
            root->setStringProperty(key + "!", key);
            doc.reset();
            require(taken->equal(*copy->property(key)));
        } else if (root->isArray() && root->size() > 0) {
            std::unique_ptr<JV> taken = root->releaseAt(root->size() - 1);
            root->addNull();
            doc.reset();
            require(taken->equal(*copy->at(copy->size() - 1)));
        }
    } catch (const ReadError&) {
    }

    Handler ignore;
    JSONReader::Options options;
    options.allowComments = true;
    options.allowMultipleValues = true;
    options.allowPartialValues = true;
    options.dontValidateStrings = true;
    JSONReader lenient(ignore, options);
    lenient.read(text);
    return 0;
}
