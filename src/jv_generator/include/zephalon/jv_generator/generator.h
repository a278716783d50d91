#pragma once

// Sample JSON values that fit an OpenAPI schema.
//
//     jv_generator::Generator generator(schema, 42);      // a seed fixes every value
//     generator.configuration().setLengthRange(3, 12);    // fallbacks where the schema sets no bound
//     std::unique_ptr<jv::JV> sample = generator.generate();
//
// Every random choice comes from one seeded engine, so a seed and a schema always give the same values, in the same
// order. Schemas that no value can satisfy, or that can only be satisfied by an infinite value, raise
// openapi::NodeError naming the schema.

#include <cstdint>
#include <memory>

#include "zephalon/jv/jv.h"
#include "zephalon/number/number.h"

namespace zephalon::openapi {
class Schema;
}

namespace zephalon::jv_generator {

// The bounds used where a schema sets none. In every pair min <= max; a setter that would break that throws
// std::invalid_argument "Min must be less than or equal to max" and changes nothing.
class Configuration {
  public:
    const number::Number& minimum() const { return minimum_; }
    const number::Number& maximum() const { return maximum_; }
    std::uint64_t minLength() const { return minLength_; }
    std::uint64_t maxLength() const { return maxLength_; }
    std::uint64_t minItems() const { return minItems_; }
    std::uint64_t maxItems() const { return maxItems_; }
    std::uint64_t minProperties() const { return minProperties_; }
    std::uint64_t maxProperties() const { return maxProperties_; }

    void setMinimum(const number::Number& value);
    void setMaximum(const number::Number& value);
    void setNumericRange(const number::Number& min, const number::Number& max);
    void setMinLength(std::uint64_t value);
    void setMaxLength(std::uint64_t value);
    void setLengthRange(std::uint64_t min, std::uint64_t max);
    void setMinItems(std::uint64_t value);
    void setMaxItems(std::uint64_t value);
    void setItemCountRange(std::uint64_t min, std::uint64_t max);
    void setMinProperties(std::uint64_t value);
    void setMaxProperties(std::uint64_t value);
    void setPropertyCountRange(std::uint64_t min, std::uint64_t max);

    // Reads "minimum", "maximum", "minLength", "maxLength", "minItems", "maxItems", "minProperties" and
    // "maxProperties" from an object; absent keys keep their defaults. A value of the wrong kind raises jv::JVError,
    // a pair out of order std::invalid_argument as the setters do.
    static Configuration fromJV(const jv::JV& value);

  private:
    number::Number minimum_{0};
    number::Number maximum_{10};
    std::uint64_t minLength_ = 0;
    std::uint64_t maxLength_ = 10;
    std::uint64_t minItems_ = 0;
    std::uint64_t maxItems_ = 10;
    std::uint64_t minProperties_ = 0;
    std::uint64_t maxProperties_ = 10;
};

class Generator {
  public:
    Generator();
    explicit Generator(std::uint64_t seed);
    explicit Generator(const openapi::Schema* schema);
    Generator(const openapi::Schema* schema, std::uint64_t seed);
    ~Generator();
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    // Makes the schema current and prepares what generating it needs. The schema (and the model around it) must
    // outlive its use here; setting another schema, or a changed configuration, takes effect for later values.
    void setSchema(const openapi::Schema* schema);
    const openapi::Schema* schema() const;

    Configuration& configuration();
    const Configuration& configuration() const;

    // A new value for the current schema (null when there is none).
    std::unique_ptr<jv::JV> generate();
    // Writes a new value into `target`, replacing what it held.
    void generate(jv::JV& target);

    class Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace zephalon::jv_generator
