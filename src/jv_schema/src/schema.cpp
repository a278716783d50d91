#include "zephalon/jv_schema/schema.h"

#include <fmt/format.h>

#include <stdexcept>
#include <type_traits>

#include "builtins.h"
#include "jv_access.h"
#include "url.h"
#include "zephalon/foundation/uri.h"

namespace zephalon::jv::schema {

// ---------------------------------------------------------------------------------------------------------------
// Validation result

void JVValidationResult::addIssue(std::string message, JV const* instance) {
    if (!recording()) return;
    issues.push_back(Issue{std::move(message), instance ? positionOf(*instance) : Pos{}});
}

void JVValidationResult::addAnnotation(JV const* instance, std::string name, std::unique_ptr<JVAnnotation> annotation) {
    auto it = annotations.find(std::pair<JV const*, std::string_view>(instance, name));
    if (it != annotations.end()) {
        it->second = std::move(annotation);
        return;
    }
    annotations.emplace(AnnotationKey{instance, std::move(name)}, std::move(annotation));
}

JVAnnotation* JVValidationResult::findAnnotation(JV const* instance, std::string_view name) const {
    auto it = annotations.find(std::pair<JV const*, std::string_view>(instance, name));
    return it == annotations.end() ? nullptr : it->second.get();
}

void JVValidationResult::removeAnnotation(JV const* instance, std::string_view name) {
    auto it = annotations.find(std::pair<JV const*, std::string_view>(instance, name));
    if (it != annotations.end()) annotations.erase(it);
}

JVValidationResult::ReferenceScope::ReferenceScope(JVValidationResult& result, void const* reference,
                                                   JV const* instance)
    : result_(result) {
    auto& active = result.activeReferences_;
    if (active.size() >= maxReferenceDepth) {
        tooDeep_ = true;
        return;
    }
    // Validation only ever descends into the instance, so the references active for this instance value form
    // the top of the stack; looking there is enough to recognise a reference that re-enters itself.
    for (auto it = active.rbegin(); it != active.rend() && it->second == instance; ++it) {
        if (it->first == reference) return;
    }
    active.emplace_back(reference, instance);
    entered_ = true;
}

JVValidationResult::ReferenceScope::~ReferenceScope() {
    if (entered_) result_.activeReferences_.pop_back();
}

// ---------------------------------------------------------------------------------------------------------------
// What schemas evaluated of an instance

JVValidationResult::EvaluationFrame* JVValidationResult::frameFor(JV const& instance) {
    if (openFrames_ == 0) return nullptr;
    EvaluationFrame& top = frames_[openFrames_ - 1];
    return top.instance == &instance ? &top : nullptr;
}

JVValidationResult::EvaluationFrame const* JVValidationResult::frameFor(JV const& instance) const {
    return const_cast<JVValidationResult*>(this)->frameFor(instance);
}

void JVValidationResult::openFrame(JV const& instance) {
    if (openFrames_ == frames_.size()) frames_.emplace_back();
    EvaluationFrame& frame = frames_[openFrames_++];
    frame.instance = &instance;
    frame.all = false;
    frame.word = 0;
    const std::size_t words = (instance.size() + 63) / 64;
    if (words <= 1) {
        frame.more.clear();
    } else {
        frame.more.assign(words, 0);
    }
}

void JVValidationResult::closeFrame(bool keep) {
    EvaluationFrame& inner = frames_[--openFrames_];
    if (!keep || openFrames_ == 0) return;
    EvaluationFrame& outer = frames_[openFrames_ - 1];
    if (outer.instance != inner.instance || outer.all) return;
    if (inner.all) {
        outer.all = true;
        return;
    }
    for (std::size_t i = 0; i < inner.wordCount(); ++i) outer.words()[i] |= inner.words()[i];
}

void JVValidationResult::markEvaluated(JV const& instance, std::size_t index) {
    EvaluationFrame* frame = frameFor(instance);
    if (frame && index / 64 < frame->wordCount()) frame->words()[index / 64] |= std::uint64_t{1} << (index % 64);
}

void JVValidationResult::markEvaluated(JV const& instance, std::size_t from, std::size_t to) {
    EvaluationFrame* frame = frameFor(instance);
    if (!frame || frame->all) return;
    if (from == 0 && to >= instance.size()) {
        frame->all = true;
        return;
    }
    std::uint64_t* words = frame->words();
    for (std::size_t i = from; i < to && i / 64 < frame->wordCount(); ++i) {
        words[i / 64] |= std::uint64_t{1} << (i % 64);
    }
}

void JVValidationResult::markAllEvaluated(JV const& instance) {
    if (EvaluationFrame* frame = frameFor(instance)) frame->all = true;
}

bool JVValidationResult::isEvaluated(JV const& instance, std::size_t index) const {
    EvaluationFrame const* frame = frameFor(instance);
    if (!frame) return false;
    return frame->all || (index / 64 < frame->wordCount() && (frame->words()[index / 64] >> (index % 64) & 1) != 0);
}

bool JVValidationResult::allEvaluated(JV const& instance) const {
    EvaluationFrame const* frame = frameFor(instance);
    return frame && frame->all;
}

// ---------------------------------------------------------------------------------------------------------------
// Schemas

JVSchema::JVSchema() : context(std::make_shared<SchemaContext>()) {}

JVSchema::JVSchema(JV const& json) : JVSchema(json, defaultBaseUrl()) {}

JVSchema::JVSchema(JV const& json, std::string_view baseUrl)
    : context(std::make_shared<SchemaContext>(std::string(baseUrl))) {
    context->source = json.clone();
    context->resourceLocations.emplace(url::withoutFragment(baseUrl), JVPointer());
    load(json);
}

JVSchema::JVSchema(std::unique_ptr<JV> json, std::string_view baseUrl)
    : context(std::make_shared<SchemaContext>(std::string(baseUrl))) {
    context->source = std::move(json);
    context->resourceLocations.emplace(url::withoutFragment(baseUrl), JVPointer());
    load(*context->source);
}

JVSchema::JVSchema(std::shared_ptr<SchemaContext> ctx, JV const& json) : context(std::move(ctx)) { load(json); }

JVSchema::~JVSchema() = default;

void JVSchema::load(JV const& json) {
    ++context->schemaCount;
    context->addSchema(this);
    if (isBool(json)) {
        body = boolOf(json);
        return;
    }
    if (!isObject(json)) compileError("schema must be a boolean or an object", json);
    JV const* declared = member(json, "$schema");
    auto dialect = context->getDialect(declared);
    if (!declared) {
        dialect->process(context, *this, json);
        return;
    }
    // The dialect a schema object names holds for everything below it that names none.
    context->dialectStack_.push_back(context->chooseDialect(stringOf(*declared), declared));
    struct Pop {
        SchemaContext& context;
        ~Pop() { context.dialectStack_.pop_back(); }
    } pop{*context};
    dialect->process(context, *this, json);
}

namespace {

bool runKeywords(Keywords const& keywords, JV const& instance, JVValidationResult& result) {
    for (auto const& keyword : keywords) {
        if (!keyword->validate(instance, result)) return false;
    }
    return true;
}

// The work budget, in schema applications: room for every schema being applied many times over to every value of
// the instance. A validation that needs more is re-applying the same schemas to the same values, as a schema that
// branches through references at every level does, exponentially in the depth of the instance.
constexpr std::uint64_t baseBudget = 1u << 16;
constexpr std::uint64_t budgetPerNode = 1024;

std::uint64_t countNodes(JV const& root) {
    std::uint64_t count = 0;
    std::vector<JV const*> pending{&root};
    while (!pending.empty()) {
        JV const* node = pending.back();
        pending.pop_back();
        ++count;
        if (node->isArray()) {
            for (JV const* item : node->items()) pending.push_back(item);
        } else if (node->isObject()) {
            for (auto [name, value] : node->properties()) pending.push_back(value);
        }
    }
    return count;
}

}  // namespace

bool JVSchema::validate(JV const& instance, JVValidationResult& result) const {
    if (auto const* b = std::get_if<bool>(&body)) return *b;
    if (!result.running_) return validateRoot(instance, result);
    if (result.budget_ == 0) {
        // The budget starts from the schema's size alone; the instance is counted only when that is spent, so
        // that small validations never walk it.
        if (result.aborted_ || result.budgetExtended_) {
            result.aborted_ = true;
            return false;
        }
        result.budgetExtended_ = true;
        result.budget_ = budgetPerNode * countNodes(*result.root_);
    }
    --result.budget_;
    // The plain path stays small: deep instances recurse through here once per level.
    if (!scopesEvaluation) return runKeywords(std::get<Keywords>(body), instance, result);
    return validateScoped(instance, result);
}

bool JVSchema::validateRoot(JV const& instance, JVValidationResult& result) const {
    struct Run {
        JVValidationResult& result;
        ~Run() {
            result.running_ = false;
            result.root_ = nullptr;
            result.openFrames_ = 0;
        }
    } run{result};
    std::size_t mark = result.issues.size();
    result.running_ = true;
    result.aborted_ = false;
    result.budgetExtended_ = false;
    result.root_ = &instance;
    result.budget_ = baseBudget + budgetPerNode * context->schemaCount;
    bool ok = validate(instance, result);
    if (!result.aborted_) return ok;
    // What the validation found before it stopped is incomplete (branches that would have passed left their
    // issues behind), so it is replaced by the one issue that says why.
    result.issues.erase(result.issues.begin() + static_cast<std::ptrdiff_t>(mark), result.issues.end());
    result.addIssue(std::string(abortedMessage), &instance);
    return false;
}

// Validation for the dialects that track evaluated members, kept apart from the plain path above.
bool JVSchema::validateScoped(JV const& instance, JVValidationResult& result) const {
    // Entering a resource, also through a reference into the middle of one, puts it in the dynamic scope.
    bool entersResource =
        enclosingResource && (result.dynamicScope.empty() || result.dynamicScope.back().resource != enclosingResource);
    if (entersResource) result.dynamicScope.push_back({enclosingResource->context.get(), enclosingResource});
    // Only objects and arrays have members to evaluate.
    bool container = instance.isObject() || instance.isArray();
    if (container) result.openFrame(instance);
    bool ok = runKeywords(std::get<Keywords>(body), instance, result);
    // A failing schema's evaluations do not count: the schema as a whole did not apply.
    if (container) result.closeFrame(ok);
    if (entersResource) result.dynamicScope.pop_back();
    return ok;
}

bool JVSchema::validate(JVDoc const& doc, JVValidationResult& result) const {
    if (JV const* root = rootOf(doc)) return validate(*root, result);
    JV null;
    return validate(null, result);
}

void JVSchemaDialect::setKeywords(JVSchema& schema, Keywords keywords) {
    if (keywords.empty()) {
        schema.body = true;
    } else {
        schema.body = std::move(keywords);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Context

SchemaContext::SchemaContext() : SchemaContext(defaultBaseUrl()) {}

SchemaContext::SchemaContext(std::string baseUrl) : documentBase_(baseUrl) {
    baseUrls.push_back(BaseUrlEntry{std::move(baseUrl), {}});
}

std::string const& SchemaContext::currentBaseUrl() const { return baseUrls.back().url; }

std::string const& SchemaContext::previousBaseUrl() const {
    return baseUrls.size() > 1 ? baseUrls[baseUrls.size() - 2].url : baseUrls.back().url;
}

void SchemaContext::pushBaseUrl(std::string_view u) {
    baseUrls.push_back(BaseUrlEntry{resolveReference(u, currentBaseUrl()), {}});
}

void SchemaContext::popBaseUrl() {
    // The bottom entry is the document's own base; it stays for lookups after compilation.
    if (baseUrls.size() > 1) baseUrls.pop_back();
}

void SchemaContext::pushPath(std::string_view token) { baseUrls.back().path.append(token); }

void SchemaContext::pushPath(std::size_t index) { baseUrls.back().path.appendIndex(index); }

void SchemaContext::popPath() {
    auto& path = baseUrls.back().path;
    if (!path.empty()) path = path.parent();
}

void SchemaContext::addSchema(JVSchema* schema) {
    // The schema's canonical location is under the innermost base. It is also reachable by its path from every
    // enclosing base ("#/definitions/a/definitions/b" across an identifier in between), but such a location
    // never displaces a schema registered there in its own right.
    std::string fragment;
    for (std::size_t i = baseUrls.size(); i-- > 0;) {
        std::string segment;
        for (auto const& token : baseUrls[i].path) {
            segment += '/';
            appendEscapedToken(segment, token);
        }
        fragment.insert(0, segment);
        putSchema(combineUrl(baseUrls[i].url, std::string_view(fragment)), schema, i + 1 == baseUrls.size());
    }
}

void SchemaContext::addSchema(JVSchema* schema, std::string_view anchor) {
    putSchema(combineUrl(currentBaseUrl(), anchor), schema, true);
}

void SchemaContext::addSchemaAt(std::string u, JVSchema* schema) { putSchema(std::move(u), schema, true); }

void SchemaContext::putSchema(std::string key, JVSchema* schema, bool replace) {
    auto [it, inserted] = schemas.try_emplace(std::move(key), schema);
    if (inserted) {
        if (schemaUndo_) schemaUndo_->emplace_back(it->first, nullptr);
        return;
    }
    if (!replace) return;
    if (schemaUndo_) schemaUndo_->emplace_back(it->first, it->second);
    it->second = schema;
}

JVSchema const* SchemaContext::findSchema(std::string_view u, bool tryBuiltIn) const {
    if (tryBuiltIn) {
        if (JVSchema const* builtIn = loadSchema(u, false)) return builtIn;
    }
    std::string absolute = resolveReference(u, currentBaseUrl());
    if (auto it = schemas.find(absolute); it != schemas.end()) return it->second;
    if (tryBuiltIn) {
        // Another document: the loaders are asked only now, so that they never see this document's own
        // locations. A location inside it is looked up in that document's context.
        std::string_view document = url::withoutFragment(absolute);
        if (JVSchema const* other = loadSchema(document, true); other && other->context.get() != this) {
            if (document.size() == absolute.size()) return other;
            auto const& theirs = other->context->schemas;
            if (auto it = theirs.find(absolute); it != theirs.end()) return it->second;
        }
    }
    return nullptr;
}

JVSchema const* SchemaContext::findSchema(JVPointer const& pointer) const {
    auto it = schemas.find(combineUrl(currentBaseUrl(), pointer));
    return it == schemas.end() ? nullptr : it->second;
}

JVSchema const* SchemaContext::findOrCompileSchema(std::string_view u) {
    if (JVSchema const* found = findSchema(u, true)) return found;
    std::string absolute = resolveReference(u, currentBaseUrl());
    auto hash = absolute.find('#');
    if (hash == std::string::npos || absolute.compare(hash, 2, "#/") != 0) return nullptr;
    std::string_view document = std::string_view(absolute).substr(0, hash);
    auto location = resourceLocations.find(document);
    if (location == resourceLocations.end() || !source) {
        // A location in a built-in or loaded document: that document's context compiles it.
        JVSchema const* other = loadSchema(document, true);
        if (other && other->context.get() != this) return other->context->findOrCompileSchema(absolute);
        return nullptr;
    }
    if (uncompilable_.contains(absolute)) return nullptr;
    JV const* json = nullptr;
    JVPointer path;
    try {
        path = JVPointer(std::string_view(absolute).substr(hash + 1));
        if (JV const* resource = source->find(location->second)) json = resource->find(path);
    } catch (std::exception const&) {
        // A malformed pointer, or an array index that is no number: nothing is there.
    }
    // Nothing there is not remembered: the documents of other contexts live as long as the process, and the
    // places a reference can name in them are endless.
    if (!json) return nullptr;
    // Compiled as if the tree had reached it: under the resource's base URL, at the pointer's path, inside the
    // resource. The context's compilation state is restored afterwards, also when the value does not compile.
    struct Restore {
        SchemaContext& context;
        std::vector<BaseUrlEntry> baseUrls;
        std::vector<JVSchema const*> resourceStack;
        std::vector<DialectChoice> dialectStack;
        ~Restore() {
            context.baseUrls = std::move(baseUrls);
            context.resourceStack = std::move(resourceStack);
            context.dialectStack_ = std::move(dialectStack);
        }
    } restore{*this, std::move(baseUrls), std::move(resourceStack), std::move(dialectStack_)};
    baseUrls = {BaseUrlEntry{std::string(document), path}};
    resourceStack.clear();
    dialectStack_.clear();
    if (auto it = schemas.find(document); it != schemas.end()) resourceStack.push_back(it->second);
    // A value that fails to compile may have registered some of its subschemas (and anchors) before failing;
    // those are destroyed with it, so the tables go back to what they were. The table of locations grows with every
    // value compiled here and is taken back entry by entry; the anchors are few.
    std::vector<std::pair<std::string, JVSchema*>> undo;
    struct Journal {
        SchemaContext& context;
        std::vector<std::pair<std::string, JVSchema*>>* outer;
        ~Journal() { context.schemaUndo_ = outer; }
    } journal{*this, schemaUndo_};
    schemaUndo_ = &undo;
    auto dynamicAnchorsBefore = dynamicAnchors;
    auto recursiveAnchorsBefore = recursiveAnchors;
    try {
        // The context owns what it compiles late, so those schemas must not own the context in turn (the two would
        // keep each other alive): they get a handle that shares no ownership.
        std::shared_ptr<SchemaContext> unowned(std::shared_ptr<SchemaContext>(), this);
        lateSchemas_.push_back(std::make_unique<JVSchema>(std::move(unowned), *json));
    } catch (std::exception const&) {
        // Not a schema (a string under "examples", say): the reference finds nothing, as for a missing location.
        for (auto entry = undo.rbegin(); entry != undo.rend(); ++entry) {
            if (entry->second) {
                schemas[entry->first] = entry->second;
            } else {
                schemas.erase(entry->first);
            }
        }
        dynamicAnchors = std::move(dynamicAnchorsBefore);
        recursiveAnchors = std::move(recursiveAnchorsBefore);
        uncompilable_.emplace(absolute);
        return nullptr;
    }
    return lateSchemas_.back().get();
}

JV const* SchemaContext::findResourceSource(std::string_view u) const {
    if (!source) return nullptr;
    if (url::withoutFragment(documentBase_) == u) return source.get();
    struct Pending {
        JV const* node;
        std::string base;
    };
    std::vector<Pending> pending{{source.get(), documentBase_}};
    while (!pending.empty()) {
        Pending item = std::move(pending.back());
        pending.pop_back();
        if (item.node->isArray()) {
            for (JV const* element : item.node->items()) pending.push_back({element, item.base});
            continue;
        }
        if (!item.node->isObject()) continue;
        if (JV const* id = item.node->property("$id"); id && id->isString()) {
            try {
                item.base = resolveReference(id->stringValue(), item.base);
            } catch (UriError const&) {
                continue;
            }
            if (url::withoutFragment(item.base) == u) return item.node;
        }
        for (auto [name, value] : item.node->properties()) pending.push_back({value, item.base});
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// URLs

std::string const& defaultBaseUrl() {
    static std::string const base = "https://default.zephalon.invalid/";
    return base;
}

std::string resolveUrl(std::string_view u, std::string_view base) {
    // References are written by hand and may hold characters a URL cannot ("my schema.json"); the lenient parse
    // escapes them, so a reference and the identifier it names resolve to the same text.
    return Uri::parseLenient(base).resolve(Uri::parseLenient(u)).toString();
}

std::string resolveReference(std::string_view ref, std::string_view base) {
    // The fragment is a JSON Pointer or an anchor name and is compared in decoded form with the locations the
    // compiler registers; only the part before it is a URL to resolve.
    std::string_view location = ref;
    std::string fragment;
    if (auto hash = ref.find('#'); hash != std::string_view::npos) {
        location = ref.substr(0, hash);
        fragment = percentDecode(ref.substr(hash + 1));
    }
    // A same-document reference keeps the base's own query but never its fragment.
    std::string resolved(location.empty() ? url::withoutFragment(base)
                                          : url::withoutFragment(resolveUrl(location, base)));
    if (!fragment.empty()) {
        resolved += '#';
        resolved += fragment;
    }
    return resolved;
}

std::string resolveReference(std::string_view ref, SchemaContext const& context, bool usePrevious) {
    return resolveReference(ref, usePrevious ? context.previousBaseUrl() : context.currentBaseUrl());
}

std::string combineUrl(std::string_view base, JVPointer const& pointer) {
    std::string out(base);
    if (pointer.empty()) return out;
    out += '#';
    for (auto const& token : pointer) {
        out += '/';
        appendEscapedToken(out, token);
    }
    return out;
}

std::string combineUrl(std::string_view base, std::string_view fragment) {
    std::string out(url::withoutFragment(base));
    if (!fragment.empty()) {
        out += '#';
        out += fragment;
    }
    return out;
}

std::string appendFragmentSegment(std::string_view fragment, std::string_view segment) {
    std::string out(fragment);
    out += '/';
    appendEscapedToken(out, segment);
    return out;
}

}  // namespace zephalon::jv::schema
