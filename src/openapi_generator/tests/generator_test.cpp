// The framework: configuration before reading, the lifecycle order, what the context offers while plugins run,
// and the errors of each stage.

#include "zephalon/openapi_generator/generator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zephalon/openapi/model.h"
#include "zephalon/openapi_generator/stub_plugins.h"
#include "zephalon/openapi_generator/testing/test_files.h"

namespace zephalon::openapi_generator {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TestFiles;

constexpr std::string_view kDocument = R"(openapi: 3.0.3
info:
  title: Ledger
  version: "1"
  description: Accounts and their money.
paths: {}
components:
  schemas:
    Amount: {type: string, format: money}
)";

class RecordingPart : public Part {
  public:
    RecordingPart(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    void collectData() override { log_.push_back("collect " + name_); }
    void generateCode() override { log_.push_back("generate " + name_); }

  private:
    std::vector<std::string>& log_;
    std::string name_;
};

class RecordingPlugin : public Plugin {
  public:
    RecordingPlugin(Context& context, std::vector<std::string>& log) : Plugin(context), log_(log) {}

    void setOption(std::string_view name, std::string_view value) override {
        log_.push_back(std::string(name) + "=" + std::string(value));
        Plugin::setOption(name, value);
    }
    void setConfig(const jv::JV* root) override {
        const jv::JV* mine = root->find(jv::JVPointer("/commands/generate/recording/flavour"));
        log_.push_back("config " + (mine ? std::string(mine->stringValue()) : std::string("-")));
    }
    void setDefaultConfig() override { log_.push_back("default config"); }
    void configureSelf() override {
        log_.push_back("configure self");
        // The document can be searched and placed while the plugin runs.
        const openapi::Node* amount = context().findNode("/components/schemas/Amount");
        ASSERT_NE(amount, nullptr);
        log_.push_back("Amount at line " + std::to_string(context().nodePos(amount).line));
        log_.push_back("info key " + context().translationKey(openapi()->info(), ""));
        log_.push_back("description key " + context().translationKey(openapi()->info(), "description"));
    }
    void configureParts() override {
        log_.push_back("configure parts");
        addPart(std::make_unique<RecordingPart>(log_, "first"));
        addPart(std::make_unique<RecordingPart>(log_, "second"));
    }

  private:
    std::vector<std::string>& log_;
};

TEST(GeneratorTest, RunsTheLifecycleInOrder) {
    TestFiles files;
    std::vector<std::string> log;
    Generator generator;
    generator.setInputPath(files.write("api.yaml", kDocument));
    const std::string config = files.write("config.yaml", R"(version: "1.0"
openapi:
  custom_formats: [{name: money, type: string}]
commands:
  generate:
    recording: {flavour: plain}
)");
    auto* plugin = generator.addPlugin(std::make_unique<RecordingPlugin>(generator.context(), log));
    plugin->setOutputPath("out");
    generator.setConfigFilePath(config);
    generator.run();
    EXPECT_THAT(log, ElementsAre("outputPath=out", "config plain", "configure self", "Amount at line 8",
                                 "info key /info", "description key /info/description", "configure parts",
                                 "collect first", "collect second", "generate first", "generate second"));
    EXPECT_EQ(plugin->outputPath(), "out");
    // The document and the lookups into it end with the run.
    EXPECT_EQ(plugin->openapi(), nullptr);
    EXPECT_EQ(generator.context().findNode("/components"), nullptr);
}

TEST(GeneratorTest, TheDefaultConfigurationStandsInForAMissingFile) {
    TestFiles files;
    std::vector<std::string> log;
    Generator generator;
    generator.setInputPath(files.write(
        "api.yaml", std::string(kDocument).replace(std::string(kDocument).find("format: money"), 13, "format: uuid")));
    generator.addPlugin(std::make_unique<RecordingPlugin>(generator.context(), log));
    generator.run();
    EXPECT_EQ(log.front(), "default config");
}

std::string runError(Generator& generator) {
    try {
        generator.run();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

TEST(GeneratorTest, ReportsConfigurationAndDocumentErrors) {
    TestFiles files;
    std::vector<std::string> log;
    {
        Generator generator;
        generator.setInputPath(files.write("api.yaml", kDocument));
        generator.setConfigFilePath(files.path("missing.yaml"));
        EXPECT_THAT(runError(generator), HasSubstr("Error reading configuration file: "));
    }
    {
        Generator generator;
        generator.setInputPath(files.write("api.yaml", kDocument));
        generator.setConfigFilePath(
            files.write("bad.json", "{\n  \"openapi\": {\"custom_formats\": [{\"name\": 5}]}\n}"));
        EXPECT_EQ(runError(generator),
                  "Error reading configuration file (line 2): A string value is expected for 'name'.");
    }
    {
        // Without the custom format the document does not read.
        Generator generator;
        generator.setInputPath(files.write("api.yaml", kDocument));
        generator.addPlugin(std::make_unique<RecordingPlugin>(generator.context(), log));
        EXPECT_THAT(runError(generator), HasSubstr("money"));
    }
}

TEST(GeneratorTest, StubPluginsSayTheyWroteNothing) {
    TestFiles files;
    Generator generator;
    generator.setInputPath(files.write(
        "api.yaml", std::string(kDocument).replace(std::string(kDocument).find("format: money"), 13, "format: uuid")));
    generator.addPlugin(createStubPlugin("server_go", generator.context()));
    ::testing::internal::CaptureStdout();
    const std::string error = runError(generator);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Running ServerGoPlugin\n");
    EXPECT_EQ(error, "The generator 'server go' is not available yet; nothing was written.");
    EXPECT_EQ(stubPlugins().size(), 18u);
    EXPECT_EQ(createStubPlugin("doc_html", generator.context()), nullptr);
}

// Writes two files into its output directory, and fails between them when asked to.
class WritingPlugin : public Plugin {
  public:
    WritingPlugin(Context& context, std::string directory, bool fail)
        : Plugin(context), directory_(std::move(directory)), fail_(fail) {}
    void generateCode() override {
        context().fs().mkdirp(directory_);
        context().fs().write(directory_ + "/a.ts", "a");
        // What a plugin wrote can be read back while the run goes on.
        EXPECT_EQ(context().fs().read(directory_ + "/a.ts"), "a");
        if (fail_) throw std::runtime_error("Cannot generate b.ts");
        context().fs().write(directory_ + "/b.ts", "b");
    }

  private:
    std::string directory_;
    bool fail_;
};

TEST(GeneratorTest, OutputReachesTheFileSystemOnlyWhenEveryPluginHasFinished) {
    TestFiles files;
    for (const bool fail : {true, false}) {
        Generator generator;
        auto fs = memoryFileSystem();
        MemoryFileSystem* memory = fs.get();
        generator.context().setFS(std::move(fs));
        generator.setInputPath(files.write(
            "api.yaml",
            std::string(kDocument).replace(std::string(kDocument).find("format: money"), 13, "format: uuid")));
        generator.addPlugin(std::make_unique<WritingPlugin>(generator.context(), "client", false));
        generator.addPlugin(std::make_unique<WritingPlugin>(generator.context(), "server", fail));
        if (fail) {
            EXPECT_EQ(runError(generator), "Cannot generate b.ts");
            EXPECT_EQ(memory->dump(), "MemoryFileSystem:\nDirectories:\nFiles:\n");
        } else {
            EXPECT_EQ(runError(generator), "no error");
            EXPECT_THAT(memory->files(), ElementsAre("client/a.ts", "client/b.ts", "server/a.ts", "server/b.ts"));
        }
        // Afterwards the context writes straight to its file system again.
        generator.context().fs().write("later.txt", "x");
        EXPECT_TRUE(memory->exists("later.txt"));
    }
}

}  // namespace
}  // namespace zephalon::openapi_generator
