#pragma once

// The `data` generator: sample values of one schema of the document, written as one JSON or YAML file (or, without
// an output path, as JSON on standard output).
//
// Options: "pointer" (the schema's JSON Pointer, "/" by default), "mimeType" (a valid media type,
// "application/json" by default), "quantity" (1 to 1,000,000; 1 writes a single value, more an array of values).
// Configuration: "/commands/generate/data" holds the sample bounds (jv_generator::Configuration::fromJV).

#include <cstdint>
#include <memory>
#include <string>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator::data {

class DataPlugin : public Plugin {
  public:
    static constexpr std::uint64_t kMaxQuantity = 1'000'000;

    explicit DataPlugin(Context& context);
    ~DataPlugin() override;

    // Raises ConfigError "Invalid JSON pointer", "Invalid MIME type", "Quantity is not a positive number",
    // "Quantity is not a whole number" or "Quantity is too large (at most 1000000)".
    void setOption(std::string_view name, std::string_view value) override;
    void setConfig(const jv::JV* root) override;
    // Numbers from -10 to 10; lengths, item and property counts from 0 to 10.
    void setDefaultConfig() override;
    void configureSelf() override;
    void collectData() override;
    void generateCode() override;

    const std::string& pointer() const { return pointer_; }
    const std::string& mimeType() const { return mimeType_; }
    std::uint64_t quantity() const { return quantity_; }
    jv_generator::Generator& sampleGenerator() { return sampleGenerator_; }

  private:
    void writeJson();
    void reserveFor(std::size_t firstValueSize);

    std::string pointer_ = "/";
    std::string mimeType_ = "application/json";
    std::uint64_t quantity_ = 1;
    jv_generator::Generator sampleGenerator_;
    const openapi::Schema* schema_ = nullptr;
    FileFormat format_ = FileFormat::JSON;
    std::string text_;
};

}  // namespace zephalon::openapi_generator::data
