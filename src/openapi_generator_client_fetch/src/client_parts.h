#pragma once

// The parts of the TypeScript client and what they share.

#include <optional>
#include <string>
#include <vector>

#include "zephalon/openapi_generator_client_fetch/type_writer.h"
#include "zephalon/code_morph/typescript.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi_generator/action_naming.h"
#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator::client_fetch {

// Where the actions import their helpers from.
inline constexpr std::string_view kUtilsModule = "./utils";
inline constexpr std::string_view kTypesModule = "./types";
inline constexpr std::string_view kRuntimePackage = "@quorvi/zephalon-tools-core";

// The fixed texts of src/utils.ts and src/formatters.ts.
std::string_view utilsText();
std::string_view formattersText();

struct ClientState {
    explicit ClientState(FileSystem& fs) : project(fs), types(names) {}

    code_morph::typescript::Project project;
    NameAllocator names;
    TypeWriter types;
    ActionNamer namer;
    code_morph::typescript::SourceFile* typesFile = nullptr;
    code_morph::typescript::SourceFile* formattersFile = nullptr;
    code_morph::typescript::SourceFile* actionsFile = nullptr;
    code_morph::typescript::SourceFile* utilsFile = nullptr;
    code_morph::typescript::SourceFile* indexFile = nullptr;
};

// One exported async function in src/actions.ts that calls one operation.
class ActionFunc : public Part {
  public:
    ActionFunc(ClientState& state, OperationInfo info) : state_(state), info_(std::move(info)) {}

    // Settles the action's name and the types of its parameters, request body and response (added to types.ts).
    void collectData() override;
    void generateCode() override;

    const std::string& name() const { return name_; }

  private:
    enum class BodyKind { none, json, other };

    struct Argument {
        std::string name;        // in the document
        std::string variable;    // the member of params
        bool sendsAsIs = false;  // a header whose values are strings already
        std::string style;       // how a query parameter writes arrays and objects; empty for the default
    };

    void collectParameters(NameAllocator& members, std::vector<TypeWriter::Member>& fields);
    void collectRequestBody(std::vector<TypeWriter::Member>& fields);
    void collectResponse();
    bool isAuthorised() const;
    std::string comment() const;
    std::vector<std::string> blocks() const;

    ClientState& state_;
    OperationInfo info_;
    std::string name_;
    std::string summary_;
    std::string paramsType_;  // empty when the action takes no params
    bool paramsRequired_ = false;
    std::vector<Argument> pathArguments_;
    std::vector<Argument> queryArguments_;
    std::vector<Argument> headerArguments_;
    BodyKind body_ = BodyKind::none;
    bool bodyRequired_ = false;
    std::string bodyVariable_;
    std::string bodyMediaType_;
    std::optional<std::string> bodyTransform_;  // "snakeCaseDeep", ...
    std::string requestType_;
    std::string responseType_;  // empty unless the success response is JSON
    bool authorised_ = false;
};

// src/utils.ts: the helpers the actions call.
class UtilsFile : public Part {
  public:
    explicit UtilsFile(ClientState& state) : state_(state) {}
    void generateCode() override;

  private:
    ClientState& state_;
};

// src/index.ts: the actions, the types and what users call from utils.ts.
class IndexFile : public Part {
  public:
    explicit IndexFile(ClientState& state) : state_(state) {}
    void generateCode() override;

  private:
    ClientState& state_;
};

// The deep key transform that leaves every property name declared for a JSON body unchanged ("camelCaseDeep",
// "snakeCaseDeep", "kebabCaseDeep" or "pascalCaseDeep"), or nothing when no transform would: when names of several
// conventions mix, or the body holds maps whose keys are data (additionalProperties, patternProperties).
std::optional<std::string> bodyTransform(const openapi::Node* schemaSlot);

}  // namespace zephalon::openapi_generator::client_fetch
