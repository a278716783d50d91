#include "schema_validators.h"

#include <fmt/format.h>

#include <set>

#include "zephalon/jv/pointer.h"
#include "zephalon/jv_schema/schema.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi_mock {

namespace {

namespace js = jv::schema;

// Locations are only ever looked up inside this document; the host is one that cannot exist.
constexpr std::string_view kBaseUrl = "https://document.mock.zephalon.invalid/";

// Every schema of the model, and the schema slots of parameters, headers and media types (which may be references
// holding more than their target, such as a 3.1 "$ref" with siblings).
class SchemaCollector : public openapi::NodeVisitHandler {
  public:
    std::vector<const openapi::Schema*> schemas;
    std::vector<const openapi::Node*> slots;

    void handle(const openapi::Schema* schema) override { schemas.push_back(schema); }
    void handle(const openapi::Parameter* parameter) override { addSlot(parameter->schemaOrContent()); }
    void handle(const openapi::Header* header) override { addSlot(header->schemaOrContent()); }
    void handle(const openapi::MediaType* mediaType) override {
        if (mediaType->schemaNode()) slots.push_back(mediaType->schemaNode());
    }

  private:
    void addSlot(const openapi::SchemaOrMediaType& value) {
        if (value.schemaMode() == openapi::SchemaOrMediaType::Mode::schema && value.schemaNode()) {
            slots.push_back(value.schemaNode());
        }
    }
};

// Adjusts one schema object of the copy: "nullable: true" adds null to the types (the engine's dialects do not
// know the keyword), and readOnly properties are dropped from "required", since requests need not carry them.
void adjustForRequests(const openapi::Schema& schema, jv::JV& json) {
    if (const jv::JV* nullable = json.property("nullable");
        nullable && nullable->isBoolean() && nullable->booleanValue()) {
        if (jv::JV* type = json.property("type")) {
            if (type->isString()) {
                std::string name(type->stringValue());
                type->setArray();
                type->addString(name);
                type->addString("null");
            } else if (type->isArray()) {
                bool hasNull = false;
                for (const jv::JV* item : type->items())
                    hasNull = hasNull || (item->isString() && item->stringValue() == "null");
                if (!hasNull) type->addString("null");
            }
        }
    }
    jv::JV* required = json.property("required");
    if (!required || !required->isArray()) return;
    for (std::size_t i = required->size(); i-- > 0;) {
        const jv::JV* name = required->at(i);
        if (!name->isString()) continue;
        const openapi::Schema* property = schema.property(name->stringValue());
        if (property && property->readOnly()) required->removeAt(i);
    }
}

}  // namespace

SchemaValidators::SchemaValidators(const openapi::OpenAPIReadResult& document) : document_(document) {
    const openapi::OpenAPI* model = document.model();
    if (!model || !document.doc() || !document.doc()->root()) return;
    copy_.setRoot(document.doc()->root()->clone());

    dialect_ = std::string(js::draft04Uri);
    if (model->is31()) {
        dialect_ = std::string(js::draft202012Uri);
        const auto& declared = model->jsonSchemaDialect();
        if (declared && js::JVDialectRegistry::instance().hasDialect(*declared)) dialect_ = *declared;
    }

    SchemaCollector collector;
    openapi::NodeVisitor(collector).visit(model);

    std::set<std::string> roots;
    for (const openapi::Schema* schema : collector.schemas) {
        auto location = document.sourceLocation(schema);
        if (!location) continue;
        if (jv::JV* json = copy_.findNode(location->pointer); json && json->isObject())
            adjustForRequests(*schema, *json);
        if (!schema->parent() || schema->parent()->type() != openapi::NodeType::Schema) roots.insert(location->pointer);
    }
    for (const openapi::Node* slot : collector.slots) {
        if (auto location = document.sourceLocation(slot)) roots.insert(location->pointer);
    }
    // Component entries that are aliases ("$ref" only) are no Schema nodes but may be referenced all the same.
    if (const jv::JV* components = copy_.root()->isObject() ? copy_.root()->property("components") : nullptr) {
        if (const jv::JV* schemas = components->isObject() ? components->property("schemas") : nullptr) {
            if (schemas->isObject()) {
                for (auto [name, value] : schemas->properties()) {
                    (void)value;
                    roots.insert(
                        jv::JVPointer(std::vector<std::string>{"components", "schemas", std::string(name)}).string());
                }
            }
        }
    }
    compile(std::vector<std::string>(roots.begin(), roots.end()));
}

SchemaValidators::~SchemaValidators() = default;

void SchemaValidators::compile(const std::vector<std::string>& rootPointers) {
    // A schema that fails to compile may have registered some of its subschemas before failing; those would dangle.
    // So the whole context is built again, with the failed schema replaced by one that accepts everything.
    std::set<std::string> failed;
    while (true) {
        context_ = std::make_shared<js::SchemaContext>(std::string(kBaseUrl));
        context_->dialect = dialect_;
        roots_.clear();
        std::optional<std::string> failure;
        for (const std::string& pointerText : rootPointers) {
            jv::JVPointer pointer(pointerText);
            const jv::JV* json = copy_.findNode(pointer);
            if (!json) continue;
            for (const std::string& token : pointer) context_->pushPath(token);
            try {
                if (failed.contains(pointerText)) {
                    roots_.push_back(std::make_unique<js::JVSchema>(context_, jv::JV(true)));
                } else {
                    roots_.push_back(std::make_unique<js::JVSchema>(context_, *json));
                }
            } catch (const std::exception& e) {
                warnings_.push_back(fmt::format("The schema at '{}' is not checked: {}", pointerText, e.what()));
                failure = pointerText;
            }
            if (failure) break;
            for (std::size_t i = 0; i < pointer.size(); ++i) context_->popPath();
        }
        if (!failure) return;
        failed.insert(*failure);
    }
}

const js::JVSchema* SchemaValidators::find(const openapi::Node* slot) const {
    if (!slot || !context_) return nullptr;
    auto location = document_.sourceLocation(slot);
    if (!location) return nullptr;
    return context_->findSchema(jv::JVPointer(location->pointer));
}

std::vector<SchemaFinding> validateValue(const js::JVSchema& schema, jv::JV& value) {
    // Number the nodes in their positions, so that each finding's position names its node.
    std::vector<jv::JV*> nodes;
    std::vector<jv::JV*> stack{&value};
    while (!stack.empty()) {
        jv::JV* node = stack.back();
        stack.pop_back();
        nodes.push_back(node);
        node->pos = Pos{static_cast<std::int32_t>(nodes.size()), 1};
        if (node->isArray()) {
            for (jv::JV* item : node->items()) stack.push_back(item);
        } else if (node->isObject()) {
            for (auto [key, child] : node->properties()) stack.push_back(child);
        }
    }
    js::JVValidationResult result;
    std::vector<SchemaFinding> findings;
    if (schema.validate(value, result)) return findings;
    for (const auto& issue : result.issues) {
        std::string pointer;
        if (issue.pos.line >= 1 && static_cast<std::size_t>(issue.pos.line) <= nodes.size()) {
            pointer = nodes[static_cast<std::size_t>(issue.pos.line) - 1]->pointer();
        }
        findings.push_back({issue.message, std::move(pointer)});
    }
    if (findings.empty()) findings.push_back({"value does not match the schema", ""});
    return findings;
}

}  // namespace zephalon::openapi_mock
