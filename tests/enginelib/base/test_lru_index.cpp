// The index under the kept-picture and shared-image stores: order of use,
// replacement under one key, and the sum of sizes through every change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginelib/base/LruIndex.h"

namespace {

std::vector<std::string> Keys(TLruIndex<std::string, int>& lru)
{
    std::vector<std::string> keys;
    for (auto& e : lru)
        keys.push_back(e.key);
    return keys;
}

TEST(LruIndex, KeepsOrderOfUseReplacesByKeyAndSumsSizes)
{
    TLruIndex<std::string, int> lru;
    lru.Put("a", 1, 10);
    lru.Put("b", 2, 20);
    lru.Put("c", 3, 30);
    EXPECT_EQ((std::vector<std::string>{"c", "b", "a"}), Keys(lru));
    EXPECT_EQ(60u, lru.Bytes());

    ASSERT_NE(nullptr, lru.Find("a"));
    EXPECT_EQ(1, lru.Find("a")->value);
    EXPECT_EQ((std::vector<std::string>{"a", "c", "b"}), Keys(lru));
    EXPECT_EQ(nullptr, lru.Find("z"));

    lru.Put("c", 4, 5);  // replaced: one entry, its new size
    EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), Keys(lru));
    EXPECT_EQ(4, lru.Find("c")->value);
    EXPECT_EQ(35u, lru.Bytes());
    EXPECT_EQ(3u, lru.Count());

    // Erasing gives the next entry, so the oldest can be dropped in a loop.
    auto next = lru.Erase(std::prev(lru.end()));
    EXPECT_TRUE(next == lru.end());
    EXPECT_FALSE(lru.Contains("b"));
    EXPECT_EQ(15u, lru.Bytes());

    lru.Clear();
    EXPECT_TRUE(lru.empty());
    EXPECT_EQ(0u, lru.Bytes());
    EXPECT_EQ(nullptr, lru.Find("a"));
}

} // namespace
