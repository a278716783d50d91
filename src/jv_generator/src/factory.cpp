#include "factory.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "acceptor.h"
#include "parts.h"
#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi/node_error.h"
#include "zephalon/openapi/schema.h"
#include "zephalon/openapi/schema_format.h"

namespace zephalon::jv_generator {
namespace {

using number::Number;
using openapi::NodeError;
using openapi::NumericBound;
using openapi::Schema;
using openapi::SchemaType;

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
// Real bounds are kept within this magnitude so that their difference stays finite.
constexpr double kLargestReal = 1e300;
// Extra properties made up to reach minProperties.
constexpr std::uint64_t kMaxExtraProperties = 1000;

const Schema* resolved(const openapi::Node* slot) { return slot != nullptr ? slot->resolveNodeAs<Schema>() : nullptr; }

// ---- members ----

void addMember(SchemaKey& key, Member member) {
    for (Member& existing : key) {
        if (existing.schema == member.schema) {
            existing.resolved |= member.resolved;
            return;
        }
    }
    key.push_back(member);
    for (const auto& slot : member.schema->allOf()) {
        if (const Schema* schema = resolved(slot.get())) addMember(key, Member{schema, 0});
    }
}

SchemaKey flatten(const SchemaKey& key) {
    SchemaKey members;
    for (const Member& member : key) addMember(members, member);
    return members;
}

// ---- types ----

using TypeSet = std::uint8_t;
constexpr TypeSet kAllTypes = 0x7F;

constexpr TypeSet bit(SchemaType type) { return static_cast<TypeSet>(1u << static_cast<unsigned>(type)); }

// Integers are numbers, so number and integer meet in integer.
TypeSet intersect(TypeSet a, TypeSet b) {
    TypeSet both = a & b;
    if (((a & bit(SchemaType::number)) && (b & bit(SchemaType::integer))) ||
        ((b & bit(SchemaType::number)) && (a & bit(SchemaType::integer)))) {
        both |= bit(SchemaType::integer);
    }
    return both;
}

TypeSet declaredTypes(const Schema& schema) {
    TypeSet types = 0;
    for (SchemaType type : schema.types()) types |= bit(type);
    return types;
}

// The types a schema without a type list implies through its keywords.
TypeSet impliedTypes(const Schema& schema) {
    TypeSet types = 0;
    if (!schema.properties().empty() || !schema.required().empty() || schema.additionalPropertiesNode() != nullptr ||
        !schema.patternProperties().empty() || schema.minProperties() || schema.maxProperties() ||
        schema.propertyNamesNode() != nullptr || schema.hasDependentRequired() || !schema.dependentSchemas().empty()) {
        types |= bit(SchemaType::object);
    }
    if (schema.itemsNode() != nullptr || !schema.prefixItems().empty() || schema.minItems() || schema.maxItems() ||
        schema.uniqueItems() || schema.containsNode() != nullptr) {
        types |= bit(SchemaType::array);
    }
    if (schema.minLength() || schema.maxLength() || schema.pattern() || schema.contentEncoding() ||
        schema.contentMediaType()) {
        types |= bit(SchemaType::string);
    }
    if (schema.effectiveMinimum() || schema.effectiveMaximum() || schema.multipleOf()) {
        types |= bit(SchemaType::number);
    }
    if (schema.format() != nullptr) types |= bit(schema.format()->type());
    // A format such as int32 says more than a bound does.
    if (types & bit(SchemaType::integer)) types &= static_cast<TypeSet>(~bit(SchemaType::number));
    return types;
}

// ---- merged keywords ----

template <class T>
void raiseMin(std::optional<T>& current, const std::optional<T>& candidate) {
    if (candidate && (!current || *candidate > *current)) current = candidate;
}

template <class T>
void lowerMax(std::optional<T>& current, const std::optional<T>& candidate) {
    if (candidate && (!current || *candidate < *current)) current = candidate;
}

// `sign` 1 keeps the larger lower bound, -1 the smaller upper bound; at equal values the exclusive one.
void tighten(std::optional<NumericBound>& current, const std::optional<NumericBound>& candidate, int sign) {
    if (!candidate) return;
    if (!current) {
        current = candidate;
        return;
    }
    const int order = candidate->value.compare(current->value) * sign;
    if (order > 0 || (order == 0 && candidate->exclusive)) current = candidate;
}

struct Merged {
    const Schema* origin = nullptr;
    bool typed = false;
    TypeSet types = kAllTypes;
    TypeSet implied = 0;
    const Schema* enumOwner = nullptr;
    std::optional<NumericBound> minimum;
    std::optional<NumericBound> maximum;
    std::vector<Number> multiples;
    std::optional<std::uint64_t> minLength;
    std::optional<std::uint64_t> maxLength;
    std::vector<std::string> patterns;
    const openapi::SchemaFormat* format = nullptr;
    std::optional<std::uint64_t> minItems;
    std::optional<std::uint64_t> maxItems;
    bool uniqueItems = false;
    std::optional<std::uint64_t> minProperties;
    std::optional<std::uint64_t> maxProperties;
    std::vector<const Schema*> excluded;

    TypeSet effectiveTypes() const { return typed ? types : implied; }
};

Merged merge(const SchemaKey& members) {
    Merged merged;
    merged.origin = members.front().schema;
    for (const Member& member : members) {
        const Schema& schema = *member.schema;
        if (schema.typeCount() > 0) {
            merged.typed = true;
            merged.types = intersect(merged.types, declaredTypes(schema));
        }
        merged.implied |= impliedTypes(schema);
        if (merged.enumOwner == nullptr && !schema.enumValues().empty()) merged.enumOwner = &schema;
        tighten(merged.minimum, schema.effectiveMinimum(), 1);
        tighten(merged.maximum, schema.effectiveMaximum(), -1);
        if (schema.multipleOf() && *schema.multipleOf() > Number(0)) merged.multiples.push_back(*schema.multipleOf());
        raiseMin(merged.minLength, schema.minLength());
        lowerMax(merged.maxLength, schema.maxLength());
        if (schema.pattern() &&
            std::find(merged.patterns.begin(), merged.patterns.end(), *schema.pattern()) == merged.patterns.end()) {
            merged.patterns.push_back(*schema.pattern());
        }
        if (merged.format == nullptr) merged.format = schema.format();
        raiseMin(merged.minItems, schema.minItems());
        lowerMax(merged.maxItems, schema.maxItems());
        merged.uniqueItems = merged.uniqueItems || schema.uniqueItems();
        raiseMin(merged.minProperties, schema.minProperties());
        lowerMax(merged.maxProperties, schema.maxProperties());
        if (const Schema* excluded = schema.notSchema(); excluded != nullptr && !openapi::isFalsy(schema)) {
            merged.excluded.push_back(excluded);
        }
    }
    if (merged.implied & bit(SchemaType::integer)) merged.implied &= static_cast<TypeSet>(~bit(SchemaType::number));
    return merged;
}

// ---- ranges ----

// The schema's bounds where it sets them, the configuration's elsewhere. A configured range that lies wholly
// beyond a bound the schema sets moves to that bound, keeping its width.
template <class T>
std::pair<T, T> blendRange(std::optional<T> schemaMin, std::optional<T> schemaMax, T configMin, T configMax, T lowest,
                           T highest) {
    const T width = configMax - configMin;
    if (schemaMin && schemaMax) return {*schemaMin, *schemaMax};
    if (schemaMin) {
        if (configMax >= *schemaMin) return {*schemaMin, configMax};
        return {*schemaMin, *schemaMin > highest - width ? highest : *schemaMin + width};
    }
    if (schemaMax) {
        if (configMin <= *schemaMax) return {configMin, *schemaMax};
        return {*schemaMax < lowest + width ? lowest : *schemaMax - width, *schemaMax};
    }
    return {configMin, configMax};
}

// The length range: the schema's maxLength with its minLength (or 0), else the configuration, moved up to a
// minLength beyond it.
std::pair<std::uint64_t, std::uint64_t> countRange(std::optional<std::uint64_t> schemaMin,
                                                   std::optional<std::uint64_t> schemaMax, std::uint64_t configMin,
                                                   std::uint64_t configMax) {
    if (schemaMax) return {schemaMin.value_or(0), *schemaMax};
    return blendRange<std::uint64_t>(schemaMin, std::nullopt, configMin, configMax, 0,
                                     std::numeric_limits<std::uint64_t>::max());
}

std::int64_t clampToInt64(double value) {
    if (std::isnan(value)) return 0;
    if (value <= -9.2233720368547758e18) return kInt64Min;
    if (value >= 9.2233720368547758e18) return kInt64Max;
    return static_cast<std::int64_t>(value);
}

// The least integer a lower bound admits, and the greatest an upper bound admits.
std::int64_t lowestInteger(const NumericBound& bound) {
    const Number& value = bound.value;
    if (value.isInteger() && value >= Number(kInt64Min) && value <= Number(kInt64Max)) {
        const std::int64_t v = value.toLong();
        return bound.exclusive ? (v == kInt64Max ? v : v + 1) : v;
    }
    const double d = value.toDouble();
    return clampToInt64(bound.exclusive ? std::floor(d) + 1 : std::ceil(d));
}

std::int64_t highestInteger(const NumericBound& bound) {
    const Number& value = bound.value;
    if (value.isInteger() && value >= Number(kInt64Min) && value <= Number(kInt64Max)) {
        const std::int64_t v = value.toLong();
        return bound.exclusive ? (v == kInt64Min ? v : v - 1) : v;
    }
    const double d = value.toDouble();
    return clampToInt64(bound.exclusive ? std::ceil(d) - 1 : std::floor(d));
}

double realOf(const Number& value) { return std::clamp(value.toDouble(), -kLargestReal, kLargestReal); }

// ---- multipleOf ----

// A step p/q in lowest terms, q dividing a power of ten.
struct Step {
    std::uint64_t p = 1;
    std::uint64_t q = 1;
};

constexpr std::uint64_t kPowersOfTen[] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull,
                                          10000000000000000ull,
                                          100000000000000000ull,
                                          1000000000000000000ull};

std::optional<Step> stepOf(const Number& value) {
    const std::string text = value.string();
    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    bool fraction = false;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        const char c = text[i];
        if (c == '-') return std::nullopt;
        if (c == '.') {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        if (mantissa == 0 && c == '0') {
            if (fraction) --exponent;
            continue;
        }
        if (++digits > 18) return std::nullopt;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        if (fraction) --exponent;
    }
    if (i < text.size()) {
        long long written = 0;
        try {
            written = std::stoll(text.substr(i + 1));
        } catch (const std::exception&) {
            return std::nullopt;
        }
        if (written > 18 || written < -40) return std::nullopt;
        exponent += static_cast<int>(written);
    }
    if (mantissa == 0) return std::nullopt;
    while (mantissa % 10 == 0) {
        mantissa /= 10;
        ++exponent;
    }
    Step step;
    if (exponent >= 0) {
        if (exponent > 18 || __builtin_mul_overflow(mantissa, kPowersOfTen[exponent], &step.p)) return std::nullopt;
        return step;
    }
    if (-exponent > 18) return std::nullopt;
    const std::uint64_t q = kPowersOfTen[-exponent];
    const std::uint64_t g = std::gcd(mantissa, q);
    return Step{mantissa / g, q / g};
}

// The least common multiple of two steps.
std::optional<Step> combine(const Step& a, const Step& b) {
    const std::uint64_t g = std::gcd(a.p, b.p);
    Step result;
    if (__builtin_mul_overflow(a.p / g, b.p, &result.p)) return std::nullopt;
    result.q = std::gcd(a.q, b.q);
    return result;
}

// A step as units * 10^-decimals.
struct DecimalStep {
    std::int64_t units = 1;
    unsigned decimals = 0;
};

std::optional<DecimalStep> decimalStep(const Step& step) {
    for (unsigned n = 0; n <= 18; ++n) {
        if (kPowersOfTen[n] % step.q != 0) continue;
        std::uint64_t units = 0;
        if (__builtin_mul_overflow(step.p, kPowersOfTen[n] / step.q, &units) ||
            units > static_cast<std::uint64_t>(kInt64Max)) {
            return std::nullopt;
        }
        return DecimalStep{static_cast<std::int64_t>(units), n};
    }
    return std::nullopt;
}

std::optional<DecimalStep> combinedStep(const std::vector<Number>& multiples, bool integral) {
    std::optional<Step> step;
    if (integral) step = Step{};
    for (const Number& multiple : multiples) {
        auto next = stepOf(multiple);
        if (!next) return std::nullopt;
        step = step ? combine(*step, *next) : next;
        if (!step) return std::nullopt;
    }
    if (!step) return std::nullopt;
    return decimalStep(*step);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) == (b < 0))) ++q;
    return q;
}

Number decimalValue(std::int64_t factor, const DecimalStep& step) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(factor, step.units, &product)) {
        return Number(static_cast<double>(factor) * static_cast<double>(step.units) /
                      static_cast<double>(kPowersOfTen[step.decimals]));
    }
    if (step.decimals == 0) return Number(product);
    std::string text = fmt::format("{}e-{}", product, step.decimals);
    return Number(text);
}

std::string stepText(const DecimalStep& step) { return decimalValue(1, step).string(); }

// ---- the factory ----

class Builder {
  public:
    Builder(Context& context, const SchemaKey& members)
        : context_(context), members_(members), merged_(merge(members)) {}

    std::unique_ptr<GenBase> build();

  private:
    const Schema* origin() const { return merged_.origin; }
    [[noreturn]] void fail(const std::string& message) const { throw NodeError(origin(), message); }

    std::unique_ptr<GenBase> enumPart();
    std::unique_ptr<GenBase> typePart(SchemaType type);
    std::unique_ptr<GenBase> booleanPart(const std::vector<const jv::JV*>* values);
    std::unique_ptr<GenBase> integerPart();
    std::unique_ptr<GenBase> numberPart();
    std::unique_ptr<GenBase> stringPart();
    std::unique_ptr<GenBase> formatPart();
    std::unique_ptr<RegexPart> regexPart();
    std::unique_ptr<GenBase> arrayPart();
    std::unique_ptr<GenBase> objectPart();

    // The members' schemas for a property name: its declarations, matching pattern properties, and for a member
    // that neither declares nor matches the name, that member's additionalProperties.
    SchemaKey propertyKey(const std::string& name, bool& forbidden);

    Context& context_;
    const SchemaKey& members_;
    Merged merged_;
};

std::unique_ptr<GenBase> Builder::build() {
    if (merged_.typed && merged_.types == 0) {
        fail("Cannot generate a value: the types of the schema and its allOf members have nothing in common");
    }
    std::unique_ptr<GenBase> part;
    if (merged_.enumOwner != nullptr) {
        part = enumPart();
    } else {
        const TypeSet types = merged_.effectiveTypes();
        std::vector<std::unique_ptr<GenBase>> parts;
        // The order in which a type list offers its types.
        for (SchemaType type : {SchemaType::null, SchemaType::boolean, SchemaType::integer, SchemaType::number,
                                SchemaType::string, SchemaType::object, SchemaType::array}) {
            if (types & bit(type)) parts.push_back(typePart(type));
        }
        if (parts.empty()) {
            part = std::make_unique<TruthyPart>(origin());
        } else if (parts.size() == 1) {
            part = std::move(parts.front());
        } else {
            part = std::make_unique<MultiTypePart>(origin(), std::move(parts));
        }
    }
    if (!merged_.excluded.empty()) {
        part = std::make_unique<ExclusionPart>(origin(), std::move(part), merged_.excluded);
    }
    return part;
}

std::unique_ptr<GenBase> Builder::enumPart() {
    const auto& values = merged_.enumOwner->enumValues();
    if (merged_.typed && merged_.types == bit(SchemaType::boolean)) {
        const bool anyBoolean =
            std::any_of(values.begin(), values.end(), [](const auto& value) { return value->isBoolean(); });
        if (!anyBoolean) throw std::runtime_error("Boolean schema with no true or false value");
    }
    std::vector<const jv::JV*> fitting;
    for (const auto& value : values) {
        const bool fits = std::all_of(members_.begin(), members_.end(),
                                      [&](const Member& member) { return accepts(context_, *member.schema, *value); });
        if (fits) fitting.push_back(value.get());
    }
    if (fitting.empty()) fail("Cannot generate a value: no value of the schema's enum satisfies its other keywords");
    if (merged_.typed && merged_.types == bit(SchemaType::boolean)) return booleanPart(&fitting);
    return std::make_unique<EnumPart>(origin(), std::move(fitting));
}

std::unique_ptr<GenBase> Builder::booleanPart(const std::vector<const jv::JV*>* values) {
    bool sawTrue = false;
    bool sawFalse = false;
    if (values != nullptr) {
        for (const jv::JV* value : *values) {
            if (!value->isBoolean()) continue;
            (value->booleanValue() ? sawTrue : sawFalse) = true;
        }
    }
    if (sawFalse && !sawTrue) return std::make_unique<FalsePart>(origin());
    if (sawTrue && !sawFalse) return std::make_unique<TruePart>(origin());
    return std::make_unique<BooleanPart>(origin());
}

std::unique_ptr<GenBase> Builder::typePart(SchemaType type) {
    switch (type) {
        case SchemaType::null:
            return std::make_unique<NullPart>(origin());
        case SchemaType::boolean:
            return booleanPart(nullptr);
        case SchemaType::integer:
            return integerPart();
        case SchemaType::number:
            return numberPart();
        case SchemaType::string:
            return stringPart();
        case SchemaType::object:
            return objectPart();
        case SchemaType::array:
            return arrayPart();
    }
    ZEPHALON_UNREACHABLE("a schema type outside the enumeration");
}

std::unique_ptr<GenBase> Builder::integerPart() {
    const Configuration& config = context_.configuration();
    std::optional<std::int64_t> schemaMin;
    std::optional<std::int64_t> schemaMax;
    if (merged_.minimum) schemaMin = lowestInteger(*merged_.minimum);
    if (merged_.maximum) schemaMax = highestInteger(*merged_.maximum);
    if (merged_.format != nullptr && merged_.format->name() == "int32") {
        schemaMin = std::max<std::int64_t>(schemaMin.value_or(kInt64Min), std::numeric_limits<std::int32_t>::min());
        schemaMax = std::min<std::int64_t>(schemaMax.value_or(kInt64Max), std::numeric_limits<std::int32_t>::max());
    }
    const std::int64_t configMin = lowestInteger(NumericBound{config.minimum(), false});
    const std::int64_t configMax = std::max(configMin, highestInteger(NumericBound{config.maximum(), false}));
    const auto [lo, hi] = blendRange<std::int64_t>(schemaMin, schemaMax, configMin, configMax, kInt64Min, kInt64Max);
    if (lo > hi) fail("Cannot generate an integer within the schema's bounds");

    if (merged_.multiples.empty()) return std::make_unique<IntegerPart>(origin(), lo, hi);
    auto step = combinedStep(merged_.multiples, true);
    if (!step) return std::make_unique<IntegerPart>(origin(), lo, hi);
    std::int64_t minFactor = ceilDiv(lo, step->units);
    std::int64_t maxFactor = floorDiv(hi, step->units);
    if (minFactor > maxFactor) {
        // The configured range holds no multiple: the first one the schema's bounds admit.
        minFactor = ceilDiv(schemaMin.value_or(lo), step->units);
        std::int64_t first = 0;
        if (__builtin_mul_overflow(minFactor, step->units, &first) || first > schemaMax.value_or(kInt64Max)) {
            fail(fmt::format("Cannot generate a multiple of {} within the schema's bounds", stepText(*step)));
        }
        maxFactor = minFactor;
    }
    return std::make_unique<MultipleOfPart>(origin(), minFactor, maxFactor, step->units, 0);
}

std::unique_ptr<GenBase> Builder::numberPart() {
    const Configuration& config = context_.configuration();
    std::optional<double> schemaMin;
    std::optional<double> schemaMax;
    if (merged_.minimum) schemaMin = realOf(merged_.minimum->value);
    if (merged_.maximum) schemaMax = realOf(merged_.maximum->value);
    const double configMin = realOf(config.minimum());
    const double configMax = realOf(config.maximum());
    const auto [lo, hi] = blendRange<double>(schemaMin, schemaMax, configMin, configMax, -kLargestReal, kLargestReal);
    const bool exclusiveMin = merged_.minimum && merged_.minimum->exclusive && schemaMin && lo == *schemaMin;
    const bool exclusiveMax = merged_.maximum && merged_.maximum->exclusive && schemaMax && hi == *schemaMax;
    if (lo > hi || (lo == hi && (exclusiveMin || exclusiveMax))) {
        fail("Cannot generate a number within the schema's bounds");
    }
    auto step = merged_.multiples.empty() ? std::nullopt : combinedStep(merged_.multiples, false);
    if (!step) return std::make_unique<NumberPart>(origin(), lo, hi, exclusiveMin, exclusiveMax);

    // Factors are found in floating point and then corrected on the exact values.
    const long double scale = static_cast<long double>(kPowersOfTen[step->decimals]) / step->units;
    const long double limit = static_cast<long double>(kInt64Max / step->units);
    auto toFactor = [&](long double value) {
        return static_cast<std::int64_t>(std::clamp<long double>(value, -limit, limit));
    };
    std::int64_t minFactor = toFactor(std::ceil(static_cast<long double>(lo) * scale));
    std::int64_t maxFactor = toFactor(std::floor(static_cast<long double>(hi) * scale));
    const Number low = exclusiveMin ? merged_.minimum->value : Number(lo);
    const Number high = exclusiveMax ? merged_.maximum->value : Number(hi);
    auto belowRange = [&](std::int64_t factor) {
        const int order = decimalValue(factor, *step).compare(low);
        return order < 0 || (order == 0 && exclusiveMin);
    };
    auto aboveRange = [&](std::int64_t factor) {
        const int order = decimalValue(factor, *step).compare(high);
        return order > 0 || (order == 0 && exclusiveMax);
    };
    while (minFactor < limit && belowRange(minFactor)) ++minFactor;
    while (maxFactor > -limit && aboveRange(maxFactor)) --maxFactor;
    if (minFactor > maxFactor)
        fail(fmt::format("Cannot generate a multiple of {} within the schema's bounds", stepText(*step)));
    return std::make_unique<MultipleOfPart>(origin(), minFactor, maxFactor, step->units, step->decimals);
}

std::unique_ptr<RegexPart> Builder::regexPart() {
    std::shared_ptr<const RegexGenerator> generator;
    std::vector<const Regex*> others;
    try {
        generator = context_.regexGenerator(merged_.patterns.front());
        for (std::size_t i = 1; i < merged_.patterns.size(); ++i) {
            const Regex* other = context_.regex(merged_.patterns[i]);
            if (other == nullptr) {
                fail(fmt::format("Cannot generate a string for the invalid pattern '{}'", merged_.patterns[i]));
            }
            others.push_back(other);
        }
    } catch (const RegexError& error) {
        fail(error.what());
    }
    return std::make_unique<RegexPart>(origin(), std::move(generator), std::move(others), merged_.minLength,
                                       merged_.maxLength);
}

std::unique_ptr<GenBase> Builder::formatPart() {
    if (merged_.format == nullptr) return nullptr;
    const std::string_view name = merged_.format->name();
    const Configuration& config = context_.configuration();
    auto lengths = [&] {
        return countRange(merged_.minLength, merged_.maxLength, config.minLength(), config.maxLength());
    };
    if (name == "date") return std::make_unique<DatePart>(origin());
    if (name == "date-time") return std::make_unique<DateTimePart>(origin());
    if (name == "time") return std::make_unique<TimePart>(origin());
    if (name == "duration") return std::make_unique<DurationPart>(origin());
    if (name == "email" || name == "idn-email") return std::make_unique<EmailPart>(origin());
    if (name == "hostname" || name == "idn-hostname") return std::make_unique<HostnamePart>(origin());
    if (name == "ipv4") return std::make_unique<IPv4Part>(origin());
    if (name == "ipv6") return std::make_unique<IPv6Part>(origin());
    if (name == "uri" || name == "iri") return std::make_unique<URIPart>(origin());
    if (name == "uri-reference" || name == "iri-reference") return std::make_unique<URIReferencePart>(origin());
    if (name == "uuid") return std::make_unique<UUIDPart>(origin());
    if (name == "byte") {
        auto [min, max] = lengths();
        return std::make_unique<ByteStringPart>(origin(), min, max);
    }
    if (name == "password") {
        auto [min, max] = lengths();
        return std::make_unique<PasswordPart>(origin(), min, max);
    }
    return nullptr;
}

std::unique_ptr<GenBase> Builder::stringPart() {
    std::unique_ptr<GenBase> format = formatPart();
    if (format) {
        if (!merged_.patterns.empty()) {
            std::vector<const Regex*> patterns;
            for (const std::string& pattern : merged_.patterns) {
                if (const Regex* regex = context_.regex(pattern)) patterns.push_back(regex);
            }
            static_cast<FormatPart&>(*format).setPatternCheck(std::move(patterns), regexPart());
        }
        return format;
    }
    if (!merged_.patterns.empty()) return regexPart();
    const Configuration& config = context_.configuration();
    const auto [min, max] = countRange(merged_.minLength, merged_.maxLength, config.minLength(), config.maxLength());
    if (min > max) fail("Cannot generate a string: minLength exceeds maxLength");
    return std::make_unique<StringPart>(origin(), min, max);
}

std::unique_ptr<GenBase> Builder::arrayPart() {
    std::size_t prefixCount = 0;
    for (const Member& member : members_) prefixCount = std::max(prefixCount, member.schema->prefixItems().size());
    std::vector<SchemaKey> prefix(prefixCount);
    SchemaKey items;
    bool itemsAllowed = true;
    for (const Member& member : members_) {
        const Schema& schema = *member.schema;
        const Schema* itemSchema = resolved(schema.itemsNode());
        for (std::size_t i = 0; i < prefixCount; ++i) {
            const Schema* position =
                i < schema.prefixItems().size() ? resolved(schema.prefixItems()[i].get()) : itemSchema;
            if (position != nullptr) addMember(prefix[i], Member{position, 0});
        }
        if (itemSchema == nullptr) continue;
        if (openapi::isFalsy(*itemSchema)) {
            itemsAllowed = false;
        } else {
            addMember(items, Member{itemSchema, 0});
        }
    }
    const Configuration& config = context_.configuration();
    auto [min, max] = countRange(merged_.minItems, merged_.maxItems, config.minItems(), config.maxItems());
    if (!itemsAllowed) max = std::min<std::uint64_t>(max, prefixCount);
    std::optional<SchemaKey> itemsKey;
    if (itemsAllowed) itemsKey = std::move(items);
    return std::make_unique<ArrayPart>(origin(), std::move(prefix), std::move(itemsKey), min, max, merged_.uniqueItems);
}

SchemaKey Builder::propertyKey(const std::string& name, bool& forbidden) {
    SchemaKey key;
    forbidden = false;
    const jv::JV nameValue(name);
    for (const Member& member : members_) {
        const Schema& schema = *member.schema;
        bool covered = false;
        if (const openapi::Node* slot = schema.propertyNode(name)) {
            covered = true;
            if (const Schema* property = resolved(slot)) addMember(key, Member{property, 0});
        }
        for (const auto& [pattern, slot] : schema.patternProperties()) {
            const Regex* regex = context_.regex(pattern);
            if (regex == nullptr || regex->searchOutcome(name) != Regex::Outcome::Match) continue;
            covered = true;
            if (const Schema* property = resolved(slot.get())) addMember(key, Member{property, 0});
        }
        if (!covered) {
            if (const Schema* additional = resolved(schema.additionalPropertiesNode())) {
                addMember(key, Member{additional, 0});
            }
        }
        if (const Schema* names = schema.propertyNames(); names != nullptr && !accepts(context_, *names, nameValue)) {
            forbidden = true;
        }
    }
    for (const Member& member : key) forbidden = forbidden || openapi::isFalsy(*member.schema);
    return key;
}

std::unique_ptr<GenBase> Builder::objectPart() {
    std::map<std::string, bool, std::less<>> names;  // name -> required
    for (const Member& member : members_) {
        for (const auto& entry : member.schema->properties()) names.emplace(entry.first, false);
    }
    for (const Member& member : members_) {
        for (const std::string& name : member.schema->required()) names[name] = true;
    }
    std::vector<ObjectPart::Property> required;
    std::vector<ObjectPart::Property> optional;
    for (const auto& [name, isRequired] : names) {
        bool forbidden = false;
        SchemaKey key = propertyKey(name, forbidden);
        // A required property that no value can fill fails when its part is built, naming its schema.
        if (isRequired) {
            required.push_back(ObjectPart::Property{name, std::move(key), nullptr, {}});
        } else if (!forbidden) {
            optional.push_back(ObjectPart::Property{name, std::move(key), nullptr, {}});
        }
    }
    for (std::size_t i = 0; i < optional.size(); ++i) {
        for (const Member& member : members_) {
            auto found = member.schema->dependentRequired().find(optional[i].name);
            if (found == member.schema->dependentRequired().end()) continue;
            for (const std::string& dependency : found->second) {
                for (std::size_t j = 0; j < optional.size(); ++j) {
                    if (optional[j].name == dependency && j != i) optional[i].dependents.push_back(j);
                }
            }
        }
    }

    const std::uint64_t requiredCount = required.size();
    const std::uint64_t optionalCount = optional.size();
    std::uint64_t minOptional = optionalCount;
    std::uint64_t maxOptional = optionalCount;
    if (merged_.minProperties || merged_.maxProperties) {
        const std::uint64_t least = merged_.minProperties.value_or(0);
        minOptional = least > requiredCount ? std::min(least - requiredCount, optionalCount) : 0;
        if (merged_.maxProperties) {
            const std::uint64_t most = *merged_.maxProperties;
            maxOptional = most > requiredCount ? std::min(most - requiredCount, optionalCount) : 0;
        }
        minOptional = std::min(minOptional, maxOptional);
    }

    // minProperties beyond what the schema declares: members that additionalProperties or pattern properties
    // allow, under names that no declaration takes.
    const std::uint64_t least = merged_.minProperties.value_or(0);
    std::uint64_t extra = least > requiredCount + optionalCount ? least - requiredCount - optionalCount : 0;
    extra = std::min(extra, kMaxExtraProperties);
    auto addExtra = [&](std::string name) {
        if (names.contains(name)) return false;
        bool forbidden = false;
        SchemaKey key = propertyKey(name, forbidden);
        if (forbidden) return false;
        names.emplace(name, true);
        required.push_back(ObjectPart::Property{std::move(name), std::move(key), nullptr, {}});
        --extra;
        return true;
    };
    for (std::uint64_t n = 1; extra > 0 && n <= kMaxExtraProperties * 2; ++n) {
        if (addExtra(fmt::format("key{}", n))) continue;
        // Plain names are refused: a name that a pattern property admits. Its own engine keeps the names apart
        // from the sample's draws.
        RNG nameDraws(n);
        bool added = false;
        for (const Member& member : members_) {
            for (const auto& entry : member.schema->patternProperties()) {
                std::shared_ptr<const RegexGenerator> generator;
                try {
                    generator = context_.regexGenerator(entry.first);
                } catch (const RegexError&) {
                    continue;
                }
                auto name = generator->candidate(nameDraws, 8);
                if (name && generator->regex().search(*name) && addExtra(*name)) {
                    added = true;
                    break;
                }
            }
            if (added) break;
        }
    }
    return std::make_unique<ObjectPart>(origin(), std::move(required), std::move(optional), minOptional, maxOptional);
}

// Whether a branch of a choice can be generated at all: no member rejects everything and the types meet.
bool viable(const SchemaKey& key) {
    const SchemaKey members = flatten(key);
    TypeSet types = kAllTypes;
    for (const Member& member : members) {
        if (openapi::isFalsy(*member.schema)) return false;
        if (member.schema->typeCount() > 0) types = intersect(types, declaredTypes(*member.schema));
    }
    return types != 0;
}

std::unique_ptr<GenBase> choicePart(const SchemaKey& members, std::size_t index, std::uint8_t resolvedFlag) {
    const Schema& owner = *members[index].schema;
    const bool exclusive = resolvedFlag == Member::kOneOf;
    const openapi::NodeList& list = exclusive ? owner.oneOf() : owner.anyOf();
    std::vector<SchemaKey> branches;
    std::vector<const Schema*> branchSchemas;
    for (const auto& slot : list) {
        const Schema* branch = resolved(slot.get());
        if (branch == nullptr) continue;
        SchemaKey key = members;
        key[index].resolved |= resolvedFlag;
        addMember(key, Member{branch, 0});
        if (!viable(key)) continue;
        branches.push_back(std::move(key));
        branchSchemas.push_back(branch);
    }
    if (branches.empty()) {
        throw NodeError(&owner, fmt::format("Cannot generate a value: no branch of the schema's {} can be satisfied",
                                            exclusive ? "oneOf" : "anyOf"));
    }
    return std::make_unique<ChoicePart>(members.front().schema, std::move(branches), std::move(branchSchemas),
                                        exclusive);
}

}  // namespace

std::unique_ptr<GenBase> GenFactory::build(const SchemaKey& key) {
    if (key.empty()) return std::make_unique<TruthyPart>(nullptr);
    try {
        return buildMembers(flatten(key));
    } catch (const NodeError& error) {
        if (error.node() == nullptr) throw NodeError(key.front().schema, error.what());
        throw;
    }
}

std::unique_ptr<GenBase> GenFactory::buildMembers(const SchemaKey& members) {
    for (const Member& member : members) {
        if (openapi::isFalsy(*member.schema)) {
            throw NodeError(member.schema, "Cannot generate a JV object for a falsy schema");
        }
    }
    for (std::size_t i = 0; i < members.size(); ++i) {
        const Schema& schema = *members[i].schema;
        if (!(members[i].resolved & Member::kOneOf) && !schema.oneOf().empty()) {
            return choicePart(members, i, Member::kOneOf);
        }
        if (!(members[i].resolved & Member::kAnyOf) && !schema.anyOf().empty()) {
            return choicePart(members, i, Member::kAnyOf);
        }
    }
    return Builder(context_, members).build();
}

}  // namespace zephalon::jv_generator
