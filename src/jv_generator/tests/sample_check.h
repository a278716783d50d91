#pragma once

// Reads an OpenAPI document from YAML text and checks samples of its component schemas with the program's JSON
// Schema engine. A 3.0 document's schemas are turned into their JSON Schema form first (draft 4, where
// `nullable: true` lets null through), a 3.1 document's are used as they stand (2020-12). Formats are asserted.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/jv_schema/schema.h"
#include "zephalon/openapi/json_schema_form.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::jv_generator::testing {

class SampleCheck {
  public:
    explicit SampleCheck(std::string_view yaml) {
        result_ = openapi::checkedReadFromString(yaml, FileFormat::YAML);
        const jv::JV* root = result_->doc()->root();
        is30_ = root->property("openapi")->stringValue().substr(0, 3) == "3.0";
        // The engine resolves references only into keywords it knows, so the component schemas move under the
        // dialect's definitions keyword and every reference follows them.
        definitions_ = is30_ ? "definitions" : "$defs";
        json_ = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
        json_->setProperty(definitions_, root->find(jv::JVPointer("/components/schemas"))->clone());
        retarget(*json_);
        if (is30_) openapi::nullableToJsonSchema(*json_);
    }

    const openapi::Schema* schema(std::string_view pointer) const {
        const auto* found = dynamic_cast<const openapi::Schema*>(result_->findNode(pointer));
        if (found == nullptr) throw std::runtime_error("no schema at " + std::string(pointer));
        return found;
    }

    // The messages of every issue of the sample against the schema at the pointer; empty when it is valid.
    std::vector<std::string> issues(std::string_view pointer, const jv::JV& sample) const {
        auto& registry = jv::schema::JVDialectRegistry::instance();
        const bool strict = registry.strictFormat;
        registry.setStrictFormat(true);
        auto wrapper = json_->clone();
        wrapper->setStringProperty("$schema", is30_ ? jv::schema::draft04Uri : jv::schema::draft202012Uri);
        const std::string_view prefix = "/components/schemas/";
        if (pointer.substr(0, prefix.size()) != prefix) throw std::runtime_error("not a component schema");
        wrapper->setStringProperty("$ref", "#/" + definitions_ + "/" + std::string(pointer.substr(prefix.size())));
        jv::schema::JVSchema compiled(*wrapper);
        registry.setStrictFormat(strict);
        jv::schema::JVValidationResult result;
        const bool valid = compiled.validate(sample, result);
        std::vector<std::string> messages;
        for (const auto& issue : result.issues) messages.push_back(issue.message);
        // Some keywords (oneOf matching twice) fail without an issue of their own.
        if (!valid && messages.empty()) messages.push_back("invalid");
        return messages;
    }

    // Generates `count` samples, each with a seed of its own, and expects each to be valid. Small consecutive
    // seeds start the engine at nearby states (their first draws all fall low), so the seeds are spread out.
    std::vector<std::unique_ptr<jv::JV>> expectValidSamples(std::string_view pointer, int count) const {
        std::vector<std::unique_ptr<jv::JV>> samples;
        for (int i = 0; i < count; ++i) {
            const std::uint64_t seed = spreadSeed(i);
            Generator generator(schema(pointer), seed);
            auto sample = generator.generate();
            EXPECT_EQ(issues(pointer, *sample), std::vector<std::string>{})
                << pointer << " seed " << seed << ": " << text(*sample);
            samples.push_back(std::move(sample));
        }
        return samples;
    }

    static std::uint64_t spreadSeed(int i) { return (static_cast<std::uint64_t>(i) + 1) * 2654435761u % 4294967291u; }

    // Compact JSON without the final line feed.
    static std::string text(const jv::JV& value) {
        std::string out;
        jv::writeString(value, out, jv::StreamWriteOptions{FileFormat::JSON, 0, {}});
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }

  private:
    void retarget(jv::JV& value) const {
        if (value.isArray()) {
            for (jv::JV* item : value.items()) retarget(*item);
            return;
        }
        if (!value.isObject()) return;
        for (auto property : value.properties()) retarget(*property.value);
        jv::JV* ref = value.property("$ref");
        const std::string_view prefix = "#/components/schemas/";
        if (ref != nullptr && ref->isString() && ref->stringValue().substr(0, prefix.size()) == prefix) {
            ref->setString("#/" + definitions_ + "/" + std::string(ref->stringValue().substr(prefix.size())));
        }
    }

    std::unique_ptr<openapi::OpenAPIReadResult> result_;
    std::unique_ptr<jv::JV> json_;
    std::string definitions_;
    bool is30_ = false;
};

}  // namespace zephalon::jv_generator::testing
