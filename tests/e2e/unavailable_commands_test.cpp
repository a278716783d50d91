#include <gtest/gtest.h>

#include <string>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

// Commands whose engines are not part of this build must fail loudly, never succeed silently, whatever the user
// passes them.
TEST(UnavailableCommandsTest, FailWithAClearMessage) {
    for (const std::string command : {"generate"}) {
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {command}, {command, "api.yaml"}, {command, "--config", "c.yaml", "a.yaml", "b.yaml"}}) {
            const auto result = runZephalon(args);
            EXPECT_EQ(result.status, 1) << command;
            EXPECT_EQ(result.out, "The command '" + command + "' is not available in this build yet.\n");
            EXPECT_EQ(result.err, "");
        }
    }
}

}  // namespace
}  // namespace zephalon::e2e
