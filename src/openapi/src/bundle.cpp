#include "zephalon/openapi/bundle.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "zephalon/foundation/assertions.h"

namespace zephalon::openapi {

namespace {

// Stores `child` under `key`: an existing key keeps its place in the written order, a new one goes last.
void putMember(jv::JVDoc& doc, jv::JV& object, std::string_view key, std::unique_ptr<jv::JV> child) {
    const bool fresh = object.property(key) == nullptr;
    object.setProperty(key, std::move(child));
    if (fresh) doc.addProp(object, key);
}

// The object under `key`, made when it is missing or not an object.
jv::JV& objectMember(jv::JVDoc& doc, jv::JV& object, std::string_view key) {
    jv::JV* member = object.property(key);
    if (member != nullptr && member->isObject()) return *member;
    putMember(doc, object, key, std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
    return *object.property(key);
}

// Places the targets that become components under the bundled root's `components`; `take` hands over each value,
// copied or moved.
template <class Take>
void addComponents(jv::JVDoc& doc, jv::JV& root, const BundlePlan& plan, Take take) {
    if (!root.isObject() || plan.components.empty()) return;
    jv::JV& components = objectMember(doc, root, "components");
    for (const BundlePlan::Component& component : plan.components) {
        putMember(doc, objectMember(doc, components, component.map), component.name, take(component.value));
    }
}

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

    // Stores a copy under a key the object cannot hold yet (a copy's own members, each key once).
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

// Moves the values of other files into the root's tree instead of copying them: the read result is given up, so
// its trees can be taken apart. Every target goes to one place, so this holds only where no target is met twice
// and none lies inside another (a reference into the middle of a part that is also referred to whole): there
// `canMove` says no and the document is copied.
class Mover {
  public:
    explicit Mover(OpenAPIReadResult& result) : result_(result), plan_(result.bundlePlan()) {}

    bool canMove() const {
        std::unordered_set<const jv::JV*> targets;
        auto add = [&](const jv::JV* target) {
            return target != nullptr && result_.docOf(target) != result_.doc() && targets.insert(target).second;
        };
        for (const auto& [refObject, target] : plan_.inlined) {
            // A "$ref" object is replaced under its key; the root's own values are never targets.
            const jv::JV* holder = refObject->parent();
            if (holder == nullptr || !holder->isObject() || !add(target)) return false;
        }
        for (const BundlePlan::Component& component : plan_.components) {
            if (!add(component.value)) return false;
        }
        for (const jv::JV* target : targets) {
            for (const jv::JV* above = target->parent(); above != nullptr; above = above->parent()) {
                if (targets.contains(above)) return false;
            }
        }
        return true;
    }

    std::unique_ptr<jv::JVDoc> move() {
        // The reference texts first, in place, wherever they are: the values carry them along when they move.
        for (const auto& [refObject, text] : plan_.rewrites) mutableOf(refObject)->setStringProperty("$ref", text);
        for (const auto& [refObject, target] : plan_.inlined) {
            jv::JV* holder = mutableOf(refObject->parent());
            holder->setProperty(keyIn(*holder, refObject), detach(target));
        }
        auto out = std::make_unique<jv::JVDoc>(mutableOf(result_.doc())->releaseRoot());
        addComponents(*out, *out->root(), plan_, [this](const jv::JV* value) { return detach(value); });
        return out;
    }

  private:
    // The result hands out its values read-only; they are its own, and it is being taken apart.
    static jv::JV* mutableOf(const jv::JV* value) { return const_cast<jv::JV*>(value); }
    static jv::JVDoc* mutableOf(const jv::JVDoc* doc) { return const_cast<jv::JVDoc*>(doc); }

    static std::string keyIn(const jv::JV& holder, const jv::JV* child) {
        for (auto [key, value] : holder.properties()) {
            if (value == child) return std::string(key);
        }
        ZEPHALON_UNREACHABLE("A bundled value is not where the read result has it");
    }

    // Takes a value out of its file: the file's root, an item or a member.
    std::unique_ptr<jv::JV> detach(const jv::JV* value) {
        jv::JV* holder = mutableOf(value->parent());
        if (holder == nullptr) return mutableOf(result_.docOf(value))->releaseRoot();
        if (holder->isArray()) {
            for (std::size_t i = 0; i < holder->size(); ++i) {
                if (holder->at(i) == value) return holder->releaseAt(i);
            }
        }
        return holder->releaseProperty(keyIn(*holder, value));
    }

    OpenAPIReadResult& result_;
    const BundlePlan& plan_;
};

}  // namespace

std::unique_ptr<jv::JVDoc> bundleDocument(std::unique_ptr<OpenAPIReadResult> result) {
    if (result == nullptr || result->doc() == nullptr || result->doc()->root() == nullptr) {
        return std::make_unique<jv::JVDoc>();
    }
    Mover mover(*result);
    if (!mover.canMove()) return bundleDocument(*result);
    return mover.move();
}

std::unique_ptr<jv::JVDoc> bundleDocument(const OpenAPIReadResult& result) {
    auto out = std::make_unique<jv::JVDoc>();
    const jv::JVDoc* source = result.doc();
    if (source == nullptr || source->root() == nullptr) return out;
    Bundler bundler(result, *out);
    std::unique_ptr<jv::JV> root = bundler.copy(*source->root(), source);
    addComponents(*out, *root, result.bundlePlan(),
                  [&](const jv::JV* value) { return bundler.copy(*value, result.docOf(value)); });
    // Every copy was linked to its container as it was stored.
    out->setRoot(std::move(root), false);
    return out;
}

}  // namespace zephalon::openapi
