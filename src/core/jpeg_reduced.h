#pragma once
// A JPEG read at an eighth of its size: the mean of each 8 x 8 block is its
// DC coefficient, so a photo shown in a small memo needs no inverse
// transform, only the entropy-coded data walked once. Only the common kind
// is read (sequential, Huffman-coded, 8-bit, grey or YCbCr); anything else
// is left to the system's decoders. Orientation tags are not applied, as
// the system's decoders do not apply them either.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/picture_rules.h"

namespace dz {

// The picture's size when `head` (the file's first bytes) shows a JPEG
// this reader handles. Empty otherwise, or when the header ends before the
// frame.
std::optional<PictureSize> HandledJpegSize(std::string_view head);

// Each side an eighth, rounded up: one pixel for each block, whole or not.
inline PictureSize EighthSize(PictureSize picture) { return {(picture.width + 7) / 8, (picture.height + 7) / 8}; }

// The whole file read at an eighth: opaque 32-bit pixels (blue in the low
// byte), row by row, of EighthSize. False for a kind not handled and
// for damaged or cut-short data; nothing larger than the picture limits
// is allocated.
bool DecodeJpegEighth(std::string_view file, std::vector<uint32_t>* pixels, PictureSize* size);

}  // namespace dz
