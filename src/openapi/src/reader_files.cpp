// References into other files: each file is read once, through the configured file system, and what a reference
// reaches there is read as a component of the root document (or in place of a component entry, path or webhook that
// does nothing but point there). The read result records how the files become one document again (BundlePlan).

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "reader_impl.h"
#include "reference_text.h"
#include "zephalon/foundation/uri.h"
#include "zephalon/jv/read_error.h"

namespace zephalon::openapi::detail {

namespace {

// "http:", "https:", "file:", "urn:" ... (a Windows drive letter is not a concern: paths here are POSIX).
std::optional<std::string_view> schemeOf(std::string_view ref) {
    std::size_t colon = ref.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    std::string_view scheme = ref.substr(0, colon);
    if (!std::isalpha(static_cast<unsigned char>(scheme[0]))) return std::nullopt;
    for (char c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return scheme;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Component keys may only hold letters, digits, ".", "-" and "_".
std::string componentKeyFrom(std::string_view text) {
    std::string key;
    for (char c : text) {
        const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
        key += allowed ? c : '_';
    }
    return key.empty() ? std::string("component") : key;
}

// Where a path leads on disk, symbolic links resolved, so that a link inside the document's tree cannot take a
// reference out of it. Parts of the path that do not exist (always so for a file system held in memory) are taken
// as written.
std::filesystem::path realPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path real = std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
    return error ? std::filesystem::absolute(path).lexically_normal() : real;
}

}  // namespace

void DocumentReader::startFiles() {
    files_.clear();
    fileIndex_.clear();
    externalNodes_.clear();
    externalRefs_.clear();
    awaitedValue_ = nullptr;
    rootAliases_.clear();
    currentFile_ = 0;
    rootDir_.clear();
    const std::optional<std::filesystem::path>& rootPath = result_.filePath();
    files_.push_back(FileEntry{rootPath.value_or(std::filesystem::path()), &doc_});
    if (rootPath && !rootPath->empty()) {
        fileIndex_.emplace(rootPath->lexically_normal(), 0);
        rootDir_ = realPath(*rootPath).parent_path();
    }
}

std::size_t DocumentReader::loadFile(const std::filesystem::path& path) {
    if (auto it = fileIndex_.find(path); it != fileIndex_.end()) return it->second;
    if (files_.size() > kMaxReferencedFiles) {
        throw std::runtime_error(fmt::format("The document references more than {} files; not read: {}",
                                             kMaxReferencedFiles, path.string()));
    }
    std::optional<FileFormat> format = jv::guessFormat(path);
    if (!format) throw std::runtime_error(fmt::format("Unsupported file format: {}", path.string()));
    std::string text = options_.fileSystem->read(path.string());
    std::unique_ptr<jv::JVDoc> doc;
    try {
        doc = jv::readString(text, *format);
    } catch (const jv::ReadError& error) {
        throw error.inFile(path.string());
    }
    const jv::JVDoc& added = result_.addOtherFile(path, std::move(doc));
    files_.push_back(FileEntry{path, &added});
    fileIndex_.emplace(path, files_.size() - 1);
    return files_.size() - 1;
}

std::optional<DocumentReader::ExternalPlace> DocumentReader::locate(const Node* owner, const JV& refObject,
                                                                    std::string& ref, bool& backToRoot, bool report) {
    backToRoot = false;
    auto fail = [&](std::string message) {
        if (report) issue(owner, &refObject, std::move(message));
        return std::nullopt;
    };
    std::size_t base = currentFile_;
    std::string text = ref;
    // Each hop is a reference that only points on; a longer chain is a cycle for any document a person writes.
    for (int hops = 0; hops < 64; ++hops) {
        std::size_t hash = text.find('#');
        std::string_view pathPart = std::string_view(text).substr(0, hash);
        std::string fragment = hash == std::string::npos ? std::string() : text.substr(hash + 1);
        std::size_t file = base;
        if (!pathPart.empty()) {
            if (std::optional<std::string_view> scheme = schemeOf(pathPart)) {
                if (equalsIgnoringCase(*scheme, "http") || equalsIgnoringCase(*scheme, "https")) {
                    return fail("Remote references are not followed (no network access): " + text);
                }
                return fail("Unsupported reference (only relative file paths are followed): " + text);
            }
            if (files_[0].path.empty()) {
                return fail("Reference to another file in a document that was not read from a file: " + text);
            }
            std::filesystem::path target =
                (files_[base].path.parent_path() / percentDecode(pathPart)).lexically_normal();
            // A file read already passed this check (or is the root): a large tree refers to the same few files
            // thousands of times, and resolving a path on disk costs a system call per directory.
            if (!options_.allowRefsOutside && !fileIndex_.contains(target)) {
                const std::filesystem::path real = realPath(target);
                auto [inRoot, inTarget] = std::mismatch(rootDir_.begin(), rootDir_.end(), real.begin(), real.end());
                if (inRoot != rootDir_.end() || real == rootDir_) {
                    return fail("Reference leaves the document's directory: " + text);
                }
            }
            try {
                file = loadFile(target);
            } catch (const std::exception& e) {
                return fail(fmt::format("Cannot read the file of reference {}: {}", text, e.what()));
            }
        }
        if (file == 0) {
            ref = "#" + fragment;
            backToRoot = true;
            return std::nullopt;
        }
        std::optional<jv::JVPointer> pointer = referencePointer("#" + fragment);
        const JV* value = pointer ? files_[file].doc->findNode(*pointer) : nullptr;
        if (value == nullptr) {
            return fail("Unresolved reference: " + ref);
        }
        if (!isRef(*value)) return ExternalPlace{file, value};
        const JV* next = value->property("$ref");
        if (!next->isString()) {
            return fail("Unresolved reference: " + ref);
        }
        text = std::string(next->stringValue());
        base = file;
    }
    return fail("Circular reference: " + ref);
}

Node* DocumentReader::componentNode(RefKind kind, std::string_view key) const {
    const Components* c = model_->components();
    switch (kind) {
        case RefKind::schema:
            return c->schemaNode(key);
        case RefKind::response:
            return c->responseNode(key);
        case RefKind::parameter:
            return c->parameterNode(key);
        case RefKind::example:
            return c->exampleNode(key);
        case RefKind::requestBody:
            return c->requestBodyNode(key);
        case RefKind::header:
            return c->headerNode(key);
        case RefKind::link:
            return c->linkNode(key);
        case RefKind::callback:
            return c->callbackNode(key);
        case RefKind::pathItem:
            return c->pathItemNode(key);
    }
    return nullptr;
}

std::string DocumentReader::freeComponentName(RefKind kind, std::string base) const {
    const JV* rootComponents = doc_.root() != nullptr ? doc_.root()->property("components") : nullptr;
    const JV* rootEntries = rootComponents != nullptr && rootComponents->isObject()
                                ? rootComponents->property(kindInfo(kind).mapName)
                                : nullptr;
    auto taken = [&](const std::string& key) {
        if (rootEntries != nullptr && rootEntries->isObject() && rootEntries->property(key) != nullptr) return true;
        return componentNode(kind, key) != nullptr;
    };
    std::string name = base;
    for (int n = 2; taken(name); ++n) name = fmt::format("{}_{}", base, n);
    return name;
}

void DocumentReader::recordRewrite(const JV& refObject, const std::string& text) {
    const JV* current = refObject.property("$ref");
    if (current != nullptr && current->isString() && current->stringValue() == text) return;
    result_.bundlePlan().rewrites[&refObject] = text;
}

Node* DocumentReader::readExternal(RefKind kind, const Node* owner, const JV& refObject, std::string& ref,
                                   bool& inDocument) {
    std::optional<ExternalPlace> place = locate(owner, refObject, ref, inDocument);
    if (inDocument) {
        recordRewrite(refObject, ref);
        return nullptr;
    }
    if (!place) return nullptr;
    auto found = externalNodes_.find(place->value);
    if (found == externalNodes_.end()) {
        // Named after the place: its key, or the file's name when the reference takes the whole file.
        std::optional<jv::JVPointer> pointer;
        try {
            pointer.emplace(place->value->pointer());
        } catch (const jv::JVPointerError&) {
        }
        std::string base = pointer && !pointer->empty() ? pointer->back() : files_[place->file].path.stem().string();
        std::string_view mapName = kindInfo(kind).mapName;
        BundlePlan& plan = result_.bundlePlan();
        auto alias = rootAliases_.find(place->value);
        const bool asAlias = alias != rootAliases_.end() && alias->second.kind == kind;
        std::string name = asAlias ? alias->second.key : freeComponentName(kind, componentKeyFrom(base));
        externalRefs_[place->value] = referenceTo(fmt::format("/components/{}/{}", mapName, jv::escapeToken(name)));
        std::size_t slot = plan.components.size();
        if (asAlias) {
            // The root's own entry stands for it; that entry, read later, finds it in place and is skipped.
            plan.inlined[alias->second.refObject] = place->value;
        } else {
            plan.components.push_back(BundlePlan::Component{std::string(mapName), name, place->value});
        }
        awaitedValue_ = place->value;
        inFile(place->file, [&] {
            guard(model_->components(), place->value, [&] { readComponentEntry(kind, name, *place->value); });
        });
        awaitedValue_ = nullptr;
        found = externalNodes_.find(place->value);
        if (found == externalNodes_.end()) {
            // Nothing could be read from it (its issue is recorded); the bundle leaves it out too.
            if (asAlias) {
                plan.inlined.erase(alias->second.refObject);
            } else {
                plan.components.erase(plan.components.begin() + static_cast<std::ptrdiff_t>(slot));
            }
            externalRefs_.erase(place->value);
            return nullptr;
        }
    }
    Node* node = found->second;
    if (node == nullptr || !isOfKind(kind, *node)) {
        issue(owner, &refObject, wrongKindMessage(kind, ref));
        return nullptr;
    }
    recordRewrite(refObject, externalRefs_[place->value]);
    return node;
}

void DocumentReader::collectRootAliases(const JV& components) {
    static constexpr RefKind kKinds[] = {RefKind::example,     RefKind::schema,   RefKind::parameter,
                                         RefKind::header,      RefKind::link,     RefKind::response,
                                         RefKind::requestBody, RefKind::callback, RefKind::pathItem};
    for (RefKind kind : kKinds) {
        const JV* entries = components.property(kindInfo(kind).mapName);
        if (entries == nullptr || !entries->isObject()) continue;
        for (auto [key, entry] : entries->properties()) {
            if (!isRef(*entry)) continue;
            const JV* text = entry->property("$ref");
            if (!text->isString() || text->stringValue().starts_with('#')) continue;
            std::string ref(text->stringValue());
            bool backToRoot = false;
            // Quietly: the entry itself reports what is wrong with it when it is read.
            std::optional<ExternalPlace> place = locate(model_->components(), *entry, ref, backToRoot, false);
            if (place) rootAliases_.emplace(place->value, RootAlias{kind, std::string(key), entry});
        }
    }
}

bool DocumentReader::readInPlace(const Node* owner, const JV& refObject, const std::string& pointerToPlace,
                                 const std::function<void(const JV&)>& read) {
    std::string ref = refText(refObject);
    bool backToRoot = false;
    std::optional<ExternalPlace> place = locate(owner, refObject, ref, backToRoot);
    if (backToRoot) return false;                             // an in-document reference after all
    if (!place) return true;                                  // reported
    if (externalNodes_.contains(place->value)) return false;  // read before: a reference to that node
    externalRefs_[place->value] = referenceTo(pointerToPlace);
    result_.bundlePlan().inlined[&refObject] = place->value;
    awaitedValue_ = place->value;
    inFile(place->file, [&] { read(*place->value); });
    awaitedValue_ = nullptr;
    return true;
}

}  // namespace zephalon::openapi::detail
