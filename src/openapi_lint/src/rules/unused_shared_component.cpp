#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/bundle.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

namespace {

// A component by kind ("schemas") and name.
using ComponentKey = std::pair<std::string, std::string>;

// One reference token of a JSON Pointer, unescaped.
std::string unescapeToken(std::string_view token) {
    std::string text(token);
    replace(text, "~1", "/");
    replace(text, "~0", "~");
    return text;
}

// The component a local reference ("#/components/schemas/Pet/properties/id") points at or into; nothing for any
// other reference.
std::optional<ComponentKey> componentOf(std::string_view ref) {
    constexpr std::string_view kPrefix = "#/components/";
    if (!ref.starts_with(kPrefix)) return std::nullopt;
    // The prefix has nothing to decode, so the kind starts right after it in the decoded text.
    const std::string decoded = urlDecode(ref.substr(kPrefix.size()));
    const std::string_view rest = decoded;
    const std::size_t kindEnd = rest.find('/');
    if (kindEnd == std::string_view::npos) return std::nullopt;
    const std::string_view name = rest.substr(kindEnd + 1);
    return ComponentKey{unescapeToken(rest.substr(0, kindEnd)), unescapeToken(name.substr(0, name.find('/')))};
}

// Calls `visit(kind, map)` for each map of the model's components, the kind being the name references use.
template <class Visit>
void forEachComponentMap(const openapi::Components& c, Visit&& visit) {
    visit("schemas", c.schemas());
    visit("responses", c.responses());
    visit("parameters", c.parameters());
    visit("examples", c.examples());
    visit("requestBodies", c.requestBodies());
    visit("headers", c.headers());
    visit("securitySchemes", c.securitySchemes());
    visit("links", c.links());
    visit("callbacks", c.callbacks());
    visit("pathItems", c.pathItems());
}

// What uses which component: the "$ref"s of the source document (except those inside the component they point at),
// the discriminator mappings (a reference or a bare schema name) and the security requirements (scheme names) of
// the model. The references come from the list the reader made of the document's "$ref" values, so the rule needs
// no walk of the source values; the mappings and requirements come from the shared walk of the model.
class UnusedSharedComponentHandler : public RuleHandler<UnusedSharedComponent> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::SecurityRequirement* requirement) override {
        for (const auto& [name, scopes] : requirement->items()) used_.insert(ComponentKey{"securitySchemes", name});
    }

    void handle(const openapi::Discriminator* discriminator) override {
        for (const auto& [value, target] : discriminator->mapping()) {
            std::optional<ComponentKey> key;
            if (target.starts_with('#')) {
                key = componentOf(target);
            } else if (target.find('/') == std::string::npos) {
                key = ComponentKey{"schemas", target};
            }
            if (key && !insideSlot(*discriminator, *key)) used_.insert(std::move(*key));
        }
    }

    void documentVisited() override {
        const jv::JVDoc* doc = context().readResult()->doc();
        if (doc == nullptr || doc->root() == nullptr) return;
        // References in other files name their targets relative to those files; in the bundled form every reference
        // names the component of the root that the reader made of its target.
        std::unique_ptr<jv::JVDoc> bundled;
        if (context().readResult()->isMultiFile()) {
            bundled = openapi::bundleDocument(*context().readResult());
            doc = bundled.get();
            if (doc->root() == nullptr) return;
        }
        // The references lie all over a large document's tree, long out of the cache: each value is asked for
        // some turns before it is read, and its text, which it points to, half as many.
        const auto& references = doc->references();
        for (std::size_t i = 0; i < references.size(); ++i) {
            if (i + 2 * kReadAhead < references.size()) __builtin_prefetch(references[i + 2 * kReadAhead]);
            if (i + kReadAhead < references.size()) {
                __builtin_prefetch(references[i + kReadAhead]->stringValue().data());
            }
            useReference(*references[i], *doc->root());
        }
        reportUnused();
    }

  private:
    static constexpr std::size_t kReadAhead = 16;

    // The component a reference text points at or into, its source value once looked up, and whether a use of it
    // was counted.
    struct Target {
        std::optional<ComponentKey> key;
        const jv::JV* value = nullptr;
        bool counted = false;
    };

    // A document names the same few components over and over: each reference text is decoded once, and counted as
    // a use once. A reference inside the component it names does not count.
    void useReference(const jv::JV& reference, const jv::JV& root) {
        Target& target = targetOf(reference.stringValue(), root);
        if (target.counted || !target.key) return;
        for (const jv::JV* at = reference.parent(); at != nullptr; at = at->parent()) {
            if (at == target.value) return;
        }
        used_.insert(*target.key);
        target.counted = true;
    }

    // The target of a reference text. A reader keeps one copy of each short text, so most references of a document
    // share their bytes with others of the same text: looked up by address, they are found without comparing them.
    // (Each text viewed is a whole value's, and all of them live as long as the document: one address, one text.)
    Target& targetOf(std::string_view text, const jv::JV& root) {
        Target*& known = byAddress_[text.data()];
        if (known != nullptr) return *known;
        auto [it, added] = byText_.try_emplace(text);
        Target& target = it->second;
        if (added) {
            target.key = componentOf(text);
            if (target.key) target.value = componentValue(root, *target.key);
        }
        known = &target;
        return target;
    }

    // The source value of /components/<kind>/<name>; null when the document has none.
    static const jv::JV* componentValue(const jv::JV& root, const ComponentKey& key) {
        const jv::JV* components = root.isObject() ? root.property("components") : nullptr;
        const jv::JV* map = components != nullptr && components->isObject() ? components->property(key.first) : nullptr;
        return map != nullptr && map->isObject() ? map->property(key.second) : nullptr;
    }

    // Whether the node lies in the component's slot of the model.
    bool insideSlot(const openapi::Node& node, const ComponentKey& key) const {
        const openapi::Node* slot = nullptr;
        forEachComponentMap(*context().model()->components(), [&](std::string_view kind, const auto& map) {
            if (kind != key.first) return;
            if (const auto found = map.find(key.second); found != map.end()) slot = found->second.get();
        });
        for (const openapi::Node* at = &node; slot != nullptr && at != nullptr; at = at->parent()) {
            if (at == slot) return true;
        }
        return false;
    }

    // The components of a kind and the used ones of that kind both come in name order: one merge finds the rest.
    void reportUnused() const {
        forEachComponentMap(*context().model()->components(), [&](std::string_view kind, const auto& map) {
            auto used = used_.lower_bound(ComponentKey{std::string(kind), std::string()});
            for (const auto& [name, slot] : map) {
                while (used != used_.end() && used->first == kind && used->second < name) ++used;
                if (used != used_.end() && used->first == kind && used->second == name) continue;
                if (!rule().isDisabled(slot.get(), slot->resolveNode())) report("Unused shared component", slot.get());
            }
        });
    }

    std::set<ComponentKey> used_;
    // Reference text (viewing the document) -> its target; the address of a text -> the same target.
    std::unordered_map<std::string_view, Target> byText_;
    std::unordered_map<const char*, Target*> byAddress_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> UnusedSharedComponent::createHandler(Context& context) {
    return makeKindHandler<UnusedSharedComponentHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
