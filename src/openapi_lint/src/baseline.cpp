#include "zephalon/openapi_lint/baseline.h"

#include <fmt/format.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "zephalon/foundation/atomic_write.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/yaml_writer.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kVersion = "1.0";

std::filesystem::path directoryOf(const std::filesystem::path& file) {
    return std::filesystem::weakly_canonical(std::filesystem::absolute(file).parent_path());
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(fmt::format("Cannot open baseline file: {}", path.string()));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

[[noreturn]] void notABaseline(const std::filesystem::path& path, std::string_view reason) {
    throw std::runtime_error(fmt::format("{}: not a lint baseline ({})", path.string(), reason));
}

}  // namespace

Baseline Baseline::load(const std::filesystem::path& path) {
    const std::string text = readText(path);
    std::unique_ptr<jv::JVDoc> doc;
    try {
        doc = jv::readString(text, FileFormat::YAML);
    } catch (const std::exception& error) {
        throw std::runtime_error(fmt::format("{}: {}", path.string(), error.what()));
    }
    const jv::JV* root = doc->root();
    if (root == nullptr || !root->isObject()) notABaseline(path, "the root must be an object");
    const jv::JV* version = root->property("version");
    if (version == nullptr || !version->isString() || version->stringValue() != kVersion) {
        notABaseline(path, "version must be the string \"1.0\"");
    }
    const jv::JV* findings = root->property("findings");
    if (findings == nullptr || !findings->isObject()) notABaseline(path, "findings must be an object of files");

    Baseline baseline(directoryOf(path));
    for (const auto [file, rules] : findings->properties()) {
        if (!rules->isObject()) notABaseline(path, fmt::format("the entry of {} must be an object of rules", file));
        auto& byRule = baseline.findings_[std::string(file)];
        for (const auto [ruleId, pointers] : rules->properties()) {
            if (!pointers->isArray()) {
                notABaseline(path, fmt::format("the entry of {} in {} must be a list of JSON Pointers", ruleId, file));
            }
            auto& set = byRule[std::string(ruleId)];
            for (const jv::JV* pointer : pointers->items()) {
                if (!pointer->isString()) {
                    notABaseline(path,
                                 fmt::format("the entry of {} in {} must be a list of JSON Pointers", ruleId, file));
                }
                set.emplace(pointer->stringValue());
            }
        }
    }
    return baseline;
}

Baseline Baseline::fromResult(const Result& result, const std::filesystem::path& path) {
    Baseline baseline(directoryOf(path));
    for (const Issue& issue : result.issues()) {
        baseline.findings_[baseline.relativeFile(issue.file())][issue.ruleId()].insert(issue.jsonPointer());
    }
    return baseline;
}

std::string Baseline::relativeFile(const std::string& file) const {
    const std::string relative = std::filesystem::path(file).lexically_relative(directory_).generic_string();
    return relative.empty() ? file : relative;
}

std::string Baseline::toYaml() const {
    jv::JVDoc doc(std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
    jv::JV& root = *doc.root();
    root.setStringProperty("version", kVersion);
    jv::JV* findings = root.setObjectProperty("findings");
    doc.addProps(root, {"version", "findings"});
    // Objects without a recorded order are written in byte-wise key order, and the sets are sorted already.
    for (const auto& [file, rules] : findings_) {
        jv::JV* byRule = findings->setObjectProperty(file);
        for (const auto& [ruleId, pointers] : rules) {
            jv::JV* list = byRule->setArrayProperty(ruleId);
            for (const std::string& pointer : pointers) list->addString(pointer);
        }
    }
    jv::YAMLWriter writer;
    writer.setIndentSize(2);
    writer.write(doc);
    return writer.release();
}

void Baseline::save(const std::filesystem::path& path) const {
    const std::string text = toYaml();
    try {
        writeFileAtomically(path.string(), text);
    } catch (const FileError&) {
        throw std::runtime_error(fmt::format("Failed to write baseline file: {}", path.string()));
    }
}

bool Baseline::contains(const Issue& issue) const {
    auto file = findings_.find(relativeFile(issue.file()));
    if (file == findings_.end()) return false;
    auto rule = file->second.find(issue.ruleId());
    return rule != file->second.end() && rule->second.contains(issue.jsonPointer());
}

Result Baseline::filter(const Result& result) const {
    Result kept(result.maxWarnings());
    for (const Issue& issue : result.issues()) {
        if (!contains(issue)) kept.addIssue(issue);
    }
    return kept;
}

std::size_t Baseline::size() const {
    std::size_t count = 0;
    for (const auto& [file, rules] : findings_) {
        for (const auto& [ruleId, pointers] : rules) count += pointers.size();
    }
    return count;
}

}  // namespace zephalon::openapi_lint
