#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

bool isContainer(const jv::JV& value) { return value.isObject() || value.isArray(); }

// One walk of the source document collects what uses which component: the "$ref"s (except those inside the component
// they point at), discriminator mappings (a reference or a bare schema name) and security requirements (scheme names).
class UsageCollector {
  public:
    std::set<ComponentKey> used;

    void walk(const jv::JV& root) {
        struct Frame {
            const jv::JV* value;
            std::string_view key;
            const ComponentKey* inside;
        };
        std::vector<Frame> stack{{&root, {}, nullptr}};
        // Component keys are stored once, so frames can point at them while the stack grows.
        std::vector<std::unique_ptr<ComponentKey>> owned;
        while (!stack.empty()) {
            const Frame frame = stack.back();
            stack.pop_back();
            const jv::JV& value = *frame.value;
            if (value.isArray()) {
                if (frame.key == "security") securityRequirements(value);
                for (const jv::JV* item : value.items()) {
                    if (isContainer(*item)) stack.push_back({item, {}, frame.inside});
                }
                continue;
            }
            if (!value.isObject()) continue;
            if (frame.key == "discriminator") discriminator(value, frame.inside);
            const bool isComponents = value.parent() != nullptr && value.parent() == &root && frame.key == "components";
            for (const auto [key, child] : value.properties()) {
                const ComponentKey* inside = frame.inside;
                if (key == "$ref" && child->isString()) {
                    useReference(child->stringValue(), inside);
                    continue;
                }
                if (isComponents && child->isObject()) {
                    for (const auto [name, component] : child->properties()) {
                        owned.push_back(std::make_unique<ComponentKey>(std::string(key), std::string(name)));
                        stack.push_back({component, name, owned.back().get()});
                    }
                    continue;
                }
                if (isContainer(*child)) stack.push_back({child, key, inside});
            }
        }
    }

  private:
    // Whether the key counts as used: a reference inside the component it names does not.
    bool use(const std::optional<ComponentKey>& key, const ComponentKey* inside) {
        if (!key || (inside != nullptr && *inside == *key)) return false;
        used.insert(*key);
        return true;
    }

    // A document names the same few components over and over: each reference text is decoded once, and counted as
    // a use once.
    void useReference(std::string_view ref, const ComponentKey* inside) {
        auto [it, added] = references_.try_emplace(ref);
        Target& target = it->second;
        if (added) target.key = componentOf(ref);
        if (!target.counted) target.counted = use(target.key, inside);
    }

    void discriminator(const jv::JV& value, const ComponentKey* inside) {
        const jv::JV* mapping = value.property("mapping");
        if (mapping == nullptr || !mapping->isObject()) return;
        for (const auto [name, target] : mapping->properties()) {
            if (!target->isString()) continue;
            const std::string_view text = target->stringValue();
            if (text.starts_with('#')) {
                use(componentOf(text), inside);
            } else if (text.find('/') == std::string_view::npos) {
                use(ComponentKey{"schemas", std::string(text)}, inside);
            }
        }
    }

    void securityRequirements(const jv::JV& list) {
        for (const jv::JV* requirement : list.items()) {
            if (!requirement->isObject()) continue;
            for (const auto [name, scopes] : requirement->properties()) {
                used.insert(ComponentKey{"securitySchemes", std::string(name)});
            }
        }
    }

    // The component a reference text points at or into, and whether a use of it was counted.
    struct Target {
        std::optional<ComponentKey> key;
        bool counted = false;
    };
    // Reference text (viewing the document) -> its target.
    std::unordered_map<std::string_view, Target> references_;
};

}  // namespace

void UnusedSharedComponent::run(Context& context) {
    const jv::JVDoc* doc = context.readResult()->doc();
    if (doc == nullptr || doc->root() == nullptr) return;
    // References in other files name their targets relative to those files; in the bundled form every reference
    // names the component of the root that the reader made of its target.
    std::unique_ptr<jv::JVDoc> bundled;
    if (context.readResult()->isMultiFile()) {
        bundled = openapi::bundleDocument(*context.readResult());
        doc = bundled.get();
        if (doc->root() == nullptr) return;
    }
    UsageCollector collector;
    collector.walk(*doc->root());

    const openapi::Components* components = context.model()->components();
    const auto check = [&](std::string_view kind, const auto& map) {
        for (const auto& [name, slot] : map) {
            if (collector.used.contains(ComponentKey{std::string(kind), name})) continue;
            if (!isDisabled(slot.get(), slot->resolveNode())) addIssue(context, "Unused shared component", slot.get());
        }
    };
    check("schemas", components->schemas());
    check("responses", components->responses());
    check("parameters", components->parameters());
    check("examples", components->examples());
    check("requestBodies", components->requestBodies());
    check("headers", components->headers());
    check("securitySchemes", components->securitySchemes());
    check("links", components->links());
    check("callbacks", components->callbacks());
    check("pathItems", components->pathItems());
}

}  // namespace zephalon::openapi_lint
