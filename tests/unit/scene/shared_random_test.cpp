#include <gtest/gtest.h>

#include "shared_random.h"

namespace {

// The first draws after a seed of 1, the generator's state before any seeding.
const int32_t kSeedOneDraws[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};

TEST(SharedRandom, UnseededGeneratorStartsFromStateOne)
{
    RandomGenerator generator;
    for (int32_t expected : kSeedOneDraws)
        EXPECT_EQ(generator.Draw(), expected);
}

TEST(SharedRandom, SeedingRestartsTheSequence)
{
    RandomGenerator generator;
    generator.Draw();
    generator.Draw();
    generator.Seed(1);
    EXPECT_EQ(generator.Draw(), 41);
    generator.Seed(0);
    EXPECT_EQ(generator.Draw(), 38);  // 2531011 >> 16
    // The multiplication wraps at 2^32 and only bits 16 to 30 are returned.
    generator.Seed(0xFFFFFFFFu);
    EXPECT_EQ(generator.Draw(), int32_t(((0xFFFFFFFFu * 214013u + 2531011u) >> 16) & 0x7FFF));
}

TEST(SharedRandom, OneInstanceForTheWholeProgram)
{
    SharedRandom().Seed(1);
    EXPECT_EQ(SharedRandom().Draw(), 41);
    EXPECT_EQ(SharedRandom().Draw(), 18467);  // the same generator, continued
    EXPECT_EQ(&SharedRandom(), &SharedRandom());
}

}  // namespace
