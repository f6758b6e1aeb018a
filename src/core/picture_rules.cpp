#include "core/picture_rules.h"

#include <algorithm>
#include <string>

#include "core/settings.h"

namespace dz {

namespace {

uint32_t Be16(std::string_view s, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 8) | static_cast<unsigned char>(s[at + 1]);
}
uint32_t Be32(std::string_view s, size_t at) { return (Be16(s, at) << 16) | Be16(s, at + 2); }
uint32_t Le16(std::string_view s, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8) | static_cast<unsigned char>(s[at]);
}
uint32_t Le32(std::string_view s, size_t at) { return (Le16(s, at + 2) << 16) | Le16(s, at); }

std::optional<PictureSize> Sized(uint64_t w, uint64_t h) {
  if (w == 0 || h == 0 || w > UINT32_MAX || h > UINT32_MAX) return std::nullopt;
  return PictureSize{static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
}

std::optional<PictureSize> PngSize(std::string_view s) {
  // Signature, then the IHDR chunk first: length, type, width, height.
  if (s.size() < 24 || s.substr(12, 4) != "IHDR") return std::nullopt;
  return Sized(Be32(s, 16), Be32(s, 20));
}

std::optional<PictureSize> JpegSize(std::string_view s) {
  size_t at = 2;
  while (at + 4 <= s.size()) {
    if (static_cast<unsigned char>(s[at]) != 0xFF) return std::nullopt;
    const unsigned marker = static_cast<unsigned char>(s[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end or scan before any frame
    const size_t length = Be16(s, at + 2);
    if (length < 2) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > s.size()) return std::nullopt;
      return Sized(Be16(s, at + 7), Be16(s, at + 5));
    }
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<PictureSize> BmpSize(std::string_view s) {
  if (s.size() < 18) return std::nullopt;
  const uint32_t header = Le32(s, 14);
  if (header == 12 && s.size() >= 26) return Sized(Le16(s, 18), Le16(s, 20));  // the old core header
  if (header < 40 || s.size() < 26) return std::nullopt;
  const int32_t w = static_cast<int32_t>(Le32(s, 18));
  const int32_t h = static_cast<int32_t>(Le32(s, 22));  // negative: stored top-down
  if (w <= 0 || h == INT32_MIN) return std::nullopt;
  return Sized(static_cast<uint64_t>(w), static_cast<uint64_t>(h < 0 ? -static_cast<int64_t>(h) : h));
}

std::optional<PictureSize> TiffSize(std::string_view s) {
  const bool little = s[0] == 'I';
  auto u16 = [&](size_t at) { return little ? Le16(s, at) : Be16(s, at); };
  auto u32 = [&](size_t at) { return little ? Le32(s, at) : Be32(s, at); };
  const uint64_t ifd = u32(4);
  if (ifd + 2 > s.size()) return std::nullopt;
  const uint32_t entries = u16(static_cast<size_t>(ifd));
  uint64_t w = 0, h = 0;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t e = ifd + 2 + 12ull * i;
    if (e + 12 > s.size()) return std::nullopt;
    const uint32_t tag = u16(static_cast<size_t>(e)), type = u16(static_cast<size_t>(e + 2));
    const uint32_t value = type == 3 ? u16(static_cast<size_t>(e + 8)) : u32(static_cast<size_t>(e + 8));
    if (tag == 256) w = value;
    if (tag == 257) h = value;
  }
  return Sized(w, h);
}

char32_t Folded(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<char32_t>(c - L'A' + L'a') : c; }

}  // namespace

DeclaredPicture DeclaredSize(std::string_view head) {
  DeclaredPicture d;
  if (head.size() >= 8 && head.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
    d.format = PictureFormat::kPng;
    d.size = PngSize(head);
  } else if (head.size() >= 3 && head.substr(0, 3) == "\xFF\xD8\xFF") {
    d.format = PictureFormat::kJpeg;
    d.size = JpegSize(head);
  } else if (head.size() >= 6 && (head.substr(0, 6) == "GIF87a" || head.substr(0, 6) == "GIF89a")) {
    d.format = PictureFormat::kGif;
    if (head.size() >= 10) d.size = Sized(Le16(head, 6), Le16(head, 8));
  } else if (head.size() >= 2 && head.substr(0, 2) == "BM") {
    d.format = PictureFormat::kBmp;
    d.size = BmpSize(head);
  } else if (head.size() >= 8 && (head.substr(0, 4) == std::string_view("II*\0", 4) ||
                                  head.substr(0, 4) == std::string_view("MM\0*", 4))) {
    d.format = PictureFormat::kTiff;
    d.size = TiffSize(head);
  }
  return d;
}

PictureVerdict JudgePicture(const DeclaredPicture& declared) {
  if (declared.format == PictureFormat::kUnknown) return PictureVerdict::kDecode;
  if (!declared.size) return PictureVerdict::kUnreadable;
  return WithinPictureLimit(*declared.size) ? PictureVerdict::kDecode : PictureVerdict::kTooLarge;
}

bool WithinPictureLimit(PictureSize size) {
  const uint64_t pixels = static_cast<uint64_t>(size.width) * size.height;
  return pixels <= kMaxPicturePixels && size.width <= kMaxPictureSide && size.height <= kMaxPictureSide;
}

PictureSize DecodeSize(PictureSize source, PictureSize target) {
  return PictureSize{std::max<uint32_t>(1, std::min(source.width, target.width)),
                     std::max<uint32_t>(1, std::min(source.height, target.height))};
}

bool SameDecode(const PictureKey& a, const PictureKey& b) {
  if (a.written != b.written || a.bytes != b.bytes || a.path.size() != b.path.size()) return false;
  for (size_t i = 0; i < a.path.size(); ++i)
    if (Folded(a.path[i]) != Folded(b.path[i])) return false;
  return true;
}

PictureShrinker::PictureShrinker(PictureSize source, PictureSize target)
    : source_(source),
      target_(DecodeSize(source, target)),
      column_(source.width),
      sums_(static_cast<size_t>(target_.width) * 4),
      counts_(target_.width),
      out_(static_cast<size_t>(target_.width) * target_.height) {
  for (uint32_t x = 0; x < source.width; ++x)
    column_[x] = static_cast<uint32_t>(static_cast<uint64_t>(x) * target_.width / source.width);
}

void PictureShrinker::AddRow(const uint32_t* pixels) {
  if (nextRow_ >= source_.height) return;
  const uint32_t row = static_cast<uint32_t>(static_cast<uint64_t>(nextRow_) * target_.height / source_.height);
  if (row != targetRow_) FlushRow();
  targetRow_ = row;
  for (uint32_t x = 0; x < source_.width; ++x) {
    const uint32_t p = pixels[x];
    uint64_t* sum = &sums_[static_cast<size_t>(column_[x]) * 4];
    sum[0] += p & 0xFF;
    sum[1] += (p >> 8) & 0xFF;
    sum[2] += (p >> 16) & 0xFF;
    sum[3] += p >> 24;
    ++counts_[column_[x]];
  }
  if (++nextRow_ == source_.height) FlushRow();
}

void PictureShrinker::FlushRow() {
  uint32_t* row = &out_[static_cast<size_t>(targetRow_) * target_.width];
  for (uint32_t x = 0; x < target_.width; ++x) {
    const uint64_t n = counts_[x];
    const uint64_t* sum = &sums_[static_cast<size_t>(x) * 4];
    uint32_t p = 0;
    if (n > 0) {
      for (int c = 0; c < 4; ++c) p |= static_cast<uint32_t>((sum[c] + n / 2) / n) << (8 * c);
    }
    row[x] = p;
  }
  std::fill(sums_.begin(), sums_.end(), 0);
  std::fill(counts_.begin(), counts_.end(), 0);
}

namespace {

// For each target position along one side: the two source positions and
// the weight (0..256) of the second.
struct Tap {
  uint32_t a, b, weight;
};
std::vector<Tap> Taps(uint32_t from, uint32_t to) {
  std::vector<Tap> taps(to);
  for (uint32_t i = 0; i < to; ++i) {
    if (from == to) {
      taps[i] = Tap{i, i, 0};
      continue;
    }
    // The target pixel's centre in source coordinates, in 1/256ths.
    const int64_t centre = ((2 * static_cast<int64_t>(i) + 1) * from * 256) / (2 * static_cast<int64_t>(to)) - 128;
    const int64_t clamped = std::clamp<int64_t>(centre, 0, (static_cast<int64_t>(from) - 1) * 256);
    const uint32_t a = static_cast<uint32_t>(clamped / 256);
    taps[i] = Tap{a, std::min(a + 1, from - 1), static_cast<uint32_t>(clamped % 256)};
  }
  return taps;
}

uint32_t Blend(uint32_t p, uint32_t q, uint32_t weight) {
  uint32_t out = 0;
  for (int c = 0; c < 32; c += 8) {
    const uint32_t x = (p >> c) & 0xFF, y = (q >> c) & 0xFF;
    out |= ((x * (256 - weight) + y * weight + 128) >> 8) << c;
  }
  return out;
}

}  // namespace

std::vector<uint32_t> StretchSmooth(const std::vector<uint32_t>& pixels, PictureSize from, PictureSize to) {
  std::vector<uint32_t> out(static_cast<size_t>(to.width) * to.height);
  if (from.width == 0 || from.height == 0 || pixels.size() < static_cast<size_t>(from.width) * from.height)
    return out;
  const std::vector<Tap> xs = Taps(from.width, to.width), ys = Taps(from.height, to.height);
  for (uint32_t y = 0; y < to.height; ++y) {
    const uint32_t* r0 = &pixels[static_cast<size_t>(ys[y].a) * from.width];
    const uint32_t* r1 = &pixels[static_cast<size_t>(ys[y].b) * from.width];
    uint32_t* row = &out[static_cast<size_t>(y) * to.width];
    for (uint32_t x = 0; x < to.width; ++x) {
      const Tap& t = xs[x];
      row[x] = Blend(Blend(r0[t.a], r0[t.b], t.weight), Blend(r1[t.a], r1[t.b], t.weight), ys[y].weight);
    }
  }
  return out;
}

uint32_t OverWhite(uint32_t p) {
  const uint32_t clear = 255 - (p >> 24);
  uint32_t out = 0xFF000000u;
  for (int c = 0; c < 24; c += 8) out |= std::min<uint32_t>(255, ((p >> c) & 0xFF) + clear) << c;
  return out;
}

std::string ClipboardPictureName(std::string_view dir, int n, const std::vector<std::string>& inUse) {
  for (int k = 1;; ++k) {
    std::string name = "Bit" + std::to_string(n) + (k > 1 ? "-" + std::to_string(k) : std::string()) + ".png";
    const std::string path = std::string(dir) + "\\" + name;
    if (std::none_of(inUse.begin(), inUse.end(), [&](const std::string& p) { return SameKeyName(p, path); }))
      return name;
  }
}

}  // namespace dz
