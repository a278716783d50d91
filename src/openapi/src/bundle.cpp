#include "zephalon/openapi/bundle.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::openapi {

namespace {

class Bundler {
  public:
    Bundler(const OpenAPIReadResult& result, jv::JVDoc& out) : result_(result), plan_(result.bundlePlan()), out_(out) {}

    // `doc` is the document the value belongs to, handed down so that no value has to look for it.
    std::unique_ptr<jv::JV> copy(const jv::JV& value, const jv::JVDoc* doc) {
        // Inlined targets can lead to further inlined targets; the reader refuses cycles among them, and this bound
        // keeps a malformed plan from exhausting the stack.
        if (++depth_ > kMaxDepth) throw std::runtime_error("Bundling nests too deeply");
        std::unique_ptr<jv::JV> copied = copyValue(value, doc);
        --depth_;
        return copied;
    }

    // Stores a copy under `key`, keeping the key's place in the written order.
    void put(jv::JV& object, std::string_view key, std::unique_ptr<jv::JV> child) {
        const bool fresh = object.property(key) == nullptr;
        object.setProperty(key, std::move(child));
        if (fresh) out_.addProp(object, key);
    }

    // The same for a key the object cannot hold yet (a copy's own members, each key once).
    void putNew(jv::JV& object, std::string_view key, std::unique_ptr<jv::JV> child) {
        object.setProperty(key, std::move(child));
        out_.addProp(object, key);
    }

  private:
    static constexpr int kMaxDepth = 4096;

    std::unique_ptr<jv::JV> copyValue(const jv::JV& value, const jv::JVDoc* doc) {
        if (value.isObject()) {
            if (auto inlined = plan_.inlined.find(&value); inlined != plan_.inlined.end()) {
                return copy(*inlined->second, result_.docOf(inlined->second));
            }
            auto object = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
            std::vector<std::string_view> order =
                doc != nullptr ? doc->propOrder(value) : std::vector<std::string_view>{};
            if (order.size() != value.size()) {
                order.clear();
                for (auto [key, child] : value.properties()) order.push_back(key);
            }
            auto rewrite = plan_.rewrites.find(&value);
            for (std::string_view key : order) {
                const jv::JV* child = value.property(key);
                if (child == nullptr) continue;
                if (key == "$ref" && rewrite != plan_.rewrites.end()) {
                    putNew(*object, key, std::make_unique<jv::JV>(std::string_view(rewrite->second)));
                } else {
                    putNew(*object, key, copy(*child, doc));
                }
            }
            return object;
        }
        if (value.isArray()) {
            auto array = std::make_unique<jv::JV>(jv::JV::ArrayTag{});
            for (const jv::JV* item : value.items()) array->add(copy(*item, doc));
            return array;
        }
        return value.clone();
    }

    const OpenAPIReadResult& result_;
    const BundlePlan& plan_;
    jv::JVDoc& out_;
    int depth_ = 0;
};

}  // namespace

std::unique_ptr<jv::JVDoc> bundleDocument(const OpenAPIReadResult& result) {
    auto out = std::make_unique<jv::JVDoc>();
    const jv::JVDoc* source = result.doc();
    if (source == nullptr || source->root() == nullptr) return out;
    Bundler bundler(result, *out);
    std::unique_ptr<jv::JV> root = bundler.copy(*source->root(), source);
    const BundlePlan& plan = result.bundlePlan();
    if (root->isObject() && !plan.components.empty()) {
        jv::JV* components = root->property("components");
        if (components == nullptr || !components->isObject()) {
            bundler.put(*root, "components", std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
            components = root->property("components");
        }
        for (const BundlePlan::Component& component : plan.components) {
            jv::JV* map = components->property(component.map);
            if (map == nullptr || !map->isObject()) {
                bundler.put(*components, component.map, std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
                map = components->property(component.map);
            }
            bundler.put(*map, component.name, bundler.copy(*component.value, result.docOf(component.value)));
        }
    }
    // Every copy was linked to its container as it was stored.
    out->setRoot(std::move(root), false);
    return out;
}

}  // namespace zephalon::openapi
