#include "context.h"

#include <algorithm>

#include "factory.h"
#include "zephalon/foundation/ecmascript_regex.h"
#include "zephalon/openapi/node_error.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::jv_generator {

// ---- the context ----

void Generator::Impl::setSchema(const openapi::Schema* schema) {
    if (schema == schema_) return;
    // Parts point into the model of the previous schema, which may be gone.
    parts_.clear();
    schema_ = schema;
    if (schema_ != nullptr) part(schema_);
}

GenBase* Generator::Impl::part(const SchemaKey& key) {
    auto found = parts_.find(key);
    if (found != parts_.end()) return found->second.get();
    if (parts_.size() >= kMaxParts) {
        throw openapi::NodeError(key.empty() ? nullptr : key.front().schema,
                                 "The schema combines too many alternatives to generate samples for it");
    }
    GenFactory factory(*this);
    std::unique_ptr<GenBase> made = factory.build(key);
    GenBase* placed = made.get();
    parts_.emplace(key, std::move(made));
    unlinked_.push_back(placed);
    // Only the outermost call links, so that building a part never recurses through the whole schema.
    if (!draining_) drain();
    return placed;
}

void Generator::Impl::drain() {
    draining_ = true;
    try {
        while (!unlinked_.empty()) {
            GenBase* next = unlinked_.back();
            unlinked_.pop_back();
            next->link(*this);
        }
    } catch (...) {
        // Half-linked parts must never generate.
        draining_ = false;
        unlinked_.clear();
        parts_.clear();
        throw;
    }
    draining_ = false;
    estimateDepths();
}

// The least nesting each part can end with, as a fixed point: every estimate starts unbounded and only ever goes
// down, so the passes end once one changes nothing.
void Generator::Impl::estimateDepths() {
    for (auto& entry : parts_) entry.second->setDepthEstimate(kUnboundedDepth);
    bool changed = true;
    while (changed) {
        changed = false;
        for (auto& entry : parts_) {
            const std::uint32_t depth = entry.second->computeDepth();
            if (depth < entry.second->depthEstimate()) {
                entry.second->setDepthEstimate(depth);
                changed = true;
            }
        }
    }
}

void Generator::Impl::generate(const openapi::Schema* schema, jv::JV& value) {
    GenBase* root = part(schema);
    depth_ = 0;
    nested_ = 0;
    active_.clear();
    root->generate(*this, value);
}

void Generator::Impl::generateNested(const GenBase& nested, jv::JV& value) {
    if (depth_ >= kMaxDepth && std::find(active_.begin(), active_.end(), &nested) != active_.end()) {
        throw openapi::NodeError(nested.schema(), "Cannot generate a finite value for a recursive schema");
    }
    ++depth_;
    ++nested_;
    active_.push_back(&nested);
    try {
        nested.generate(*this, value);
    } catch (...) {
        --depth_;
        active_.pop_back();
        throw;
    }
    --depth_;
    active_.pop_back();
}

const Regex* Generator::Impl::regex(std::string_view pattern) {
    auto found = regexes_.find(pattern);
    if (found != regexes_.end()) return found->second.get();
    std::unique_ptr<Regex> compiled;
    try {
        compiled = std::make_unique<Regex>(createEcmaScriptRegex(pattern));
    } catch (const RegexError&) {
        // Remembered as invalid, so the pattern is not compiled again.
    }
    const Regex* result = compiled.get();
    regexes_.emplace(std::string(pattern), std::move(compiled));
    return result;
}

std::shared_ptr<const RegexGenerator> Generator::Impl::regexGenerator(std::string_view pattern) {
    auto found = regexGenerators_.find(pattern);
    if (found != regexGenerators_.end()) return found->second;
    auto made = std::make_shared<const RegexGenerator>(pattern);
    regexGenerators_.emplace(std::string(pattern), made);
    return made;
}

// ---- the generator ----

Generator::Generator() : Generator(nullptr, 1) {}
Generator::Generator(std::uint64_t seed) : Generator(nullptr, seed) {}
Generator::Generator(const openapi::Schema* schema) : Generator(schema, 1) {}
Generator::Generator(const openapi::Schema* schema, std::uint64_t seed) : impl_(std::make_unique<Impl>(seed)) {
    setSchema(schema);
}
Generator::~Generator() = default;

void Generator::setSchema(const openapi::Schema* schema) { impl_->setSchema(schema); }
const openapi::Schema* Generator::schema() const { return impl_->schema(); }

Configuration& Generator::configuration() {
    // The caller may change bounds that the parts were built with.
    impl_->invalidate();
    return impl_->configuration();
}
const Configuration& Generator::configuration() const { return impl_->configuration(); }

std::unique_ptr<jv::JV> Generator::generate() {
    auto value = std::make_unique<jv::JV>();
    generate(*value);
    return value;
}

void Generator::generate(jv::JV& target) {
    target.setNull();
    if (impl_->schema() == nullptr) return;
    impl_->generate(impl_->schema(), target);
}

}  // namespace zephalon::jv_generator
