#include "zephalon/openapi_generator/data_plugin.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "zephalon/foundation/validators.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi/node_error.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi_generator::data {

DataPlugin::DataPlugin(Context& context) : Plugin(context) {}
DataPlugin::~DataPlugin() = default;

void DataPlugin::setOption(std::string_view name, std::string_view value) {
    if (name == "pointer") {
        try {
            jv::JVPointer parsed(value);
        } catch (const jv::JVPointerError&) {
            throw ConfigError("Invalid JSON pointer");
        }
        pointer_ = value;
    } else if (name == "mimeType") {
        if (!isValidMediaType(value)) throw ConfigError("Invalid MIME type");
        mimeType_ = value;
    } else if (name == "quantity") {
        auto parsed = number::Number::parse(value);
        if (!parsed || parsed->isNaN() || !(*parsed > number::Number(0))) {
            throw ConfigError("Quantity is not a positive number");
        }
        if (!parsed->isInteger()) throw ConfigError("Quantity is not a whole number");
        if (*parsed > number::Number(kMaxQuantity)) {
            throw ConfigError(fmt::format("Quantity is too large (at most {})", kMaxQuantity));
        }
        quantity_ = parsed->toULong();
    } else {
        Plugin::setOption(name, value);
    }
}

void DataPlugin::setConfig(const jv::JV* root) {
    if (root == nullptr || !root->isObject()) return;
    const jv::JV* section = root->find(jv::JVPointer("/commands/generate/data"));
    if (section != nullptr) sampleGenerator_.configuration() = jv_generator::Configuration::fromJV(*section);
}

void DataPlugin::setDefaultConfig() {
    jv_generator::Configuration& config = sampleGenerator_.configuration();
    config.setNumericRange(-10, 10);
    config.setLengthRange(0, 10);
    config.setItemCountRange(0, 10);
    config.setPropertyCountRange(0, 10);
}

void DataPlugin::configureSelf() {
    const openapi::Node* node = context().findNode(pointer_);
    if (node == nullptr) throw std::runtime_error("Schema not found at " + pointer_);
    schema_ = node->resolveNodeAs<openapi::Schema>();
    if (schema_ == nullptr) throw std::runtime_error("Node at " + pointer_ + " is not a schema");
    // Known before anything is generated, so that a run that cannot write wastes no time.
    format_ = FileFormat::JSON;
    if (!outputPath().empty()) {
        auto format = jv::guessFormat(outputPath());
        if (!format) throw std::runtime_error("Cannot guess format for " + outputPath());
        format_ = *format;
    }
}

void DataPlugin::collectData() {
    text_.clear();
    try {
        sampleGenerator_.setSchema(schema_);
        if (format_ == FileFormat::JSON) {
            writeJson();
        } else {
            jv::JVDoc doc;
            if (quantity_ == 1) {
                doc.setRoot(jv::JV::Type::Null);
                sampleGenerator_.generate(*doc.root());
            } else {
                doc.setRoot(jv::JV::Type::Array);
                for (std::uint64_t i = 0; i < quantity_; ++i) sampleGenerator_.generate(*doc.root()->addNull());
            }
            jv::writeString(doc, text_, format_);
        }
    } catch (const openapi::NodeError& error) {
        // The schema at fault may lie deep below the one asked for: say where.
        const Pos pos = context().nodePos(error.node());
        if (!pos.known()) throw std::runtime_error(error.what());
        const std::string file = context().nodeFile(error.node());
        throw std::runtime_error(
            fmt::format("{} at ({}, {}){}", error.what(), pos.line, pos.column, file.empty() ? "" : " in " + file));
    }
    // The model must not be reached after this step.
    schema_ = nullptr;
    sampleGenerator_.setSchema(nullptr);
}

// Values of one schema are of similar size, so the first one tells how large the whole text will be. Reserving it
// at once spares the repeated growth of a buffer of hundreds of megabytes, each of which copies it into memory that
// must first be mapped. The reservation is capped: an estimate beyond it only costs the growth it would have saved.
void DataPlugin::reserveFor(std::size_t firstValueSize) {
    constexpr std::uint64_t kMaxReservation = std::uint64_t{1} << 30;
    const std::uint64_t estimate = (firstValueSize + 4) * quantity_ / 4 * 5 + 4;
    text_.reserve(static_cast<std::size_t>(std::min(estimate, kMaxReservation)));
}

// The values one at a time into one reused value, each written as the writer would write it as an element of the
// whole array: indented one level further, the empty line inside an empty container left empty. The bytes are
// those of the whole document, without holding every value at once.
void DataPlugin::writeJson() {
    const jv::StreamWriteOptions options{FileFormat::JSON, 2, {}};
    jv::JV value;
    if (quantity_ == 1) {
        sampleGenerator_.generate(value);
        jv::writeString(value, text_, options);
        return;
    }
    std::string piece;
    text_ = "[\n";
    for (std::uint64_t i = 0; i < quantity_; ++i) {
        sampleGenerator_.generate(value);
        jv::writeString(value, piece, options);
        if (!piece.empty() && piece.back() == '\n') piece.pop_back();
        if (i == 0) reserveFor(piece.size());
        text_ += "  ";
        for (std::size_t start = 0; start < piece.size();) {
            const std::size_t newline = std::min(piece.find('\n', start), piece.size() - 1);
            text_.append(piece, start, newline + 1 - start);
            start = newline + 1;
            if (start < piece.size() && piece[start] != '\n') text_ += "  ";
        }
        text_ += i + 1 < quantity_ ? ",\n" : "\n";
    }
    text_ += "]\n";
}

void DataPlugin::generateCode() {
    if (outputPath().empty()) {
        std::cout << text_;
        return;
    }
    const std::filesystem::path parent = std::filesystem::path(outputPath()).parent_path();
    if (!parent.empty()) context().fs().mkdirp(parent.string());
    context().fs().write(outputPath(), std::move(text_));
}

}  // namespace zephalon::openapi_generator::data
