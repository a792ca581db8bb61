#include "base/random.h"

namespace {
uint32_t g_state = 1;
}

void seedRandom(uint32_t seed) noexcept { g_state = seed; }

int nextRandom() noexcept {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}
