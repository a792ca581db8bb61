#include "decode/decoder_state.h"

bool mapImageFile(const wchar_t* path, DecoderState& state) noexcept {
    if (!state.file.open(path)) {
        state.error = DecodeError::OpenFailed;
        return false;
    }
    state.attach(state.file.data(), state.file.size());
    return true;
}

void setOutputHeader(DecoderState& state, int32_t width, int32_t height, int bitCount,
                     int32_t xPelsPerMeter, int32_t yPelsPerMeter) noexcept {
    auto& h = state.image.header;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bitCount);
    h.biCompression = 0;
    h.biSizeImage = 0;
    h.biXPelsPerMeter = xPelsPerMeter;
    h.biYPelsPerMeter = yPelsPerMeter;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
}
