#include "zephalon/openapi/writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "reference_text.h"
#include "writer_impl.h"
#include "zephalon/foundation/assertions.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/schema_keywords.h"

namespace zephalon::openapi {

using jv::JV;

namespace detail {

// ---- objects under construction ----

JV* OutObject::put(std::string_view key, std::unique_ptr<JV> value) {
    keys.push_back(key);
    return object->setProperty(key, std::move(value));
}

JV* OutObject::putObject(std::string_view key) {
    keys.push_back(key);
    return object->setObjectProperty(key);
}

JV* OutObject::putArray(std::string_view key) {
    keys.push_back(key);
    return object->setArrayProperty(key);
}

JV* OutObject::putEntry(std::string_view key, const Node* node) {
    entryNodes.push_back(node);
    return putObject(key);
}

void OutObject::writeString(std::string_view value, std::string_view key) {
    if (value.empty() && source != nullptr && !source->hasProperty(key)) return;
    keys.push_back(key);
    object->setStringProperty(key, value);
}

void OutObject::writeOptionalString(const std::optional<std::string>& value, std::string_view key) {
    if (!value) return;
    keys.push_back(key);
    object->setStringProperty(key, *value);
}

void OutObject::writeBoolean(bool value, std::string_view key) {
    // A false that the source spelt out is brought back with the source's other members.
    if (!value) return;
    keys.push_back(key);
    object->setBoolProperty(key, true);
}

void OutObject::writeOptionalBoolean(bool value, std::string_view key, bool defaultValue) {
    if (value == defaultValue) {
        const JV* spelt = sourceMember(key);
        if (spelt == nullptr || !spelt->isBoolean() || spelt->booleanValue() != value) return;
    }
    keys.push_back(key);
    object->setBoolProperty(key, value);
}

void OutObject::writeName(std::string_view value, std::string_view key, bool isDefault) {
    if (isDefault) {
        const JV* spelt = sourceMember(key);
        if (spelt == nullptr || !spelt->isString() || spelt->stringValue() != value) return;
    }
    keys.push_back(key);
    object->setStringProperty(key, value);
}

void OutObject::writeNumber(const number::Number& value, std::string_view key) {
    keys.push_back(key);
    object->setNumberProperty(key, value);
}

void OutObject::writeOptionalNumber(const std::optional<number::Number>& value, std::string_view key) {
    if (value) writeNumber(*value, key);
}

void OutObject::writeOptionalCount(const std::optional<std::uint64_t>& value, std::string_view key) {
    if (!value) return;
    keys.push_back(key);
    // A count the source spelt as a decimal ("10.0") keeps that spelling.
    if (const JV* spelt = sourceMember(key); spelt != nullptr && spelt->isNumber() &&
                                             (spelt->numberValue().isDouble() || spelt->numberValue().isDynamic()) &&
                                             spelt->equal(JV(*value))) {
        object->setProperty(key, spelt->clone());
        return;
    }
    object->setUIntProperty(key, *value);
}

void OutObject::writeStrings(const std::vector<std::string>& values, std::string_view key) {
    if (values.empty()) return;
    JV* array = putArray(key);
    for (const std::string& value : values) array->addString(value);
}

// ---- shared machinery ----

WriterCore::WriterCore(const Hooks& hooks, jv::JVDoc& doc, const Node* anchor) : hooks_(hooks), doc_(doc) {
    const auto* root = anchor == nullptr ? nullptr : nodeCast<OpenAPI>(anchor->root());
    if (root == nullptr) return;
    is30_ = root->is30();
    indexComponents(*root->components());
}

void WriterCore::indexComponents(const Components& components) {
    auto index = [this](const NodeMap& map, std::string_view kind) {
        for (const auto& [key, slot] : map) {
            if (slot && slot->type() != NodeType::Reference)
                componentKeys_.emplace(slot.get(), ComponentKey{kind, &key});
        }
    };
    index(components.schemas(), "schemas");
    index(components.responses(), "responses");
    index(components.parameters(), "parameters");
    index(components.examples(), "examples");
    index(components.requestBodies(), "requestBodies");
    index(components.headers(), "headers");
    for (const auto& [key, scheme] : components.securitySchemes()) {
        componentKeys_.emplace(scheme.get(), ComponentKey{"securitySchemes", &key});
    }
    index(components.links(), "links");
    index(components.callbacks(), "callbacks");
    index(components.pathItems(), "pathItems");
}

std::vector<std::string_view> WriterCore::nodeOrder(const Node* node) const {
    if (hooks_.propOrder) {
        auto order = hooks_.propOrder(node);
        if (!order.empty()) return order;
    }
    if (const JV* source = sourceOf(node); source != nullptr && source->isObject() && hooks_.valueOrder) {
        return hooks_.valueOrder(*source);
    }
    return {};
}

std::vector<std::string_view> WriterCore::keyedOrder(const Node* node, std::string_view key) const {
    if (hooks_.keyedPropOrder) {
        auto order = hooks_.keyedPropOrder(node, key);
        if (!order.empty()) return order;
    }
    if (!hooks_.valueOrder) return {};
    const JV* collection = sourceMember(node, key);
    // Definitions are read from "$defs" or from the older "definitions".
    if (collection == nullptr && key == "definitions") collection = sourceMember(node, "$defs");
    if (collection == nullptr || !collection->isObject()) return {};
    return hooks_.valueOrder(*collection);
}

const JV* WriterCore::sourceOf(const Node* node) const {
    return hooks_.sourceValue ? hooks_.sourceValue(node) : nullptr;
}

const JV* WriterCore::sourceMember(const Node* node, std::string_view key) const {
    const JV* source = sourceOf(node);
    return source != nullptr && source->isObject() ? source->property(key) : nullptr;
}

void WriterCore::finish(OutObject& out, const std::vector<std::string_view>& sourceOrder, const Node* node) {
    JV& object = *out.object;
    if (sourceOrder.empty()) {
        for (std::string_view key : out.keys) doc_.addProp(object, key);
        return;
    }
    // The source's order for the members it had, then what it lacked in the writer's order. Large objects (paths,
    // schema maps) get a hash set so that merging stays linear.
    std::unordered_set<std::string_view> listed;
    const bool useSet = sourceOrder.size() > 16;
    if (useSet) listed.reserve(sourceOrder.size() * 2);
    std::vector<std::string_view> moved;
    std::optional<std::unordered_map<const JV*, std::string_view>> renamed;
    for (std::string_view key : sourceOrder) {
        if (!object.hasProperty(key)) {
            if (node != nullptr) {
                if (!keepSourceMember(out, *node, key)) continue;
            } else {
                // An entry renamed since reading takes the place of its old key.
                key = renamedEntry(out, key, renamed);
                if (key.empty()) continue;
                moved.push_back(key);
            }
        }
        if (useSet) listed.insert(key);
        doc_.addProp(object, key);
    }
    auto isListed = [&](std::string_view key) {
        if (useSet) return listed.contains(key);
        return std::find(sourceOrder.begin(), sourceOrder.end(), key) != sourceOrder.end() ||
               std::find(moved.begin(), moved.end(), key) != moved.end();
    };
    for (std::string_view key : out.keys) {
        if (!isListed(key)) doc_.addProp(object, key);
    }
}

std::string_view WriterCore::renamedEntry(const OutObject& out, std::string_view sourceKey,
                                          std::optional<std::unordered_map<const JV*, std::string_view>>& moved) const {
    if (out.source == nullptr || out.entryNodes.empty()) return {};
    if (!moved) {
        // Once per map: the entries under keys the source did not have, by the value they were read from.
        moved.emplace();
        for (std::size_t i = 0; i < out.entryNodes.size() && i < out.keys.size(); ++i) {
            if (out.source->hasProperty(out.keys[i])) continue;
            if (const JV* from = sourceOf(out.entryNodes[i]); from != nullptr) moved->emplace(from, out.keys[i]);
        }
    }
    auto found = moved->find(out.source->property(sourceKey));
    return found == moved->end() ? std::string_view{} : found->second;
}

void WriterCore::finishMap(OutObject& out, const Node& owner, std::string_view orderKey) {
    if (out.source != nullptr && hooks_.valueOrder) {
        if (auto order = hooks_.valueOrder(*out.source); !order.empty()) return finish(out, order);
    }
    finish(out, keyedOrder(&owner, orderKey));
}

void WriterCore::finishNode(OutObject& out, const Node& node) {
    if (out.source == nullptr) return finish(out, nodeOrder(&node));
    std::vector<std::string_view> order;
    if (hooks_.valueOrder) order = hooks_.valueOrder(*out.source);
    if (order.empty()) {
        // No recorded order: the source's members still come back, after the written ones.
        for (auto property : out.source->properties()) {
            if (!out.object->hasProperty(property.key)) keepSourceMember(out, node, property.key);
        }
    }
    finish(out, order, &node);
}

bool WriterCore::keepSourceMember(OutObject& out, const Node& node, std::string_view key) {
    const JV* value = out.source->property(key);
    if (value == nullptr) return false;
    bool wanted = false;
    switch (memberRole(node.type(), key)) {
        case MemberRole::unknown:
            // A "$ref" among the members of a node that is not a reference is one the reader followed in place.
            wanted = key != "$ref" || node.type() == NodeType::Reference;
            break;
        case MemberRole::value:
            break;
        case MemberRole::flag:
            wanted = value->isBoolean() && !value->booleanValue();
            break;
        case MemberRole::collection:
            wanted = (value->isArray() || value->isObject()) && value->size() == 0;
            break;
    }
    if (wanted) copyValue(out, key, *value, value);
    return wanted;
}

void WriterCore::copyValue(OutObject& out, std::string_view key, const JV& value, const JV* source) {
    JV* copy = out.put(key, value.clone());
    applySourceOrder(*copy, source);
}

void WriterCore::applySourceOrder(JV& copy, const JV* source) {
    if (source == nullptr || !hooks_.valueOrder) return;
    // Explicit stack: free-form values may nest as deep as their reader allowed.
    std::vector<std::pair<JV*, const JV*>> pending{{&copy, source}};
    while (!pending.empty()) {
        auto [out, in] = pending.back();
        pending.pop_back();
        if (out->isObject() && in->isObject()) {
            for (std::string_view key : hooks_.valueOrder(*in)) {
                if (out->hasProperty(key)) doc_.addProp(*out, key);
            }
            for (auto property : out->properties()) {
                if (const JV* child = in->property(property.key); child != nullptr) {
                    pending.emplace_back(property.value, child);
                }
            }
        } else if (out->isArray() && in->isArray()) {
            for (std::size_t i = 0; i < out->size() && i < in->size(); ++i) pending.emplace_back(out->at(i), in->at(i));
        }
    }
}

void WriterCore::writeExtensions(OutObject& out, const Node& node) {
    for (const auto& [key, value] : node.extensions()) {
        if (value) copyValue(out, key, *value, out.sourceMember(key));
    }
}

bool WriterCore::isSharedTarget(const Node* node) { return node != nullptr && !node->references().empty(); }

void WriterCore::remember(const Node& node, JV& written) {
    if (isSharedTarget(&node)) writtenNodes_.emplace(&node, &written);
}

void WriterCore::writeReference(const Reference& ref, JV& target) {
    OutObject out = nodeObject(target, ref);
    const Node* node = ref.node();
    const JV* sourceRef = out.sourceMember("$ref");
    if (node != nullptr) {
        if (auto found = componentKeys_.find(node); found != componentKeys_.end()) {
            out.writeString(
                referenceTo(fmt::format("/components/{}/{}", found->second.kind, jv::escapeToken(*found->second.key))),
                "$ref");
        } else {
            checkReferenceKind(node->type());
            // Filled in once the whole document is written and the target's place is known.
            out.keys.push_back("$ref");
            pendingRefs_.emplace_back(&target, node);
        }
    } else if (sourceRef != nullptr) {
        // A reference that did not resolve when read stays as it was written.
        copyValue(out, "$ref", *sourceRef, sourceRef);
    }
    out.writeOptionalString(ref.summary(), "summary");
    out.writeOptionalString(ref.description(), "description");
    writeExtensions(out, ref);
    finishNode(out, ref);
    if (node != nullptr && sourceRef != nullptr && sourceRef->isString()) {
        sourceRefs_.push_back(SourceRef{&target, node, sourceRef->stringValue()});
    }
}

void WriterCore::checkReferenceKind(NodeType type) {
    switch (normalizeSubtypes(type)) {
        case NodeType::Schema:
        case NodeType::Response:
        case NodeType::Parameter:
        case NodeType::Example:
        case NodeType::RequestBody:
        case NodeType::Header:
        case NodeType::SecurityScheme:
        case NodeType::Link:
        case NodeType::Callback:
        case NodeType::PathItem:
            return;
        default:
            ZEPHALON_UNREACHABLE("Unsupported reference type");
    }
}

void WriterCore::resolvePendingReferences() {
    for (auto [refObject, target] : pendingRefs_) {
        auto found = writtenNodes_.find(target);
        if (found == writtenNodes_.end()) continue;
        refObject->setStringProperty("$ref", referenceTo(found->second->pointer()));
    }
    pendingRefs_.clear();
    // A reference is written back as the source wrote it (through an alias, another reference, another spelling)
    // as long as that text still leads to its target in what was written.
    for (const SourceRef& ref : sourceRefs_) {
        if (leadsTo(ref.text, ref.target)) ref.object->setStringProperty("$ref", ref.text);
    }
    sourceRefs_.clear();
    restoreReferencedCallbackItems();
}

void WriterCore::restoreReferencedCallbackItems() {
    for (const InlinedItem& item : inlinedItems_) {
        const JV* ref = item.source->property("$ref");
        std::optional<jv::JVPointer> pointer = referencePointer(ref->stringValue());
        const JV* target = pointer ? doc_.findNode(*pointer) : nullptr;
        if (target == nullptr || !target->equal(*item.written)) continue;
        item.source->cloneTo(*item.written);
        applySourceOrder(*item.written, item.source);
    }
    inlinedItems_.clear();
}

bool WriterCore::leadsTo(std::string_view ref, const Node* target) const {
    auto written = writtenNodes_.find(target);
    if (written == writtenNodes_.end()) return false;
    std::string text(ref);
    // Each hop passes a reference object of the output; a longer chain than there are references is a cycle.
    for (std::size_t hops = 0; hops <= sourceRefs_.size(); ++hops) {
        std::optional<jv::JVPointer> pointer = referencePointer(text);
        const JV* value = pointer ? doc_.findNode(*pointer) : nullptr;
        if (value == nullptr) return false;
        if (value == written->second) return true;
        const JV* next = value->isObject() ? value->property("$ref") : nullptr;
        if (next == nullptr || !next->isString()) return false;
        text = next->stringValue();
    }
    return false;
}

WriterCore::DepthGuard::DepthGuard(WriterCore& core) : core_(core) {
    if (++core_.depth_ > Writer::kMaxDepth) {
        --core_.depth_;
        throw std::runtime_error(
            fmt::format("The document nests deeper than {} levels and cannot be written", Writer::kMaxDepth));
    }
}

// ---- schemas ----

void WriterCore::writeSchemaSlot(const Node* slot, JV& target, bool booleanAllowed) {
    if (slot->type() == NodeType::Reference) {
        target.setObject();
        writeReference(static_cast<const Reference&>(*slot), target);
        return;
    }
    const auto* schema = nodeCast<Schema>(slot);
    if (schema == nullptr) {
        ZEPHALON_UNREACHABLE("Schema slot holds another kind of node");
    }
    writeSchema(*schema, target, booleanAllowed);
}

void WriterCore::writeSchemaMember(OutObject& out, std::string_view key, const Node* slot, bool booleanAllowed) {
    if (slot == nullptr) return;
    JV* target = out.putObject(key);
    writeSchemaSlot(slot, *target, booleanAllowed);
}

void WriterCore::writeSchemaList(OutObject& out, std::string_view key, const NodeList& list) {
    if (list.empty()) return;
    JV* array = out.putArray(key);
    for (const auto& slot : list) {
        if (slot) writeSchemaSlot(slot.get(), *array->addObject(), booleanSchemas());
    }
}

void WriterCore::writeSchemaMap(OutObject& out, std::string_view key, const NodeMap& map, const Schema& owner,
                                std::string_view orderKey) {
    if (map.empty()) return;
    OutObject members = mapObject(out, key);
    for (const auto& [name, slot] : map) {
        if (slot) writeSchemaSlot(slot.get(), *members.putEntry(name, slot.get()), booleanSchemas());
    }
    finishMap(members, owner, orderKey);
}

void WriterCore::writeExclusiveBound(OutObject& out, const ExclusiveBound& bound, std::string_view key) {
    switch (bound.index()) {
        case 0:
            return;
        case 1:
            // As stored: a 3.0 document may say false explicitly.
            out.keys.push_back(key);
            out.object->setBoolProperty(key, std::get<bool>(bound));
            return;
        case 2:
            out.writeNumber(std::get<number::Number>(bound), key);
            return;
        default:
            ZEPHALON_UNREACHABLE("Unknown index");
    }
}

void WriterCore::writeTypes(OutObject& out, const Schema& schema) {
    if (out.source != nullptr) {
        // The source's "type" and "nullable" as written (a one-element list, nullable), while they still read as
        // the model's types.
        const JV* type = out.sourceMember("type");
        const JV* nullable = out.sourceMember("nullable");
        if ((type != nullptr || nullable != nullptr) && typesAsRead(type, nullable, schema)) {
            if (type != nullptr) copyValue(out, "type", *type, type);
            if (nullable != nullptr) copyValue(out, "nullable", *nullable, nullable);
            return;
        }
    }
    const std::size_t count = schema.typeCount();
    if (count == 0) return;
    if (count == 1) {
        out.writeString(schemaTypeToString(schema.typeAt(0)), "type");
        return;
    }
    JV* array = out.putArray("type");
    for (std::size_t i = 0; i < count; ++i) array->addString(schemaTypeToString(schema.typeAt(i)));
}

// Whether reading these members gives the schema's types: the names in order without repeats, then null for a
// nullable schema that has types.
bool WriterCore::typesAsRead(const JV* type, const JV* nullable, const Schema& schema) {
    // At most one of each of the seven type names; anything longer cannot match.
    std::array<std::string_view, 8> names;
    std::size_t count = 0;
    auto addName = [&](std::string_view name) {
        const auto end = names.begin() + static_cast<std::ptrdiff_t>(count);
        if (std::find(names.begin(), end, name) != end) return true;
        if (count == names.size()) return false;
        names[count++] = name;
        return true;
    };
    auto add = [&](const JV& name) { return name.isString() && addName(name.stringValue()); };
    if (type != nullptr) {
        if (type->isArray()) {
            for (const JV* name : type->items()) {
                if (!add(*name)) return false;
            }
        } else if (!add(*type)) {
            return false;
        }
    }
    if (nullable != nullptr) {
        if (!nullable->isBoolean()) return false;
        if (nullable->booleanValue() && count > 0 && !addName("null")) return false;
    }
    if (count != schema.typeCount()) return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (names[i] != schemaTypeToString(schema.typeAt(i))) return false;
    }
    return true;
}

// The bounds of numbers and strings, in the order both schema writers share.
void WriterCore::writeNumberAndStringBounds(OutObject& out, const Schema& schema) {
    out.writeOptionalNumber(schema.multipleOf(), "multipleOf");
    out.writeOptionalNumber(schema.maximum(), "maximum");
    writeExclusiveBound(out, schema.exclusiveMaximum(), "exclusiveMaximum");
    out.writeOptionalNumber(schema.minimum(), "minimum");
    writeExclusiveBound(out, schema.exclusiveMinimum(), "exclusiveMinimum");
    out.writeOptionalCount(schema.maxLength(), "maxLength");
    out.writeOptionalCount(schema.minLength(), "minLength");
    out.writeOptionalString(schema.pattern(), "pattern");
}

void WriterCore::writeEnum(OutObject& out, const Schema& schema, bool allowConst) {
    const auto& values = schema.enumValues();
    if (values.empty()) return;
    if (allowConst && schema.isConst() && values.size() == 1) {
        copyValue(out, "const", *values.front(), out.sourceMember("const"));
        return;
    }
    const JV* source = out.sourceMember("enum");
    JV* array = out.putArray("enum");
    for (std::size_t i = 0; i < values.size(); ++i) {
        JV* copy = array->add(values[i]->clone());
        if (source != nullptr && source->isArray()) applySourceOrder(*copy, source->at(i));
    }
}

void WriterCore::writeDiscriminator(OutObject& out, const Discriminator& discriminator) {
    OutObject members = nodeObject(*out.putObject("discriminator"), discriminator);
    members.writeString(discriminator.propertyName(), "propertyName");
    if (!discriminator.mapping().empty()) {
        OutObject mapping{members.putObject("mapping")};
        for (const auto& [value, ref] : discriminator.mapping()) mapping.writeString(ref, value);
        finish(mapping, keyedOrder(&discriminator, "mapping"));
    }
    writeExtensions(members, discriminator);
    finishNode(members, discriminator);
}

void WriterCore::writeXml(OutObject& out, const XML& xml) {
    OutObject members = nodeObject(*out.putObject("xml"), xml);
    members.writeOptionalString(xml.name(), "name");
    members.writeOptionalString(xml.xmlNamespace(), "namespace");
    members.writeOptionalString(xml.prefix(), "prefix");
    members.writeBoolean(xml.attribute(), "attribute");
    members.writeBoolean(xml.wrapped(), "wrapped");
    writeExtensions(members, xml);
    finishNode(members, xml);
}

void WriterCore::writeExternalDocs(OutObject& out, const ExternalDocumentation* docs, bool withUrl) {
    if (docs == nullptr) return;
    OutObject members = nodeObject(*out.putObject("externalDocs"), *docs);
    members.writeOptionalString(docs->description(), "description");
    if (withUrl) members.writeString(docs->url(), "url");
    writeExtensions(members, *docs);
    finishNode(members, *docs);
}

void WriterCore::writeSchema(const Schema& schema, JV& target, bool booleanAllowed) {
    DepthGuard guard(*this);
    target.setObject();
    remember(schema, target);
    if (hooks_.writtenNode) hooks_.writtenNode(&schema, target);
    const JV* source = sourceOf(&schema);
    OutObject out{&target, source};
    if (standalone_) {
        writeStandaloneSchemaMembers(out, schema);
    } else {
        writeSchemaMembers(out, schema);
    }
    writeExtensions(out, schema);
    finishNode(out, schema);
    // A schema read from an object stays an object, one read from a boolean goes back to it when it still can.
    if (source != nullptr ? source->isBoolean() : booleanAllowed) collapseBooleanSchema(target);
}

// Only a schema with no content at all becomes `true`, and only one whose sole content is `not: true` becomes
// `false`. A schema that merely accepts everything (annotations, properties that constrain nothing) keeps its
// members: they carry documentation and the shape that generators rely on.
void WriterCore::collapseBooleanSchema(JV& target) {
    if (target.size() == 0) {
        target.setBoolean(true);
        return;
    }
    if (target.size() != 1) return;
    const JV* notValue = target.property("not");
    if (notValue == nullptr) return;
    if ((notValue->isBoolean() && notValue->booleanValue()) || (notValue->isObject() && notValue->size() == 0)) {
        dropped_.push_back(target.releaseProperty("not"));
        target.setBoolean(false);
    }
}

void WriterCore::writeSchemaMembers(OutObject& out, const Schema& schema) {
    // Every keyword in the table's order. Boolean subschemas are 3.1, except additionalProperties, which 3.0 allows.
#define ZEPHALON_WRITE_TEXT(name, get, set) out.writeOptionalString(schema.get(), name);
#define ZEPHALON_WRITE_FLAG(name, get, set) out.writeBoolean(schema.get(), name);
#define ZEPHALON_WRITE_COUNT(name, get, set) out.writeOptionalCount(schema.get(), name);
#define ZEPHALON_WRITE_NUMBER(name, get, set) out.writeOptionalNumber(schema.get(), name);
#define ZEPHALON_WRITE_SUBSCHEMA(name, get, set, setRef) \
    writeSchemaMember(out, name, schema.get(), booleanSchemas() || std::string_view(name) == "additionalProperties");
#define ZEPHALON_WRITE_SUBSCHEMA_LIST(name, get, add, addRef) writeSchemaList(out, name, schema.get());
#define ZEPHALON_WRITE_SUBSCHEMA_MAP(name, get, add, addRef) writeSchemaMap(out, name, schema.get(), schema, name);
#define ZEPHALON_WRITE_OTHER(name, id) writeOtherKeyword(out, schema, OtherSchemaKeyword::id);
    ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_WRITE_TEXT, ZEPHALON_WRITE_FLAG, ZEPHALON_WRITE_COUNT, ZEPHALON_WRITE_NUMBER,
                             ZEPHALON_WRITE_SUBSCHEMA, ZEPHALON_WRITE_SUBSCHEMA_LIST, ZEPHALON_WRITE_SUBSCHEMA_MAP,
                             ZEPHALON_WRITE_OTHER)
#undef ZEPHALON_WRITE_TEXT
#undef ZEPHALON_WRITE_FLAG
#undef ZEPHALON_WRITE_COUNT
#undef ZEPHALON_WRITE_NUMBER
#undef ZEPHALON_WRITE_SUBSCHEMA
#undef ZEPHALON_WRITE_SUBSCHEMA_LIST
#undef ZEPHALON_WRITE_SUBSCHEMA_MAP
#undef ZEPHALON_WRITE_OTHER
}

void WriterCore::writeOtherKeyword(OutObject& out, const Schema& schema, OtherSchemaKeyword keyword) {
    switch (keyword) {
        case OtherSchemaKeyword::dialect:
            if (const SchemaDialect* dialect = schema.dialect(); dialect != nullptr) {
                // As the source spelt it, when that names the same dialect ("…/schema#" or "…/schema").
                const JV* source = out.sourceMember("$schema");
                const bool same = source != nullptr && source->isString() && dialect->names(source->stringValue());
                out.writeString(same ? source->stringValue() : dialect->identifier(), "$schema");
            }
            return;
        case OtherSchemaKeyword::defaultValue:
            if (schema.defaultValue() != nullptr) {
                copyValue(out, "default", *schema.defaultValue(), out.sourceMember("default"));
            }
            return;
        case OtherSchemaKeyword::types:
            return writeTypes(out, schema);
        case OtherSchemaKeyword::format:
            if (schema.format() != nullptr) out.writeString(schema.format()->name(), "format");
            return;
        case OtherSchemaKeyword::constValue:
            return writeEnum(out, schema, true);
        case OtherSchemaKeyword::definitions:
            if (schema.definitions().empty()) return;
            // Under the name the source used.
            return writeSchemaMap(out,
                                  out.sourceMember("definitions") != nullptr && out.sourceMember("$defs") == nullptr
                                      ? "definitions"
                                      : "$defs",
                                  schema.definitions(), schema, "definitions");
        case OtherSchemaKeyword::exampleValue:
            if (schema.exampleValue() != nullptr) {
                copyValue(out, "example", *schema.exampleValue(), out.sourceMember("example"));
            }
            return;
        case OtherSchemaKeyword::examples:
            return writeSchemaExamples(out, schema);
        case OtherSchemaKeyword::exclusiveMaximum:
            return writeExclusiveBound(out, schema.exclusiveMaximum(), "exclusiveMaximum");
        case OtherSchemaKeyword::exclusiveMinimum:
            return writeExclusiveBound(out, schema.exclusiveMinimum(), "exclusiveMinimum");
        case OtherSchemaKeyword::required:
            return writeRequired(out, schema);
        case OtherSchemaKeyword::dependentRequired:
            if (schema.hasDependentRequired()) {
                OutObject dependent{out.putObject("dependentRequired")};
                for (const auto& [property, names] : schema.dependentRequired()) {
                    JV* array = dependent.putArray(property);
                    for (const std::string& name : names) array->addString(name);
                }
                finish(dependent, keyedOrder(&schema, "dependentRequired"));
            }
            return;
        case OtherSchemaKeyword::discriminator:
            if (schema.discriminator() != nullptr) writeDiscriminator(out, *schema.discriminator());
            return;
        case OtherSchemaKeyword::xml:
            if (schema.xml() != nullptr) writeXml(out, *schema.xml());
            return;
        case OtherSchemaKeyword::externalDocs:
            return writeExternalDocs(out, schema.externalDocs(), true);
        case OtherSchemaKeyword::nullable:
        case OtherSchemaKeyword::enumValues:
        case OtherSchemaKeyword::olderDefinitions:
            // Written as part of the type list, of const, and of "$defs".
            return;
    }
}

void WriterCore::writeRequired(OutObject& out, const Schema& schema) {
    if (schema.required().empty()) return;
    if (const JV* source = out.sourceMember("required"); source != nullptr && requiredAsRead(*source, schema)) {
        copyValue(out, "required", *source, source);
        return;
    }
    // The model keeps the names ordered by name; without a source (or after a change) they are written that way.
    JV* array = out.putArray("required");
    for (const std::string& name : schema.required()) array->addString(name);
}

bool WriterCore::requiredAsRead(const JV& source, const Schema& schema) {
    const auto& required = schema.required();
    if (!source.isArray() || source.size() < required.size()) return false;
    for (const JV* name : source.items()) {
        if (!name->isString() || !required.contains(name->stringValue())) return false;
    }
    if (source.size() == required.size() && source.size() <= 32) {
        // Every name is one of the model's, as many as there are: the same names unless one repeats.
        for (std::size_t i = 0; i < source.size(); ++i) {
            for (std::size_t j = i + 1; j < source.size(); ++j) {
                if (source.at(i)->stringValue() == source.at(j)->stringValue()) return false;
            }
        }
        return true;
    }
    // The distinct names must be all of the model's.
    std::vector<std::string_view> names;
    for (const JV* name : source.items()) names.push_back(name->stringValue());
    std::sort(names.begin(), names.end());
    return static_cast<std::size_t>(std::unique(names.begin(), names.end()) - names.begin()) == required.size();
}

void WriterCore::writeSchemaExamples(OutObject& out, const Schema& schema) {
    const JV* source = out.sourceMember("examples");
    if (!schema.examples().empty()) {
        OutObject named{out.putObject("examples")};
        for (const auto& [name, value] : schema.examples()) {
            if (!value) continue;
            const JV* member = source != nullptr && source->isObject() ? source->property(name) : nullptr;
            copyValue(named, name, *value, member);
        }
        finish(named, keyedOrder(&schema, "examples"));
    } else if (schema.hasExampleList()) {
        // The JSON Schema form: an array of values.
        JV* array = out.putArray("examples");
        const auto& values = schema.exampleList();
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!values[i]) continue;
            JV* copy = array->add(values[i]->clone());
            if (source != nullptr && source->isArray()) applySourceOrder(*copy, source->at(i));
        }
    }
}

void WriterCore::writeStandaloneSchemaMembers(OutObject& out, const Schema& schema) {
    if (schema.dialect() != nullptr) out.writeString(schema.dialect()->identifier(), "$schema");
    out.writeOptionalString(schema.title(), "title");
    out.writeOptionalString(schema.description(), "description");
    writeTypes(out, schema);
    if (schema.format() != nullptr) out.writeString(schema.format()->name(), "format");
    writeEnum(out, schema, false);
    writeNumberAndStringBounds(out, schema);
    out.writeOptionalCount(schema.maxItems(), "maxItems");
    out.writeOptionalCount(schema.minItems(), "minItems");
    out.writeBoolean(schema.uniqueItems(), "uniqueItems");
    writeSchemaList(out, "prefixItems", schema.prefixItems());
    writeSchemaMember(out, "items", schema.itemsNode(), booleanSchemas());
    out.writeOptionalCount(schema.maxProperties(), "maxProperties");
    out.writeOptionalCount(schema.minProperties(), "minProperties");
    writeRequired(out, schema);
    writeSchemaMap(out, "properties", schema.properties(), schema, "properties");
    writeSchemaMap(out, "patternProperties", schema.patternProperties(), schema, "patternProperties");
    writeSchemaMember(out, "additionalProperties", schema.additionalPropertiesNode(), true);
    writeSchemaMember(out, "propertyNames", schema.propertyNamesNode(), booleanSchemas());
    writeSchemaList(out, "allOf", schema.allOf());
    writeSchemaList(out, "oneOf", schema.oneOf());
    writeSchemaList(out, "anyOf", schema.anyOf());
    if (const Discriminator* discriminator = schema.discriminator(); discriminator != nullptr) {
        OutObject members{out.putObject("discriminator")};
        members.writeString(discriminator->propertyName(), "propertyName");
        if (!discriminator->mapping().empty()) {
            OutObject mapping{members.putObject("mapping")};
            for (const auto& [value, ref] : discriminator->mapping()) mapping.writeString(ref, value);
            finish(mapping, {});
        }
        finish(members, {});
    }
    writeExternalDocs(out, schema.externalDocs(), false);
    if (schema.xml() != nullptr) writeXml(out, *schema.xml());
}

}  // namespace detail

// ---- public entry points ----

Writer::Writer() = default;
Writer::~Writer() = default;

StandaloneSchemaWriter::StandaloneSchemaWriter() = default;
StandaloneSchemaWriter::~StandaloneSchemaWriter() = default;

jv::JV* StandaloneSchemaWriter::toJV(const Schema* schema) {
    doc_ = std::make_unique<jv::JVDoc>();
    doc_->setRoot(JV::Type::Object);
    if (schema == nullptr) return doc_->root();
    detail::Hooks hooks;
    detail::WriterCore core(hooks, *doc_, schema);
    core.setStandalone(true);
    core.writeSchema(*schema, *doc_->root(), core.booleanSchemas());
    core.resolvePendingReferences();
    return doc_->root();
}

void writeToString(const Schema* schema, std::string& out, FileFormat format) {
    StandaloneSchemaWriter writer;
    writer.toJV(schema);
    jv::writeString(*writer.doc(), out, format);
}

}  // namespace zephalon::openapi
