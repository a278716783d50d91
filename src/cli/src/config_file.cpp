#include "zephalon/cli/config_file.h"

#include <fmt/format.h>

namespace zephalon::cli {

namespace {

constexpr std::string_view kSupportedVersion = "1.0";

}  // namespace

void ConfigFile::load(const std::filesystem::path& path) {
    auto [doc, format] = jv::readFileAndFormat(path);
    adopt(std::move(doc), path.string(), format);
}

void ConfigFile::load(std::istream& in, FileFormat format) { adopt(jv::readStream(in, format), {}, format); }

// A document that fails its checks never becomes the loaded one, so a caller that survives the error still sees
// the previous, valid configuration.
void ConfigFile::adopt(std::unique_ptr<jv::JVDoc> doc, std::string file, FileFormat format) {
    checkVersion(*doc, file, format);
    doc_ = std::move(doc);
    file_ = std::move(file);
    format_ = format;
}

void ConfigFile::checkVersion() const {
    if (doc_) checkVersion(*doc_, file_, format_);
}

void ConfigFile::checkVersion(const jv::JVDoc& doc, const std::string& file, FileFormat format) const {
    const jv::JV* root = doc.root();
    // Looked up by property rather than by pointer: a pointer step into an array root would read "version" as an
    // index.
    const jv::JV* version = root != nullptr && root->isObject() ? root->property("version") : nullptr;
    if (version == nullptr) {
        throw ConfigFileError(describe(root, "Missing configuration version.", {}, file, format),
                              root != nullptr ? root->pos : Pos{});
    }
    if (!version->isString()) {
        // 1.0 unquoted is a number, which would print as 1 and never match; say what is meant instead.
        throw ConfigFileError(
            describe(root, fmt::format("must be the string \"{}\"", kSupportedVersion), "version", file, format),
            version->pos);
    }
    if (version->stringValue() != kSupportedVersion) {
        throw ConfigFileError(
            describe(version, fmt::format("Unsupported configuration version: '{}'.", version->stringValue()), {}, file,
                     format),
            version->pos);
    }
}

namespace {

// "/commands/format/openapi" as "commands.format.openapi".
std::string memberPath(const jv::JV& node) {
    std::string pointer = node.pointer();
    std::string path;
    for (std::size_t i = 0; i < pointer.size(); ++i) {
        if (pointer[i] == '/') {
            if (i > 0) path.push_back('.');
        } else if (pointer[i] == '~' && i + 1 < pointer.size()) {
            path.push_back(pointer[++i] == '1' ? '/' : '~');
        } else {
            path.push_back(pointer[i]);
        }
    }
    return path;
}

}  // namespace

std::string ConfigFile::describe(const jv::JV* node, std::string_view message, std::string_view member) const {
    return describe(node, message, member, file_, format_);
}

std::string ConfigFile::describe(const jv::JV* node, std::string_view message, std::string_view member,
                                 const std::string& file, FileFormat format) const {
    std::string where = file;
    std::string path = node != nullptr ? memberPath(*node) : std::string();
    std::string text;
    if (!member.empty()) {
        text = fmt::format("{}{}{} {}", path, path.empty() ? "" : ".", member, message);
    } else if (format == FileFormat::JSON && node != nullptr && node->pos.known()) {
        where += fmt::format("{}{}:{}", where.empty() ? "" : ":", node->pos.line, node->pos.column);
        text = message;
    } else {
        text = path.empty() ? std::string(message) : fmt::format("{}: {}", path, message);
    }
    return where.empty() ? text : fmt::format("{}: {}", where, text);
}

const jv::JV* ConfigFile::section(std::string_view name) const {
    if (!doc_ || doc_->root() == nullptr || !doc_->root()->isObject()) return nullptr;
    const jv::JV* node = doc_->root()->property(name);
    if (node != nullptr && !node->isObject()) {
        throw ConfigFileError(describe(node, fmt::format("An object is expected for '{}'", name)), node->pos);
    }
    return node;
}

const jv::JV* ConfigFile::commandConfig(std::string_view command) const {
    const jv::JV* commands = section("commands");
    if (commands == nullptr) return nullptr;
    const jv::JV* node = commands->property(command);
    if (node != nullptr && !node->isObject()) {
        throw ConfigFileError(describe(node, fmt::format("An object is expected for '{}'", command)));
    }
    return node;
}

const jv::JV* ConfigFile::formatRegistryConfig() const {
    const jv::JV* openapi = section("openapi");
    if (openapi == nullptr) return nullptr;
    const jv::JV* formats = openapi->property("custom_formats");
    if (formats != nullptr && !formats->isArray()) {
        throw ConfigFileError(describe(formats, "An array is expected for 'custom_formats'"), formats->pos);
    }
    return formats;
}

}  // namespace zephalon::cli
