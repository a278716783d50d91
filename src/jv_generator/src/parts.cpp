#include "parts.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "acceptor.h"
#include "faker.h"
#include "zephalon/foundation/base64.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/node_error.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::jv_generator {
namespace {

// Candidates tried for a pattern before giving up. The spread of open-ended repetitions varies between attempts,
// so that length bounds on either side are met.
constexpr int kPatternAttempts = 48;
constexpr std::uint32_t kSpreads[] = {8, 2, 16, 1, 32, 0, 64, 4, 128, 256, 512, 1024};

std::string decimalText(std::int64_t units, unsigned decimals) {
    const bool negative = units < 0;
    // The magnitude of the most negative value does not fit a signed integer.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    std::string digits = std::to_string(magnitude);
    if (decimals > 0) {
        if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
        digits.insert(digits.size() - decimals, 1, '.');
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    if (negative && digits != "0") digits.insert(0, 1, '-');
    return digits;
}

}  // namespace

void BooleanPart::generate(Context& context, jv::JV& value) const {
    value.setBoolean(context.random().next() % 2 == 0);
}

IntegerPart::IntegerPart(const openapi::Schema* schema, std::int64_t min, std::int64_t max)
    : GenBase(schema), min_(min), max_(max) {}

void IntegerPart::generate(Context& context, jv::JV& value) const {
    value.setNumericValue(context.random().uniformSigned(min_, max_));
}

NumberPart::NumberPart(const openapi::Schema* schema, double min, double max, bool exclusiveMin, bool exclusiveMax)
    : GenBase(schema), min_(min), max_(max), exclusiveMin_(exclusiveMin), exclusiveMax_(exclusiveMax) {}

void NumberPart::generate(Context& context, jv::JV& value) const {
    double x = context.random().canonical() * (max_ - min_) + min_;
    // Rounding may land on or beyond a bound.
    x = std::clamp(x, min_, max_);
    if (exclusiveMin_ && x <= min_) x = std::nextafter(min_, max_);
    if (exclusiveMax_ && x >= max_) x = std::nextafter(max_, min_);
    value.setNumericValue(x);
}

MultipleOfPart::MultipleOfPart(const openapi::Schema* schema, std::int64_t minFactor, std::int64_t maxFactor,
                               std::int64_t units, unsigned decimals)
    : GenBase(schema), minFactor_(minFactor), maxFactor_(maxFactor), units_(units), decimals_(decimals) {}

void MultipleOfPart::generate(Context& context, jv::JV& value) const {
    const std::int64_t factor = context.random().uniformSigned(minFactor_, maxFactor_);
    // The factory keeps the factors small enough for the product.
    const std::int64_t product = factor * units_;
    if (decimals_ == 0) {
        value.setNumericValue(product);
    } else {
        value.setNumericValue(number::Number(decimalText(product, decimals_)));
    }
}

StringPart::StringPart(const openapi::Schema* schema, std::uint64_t min, std::uint64_t max)
    : GenBase(schema), min_(min), max_(max) {}

void StringPart::generate(Context& context, jv::JV& value) const {
    const std::uint64_t length = context.random().uniform(min_, max_);
    std::string& text = context.scratch();
    text.clear();
    faker::appendAlpha(context.random(), length, text);
    value.setString(text);
}

RegexPart::RegexPart(const openapi::Schema* schema, std::shared_ptr<const RegexGenerator> generator,
                     std::vector<const Regex*> otherPatterns, std::optional<std::uint64_t> minLength,
                     std::optional<std::uint64_t> maxLength)
    : GenBase(schema),
      generator_(std::move(generator)),
      otherPatterns_(std::move(otherPatterns)),
      minLength_(minLength),
      maxLength_(maxLength) {}

bool RegexPart::fits(const std::string& text) const {
    if (minLength_ || maxLength_) {
        const std::size_t length = utf8Length(text);
        if (minLength_ && length < *minLength_) return false;
        if (maxLength_ && length > *maxLength_) return false;
    }
    if (generator_->regex().searchOutcome(text) != Regex::Outcome::Match) return false;
    return std::all_of(otherPatterns_.begin(), otherPatterns_.end(),
                       [&](const Regex* other) { return other->searchOutcome(text) == Regex::Outcome::Match; });
}

void RegexPart::generate(Context& context, jv::JV& value) const {
    // With length bounds, three attempts in four let open repetitions reach about the bound.
    const std::uint64_t hint = maxLength_ ? *maxLength_ : (minLength_ ? *minLength_ * 2 : 0);
    for (int attempt = 0; attempt < kPatternAttempts; ++attempt) {
        std::uint64_t spread = kSpreads[static_cast<std::size_t>(attempt) % std::size(kSpreads)];
        if (hint > 0 && attempt % 4 != 3) spread = hint;
        spread = std::min<std::uint64_t>(spread, RegexGenerator::maxCandidateBytes);
        std::string& candidate = context.scratch();
        if (generator_->candidate(context.random(), static_cast<std::uint32_t>(spread), candidate) && fits(candidate)) {
            value.setString(candidate);
            return;
        }
    }
    throw openapi::NodeError(
        schema(), fmt::format("Cannot generate a string that matches the pattern '{}'", generator_->pattern()));
}

void FormatPart::setPatternCheck(std::vector<const Regex*> patterns, std::unique_ptr<RegexPart> fallback) {
    patterns_ = std::move(patterns);
    fallback_ = std::move(fallback);
}

void FormatPart::generate(Context& context, jv::JV& value) const {
    std::string made = text(context);
    const bool matches = std::all_of(patterns_.begin(), patterns_.end(), [&](const Regex* pattern) {
        return pattern->searchOutcome(made) == Regex::Outcome::Match;
    });
    if (!matches && fallback_) {
        fallback_->generate(context, value);
        return;
    }
    value.setString(made);
}

std::string DateTimePart::draw(Context& context) {
    return context.random().next() % 2 == 1 ? faker::pastDateTime(context.random())
                                            : faker::futureDateTime(context.random());
}

std::string DatePart::text(Context& context) const {
    std::string dateTime = DateTimePart::draw(context);
    return dateTime.substr(0, dateTime.find('T'));
}

std::string TimePart::text(Context& context) const {
    std::string dateTime = DateTimePart::draw(context);
    return dateTime.substr(dateTime.find('T') + 1);
}

std::string DurationPart::text(Context& context) const { return context.random().next() % 2 == 1 ? "P10D" : "PT10H"; }

std::string EmailPart::text(Context& context) const { return faker::email(context.random()); }

std::string HostnamePart::text(Context& context) const { return faker::domainName(context.random()); }

std::string IPv4Part::text(Context& context) const { return faker::ipv4(context.random()); }

std::string IPv6Part::text(Context& context) const { return faker::ipv6(context.random()); }

std::string URIPart::text(Context& context) const { return faker::url(context.random()); }

std::string URIReferencePart::text(Context& context) const {
    if (context.random().next() % 2 == 1) return faker::url(context.random());
    std::string first = faker::word(context.random());
    return fmt::format("/{}/{}", first, faker::word(context.random()));
}

std::string UUIDPart::text(Context& context) const { return faker::uuid(context.random()); }

ByteStringPart::ByteStringPart(const openapi::Schema* schema, std::uint64_t minLength, std::uint64_t maxLength)
    : FormatPart(schema), minGroups_((minLength + 3) / 4), maxGroups_(std::max(maxLength / 4, (minLength + 3) / 4)) {}

std::string ByteStringPart::text(Context& context) const {
    const std::uint64_t groups = context.random().uniform(minGroups_, maxGroups_);
    std::string bytes;
    bytes.reserve(groups * 3);
    for (std::uint64_t i = 0; i < groups * 3; ++i) bytes.push_back(static_cast<char>(context.random().uniform(0, 255)));
    return encodeBase64(bytes);
}

PasswordPart::PasswordPart(const openapi::Schema* schema, std::uint64_t minLength, std::uint64_t maxLength)
    : FormatPart(schema), min_(minLength), max_(maxLength) {}

std::string PasswordPart::text(Context& context) const {
    static constexpr std::string_view kCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&*+-=?@^_";
    const std::uint64_t length = context.random().uniform(min_, max_);
    std::string text;
    text.reserve(length);
    for (std::uint64_t i = 0; i < length; ++i) {
        text.push_back(kCharacters[context.random().uniform(0, kCharacters.size() - 1)]);
    }
    return text;
}

EnumPart::EnumPart(const openapi::Schema* schema, std::vector<const jv::JV*> values)
    : GenBase(schema), values_(std::move(values)) {
    std::vector<double> weights(values_.size(), 1.0);
    cumulative_ = RNG::cumulativeWeights(weights);
}

void EnumPart::generate(Context& context, jv::JV& value) const {
    values_[context.random().pick(cumulative_)]->cloneTo(value);
}

ArrayPart::ArrayPart(const openapi::Schema* schema, std::vector<SchemaKey> prefix, std::optional<SchemaKey> items,
                     std::uint64_t min, std::uint64_t max, bool unique)
    : GenBase(schema),
      prefixKeys_(std::move(prefix)),
      itemsKey_(std::move(items)),
      min_(min),
      max_(max),
      unique_(unique) {
    if (min_ > max_) throw openapi::NodeError(schema, "Size range must be ordered");
}

void ArrayPart::link(Context& context) {
    for (const SchemaKey& key : prefixKeys_) prefix_.push_back(context.part(key));
    if (itemsKey_) items_ = context.part(*itemsKey_);
}

const GenBase& ArrayPart::itemPart(std::size_t index) const {
    return index < prefix_.size() ? *prefix_[index] : *items_;
}

std::uint32_t ArrayPart::computeDepth() const {
    std::uint32_t depth = 0;
    for (std::uint64_t i = 0; i < min_; ++i) {
        depth = std::max(depth, deeper(itemPart(i).depthEstimate()));
        // Every position past the prefix has the same part.
        if (i >= prefix_.size()) break;
    }
    return depth;
}

void ArrayPart::generate(Context& context, jv::JV& value) const {
    // A value drawn again (for a distinct item, another branch) must not keep anything of the earlier draw.
    value.clear();
    value.setArray();
    // Items that could only be infinite are left out beyond the minimum.
    const bool endless = items_ != nullptr && items_->depthEstimate() == kUnboundedDepth;
    const std::uint64_t count = context.relaxed() || endless ? min_ : context.random().uniform(min_, max_);
    // Distinct items may take more than one draw each; the budget bounds the search.
    std::uint64_t budget = unique_ ? count * 4 + kRedraws : count;
    while (value.size() < count && budget > 0) {
        --budget;
        const std::size_t index = value.size();
        jv::JV* item = value.addNull();
        context.generateNested(itemPart(index), *item);
        if (!unique_) continue;
        for (std::size_t j = 0; j < index; ++j) {
            if (value.at(j)->equal(*item)) {
                value.removeAt(index);
                break;
            }
        }
    }
    if (value.size() < min_) {
        throw openapi::NodeError(schema(), "Cannot generate enough distinct items for the schema");
    }
}

ObjectPart::ObjectPart(const openapi::Schema* schema, std::vector<Property> required, std::vector<Property> optional,
                       std::uint64_t minOptional, std::uint64_t maxOptional)
    : GenBase(schema),
      required_(std::move(required)),
      optional_(std::move(optional)),
      minOptional_(minOptional),
      maxOptional_(maxOptional),
      hasDependents_(std::any_of(optional_.begin(), optional_.end(),
                                 [](const Property& property) { return !property.dependents.empty(); })) {
    if (minOptional_ > maxOptional_) {
        throw openapi::NodeError(schema,
                                 "Min optional prop count must be less than or equal to max optional prop count");
    }
    if (maxOptional_ > optional_.size()) {
        throw openapi::NodeError(schema,
                                 "Max optional prop count must be less than or equal to the number of optional props");
    }
}

void ObjectPart::link(Context& context) {
    for (Property& property : required_) property.part = context.part(property.key);
    for (Property& property : optional_) property.part = context.part(property.key);
}

std::uint32_t ObjectPart::computeDepth() const {
    std::uint32_t depth = 0;
    for (const Property& property : required_) depth = std::max(depth, deeper(property.part->depthEstimate()));
    if (minOptional_ > 0) {
        std::vector<std::uint32_t> estimates;
        for (const Property& property : optional_) estimates.push_back(property.part->depthEstimate());
        std::sort(estimates.begin(), estimates.end());
        depth = std::max(depth, deeper(estimates[minOptional_ - 1]));
    }
    return depth;
}

std::vector<bool> ObjectPart::select(Context& context, const std::vector<std::size_t>& candidates,
                                     std::uint64_t wanted) const {
    // Selection sampling: each candidate in turn is taken with the probability that leaves the rest a fair chance,
    // which keeps the declared order.
    std::vector<bool> chosen(optional_.size(), false);
    std::size_t remaining = candidates.size();
    for (std::size_t i = 0; i < candidates.size() && wanted > 0; ++i, --remaining) {
        if (context.random().uniform(0, remaining - 1) < wanted) {
            chosen[candidates[i]] = true;
            --wanted;
        }
    }
    if (!hasDependents_) return chosen;
    for (std::size_t i = 0; i < optional_.size(); ++i) {
        if (!chosen[i]) continue;
        for (std::size_t dependent : optional_[i].dependents) chosen[dependent] = true;
    }
    return chosen;
}

void ObjectPart::generate(Context& context, jv::JV& value) const {
    // A value drawn again (for a distinct item, another branch) must not keep anything of the earlier draw.
    value.clear();
    value.setObject();
    for (const Property& property : required_) {
        context.generateNested(*property.part, *value.setNullProperty(property.name));
    }
    // A property whose every value would be infinite is never chosen.
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < optional_.size(); ++i) {
        if (optional_[i].part->depthEstimate() != kUnboundedDepth) candidates.push_back(i);
    }
    const std::uint64_t most = std::min<std::uint64_t>(maxOptional_, candidates.size());
    const std::uint64_t least = std::min(minOptional_, most);
    const std::uint64_t wanted = context.relaxed() ? least : context.random().uniform(least, most);
    std::vector<bool> chosen = select(context, candidates, wanted);
    // Properties that others bring along may exceed the maximum; another selection usually does not.
    for (int redraw = 0;
         redraw<kRedraws&& static_cast<std::uint64_t>(std::count(chosen.begin(), chosen.end(), true))> most; ++redraw) {
        chosen = select(context, candidates, wanted);
    }
    for (std::size_t i = 0; i < optional_.size(); ++i) {
        if (!chosen[i]) continue;
        context.generateNested(*optional_[i].part, *value.setNullProperty(optional_[i].name));
    }
}

MultiTypePart::MultiTypePart(const openapi::Schema* schema, std::vector<std::unique_ptr<GenBase>> parts)
    : GenBase(schema), parts_(std::move(parts)) {}

void MultiTypePart::link(Context& context) {
    for (auto& part : parts_) part->link(context);
}

std::uint32_t MultiTypePart::computeDepth() const {
    std::uint32_t depth = kUnboundedDepth;
    for (const auto& part : parts_) depth = std::min(depth, part->computeDepth());
    return depth;
}

void MultiTypePart::generate(Context& context, jv::JV& value) const {
    // Parts whose every value is infinite are never chosen; without a draw, the part that ends soonest.
    std::size_t finite = 0;
    const GenBase* soonest = parts_.front().get();
    std::uint32_t least = kUnboundedDepth;
    for (const auto& part : parts_) {
        const std::uint32_t depth = part->computeDepth();
        if (depth != kUnboundedDepth) ++finite;
        if (depth < least) {
            least = depth;
            soonest = part.get();
        }
    }
    if (context.relaxed() || finite == 0) {
        soonest->generate(context, value);
        return;
    }
    std::size_t pick = context.random().pickIndex(finite);
    for (const auto& part : parts_) {
        if (part->computeDepth() == kUnboundedDepth) continue;
        if (pick-- == 0) {
            part->generate(context, value);
            return;
        }
    }
}

ChoicePart::ChoicePart(const openapi::Schema* schema, std::vector<SchemaKey> branches,
                       std::vector<const openapi::Schema*> branchSchemas, bool exclusive)
    : GenBase(schema), keys_(std::move(branches)), branchSchemas_(std::move(branchSchemas)), exclusive_(exclusive) {}

void ChoicePart::link(Context& context) {
    for (const SchemaKey& key : keys_) branches_.push_back(context.part(key));
}

std::uint32_t ChoicePart::computeDepth() const {
    std::uint32_t depth = kUnboundedDepth;
    for (const GenBase* branch : branches_) depth = std::min(depth, branch->depthEstimate());
    return depth;
}

std::size_t ChoicePart::choose(Context& context) const {
    std::size_t finite = 0;
    std::size_t soonest = 0;
    for (std::size_t i = 0; i < branches_.size(); ++i) {
        if (branches_[i]->depthEstimate() != kUnboundedDepth) ++finite;
        if (branches_[i]->depthEstimate() < branches_[soonest]->depthEstimate()) soonest = i;
    }
    if (context.relaxed() || finite == 0) return soonest;
    std::size_t pick = context.random().pickIndex(finite);
    for (std::size_t i = 0; i < branches_.size(); ++i) {
        if (branches_[i]->depthEstimate() != kUnboundedDepth && pick-- == 0) return i;
    }
    return soonest;
}

bool ChoicePart::acceptedByAnother(Context& context, std::size_t branch, const jv::JV& value) const {
    for (std::size_t i = 0; i < branchSchemas_.size(); ++i) {
        if (i != branch && branchSchemas_[i] != nullptr && accepts(context, *branchSchemas_[i], value)) return true;
    }
    return false;
}

void ChoicePart::generate(Context& context, jv::JV& value) const {
    std::size_t branch = choose(context);
    branches_[branch]->generate(context, value);
    if (!exclusive_ || context.relaxed()) return;
    for (int redraw = 0; redraw < kRedraws && acceptedByAnother(context, branch, value); ++redraw) {
        branch = choose(context);
        branches_[branch]->generate(context, value);
    }
}

ExclusionPart::ExclusionPart(const openapi::Schema* schema, std::unique_ptr<GenBase> inner,
                             std::vector<const openapi::Schema*> excluded)
    : GenBase(schema), inner_(std::move(inner)), excluded_(std::move(excluded)) {}

void ExclusionPart::generate(Context& context, jv::JV& value) const {
    for (int attempt = 0; attempt < kRedraws; ++attempt) {
        inner_->generate(context, value);
        const bool excluded = std::any_of(excluded_.begin(), excluded_.end(), [&](const openapi::Schema* schema) {
            return accepts(context, *schema, value);
        });
        if (!excluded) return;
    }
    throw openapi::NodeError(schema(), "Cannot generate a value that the schema's 'not' rejects");
}

}  // namespace zephalon::jv_generator
