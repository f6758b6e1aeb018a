#pragma once
// Rules for background pictures that need no system: the size a picture
// file declares in its header, the largest picture the program decodes,
// the size a picture is decoded at for a memo, and shrinking decoded rows
// to that size with memory bounded by the result.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dz {

struct PictureSize {
  uint32_t width = 0;
  uint32_t height = 0;
  bool operator==(const PictureSize& o) const { return width == o.width && height == o.height; }
  bool operator!=(const PictureSize& o) const { return !(*this == o); }
};

enum class PictureFormat { kUnknown, kPng, kJpeg, kGif, kBmp, kTiff };

struct DeclaredPicture {
  PictureFormat format = PictureFormat::kUnknown;
  // Empty when the header is damaged or ends before it names the size.
  std::optional<PictureSize> size;
};

// How many bytes of a file's start DeclaredSize looks at: a JPEG names its
// size after its metadata segments, which a camera can make long.
inline constexpr size_t kPictureHeadBytes = 1 << 20;

// The format and the width and height the first bytes of a picture file
// declare, without decoding anything. A format it does not know (icons,
// metafiles) comes back as kUnknown.
DeclaredPicture DeclaredSize(std::string_view head);

// The most pixels a picture may declare and still be decoded: a photo of
// 12 megapixels and a panorama of about 100 fit; a picture of 20000 x 20000
// would take gigabytes while it is decoded.
inline constexpr uint64_t kMaxPicturePixels = 128ull * 1000 * 1000;
// The longest side decoded (what JPEG itself can hold): rows are decoded
// one at a time, each at most this wide.
inline constexpr uint32_t kMaxPictureSide = 65535;

enum class PictureVerdict {
  kDecode,      // within the limit, or a format that names no size here
  kTooLarge,    // declares more than kMaxPicturePixels, or a longer side than kMaxPictureSide
  kUnreadable,  // a known format whose header names no usable size
};
PictureVerdict JudgePicture(const DeclaredPicture& declared);
// Whether a picture of size is within both limits.
bool WithinPictureLimit(PictureSize size);

// The size a picture of `source` is decoded at to be stretched over a
// memo of `target`: each side shrunk to the memo's, never enlarged (the
// enlargement is left to drawing, which smooths it). At least 1 x 1.
PictureSize DecodeSize(PictureSize source, PictureSize target);

// Two memos share one decode when they show the same file as it is now:
// the same path (letter case aside, as the file system sees it) and the
// same last write and length.
struct PictureKey {
  std::wstring path;
  uint64_t written = 0;
  uint64_t bytes = 0;
};
bool SameDecode(const PictureKey& a, const PictureKey& b);

// Shrinks a picture fed one row at a time (32-bit pixels, premultiplied,
// any channel order) to `target`: each target pixel is the mean of the
// source pixels that fall on it. Keeps only the result and one row of sums.
class PictureShrinker {
 public:
  PictureShrinker(PictureSize source, PictureSize target);
  // Row y of the source, source.width pixels. Rows come in order.
  void AddRow(const uint32_t* pixels);
  // The target's pixels, row by row, once every source row has been added.
  const std::vector<uint32_t>& pixels() const { return out_; }
  PictureSize size() const { return target_; }

 private:
  void FlushRow();

  PictureSize source_, target_;
  std::vector<uint32_t> column_;  // target column of each source column
  std::vector<uint64_t> sums_;    // four channels per target column
  std::vector<uint32_t> counts_;  // source pixels summed per target column
  std::vector<uint32_t> out_;
  uint32_t nextRow_ = 0;   // source rows added so far
  uint32_t targetRow_ = 0;  // the target row being summed
};

// pixels (from, row by row, premultiplied) stretched to `to` with linear
// interpolation between pixel centres, the edge pixels held: an enlarged
// picture blends smoothly and reaches every edge in its own colours. A
// side of the same length is copied exactly.
std::vector<uint32_t> StretchSmooth(const std::vector<uint32_t>& pixels, PictureSize from, PictureSize to);

// A premultiplied pixel laid over white, opaque.
uint32_t OverWhite(uint32_t premultiplied);

// The file in the category's folder `dir` that memo n's clipboard picture
// is kept in: "Bit<n>.png", unless another memo still shows a file of that
// name (`inUse`: the stored picture paths of the category's other memos
// and of those kept in its bin), as one renumbered into a lower number
// does; then "Bit<n>-2.png", "Bit<n>-3.png" and so on. Paths in stored form.
std::string ClipboardPictureName(std::string_view dir, int n, const std::vector<std::string>& inUse);

}  // namespace dz
