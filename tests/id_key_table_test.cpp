// The IdEnum keys: the fixed identifiers, and the rule that produced the others.
#include <gtest/gtest.h>
#include <xxhash.h>

#include <set>
#include <string>
#include <vector>

#include "api/IdKeyTable.h"

namespace {

TEST(IdKeyTableTest, FixedIdentifiersAndOutOfRangeIds) {
    const std::vector<std::pair<int, std::vector<uint64_t>>> fixed = {
        {0, {0x4afa80e77a07f748ULL, 0x8ce4d1bdd8c4977aULL, 0, 0}},
        {1, {0x69af8a53f927c371ULL, 0xd42bb0bb5a045174ULL, 0, 0}},
        {115, {0x8e683187a00e5d46ULL, 0x2a4aeee69e9d3d9cULL, 0, 0}}};
    for (const auto& [id, key] : fixed) {
        EXPECT_EQ(IdHashedKey(id), key) << id;
    }
    for (int id : {-1, 116, 1 << 30}) {
        EXPECT_TRUE(IdHashedKey(id).empty()) << id;
    }
}

// XXH3-128, seed 1, of "IdEnum" and the decimal id: low half, high half, two zero words.
TEST(IdKeyTableTest, MiddleIdsFollowTheirRuleAndAllKeysDiffer) {
    std::set<std::vector<uint64_t>> seen;
    for (int id = 0; id < kIdKeyCount; ++id) {
        const std::vector<uint64_t> key = IdHashedKey(id);
        ASSERT_EQ(key.size(), kIdKeyWords);
        EXPECT_EQ(key[2], 0u);
        EXPECT_EQ(key[3], 0u);
        EXPECT_TRUE(seen.insert(key).second) << id;
        if (id >= 2 && id <= 114) {
            const std::string text = "IdEnum" + std::to_string(id);
            const XXH128_hash_t h = XXH3_128bits_withSeed(text.data(), text.size(), 1);
            EXPECT_EQ(key[0], h.low64) << id;
            EXPECT_EQ(key[1], h.high64) << id;
        }
    }
}

}  // namespace
