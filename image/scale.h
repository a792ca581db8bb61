// Enlarges a 24-bit picture by linear interpolation, one direction after the
// other, in 16.16 fixed point. Used for small pictures that are enlarged to
// the screen; large pictures are shrunk by GDI and never come here.
#pragma once

#include <cstdint>

// Source and destination are 24-bit bottom-up blocks with rows padded to 4
// bytes; the destination is allocated by the caller for the target size.
struct ScaleRequest {
    int32_t width = 0;   // source width
    int32_t height = 0;  // source height
    const uint8_t* source = nullptr;
    uint8_t* destination = nullptr;
};

// Scales to targetWidth x targetHeight. False when a target side is below 1
// or above 25,000, when the target equals the source size, when a direction
// grows by more than twice, or when the one temporary block (needed when both
// directions change) cannot be had. Padding bytes of destination rows are
// not written.
bool scaleImage(const ScaleRequest& request, int32_t targetWidth, int32_t targetHeight) noexcept;
