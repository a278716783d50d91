#include "zephalon/openapi/schema.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "slots.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/schema_format.h"

namespace zephalon::openapi {

// --- Discriminator ---

void Discriminator::setMapping(std::string_view value, std::string ref) {
    mapping_.insert_or_assign(std::string(value), std::move(ref));
}

void Discriminator::removeMapping(std::string_view value) {
    if (auto it = mapping_.find(value); it != mapping_.end()) {
        mapping_.erase(it);
    }
}

// --- version guards ---

void assertIs30(const Node& node) {
    const auto* document = nodeCast<OpenAPI>(node.root());
    if (document != nullptr && !document->is30()) {
        throw std::runtime_error("This operation is only supported in OpenAPI 3.0");
    }
}

void assertIs31(const Node& node) {
    const auto* document = nodeCast<OpenAPI>(node.root());
    if (document != nullptr && !document->is31()) {
        throw std::runtime_error("This operation is only supported in OpenAPI 3.1");
    }
}

const SchemaDialect* effectiveDialect(const Schema& schema) {
    for (const Node* node = &schema; node != nullptr; node = node->parent()) {
        if (const auto* enclosing = nodeCast<Schema>(node); enclosing != nullptr && enclosing->dialect() != nullptr) {
            return enclosing->dialect();
        }
    }
    const auto* document = nodeCast<OpenAPI>(schema.root());
    if (document == nullptr || !document->jsonSchemaDialect()) return nullptr;
    static const SchemaDialectRegistry known;
    return known.get(*document->jsonSchemaDialect());
}

bool usesExclusiveFlags(const Schema& schema) {
    const auto* document = nodeCast<OpenAPI>(schema.root());
    if (document == nullptr || document->is30()) return true;
    return effectiveDialect(schema) == &SchemaDialect::Draft4;
}

// --- Schema ---

Schema::Schema(Node* parent) : Node(parent, NodeType::Schema) {}

Schema::Schema(Node* parent, SchemaType type) : Schema(parent) { addType(type); }

Schema::~Schema() = default;

const Schema::RareSubschemas Schema::kNoRareSubschemas;

Schema::RareSubschemas& Schema::rare() {
    if (!rare_) rare_ = std::make_unique<RareSubschemas>();
    return *rare_;
}

jv::JV* Schema::setDefaultValue(const jv::JV* value) {
    default_ = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    return default_.get();
}

void Schema::removeDefaultValue() { detail::resetOwned(default_); }

// Types: a count in the low four bits, then four bits per type.

std::size_t Schema::typeCount() const { return types_ & 0xFU; }

SchemaType Schema::typeAt(std::size_t index) const {
    if (index >= typeCount()) {
        throw std::out_of_range("Schema type index out of range");
    }
    return static_cast<SchemaType>((types_ >> (4 * (index + 1))) & 0xFU);
}

std::vector<SchemaType> Schema::types() const {
    std::vector<SchemaType> result;
    for (std::size_t i = 0; i < typeCount(); ++i) {
        result.push_back(typeAt(i));
    }
    return result;
}

bool Schema::hasType(SchemaType type) const {
    for (std::size_t i = 0; i < typeCount(); ++i) {
        if (typeAt(i) == type) {
            return true;
        }
    }
    return false;
}

void Schema::addType(SchemaType type) {
    if (hasType(type) || static_cast<std::size_t>(type) >= schemaTypeCount) {
        return;
    }
    std::size_t count = typeCount();
    types_ |= static_cast<std::uint32_t>(type) << (4 * (count + 1));
    types_ = (types_ & ~0xFU) | static_cast<std::uint32_t>(count + 1);
}

void Schema::addType(std::string_view name) { addType(schemaTypeFromString(name)); }

void Schema::removeTypeAt(std::size_t index) {
    std::vector<SchemaType> remaining = types();
    if (index >= remaining.size()) {
        return;
    }
    remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(index));
    types_ = 0;
    for (SchemaType type : remaining) {
        addType(type);
    }
}

void Schema::removeType(SchemaType type) {
    for (std::size_t i = 0; i < typeCount(); ++i) {
        if (typeAt(i) == type) {
            removeTypeAt(i);
            return;
        }
    }
}

// Enum.

void Schema::addEnum(const jv::JV& value) { enum_.push_back(value.clone()); }
void Schema::addEnum(const char* value) { enum_.push_back(std::make_unique<jv::JV>(std::string_view(value))); }
void Schema::addEnum(std::string value) { enum_.push_back(std::make_unique<jv::JV>(value)); }
void Schema::addEnum(bool value) { enum_.push_back(std::make_unique<jv::JV>(value)); }
void Schema::addEnum(int value) { enum_.push_back(std::make_unique<jv::JV>(value)); }
void Schema::addEnum(std::int64_t value) { enum_.push_back(std::make_unique<jv::JV>(value)); }
void Schema::addEnum(std::uint64_t value) { enum_.push_back(std::make_unique<jv::JV>(value)); }
void Schema::addEnum(double value) { enum_.push_back(std::make_unique<jv::JV>(value)); }
void Schema::addEnum(std::nullptr_t) { enum_.push_back(std::make_unique<jv::JV>()); }

bool Schema::hasEnumValue(const jv::JV& value) const {
    return std::any_of(enum_.begin(), enum_.end(), [&](const auto& entry) { return entry->equal(value); });
}

void Schema::removeEnum(std::size_t index) { detail::removeItemAt(enum_, index); }

void Schema::clearEnums() {
    enum_.clear();
    isConst_ = false;
}

// Numbers.

template <class T>
void Schema::setNumber(std::optional<number::Number>& field, T value) {
    field = number::Number(value);
}

void Schema::setMultipleOf(int value) { setNumber(multipleOf_, static_cast<std::int64_t>(value)); }
void Schema::setMultipleOf(std::int64_t value) { setNumber(multipleOf_, value); }
void Schema::setMultipleOf(double value) { setNumber(multipleOf_, value); }
void Schema::setMultipleOf(const number::Number& value) { multipleOf_ = value; }

void Schema::setMaximum(int value) { setNumber(maximum_, static_cast<std::int64_t>(value)); }
void Schema::setMaximum(std::int64_t value) { setNumber(maximum_, value); }
void Schema::setMaximum(double value) { setNumber(maximum_, value); }
void Schema::setMaximum(const number::Number& value) { maximum_ = value; }

void Schema::setMinimum(int value) { setNumber(minimum_, static_cast<std::int64_t>(value)); }
void Schema::setMinimum(std::int64_t value) { setNumber(minimum_, value); }
void Schema::setMinimum(double value) { setNumber(minimum_, value); }
void Schema::setMinimum(const number::Number& value) { minimum_ = value; }

void Schema::setExclusiveMaximum(bool exclusive) {
    if (!usesExclusiveFlags(*this)) throw std::runtime_error("This operation is only supported in OpenAPI 3.0");
    exclusiveMaximum_ = exclusive;
}

void Schema::setExclusiveMaximum(int value) { setExclusiveMaximum(number::Number(static_cast<std::int64_t>(value))); }
void Schema::setExclusiveMaximum(std::int64_t value) { setExclusiveMaximum(number::Number(value)); }
void Schema::setExclusiveMaximum(double value) { setExclusiveMaximum(number::Number(value)); }

void Schema::setExclusiveMaximum(const number::Number& value) {
    assertIs31(*this);
    exclusiveMaximum_ = value;
}

void Schema::setExclusiveMinimum(bool exclusive) {
    if (!usesExclusiveFlags(*this)) throw std::runtime_error("This operation is only supported in OpenAPI 3.0");
    exclusiveMinimum_ = exclusive;
}

void Schema::setExclusiveMinimum(int value) { setExclusiveMinimum(number::Number(static_cast<std::int64_t>(value))); }
void Schema::setExclusiveMinimum(std::int64_t value) { setExclusiveMinimum(number::Number(value)); }
void Schema::setExclusiveMinimum(double value) { setExclusiveMinimum(number::Number(value)); }

void Schema::setExclusiveMinimum(const number::Number& value) {
    assertIs31(*this);
    exclusiveMinimum_ = value;
}

namespace {

// `sign` is 1 for a lower bound (a larger value is stricter) and -1 for an upper bound.
std::optional<NumericBound> effectiveBound(const std::optional<number::Number>& inclusive,
                                           const ExclusiveBound& exclusive, int sign) {
    std::optional<NumericBound> bound;
    if (inclusive) {
        bound = NumericBound{*inclusive, false};
    }
    if (const bool* flag = std::get_if<bool>(&exclusive)) {
        if (bound && *flag) {
            bound->exclusive = true;
        }
    } else if (const auto* value = std::get_if<number::Number>(&exclusive)) {
        // At equal values the exclusive bound is the stricter one.
        if (!bound || value->compare(bound->value) * sign >= 0) {
            bound = NumericBound{*value, true};
        }
    }
    return bound;
}

}  // namespace

std::optional<NumericBound> Schema::effectiveMinimum() const { return effectiveBound(minimum_, exclusiveMinimum_, 1); }

std::optional<NumericBound> Schema::effectiveMaximum() const { return effectiveBound(maximum_, exclusiveMaximum_, -1); }

// Boolean slots.

Schema* Schema::setUnevaluatedItems(bool allowed) {
    Schema* schema = setUnevaluatedItems();
    if (!allowed) {
        schema->setNot();
    }
    return schema;
}

Schema* Schema::setAdditionalProperties(bool allowed) {
    Schema* schema = setAdditionalProperties();
    if (!allowed) {
        schema->setNot();
    }
    return schema;
}

Schema* Schema::setUnevaluatedProperties(bool allowed) {
    Schema* schema = setUnevaluatedProperties();
    if (!allowed) {
        schema->setNot();
    }
    return schema;
}

void Schema::removeRequired(std::string_view name) {
    if (auto it = required_.find(name); it != required_.end()) {
        required_.erase(it);
    }
}

// Dependent required.

void Schema::addDependentRequired(std::string_view property, std::string_view dependency) {
    auto it = dependentRequired_.find(property);
    if (it == dependentRequired_.end()) {
        it = dependentRequired_.emplace(std::string(property), std::vector<std::string>{}).first;
    }
    if (std::find(it->second.begin(), it->second.end(), dependency) == it->second.end()) {
        it->second.emplace_back(dependency);
    }
}

bool Schema::isDependentRequired(std::string_view property, std::string_view dependency) const {
    auto it = dependentRequired_.find(property);
    return it != dependentRequired_.end() &&
           std::find(it->second.begin(), it->second.end(), dependency) != it->second.end();
}

std::size_t Schema::dependentRequiredCount(std::string_view property) const {
    auto it = dependentRequired_.find(property);
    return it == dependentRequired_.end() ? 0 : it->second.size();
}

void Schema::removeDependentRequired(std::string_view property, std::string_view dependency) {
    if (auto it = dependentRequired_.find(property); it != dependentRequired_.end()) {
        auto& names = it->second;
        names.erase(std::remove(names.begin(), names.end(), dependency), names.end());
        if (names.empty()) {
            dependentRequired_.erase(it);
        }
    }
}

void Schema::clearDependentRequired(std::string_view property) {
    if (auto it = dependentRequired_.find(property); it != dependentRequired_.end()) {
        dependentRequired_.erase(it);
    }
}

// Examples.

jv::JV* Schema::setExampleValue(const jv::JV* value) {
    exampleValue_ = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    return exampleValue_.get();
}

void Schema::removeExampleValue() { detail::resetOwned(exampleValue_); }

jv::JV* Schema::example(std::string_view name) const {
    auto it = examples_.find(name);
    return it == examples_.end() ? nullptr : it->second.get();
}

jv::JV* Schema::addExample(std::string_view name) {
    exampleList_.clear();
    if (auto it = examples_.find(name); it != examples_.end()) {
        return it->second.get();
    }
    return examples_.emplace(std::string(name), std::make_unique<jv::JV>()).first->second.get();
}

jv::JV* Schema::setExample(std::string_view name, const jv::JV* value) {
    auto copy = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    jv::JV* raw = copy.get();
    exampleList_.clear();
    if (auto it = examples_.find(name); it != examples_.end()) {
        it->second = std::move(copy);
    } else {
        examples_.emplace(std::string(name), std::move(copy));
    }
    return raw;
}

void Schema::removeExample(std::string_view name) {
    if (auto it = examples_.find(name); it != examples_.end()) {
        examples_.erase(it);
    }
}

jv::JV* Schema::addListExample(const jv::JV* value) {
    auto copy = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    examples_.clear();
    exampleList_.push_back(std::move(copy));
    return exampleList_.back().get();
}

void Schema::removeListExampleAt(std::size_t index) { detail::removeItemAt(exampleList_, index); }

void Schema::clearExamples() {
    examples_.clear();
    exampleList_.clear();
}

// Attached objects.

Discriminator* Schema::setDiscriminator(std::string propertyName) {
    auto discriminator = std::make_unique<Discriminator>(this, std::move(propertyName));
    std::unique_ptr<Discriminator> old = std::exchange(discriminator_, std::move(discriminator));
    return discriminator_.get();
}

void Schema::removeDiscriminator() { detail::resetOwned(discriminator_); }

XML* Schema::setXml() {
    if (!xml_) {
        xml_ = std::make_unique<XML>(this);
    }
    return xml_.get();
}

void Schema::removeXml() { detail::resetOwned(xml_); }

ExternalDocumentation* Schema::addExternalDocs(std::string url) {
    if (!externalDocs_) {
        externalDocs_ = std::make_unique<ExternalDocumentation>(this, std::move(url));
    }
    return externalDocs_.get();
}

void Schema::removeExternalDocs() { detail::resetOwned(externalDocs_); }

// Subschema slots, lists and maps.

Schema* Schema::contentSchema() const { return detail::resolvedSlot<Schema>(rareOrNone().contentSchema); }

Schema* Schema::setContentSchema() { return detail::setSlot<Schema>(rare().contentSchema, this); }

Reference* Schema::setContentSchemaRef(Schema* target) {
    return detail::setSlotRef(rare().contentSchema, this, target);
}

Reference* Schema::setContentSchemaRef(Reference* target) {
    return detail::setSlotRef(rare().contentSchema, this, target);
}

Schema* Schema::items() const { return detail::resolvedSlot<Schema>(items_); }

Schema* Schema::setItems() { return detail::setSlot<Schema>(items_, this); }

Reference* Schema::setItemsRef(Schema* target) { return detail::setSlotRef(items_, this, target); }

Reference* Schema::setItemsRef(Reference* target) { return detail::setSlotRef(items_, this, target); }

Schema* Schema::additionalItems() const { return detail::resolvedSlot<Schema>(rareOrNone().additionalItems); }

Schema* Schema::setAdditionalItems() { return detail::setSlot<Schema>(rare().additionalItems, this); }

Reference* Schema::setAdditionalItemsRef(Schema* target) {
    return detail::setSlotRef(rare().additionalItems, this, target);
}

Reference* Schema::setAdditionalItemsRef(Reference* target) {
    return detail::setSlotRef(rare().additionalItems, this, target);
}

Schema* Schema::contains() const { return detail::resolvedSlot<Schema>(rareOrNone().contains); }

Schema* Schema::setContains() { return detail::setSlot<Schema>(rare().contains, this); }

Reference* Schema::setContainsRef(Schema* target) { return detail::setSlotRef(rare().contains, this, target); }

Reference* Schema::setContainsRef(Reference* target) { return detail::setSlotRef(rare().contains, this, target); }

Schema* Schema::unevaluatedItems() const { return detail::resolvedSlot<Schema>(rareOrNone().unevaluatedItems); }

Schema* Schema::setUnevaluatedItems() { return detail::setSlot<Schema>(rare().unevaluatedItems, this); }

Reference* Schema::setUnevaluatedItemsRef(Schema* target) {
    return detail::setSlotRef(rare().unevaluatedItems, this, target);
}

Reference* Schema::setUnevaluatedItemsRef(Reference* target) {
    return detail::setSlotRef(rare().unevaluatedItems, this, target);
}

Schema* Schema::additionalProperties() const { return detail::resolvedSlot<Schema>(additionalProperties_); }

Schema* Schema::setAdditionalProperties() { return detail::setSlot<Schema>(additionalProperties_, this); }

Reference* Schema::setAdditionalPropertiesRef(Schema* target) {
    return detail::setSlotRef(additionalProperties_, this, target);
}

Reference* Schema::setAdditionalPropertiesRef(Reference* target) {
    return detail::setSlotRef(additionalProperties_, this, target);
}

Schema* Schema::propertyNames() const { return detail::resolvedSlot<Schema>(rareOrNone().propertyNames); }

Schema* Schema::setPropertyNames() { return detail::setSlot<Schema>(rare().propertyNames, this); }

Reference* Schema::setPropertyNamesRef(Schema* target) {
    return detail::setSlotRef(rare().propertyNames, this, target);
}

Reference* Schema::setPropertyNamesRef(Reference* target) {
    return detail::setSlotRef(rare().propertyNames, this, target);
}

Schema* Schema::unevaluatedProperties() const {
    return detail::resolvedSlot<Schema>(rareOrNone().unevaluatedProperties);
}

Schema* Schema::setUnevaluatedProperties() { return detail::setSlot<Schema>(rare().unevaluatedProperties, this); }

Reference* Schema::setUnevaluatedPropertiesRef(Schema* target) {
    return detail::setSlotRef(rare().unevaluatedProperties, this, target);
}

Reference* Schema::setUnevaluatedPropertiesRef(Reference* target) {
    return detail::setSlotRef(rare().unevaluatedProperties, this, target);
}

Schema* Schema::notSchema() const { return detail::resolvedSlot<Schema>(rareOrNone().notSchema); }

Schema* Schema::setNot() { return detail::setSlot<Schema>(rare().notSchema, this); }

Reference* Schema::setNotRef(Schema* target) { return detail::setSlotRef(rare().notSchema, this, target); }

Reference* Schema::setNotRef(Reference* target) { return detail::setSlotRef(rare().notSchema, this, target); }

Schema* Schema::ifSchema() const { return detail::resolvedSlot<Schema>(rareOrNone().ifSchema); }

Schema* Schema::setIf() { return detail::setSlot<Schema>(rare().ifSchema, this); }

Reference* Schema::setIfRef(Schema* target) { return detail::setSlotRef(rare().ifSchema, this, target); }

Reference* Schema::setIfRef(Reference* target) { return detail::setSlotRef(rare().ifSchema, this, target); }

Schema* Schema::thenSchema() const { return detail::resolvedSlot<Schema>(rareOrNone().thenSchema); }

Schema* Schema::setThen() { return detail::setSlot<Schema>(rare().thenSchema, this); }

Reference* Schema::setThenRef(Schema* target) { return detail::setSlotRef(rare().thenSchema, this, target); }

Reference* Schema::setThenRef(Reference* target) { return detail::setSlotRef(rare().thenSchema, this, target); }

Schema* Schema::elseSchema() const { return detail::resolvedSlot<Schema>(rareOrNone().elseSchema); }

Schema* Schema::setElse() { return detail::setSlot<Schema>(rare().elseSchema, this); }

Reference* Schema::setElseRef(Schema* target) { return detail::setSlotRef(rare().elseSchema, this, target); }

Reference* Schema::setElseRef(Reference* target) { return detail::setSlotRef(rare().elseSchema, this, target); }

Schema* Schema::prefixItem(std::size_t index) const {
    return detail::resolvedItem<Schema>(rareOrNone().prefixItems, index);
}

Node* Schema::prefixItemNode(std::size_t index) const { return detail::itemAt(rareOrNone().prefixItems, index); }

Schema* Schema::addPrefixItem() { return detail::appendItem<Schema>(rare().prefixItems, this); }

Reference* Schema::addPrefixItemRef(Schema* target) { return detail::appendRef(rare().prefixItems, this, target); }

Reference* Schema::addPrefixItemRef(Reference* target) { return detail::appendRef(rare().prefixItems, this, target); }

void Schema::removePrefixItem(std::size_t index) {
    if (rare_) detail::removeItemAt(rare_->prefixItems, index);
}

Schema* Schema::allOf(std::size_t index) const { return detail::resolvedItem<Schema>(allOf_, index); }

Node* Schema::allOfNode(std::size_t index) const { return detail::itemAt(allOf_, index); }

Schema* Schema::addAllOf() { return detail::appendItem<Schema>(allOf_, this); }

Reference* Schema::addAllOfRef(Schema* target) { return detail::appendRef(allOf_, this, target); }

Reference* Schema::addAllOfRef(Reference* target) { return detail::appendRef(allOf_, this, target); }

void Schema::removeAllOf(std::size_t index) { detail::removeItemAt(allOf_, index); }

Schema* Schema::anyOf(std::size_t index) const { return detail::resolvedItem<Schema>(anyOf_, index); }

Node* Schema::anyOfNode(std::size_t index) const { return detail::itemAt(anyOf_, index); }

Schema* Schema::addAnyOf() { return detail::appendItem<Schema>(anyOf_, this); }

Reference* Schema::addAnyOfRef(Schema* target) { return detail::appendRef(anyOf_, this, target); }

Reference* Schema::addAnyOfRef(Reference* target) { return detail::appendRef(anyOf_, this, target); }

void Schema::removeAnyOf(std::size_t index) { detail::removeItemAt(anyOf_, index); }

Schema* Schema::oneOf(std::size_t index) const { return detail::resolvedItem<Schema>(oneOf_, index); }

Node* Schema::oneOfNode(std::size_t index) const { return detail::itemAt(oneOf_, index); }

Schema* Schema::addOneOf() { return detail::appendItem<Schema>(oneOf_, this); }

Reference* Schema::addOneOfRef(Schema* target) { return detail::appendRef(oneOf_, this, target); }

Reference* Schema::addOneOfRef(Reference* target) { return detail::appendRef(oneOf_, this, target); }

void Schema::removeOneOf(std::size_t index) { detail::removeItemAt(oneOf_, index); }

Schema* Schema::property(std::string_view name) const { return detail::resolvedEntry<Schema>(properties_, name); }

Node* Schema::propertyNode(std::string_view name) const { return detail::entryNode(properties_, name); }

Schema* Schema::addProperty(std::string_view name) { return detail::addEntry<Schema>(properties_, name, this); }

Reference* Schema::addPropertyRef(std::string_view name, Schema* target) {
    return detail::addEntryRef(properties_, name, this, target);
}

Reference* Schema::addPropertyRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(properties_, name, this, target);
}

void Schema::removeProperty(std::string_view name) { detail::removeEntry(properties_, name); }

Schema* Schema::patternProperty(std::string_view name) const {
    return detail::resolvedEntry<Schema>(rareOrNone().patternProperties, name);
}

Node* Schema::patternPropertyNode(std::string_view name) const {
    return detail::entryNode(rareOrNone().patternProperties, name);
}

Schema* Schema::addPatternProperty(std::string_view name) {
    return detail::addEntry<Schema>(rare().patternProperties, name, this);
}

Reference* Schema::addPatternPropertyRef(std::string_view name, Schema* target) {
    return detail::addEntryRef(rare().patternProperties, name, this, target);
}

Reference* Schema::addPatternPropertyRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(rare().patternProperties, name, this, target);
}

void Schema::removePatternProperty(std::string_view name) {
    if (rare_) detail::removeEntry(rare_->patternProperties, name);
}

Schema* Schema::dependentSchema(std::string_view name) const {
    return detail::resolvedEntry<Schema>(rareOrNone().dependentSchemas, name);
}

Node* Schema::dependentSchemaNode(std::string_view name) const {
    return detail::entryNode(rareOrNone().dependentSchemas, name);
}

Schema* Schema::addDependentSchema(std::string_view name) {
    return detail::addEntry<Schema>(rare().dependentSchemas, name, this);
}

Reference* Schema::addDependentSchemaRef(std::string_view name, Schema* target) {
    return detail::addEntryRef(rare().dependentSchemas, name, this, target);
}

Reference* Schema::addDependentSchemaRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(rare().dependentSchemas, name, this, target);
}

void Schema::removeDependentSchema(std::string_view name) {
    if (rare_) detail::removeEntry(rare_->dependentSchemas, name);
}

Schema* Schema::definition(std::string_view name) const {
    return detail::resolvedEntry<Schema>(rareOrNone().definitions, name);
}

Node* Schema::definitionNode(std::string_view name) const { return detail::entryNode(rareOrNone().definitions, name); }

Schema* Schema::addDefinition(std::string_view name) {
    return detail::addEntry<Schema>(rare().definitions, name, this);
}

Reference* Schema::addDefinitionRef(std::string_view name, Schema* target) {
    return detail::addEntryRef(rare().definitions, name, this, target);
}

Reference* Schema::addDefinitionRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(rare().definitions, name, this, target);
}

void Schema::removeDefinition(std::string_view name) {
    if (rare_) detail::removeEntry(rare_->definitions, name);
}

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void Schema::removeContentSchema() {
    if (rare_) detail::resetOwned(rare_->contentSchema);
}

void Schema::clearPrefixItems() {
    if (rare_) detail::clearAll(rare_->prefixItems);
}

void Schema::removeItems() { detail::resetOwned(items_); }

void Schema::removeAdditionalItems() {
    if (rare_) detail::resetOwned(rare_->additionalItems);
}

void Schema::removeContains() {
    if (rare_) detail::resetOwned(rare_->contains);
}

void Schema::removeUnevaluatedItems() {
    if (rare_) detail::resetOwned(rare_->unevaluatedItems);
}

void Schema::clearProperties() { detail::clearAll(properties_); }

void Schema::clearPatternProperties() {
    if (rare_) detail::clearAll(rare_->patternProperties);
}

void Schema::removeAdditionalProperties() { detail::resetOwned(additionalProperties_); }

void Schema::removePropertyNames() {
    if (rare_) detail::resetOwned(rare_->propertyNames);
}

void Schema::clearDependentSchemas() {
    if (rare_) detail::clearAll(rare_->dependentSchemas);
}

void Schema::removeUnevaluatedProperties() {
    if (rare_) detail::resetOwned(rare_->unevaluatedProperties);
}

void Schema::clearAllOf() { detail::clearAll(allOf_); }

void Schema::clearAnyOf() { detail::clearAll(anyOf_); }

void Schema::clearOneOf() { detail::clearAll(oneOf_); }

void Schema::removeNot() {
    if (rare_) detail::resetOwned(rare_->notSchema);
}

void Schema::removeIf() {
    if (rare_) detail::resetOwned(rare_->ifSchema);
}

void Schema::removeThen() {
    if (rare_) detail::resetOwned(rare_->thenSchema);
}

void Schema::removeElse() {
    if (rare_) detail::resetOwned(rare_->elseSchema);
}

void Schema::clearDefinitions() {
    if (rare_) detail::clearAll(rare_->definitions);
}

}  // namespace zephalon::openapi
