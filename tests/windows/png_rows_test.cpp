// The 32-bit program's SIMD row routines (built function by function for
// SSE2 and SSSE3 on a baseline without them) give what its portable ones do.
#include <gtest/gtest.h>

#include "tests/png_rows_agreement.h"

TEST(PngRows, EveryInstructionSetAgreesWithThePortableRoutines) {
    ASSERT_GE(png::rowSimdAvailable(), png::RowSimd::Sse2) << "this processor has SSE2";
    for (int level = 1; level <= int(png::rowSimdAvailable()); ++level) {
        SCOPED_TRACE(level);
        pngrows::expectSameAsPortable(png::RowSimd(level));
    }
}
