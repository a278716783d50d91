#pragma once

// The generation parts. Each writes one value; the factory (factory.h) decides which part a schema gets.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "context.h"
#include "regex_generator.h"

namespace zephalon::jv_generator {

class NullPart final : public GenBase {
  public:
    using GenBase::GenBase;
    void generate(Context&, jv::JV& value) const override { value.setNull(); }
};

// Stands for any value.
class TruthyPart final : public GenBase {
  public:
    using GenBase::GenBase;
    void generate(Context& context, jv::JV& value) const override { context.generateTruthy(value); }
};

class TruePart final : public GenBase {
  public:
    using GenBase::GenBase;
    void generate(Context&, jv::JV& value) const override { value.setBoolean(true); }
};

class FalsePart final : public GenBase {
  public:
    using GenBase::GenBase;
    void generate(Context&, jv::JV& value) const override { value.setBoolean(false); }
};

// One engine step: true when even.
class BooleanPart final : public GenBase {
  public:
    using GenBase::GenBase;
    void generate(Context& context, jv::JV& value) const override;
};

class IntegerPart final : public GenBase {
  public:
    IntegerPart(const openapi::Schema* schema, std::int64_t min, std::int64_t max);
    void generate(Context& context, jv::JV& value) const override;

  private:
    std::int64_t min_;
    std::int64_t max_;
};

// u * (max - min) + min, kept off an exclusive bound.
class NumberPart final : public GenBase {
  public:
    NumberPart(const openapi::Schema* schema, double min, double max, bool exclusiveMin, bool exclusiveMax);
    void generate(Context& context, jv::JV& value) const override;

  private:
    double min_;
    double max_;
    bool exclusiveMin_;
    bool exclusiveMax_;
};

// A multiple k * step with k uniform in [minFactor, maxFactor]; the step is `units` * 10^-decimals, and the value
// is written as that exact decimal, so that a check of multipleOf on the decimal text agrees.
class MultipleOfPart final : public GenBase {
  public:
    MultipleOfPart(const openapi::Schema* schema, std::int64_t minFactor, std::int64_t maxFactor, std::int64_t units,
                   unsigned decimals);
    void generate(Context& context, jv::JV& value) const override;

  private:
    std::int64_t minFactor_;
    std::int64_t maxFactor_;
    std::int64_t units_;
    unsigned decimals_;
};

// n letters with n uniform in [min, max].
class StringPart final : public GenBase {
  public:
    StringPart(const openapi::Schema* schema, std::uint64_t min, std::uint64_t max);
    void generate(Context& context, jv::JV& value) const override;

  private:
    std::uint64_t min_;
    std::uint64_t max_;
};

// A string that the first pattern matches and, when there are more, every other pattern too, within the length
// bounds the schema sets.
class RegexPart final : public GenBase {
  public:
    RegexPart(const openapi::Schema* schema, std::shared_ptr<const RegexGenerator> generator,
              std::vector<const Regex*> otherPatterns, std::optional<std::uint64_t> minLength,
              std::optional<std::uint64_t> maxLength);
    void generate(Context& context, jv::JV& value) const override;

    const std::string& pattern() const { return generator_->pattern(); }

  private:
    bool fits(const std::string& text) const;

    std::shared_ptr<const RegexGenerator> generator_;
    std::vector<const Regex*> otherPatterns_;
    std::optional<std::uint64_t> minLength_;
    std::optional<std::uint64_t> maxLength_;
};

// The base of the parts for string formats: `text` makes the value. When the schema also has patterns that the
// value misses, the fallback (a RegexPart) makes it instead.
class FormatPart : public GenBase {
  public:
    using GenBase::GenBase;
    void generate(Context& context, jv::JV& value) const final;
    void setPatternCheck(std::vector<const Regex*> patterns, std::unique_ptr<RegexPart> fallback);

  protected:
    virtual std::string text(Context& context) const = 0;

  private:
    std::vector<const Regex*> patterns_;
    std::unique_ptr<RegexPart> fallback_;
};

// A date-time drawn as DateTimePart does, cut before the "T".
class DatePart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

// A date-time drawn as DateTimePart does, the text after the "T".
class TimePart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

// One engine step: odd gives a past date-time, even a future one.
class DateTimePart final : public FormatPart {
  public:
    using FormatPart::FormatPart;
    static std::string draw(Context& context);

  protected:
    std::string text(Context& context) const override { return draw(context); }
};

// One engine step: odd gives "P10D", even "PT10H".
class DurationPart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

class EmailPart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

class HostnamePart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

class IPv4Part final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

class IPv6Part final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

class URIPart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

// One engine step: odd gives an absolute URL, even a path.
class URIReferencePart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

class UUIDPart final : public FormatPart {
  public:
    using FormatPart::FormatPart;

  protected:
    std::string text(Context& context) const override;
};

// Base64 of random bytes, in whole groups of four characters within the length range where one fits.
class ByteStringPart final : public FormatPart {
  public:
    ByteStringPart(const openapi::Schema* schema, std::uint64_t minLength, std::uint64_t maxLength);

  protected:
    std::string text(Context& context) const override;

  private:
    std::uint64_t minGroups_;
    std::uint64_t maxGroups_;
};

// Letters, digits and punctuation, with a length in the range.
class PasswordPart final : public FormatPart {
  public:
    PasswordPart(const openapi::Schema* schema, std::uint64_t minLength, std::uint64_t maxLength);

  protected:
    std::string text(Context& context) const override;

  private:
    std::uint64_t min_;
    std::uint64_t max_;
};

// A copy of one of the values, chosen with one canonical draw (no draw for a single value).
class EnumPart final : public GenBase {
  public:
    EnumPart(const openapi::Schema* schema, std::vector<const jv::JV*> values);
    void generate(Context& context, jv::JV& value) const override;

  private:
    std::vector<const jv::JV*> values_;
    std::vector<double> cumulative_;
};

class ArrayPart final : public GenBase {
  public:
    // Positions below the prefix use their own keys, later ones `items` (none: no item may follow the prefix).
    ArrayPart(const openapi::Schema* schema, std::vector<SchemaKey> prefix, std::optional<SchemaKey> items,
              std::uint64_t min, std::uint64_t max, bool unique);
    void generate(Context& context, jv::JV& value) const override;
    void link(Context& context) override;
    std::uint32_t computeDepth() const override;

  private:
    const GenBase& itemPart(std::size_t index) const;

    std::vector<SchemaKey> prefixKeys_;
    std::optional<SchemaKey> itemsKey_;
    std::vector<const GenBase*> prefix_;
    const GenBase* items_ = nullptr;
    std::uint64_t min_;
    std::uint64_t max_;
    bool unique_;
};

class ObjectPart final : public GenBase {
  public:
    struct Property {
        std::string name;
        SchemaKey key;
        const GenBase* part = nullptr;
        // Indices (among the optional properties) that must come along with this one.
        std::vector<std::size_t> dependents;
    };

    // Required and optional properties in name order, and the range of the number of optional ones to include.
    ObjectPart(const openapi::Schema* schema, std::vector<Property> required, std::vector<Property> optional,
               std::uint64_t minOptional, std::uint64_t maxOptional);
    void generate(Context& context, jv::JV& value) const override;
    void link(Context& context) override;
    std::uint32_t computeDepth() const override;

  private:
    // The optional properties to include: `wanted` of the candidates, and whatever those bring along.
    std::vector<bool> select(Context& context, const std::vector<std::size_t>& candidates, std::uint64_t wanted) const;

    std::vector<Property> required_;
    std::vector<Property> optional_;
    std::uint64_t minOptional_;
    std::uint64_t maxOptional_;
    bool hasDependents_;
};

// One of the parts for the types a schema allows, chosen with one canonical draw; nested deep, the one that ends
// soonest (null when allowed).
class MultiTypePart final : public GenBase {
  public:
    MultiTypePart(const openapi::Schema* schema, std::vector<std::unique_ptr<GenBase>> parts);
    void generate(Context& context, jv::JV& value) const override;
    void link(Context& context) override;
    std::uint32_t computeDepth() const override;

  private:
    std::vector<std::unique_ptr<GenBase>> parts_;
};

// oneOf and anyOf: one branch (the schema around it included) chosen with one canonical draw. For oneOf, a value
// that another branch accepts is drawn again, a bounded number of times.
class ChoicePart final : public GenBase {
  public:
    ChoicePart(const openapi::Schema* schema, std::vector<SchemaKey> branches,
               std::vector<const openapi::Schema*> branchSchemas, bool exclusive);
    void generate(Context& context, jv::JV& value) const override;
    void link(Context& context) override;
    std::uint32_t computeDepth() const override;

  private:
    std::size_t choose(Context& context) const;
    bool acceptedByAnother(Context& context, std::size_t branch, const jv::JV& value) const;

    std::vector<SchemaKey> keys_;
    std::vector<const GenBase*> branches_;
    std::vector<const openapi::Schema*> branchSchemas_;
    bool exclusive_;
};

// A value of the inner part that none of the `not` schemas accepts, drawn again a bounded number of times.
class ExclusionPart final : public GenBase {
  public:
    ExclusionPart(const openapi::Schema* schema, std::unique_ptr<GenBase> inner,
                  std::vector<const openapi::Schema*> excluded);
    void generate(Context& context, jv::JV& value) const override;
    void link(Context& context) override { inner_->link(context); }
    std::uint32_t computeDepth() const override { return inner_->computeDepth(); }

  private:
    std::unique_ptr<GenBase> inner_;
    std::vector<const openapi::Schema*> excluded_;
};

// How often a value that a check refuses is drawn again.
inline constexpr int kRedraws = 16;

}  // namespace zephalon::jv_generator
