#pragma once

// The Schema Object of both OpenAPI versions: the union of the JSON Schema keywords of 3.0 (a draft 4 subset) and
// 3.1 (2020-12), with Discriminator and XML.
//
// Boolean schemas are schemas too: `true` is the empty schema and `false` a schema whose only content is a `not`
// holding the empty schema (isTruthy / isFalsy recognise them).
//
// Subschemas follow one pattern per shape, shown here for `items`, `allOf` and `properties`:
//   slot:  items() (resolved), itemsNode() (as stored), setItems() (new empty schema), setItemsRef(...), removeItems()
//   list:  allOf(i), allOfNode(i), addAllOf(), addAllOfRef(...), removeAllOf(i), clearAllOf(), allOf() (all slots)
//   map:   property(name), propertyNode(name), addProperty(name), addPropertyRef(name, ...), removeProperty(name),
//          clearProperties(), properties() (all slots)
// Resolved getters return null when the slot is empty, the reference dangles or the target is not a Schema. The
// Ref operations store a new Reference to the target (to a Reference's own target) and return it; map Ref adders
// return null and change nothing when the name is taken.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "zephalon/number/number.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class ExternalDocumentation;
class SchemaDialect;
class SchemaFormat;

class Discriminator final : public Node {
  public:
    using Mapping = std::map<std::string, std::string, std::less<>>;

    Discriminator(Node* parent, std::string propertyName)
        : Node(parent, NodeType::Discriminator), propertyName_(std::move(propertyName)) {}

    const std::string& propertyName() const { return propertyName_; }
    void setPropertyName(std::string name) { propertyName_ = std::move(name); }

    // Schema reference text by discriminator value; set replaces an existing entry.
    const Mapping& mapping() const { return mapping_; }
    void setMapping(std::string_view value, std::string ref);
    void removeMapping(std::string_view value);
    void clearMapping() { mapping_.clear(); }

  private:
    std::string propertyName_;
    Mapping mapping_;
};

class XML final : public Node {
  public:
    explicit XML(Node* parent) : Node(parent, NodeType::XML) {}

    const std::optional<std::string>& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    void removeName() { name_.reset(); }

    const std::optional<std::string>& xmlNamespace() const { return namespace_; }
    void setXmlNamespace(std::string ns) { namespace_ = std::move(ns); }
    void removeXmlNamespace() { namespace_.reset(); }

    const std::optional<std::string>& prefix() const { return prefix_; }
    void setPrefix(std::string prefix) { prefix_ = std::move(prefix); }
    void removePrefix() { prefix_.reset(); }

    bool attribute() const { return attribute_; }
    void setAttribute(bool attribute) { attribute_ = attribute; }
    bool wrapped() const { return wrapped_; }
    void setWrapped(bool wrapped) { wrapped_ = wrapped; }

  private:
    std::optional<std::string> name_;
    std::optional<std::string> namespace_;
    std::optional<std::string> prefix_;
    bool attribute_ = false;
    bool wrapped_ = false;
};

// exclusiveMinimum / exclusiveMaximum as stored: absent, the 3.0 flag, or the 3.1 bound.
using ExclusiveBound = std::variant<std::monostate, bool, number::Number>;

// A bound in effect, whichever form it was written in.
struct NumericBound {
    number::Number value;
    bool exclusive = false;
};

class Schema final : public Node {
  public:
    using Values = std::vector<std::unique_ptr<jv::JV>>;
    using NamedValues = std::map<std::string, std::unique_ptr<jv::JV>, std::less<>>;
    using DependentRequired = std::map<std::string, std::vector<std::string>, std::less<>>;

    explicit Schema(Node* parent);
    Schema(Node* parent, SchemaType type);
    ~Schema() override;

    // --- identification (3.1) ---
    const std::optional<std::string>& id() const { return id_; }
    void setId(std::string id) { id_ = std::move(id); }
    void removeId() { id_.reset(); }

    // "$schema", a registered dialect; null when absent.
    const SchemaDialect* dialect() const { return dialect_; }
    void setDialect(const SchemaDialect* dialect) { dialect_ = dialect; }

    // --- annotations ---
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    void removeTitle() { title_.reset(); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    const std::optional<std::string>& comment() const { return comment_; }
    void setComment(std::string comment) { comment_ = std::move(comment); }
    void removeComment() { comment_.reset(); }

    const std::optional<std::string>& anchor() const { return anchor_; }
    void setAnchor(std::string anchor) { anchor_ = std::move(anchor); }
    void removeAnchor() { anchor_.reset(); }

    const std::optional<std::string>& dynamicAnchor() const { return dynamicAnchor_; }
    void setDynamicAnchor(std::string anchor) { dynamicAnchor_ = std::move(anchor); }
    void removeDynamicAnchor() { dynamicAnchor_.reset(); }

    const std::optional<std::string>& dynamicRef() const { return dynamicRef_; }
    void setDynamicRef(std::string ref) { dynamicRef_ = std::move(ref); }
    void removeDynamicRef() { dynamicRef_.reset(); }

    const std::optional<std::string>& vocabulary() const { return vocabulary_; }
    void setVocabulary(std::string vocabulary) { vocabulary_ = std::move(vocabulary); }
    void removeVocabulary() { vocabulary_.reset(); }

    // "default"; null when absent. set stores a deep copy.
    jv::JV* defaultValue() const { return default_.get(); }
    jv::JV* setDefaultValue(const jv::JV* value);
    void removeDefaultValue();

    bool deprecated() const { return deprecated_; }
    void setDeprecated(bool deprecated) { deprecated_ = deprecated; }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool writeOnly() const { return writeOnly_; }
    void setWriteOnly(bool writeOnly) { writeOnly_ = writeOnly; }

    // --- types ---
    // In insertion order, without repeats. A 3.0 `nullable: true` is the type null in this list.
    std::vector<SchemaType> types() const;
    std::size_t typeCount() const;
    SchemaType typeAt(std::size_t index) const;
    bool hasType(SchemaType type) const;
    // Appends a type that is not yet listed.
    void addType(SchemaType type);
    // Throws std::runtime_error "Invalid schema type" for an unknown name, adding nothing.
    void addType(std::string_view name);
    void removeType(SchemaType type);
    void removeTypeAt(std::size_t index);
    void clearTypes() { types_ = 0; }

    // "format", a registered format; null when absent.
    const SchemaFormat* format() const { return format_; }
    void setFormat(const SchemaFormat* format) { format_ = format; }

    // --- enum and const ---
    // Each add appends a deep copy. isConst marks a single value that came from "const".
    const Values& enumValues() const { return enum_; }
    void addEnum(const jv::JV& value);
    void addEnum(const char* value);
    void addEnum(std::string value);
    void addEnum(bool value);
    void addEnum(int value);
    void addEnum(std::int64_t value);
    void addEnum(std::uint64_t value);
    void addEnum(double value);
    void addEnum(std::nullptr_t);
    bool hasEnumValue(const jv::JV& value) const;
    void removeEnum(std::size_t index);
    void clearEnums();
    bool isConst() const { return isConst_; }
    void setConst(bool isConst) { isConst_ = isConst; }

    // --- numbers ---
    const std::optional<number::Number>& multipleOf() const { return multipleOf_; }
    void setMultipleOf(int value);
    void setMultipleOf(std::int64_t value);
    void setMultipleOf(double value);
    void setMultipleOf(const number::Number& value);
    void removeMultipleOf() { multipleOf_.reset(); }

    const std::optional<number::Number>& maximum() const { return maximum_; }
    void setMaximum(int value);
    void setMaximum(std::int64_t value);
    void setMaximum(double value);
    void setMaximum(const number::Number& value);
    void removeMaximum() { maximum_.reset(); }

    const std::optional<number::Number>& minimum() const { return minimum_; }
    void setMinimum(int value);
    void setMinimum(std::int64_t value);
    void setMinimum(double value);
    void setMinimum(const number::Number& value);
    void removeMinimum() { minimum_.reset(); }

    // The flag form is only allowed where usesExclusiveFlags holds (3.0 documents and draft-4 schemas) and the number
    // form only in a 3.1 document; otherwise they throw std::runtime_error "This operation is only supported in
    // OpenAPI 3.0" (or "... 3.1") and change nothing.
    const ExclusiveBound& exclusiveMaximum() const { return exclusiveMaximum_; }
    void setExclusiveMaximum(bool exclusive);
    void setExclusiveMaximum(int value);
    void setExclusiveMaximum(std::int64_t value);
    void setExclusiveMaximum(double value);
    void setExclusiveMaximum(const number::Number& value);
    void removeExclusiveMaximum() { exclusiveMaximum_ = std::monostate{}; }

    const ExclusiveBound& exclusiveMinimum() const { return exclusiveMinimum_; }
    void setExclusiveMinimum(bool exclusive);
    void setExclusiveMinimum(int value);
    void setExclusiveMinimum(std::int64_t value);
    void setExclusiveMinimum(double value);
    void setExclusiveMinimum(const number::Number& value);
    void removeExclusiveMinimum() { exclusiveMinimum_ = std::monostate{}; }

    // The bounds in effect, combining both forms; when an inclusive and a 3.1 exclusive bound are both present, the
    // stricter one.
    std::optional<NumericBound> effectiveMinimum() const;
    std::optional<NumericBound> effectiveMaximum() const;

    // --- strings ---
    const std::optional<std::uint64_t>& maxLength() const { return maxLength_; }
    void setMaxLength(std::uint64_t value) { maxLength_ = value; }
    void removeMaxLength() { maxLength_.reset(); }
    const std::optional<std::uint64_t>& minLength() const { return minLength_; }
    void setMinLength(std::uint64_t value) { minLength_ = value; }
    void removeMinLength() { minLength_.reset(); }

    const std::optional<std::string>& pattern() const { return pattern_; }
    void setPattern(std::string pattern) { pattern_ = std::move(pattern); }
    void removePattern() { pattern_.reset(); }

    const std::optional<std::string>& contentEncoding() const { return contentEncoding_; }
    void setContentEncoding(std::string encoding) { contentEncoding_ = std::move(encoding); }
    void removeContentEncoding() { contentEncoding_.reset(); }
    const std::optional<std::string>& contentMediaType() const { return contentMediaType_; }
    void setContentMediaType(std::string mediaType) { contentMediaType_ = std::move(mediaType); }
    void removeContentMediaType() { contentMediaType_.reset(); }

    Schema* contentSchema() const;
    Node* contentSchemaNode() const { return rareOrNone().contentSchema.get(); }
    Schema* setContentSchema();
    Reference* setContentSchemaRef(Schema* target);
    Reference* setContentSchemaRef(Reference* target);
    void removeContentSchema();

    // --- arrays ---
    const std::optional<std::uint64_t>& maxItems() const { return maxItems_; }
    void setMaxItems(std::uint64_t value) { maxItems_ = value; }
    void removeMaxItems() { maxItems_.reset(); }
    const std::optional<std::uint64_t>& minItems() const { return minItems_; }
    void setMinItems(std::uint64_t value) { minItems_ = value; }
    void removeMinItems() { minItems_.reset(); }
    bool uniqueItems() const { return uniqueItems_; }
    void setUniqueItems(bool unique) { uniqueItems_ = unique; }

    const NodeList& prefixItems() const { return rareOrNone().prefixItems; }
    Schema* prefixItem(std::size_t index) const;
    Node* prefixItemNode(std::size_t index) const;
    Schema* addPrefixItem();
    Reference* addPrefixItemRef(Schema* target);
    Reference* addPrefixItemRef(Reference* target);
    void removePrefixItem(std::size_t index);
    void clearPrefixItems();

    Schema* items() const;
    Node* itemsNode() const { return items_.get(); }
    Schema* setItems();
    Reference* setItemsRef(Schema* target);
    Reference* setItemsRef(Reference* target);
    void removeItems();

    Schema* additionalItems() const;
    Node* additionalItemsNode() const { return rareOrNone().additionalItems.get(); }
    Schema* setAdditionalItems();
    Reference* setAdditionalItemsRef(Schema* target);
    Reference* setAdditionalItemsRef(Reference* target);
    void removeAdditionalItems();

    Schema* contains() const;
    Node* containsNode() const { return rareOrNone().contains.get(); }
    Schema* setContains();
    Reference* setContainsRef(Schema* target);
    Reference* setContainsRef(Reference* target);
    void removeContains();

    const std::optional<std::uint64_t>& maxContains() const { return maxContains_; }
    void setMaxContains(std::uint64_t value) { maxContains_ = value; }
    void removeMaxContains() { maxContains_.reset(); }
    const std::optional<std::uint64_t>& minContains() const { return minContains_; }
    void setMinContains(std::uint64_t value) { minContains_ = value; }
    void removeMinContains() { minContains_.reset(); }

    Schema* unevaluatedItems() const;
    Node* unevaluatedItemsNode() const { return rareOrNone().unevaluatedItems.get(); }
    Schema* setUnevaluatedItems();
    // Stores `true` or `false` as a schema.
    Schema* setUnevaluatedItems(bool allowed);
    Reference* setUnevaluatedItemsRef(Schema* target);
    Reference* setUnevaluatedItemsRef(Reference* target);
    void removeUnevaluatedItems();

    // --- objects ---
    const std::optional<std::uint64_t>& maxProperties() const { return maxProperties_; }
    void setMaxProperties(std::uint64_t value) { maxProperties_ = value; }
    void removeMaxProperties() { maxProperties_.reset(); }
    const std::optional<std::uint64_t>& minProperties() const { return minProperties_; }
    void setMinProperties(std::uint64_t value) { minProperties_ = value; }
    void removeMinProperties() { minProperties_.reset(); }

    // Required property names, ordered by name.
    const std::set<std::string, std::less<>>& required() const { return required_; }
    bool isRequired(std::string_view name) const { return required_.find(name) != required_.end(); }
    void addRequired(std::string_view name) { required_.emplace(name); }
    void removeRequired(std::string_view name);
    void clearRequired() { required_.clear(); }

    const NodeMap& properties() const { return properties_; }
    Schema* property(std::string_view name) const;
    Node* propertyNode(std::string_view name) const;
    Schema* addProperty(std::string_view name);
    Reference* addPropertyRef(std::string_view name, Schema* target);
    Reference* addPropertyRef(std::string_view name, Reference* target);
    void removeProperty(std::string_view name);
    void clearProperties();

    const NodeMap& patternProperties() const { return rareOrNone().patternProperties; }
    Schema* patternProperty(std::string_view pattern) const;
    Node* patternPropertyNode(std::string_view pattern) const;
    Schema* addPatternProperty(std::string_view pattern);
    Reference* addPatternPropertyRef(std::string_view pattern, Schema* target);
    Reference* addPatternPropertyRef(std::string_view pattern, Reference* target);
    void removePatternProperty(std::string_view pattern);
    void clearPatternProperties();

    Schema* additionalProperties() const;
    Node* additionalPropertiesNode() const { return additionalProperties_.get(); }
    Schema* setAdditionalProperties();
    // Stores `true` or `false` as a schema.
    Schema* setAdditionalProperties(bool allowed);
    Reference* setAdditionalPropertiesRef(Schema* target);
    Reference* setAdditionalPropertiesRef(Reference* target);
    void removeAdditionalProperties();

    Schema* propertyNames() const;
    Node* propertyNamesNode() const { return rareOrNone().propertyNames.get(); }
    Schema* setPropertyNames();
    Reference* setPropertyNamesRef(Schema* target);
    Reference* setPropertyNamesRef(Reference* target);
    void removePropertyNames();

    // Property name -> the names that must be present with it, in insertion order without repeats.
    const DependentRequired& dependentRequired() const { return dependentRequired_; }
    void addDependentRequired(std::string_view property, std::string_view dependency);
    bool isDependentRequired(std::string_view property, std::string_view dependency) const;
    std::size_t dependentRequiredCount(std::string_view property) const;
    bool hasDependentRequired() const { return !dependentRequired_.empty(); }
    void removeDependentRequired(std::string_view property, std::string_view dependency);
    void clearDependentRequired(std::string_view property);
    void clearDependentRequired() { dependentRequired_.clear(); }

    const NodeMap& dependentSchemas() const { return rareOrNone().dependentSchemas; }
    Schema* dependentSchema(std::string_view property) const;
    Node* dependentSchemaNode(std::string_view property) const;
    Schema* addDependentSchema(std::string_view property);
    Reference* addDependentSchemaRef(std::string_view property, Schema* target);
    Reference* addDependentSchemaRef(std::string_view property, Reference* target);
    void removeDependentSchema(std::string_view property);
    void clearDependentSchemas();

    Schema* unevaluatedProperties() const;
    Node* unevaluatedPropertiesNode() const { return rareOrNone().unevaluatedProperties.get(); }
    Schema* setUnevaluatedProperties();
    // Stores `true` or `false` as a schema.
    Schema* setUnevaluatedProperties(bool allowed);
    Reference* setUnevaluatedPropertiesRef(Schema* target);
    Reference* setUnevaluatedPropertiesRef(Reference* target);
    void removeUnevaluatedProperties();

    // --- composition ---
    const NodeList& allOf() const { return allOf_; }
    Schema* allOf(std::size_t index) const;
    Node* allOfNode(std::size_t index) const;
    Schema* addAllOf();
    Reference* addAllOfRef(Schema* target);
    Reference* addAllOfRef(Reference* target);
    void removeAllOf(std::size_t index);
    void clearAllOf();

    const NodeList& anyOf() const { return anyOf_; }
    Schema* anyOf(std::size_t index) const;
    Node* anyOfNode(std::size_t index) const;
    Schema* addAnyOf();
    Reference* addAnyOfRef(Schema* target);
    Reference* addAnyOfRef(Reference* target);
    void removeAnyOf(std::size_t index);
    void clearAnyOf();

    const NodeList& oneOf() const { return oneOf_; }
    Schema* oneOf(std::size_t index) const;
    Node* oneOfNode(std::size_t index) const;
    Schema* addOneOf();
    Reference* addOneOfRef(Schema* target);
    Reference* addOneOfRef(Reference* target);
    void removeOneOf(std::size_t index);
    void clearOneOf();

    // "not" (a reserved word in C++, hence the longer names).
    Schema* notSchema() const;
    Node* notSchemaNode() const { return rareOrNone().notSchema.get(); }
    Schema* setNot();
    Reference* setNotRef(Schema* target);
    Reference* setNotRef(Reference* target);
    void removeNot();

    // --- conditionals (3.1) ---
    Schema* ifSchema() const;
    Node* ifSchemaNode() const { return rareOrNone().ifSchema.get(); }
    Schema* setIf();
    Reference* setIfRef(Schema* target);
    Reference* setIfRef(Reference* target);
    void removeIf();

    Schema* thenSchema() const;
    Node* thenSchemaNode() const { return rareOrNone().thenSchema.get(); }
    Schema* setThen();
    Reference* setThenRef(Schema* target);
    Reference* setThenRef(Reference* target);
    void removeThen();

    Schema* elseSchema() const;
    Node* elseSchemaNode() const { return rareOrNone().elseSchema.get(); }
    Schema* setElse();
    Reference* setElseRef(Schema* target);
    Reference* setElseRef(Reference* target);
    void removeElse();

    // --- definitions ("$defs", or "definitions") ---
    const NodeMap& definitions() const { return rareOrNone().definitions; }
    Schema* definition(std::string_view name) const;
    Node* definitionNode(std::string_view name) const;
    Schema* addDefinition(std::string_view name);
    Reference* addDefinitionRef(std::string_view name, Schema* target);
    Reference* addDefinitionRef(std::string_view name, Reference* target);
    void removeDefinition(std::string_view name);
    void clearDefinitions();

    // --- examples ---
    // The 3.0 keyword "example": one value; null when absent. set stores a deep copy.
    jv::JV* exampleValue() const { return exampleValue_.get(); }
    jv::JV* setExampleValue(const jv::JV* value);
    void removeExampleValue();

    // "examples" is held in one of two forms: named examples (an object of examples) or the JSON Schema array of
    // values. Adding to one form discards the other; clearExamples empties both.
    const NamedValues& examples() const { return examples_; }
    jv::JV* example(std::string_view name) const;
    // A null value under the name; keeps an existing one.
    jv::JV* addExample(std::string_view name);
    // A deep copy of `value` (null for a null pointer) under the name, replacing an existing one.
    jv::JV* setExample(std::string_view name, const jv::JV* value);
    void removeExample(std::string_view name);
    const Values& exampleList() const { return exampleList_; }
    bool hasExampleList() const { return !exampleList_.empty(); }
    jv::JV* addListExample(const jv::JV* value);
    void removeListExampleAt(std::size_t index);
    void clearExamples();

    // --- attached objects ---
    Discriminator* discriminator() const { return discriminator_.get(); }
    // Replaces any discriminator.
    Discriminator* setDiscriminator(std::string propertyName);
    void removeDiscriminator();

    XML* xml() const { return xml_.get(); }
    // Returns the existing XML object when there is one.
    XML* setXml();
    void removeXml();

    ExternalDocumentation* externalDocs() const { return externalDocs_.get(); }
    ExternalDocumentation* addExternalDocs(std::string url);
    void removeExternalDocs();

  private:
    template <class T>
    void setNumber(std::optional<number::Number>& field, T value);

    // The subschema keywords that few schemas use, apart: a schema without them is smaller, and a walk of the
    // model reads one pointer for all of them.
    struct RareSubschemas {
        std::unique_ptr<Node> contentSchema;
        NodeList prefixItems;
        std::unique_ptr<Node> additionalItems;
        std::unique_ptr<Node> contains;
        std::unique_ptr<Node> unevaluatedItems;
        NodeMap patternProperties;
        std::unique_ptr<Node> propertyNames;
        NodeMap dependentSchemas;
        std::unique_ptr<Node> unevaluatedProperties;
        std::unique_ptr<Node> notSchema;
        std::unique_ptr<Node> ifSchema;
        std::unique_ptr<Node> thenSchema;
        std::unique_ptr<Node> elseSchema;
        NodeMap definitions;
    };
    // What a schema without the block answers.
    static const RareSubschemas kNoRareSubschemas;
    const RareSubschemas& rareOrNone() const { return rare_ ? *rare_ : kNoRareSubschemas; }
    // Made on the first write of one of them.
    RareSubschemas& rare();

    // Laid out by how they are read: a walk of the document reads every subschema slot of every schema, and the checks
    // read the type, format, texts and examples far more often than the rest, so each group shares few cache lines.
    // The subschema slots that most schemas use, in the order the traversal visits them, and those few schemas use.
    std::unique_ptr<Node> items_;
    NodeMap properties_;
    std::unique_ptr<Node> additionalProperties_;
    NodeList allOf_;
    NodeList anyOf_;
    NodeList oneOf_;
    std::unique_ptr<Discriminator> discriminator_;
    std::unique_ptr<XML> xml_;
    std::unique_ptr<ExternalDocumentation> externalDocs_;
    std::unique_ptr<RareSubschemas> rare_;
    // What most checks ask.
    // Count in bits 0-3, then one four-bit SchemaType code per entry in insertion order.
    std::uint32_t types_ = 0;
    const SchemaFormat* format_ = nullptr;
    Values enum_;
    bool isConst_ = false;
    bool deprecated_ = false;
    bool readOnly_ = false;
    bool writeOnly_ = false;
    std::unique_ptr<jv::JV> default_;
    std::unique_ptr<jv::JV> exampleValue_;
    Values exampleList_;
    NamedValues examples_;
    std::set<std::string, std::less<>> required_;
    std::optional<std::string> title_;
    std::optional<std::string> description_;
    // Bounds.
    std::optional<number::Number> multipleOf_;
    std::optional<number::Number> maximum_;
    ExclusiveBound exclusiveMaximum_;
    std::optional<number::Number> minimum_;
    ExclusiveBound exclusiveMinimum_;
    std::optional<std::uint64_t> maxLength_;
    std::optional<std::uint64_t> minLength_;
    std::optional<std::string> pattern_;
    std::optional<std::uint64_t> maxItems_;
    std::optional<std::uint64_t> minItems_;
    bool uniqueItems_ = false;
    std::optional<std::uint64_t> maxContains_;
    std::optional<std::uint64_t> minContains_;
    std::optional<std::uint64_t> maxProperties_;
    std::optional<std::uint64_t> minProperties_;
    // The rest.
    std::optional<std::string> id_;
    const SchemaDialect* dialect_ = nullptr;
    std::optional<std::string> comment_;
    std::optional<std::string> anchor_;
    std::optional<std::string> dynamicAnchor_;
    std::optional<std::string> dynamicRef_;
    std::optional<std::string> vocabulary_;
    std::optional<std::string> contentEncoding_;
    std::optional<std::string> contentMediaType_;
    DependentRequired dependentRequired_;
};

// No keyword of the schema (or of the subschemas it applies) can reject an instance. Cycles of references count as
// truthy unless a keyword on the cycle restricts.
bool isTruthy(const Schema& schema);
// The schema rejects every instance: its `not` holds a truthy schema (how `false` is stored).
bool isFalsy(const Schema& schema);
// The schema lists no types or lists null, and so does every allOf member.
bool isNullable(const Schema& schema);

// Throws std::runtime_error "This operation is only supported in OpenAPI 3.0" / "... 3.1" unless the root of `node`
// is a document of that version. A node outside any document has no version to contradict and passes both.
void assertIs30(const Node& node);
void assertIs31(const Node& node);

// The JSON Schema dialect whose keyword forms a schema follows: the nearest "$schema" on the schema or on the
// schemas around it, else the document's jsonSchemaDialect when that names a known dialect. Null when neither says,
// and the document version's own dialect applies.
const SchemaDialect* effectiveDialect(const Schema& schema);
// Whether exclusiveMinimum and exclusiveMaximum take the draft-4 flag form here: in a 3.0 document, in a schema of
// a 3.1 document whose effective dialect is draft 4, and outside any document.
bool usesExclusiveFlags(const Schema& schema);

template <class T>
struct MinMax {
    std::optional<T> min;
    std::optional<T> max;
};

// What a value must satisfy, merged over a schema and its allOf members (recursively), for code generators.
struct SchemaConstraints {
    bool nullable = true;
    // The largest minimum and the smallest maximum found.
    MinMax<std::uint64_t> lengthConstraints;
    std::vector<std::string> patternConstraints;
    // The strictest bounds found.
    MinMax<NumericBound> rangeConstraints;
    MinMax<std::uint64_t> itemCountConstraints;
    MinMax<std::uint64_t> propertyCountConstraints;
};

void collectConstraints(const Schema& schema, SchemaConstraints& constraints);

}  // namespace zephalon::openapi
