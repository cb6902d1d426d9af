#include <gtest/gtest.h>

#include <cstdint>

#include "replay_generator.h"

namespace lrx::replaygen {
namespace {

uint32_t U32At(const std::vector<unsigned char>& bytes, std::size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint64_t Fnv1a(const std::vector<unsigned char>& bytes) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char byte : bytes) hash = (hash ^ byte) * 0x100000001B3ull;
    return hash;
}

TEST(ReplayGenerator, ProfilesHaveTheirShapes) {
    const auto race = GenerateReplay({Profile::Race, 1, -1, 50});
    EXPECT_EQ(U32At(race, 0), 2954u);
    EXPECT_EQ(U32At(race, 12), 20u);
    EXPECT_EQ(race.size(), 16 + 2954 + U32At(race, 4));

    for (uint64_t seed = 0; seed < 4; ++seed) {
        const auto tiny = GenerateReplay({Profile::Tiny, seed, -1, -1});
        EXPECT_EQ(U32At(tiny, 12), seed % 2);
    }

    const auto noDrivers = GenerateReplay({Profile::Edge, 1, -1, 5});
    EXPECT_EQ(U32At(noDrivers, 0), 1352u);
    const auto longHeader = GenerateReplay({Profile::Edge, 2, -1, 5});
    EXPECT_EQ(U32At(longHeader, 0), 2955u);
    const auto baseZero = GenerateReplay({Profile::Edge, 0, 5, 5});
    EXPECT_EQ(U32At(baseZero, 12), 5u);
    EXPECT_EQ(baseZero[16 + 4], 5);  // the layout marker of slot base 0
    const auto baseOne = GenerateReplay({Profile::Edge, 4, 5, 5});
    EXPECT_NE(baseOne[16 + 4], 5);
    EXPECT_NE(baseOne[16 + 32 + 39 * 33 + 32] | baseOne[16 + 32 + 39 * 33], 0);  // 40 drivers
}

TEST(ReplayGenerator, SameBytesOnEveryPlatform) {
    // Pinned: a change here changes every benchmark and test replay.
    EXPECT_EQ(Fnv1a(GenerateReplay({Profile::Race, 1, -1, 200})), 0x432762556CCE01C1ull);
    EXPECT_EQ(Fnv1a(GenerateReplay({Profile::Edge, 7, -1, 100})), 0xD1FC1D374F38D0CFull);
    EXPECT_EQ(Fnv1a(GenerateReplay({Profile::Tiny, 3, -1, -1})), 0x90D2E8B86328F1DCull);
}

TEST(ReplayGenerator, ProfileNames) {
    Profile profile = Profile::Race;
    EXPECT_TRUE(ParseProfile("edge", profile));
    EXPECT_EQ(profile, Profile::Edge);
    EXPECT_TRUE(ParseProfile("tiny", profile));
    EXPECT_EQ(profile, Profile::Tiny);
    EXPECT_FALSE(ParseProfile("Race", profile));
    EXPECT_STREQ(ProfileName(Profile::Race), "race");
}

}  // namespace
}  // namespace lrx::replaygen
