// The start-up rules that need no window: the command-line table and the
// program's own random generator with its seed.
#include <gtest/gtest.h>

#include <vector>

#include "app/command_line.h"
#include "base/random.h"

namespace {

bool existsNever(const wchar_t*) { return false; }
bool existsAlways(const wchar_t*) { return true; }

TEST(CommandLine, OnlyTheFirstTwoCharactersOfASwitchCount) {
    EXPECT_EQ(classifyFirstArgument(L"/s", existsNever), RunKind::Change);
    EXPECT_EQ(classifyFirstArgument(L"/sx", existsNever), RunKind::Change);
    EXPECT_EQ(classifyFirstArgument(L"/start", existsNever), RunKind::Change);
    EXPECT_EQ(classifyFirstArgument(L"/d", existsNever), RunKind::CalendarOnly);
    EXPECT_EQ(classifyFirstArgument(L"/date", existsNever), RunKind::CalendarOnly);
}

TEST(CommandLine, UpperCaseAndUnknownSwitchesOpenTheWindow) {
    for (const wchar_t* arg : {L"/S", L"/D", L"/x", L"/", L"/?"})
        EXPECT_EQ(classifyFirstArgument(arg, existsAlways), RunKind::Windowed) << arg;
    EXPECT_EQ(classifyFirstArgument(nullptr, existsAlways), RunKind::Windowed);
    EXPECT_EQ(classifyFirstArgument(L"", existsAlways), RunKind::Windowed);
}

TEST(CommandLine, PathsDependOnWhetherTheyExist) {
    EXPECT_EQ(classifyFirstArgument(L"C:\\pics\\a b.jpg", existsAlways), RunKind::SetFile);
    EXPECT_EQ(classifyFirstArgument(L"C:\\pics\\a b.jpg", existsNever), RunKind::Windowed);
    EXPECT_EQ(classifyFirstArgument(L"-s", existsNever), RunKind::Windowed);
}

TEST(Random, IsTheClassicLinearCongruentialSequence) {
    // state = state * 214013 + 2531011, result = (state >> 16) & 0x7FFF.
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);
    seedRandom(0xFFFFFFFFu);
    uint32_t state = 0xFFFFFFFFu;
    for (int i = 0; i < 1000; ++i) {
        state = state * 214013u + 2531011u;
        const int r = nextRandom();
        ASSERT_EQ(r, static_cast<int>((state >> 16) & 0x7FFF));
        ASSERT_LE(r, kRandomMax);
    }
}

TEST(Random, StartsWithinOneSecondDrawTheSameNumbers) {
    const uint32_t t = 1796688000u;  // some second in December 2026
    auto draws = [](uint32_t seed) {
        seedRandom(seed);
        std::vector<int> out;
        for (int i = 0; i < 16; ++i) out.push_back(nextRandom());
        return out;
    };
    EXPECT_EQ(draws(startupSeed(t)), draws(startupSeed(t)));
    EXPECT_NE(draws(startupSeed(t)), draws(startupSeed(t + 1)));
    // seed = t * ((t & 7) + 1), wrapping at 32 bits.
    EXPECT_EQ(startupSeed(8u), 8u);
    EXPECT_EQ(startupSeed(7u), 56u);
    EXPECT_EQ(startupSeed(0xFFFFFFFFu), 0xFFFFFFF8u);
}

}  // namespace
