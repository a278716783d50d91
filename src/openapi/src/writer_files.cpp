// Writing the model of a document split over several files back into those files. The writer produces one document,
// in which what was read from other files stands as components of the root (or in place, for path items and
// component entries that only pointed to another file), just as the bundle has it. Each part read from another file
// is taken out of that output again and put back where it was read from, and the references the reader rewrote get
// their source text back, so that a file the model did not change is written as it would have been before.

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "zephalon/foundation/atomic_write.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi {

namespace {

using jv::JV;

// Gives `target` the key order `from` has, all the way down; the two hold the same members.
void copyOrder(const JV& from, JV& target) {
    std::vector<std::pair<const JV*, JV*>> pending{{&from, &target}};
    jv::JVDoc orders;  // the order lists live in the objects; any document can read and record them
    while (!pending.empty()) {
        auto [in, out] = pending.back();
        pending.pop_back();
        if (in->isObject() && out->isObject()) {
            orders.clearPropOrder(*out);
            for (std::string_view key : orders.propOrder(*in)) {
                if (out->hasProperty(key)) orders.addProp(*out, key);
            }
            for (auto [key, child] : in->properties()) {
                if (JV* copy = out->property(key); copy != nullptr) pending.emplace_back(child, copy);
            }
        } else if (in->isArray() && out->isArray()) {
            for (std::size_t i = 0; i < in->size() && i < out->size(); ++i) pending.emplace_back(in->at(i), out->at(i));
        }
    }
}

std::unique_ptr<JV> cloneWithOrder(const JV& value) {
    std::unique_ptr<JV> copy = value.clone();
    copyOrder(value, *copy);
    return copy;
}

void replaceWithOrder(JV& target, const JV& content) {
    content.cloneTo(target);
    copyOrder(content, target);
}

class FileSplitter {
  public:
    explicit FileSplitter(const OpenAPIReadResult& result) : result_(result) {
        const BundlePlan& plan = result.bundlePlan();
        for (const auto& [refObject, target] : plan.inlined) inlinedBy_.emplace(target, refObject);
        for (const BundlePlan::Component& component : plan.components) components_.insert(component.value);
        if (result.doc() != nullptr && result.doc()->root() != nullptr) roots_.emplace(result.doc()->root(), 0);
        for (std::size_t i = 0; i < result.otherFiles().size(); ++i) {
            if (const JV* root = result.otherFiles()[i].doc->root()) roots_.emplace(root, i + 1);
        }
        placements_.resize(result.otherFiles().size() + 1);
    }

    std::vector<WrittenFile> split() {
        Writer writer;
        writer.setPropOrderHook([this](const Node* node) { return result_.propOrder(node); });
        writer.setKeyedPropOrderHook(
            [this](const Node* node, std::string_view key) { return result_.propOrder(node, key); });
        writer.setSourceValueHook([this](const Node* node) { return result_.value(node); });
        if (const jv::JVDoc* doc = result_.doc(); doc != nullptr) {
            writer.setValueOrderHook([doc](const JV& value) { return doc->propOrder(value); });
        }
        // A value written for several nodes (a schema collapsed to a boolean keeps its object) belongs to the first.
        writer.setWrittenNodeHook([this](const Node* node, const JV& written) { writtenBy_.emplace(&written, node); });
        writer.toJV(result_.model());
        std::unique_ptr<jv::JVDoc> root = writer.releaseDoc();

        visit(*root->root(), 0);
        dropEmptiedComponents(*root->root());

        std::vector<WrittenFile> files;
        files.push_back(WrittenFile{result_.filePath().value_or(std::filesystem::path()), std::move(root)});
        for (std::size_t i = 0; i < result_.otherFiles().size(); ++i) {
            const SourceFile& source = result_.otherFiles()[i];
            auto doc = std::make_unique<jv::JVDoc>();
            if (source.doc->root() != nullptr) doc->setRoot(cloneWithOrder(*source.doc->root()));
            std::vector<Placement>& placements = placements_[i + 1];
            // Outer parts first. A reference into the middle of a part was read as a copy of its own, so that place
            // is written twice: the copy goes in only where it was changed, so that a change made to either one
            // stays.
            std::stable_sort(placements.begin(), placements.end(), [](const Placement& a, const Placement& b) {
                return std::count(a.pointer.begin(), a.pointer.end(), '/') <
                       std::count(b.pointer.begin(), b.pointer.end(), '/');
            });
            std::vector<std::string_view> placed;
            for (const Placement& placement : placements) {
                JV* target = doc->findNode(placement.pointer);
                if (target == nullptr) {
                    throw std::runtime_error(
                        fmt::format("Cannot write back {}: nothing at '{}'", source.path.string(), placement.pointer));
                }
                const bool inside = std::any_of(placed.begin(), placed.end(), [&](std::string_view outer) {
                    return placement.pointer.starts_with(outer) && placement.pointer.size() > outer.size() &&
                           placement.pointer[outer.size()] == '/';
                });
                placed.push_back(placement.pointer);
                if (inside && (target->equal(*placement.content) || placement.source->equal(*placement.content))) {
                    continue;
                }
                replaceWithOrder(*target, *placement.content);
            }
            files.push_back(WrittenFile{source.path, std::move(doc)});
        }
        return files;
    }

  private:
    struct Placement {
        std::string pointer;
        const JV* source;
        std::unique_ptr<JV> content;
    };
    enum class Action { keep, restoreReference, remove };

    // The file a source value belongs to: 0 for the root, i + 1 for other file i; -1 for none.
    std::ptrdiff_t fileOf(const JV* value) const {
        if (value == nullptr) return -1;
        while (value->parent() != nullptr) value = value->parent();
        auto it = roots_.find(value);
        return it == roots_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
    }

    // Walks a written value that stands in file `file`. What comes from another file is moved into that file's
    // placements; the result tells the caller what to leave in its place: nothing, or the "$ref" object that
    // pointed there.
    struct Outcome {
        Action action = Action::keep;
        const JV* refObject = nullptr;
    };

    Outcome visit(JV& written, std::size_t file) {
        const Node* node = nullptr;
        const JV* source = nullptr;
        const JV* refObject = nullptr;
        if (auto it = writtenBy_.find(&written); it != writtenBy_.end()) {
            node = it->second;
            source = result_.value(node);
        }
        if (source != nullptr && node->type() != NodeType::Reference) {
            // A path item of a callback is mapped to the "$ref" object it was read through.
            if (auto inlined = result_.bundlePlan().inlined.find(source);
                inlined != result_.bundlePlan().inlined.end()) {
                refObject = source;
                source = inlined->second;
            } else if (auto by = inlinedBy_.find(source); by != inlinedBy_.end()) {
                refObject = by->second;
            }
        }
        std::size_t own = file;
        if (const std::ptrdiff_t sourceFile = fileOf(source); sourceFile >= 0)
            own = static_cast<std::size_t>(sourceFile);
        if (own != file && refObject == nullptr && !components_.contains(source)) {
            throw std::runtime_error(fmt::format("Cannot write back {}: a part of it is written at '{}' of {}",
                                                 fileName(own), written.pointer(), fileName(file)));
        }
        if (source != nullptr && source->isObject() && refObject == nullptr) restoreReferenceText(written, *source);
        visitChildren(written, own);
        if (own == file) return {};
        placements_[own].push_back(Placement{source->pointer(), source, cloneWithOrder(written)});
        return refObject != nullptr ? Outcome{Action::restoreReference, refObject} : Outcome{Action::remove, nullptr};
    }

    void visitChildren(JV& written, std::size_t file) {
        if (written.isArray()) {
            for (std::size_t i = 0; i < written.size(); ++i) {
                JV& item = *written.at(i);
                // Array items are parameters, servers, tags...: never a part of their own file.
                if (visit(item, file).action != Action::keep) {
                    throw std::runtime_error(
                        fmt::format("Cannot write back {}: an item of '{}' comes from another file", fileName(file),
                                    written.pointer()));
                }
            }
            return;
        }
        if (!written.isObject()) return;
        std::vector<std::string_view> removed;
        for (auto [key, child] : written.properties()) {
            const Outcome outcome = visit(*child, file);
            switch (outcome.action) {
                case Action::keep:
                    break;
                case Action::restoreReference:
                    replaceWithOrder(*child, *outcome.refObject);
                    break;
                case Action::remove:
                    removed.push_back(key);
                    break;
            }
        }
        // Keys are views of the entries: copy them before the entries go.
        std::vector<std::string> keys(removed.begin(), removed.end());
        for (const std::string& key : keys) written.removeProperty(key);
    }

    // A reference the reader rewrote to the component that holds its target goes back to the text it had, as long
    // as it still leads to that component. The text is changed in the value that holds it: a new value could take
    // the place in memory of one that an earlier part left when it moved out, and `writtenBy_` would take it for
    // that one's node.
    void restoreReferenceText(JV& written, const JV& source) const {
        const JV* text = source.property("$ref");
        JV* now = written.isObject() ? written.property("$ref") : nullptr;
        if (text == nullptr || !text->isString() || now == nullptr || !now->isString()) return;
        if (now->stringValue() == text->stringValue()) return;
        const auto& rewrites = result_.bundlePlan().rewrites;
        auto it = rewrites.find(&source);
        if (it != rewrites.end() && it->second == now->stringValue()) now->setString(text->stringValue());
    }

    // "components" and its maps that the model only filled with what other files hold go when that went back.
    void dropEmptiedComponents(JV& root) const {
        JV* components = root.isObject() ? root.property("components") : nullptr;
        if (components == nullptr || !components->isObject()) return;
        const JV* sourceRoot = result_.doc() != nullptr ? result_.doc()->root() : nullptr;
        const JV* sourceComponents =
            sourceRoot != nullptr && sourceRoot->isObject() ? sourceRoot->property("components") : nullptr;
        std::vector<std::string> emptied;
        for (auto [key, map] : components->properties()) {
            if (!map->isObject() || map->size() != 0) continue;
            if (sourceComponents == nullptr || !sourceComponents->isObject() || !sourceComponents->hasProperty(key)) {
                emptied.emplace_back(key);
            }
        }
        for (const std::string& key : emptied) components->removeProperty(key);
        if (components->size() == 0 &&
            (sourceRoot == nullptr || !sourceRoot->isObject() || !sourceRoot->hasProperty("components"))) {
            root.removeProperty("components");
        }
    }

    std::string fileName(std::size_t file) const {
        if (file == 0) return result_.filePath().value_or(std::filesystem::path("the document")).string();
        return result_.otherFiles()[file - 1].path.string();
    }

    const OpenAPIReadResult& result_;
    // Target value read in place -> the "$ref" object that pointed to it.
    std::unordered_map<const JV*, const JV*> inlinedBy_;
    // Target values that became components of their own.
    std::unordered_set<const JV*> components_;
    std::unordered_map<const JV*, std::size_t> roots_;
    // Written value -> the node it was written for. Keyed by address: a value made after the writing (by the
    // walk that splits the output) must never be looked up here.
    std::unordered_map<const JV*, const Node*> writtenBy_;
    std::vector<std::vector<Placement>> placements_;
};

FileFormat formatOf(const std::filesystem::path& path) { return jv::guessFormat(path).value_or(FileFormat::JSON); }

std::vector<std::string> textsOf(const std::vector<WrittenFile>& files) {
    std::vector<std::string> texts;
    texts.reserve(files.size());
    for (const WrittenFile& file : files) jv::writeString(*file.doc, texts.emplace_back(), formatOf(file.path));
    return texts;
}

}  // namespace

std::vector<WrittenFile> writeToFiles(const OpenAPIReadResult& result) { return FileSplitter(result).split(); }

FileWriteBack::FileWriteBack(const OpenAPIReadResult& result)
    : result_(result), texts_(textsOf(writeToFiles(result))) {}

std::vector<std::filesystem::path> FileWriteBack::writeChanged(const std::filesystem::path& rootPath) const {
    std::vector<WrittenFile> files = writeToFiles(result_);
    const std::vector<std::string> texts = textsOf(files);
    // The changed files go back together: a document half written back would refer across its files to what one
    // of them no longer holds. Each file's text is the one just compared (the reader took every file by a known
    // extension, so it is also the format writing that file would choose).
    std::vector<FileContent> changed;
    std::vector<std::filesystem::path> written;
    for (std::size_t i = 0; i < files.size() && i < texts_.size(); ++i) {
        if (texts[i] == texts_[i]) continue;
        written.push_back(i == 0 ? rootPath : files[i].path);
        changed.push_back(FileContent{written.back().string(), texts[i]});
    }
    writeFilesAtomically(changed);
    return written;
}

}  // namespace zephalon::openapi
