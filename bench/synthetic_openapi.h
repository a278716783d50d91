#pragma once

// A deterministic generator of OpenAPI-shaped JSON documents for the benchmarks of every module.
//
//   std::string text = zephalon::bench::syntheticOpenApi();                        // ~25 MB, OpenAPI 3.1
//   std::string text = zephalon::bench::syntheticOpenApi({.targetBytes = 1 << 20,
//                                                         .version = zephalon::bench::OpenApiVersion::V3_0});
//
// The document is valid for its version: paths with operations (unique operationIds, declared path parameters,
// request bodies, responses with descriptions), shared parameters and responses, and components.schemas with
// nested properties, enums, numbers, booleans, descriptions and $refs that all resolve. Version 3.0 uses
// `nullable`, boolean `exclusiveMinimum` and `example`; 3.1 uses type arrays with "null", numeric
// `exclusiveMinimum` and `examples`. The same options always give the same text.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::bench {

enum class OpenApiVersion { V3_0, V3_1 };

struct SyntheticOptions {
    std::size_t targetBytes = 25u * 1024u * 1024u;  // the text ends up slightly larger than this
    OpenApiVersion version = OpenApiVersion::V3_1;
    int indent = 2;  // 0 gives compact text
    std::uint64_t seed = 0x5eed;
};

namespace detail {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        // splitmix64: small, fast and the same on every platform.
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }

  private:
    std::uint64_t state_;
};

// A minimal pretty-printing JSON text writer; values are trusted (no escaping beyond what the generator needs).
class Writer {
  public:
    Writer(std::string& out, int indent, int baseDepth) : out_(out), indent_(indent), depth_(baseDepth) {}

    Writer& key(std::string_view k) {
        separate();
        quoted(k);
        out_ += indent_ > 0 ? ": " : ":";
        afterKey_ = true;
        return *this;
    }
    Writer& beginObject() { return open('{'); }
    Writer& endObject() { return close('}'); }
    Writer& beginArray() { return open('['); }
    Writer& endArray() { return close(']'); }
    Writer& string(std::string_view s) {
        separate();
        quoted(s);
        return *this;
    }
    Writer& integer(long long v) {
        separate();
        out_ += std::to_string(v);
        return *this;
    }
    Writer& decimal(long long whole, int hundredths) {
        separate();
        out_ += std::to_string(whole);
        out_ += '.';
        out_ += static_cast<char>('0' + hundredths / 10 % 10);
        out_ += static_cast<char>('0' + hundredths % 10);
        return *this;
    }
    Writer& boolean(bool v) {
        separate();
        out_ += v ? "true" : "false";
        return *this;
    }
    Writer& null() {
        separate();
        out_ += "null";
        return *this;
    }
    // Writes `"key": value` for the common cases.
    Writer& field(std::string_view k, std::string_view v) { return key(k).string(v); }
    Writer& field(std::string_view k, long long v) { return key(k).integer(v); }
    Writer& flag(std::string_view k, bool v) { return key(k).boolean(v); }
    // Continues after text that another writer produced at this level (a comma is due before the next item).
    void continueAfterItem() {
        afterKey_ = false;
        first_.back() = false;
    }

  private:
    void newline() {
        if (indent_ <= 0) return;
        out_ += '\n';
        out_.append(static_cast<std::size_t>(indent_ * depth_), ' ');
    }
    void separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (!first_.empty()) {
            if (!first_.back()) out_ += ',';
            first_.back() = false;
            newline();
        }
    }
    Writer& open(char c) {
        separate();
        out_ += c;
        ++depth_;
        first_.push_back(true);
        return *this;
    }
    Writer& close(char c) {
        bool empty = first_.back();
        first_.pop_back();
        --depth_;
        if (!empty) newline();
        out_ += c;
        return *this;
    }
    void quoted(std::string_view s) {
        out_ += '"';
        out_ += s;
        out_ += '"';
    }

    std::string& out_;
    int indent_;
    int depth_;
    bool afterKey_ = false;
    std::vector<bool> first_;
};

inline const char* const kWords[] = {
    "account", "order",    "invoice",  "customer", "payment", "shipment", "product", "catalog", "review",
    "address", "contract", "schedule", "report",   "message", "device",   "region",  "ticket",  "profile",
};
inline const char* const kSentences[] = {
    "Identifies the resource uniquely across all regions.",
    "A human readable label shown in listings and search results.",
    "When set, the record is excluded from every public export.",
    "The moment the record was last changed, in UTC.",
    "Monetary amount in the smallest unit of the currency, never negative.",
    "Free text supplied by the caller; Markdown is rendered in the portal.",
    "Present only for records created through the partner interface.",
    "Lists the related records in the order in which they were attached.",
};

inline std::string sentence(Random& r, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i > 0) s += ' ';
        s += kSentences[r.below(std::size(kSentences))];
    }
    return s;
}

// Joins text pieces (the + chains of std::string trip a false -Wrestrict warning of g++ 12 at -O3).
inline std::string cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view p : parts) out.append(p);
    return out;
}

inline std::string word(Random& r) { return kWords[r.below(std::size(kWords))]; }

inline std::string schemaName(std::size_t i) { return cat({"Model", std::to_string(i)}); }

// A nullable string property in the style of the version.
inline void nullableString(Writer& w, bool v31, std::string_view description) {
    w.beginObject();
    if (v31) {
        w.key("type").beginArray().string("string").string("null").endArray();
    } else {
        w.field("type", "string").flag("nullable", true);
    }
    w.field("description", description);
    w.endObject();
}

inline void schema(Writer& w, Random& r, std::size_t index, bool v31) {
    w.beginObject();
    w.field("type", "object");
    w.field("description", sentence(r, 1 + static_cast<int>(r.below(3))));
    w.key("required").beginArray().string("id").string("name").endArray();
    w.key("properties").beginObject();
    {
        w.key("id").beginObject().field("type", "integer").field("format", "int64").field("minimum", 1);
        w.flag("readOnly", true).endObject();
        w.key("name").beginObject().field("type", "string").field("minLength", 1);
        w.field("maxLength", 64 + static_cast<long long>(r.below(192)));
        w.field("description", sentence(r, 1)).endObject();
        w.key("status").beginObject().field("type", "string").key("enum").beginArray();
        w.string("active").string("suspended").string("closed");
        if (r.chance(50)) w.string("pending");
        w.endArray().field("default", "active").endObject();
        w.key("price").beginObject().field("type", "number");
        if (v31) {
            w.field("exclusiveMinimum", 0);
            w.key("examples").beginArray().decimal(static_cast<long long>(r.below(1000)), int(r.below(100)));
            w.endArray();
        } else {
            w.field("minimum", 0).flag("exclusiveMinimum", true);
            w.key("example").decimal(static_cast<long long>(r.below(1000)), int(r.below(100)));
        }
        w.endObject();
        w.key("note");
        nullableString(w, v31, sentence(r, 1));
        w.key("details").beginObject().field("type", "object").key("properties").beginObject();
        {
            w.key("createdAt").beginObject().field("type", "string").field("format", "date-time").endObject();
            w.key("tags").beginObject().field("type", "array").key("items").beginObject();
            w.field("type", "string").field("pattern", "^[a-z][a-z0-9-]*$").endObject();
            w.field("maxItems", 16).flag("uniqueItems", true).endObject();
            w.key("location").beginObject().field("type", "object").key("properties").beginObject();
            w.key("latitude").beginObject().field("type", "number").field("minimum", -90).field("maximum", 90);
            w.endObject();
            w.key("longitude").beginObject().field("type", "number").field("minimum", -180);
            w.field("maximum", 180).endObject();
            w.endObject().flag("additionalProperties", false).endObject();
        }
        w.endObject().endObject();
        if (index > 0) {
            std::string target = cat({"#/components/schemas/", schemaName(r.below(index))});
            w.key("owner").beginObject().field("$ref", target).endObject();
            w.key("related").beginObject().field("type", "array").key("items").beginObject();
            w.field("$ref", cat({"#/components/schemas/", schemaName(r.below(index))})).endObject().endObject();
        }
    }
    w.endObject();
    w.endObject();
}

inline void jsonContent(Writer& w, std::string_view schemaRef) {
    w.key("content").beginObject().key("application/json").beginObject().key("schema").beginObject();
    w.field("$ref", schemaRef).endObject().endObject().endObject();
}

inline void operation(Writer& w, Random& r, std::string_view method, std::size_t index, bool item, bool body) {
    std::string model = cat({"#/components/schemas/", schemaName(index)});
    w.key(method).beginObject();
    w.field("operationId", cat({method, item ? "Item" : "Collection", std::to_string(index)}));
    w.field("summary", cat({method, " ", word(r)}));
    w.field("description", sentence(r, 1 + static_cast<int>(r.below(2))));
    w.key("tags").beginArray().string(word(r)).endArray();
    w.key("parameters").beginArray();
    if (!item) {
        w.beginObject().field("$ref", "#/components/parameters/limit").endObject();
        w.beginObject().field("$ref", "#/components/parameters/offset").endObject();
    }
    w.beginObject().field("name", cat({"X-Request-", word(r)})).field("in", "header").flag("required", false);
    w.key("schema").beginObject().field("type", "string").field("format", "uuid").endObject().endObject();
    w.endArray();
    if (body) {
        w.key("requestBody").beginObject().flag("required", true);
        jsonContent(w, model);
        w.endObject();
    }
    w.key("responses").beginObject();
    w.key(body && !item ? "201" : "200").beginObject().field("description", sentence(r, 1));
    if (!item && !body) {
        w.key("content").beginObject().key("application/json").beginObject().key("schema").beginObject();
        w.field("type", "array").key("items").beginObject().field("$ref", model).endObject();
        w.endObject().endObject().endObject();
    } else {
        jsonContent(w, model);
    }
    w.endObject();
    w.key("404").beginObject().field("$ref", "#/components/responses/NotFound").endObject();
    w.key("default").beginObject().field("description", "Unexpected error").endObject();
    w.endObject();
    if (r.chance(10)) w.flag("deprecated", true);
    w.endObject();
}

inline void pathItems(Writer& w, Random& r, std::size_t index) {
    std::string base = cat({"/", word(r), "s", std::to_string(index)});
    w.key(base).beginObject();
    operation(w, r, "get", index, false, false);
    operation(w, r, "post", index, false, true);
    w.endObject();
    w.key(cat({base, "/{id}"})).beginObject();
    w.key("parameters").beginArray().beginObject().field("name", "id").field("in", "path").flag("required", true);
    w.key("schema").beginObject().field("type", "integer").field("format", "int64").endObject().endObject();
    w.endArray();
    operation(w, r, "get", index, true, false);
    operation(w, r, "put", index, true, true);
    operation(w, r, "delete", index, true, false);
    w.endObject();
}

}  // namespace detail

// The text of a synthetic OpenAPI document of about `options.targetBytes` bytes.
inline std::string syntheticOpenApi(const SyntheticOptions& options = {}) {
    using detail::Writer;
    const bool v31 = options.version == OpenApiVersion::V3_1;
    detail::Random random(options.seed);
    // Paths and schemas grow side by side, so every $ref names a schema that exists.
    std::string paths, schemas;
    Writer pathWriter(paths, options.indent, 1);
    Writer schemaWriter(schemas, options.indent, 2);
    pathWriter.beginObject();
    schemaWriter.beginObject();
    std::size_t count = 0;
    do {
        schemaWriter.key(detail::schemaName(count));
        detail::schema(schemaWriter, random, count, v31);
        detail::pathItems(pathWriter, random, count);
        ++count;
    } while (paths.size() + schemas.size() < options.targetBytes);
    pathWriter.endObject();
    schemaWriter.endObject();

    std::string out;
    out.reserve(paths.size() + schemas.size() + 4096);
    Writer w(out, options.indent, 0);
    w.beginObject();
    w.field("openapi", v31 ? "3.1.0" : "3.0.3");
    w.key("info").beginObject().field("title", "Synthetic API").field("version", "1.0.0");
    w.field("description", "A generated document for measuring the tools.");
    w.key("license").beginObject().field("name", "MIT");
    if (v31) {
        w.field("identifier", "MIT");
    } else {
        w.field("url", "https://opensource.org/licenses/MIT");
    }
    w.endObject().endObject();
    w.key("servers").beginArray().beginObject().field("url", "https://api.example.com/v1").endObject().endArray();
    w.key("tags").beginArray();
    for (const char* tag : detail::kWords) w.beginObject().field("name", tag).endObject();
    w.endArray();
    w.key("paths");
    out += paths;
    w.continueAfterItem();
    w.key("components").beginObject();
    w.key("schemas");
    out += schemas;
    w.continueAfterItem();
    w.key("parameters").beginObject();
    for (const char* name : {"limit", "offset"}) {
        w.key(name).beginObject().field("name", name).field("in", "query").flag("required", false);
        w.key("schema").beginObject().field("type", "integer").field("minimum", 0).endObject().endObject();
    }
    w.endObject();
    w.key("responses").beginObject().key("NotFound").beginObject().field("description", "No such record.");
    w.endObject().endObject();
    w.endObject();
    w.endObject();
    if (options.indent > 0) out += '\n';
    return out;
}

}  // namespace zephalon::bench
