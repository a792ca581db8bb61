// The program's own random generator, the classic linear congruential one:
// state = state * 214013 + 2531011, result = (state >> 16) & 0x7FFF (0..32767).
// It is ours so that no C runtime's choice of rand() changes the draws.
#pragma once

#include <cstdint>

inline constexpr int kRandomMax = 32767;

void seedRandom(uint32_t seed) noexcept;
int nextRandom() noexcept;

// The start-up seed: t = seconds since 1970 (32 bits), seed = t * ((t & 7) + 1),
// with 32-bit wrap-around; two starts within one second draw the same numbers.
constexpr uint32_t startupSeed(uint32_t t) noexcept { return t * ((t & 7u) + 1u); }
