#pragma once

// The generation context (Generator::Impl): the current schema, the configuration, the engine and the parts that
// generate values, one per schema to generate.
//
// A schema to generate is a conjunction of schema nodes (`SchemaKey`): a schema together with its allOf members,
// or the branch of a oneOf together with the schema around it. Parts are built for a key together with every part
// that generating it can reach, and linked to each other directly, so generating a value never looks anything up.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regex_generator.h"
#include "rng.h"
#include "zephalon/foundation/regex.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv_generator/generator.h"

namespace zephalon::openapi {
class Schema;
}

namespace zephalon::jv_generator {

// The context is the generator's implementation.
using Context = Generator::Impl;

// One member of a conjunction. `resolved` marks the composition lists of the member whose branch the key already
// holds (kOneOf, kAnyOf), so that the branch is not chosen again.
struct Member {
    static constexpr std::uint8_t kOneOf = 1;
    static constexpr std::uint8_t kAnyOf = 2;

    const openapi::Schema* schema = nullptr;
    std::uint8_t resolved = 0;

    friend bool operator==(const Member&, const Member&) = default;
    // Any strict order serves the part map; std::less orders unrelated pointers totally.
    friend bool operator<(const Member& a, const Member& b) {
        if (a.schema != b.schema) return std::less<const openapi::Schema*>()(a.schema, b.schema);
        return a.resolved < b.resolved;
    }
};

// Members in the order the document gives them (never by address, so that a seed gives the same values on every
// run), without repeats.
using SchemaKey = std::vector<Member>;

// Nesting depth estimates saturate here.
inline constexpr std::uint32_t kUnboundedDepth = std::numeric_limits<std::uint32_t>::max();

inline std::uint32_t deeper(std::uint32_t depth) { return depth == kUnboundedDepth ? depth : depth + 1; }

// A generation part: writes one value for its schema.
class GenBase {
  public:
    explicit GenBase(const openapi::Schema* schema) : schema_(schema) {}
    virtual ~GenBase() = default;
    GenBase(const GenBase&) = delete;
    GenBase& operator=(const GenBase&) = delete;

    virtual void generate(Context& context, jv::JV& value) const = 0;

    // Called once after the part was placed in the context: looks up (and so builds) the parts it generates from.
    virtual void link(Context&) {}
    // The least container nesting of a value this part can produce, from the current estimates of its sub-parts.
    virtual std::uint32_t computeDepth() const { return 0; }

    // The schema the part was built for (the first member of its key), named in errors.
    const openapi::Schema* schema() const { return schema_; }
    std::uint32_t depthEstimate() const { return depthEstimate_; }
    void setDepthEstimate(std::uint32_t depth) { depthEstimate_ = depth; }

  private:
    const openapi::Schema* schema_;
    std::uint32_t depthEstimate_ = kUnboundedDepth;
};

class Generator::Impl {
  public:
    // Past this depth optional content is left out, arrays get their minimum count and nullable values are null.
    static constexpr std::size_t kRelaxedDepth = 8;
    // A value still nested this deep inside a schema that contains itself ends generation with an error.
    static constexpr std::size_t kMaxDepth = 32;
    // More parts than this for one schema means the composition keywords multiply beyond reason.
    static constexpr std::size_t kMaxParts = 100'000;
    // Values nested in one sample before it is finished as if past the relaxed depth: a schema that branches at
    // every level (an array of itself) would otherwise grow exponentially before reaching that depth.
    static constexpr std::size_t kNestedBudget = 2'000;

    explicit Impl(std::uint64_t seed) : random_(seed) {}

    const Configuration& configuration() const { return configuration_; }
    Configuration& configuration() { return configuration_; }
    RNG& random() { return random_; }

    const openapi::Schema* schema() const { return schema_; }
    void setSchema(const openapi::Schema* schema);
    // Forgets every part, so the next value is generated with the current configuration.
    void invalidate() { parts_.clear(); }

    // Generates a value of the schema into the target (one whole sample).
    void generate(const openapi::Schema* schema, jv::JV& value);
    // The value that stands for any value.
    void generateTruthy(jv::JV& value) { value.setNumericValue(42); }

    // The part for a key, building it and what it reaches when needed.
    GenBase* part(const SchemaKey& key);
    GenBase* part(const openapi::Schema* schema) { return part(SchemaKey{Member{schema, 0}}); }

    // Generates a value nested one level below the current one (an array item, an object member).
    void generateNested(const GenBase& part, jv::JV& value);
    std::size_t depth() const { return depth_; }
    bool relaxed() const { return depth_ > kRelaxedDepth || nested_ > kNestedBudget; }

    // A buffer for building one string value at a time, so that strings are not allocated twice.
    std::string& scratch() { return scratch_; }

    // The compiled pattern, kept for the life of the generator; null when the text is no valid pattern.
    const Regex* regex(std::string_view pattern);
    // The generator of strings for a pattern, kept likewise; throws RegexError for an invalid pattern.
    std::shared_ptr<const RegexGenerator> regexGenerator(std::string_view pattern);

  private:
    void drain();
    void estimateDepths();

    Configuration configuration_;
    RNG random_;
    const openapi::Schema* schema_ = nullptr;
    std::map<SchemaKey, std::unique_ptr<GenBase>> parts_;
    std::vector<GenBase*> unlinked_;
    bool draining_ = false;
    std::size_t depth_ = 0;
    std::size_t nested_ = 0;
    std::vector<const GenBase*> active_;
    std::string scratch_;
    std::map<std::string, std::unique_ptr<Regex>, std::less<>> regexes_;
    std::map<std::string, std::shared_ptr<const RegexGenerator>, std::less<>> regexGenerators_;
};

}  // namespace zephalon::jv_generator
