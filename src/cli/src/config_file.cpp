#include "zephalon/cli/config_file.h"

#include <fmt/format.h>

namespace zephalon::cli {

namespace {

constexpr std::string_view kSupportedVersion = "1.0";

}  // namespace

void ConfigFile::load(const std::filesystem::path& path) { adopt(jv::readFile(path)); }

void ConfigFile::load(std::istream& in, FileFormat format) { adopt(jv::readStream(in, format)); }

// A document that fails its checks never becomes the loaded one, so a caller that survives the error still sees
// the previous, valid configuration.
void ConfigFile::adopt(std::unique_ptr<jv::JVDoc> doc) {
    checkVersion(*doc);
    doc_ = std::move(doc);
}

void ConfigFile::checkVersion() const {
    if (doc_) checkVersion(*doc_);
}

void ConfigFile::checkVersion(const jv::JVDoc& doc) {
    const jv::JV* root = doc.root();
    // Looked up by property rather than by pointer: a pointer step into an array root would read "version" as an
    // index.
    const jv::JV* version = root != nullptr && root->isObject() ? root->property("version") : nullptr;
    if (version == nullptr || !version->isString()) {
        throw ConfigFileError("Missing configuration version.", root != nullptr ? root->pos : Pos{});
    }
    if (version->stringValue() != kSupportedVersion) {
        throw ConfigFileError(fmt::format("Unsupported configuration version: '{}'.", version->stringValue()),
                              version->pos);
    }
}

const jv::JV* ConfigFile::section(std::string_view name) const {
    if (!doc_ || doc_->root() == nullptr || !doc_->root()->isObject()) return nullptr;
    const jv::JV* node = doc_->root()->property(name);
    if (node != nullptr && !node->isObject()) {
        throw ConfigFileError(fmt::format("An object is expected for '{}'", name), node->pos);
    }
    return node;
}

const jv::JV* ConfigFile::commandConfig(std::string_view command) const {
    const jv::JV* commands = section("commands");
    if (commands == nullptr) return nullptr;
    const jv::JV* node = commands->property(command);
    if (node != nullptr && !node->isObject()) {
        throw ConfigFileError(fmt::format("An object is expected for '{}'", command));
    }
    return node;
}

const jv::JV* ConfigFile::formatRegistryConfig() const {
    const jv::JV* openapi = section("openapi");
    if (openapi == nullptr) return nullptr;
    const jv::JV* formats = openapi->property("custom_formats");
    if (formats != nullptr && !formats->isArray()) {
        throw ConfigFileError("An array is expected for 'custom_formats'", formats->pos);
    }
    return formats;
}

}  // namespace zephalon::cli
