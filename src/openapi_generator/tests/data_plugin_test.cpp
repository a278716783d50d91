// The data generator writing into memory: options and their errors, the configuration it takes, what it writes.

#include "zephalon/openapi_generator/data_plugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi_generator/testing/test_files.h"

namespace zephalon::openapi_generator::data {
namespace {

using ::testing::HasSubstr;
using testing::TestFiles;

constexpr std::string_view kDocument = R"(openapi: 3.1.0
info: {title: Zoo, version: "1"}
paths:
  /animals:
    get:
      responses:
        "200":
          description: The animals.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Animal'}
components:
  schemas:
    Animal:
      type: object
      required: [name, legs]
      properties:
        name: {type: string}
        legs: {type: integer}
    Shelf:
      type: object
      required: [label, empty, items, nested]
      properties:
        label: {type: string}
        empty: {type: object}
        items: {type: array, items: {type: integer}, maxItems: 2}
        nested: {type: array, items: {type: array, items: {type: object}}}
    Endless:
      type: object
      required: [next]
      properties:
        next: {$ref: '#/components/schemas/Endless'}
)";

struct DataRun {
    TestFiles files;
    Generator generator;
    MemoryFileSystem* memory = nullptr;
    DataPlugin* plugin = nullptr;

    explicit DataRun(std::string_view document = kDocument) {
        auto fs = memoryFileSystem();
        memory = fs.get();
        generator.context().setFS(std::move(fs));
        generator.setInputPath(files.write("api.yaml", document));
        plugin = generator.addPlugin(std::make_unique<DataPlugin>(generator.context()));
        plugin->setOutputPath("out/data.json");
    }

    std::string error() {
        try {
            generator.run();
        } catch (const std::exception& failure) {
            return failure.what();
        }
        return "no error";
    }

    std::unique_ptr<jv::JVDoc> output() { return jv::readString(memory->read("out/data.json"), FileFormat::JSON); }
};

TEST(DataPluginTest, WritesOneValueOrAnArrayOfThem) {
    {
        DataRun run;
        run.plugin->setOption("pointer", "/components/schemas/Animal");
        run.generator.run();
        auto doc = run.output();
        const jv::JV* value = doc->root();
        ASSERT_TRUE(value->isObject());
        EXPECT_TRUE(value->property("legs")->isInteger());
    }
    {
        DataRun run;
        run.plugin->setOption("pointer", "/paths/~1animals/get/responses/200/content/application~1json/schema");
        run.plugin->setOption("quantity", "3");
        run.generator.run();
        auto doc = run.output();
        ASSERT_TRUE(doc->root()->isArray());
        EXPECT_EQ(doc->root()->size(), 3u);
        EXPECT_TRUE(doc->root()->at(2)->hasProperty("name"));
    }
}

TEST(DataPluginTest, ValuesWrittenOneByOneGiveTheBytesOfTheWholeDocument) {
    DataRun run;
    run.plugin->setOption("pointer", "/components/schemas/Shelf");
    run.plugin->setOption("quantity", "7");
    run.generator.run();

    auto result = openapi::checkedReadFromString(kDocument, FileFormat::YAML);
    jv_generator::Generator generator(
        dynamic_cast<const openapi::Schema*>(result->findNode("/components/schemas/Shelf")));
    generator.configuration().setNumericRange(-10, 10);
    jv::JVDoc doc;
    doc.setRoot(jv::JV::Type::Array);
    for (int i = 0; i < 7; ++i) generator.generate(*doc.root()->addNull());
    const std::string expected = jv::toString(doc, FileFormat::JSON);
    EXPECT_EQ(run.memory->read("out/data.json"), expected);
    // Empty containers are among the values.
    EXPECT_NE(expected.find("{}"), std::string::npos);

    DataRun yaml;
    yaml.plugin->setOption("pointer", "/components/schemas/Shelf");
    yaml.plugin->setOption("quantity", "2");
    yaml.plugin->setOutputPath("shelves.yml");
    yaml.generator.run();
    EXPECT_EQ(jv::readString(yaml.memory->read("shelves.yml"), FileFormat::YAML)->root()->size(), 2u);
}

TEST(DataPluginTest, RefusesBadOptionsBeforeReadingAnything) {
    TestFiles files;
    Context context;
    DataPlugin plugin(context);
    auto message = [&](std::string_view name, std::string_view value) -> std::string {
        try {
            plugin.setOption(name, value);
        } catch (const ConfigError& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_EQ(message("pointer", "no/slash"), "Invalid JSON pointer");
    EXPECT_EQ(message("pointer", "/a/~2"), "Invalid JSON pointer");
    EXPECT_EQ(message("mimeType", "json"), "Invalid MIME type");
    EXPECT_EQ(message("mimeType", "application/yaml"), "accepted");
    for (std::string_view bad : {"0", "-2", "many", "", "NaN"}) {
        EXPECT_EQ(message("quantity", bad), "Quantity is not a positive number") << bad;
    }
    EXPECT_EQ(message("quantity", "2.5"), "Quantity is not a whole number");
    EXPECT_EQ(message("quantity", "1000001"), "Quantity is too large (at most 1000000)");
    EXPECT_EQ(message("quantity", "1e6"), "accepted");
    EXPECT_EQ(plugin.quantity(), 1000000u);
    EXPECT_EQ(plugin.mimeType(), "application/yaml");
}

TEST(DataPluginTest, NamesWhatThePointerFailsToReach) {
    {
        DataRun run;
        run.plugin->setOption("pointer", "/paths/~1animals/get/responses/200");
        EXPECT_EQ(run.error(), "Node at /paths/~1animals/get/responses/200 is not a schema");
    }
    {
        DataRun run;
        run.plugin->setOption("pointer", "/components/schemas/Plant");
        EXPECT_EQ(run.error(), "Schema not found at /components/schemas/Plant");
    }
    {
        DataRun run;
        EXPECT_EQ(run.error(), "Schema not found at /");
    }
    {
        DataRun run;
        run.plugin->setOption("pointer", "/components/schemas/Endless");
        EXPECT_THAT(run.error(), HasSubstr("Cannot generate a finite value for a recursive schema at ("));
        EXPECT_FALSE(run.memory->exists("out/data.json"));
    }
    {
        DataRun run;
        run.plugin->setOption("pointer", "/components/schemas/Animal");
        run.plugin->setOutputPath("out/data.txt");
        EXPECT_EQ(run.error(), "Cannot guess format for out/data.txt");
    }
}

TEST(DataPluginTest, BoundsComeFromTheDefaultsOrTheConfigurationSection) {
    Context context;
    DataPlugin withDefaults(context);
    withDefaults.setDefaultConfig();
    EXPECT_EQ(withDefaults.sampleGenerator().configuration().minimum(), number::Number(-10));

    DataPlugin withSection(context);
    auto config = jv::readString(
        R"({"commands": {"generate": {"data": {"maxLength": 3, "minimum": 5, "maximum": 6}}}})", FileFormat::JSON);
    withSection.setConfig(config->root());
    EXPECT_EQ(withSection.sampleGenerator().configuration().maxLength(), 3u);
    EXPECT_EQ(withSection.sampleGenerator().configuration().minimum(), number::Number(5));

    // A file without the section leaves the sample generator's own bounds.
    DataPlugin withoutSection(context);
    withoutSection.setConfig(jv::readString(R"({"commands": {}})", FileFormat::JSON)->root());
    EXPECT_EQ(withoutSection.sampleGenerator().configuration().minimum(), number::Number(0));
    EXPECT_EQ(withoutSection.sampleGenerator().configuration().maximum(), number::Number(10));
}

}  // namespace
}  // namespace zephalon::openapi_generator::data
