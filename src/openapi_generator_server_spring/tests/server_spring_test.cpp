// The Spring generator writing into memory: the text of the files it writes, the names it gives, the issues it
// reports and the configuration it takes. Whether the output compiles is checked by `make java-check`.

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "zephalon/foundation/file_system.h"
#include "zephalon/openapi_generator_server_spring/plugin.h"

namespace zephalon::openapi_generator::server_spring {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::string_view kDocument = R"(openapi: 3.0.3
info: {title: Pet & Co, version: "1"}
tags: [{name: pets}]
paths:
  /pets:
    get:
      tags: [pets]
      operationId: listPets
      parameters:
        - {name: limit, in: query, schema: {type: integer, maximum: 100}}
      responses:
        "200":
          description: The pets.
          content:
            application/json:
              schema: {type: array, items: {$ref: '#/components/schemas/Pet'}}
    post:
      tags: [pets]
      operationId: addPet
      requestBody:
        required: true
        content:
          application/json:
            schema:
              type: object
              required: [name]
              properties:
                name: {type: string, pattern: '^[a-z]+\\d"$'}
      responses:
        "201":
          description: Its id.
          content:
            application/json:
              schema: {type: string}
    options:
      tags: [pets]
      operationId: petOptions
      responses:
        "204": {description: Allowed.}
components:
  schemas:
    Pet:
      type: object
      required: [id, name]
      properties:
        id: {type: integer, format: int64}
        name: {type: string, minLength: 1, maxLength: 40}
        born: {type: string, format: date}
        tags: {type: array, items: {type: array, items: {$ref: '#/components/schemas/Pet'}}}
)";

// A document and a configuration in a temporary directory; the project goes to memory.
class SpringRun {
  public:
    explicit SpringRun(std::string_view document, std::string_view config = {}) {
        std::string pattern = (std::filesystem::temp_directory_path() / "zephalon-spring-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
        dir_ = pattern;
        std::ofstream(dir_ / "api.yaml", std::ios::binary) << document;
        generator_.setInputPath((dir_ / "api.yaml").string());
        if (!config.empty()) {
            std::ofstream(dir_ / "config.yaml", std::ios::binary) << "version: \"1.0\"\n" << config;
            generator_.setConfigFilePath((dir_ / "config.yaml").string());
        }
        auto fs = memoryFileSystem();
        memory_ = fs.get();
        generator_.context().setFS(std::move(fs));
        plugin_ = generator_.addPlugin(std::make_unique<Plugin>(generator_.context()));
        plugin_->setOutputPath("out");
    }
    SpringRun(const SpringRun&) = delete;
    SpringRun& operator=(const SpringRun&) = delete;
    ~SpringRun() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    Plugin& plugin() { return *plugin_; }
    const MemoryFileSystem& files() const { return *memory_; }
    std::string file(const std::string& path) const { return memory_->read("out/" + path); }
    bool has(const std::string& path) const { return memory_->exists("out/" + path); }
    // What the run printed.
    const std::string& printed() const { return printed_; }

    void run() {
        ::testing::internal::CaptureStdout();
        try {
            generator_.run();
        } catch (...) {
            printed_ = ::testing::internal::GetCapturedStdout();
            throw;
        }
        printed_ = ::testing::internal::GetCapturedStdout();
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> result;
        for (const Issue& issue : plugin_->issues()) result.push_back(issue.message);
        return result;
    }

  private:
    std::filesystem::path dir_;
    Generator generator_;
    MemoryFileSystem* memory_ = nullptr;
    Plugin* plugin_ = nullptr;
    std::string printed_;
};

constexpr std::string_view kServiceClasses = R"(commands:
  generate:
    server_spring:
      service_classes: true
      controller_tests: true
)";

TEST(SpringGeneratorTest, WritesTheApplicationControllerRecordsAndServices) {
    SpringRun run(kDocument, kServiceClasses);
    run.run();
    EXPECT_THAT(run.messages(), IsEmpty());
    EXPECT_EQ(run.file("src/main/java/com/zephalon/Application.java"),
              R"(package com.zephalon;

import org.springframework.boot.SpringApplication;
import org.springframework.boot.autoconfigure.SpringBootApplication;

@SpringBootApplication
public class Application {
    public static void main(String[] args) {
        SpringApplication.run(Application.class, args);
    }
}
)");
    EXPECT_EQ(run.file("src/main/java/com/zephalon/pets/PetsController.java"),
              R"(package com.zephalon.pets;

import com.zephalon.pets.dto.AddPetRequestDTO;
import com.zephalon.shared.dto.Pet;
import jakarta.validation.Valid;
import jakarta.validation.constraints.Max;
import jakarta.validation.constraints.NotNull;
import java.util.List;
import org.springframework.validation.annotation.Validated;
import org.springframework.web.bind.annotation.GetMapping;
import org.springframework.web.bind.annotation.PostMapping;
import org.springframework.web.bind.annotation.RequestBody;
import org.springframework.web.bind.annotation.RequestMapping;
import org.springframework.web.bind.annotation.RequestMethod;
import org.springframework.web.bind.annotation.RequestParam;
import org.springframework.web.bind.annotation.RestController;

@RestController
@Validated
class PetsController {
    private final PetsService service;

    PetsController(PetsService service) {
        this.service = service;
    }

    @GetMapping("/pets")
    public List<Pet> handle_listPets(@RequestParam(name="limit", required=false) @Max(100L) Integer limit) {
        return this.service.listPets(limit);
    }

    @PostMapping("/pets")
    public String handle_addPet(@RequestBody @NotNull @Valid AddPetRequestDTO body) {
        return this.service.addPet(body);
    }

    @RequestMapping(method = RequestMethod.OPTIONS, path = "/pets")
    public void handle_petOptions() {
        this.service.petOptions();
    }
}
)");
    EXPECT_EQ(run.file("src/main/java/com/zephalon/shared/dto/Pet.java"),
              R"(package com.zephalon.shared.dto;

import com.fasterxml.jackson.annotation.JsonProperty;
import jakarta.validation.Valid;
import jakarta.validation.constraints.NotNull;
import jakarta.validation.constraints.Size;
import java.time.LocalDate;
import java.util.List;

public record Pet(
        @JsonProperty(value="born") LocalDate born,
        @JsonProperty(value="id", required=true) @NotNull Long id,
        @JsonProperty(value="name", required=true) @NotNull @Size(min = 1, max = 40) String name,
        @JsonProperty(value="tags") @Valid List<List<Pet>> tags) {
    public Pet() {
        this(LocalDate.now(), 42L, "Hello", List.of());
    }
}
)");
    EXPECT_EQ(run.file("src/main/java/com/zephalon/pets/PetsServiceImpl.java"),
              R"(package com.zephalon.pets;

import com.zephalon.pets.dto.AddPetRequestDTO;
import com.zephalon.shared.dto.Pet;
import java.util.List;
import org.springframework.stereotype.Service;

@Service
public class PetsServiceImpl implements PetsService {
    @Override
    public List<Pet> listPets(Integer limit) {
        return List.of();
    }

    @Override
    public String addPet(AddPetRequestDTO body) {
        return "some_string";
    }

    @Override
    public void petOptions() {
    }
}
)");
}

TEST(SpringGeneratorTest, EscapesDocumentTextInJavaLiterals) {
    SpringRun run(kDocument);
    run.run();
    // The pattern holds a backslash and a quote; both must survive as the same regular expression.
    EXPECT_THAT(
        run.file("src/main/java/com/zephalon/pets/dto/AddPetRequestDTO.java"),
        HasSubstr(
            R"(@JsonProperty(value="name", required=true) @NotNull @Pattern(regexp = "^[a-z]+\\\\d\"$") String name)"));
    EXPECT_FALSE(run.has("src/test/java/com/zephalon/pets/PetsControllerTest.java"));
}

constexpr std::string_view kTroubles = R"(openapi: 3.1.0
info: {title: Troubles, version: "1"}
paths:
  /a:
    get:
      operationId: list-things
      responses: {"200": {description: ok}}
    put:
      operationId: listThings
      requestBody:
        content:
          text/plain: {schema: {type: string}}
      responses:
        "200":
          description: ok
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Loop'}
    post:
      operationId: "!!"
      responses: {"200": {description: ok}}
  /:
    get:
      responses:
        "200":
          description: ok
          content:
            text/html: {schema: {type: string}}
components:
  schemas:
    Loop: {type: array, items: {$ref: '#/components/schemas/Loop'}}
    Maybe: {type: [string, "null"]}
    Holder:
      type: object
      properties:
        either: {type: [string, "null"]}
        odd: {type: string, x-zephalon: {codegen: {name: "not valid"}}}
        hashCode: {type: integer}
        hash-code: {type: integer}
        self: {$ref: '#/components/schemas/Holder'}
)";

TEST(SpringGeneratorTest, ReportsWhatItCannotGenerateAndStillWritesCompilableCode) {
    SpringRun run(kTroubles, kServiceClasses);
    run.run();
    EXPECT_THAT(
        run.messages(),
        ElementsAre(
            "Operation GET '/' could not be grouped",
            "NamedType with multiple types is not supported (com.zephalon.shared.dto.Maybe)",
            "Schemas with multiple types are not currently supported (#/components/schemas/Holder/properties/either)",
            "x-zephalon/codegen/name must be a valid variable name (com.zephalon.shared.dto.Holder.odd)",
            "Request body has no application/json media type, skipping",
            "More than one operation maps to the 'handle_listThings' method in the controller 'AController'",
            "Controller method for handling POST '/a' could not be named",
            "More than one operation maps to the 'listThings' method in the service interface 'AService'",
            "Service interface method for handling POST '/a' could not be named",
            "More than one operation maps to the 'listThings' method in the service class 'AServiceImpl'",
            "Service class method for handling POST '/a' could not be named",
            "More than one operation maps to the 'test_listThings' method in the controller test 'AControllerTest'",
            "Controller test method for handling POST '/a' could not be named",
            "Some of array schemas were not resolved (1).\n  - #/components/schemas/Loop\n"));
    // The first of two operations on one name is generated, once.
    const std::string controller = run.file("src/main/java/com/zephalon/a/AController.java");
    EXPECT_THAT(controller, HasSubstr("    @GetMapping(\"/a\")\n    public void handle_listThings() {\n"));
    EXPECT_THAT(controller, Not(HasSubstr("@PutMapping")));
    // Record components never take the names of Object's methods, and never the same name twice; a record that holds
    // itself is not constructed again by its own default.
    const std::string holder = run.file("src/main/java/com/zephalon/shared/dto/Holder.java");
    EXPECT_THAT(holder, HasSubstr("@JsonProperty(value=\"hash-code\") Integer hashCode1,"));
    EXPECT_THAT(holder, HasSubstr("@JsonProperty(value=\"hashCode\") Integer hashCode12,"));
    EXPECT_THAT(holder, HasSubstr("@JsonProperty(value=\"odd\") String odd,"));
    EXPECT_THAT(holder, HasSubstr("this(new Object(), 42, 42, \"Hello\", null);"));
    // Issues are printed after the files are written, in document order.
    EXPECT_THAT(run.printed(), HasSubstr("Warning Operation GET '/' could not be grouped"));
    EXPECT_TRUE(run.has("pom.xml"));
}

TEST(SpringGeneratorTest, MapsFormatsToJavaTypes) {
    SpringRun run(R"(openapi: 3.0.3
info: {title: Types, version: "1"}
paths:
  /files:
    post:
      operationId: upload
      parameters:
        - {name: since, in: query, schema: {type: string, format: date-time}}
      requestBody:
        content:
          application/json: {schema: {type: string, format: binary}}
      responses:
        "200":
          description: ok
          content:
            application/json: {schema: {$ref: '#/components/schemas/All'}}
components:
  schemas:
    All:
      type: object
      properties:
        a: {type: integer}
        b: {type: integer, format: int64}
        c: {type: number}
        d: {type: number, format: float}
        e: {type: string, format: date-time}
        f: {type: string, format: uuid}
        g: {type: string, format: binary}
        h: {type: boolean}
        i: {type: object}
        j: {type: array}
)");
    run.run();
    EXPECT_THAT(run.file("src/main/java/com/zephalon/shared/dto/All.java"),
                AllOf(HasSubstr("Integer a,"), HasSubstr("Long b,"), HasSubstr("Double c,"), HasSubstr("Float d,"),
                      HasSubstr("OffsetDateTime e,"), HasSubstr("UUID f,"), HasSubstr("byte[] g,"),
                      HasSubstr("Boolean h,"), HasSubstr("@Valid AllI i,"), HasSubstr("List<Object> j)"),
                      HasSubstr("this(42, 42L, 3.14, 3.14f, OffsetDateTime.now(), UUID.randomUUID(), new byte[0], "
                                "true, new AllI(), List.of());")));
    // A binary body is a resource, whatever a binary field is.
    EXPECT_THAT(run.file("src/main/java/com/zephalon/files/FilesController.java"),
                HasSubstr("public All handle_upload(@RequestParam(name=\"since\", required=false) "
                          "@DateTimeFormat(iso = DateTimeFormat.ISO.DATE_TIME) OffsetDateTime since, "
                          "@RequestBody(required=false) Resource body)"));
    EXPECT_EQ(run.file("src/main/java/com/zephalon/shared/dto/AllI.java"),
              "package com.zephalon.shared.dto;\n\npublic record AllI() {\n}\n");
}

TEST(SpringGeneratorTest, NamesThatMeetGetNumbers) {
    SpringRun run(R"(openapi: 3.0.3
info: {title: Names, version: "1"}
tags: [{name: Pets}, {name: pets}, {name: class}]
paths:
  /a:
    get:
      tags: [Pets]
      responses: {"200": {description: ok}}
  /b:
    get:
      tags: [pets]
      responses: {"200": {description: ok}}
  /c:
    get:
      tags: [class]
      responses: {"200": {description: ok}}
components:
  schemas:
    String: {type: object}
    PetsService: {type: object}
    pet: {type: object}
    Pet: {type: object}
    Holder: {type: object, properties: {other: {$ref: '#/components/schemas/Other'}}}
    Other: {type: object}
)");
    run.run();
    EXPECT_THAT(run.files().files(), AllOf(Contains("out/src/main/java/com/zephalon/pets/PetsController.java"),
                                           Contains("out/src/main/java/com/zephalon/pets2/Pets2Controller.java"),
                                           Contains("out/src/main/java/com/zephalon/class1/Class1Controller.java"),
                                           Contains("out/src/main/java/com/zephalon/shared/dto/String2.java"),
                                           Contains("out/src/main/java/com/zephalon/shared/dto/PetsService2.java"),
                                           Contains("out/src/main/java/com/zephalon/shared/dto/Pet.java"),
                                           Contains("out/src/main/java/com/zephalon/shared/dto/Pet2.java"),
                                           // A component keeps its name when another component reaches it first.
                                           Contains("out/src/main/java/com/zephalon/shared/dto/Other.java")));
}

TEST(SpringGeneratorTest, TakesItsConfigurationAndTheCommandsOptions) {
    SpringRun run(kDocument, R"(commands:
  generate:
    server_spring:
      package_name: org.example.shop
      web_package_name_suffix: web
      domain_package_name_suffix: domain.model
      controller_grouping: [url]
)");
    run.plugin().setPackageVersion("2.1.0");
    run.run();
    EXPECT_TRUE(run.has("src/main/java/org/example/shop/Application.java"));
    EXPECT_TRUE(run.has("src/main/java/org/example/shop/web/pets/PetsController.java"));
    EXPECT_TRUE(run.has("src/main/java/org/example/shop/domain/model/pets/PetsService.java"));
    EXPECT_TRUE(run.has("src/main/java/org/example/shop/domain/model/shared/dto/Pet.java"));
    EXPECT_FALSE(run.has("src/main/java/org/example/shop/domain/model/pets/PetsServiceImpl.java"));
    const std::string pom = run.file("pom.xml");
    EXPECT_THAT(pom, AllOf(HasSubstr("<groupId>org.example</groupId>"), HasSubstr("<artifactId>shop</artifactId>"),
                           HasSubstr("<version>2.1.0</version>"), HasSubstr("<name>Pet &amp; Co</name>"),
                           HasSubstr("<java.version>17</java.version>"),
                           HasSubstr("<artifactId>spring-boot-starter-validation</artifactId>")));
    EXPECT_THAT(run.file("README.md"), HasSubstr("java -jar target/shop-2.1.0.jar"));

    SpringRun named(kDocument, "commands: {generate: {server_spring: {package_name: org.example.shop}}}\n");
    named.plugin().setPackageName("com.acme");
    named.run();
    EXPECT_TRUE(named.has("src/main/java/com/acme/Application.java"));
    EXPECT_THAT(named.file("pom.xml"), HasSubstr("<version>0.1.0</version>"));
}

TEST(SpringGeneratorTest, RefusesBadConfigurationBeforeWritingAnything) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"package_name: Com.Example", "Invalid package name: 'Com.Example'"},
        {"service_classes: yes please", "service_classes must be a boolean"},
        {"controller_grouping: 5", "controller_grouping must be a string or an array"},
        {"controller_grouping: [tag, tag]", "Element already exists"},
        {"controller_grouping: [folder]", "Unknown grouping criterium: folder"},
        {"service_class: true", "Unknown key 'service_class' in /commands/generate/server_spring"},
    };
    for (const auto& [setting, message] : cases) {
        SpringRun run(kDocument, fmt::format("commands:\n  generate:\n    server_spring:\n      {}\n", setting));
        try {
            run.run();
            ADD_FAILURE() << setting;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "Error reading configuration file: " + std::string(message));
        }
        EXPECT_THAT(run.files().files(), IsEmpty());
    }
    SpringRun run(kDocument);
    EXPECT_THROW(run.plugin().setPackageName("com.1st"), std::runtime_error);
    run.plugin().setOutputPath("");
    EXPECT_THROW(run.run(), ConfigError);
    EXPECT_THAT(run.files().files(), IsEmpty());
}

}  // namespace
}  // namespace zephalon::openapi_generator::server_spring
