// Arbitrary bytes through the JPEG reader: it must stop on its own, stay in
// its buffer, and, when it reads a picture, give the size the header
// alone promises, every pixel opaque.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/jpeg_reduced.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  std::vector<uint32_t> pixels;
  dz::PictureSize got;
  const std::optional<dz::PictureSize> declared = dz::HandledJpegSize(file);
  if (!dz::DecodeJpegEighth(file, &pixels, &got)) return 0;
  if (!declared || dz::EighthSize(*declared) != got || pixels.size() != static_cast<size_t>(got.width) * got.height) std::abort();
  for (uint32_t p : pixels)
    if (p >> 24 != 255) std::abort();
  return 0;
}
