// The one cache the texture, sound and mesh caches are made of.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/asset_cache.h"

namespace dw {
namespace {

TEST(AssetCache, OneEntryPerTextReleasedByItsOwnerOldestFirst) {
    AssetCache<int> cache;
    int& first = cache.Add("ShotTex", 1);
    cache.Add("BoardTex", 2);
    cache.Add(nullptr, 3);  // no name is the empty name
    // Entries stay where they are while others come and go.
    for (int i = 0; i < 50; ++i) cache.Add(("Extra" + std::to_string(i)).c_str(), 100 + i);
    EXPECT_EQ(&first, cache.Find(std::string("Shot").append("Tex").c_str()));
    ASSERT_NE(cache.Find(""), nullptr);
    EXPECT_EQ(*cache.Find(""), 3);
    EXPECT_EQ(cache.Find("Shot"), nullptr);  // a prefix is another name

    std::vector<int> released;
    auto release = [&](int v) { released.push_back(v); };
    EXPECT_FALSE(cache.Remove("NoSuchTex", release));
    EXPECT_TRUE(cache.Remove("BoardTex", release));
    EXPECT_EQ(released, std::vector<int>{2});
    EXPECT_EQ(cache.Find("BoardTex"), nullptr);
    EXPECT_EQ(*cache.Find("ShotTex"), 1);

    released.clear();
    cache.Clear(release);
    ASSERT_EQ(released.size(), 52u);
    EXPECT_EQ(released[0], 1);
    EXPECT_EQ(released[1], 3);
    EXPECT_EQ(released.back(), 149);
    EXPECT_EQ(cache.Count(), 0u);
}

}  // namespace
}  // namespace dw
