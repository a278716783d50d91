// Action names and operation groups: the order of sources and criteria, the skip flags, the code-generation settings
// of the document, and what configuration and settings of the wrong kind raise.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/extensions.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_generator/action_naming.h"
#include "zephalon/openapi_generator/extensions.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator/operation_grouper.h"

namespace zephalon::openapi_generator {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kDocument = R"(openapi: 3.1.0
info: {title: Shop, version: "1"}
tags: [{name: pets}, {name: store}]
paths:
  /:
    get: {operationId: root}
  /pets:
    x-zephalon: {codegen: {controller-name: Animals}}
    get: {operationId: listPets, tags: [pets]}
    post:
      tags: [store, pets]
      x-zephalon: {codegen: {controller-name: Admin, action-name: addPet}}
  /pets/{petId}:
    get: {tags: [pets], deprecated: true}
    delete:
      x-zephalon: {codegen: {disabled: true}}
  /orders:
    x-zephalon: {codegen: {disabled: true}}
    get: {operationId: listOrders, tags: [store]}
webhooks:
  newPet:
    post: {operationId: petAdded, tags: [pets]}
components:
  schemas:
    Pet:
      type: object
      x-zephalon: {codegen: {name: Animal}}
)";

std::unique_ptr<openapi::OpenAPIReadResult> read(std::string_view text) {
    return openapi::checkedReadFromString(text, FileFormat::YAML);
}

OperationInfo infoOf(const openapi::OpenAPI* document, std::string_view path, openapi::HttpMethod method) {
    for (const OperationInfo& info : openapi::OperationIterator(document)) {
        if (info.path == path && info.method == method) return info;
    }
    throw std::logic_error("no such operation in the test document");
}

// "METHOD path" of each record, to compare groups at a glance.
std::vector<std::string> names(const std::vector<OperationInfo>& infos) {
    std::vector<std::string> result;
    for (const auto& info : infos)
        result.push_back(fmt::format("{} {}", openapi::operationMethodToString(info.method), info.path));
    return result;
}

std::vector<std::string> keys(const std::map<std::string, std::vector<OperationInfo>, std::less<>>& groups) {
    std::vector<std::string> result;
    for (const auto& entry : groups) result.push_back(entry.first);
    return result;
}

std::unique_ptr<jv::JVDoc> yaml(std::string_view text) { return jv::readString(text, FileFormat::YAML); }

TEST(ActionNamerTest, TheFirstSourceThatYieldsWins) {
    const auto result = read(kDocument);
    const auto* document = result->model();
    const auto listPets = infoOf(document, "/pets", openapi::HttpMethod::get);
    const auto addPet = infoOf(document, "/pets", openapi::HttpMethod::post);
    const auto getPet = infoOf(document, "/pets/{petId}", openapi::HttpMethod::get);

    ActionNamer namer;
    EXPECT_EQ(namer(listPets), std::nullopt);
    namer.addSource(ActionNameSource::id);
    namer.addSource(ActionNameSource::url);
    EXPECT_EQ(namer(listPets), "listPets");
    EXPECT_EQ(namer(getPet), "get_/pets/{petId}");
    EXPECT_EQ(namer(addPet), "post_/pets");

    namer.setSource(ActionNameSource::extension);
    EXPECT_EQ(namer(addPet), "addPet");
    EXPECT_EQ(namer(listPets), std::nullopt);

    namer.addSource(ActionNameSource::url);
    namer.removeSource(ActionNameSource::extension);
    namer.removeSource(ActionNameSource::extension);  // absent: nothing happens
    EXPECT_EQ(namer(addPet), "post_/pets");
    namer.removeSourceAt(0);
    EXPECT_THAT(namer.sources(), IsEmpty());
    EXPECT_THROW(namer.removeSourceAt(0), std::out_of_range);
}

TEST(ActionNamerTest, ConfigurationIsAStringOrAListOfDistinctSourceNames) {
    ActionNamer namer;
    namer.addSource(ActionNameSource::url);
    EXPECT_THROW(
        {
            try {
                namer.addSource(ActionNameSource::url);
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "Element already exists");
                throw;
            }
        },
        std::runtime_error);

    namer.fromJV(yaml("extension")->root());
    EXPECT_THAT(namer.sources(), ElementsAre(ActionNameSource::extension));
    namer.fromJV(yaml("[id, url]")->root());
    EXPECT_THAT(namer.sources(), ElementsAre(ActionNameSource::extension, ActionNameSource::id, ActionNameSource::url));

    for (std::string_view bad : {"5", "{id: 1}", "[id, 5]", "null"}) {
        ActionNamer fresh;
        try {
            fresh.fromJV(yaml(bad)->root());
            ADD_FAILURE() << bad;
        } catch (const ConfigError& error) {
            EXPECT_STREQ(error.what(), "Name sources must be a string or an array thereof") << bad;
        }
    }
    try {
        namer.fromJV(yaml("operationId")->root());
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Invalid name source: 'operationId'");
    }
    // A list that fails part-way changes nothing.
    ActionNamer partial;
    EXPECT_THROW(partial.fromJV(yaml("[url, url]")->root()), std::runtime_error);
    EXPECT_THAT(partial.sources(), IsEmpty());

    EXPECT_EQ(actionNameSourceFromString("url"), ActionNameSource::url);
    EXPECT_EQ(actionNameSourceToString(ActionNameSource::extension), "extension");
}

TEST(OperationGrouperTest, CriteriaInEveryOrder) {
    const auto result = read(kDocument);
    const auto* document = result->model();

    OperationGrouper byTag;
    byTag.addCriterium(GroupingCriterium::tag);
    byTag.run(document);
    EXPECT_THAT(keys(byTag.groups), ElementsAre("pets", "store"));
    EXPECT_THAT(names(byTag.groups.at("pets")), ElementsAre("get /pets", "get /pets/{petId}"));
    EXPECT_THAT(names(byTag.groups.at("store")), ElementsAre("get /orders", "post /pets"));
    // Untagged operations; the webhook is in no list at all.
    EXPECT_THAT(names(byTag.ungrouped), ElementsAre("get /", "delete /pets/{petId}"));

    OperationGrouper extensionFirst;
    extensionFirst.addCriterium(GroupingCriterium::extension);
    extensionFirst.addCriterium(GroupingCriterium::tag);
    extensionFirst.run(document);
    EXPECT_THAT(names(extensionFirst.groups.at("Animals")), ElementsAre("get /pets"));
    EXPECT_THAT(names(extensionFirst.groups.at("Admin")), ElementsAre("post /pets"));
    EXPECT_THAT(names(extensionFirst.groups.at("pets")), ElementsAre("get /pets/{petId}"));
    EXPECT_THAT(names(extensionFirst.groups.at("store")), ElementsAre("get /orders"));
    EXPECT_THAT(keys(extensionFirst.groups), ElementsAre("Admin", "Animals", "pets", "store"));

    OperationGrouper tagFirst;
    tagFirst.addCriterium(GroupingCriterium::tag);
    tagFirst.addCriterium(GroupingCriterium::extension);
    tagFirst.addCriterium(GroupingCriterium::url);
    tagFirst.run(document);
    EXPECT_THAT(names(tagFirst.groups.at("pets")), ElementsAre("get /pets", "get /pets/{petId}"));
    EXPECT_THAT(names(tagFirst.groups.at("petsPetId")), ElementsAre("delete /pets/{petId}"));
    // The root path gives no name, so it stays ungrouped rather than in a group called "".
    EXPECT_THAT(names(tagFirst.ungrouped), ElementsAre("get /"));

    OperationGrouper byUrl;
    byUrl.addCriterium(GroupingCriterium::url);
    byUrl.addCriterium(GroupingCriterium::tag);
    byUrl.run(document);
    EXPECT_THAT(names(byUrl.groups.at("pets")), ElementsAre("get /pets", "post /pets"));
    EXPECT_THAT(names(byUrl.groups.at("orders")), ElementsAre("get /orders"));

    OperationGrouper none;
    none.run(document);
    EXPECT_THAT(none.groups, IsEmpty());
    EXPECT_EQ(none.ungrouped.size(), 6u);
}

TEST(OperationGrouperTest, SkipFlagsAndRepeatedRuns) {
    const auto result = read(kDocument);
    const auto* document = result->model();

    OperationGrouper grouper;
    grouper.addCriterium(GroupingCriterium::tag);
    grouper.skipDeprecated = true;
    grouper.skipDisabled = true;
    grouper.run(document);
    EXPECT_THAT(names(grouper.groups.at("pets")), ElementsAre("get /pets"));
    // The disabled path item takes its enabled operation with it; the disabled operation is not ungrouped either.
    EXPECT_THAT(names(grouper.groups.at("store")), ElementsAre("post /pets"));
    EXPECT_THAT(names(grouper.ungrouped), ElementsAre("get /"));

    grouper.run(document);
    EXPECT_THAT(names(grouper.groups.at("pets")), ElementsAre("get /pets", "get /pets"));
    grouper.reset();
    EXPECT_THAT(grouper.groups, IsEmpty());
    EXPECT_THAT(grouper.ungrouped, IsEmpty());

    EXPECT_THROW(grouper.addCriterium(GroupingCriterium::tag), std::runtime_error);
    grouper.addCriterium(GroupingCriterium::url);
    grouper.removeCriterium(GroupingCriterium::tag);
    EXPECT_THAT(grouper.criteria, ElementsAre(GroupingCriterium::url));
    grouper.removeCriteriumAt(0);
    EXPECT_THROW(grouper.removeCriteriumAt(0), std::out_of_range);

    try {
        groupCriteriumFromString("path");
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Unknown grouping criterium: path");
    }
    EXPECT_EQ(groupCriteriumFromString("extension"), GroupingCriterium::extension);
    EXPECT_EQ(static_cast<int>(GroupingCriterium::tag), 1);
}

TEST(CodegenExtensionsTest, SettingsOfTheWrongKindNameTheirPointer) {
    const auto good = read(kDocument);
    const auto* schema = good->model()->components()->schema("Pet");
    EXPECT_EQ(extensions::generatedName(schema), "Animal");
    EXPECT_EQ(extensions::disabledKey().string(), "/codegen/disabled");

    const auto bad = read(R"(openapi: 3.0.3
info: {title: Shop, version: "1"}
paths:
  /pets:
    x-zephalon: {codegen: {disabled: "yes"}}
    get:
      x-zephalon: {codegen: {action-name: 7, controller-name: [a]}}
)");
    const auto info = infoOf(bad->model(), "/pets", openapi::HttpMethod::get);
    auto message = [](auto call) {
        try {
            call();
        } catch (const openapi::extensions::ExtensionError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { actionNameFromExtension(info); }),
              "Extension '/codegen/action-name' does not represent a string");
    EXPECT_EQ(message([&] { groupNameFromExtension(info); }),
              "Extension '/codegen/controller-name' does not represent a string");
    OperationGrouper grouper;
    grouper.skipDisabled = true;
    EXPECT_EQ(message([&] { grouper.run(bad->model()); }),
              "Extension '/codegen/disabled' does not represent a boolean");
    // Without the flag the setting is never read.
    grouper.skipDisabled = false;
    grouper.run(bad->model());
    EXPECT_EQ(grouper.ungrouped.size(), 1u);
}

}  // namespace
}  // namespace zephalon::openapi_generator
