#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/jv/pointer_texts.h"
#include "zephalon/jv_schema/schema.h"
#include "zephalon/openapi/json_schema_form.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

namespace {

// Which properties an example may leave out although its schema requires them (bits): readOnly ones in what a
// client sends, writeOnly ones in what it receives, and both in the examples of a schema of its own, which serve
// either way.
constexpr unsigned readOnlyOptional = 1;
constexpr unsigned writeOnlyOptional = 2;

unsigned optionalPropertiesAt(const openapi::Node* node) {
    for (; node != nullptr; node = node->parent()) {
        switch (openapi::normalizeSubtypes(node->type())) {
            case openapi::NodeType::RequestBody:
            case openapi::NodeType::Parameter:
                return readOnlyOptional;
            case openapi::NodeType::Response:
                return writeOnlyOptional;
            default:
                break;
        }
    }
    return readOnlyOptional | writeOnlyOptional;
}

bool isTrue(const jv::JV& object, std::string_view key) {
    const jv::JV* flag = object.property(key);
    return flag != nullptr && flag->isBoolean() && flag->booleanValue();
}

// A local reference's target in the document: null when the reference is not of the "#/..." form or leads nowhere.
const jv::JV* localTarget(const jv::JV& root, std::string_view ref) {
    if (!ref.starts_with("#/")) return nullptr;
    try {
        return root.find(jv::JVPointer(urlDecode(ref.substr(1))));
    } catch (const std::invalid_argument&) {  // a bad percent escape
        return nullptr;
    } catch (const jv::JVPointerError&) {  // a bad "~" escape
        return nullptr;
    }
}

// Whether a property schema is readOnly or writeOnly (bits as above), also when it says so through local references.
unsigned accessOf(const jv::JV& root, const jv::JV* schema) {
    unsigned access = 0;
    for (int hops = 0; schema != nullptr && schema->isObject() && hops < 32; ++hops) {
        if (isTrue(*schema, "readOnly")) access |= readOnlyOptional;
        if (isTrue(*schema, "writeOnly")) access |= writeOnlyOptional;
        const jv::JV* ref = schema->property("$ref");
        if (ref == nullptr || !ref->isString()) break;
        schema = localTarget(root, ref->stringValue());
    }
    return access;
}

bool allReferences(const jv::JV& branches) {
    for (const jv::JV* branch : branches.items()) {
        if (!branch->isObject() || branch->property("$ref") == nullptr) return false;
    }
    return true;
}

// Rewrites the schemas of the tree for checking examples of one kind, in place: the `optional` properties leave
// the "required" lists, and a "oneOf" of references beside a discriminator becomes an "anyOf", because the
// discriminator, not the shape of the value, picks the branch (the branches of an inheritance hierarchy usually
// accept each other's values). Returns the kinds of property (bits as above) that some "required" list names.
unsigned relaxForExamples(jv::JV& root, unsigned optional) {
    unsigned listed = 0;
    std::vector<jv::JV*> pending{&root};
    while (!pending.empty()) {
        jv::JV& value = *pending.back();
        pending.pop_back();
        if (value.isArray()) {
            for (jv::JV* item : value.items()) pending.push_back(item);
            continue;
        }
        if (!value.isObject()) continue;
        jv::JV* required = value.property("required");
        const jv::JV* properties = value.property("properties");
        if (required != nullptr && required->isArray() && properties != nullptr && properties->isObject()) {
            for (std::size_t i = required->size(); i-- > 0;) {
                const jv::JV* name = required->at(i);
                if (!name->isString()) continue;
                const unsigned access = accessOf(root, properties->property(name->stringValue()));
                listed |= access;
                if ((access & optional) != 0) required->removeAt(i);
            }
        }
        const jv::JV* discriminator = value.property("discriminator");
        const jv::JV* oneOf = value.property("oneOf");
        if (discriminator != nullptr && discriminator->isObject() && oneOf != nullptr && oneOf->isArray() &&
            allReferences(*oneOf) && value.property("anyOf") == nullptr) {
            value.setProperty("anyOf", value.releaseProperty("oneOf"));
        }
        for (auto member : value.properties()) pending.push_back(member.value);
    }
    return listed;
}

// Members of a schema that hold values, not schemas: nothing in them is compiled.
bool holdsValues(std::string_view key) {
    return key == "example" || key == "examples" || key == "default" || key == "enum" || key == "const";
}

// Members of a schema whose members are schemas under any name (a property may be called "default").
bool holdsNamedSchemas(std::string_view key) {
    return key == "properties" || key == "patternProperties" || key == "$defs" || key == "definitions" ||
           key == "dependentSchemas" || key == "dependencies";
}

// Whether a member of a schema only annotates it, and is of a kind that compiles: without it the schema validates
// alike.
bool onlyAnnotates(std::string_view key, const jv::JV& value) {
    if (key == "example" || key == "default") return true;
    if (key == "examples") return value.isArray();
    if (key == "title" || key == "description" || key == "$comment") return value.isString();
    return false;
}

// Calls `visit(key, value)` for each member of the schema, and of the schemas in it, that stands where a keyword
// does: not inside values (an "example"), nor the names under "properties". Stops when `visit` says false, and says
// whether it went through.
template <class Visit>
bool forEachKeyword(const jv::JV& schema, Visit&& visit) {
    // Values to look through, and whether each is an object of named schemas.
    std::vector<std::pair<const jv::JV*, bool>> pending{{&schema, false}};
    while (!pending.empty()) {
        const auto [value, named] = pending.back();
        pending.pop_back();
        if (value->isArray()) {
            for (const jv::JV* item : value->items()) pending.emplace_back(item, false);
            continue;
        }
        if (!value->isObject()) continue;
        for (const auto [key, child] : value->properties()) {
            if (named) {
                pending.emplace_back(child, false);
                continue;
            }
            if (holdsValues(key)) continue;
            if (!visit(key, *child)) return false;
            pending.emplace_back(child, holdsNamedSchemas(key));
        }
    }
    return true;
}

// Whether nothing in a schema refers elsewhere or names a base URL or an anchor: such a schema validates alike
// wherever it stands.
bool selfContained(const jv::JV& schema) {
    return forEachKeyword(schema, [](std::string_view key, const jv::JV&) {
        return key != "$ref" && key != "$dynamicRef" && key != "$recursiveRef" && key != "$id" && key != "id" &&
               key != "$anchor" && key != "$dynamicAnchor" && key != "$recursiveAnchor";
    });
}

// Whether two values are the same to the last detail a compilation may look at, the kind of each number included.
bool identical(const jv::JV& a, const jv::JV& b) {
    if (a.type() != b.type() || a.size() != b.size()) return false;
    switch (a.type()) {
        case jv::JV::Type::Null:
            return true;
        case jv::JV::Type::Boolean:
            return a.booleanValue() == b.booleanValue();
        case jv::JV::Type::Number:
            return a.numberValue().type() == b.numberValue().type() && a.numberValue() == b.numberValue();
        case jv::JV::Type::String:
            return a.stringValue() == b.stringValue();
        case jv::JV::Type::Array:
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (!identical(*a.at(i), *b.at(i))) return false;
            }
            return true;
        case jv::JV::Type::Object: {
            // Both in byte-wise key order.
            auto other = b.properties().begin();
            for (const auto [key, value] : a.properties()) {
                const auto [otherKey, otherValue] = *other;
                if (key != otherKey || !identical(*value, *otherValue)) return false;
                ++other;
            }
            return true;
        }
    }
    return false;
}

// A hash of a schema that leaves out the members that only annotate it (of the value itself, every member counted,
// when `schema` is false): schemas that `alike` finds alike hash alike.
std::size_t shapeHash(const jv::JV& value, bool schema) {
    std::size_t hash = static_cast<std::size_t>(value.type());
    auto mix = [&hash](std::size_t more) { hash ^= more + 0x9e3779b97f4a7c15 + (hash << 6) + (hash >> 2); };
    switch (value.type()) {
        case jv::JV::Type::Null:
            break;
        case jv::JV::Type::Boolean:
            mix(value.booleanValue() ? 1 : 0);
            break;
        case jv::JV::Type::Number:
            mix(value.numberValue().hash());
            break;
        case jv::JV::Type::String:
            mix(std::hash<std::string_view>{}(value.stringValue()));
            break;
        case jv::JV::Type::Array:
            for (const jv::JV* item : value.items()) mix(shapeHash(*item, schema));
            break;
        case jv::JV::Type::Object:
            for (const auto [key, member] : value.properties()) {
                if (schema && onlyAnnotates(key, *member)) continue;
                mix(std::hash<std::string_view>{}(key));
                if (!schema || holdsValues(key)) {
                    mix(shapeHash(*member, false));
                } else if (holdsNamedSchemas(key) && member->isObject()) {
                    for (const auto [name, named] : member->properties()) {
                        mix(std::hash<std::string_view>{}(name));
                        mix(shapeHash(*named, true));
                    }
                } else {
                    mix(shapeHash(*member, true));
                }
            }
            break;
    }
    return hash;
}

// Whether two schemas are identical but for the members that only annotate them (in keyword positions, not inside
// values nor among the names under "properties"): schemas that differ only in their descriptions and examples
// validate alike.
bool alike(const jv::JV& a, const jv::JV& b) {
    if (a.isArray()) {
        if (!b.isArray() || a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!alike(*a.at(i), *b.at(i))) return false;
        }
        return true;
    }
    if (!a.isObject()) return identical(a, b);
    if (!b.isObject()) return false;
    // Both in byte-wise key order; the annotations of each are stepped over.
    auto next = [](auto& it, const auto& end) {
        while (it != end && onlyAnnotates((*it).key, *(*it).value)) ++it;
    };
    auto ia = a.properties().begin();
    auto ib = b.properties().begin();
    const auto ea = a.properties().end();
    const auto eb = b.properties().end();
    for (next(ia, ea), next(ib, eb); ia != ea && ib != eb; ++ia, ++ib, next(ia, ea), next(ib, eb)) {
        const auto [key, value] = *ia;
        const auto [otherKey, otherValue] = *ib;
        if (key != otherKey) return false;
        if (holdsValues(key)) {
            if (!identical(*value, *otherValue)) return false;
        } else if (holdsNamedSchemas(key) && value->isObject()) {
            if (!otherValue->isObject() || value->size() != otherValue->size()) return false;
            auto otherNamed = otherValue->properties().begin();
            for (const auto [name, named] : value->properties()) {
                const auto [otherName, otherSchema] = *otherNamed;
                ++otherNamed;
                if (name != otherName || !alike(*named, *otherSchema)) return false;
            }
        } else if (!alike(*value, *otherValue)) {
            return false;
        }
    }
    return ia == ea && ib == eb;
}

// The places a copy must hold for compiling `starts`: the schemas themselves and everything their references reach,
// without places inside others already held. Empty when some reference could lead where a place-by-place copy would
// not resolve it the same way (a base URL of its own, an anchor, a dynamic or a non-local reference): then the copy
// must be of the whole document.
std::vector<const jv::JV*> placesToCopy(const jv::JV& root, const std::vector<const jv::JV*>& starts) {
    std::unordered_set<const jv::JV*> reached;
    std::vector<const jv::JV*> places;
    std::vector<const jv::JV*> pendingPlaces(starts.rbegin(), starts.rend());
    // What a reference leads to is a place too; false when the copy must be of the whole document.
    const auto follow = [&](std::string_view key, const jv::JV& value) {
        if (!value.isString()) return true;
        if (key == "$id" || key == "id" || key == "$dynamicRef" || key == "$recursiveRef") return false;
        if (key != "$ref") return true;
        const jv::JV* target = localTarget(root, value.stringValue());
        if (target != nullptr) pendingPlaces.push_back(target);
        // A local reference that leads nowhere finds nothing in either copy.
        return target != nullptr || value.stringValue().starts_with("#/");
    };
    while (!pendingPlaces.empty()) {
        const jv::JV* place = pendingPlaces.back();
        pendingPlaces.pop_back();
        if (place == &root) return {};
        if (!reached.insert(place).second) continue;
        places.push_back(place);
        if (!forEachKeyword(*place, follow)) return {};
    }
    // A place inside another one is copied with it.
    std::vector<const jv::JV*> outermost;
    for (const jv::JV* place : places) {
        const jv::JV* above = place->parent();
        while (above != nullptr && !reached.contains(above)) above = above->parent();
        if (above == nullptr) outermost.push_back(place);
    }
    return outermost;
}

// A place of the source to copy, with its JSON Pointer text.
struct Place {
    std::string pointer;
    const jv::JV* value;
};

// The places in the order of their pointers, which (but for keys with characters below "/") is the order of the keys
// of every object on the way: each copy then lands after its siblings instead of moving them, and a document may hold
// thousands of schemas side by side.
std::vector<Place> sortedPlaces(const std::vector<const jv::JV*>& values) {
    std::vector<Place> places;
    places.reserve(values.size());
    jv::PointerTexts texts;
    for (const jv::JV* value : values) places.push_back({texts.of(*value), value});
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.pointer < b.pointer; });
    return places;
}

// Copies a place of the source into `tree` at the same pointer, making the objects on the way. An array on the way
// becomes an object keyed by the indices, which a pointer resolves alike.
void copyPlace(const Place& place, jv::JV& tree) {
    const jv::JVPointer pointer(place.pointer);
    jv::JV* at = &tree;
    for (std::size_t i = 0; i + 1 < pointer.size(); ++i) {
        jv::JV* next = at->property(pointer[i]);
        if (next == nullptr) next = at->setProperty(pointer[i], std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
        at = next;
    }
    at->setProperty(pointer.back(), place.value->clone());
}

// The schemas of one document compiled for checking examples: per kind of example that needs one of its own, a copy
// in JSON Schema form of the schemas the examples are checked against and of what their references reach, each at
// its place in the document (so that references and pointers hold), compiled once, its schemas compiled as they are
// asked for. Most of a large document is operations, which the copy leaves out. A schema that refers nowhere needs
// none of that: it is copied and compiled alone.
class ExampleSchemas {
  public:
    ExampleSchemas(const jv::JV& root, bool is30, const std::vector<const jv::JV*>& schemas)
        : source_(root), is30_(is30), places_(sortedPlaces(placesToCopy(root, schemas))) {
        const jv::JV* declared = root.property("jsonSchemaDialect");
        if (is30) {
            dialect_ = jv::schema::draft04Uri;
        } else if (declared != nullptr && declared->isString() &&
                   jv::schema::JVDialectRegistry::instance().hasDialect(declared->stringValue())) {
            dialect_ = declared->stringValue();
        } else {
            dialect_ = jv::schema::draft202012Uri;
        }
    }

    // The schema at a place of the source document, for examples that may leave out the `optional` properties;
    // null when nothing there compiles. `selfContained` says whether nothing in it refers elsewhere.
    const jv::schema::JVSchema* at(const jv::JV& schema, unsigned optional, bool selfContained) {
        if (selfContained) return alone(schema, optional);
        const unsigned key = listed_ < 0 ? optional : optional & static_cast<unsigned>(listed_);
        if (!variants_[key]) build(optional);
        // A reference within the copy, which was compiled under the default base URL: resolving it needs no URL
        // parsing. References decode their fragment; a pointer is plain text.
        std::string url = "#";
        for (const char c : pointerTexts_.of(schema)) {
            if (c == '%') {
                url += "%25";
            } else {
                url += c;
            }
        }
        return variants_[key]->context->findOrCompileSchema(url);
    }

  private:
    // A schema that refers nowhere validates alike wherever it stands: it is compiled on its own, in a copy of just
    // itself, once for all the schemas alike but for their annotations. Documents repeat small schemas
    // ({"type": "string", "format": "date"}) at many places, with their own descriptions and examples.
    const jv::schema::JVSchema* alone(const jv::JV& schema, unsigned optional) {
        std::vector<Compiled>& compiledAlike = alone_[optional][shapeHash(schema, true)];
        for (const Compiled& earlier : compiledAlike) {
            if (alike(schema, *earlier.first)) return earlier.schema;
        }
        // Under a member that no dialect compiles, so that a schema that does not compile is found missing, as in
        // the copy of the document.
        auto tree = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
        tree->setStringProperty("$schema", dialect_);
        tree->setProperty("schema", schema.clone());
        relaxForExamples(*tree, optional);
        if (is30_) openapi::nullableToJsonSchema(*tree);
        auto copy = std::make_shared<jv::schema::JVSchema>(std::move(tree), jv::schema::defaultBaseUrl());
        const jv::schema::JVSchema* compiled = copy->context->findOrCompileSchema("#/schema");
        compiledAlike.push_back({&schema, std::move(copy), compiled});
        return compiled;
    }

    void build(unsigned optional) {
        auto tree = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
        tree->setStringProperty("$schema", dialect_);
        if (places_.empty()) {
            // Schemas live under these members (the others hold none); they keep their places, and so their pointers.
            for (const char* member : {"paths", "webhooks", "components"}) {
                if (const jv::JV* part = source_.property(member)) tree->setProperty(member, part->clone());
            }
        } else {
            for (const Place& place : places_) copyPlace(place, *tree);
        }
        const unsigned listed = relaxForExamples(*tree, optional);
        if (is30_) openapi::nullableToJsonSchema(*tree);
        auto compiled = std::make_shared<jv::schema::JVSchema>(std::move(tree), jv::schema::defaultBaseUrl());
        listed_ = static_cast<int>(listed);
        // Relaxing what no list names changes nothing: examples that may leave out more share the copy.
        variants_[optional] = compiled;
        variants_[optional & listed] = compiled;
    }

    const jv::JV& source_;
    bool is30_;
    // What a copy holds; empty for the members of the whole document that hold schemas.
    std::vector<Place> places_;
    std::string dialect_;
    // The kinds of property some "required" list names (bits); unknown (-1) until the first copy is made.
    int listed_ = -1;
    std::array<std::shared_ptr<jv::schema::JVSchema>, 4> variants_;
    // The examples come in document order, so the schemas asked for share their containers' pointer texts.
    jv::PointerTexts pointerTexts_;
    // The first self-contained schema of the source of its kind (alike but for annotations), the copy of it and
    // what that compiled to.
    struct Compiled {
        const jv::JV* first;
        std::shared_ptr<jv::schema::JVSchema> copy;
        const jv::schema::JVSchema* schema;
    };
    // Per kind of example, by `shapeHash` (which numbers alike in value share).
    std::array<std::unordered_map<std::size_t, std::vector<Compiled>>, 4> alone_;
};

// The value inside `example` that a validation finding is about (found by its position), else the example itself.
const jv::JV* valueAt(const jv::JV& example, Pos pos) {
    if (!pos.known()) return &example;
    std::vector<const jv::JV*> pending{&example};
    while (!pending.empty()) {
        const jv::JV* value = pending.back();
        pending.pop_back();
        if (value->pos.line == pos.line && value->pos.column == pos.column) return value;
        if (value->isArray()) {
            for (const jv::JV* item : value->items()) pending.push_back(item);
        } else if (value->isObject()) {
            for (const auto [key, child] : value->properties()) pending.push_back(child);
        }
    }
    return &example;
}

class OpenAPIJSONSchemaValidationHandler : public RuleHandler<OpenAPIJSONSchemaValidation> {
  public:
    OpenAPIJSONSchemaValidationHandler(const OpenAPIJSONSchemaValidation& rule, Context& context)
        : RuleHandler(rule, context), read_(*context.readResult()) {}

    void handle(const openapi::MediaType* node) override { checkExamples(node); }
    void handle(const openapi::Parameter* node) override { checkExamples(node); }
    void handle(const openapi::Header* node) override { checkExamples(node); }

    // A schema's own "example", "examples" (the list) and "default".
    void handle(const openapi::Schema* node) override {
        // The model says whether there is anything to check; most schemas have no example.
        if (node->exampleValue() == nullptr && node->examples().empty() && !node->hasExampleList() &&
            node->defaultValue() == nullptr) {
            return;
        }
        const jv::JV* source = read_.value(node);
        if (source == nullptr || !source->isObject()) return;
        const jv::JV* example = source->property("example");
        const jv::JV* examples = source->property("examples");
        const jv::JV* fallback = source->property("default");
        if (examples != nullptr && !examples->isArray()) examples = nullptr;
        if ((example == nullptr && examples == nullptr && fallback == nullptr) || rule().isDisabled(node)) return;
        const unsigned optional = optionalPropertiesAt(node);
        if (example != nullptr) checks_.push_back({source, example, optional, nullptr});
        if (examples != nullptr) {
            for (const jv::JV* item : examples->items()) checks_.push_back({source, item, optional, nullptr});
        }
        if (fallback != nullptr) checks_.push_back({source, fallback, optional, nullptr});
    }

    // The schemas to copy are known only when every example has been seen.
    void documentVisited() override {
        const jv::JV& root = *read_.doc()->root();
        // A schema of another file of a split document is not in the root document the copies are made from.
        if (read_.isMultiFile()) {
            std::erase_if(checks_, [&](const Check& check) { return read_.docOf(check.schema) != read_.doc(); });
        }
        if (checks_.empty()) return;
        // Only schemas that refer elsewhere need the copy of the document.
        std::vector<const jv::JV*> placed;
        for (Check& check : checks_) {
            check.selfContained = selfContained(*check.schema);
            if (!check.selfContained) placed.push_back(check.schema);
        }
        ExampleSchemas compiled(root, context().model()->is30(), placed);
        for (const Check& check : checks_) validate(compiled, check);
    }

  private:
    // One example to validate against the schema it illustrates; `reference` is where a shared example is used.
    struct Check {
        const jv::JV* schema;
        const jv::JV* example;
        unsigned optional;
        const openapi::Node* reference;
        bool selfContained = false;  // known once every example has been seen
    };

    // The "example" and the named "examples" of a media type, parameter or header, against its "schema".
    template <class T>
    void checkExamples(const T* node) {
        if (node->examples().exampleMode() == openapi::Examples::Mode::none) return;
        const jv::JV* source = read_.value(node);
        const jv::JV* schema = source != nullptr && source->isObject() ? source->property("schema") : nullptr;
        if (schema == nullptr || rule().isDisabled(node)) return;
        const unsigned optional = optionalPropertiesAt(node);
        // The two forms exclude each other; the model holds the one the document is read with.
        const openapi::Examples& examples = node->examples();
        if (examples.exampleMode() == openapi::Examples::Mode::embedded) {
            if (const jv::JV* example = source->property("example"))
                checks_.push_back({schema, example, optional, nullptr});
        }
        for (const auto& [name, slot] : examples.externalExamples()) {
            const auto* target = slot->template resolveNodeAs<openapi::Example>();
            if (target == nullptr || rule().isDisabled(slot.get(), target)) continue;
            const jv::JV* object = read_.value(target);
            // An example given by "externalValue" alone is not fetched.
            const jv::JV* value = object != nullptr && object->isObject() ? object->property("value") : nullptr;
            if (value == nullptr) continue;
            // A shared example is reported where it is used: it may suit one schema and not another.
            checks_.push_back({schema, value, optional, slot.get() == target ? nullptr : slot.get()});
        }
    }

    void validate(ExampleSchemas& schemas, const Check& check) {
        const jv::schema::JVSchema* compiled = schemas.at(*check.schema, check.optional, check.selfContained);
        if (compiled == nullptr) return;
        jv::schema::JVValidationResult result;
        if (compiled->validate(*check.example, result)) return;
        // Some keywords ("enum", "oneOf", "not", ...) fail without a finding of their own.
        std::string message = "Example does not match its schema: ";
        message += result.issues.empty() ? "value is not allowed by the schema" : result.issues.front().message;
        if (check.reference != nullptr) {
            report(message, check.reference);
        } else {
            const Pos pos = result.issues.empty() ? Pos{} : result.issues.front().pos;
            context().addIssue(rule(), message, valueAt(*check.example, pos));
        }
    }

    const openapi::OpenAPIReadResult& read_;
    std::vector<Check> checks_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OpenAPIJSONSchemaValidation::createHandler(Context& context) {
    const jv::JVDoc* doc = context.readResult()->doc();
    if (doc == nullptr || doc->root() == nullptr || !doc->root()->isObject()) return nullptr;
    return makeKindHandler<OpenAPIJSONSchemaValidationHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
