#include "zephalon/foundation/pointer_map.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zephalon {
namespace {

TEST(PointerMap, FindsEveryEntryAcrossGrowthAndKeepsTheFirstValue) {
    // Keys from one array differ only in their low bits, the case the hashing has to spread.
    std::vector<int> keys(5000);
    PointerMap<int, std::size_t> map;
    EXPECT_EQ(map.find(&keys[0]), nullptr);
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_TRUE(map.insert(&keys[i], i));
    EXPECT_FALSE(map.insert(&keys[7], 99));
    EXPECT_EQ(map.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::size_t* found = map.find(&keys[i]);
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(*found, i);
    }
    int outside = 0;
    EXPECT_EQ(map.find(&outside), nullptr);

    std::map<const int*, std::size_t> seen;
    map.forEach([&](const int* key, std::size_t value) { seen.emplace(key, value); });
    EXPECT_EQ(seen.size(), keys.size());
    EXPECT_EQ(seen[&keys[4999]], 4999u);

    map.clear();
    EXPECT_EQ(map.size(), 0u);
    EXPECT_EQ(map.find(&keys[0]), nullptr);
    map.reserve(100);
    EXPECT_TRUE(map.insert(&keys[0], 1));
    EXPECT_EQ(*map.find(&keys[0]), 1u);

    // Making room for more keeps what is there, and so does asking for less room than is taken.
    for (std::size_t i = 1; i < 1000; ++i) map.insert(&keys[i], i);
    for (const std::size_t room : {100000u, 10u}) {
        map.reserve(room);
        EXPECT_EQ(map.size(), 1000u);
        for (std::size_t i = 1; i < 1000; ++i) EXPECT_EQ(*map.find(&keys[i]), i);
        EXPECT_EQ(map.find(&keys[1000]), nullptr);
    }
}

}  // namespace
}  // namespace zephalon
