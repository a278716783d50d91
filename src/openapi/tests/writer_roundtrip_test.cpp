// Every document under testdata/openapi is read, written back with its read result and compared with the source:
// values and the key order of every object must survive, except for the normalisations the writer is documented to
// make. Those are applied to the source tree below, so any other difference fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/schema_keywords.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi {
namespace {

namespace fs = std::filesystem;
using jv::JV;

// Where schemas stand: the subschema keywords of the model's table, and the "schema" of parameters, headers and
// media types.
#define ZEPHALON_NAME(name, ...) name,
const std::set<std::string_view> kSchemaSlots = {
    "schema", ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                                       ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_NAME,
                                       ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                                       ZEPHALON_SCHEMA_KEYWORD_IGNORE)};
const std::set<std::string_view> kSchemaMaps = {
    "$defs", "definitions",
    ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                             ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                             ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_NAME,
                             ZEPHALON_SCHEMA_KEYWORD_IGNORE)};
const std::set<std::string_view> kSchemaLists = {ZEPHALON_SCHEMA_KEYWORDS(
    ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
    ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_NAME, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
    ZEPHALON_SCHEMA_KEYWORD_IGNORE)};
#undef ZEPHALON_NAME
// Boolean members whose false is the default and is therefore not written.
const std::set<std::string_view> kFalseDefaults = {"deprecated", "allowEmptyValue", "allowReserved", "uniqueItems",
                                                   "readOnly",   "writeOnly",       "attribute",     "wrapped"};

std::string canonicalHttpScheme(std::string_view scheme) {
    return std::string(httpSchemeSchemeToString(stringToHttpSchemeScheme(scheme)));
}

// Where a value sits: enough context to know whether it is a schema.
struct Place {
    std::string_view key;        // the member key or "" for an array element
    std::string_view parentKey;  // the key of the containing member
    bool inArray = false;
};

bool isSchemaPlace(const Place& place) {
    if (place.inArray) return kSchemaLists.contains(place.parentKey);
    return kSchemaSlots.contains(place.key) || kSchemaMaps.contains(place.parentKey) || place.parentKey == "schemas";
}

// The writer's documented normalisations, applied to the source tree in place.
class Normaliser {
  public:
    explicit Normaliser(bool is30) : is30_(is30) {}

    void apply(JV& value, const Place& place) {
        if (value.isObject()) {
            normaliseObject(value, place);
            std::vector<std::pair<std::string, JV*>> children;
            for (auto property : value.properties()) children.emplace_back(std::string(property.key), property.value);
            for (auto& [key, child] : children) apply(*child, Place{key, place.key, false});
            // The empty schema is the boolean true where booleans are schemas.
            for (auto& [key, child] : children) {
                if (child->isObject() && child->size() == 0 && (!is30_ || key == "additionalProperties") &&
                    isSchemaPlace(Place{key, place.key, false})) {
                    child->setBoolean(true);
                }
            }
        } else if (value.isArray()) {
            for (JV* element : value.items()) {
                apply(*element, Place{"", place.key, true});
                if (!is30_ && element->isObject() && element->size() == 0 && kSchemaLists.contains(place.key)) {
                    element->setBoolean(true);
                }
            }
        }
    }

  private:
    void normaliseObject(JV& object, const Place& place) {
        // nullable becomes the type null in the type list.
        if (const JV* nullable = object.property("nullable"); nullable != nullptr && nullable->isBoolean()) {
            if (nullable->booleanValue()) {
                JV* type = object.property("type");
                if (type == nullptr) {
                    object.setStringProperty("type", "null");
                } else if (type->isString()) {
                    std::string single(type->stringValue());
                    type->setArray();
                    type->addString(single);
                    type->addString("null");
                } else if (type->isArray()) {
                    type->addString("null");
                }
            }
            object.removeProperty("nullable");
        }
        // A type list of one is written as the single name.
        if (JV* type = object.property("type"); type != nullptr && type->isArray() && type->size() == 1) {
            std::string single(type->at(0)->stringValue());
            type->setString(single);
        }
        // required names are written in name order.
        if (JV* required = object.property("required"); required != nullptr && required->isArray()) {
            std::vector<std::string> names;
            for (const JV* name : required->items()) names.emplace_back(name->stringValue());
            std::sort(names.begin(), names.end());
            required->setArray();
            while (required->size() > 0) required->removeAt(0);
            for (const auto& name : names) required->addString(name);
        }
        // The older "definitions" is written as "$defs".
        if (auto definitions = object.releaseProperty("definitions"); definitions != nullptr) {
            object.setProperty("$defs", std::move(definitions));
        }
        for (std::string_view key : kFalseDefaults) {
            if (const JV* flag = object.property(key); flag != nullptr && flag->isBoolean() && !flag->booleanValue()) {
                object.removeProperty(key);
            }
        }
        normaliseParameterLike(object, place);
        // Empty maps are not written.
        if (const JV* variables = object.property("variables");
            variables != nullptr && variables->isObject() && variables->size() == 0) {
            object.removeProperty("variables");
        }
        if (const JV* type = object.property("type");
            type != nullptr && type->isString() && type->stringValue() == "http" && object.hasProperty("scheme")) {
            object.setStringProperty("scheme", canonicalHttpScheme(object.property("scheme")->stringValue()));
        }
    }

    // Parameters, headers, request bodies and encodings drop members at their default; path parameters are always
    // required.
    static void normaliseParameterLike(JV& object, const Place&) {
        const JV* in = object.property("in");
        const bool isParameter = in != nullptr && in->isString() && object.hasProperty("name") &&
                                 (in->stringValue() == "path" || in->stringValue() == "query" ||
                                  in->stringValue() == "header" || in->stringValue() == "cookie");
        if (isParameter && in->stringValue() == "path") object.setBoolProperty("required", true);
        if (const JV* required = object.property("required");
            required != nullptr && required->isBoolean() && !required->booleanValue()) {
            object.removeProperty("required");
        }
        std::string style;
        if (const JV* s = object.property("style"); s != nullptr && s->isString()) style = s->stringValue();
        std::string location = isParameter ? std::string(in->stringValue()) : "";
        // Header and cookie parameters have no style of their own in the model; the others drop their default.
        const bool styleKept = location == "path" || location == "query" || location.empty();
        const std::string defaultStyle = location == "path" ? "simple" : "form";
        if (!style.empty() && (!styleKept || style == defaultStyle)) {
            object.removeProperty("style");
            style.clear();
        }
        if (const JV* explode = object.property("explode"); explode != nullptr && explode->isBoolean()) {
            const bool defaultExplode = location == "query" && (style.empty() || style == "form");
            if (explode->booleanValue() == defaultExplode) object.removeProperty("explode");
        }
    }

    bool is30_;
};

// Normalisations that need the whole document.
void normaliseDocument(JV& root) {
    // paths is always written.
    if (!root.hasProperty("paths")) root.setObjectProperty("paths");
    const JV* components = root.property("components");
    auto lookup = [&](std::string_view ref) -> const JV* {
        constexpr std::string_view prefix = "#/components/";
        if (components == nullptr || !ref.starts_with(prefix)) return nullptr;
        ref.remove_prefix(prefix.size());
        auto slash = ref.find('/');
        if (slash == std::string_view::npos) return nullptr;
        const JV* kind = components->property(ref.substr(0, slash));
        return kind == nullptr ? nullptr : kind->property(ref.substr(slash + 1));
    };
    std::set<std::string> declaredTags;
    if (const JV* tags = root.property("tags"); tags != nullptr && tags->isArray()) {
        for (const JV* tag : tags->items()) declaredTags.emplace(tag->property("name")->stringValue());
    }
    std::vector<JV*> pending{&root};
    while (!pending.empty()) {
        JV* value = pending.back();
        pending.pop_back();
        if (value->isArray()) {
            for (JV* element : value->items()) pending.push_back(element);
            continue;
        }
        if (!value->isObject()) continue;
        // Callbacks own their path items, so a referenced path item is written in place.
        if (JV* callbacks = value->property("callbacks"); callbacks != nullptr && callbacks->isObject()) {
            for (auto callback : callbacks->properties()) {
                if (!callback.value->isObject() || callback.value->hasProperty("$ref")) continue;
                for (auto item : callback.value->properties()) {
                    const JV* ref = item.value->isObject() ? item.value->property("$ref") : nullptr;
                    const JV* target = ref != nullptr && ref->isString() ? lookup(ref->stringValue()) : nullptr;
                    if (target != nullptr) target->cloneTo(*item.value);
                }
            }
        }
        // An operation keeps only the tags that the document declares.
        if (JV* tags = value->property("tags"); tags != nullptr && tags->isArray() && value->hasProperty("responses")) {
            for (std::size_t i = tags->size(); i-- > 0;) {
                if (!declaredTags.contains(std::string(tags->at(i)->stringValue()))) tags->removeAt(i);
            }
            if (tags->size() == 0) value->removeProperty("tags");
        }
        for (auto property : value->properties()) pending.push_back(property.value);
    }
}

// Values and key order. Keys that the source order lists must come in that order in the written object; members
// that the normalisation added have no recorded place and may come anywhere.
void compare(const JV& expected, const jv::JVDoc& expectedDoc, const JV& actual, const jv::JVDoc& actualDoc,
             const std::string& where, const fs::path& file) {
    if (expected.type() != actual.type()) {
        ADD_FAILURE() << file.filename() << " at '" << where << "': " << jvNodeType(expected) << " written as "
                      << jvNodeType(actual);
        return;
    }
    if (expected.isArray()) {
        ASSERT_EQ(expected.size(), actual.size()) << file.filename() << " at '" << where << "'";
        for (std::size_t i = 0; i < expected.size(); ++i) {
            compare(*expected.at(i), expectedDoc, *actual.at(i), actualDoc, where + "/" + std::to_string(i), file);
        }
        return;
    }
    if (!expected.isObject()) {
        EXPECT_TRUE(expected.equal(actual))
            << file.filename() << " at '" << where << "': " << jv::toString(expected, FileFormat::JSON)
            << " written as " << jv::toString(actual, FileFormat::JSON);
        return;
    }
    std::vector<std::string> expectedKeys;
    std::vector<std::string> actualKeys;
    for (auto property : expected.properties()) expectedKeys.emplace_back(property.key);
    for (auto property : actual.properties()) actualKeys.emplace_back(property.key);
    EXPECT_EQ(expectedKeys, actualKeys) << file.filename() << " at '" << where << "'";

    std::vector<std::string> sourceOrder;
    for (std::string_view key : expectedDoc.propOrder(expected)) {
        std::string name(key == "definitions" ? "$defs" : key);
        if (expected.hasProperty(name) && std::find(sourceOrder.begin(), sourceOrder.end(), name) == sourceOrder.end())
            sourceOrder.push_back(name);
    }
    std::vector<std::string> writtenOrder;
    for (std::string_view key : actualDoc.propOrder(actual)) {
        if (std::find(sourceOrder.begin(), sourceOrder.end(), key) != sourceOrder.end()) writtenOrder.emplace_back(key);
    }
    EXPECT_EQ(sourceOrder, writtenOrder) << "key order of " << file.filename() << " at '" << where << "'";

    for (auto property : expected.properties()) {
        const JV* other = actual.property(property.key);
        if (other != nullptr) {
            compare(*property.value, expectedDoc, *other, actualDoc, where + "/" + std::string(property.key), file);
        }
    }
}

std::vector<fs::path> documents() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(ZEPHALON_TESTDATA_DIR) / "openapi")) {
        if (jv::guessFormat(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(WriterRoundTrip, EveryTestDocumentKeepsValuesAndKeyOrder) {
    const auto files = documents();
    ASSERT_GE(files.size(), 3u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        auto result = checkedReadFromFile(file);
        std::string written;
        writeToString(result.get(), written, FileFormat::JSON);

        auto source = jv::readFile(file);
        normaliseDocument(*source->root());
        Normaliser(result->model()->is30()).apply(*source->root(), Place{});
        auto output = jv::readString(written, FileFormat::JSON);
        compare(*source->root(), *source, *output->root(), *output, "", file);
    }
}

// What the writer produces is a fixed point: reading it again and writing it again changes nothing, in JSON and in
// YAML.
TEST(WriterRoundTrip, WrittenDocumentsReadBackWithoutIssuesAndRewriteIdentically) {
    for (const fs::path& file : documents()) {
        SCOPED_TRACE(file.filename().string());
        auto result = checkedReadFromFile(file);
        for (FileFormat format : {FileFormat::JSON, FileFormat::YAML}) {
            std::string first;
            writeToString(result.get(), first, format);
            auto again = readFromString(first, format);
            EXPECT_FALSE(again->hasIssues()) << formatIssues(*again);
            std::string second;
            writeToString(again.get(), second, format);
            // Compared as values: a negative zero is written as -0, which reads back as the integer 0.
            EXPECT_TRUE(jv::readString(first, format)->root()->equal(*jv::readString(second, format)->root()));
        }
    }
}

TEST(WriterRoundTrip, FileWritesFollowTheExtensionAndLeaveNoPartialFile) {
    auto result = checkedReadFromFile(fs::path(ZEPHALON_TESTDATA_DIR) / "openapi" / "bookshop-3.1.yaml");
    const fs::path dir = fs::temp_directory_path() /
                         ("zephalon-writer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    const fs::path json = dir / "out.json";
    writeToFile(result.get(), json);
    auto reread = checkedReadFromFile(json);
    std::string a;
    std::string b;
    writeToString(result.get(), a, FileFormat::JSON);
    writeToString(reread.get(), b, FileFormat::JSON);
    EXPECT_EQ(a, b);

    // An unknown extension fails before anything is written.
    EXPECT_THROW(writeToFile(result.get(), dir / "out.txt"), std::exception);
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
    fs::remove_all(dir);
}

// After an edit the source order still holds for what the source had; new members follow in the writer's order.
TEST(WriterRoundTrip, EditedModelKeepsSourceOrderAndAppendsNewMembers) {
    const std::string text = R"({"paths": {"/z": {}, "/a": {}}, "info": {"version": "1", "title": "T"},
        "openapi": "3.1.0", "components": {"schemas": {"S": {"properties": {"y": {}, "x": {}}, "type": "object"}}}})";
    auto result = checkedReadFromString(text, FileFormat::JSON);
    OpenAPI* model = result->model();
    model->paths()->addItem("/m");
    model->paths()->removeItem("/z");
    Schema* schema = model->components()->schema("S");
    schema->addProperty("b");
    schema->setTitle("Added");
    model->info()->setDescription("new");

    std::string written;
    writeToString(result.get(), written, FileFormat::JSON);
    auto doc = jv::readString(written, FileFormat::JSON);
    auto keys = [&](const JV* object) {
        std::vector<std::string> out;
        for (std::string_view key : doc->propOrder(*object)) out.emplace_back(key);
        return out;
    };
    const JV& root = *doc->root();
    EXPECT_EQ(keys(&root), (std::vector<std::string>{"paths", "info", "openapi", "components"}));
    EXPECT_EQ(keys(root.property("paths")), (std::vector<std::string>{"/a", "/m"}));
    EXPECT_EQ(keys(root.property("info")), (std::vector<std::string>{"version", "title", "description"}));
    const JV* s = root.property("components")->property("schemas")->property("S");
    EXPECT_EQ(keys(s), (std::vector<std::string>{"properties", "type", "title"}));
    EXPECT_EQ(keys(s->property("properties")), (std::vector<std::string>{"y", "x", "b"}));
}

}  // namespace
}  // namespace zephalon::openapi
