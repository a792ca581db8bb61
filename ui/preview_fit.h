// Where the preview pane draws a picture: at its own size when it fits,
// otherwise shrunk with 14-bit fixed-point ratios, centred either way.
#pragma once

struct PreviewRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// `areaWidth` x `areaHeight` is the pane's client area, `pictureWidth` x
// `pictureHeight` the picture (both sides positive). A shrunk side is at
// least 1 pixel.
PreviewRect fitPreview(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight) noexcept;

// The four strips of the client area around `drawn` that the picture does
// not cover: left and right over the full height, then above and below the
// picture. A strip may be empty.
struct PreviewMargins {
    PreviewRect left, right, top, bottom;
};
PreviewMargins previewMargins(int areaWidth, int areaHeight, const PreviewRect& drawn) noexcept;
