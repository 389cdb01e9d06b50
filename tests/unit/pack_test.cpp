#include "picture_files.h"
#include "scene.h"

#include <gtest/gtest.h>

#include <vector>

TEST(pack_rgb4, pairs_the_top_nibbles_of_consecutive_components)
{
    std::vector<unsigned char> src(picture_bytes, 0);
    const unsigned char pair[] = {0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56};
    std::copy(std::begin(pair), std::end(pair), src.begin());
    std::vector<unsigned char> dst(packed_bytes, 0x77);
    pack_rgb4(dst.data(), src.data());
    EXPECT_EQ(dst[0], 0xAC);
    EXPECT_EQ(dst[1], 0xE1);
    EXPECT_EQ(dst[2], 0x35);
    EXPECT_EQ(dst[3], 0x00);
}

TEST(pack_rgb4, covers_the_whole_picture_and_nothing_more)
{
    const std::vector<unsigned char> src = random_bytes(picture_bytes, 1);
    // One guard byte past the end must stay untouched.
    std::vector<unsigned char> dst(packed_bytes + 1, 0x5A);
    pack_rgb4(dst.data(), src.data());
    for (std::size_t i = 0; i < picture_bytes; ++i) {
        const unsigned nibble = i % 2 == 0 ? dst[i / 2] >> 4 : dst[i / 2] & 0x0F;
        ASSERT_EQ(nibble, static_cast<unsigned>(src[i] >> 4)) << "component " << i;
    }
    EXPECT_EQ(dst[packed_bytes], 0x5A);
}

TEST(unpack_rgb4, widens_each_nibble_to_the_same_fraction_of_a_byte)
{
    const std::vector<unsigned char> src = random_bytes(picture_bytes, 2);
    std::vector<unsigned char> packed(packed_bytes);
    std::vector<unsigned char> widened(picture_bytes);
    pack_rgb4(packed.data(), src.data());
    unpack_rgb4(widened.data(), packed.data());
    for (std::size_t i = 0; i < picture_bytes; ++i)
        ASSERT_EQ(widened[i], (src[i] & 0xF0) | (src[i] >> 4)) << "component " << i;
}
