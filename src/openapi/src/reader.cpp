#include "zephalon/openapi/reader.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <set>
#include <stdexcept>

#include "reader_impl.h"
#include "reference_text.h"
#include "zephalon/jv/read_error.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::openapi {

namespace {

constexpr std::string_view kUnknownFormat = "Unknown format: ";

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Parser

Parser::Parser(const SchemaDialectRegistry* dialects, const SchemaFormatRegistry* formats, bool allowNullableIn31)
    : dialects_(dialects),
      formats_(formats),
      allowNullableIn31_(allowNullableIn31),
      result_(std::make_unique<OpenAPIReadResult>()) {
    if (formats_ == nullptr) throw std::invalid_argument("Schema format registry must be provided");
    if (dialects_ == nullptr) {
        ownDialects_ = std::make_unique<SchemaDialectRegistry>();
        dialects_ = ownDialects_.get();
    }
}

Parser::~Parser() = default;

void Parser::fromFile(const std::filesystem::path& path) {
    std::unique_ptr<jv::JVDoc> doc;
    if (options_.fileSystem == nullptr) {
        doc = jv::readFile(path);
    } else {
        std::optional<FileFormat> format = jv::guessFormat(path);
        if (!format) throw std::runtime_error(fmt::format("Unsupported file format: {}", path.string()));
        std::string text = options_.fileSystem->read(path.string());
        try {
            doc = jv::readString(text, *format);
        } catch (const jv::ReadError& error) {
            throw error.inFile(path.string());
        }
    }
    if (result_ == nullptr) result_ = std::make_unique<OpenAPIReadResult>();
    result_->setFilePath(path);
    fromDoc(std::move(doc));
}

void Parser::fromStream(std::istream& in, FileFormat format) { fromDoc(jv::readStream(in, format)); }

void Parser::fromString(std::string_view text, FileFormat format) { fromDoc(jv::readString(text, format)); }

void Parser::fromDoc(std::unique_ptr<jv::JVDoc> doc) {
    if (result_ == nullptr) result_ = std::make_unique<OpenAPIReadResult>();
    result_->setDoc(std::move(doc));
    fromJV();
}

void Parser::fromJV() {
    auto scope = telemetry::getSpanScope("parseJV");
    if (result_ == nullptr) throw std::logic_error("The parser's result was already handed over");
    if (result_->doc() == nullptr) result_->setDoc(std::make_unique<jv::JVDoc>());
    detail::DocumentReader reader(*result_, *dialects_, *formats_, allowNullableIn31_, options_);
    reader.read();
}

void Parser::checkIssues() const {
    if (result_ == nullptr || !result_->hasIssues()) return;
    throw std::runtime_error(formatIssues(*result_));
}

std::unique_ptr<OpenAPIReadResult> Parser::result() { return std::move(result_); }

std::string formatIssues(const OpenAPIReadResult& result) {
    std::string text;
    bool unknownFormat = false;
    for (const Issue& issue : result.issues()) {
        Pos pos = result.issuePos(issue);
        // Issues of the root document keep their short form; those of other files say which file they stand in.
        std::optional<std::filesystem::path> file = result.isMultiFile() ? result.issueFile(issue) : std::nullopt;
        if (file && file != result.filePath()) {
            text += fmt::format("{} at ({}, {}) in {}\n", issue.message, pos.line, pos.column, file->string());
        } else {
            text += fmt::format("{} at ({}, {})\n", issue.message, pos.line, pos.column);
        }
        if (issue.message.find(kUnknownFormat) != std::string::npos) unknownFormat = true;
    }
    if (unknownFormat) {
        text +=
            "\nWARNING: Looks like this schema uses custom schema formats. Define them in \n"
            "the configuration file and pass the configuration file using the --config \n"
            "option. You can find more information about custom formats in the docs: \n"
            "https://zephalon.dev/docs/configuration#custom-formats\n";
    }
    return text;
}

// ---------------------------------------------------------------------------------------------------------------
// Read functions

namespace {

std::unique_ptr<OpenAPIReadResult> readText(std::string_view text, FileFormat format,
                                            const SchemaFormatRegistry* formats, bool checked) {
    if (formats == nullptr) throw std::invalid_argument("Schema format registry must be provided");
    Parser parser(nullptr, formats);
    parser.fromString(text, format);
    if (checked) parser.checkIssues();
    return parser.result();
}

std::unique_ptr<OpenAPIReadResult> readPath(const std::filesystem::path& path, const SchemaFormatRegistry* formats,
                                            bool checked, const ReadOptions& options = {}) {
    if (formats == nullptr) throw std::invalid_argument("Schema format registry must be provided");
    Parser parser(nullptr, formats);
    parser.setReadOptions(options);
    parser.fromFile(path);
    if (checked) parser.checkIssues();
    return parser.result();
}

}  // namespace

// A default registry holds only the built-in formats, which live for the whole run, so the model may outlive it.
std::unique_ptr<OpenAPIReadResult> readFromString(std::string_view text, FileFormat format) {
    SchemaFormatRegistry formats;
    return readText(text, format, &formats, false);
}

std::unique_ptr<OpenAPIReadResult> readFromString(std::string_view text, FileFormat format,
                                                  const SchemaFormatRegistry* formats) {
    return readText(text, format, formats, false);
}

std::unique_ptr<OpenAPIReadResult> checkedReadFromString(std::string_view text, FileFormat format) {
    SchemaFormatRegistry formats;
    return readText(text, format, &formats, true);
}

std::unique_ptr<OpenAPIReadResult> checkedReadFromFile(const std::filesystem::path& path) {
    SchemaFormatRegistry formats;
    return readPath(path, &formats, true);
}

std::unique_ptr<OpenAPIReadResult> checkedReadFromFile(const std::filesystem::path& path,
                                                       const SchemaFormatRegistry* formats) {
    return readPath(path, formats, true);
}

std::unique_ptr<OpenAPIReadResult> uncheckedReadFromFile(const std::filesystem::path& path) {
    SchemaFormatRegistry formats;
    return readPath(path, &formats, false);
}

std::unique_ptr<OpenAPIReadResult> checkedReadFromFile(const std::filesystem::path& path,
                                                       const SchemaFormatRegistry* formats,
                                                       const ReadOptions& options) {
    return readPath(path, formats, true, options);
}

std::unique_ptr<OpenAPIReadResult> uncheckedReadFromFile(const std::filesystem::path& path,
                                                         const SchemaFormatRegistry* formats,
                                                         const ReadOptions& options) {
    return readPath(path, formats, false, options);
}

// ---------------------------------------------------------------------------------------------------------------
// DocumentReader: common helpers

namespace detail {

KindInfo kindInfo(RefKind kind) {
    switch (kind) {
        case RefKind::schema:
            return {"#/components/schemas/", "schemas"};
        case RefKind::response:
            return {"#/components/responses/", "responses"};
        case RefKind::parameter:
            return {"#/components/parameters/", "parameters"};
        case RefKind::example:
            return {"#/components/examples/", "examples"};
        case RefKind::requestBody:
            return {"#/components/requestBodies/", "requestBodies"};
        case RefKind::header:
            return {"#/components/headers/", "headers"};
        case RefKind::link:
            return {"#/components/links/", "links"};
        case RefKind::callback:
            return {"#/components/callbacks/", "callbacks"};
        case RefKind::pathItem:
            return {"#/components/pathItems/", "pathItems"};
    }
    return {"#/components/schemas/", "schemas"};
}

DocumentReader::DocumentReader(OpenAPIReadResult& result, const SchemaDialectRegistry& dialects,
                               const SchemaFormatRegistry& formats, bool allowNullableIn31, const ReadOptions& options)
    : result_(result),
      doc_(*result.doc()),
      dialects_(dialects),
      formats_(formats),
      allowNullableIn31_(allowNullableIn31),
      options_(options) {
    if (options_.fileSystem == nullptr) {
        ownFileSystem_ = std::make_unique<LocalFileSystem>();
        options_.fileSystem = ownFileSystem_.get();
    }
}

DocumentReader::~DocumentReader() = default;

DocumentReader::DepthScope::DepthScope(DocumentReader& reader, const Node* node, const JV& value)
    : reader_(reader), ok_(++reader.depth_ <= kMaxDepth) {
    if (!ok_ && reader.depth_ == kMaxDepth + 1) reader.issue(node, &value, "Nesting is too deep");
}

void DocumentReader::read() {
    result_.clearIssues();
    result_.setModel(std::make_unique<OpenAPI>());
    model_ = result_.model();
    placeholder_ = std::make_unique<Schema>(model_->components());
    pendingMarker_ = std::make_unique<Reference>(model_->components(), placeholder_.get());
    pendingLinks_.clear();
    is30_ = false;
    depth_ = 0;
    startFiles();
    const JV* root = doc_.root();
    if (root == nullptr || !root->isObject()) {
        issue(model_, root, "OpenAPI object must be an object");
    } else {
        readOpenAPI(*root);
    }
    // Unresolved links keep their Reference, now dangling; the placeholder never outlives the parse.
    pendingLinks_.clear();
    pendingMarker_.reset();
    placeholder_->clearReferences();
    placeholder_.reset();
    is30_ = false;
}

void DocumentReader::issue(const Node* node, const JV* value, std::string message) {
    // A problem without a value of its own (an unresolved link, say) is placed at the nearest node read from one.
    for (const Node* n = node; value == nullptr && n != nullptr; n = n->parent()) value = result_.value(n);
    result_.addIssue(node, value, std::move(message));
}

std::optional<std::string> DocumentReader::optString(const Node* node, const JV& object, std::string_view key) {
    try {
        const JV* v = object.optionalStringProperty(key);
        if (v == nullptr) return std::nullopt;
        return std::string(v->stringValue());
    } catch (const jv::JVError& e) {
        issue(node, e.node, e.what());
        return std::nullopt;
    }
}

std::optional<bool> DocumentReader::optBool(const Node* node, const JV& object, std::string_view key) {
    try {
        const JV* v = object.optionalBooleanProperty(key);
        if (v == nullptr) return std::nullopt;
        return v->booleanValue();
    } catch (const jv::JVError& e) {
        issue(node, e.node, e.what());
        return std::nullopt;
    }
}

const number::Number* DocumentReader::optNumber(const Node* node, const JV& object, std::string_view key) {
    try {
        const JV* v = object.optionalNumericProperty(key);
        return v == nullptr ? nullptr : &v->numberValue();
    } catch (const jv::JVError& e) {
        issue(node, e.node, e.what());
        return nullptr;
    }
}

std::optional<std::uint64_t> DocumentReader::optCount(const Node* node, const JV& object, std::string_view key) {
    try {
        const JV* v = object.optionalIntegerProperty(key);
        if (v == nullptr) return std::nullopt;
        const number::Number& n = v->numberValue();
        if (n.compare(number::Number(0)) < 0 ||
            n.compare(number::Number(std::numeric_limits<std::uint64_t>::max())) > 0) {
            issue(node, &object, fmt::format("A non-negative integer value is expected for '{}'.", key));
            return std::nullopt;
        }
        return n.toULong();
    } catch (const jv::JVError& e) {
        issue(node, e.node, e.what());
        return std::nullopt;
    }
}

const jv::JV* DocumentReader::optArray(const Node* node, const JV& object, std::string_view key) {
    try {
        return object.optionalArrayProperty(key);
    } catch (const jv::JVError& e) {
        issue(node, e.node, e.what());
        return nullptr;
    }
}

const jv::JV* DocumentReader::optObject(const Node* node, const JV& object, std::string_view key) {
    try {
        return object.optionalObjectProperty(key);
    } catch (const jv::JVError& e) {
        issue(node, e.node, e.what());
        return nullptr;
    }
}

DocumentReader::Members DocumentReader::members(const JV& object) const {
    Members out;
    out.reserve(object.size());
    std::vector<std::string_view> order = files_[currentFile_].doc->propOrder(object);
    if (order.size() == object.size()) {
        for (std::string_view key : order) {
            const JV* v = object.property(key);
            if (v == nullptr) break;
            out.emplace_back(key, v);
        }
        if (out.size() == object.size()) return out;
        out.clear();
    }
    for (auto [key, v] : object.properties()) out.emplace_back(key, v);
    return out;
}

void DocumentReader::readExtensions(Node* node, const JV& object) {
    for (auto [key, v] : object.properties()) {
        if (isExtensionKey(key)) node->setExtension(key, v->clone());
    }
}

bool DocumentReader::expectObject(const Node* node, const JV& value, std::string_view message) {
    if (value.isObject()) return true;
    issue(node, &value, std::string(message));
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// References

std::string DocumentReader::refText(const JV& value) const {
    const JV* ref = value.property("$ref");
    if (ref == nullptr) return {};
    if (!ref->isString()) throw jv::JVError(fmt::format("A string value is expected for '{}'.", "$ref"), &value);
    return std::string(ref->stringValue());
}

std::optional<std::string> DocumentReader::componentKey(RefKind kind, std::string_view ref) const {
    if (componentsValue_ == nullptr) return std::nullopt;
    KindInfo info = kindInfo(kind);
    const JV* entries = componentsValue_->property(info.mapName);
    if (entries == nullptr || !entries->isObject()) return std::nullopt;
    std::string text(ref);
    // Each hop names a different entry, so a chain longer than the map is a cycle.
    for (std::size_t hops = 0; hops <= entries->size(); ++hops) {
        std::optional<jv::JVPointer> pointer = detail::referencePointer(text);
        if (!pointer || pointer->size() != 3 || (*pointer)[0] != "components" || (*pointer)[1] != info.mapName) {
            return std::nullopt;
        }
        const std::string& key = (*pointer)[2];
        const JV* entry = entries->property(key);
        if (entry == nullptr) return std::nullopt;
        if (!isRef(*entry)) return key;
        const JV* next = entry->property("$ref");
        if (!next->isString()) return std::nullopt;
        // An entry that points into another file holds what it points at (or a reference to it, see lookup).
        if (!next->stringValue().starts_with('#')) return key;
        text = next->stringValue();
    }
    return std::nullopt;
}

Node* DocumentReader::lookup(RefKind kind, std::string_view ref) const {
    std::optional<std::string> key = componentKey(kind, ref);
    if (!key) return nullptr;
    const Components* components = model_->components();
    Node* node = nullptr;
    switch (kind) {
        case RefKind::schema:
            node = components->schemaNode(*key);
            break;
        case RefKind::response:
            node = components->responseNode(*key);
            break;
        case RefKind::parameter:
            node = components->parameterNode(*key);
            break;
        case RefKind::example:
            node = components->exampleNode(*key);
            break;
        case RefKind::requestBody:
            node = components->requestBodyNode(*key);
            break;
        case RefKind::header:
            node = components->headerNode(*key);
            break;
        case RefKind::link:
            node = components->linkNode(*key);
            break;
        case RefKind::callback:
            node = components->callbackNode(*key);
            break;
        case RefKind::pathItem:
            node = components->pathItemNode(*key);
            break;
    }
    if (node == nullptr) return nullptr;
    if (node->type() == NodeType::Reference) {
        // Only an entry that points into another file is a Reference here (to what was read from there); any other
        // would be an entry that failed to read as a concrete one.
        const JV* source = result_.value(node);
        const JV* text = source != nullptr && source->isObject() ? source->property("$ref") : nullptr;
        if (text == nullptr || !text->isString() || text->stringValue().starts_with('#')) return nullptr;
        Node* target = node->resolveNode();
        return target == placeholder_.get() ? nullptr : target;
    }
    return node;
}

bool isOfKind(RefKind kind, const Node& node) {
    switch (kind) {
        case RefKind::schema:
            return isKindOf<Schema>(node.type());
        case RefKind::response:
            return isKindOf<Response>(node.type());
        case RefKind::parameter:
            return isKindOf<Parameter>(node.type());
        case RefKind::example:
            return isKindOf<Example>(node.type());
        case RefKind::requestBody:
            return isKindOf<RequestBody>(node.type());
        case RefKind::header:
            return isKindOf<Header>(node.type());
        case RefKind::link:
            return isKindOf<Link>(node.type());
        case RefKind::callback:
            return isKindOf<Callback>(node.type());
        case RefKind::pathItem:
            return isKindOf<PathItem>(node.type());
    }
    return false;
}

std::string_view DocumentReader::kindName(RefKind kind) {
    switch (kind) {
        case RefKind::schema:
            return "schema";
        case RefKind::response:
            return "response";
        case RefKind::parameter:
            return "parameter";
        case RefKind::example:
            return "example";
        case RefKind::requestBody:
            return "request body";
        case RefKind::header:
            return "header";
        case RefKind::link:
            return "link";
        case RefKind::callback:
            return "callback";
        case RefKind::pathItem:
            return "path item";
    }
    return "node";
}

std::string DocumentReader::wrongKindMessage(RefKind kind, std::string_view ref) {
    return fmt::format("Reference target is not a {}: {}", kindName(kind), ref);
}

DocumentReader::RefTarget DocumentReader::findTarget(RefKind kind, std::string_view ref) const {
    if (Node* entry = lookup(kind, ref)) return {RefStatus::found, entry};
    std::optional<jv::JVPointer> pointer = detail::referencePointer(ref);
    const JV* value = pointer ? doc_.findNode(*pointer) : nullptr;
    if (value == nullptr) return {RefStatus::missing};
    Node* node = result_.nodeOf(value);
    if (node == nullptr) return {RefStatus::unread};
    if (node->type() == NodeType::Reference) {
        // A reference to a reference leads where that one does, once it is resolved.
        node = node->resolveNode();
        if (node == nullptr || node == placeholder_.get()) return {RefStatus::pending};
    }
    return {isOfKind(kind, *node) ? RefStatus::found : RefStatus::wrongKind, node};
}

const jv::JV* DocumentReader::refValue(std::string_view ref) const {
    std::string text(ref);
    // A longer chain than this is a cycle for any document a person writes.
    for (int hops = 0; hops < 64; ++hops) {
        std::optional<jv::JVPointer> pointer = detail::referencePointer(text);
        const JV* value = pointer ? doc_.findNode(*pointer) : nullptr;
        if (value == nullptr || !isRef(*value)) return value;
        const JV* next = value->property("$ref");
        if (!next->isString()) return nullptr;
        text = next->stringValue();
    }
    return nullptr;
}

void DocumentReader::readReference(Reference* reference, const JV& value) {
    map(reference, value);
    if (const JV* summary = value.property("summary"); summary != nullptr && summary->isString()) {
        reference->setSummary(std::string(summary->stringValue()));
    }
    if (const JV* description = value.property("description"); description != nullptr && description->isString()) {
        reference->setDescription(std::string(description->stringValue()));
    }
    readExtensions(reference, value);
}

void DocumentReader::resolvePendingLinks() {
    const std::set<Reference*>& live = placeholder_->references();
    // Pass after pass while links resolve: one may lead through a reference that resolved in the same pass.
    for (bool progress = true; progress;) {
        progress = false;
        for (auto it = pendingLinks_.begin(); it != pendingLinks_.end();) {
            // A reference whose slot was replaced while reading is gone; it must not be touched.
            if (!live.contains(it->second.reference)) {
                it = pendingLinks_.erase(it);
                continue;
            }
            RefTarget target = findTarget(it->second.kind, it->first);
            if (target.status == RefStatus::found) {
                it->second.reference->setNode(target.node);
                it = pendingLinks_.erase(it);
                progress = true;
            } else {
                ++it;
            }
        }
    }
    // What is left leads nowhere, around a cycle, or to something that was not read as that kind.
    std::vector<std::pair<const std::string*, const PendingLink*>> unresolvedSchemas;
    for (const auto& [ref, link] : pendingLinks_) {
        RefStatus status = findTarget(link.kind, ref).status;
        if (status == RefStatus::wrongKind || status == RefStatus::unread) {
            issue(link.reference, result_.value(link.reference), wrongKindMessage(link.kind, ref));
        } else if (link.kind == RefKind::schema) {
            unresolvedSchemas.emplace_back(&ref, &link);
        } else {
            issue(link.reference, result_.value(link.reference), "Unresolved reference: " + ref);
        }
    }
    if (unresolvedSchemas.empty()) return;
    // The placeholder does not survive the parse, so the summary issue names the components that lack the targets.
    issue(model_->components(), nullptr, "Unresolved references found");
    for (const auto& [ref, link] : unresolvedSchemas) {
        issue(link->reference, result_.value(link->reference), "Unresolved reference: " + *ref);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Components

void DocumentReader::readComponents(const JV& value) {
    Components* components = model_->components();
    if (!expectObject(components, value, "Expected an object")) return;
    map(components, value);
    componentsValue_ = &value;
    collectRootAliases(value);
    static constexpr std::pair<std::string_view, std::optional<RefKind>> kMaps[] = {
        {"examples", RefKind::example},
        {"schemas", RefKind::schema},
        {"parameters", RefKind::parameter},
        {"headers", RefKind::header},
        {"links", RefKind::link},
        {"responses", RefKind::response},
        {"requestBodies", RefKind::requestBody},
        {"securitySchemes", std::nullopt},
        {"callbacks", RefKind::callback},
        {"pathItems", RefKind::pathItem},
    };
    for (const auto& member : kMaps) {
        const auto& name = member.first;
        const auto& kind = member.second;
        guard(components, &value, [&] {
            const JV* entries = optObject(components, value, name);
            if (entries == nullptr) return;
            mapKeyed(components, name, entries);
            Members all = members(*entries);
            if (!kind) {
                for (const auto& member : all) {
                    const auto& key = member.first;
                    const auto& entry = member.second;
                    guard(components, entry, [&] { readSecurityScheme(key, *entry); });
                }
                return;
            }
            // Concrete entries first, so that an alias finds its target whatever the order of the entries.
            for (const auto& member : all) {
                const auto& key = member.first;
                const auto& entry = member.second;
                if (!isRef(*entry)) guard(components, entry, [&] { readComponentEntry(*kind, key, *entry); });
            }
            for (const auto& member : all) {
                const auto& key = member.first;
                const auto& entry = member.second;
                if (isRef(*entry)) guard(components, entry, [&] { readComponentEntry(*kind, key, *entry); });
            }
        });
    }
    guard(components, &value, [&] { readExtensions(components, value); });
}

void DocumentReader::readComponentEntry(RefKind kind, std::string_view key, const JV& value) {
    Components* c = model_->components();
    const bool ref = isRef(value);
    if (ref && isExternal(refText(value))) {
        std::string place = fmt::format("/components/{}/{}", kindInfo(kind).mapName, jv::escapeToken(key));
        if (readInPlace(c, value, place, [&](const JV& target) { readComponentEntry(kind, key, target); })) return;
        // A reference from elsewhere reached the target first and read it under this entry's key.
        if (componentNode(kind, key) != nullptr) return;
    }
    switch (kind) {
        case RefKind::schema:
            readSchemaSlot(
                c, value, [&] { return c->addSchema(key); },
                [&](Schema* target) { return c->addSchemaRef(key, target); });
            return;
        case RefKind::response:
            if (ref) {
                readRefSlot<Response>(kind, c, value, [&](auto* t) { return c->addResponseRef(key, t); });
            } else if (expectObject(c, value, "Expected an object")) {
                readResponse(c->addResponse(key), value);
            }
            return;
        case RefKind::parameter:
            if (ref) {
                readRefSlot<Parameter>(kind, c, value, [&](auto* t) { return c->addParameterRef(key, t); });
            } else {
                makeParameter(c, value, [&](Parameter::Location location, std::string name) -> Parameter* {
                    switch (location) {
                        case Parameter::Location::path:
                            return c->addPathParameter(key, std::move(name));
                        case Parameter::Location::query:
                            return c->addQueryParameter(key, std::move(name));
                        case Parameter::Location::header:
                            return c->addHeaderParameter(key, std::move(name));
                        case Parameter::Location::cookie:
                            return c->addCookieParameter(key, std::move(name));
                    }
                    return nullptr;
                });
            }
            return;
        case RefKind::example:
            if (ref) {
                readRefSlot<Example>(kind, c, value, [&](auto* t) { return c->addExampleRef(key, t); });
            } else if (expectObject(c, value, "Expected an object")) {
                readExample(c->addExample(key), value);
            }
            return;
        case RefKind::requestBody:
            if (ref) {
                readRefSlot<RequestBody>(kind, c, value, [&](auto* t) { return c->addRequestBodyRef(key, t); });
            } else if (expectObject(c, value, "Expected an object")) {
                readRequestBody(c->addRequestBody(key), value);
            }
            return;
        case RefKind::header:
            if (ref) {
                readRefSlot<Header>(kind, c, value, [&](auto* t) { return c->addHeaderRef(key, t); });
            } else if (expectObject(c, value, "Expected an object")) {
                readHeader(c->addHeader(key), value);
            }
            return;
        case RefKind::link:
            if (ref) {
                readRefSlot<Link>(kind, c, value, [&](auto* t) { return c->addLinkRef(key, t); });
            } else if (expectObject(c, value, "Expected an object")) {
                readLink(c->addLink(key), value);
            }
            return;
        case RefKind::callback:
            if (ref) {
                readRefSlot<Callback>(kind, c, value, [&](auto* t) { return c->addCallbackRef(key, t); });
            } else if (expectObject(c, value, "Expected an object")) {
                readCallback(c->addCallback(key), value);
            }
            return;
        case RefKind::pathItem:
            if (ref) {
                readRefSlot<PathItem>(kind, c, value, [&](auto* t) { return c->addPathItemRef(key, t); });
            } else {
                readPathItem(c->addPathItem(key), value);
            }
            return;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Paths and webhooks

void DocumentReader::readPaths(const JV& value) {
    Paths* paths = model_->paths();
    if (!expectObject(paths, value, "Expected an object")) return;
    map(paths, value);
    for (const auto& member : members(value)) {
        const auto& key = member.first;
        const auto& item = member.second;
        if (isExtensionKey(key)) continue;
        guard(paths, item, [&] {
            if (isRef(*item) && isExternal(refText(*item)) &&
                readInPlace(paths, *item, "/paths/" + jv::escapeToken(key),
                            [&](const JV& target) { readPathItem(paths->addItem(key), target); })) {
                return;
            }
            if (isRef(*item)) {
                readRefSlot<PathItem>(RefKind::pathItem, paths, *item,
                                      [&](auto* t) { return paths->addItemRef(key, t); });
            } else {
                readPathItem(paths->addItem(key), *item);
            }
        });
    }
    readExtensions(paths, value);
}

void DocumentReader::readWebhooks(const JV& value) {
    OpenAPI* model = model_;
    mapKeyed(model, "webhooks", &value);
    for (const auto& member : members(value)) {
        const auto& key = member.first;
        const auto& item = member.second;
        guard(model, item, [&] {
            if (isRef(*item) && isExternal(refText(*item)) &&
                readInPlace(model, *item, "/webhooks/" + jv::escapeToken(key),
                            [&](const JV& target) { readPathItem(model->addWebhook(key), target); })) {
                return;
            }
            if (isRef(*item)) {
                readRefSlot<PathItem>(RefKind::pathItem, model, *item,
                                      [&](auto* t) { return model->addWebhookRef(key, t); });
            } else {
                readPathItem(model->addWebhook(key), *item);
            }
        });
    }
}

}  // namespace detail
}  // namespace zephalon::openapi
