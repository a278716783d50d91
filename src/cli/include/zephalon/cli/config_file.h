#pragma once

// The file named by --config: one JSON or YAML object with a required "version" of "1.0", an optional "commands"
// object with one section per command, and an optional "openapi" object whose "custom_formats" array feeds the
// schema format registry.

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/pos.h"

namespace zephalon::cli {

// A configuration file that cannot be used. `pos` is the position of the offending node, (-1, -1) when none applies.
class ConfigFileError : public std::runtime_error {
  public:
    explicit ConfigFileError(const std::string& message, Pos position = {})
        : std::runtime_error(message), pos(position) {}

    Pos pos;
};

class ConfigFile {
  public:
    // Reads the file (format from its extension) and checks its version. Only a file that passes replaces the
    // document loaded before; reading errors are those of the file reader and pass through unchanged.
    void load(const std::filesystem::path& path);
    void load(std::istream& in, FileFormat format);

    // Raises ConfigFileError unless "/version" is the string "1.0". Does nothing before a document is loaded.
    // Every ConfigFileError's message says where the fault is (see describe).
    void checkVersion() const;

    // The section "/commands/<command>", or null when there is none. A section that is not an object raises
    // ConfigFileError "An object is expected for '<command>'".
    const jv::JV* commandConfig(std::string_view command) const;
    // "/openapi/custom_formats", or null when there is none; anything but an array raises ConfigFileError.
    const jv::JV* formatRegistryConfig() const;

    bool loaded() const { return doc_ != nullptr; }
    const jv::JVDoc* document() const { return doc_.get(); }

    // A message about `node` of the loaded configuration that says where the node is: "file:line:column: message"
    // in a JSON file; "file: a.b.c: message" in a YAML file, whose scalars carry no position (the member path
    // finds them as well). With `member`, the message is about that member of `node`, usually a missing one:
    // "file: commands.format.openapi is required". The file is left out for a configuration read from a stream.
    std::string describe(const jv::JV* node, std::string_view message, std::string_view member = {}) const;

  private:
    void adopt(std::unique_ptr<jv::JVDoc> doc, std::string file, FileFormat format);
    void checkVersion(const jv::JVDoc& doc, const std::string& file, FileFormat format) const;
    std::string describe(const jv::JV* node, std::string_view message, std::string_view member, const std::string& file,
                         FileFormat format) const;
    const jv::JV* section(std::string_view name) const;

    std::unique_ptr<jv::JVDoc> doc_;
    std::string file_;
    FileFormat format_ = FileFormat::JSON;
};

}  // namespace zephalon::cli
