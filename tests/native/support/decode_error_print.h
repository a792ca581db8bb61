// Test failures name a decoder's reason rather than print its number.
#pragma once

#include <ostream>

#include "decode/decode_error.h"

inline void PrintTo(DecodeError error, std::ostream* out) { *out << decodeErrorText(error); }
