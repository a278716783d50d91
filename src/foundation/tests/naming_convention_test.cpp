#include "zephalon/foundation/naming_convention.h"

#include <gtest/gtest.h>

namespace zephalon {
namespace {

TEST(NamingConvention, CamelAndPascalSplitOnlyAtSeparators) {
    EXPECT_EQ(toCamelCase("get-user_by id"), "getUserById");
    EXPECT_EQ(toCamelCase("{petId}"), "petId");
    EXPECT_EQ(toCamelCase("/pets/{petId}/owner"), "petsPetIdOwner");
    EXPECT_EQ(toCamelCase("GetHTTP_response"), "getHTTPResponse");  // inner case is kept
    EXPECT_EQ(toCamelCase("--__  //"), "");
    EXPECT_EQ(toCamelCase("a.b"), "a.b");  // "." is not a separator
    EXPECT_EQ(toCamelCase("x-2fa"), "x2fa");
    EXPECT_EQ(toPascalCase("get-user_by id"), "GetUserById");
    EXPECT_EQ(toPascalCase("{petId}"), "PetId");
    EXPECT_EQ(toPascalCase(""), "");
}

TEST(NamingConvention, KebabFamilyStartsAWordAtEveryCapital) {
    EXPECT_EQ(toKebabCase("getUserByID"), "get-user-by-i-d");
    EXPECT_EQ(toKebabCase("  Hello, World!  "), "hello-world");
    EXPECT_EQ(toKebabCase("v2Api"), "v2-api");
    EXPECT_EQ(toKebabCase("2FA"), "2-f-a");
    EXPECT_EQ(toKebabCase("caf\xc3\xa9 menu"), "caf-menu");  // only ASCII counts as letters
    EXPECT_EQ(toKebabCase("___"), "");
    EXPECT_EQ(toSnakeCase("HelloWorld"), "hello_world");
    EXPECT_EQ(toSnakeCase("/pets/{petId}"), "pets_pet_id");
    EXPECT_EQ(toHeaderCase("content type"), "Content-Type");
    EXPECT_EQ(toHeaderCase("x-requestID"), "X-Request-I-D");
    EXPECT_EQ(toHeaderCase("etag"), "Etag");
    EXPECT_EQ(toHeaderCase(""), "");
}

TEST(NamingConvention, ConstCaseKeepsRunsOfCapitalsTogether) {
    EXPECT_EQ(toConstCase("getUserById"), "GET_USER_BY_ID");
    EXPECT_EQ(toConstCase("HTTPServer"), "HTTPSERVER");
    EXPECT_EQ(toConstCase("userID"), "USER_ID");
    EXPECT_EQ(toConstCase("version2Name"), "VERSION2_NAME");
    EXPECT_EQ(toConstCase("get-user_by id"), "GET_USER_BY_ID");
    EXPECT_EQ(toConstCase("{petId}"), "PET_ID");
    EXPECT_EQ(toConstCase("already_CONST"), "ALREADY_CONST");
    EXPECT_EQ(toConstCase("a--b"), "A_B");
    // Punctuation opening a word does not swallow the letters after it.
    EXPECT_EQ(toConstCase("$ref"), "REF");
    EXPECT_EQ(toConstCase(""), "");
}

TEST(NamingConvention, NamesAndDispatch) {
    const std::string input = "get user-byID";
    for (auto convention : {NamingConvention::CamelCase, NamingConvention::ConstCase, NamingConvention::KebabCase,
                            NamingConvention::PascalCase, NamingConvention::HeaderCase, NamingConvention::SnakeCase}) {
        EXPECT_EQ(conventionFromName(conventionName(convention)), convention);
    }
    EXPECT_EQ(conventionName(NamingConvention::ConstCase), "CONST_CASE");
    EXPECT_EQ(conventionName(NamingConvention::HeaderCase), "Header-Case");
    EXPECT_EQ(static_cast<int>(NamingConvention::SnakeCase), 6);
    EXPECT_EQ(toConvention(input, NamingConvention::CamelCase), toCamelCase(input));
    EXPECT_EQ(toConvention(input, NamingConvention::ConstCase), "GET_USER_BY_ID");
    EXPECT_EQ(toConvention(input, NamingConvention::KebabCase), "get-user-by-i-d");
    EXPECT_EQ(toConvention(input, NamingConvention::PascalCase), "GetUserByID");
    EXPECT_EQ(toConvention(input, NamingConvention::HeaderCase), "Get-User-By-I-D");
    EXPECT_EQ(toConvention(input, NamingConvention::SnakeCase), "get_user_by_i_d");
    EXPECT_FALSE(conventionFromName("camelcase").has_value());
}

TEST(NamingConventionDeathTest, ImpossibleValueIsAProgrammingError) {
    EXPECT_DEATH((void)conventionName(static_cast<NamingConvention>(42)),
                 "Unreachable code: \\(unknown naming convention\\) at src/foundation/src/naming_convention:[0-9]+");
}

}  // namespace
}  // namespace zephalon
