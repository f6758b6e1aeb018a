#include "core/jpeg_reduced.h"

#include <algorithm>
#include <array>

namespace dz {

namespace {

// Codes up to this length are found with one table look-up; photos spend
// nearly all their symbols there.
constexpr int kFastBits = 9;

struct Huffman {
  bool defined = false;
  // Per code length: the largest code of that length (-1 for none) and
  // where its symbols start in `symbols`, less its first code.
  std::array<int32_t, 17> maxCode{};
  std::array<int32_t, 17> offset{};
  std::array<uint8_t, 256> symbols{};
  // Indexed by the next kFastBits bits: code length << 8 | symbol, 0 when
  // the code is longer.
  std::array<uint16_t, 1 << kFastBits> fast{};
  // For passing over AC coefficients: (bits of code and value) << 8 | the
  // coefficients passed, 0 of them at the end of the block; 0 when code and
  // value do not both fit in kFastBits.
  std::array<uint16_t, 1 << kFastBits> skip{};
};

struct Component {
  uint8_t id = 0;
  int h = 1, v = 1;
  int quantTable = 0;
  int dcTable = 0, acTable = 0;
  int32_t quant = 1;      // the DC step, taken when the scan starts
  int32_t predicted = 0;  // the previous block's DC
  std::vector<uint8_t> means;  // one per block of the component's plane
  size_t planeWidth = 0;
};

struct Frame {
  bool seen = false;
  uint32_t width = 0, height = 0;
  int count = 0;
  std::array<Component, 3> components;
  int hMax = 1, vMax = 1;
};

struct State {
  Frame frame;
  std::array<Huffman, 4> dc, ac;
  std::array<std::optional<int32_t>, 4> quant;  // the first (DC) step of each table
  uint32_t restartInterval = 0;
  int adobeTransform = -1;
};

uint32_t Be16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 8 | p[1]; }

bool BuildHuffman(const uint8_t* counts, const uint8_t* symbols, size_t total, bool forAc, Huffman* t) {
  *t = Huffman{};
  std::copy(symbols, symbols + total, t->symbols.begin());
  int32_t code = 0;
  size_t k = 0;
  for (int len = 1; len <= 16; ++len) {
    const int n = counts[len - 1];
    t->offset[len] = static_cast<int32_t>(k) - code;
    for (int i = 0; i < n; ++i, ++k, ++code) {
      // More codes than the length holds: a damaged table.
      if (code >= (1 << len)) return false;
      if (len > kFastBits) continue;
      const int sym = symbols[k];
      const uint16_t entry = static_cast<uint16_t>(len << 8 | sym);
      const int run = sym >> 4, extra = sym & 15;
      // Without a value, a run of 15 is sixteen zeros; any other ends the block.
      const int passed = extra ? run + 1 : (run == 15 ? 16 : 0);
      const uint16_t skip = len + extra <= kFastBits ? static_cast<uint16_t>((len + extra) << 8 | passed) : 0;
      const int shift = kFastBits - len;
      for (int j = code << shift; j < (code + 1) << shift; ++j) {
        t->fast[j] = entry;
        if (forAc) t->skip[j] = skip;
      }
    }
    t->maxCode[len] = n ? code - 1 : -1;
    code <<= 1;
  }
  t->defined = true;
  return true;
}

// Bits of the entropy-coded data, most significant first, with stuffed zero
// bytes taken out. At a marker or the end of the buffer it reads zeros and
// counts them: using any of them means the data was cut short or damaged.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size, size_t pos) : data_(data), size_(size), pos_(pos) {}

  void Fill() {
    while (bits_ <= 56) {
      uint64_t b = 0;
      if (!atMarker_ && pos_ < size_ && data_[pos_] != 0xFF) {
        b = data_[pos_++];
      } else if (!atMarker_ && pos_ + 1 < size_ && data_[pos_ + 1] == 0) {
        b = 0xFF;
        pos_ += 2;
      } else {
        atMarker_ = true;
        padding_ += 8;
      }
      acc_ |= b << (56 - bits_);
      bits_ += 8;
    }
  }
  uint32_t Peek(int n) const { return static_cast<uint32_t>(acc_ >> (64 - n)); }
  void Skip(int n) {
    acc_ <<= n;
    bits_ -= n;
  }
  int32_t Receive(int n) {
    if (n == 0) return 0;
    const uint32_t v = Peek(n);
    Skip(n);
    // The value's sign is its first bit: a 0 there means negative.
    return v >> (n - 1) ? static_cast<int32_t>(v) : static_cast<int32_t>(v) - (1 << n) + 1;
  }
  bool UsedPadding() const { return bits_ < padding_; }
  // After a restart interval: the marker RSTn must come next.
  bool Restart(int n) {
    if (UsedPadding()) return false;
    size_t p = pos_;
    if (p >= size_ || data_[p] != 0xFF) return false;
    while (p + 1 < size_ && data_[p + 1] == 0xFF) ++p;
    if (p + 1 >= size_ || data_[p + 1] != 0xD0 + (n & 7)) return false;
    pos_ = p + 2;
    acc_ = 0;
    bits_ = 0;
    padding_ = 0;
    atMarker_ = false;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_;
  uint64_t acc_ = 0;
  int bits_ = 0;
  int padding_ = 0;
  bool atMarker_ = false;
};

bool DecodeSymbol(BitReader& r, const Huffman& t, int* symbol) {
  const uint16_t e = t.fast[r.Peek(kFastBits)];
  if (e) {
    r.Skip(e >> 8);
    *symbol = e & 0xFF;
    return true;
  }
  const int32_t bits = static_cast<int32_t>(r.Peek(16));
  for (int len = kFastBits + 1; len <= 16; ++len) {
    const int32_t code = bits >> (16 - len);
    if (code > t.maxCode[len]) continue;
    const int32_t k = t.offset[len] + code;
    if (k < 0 || k > 255) return false;
    r.Skip(len);
    *symbol = t.symbols[static_cast<size_t>(k)];
    return true;
  }
  return false;  // no such code
}

uint8_t Clamp255(int64_t v) { return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255)); }

// One block: its DC kept as the block's mean, its AC coefficients passed over.
bool DecodeBlock(BitReader& r, const Huffman& dc, const Huffman& ac, Component* c, uint8_t* mean) {
  r.Fill();
  int s = 0;
  if (!DecodeSymbol(r, dc, &s) || s > 11) return false;
  // Valid data keeps the DC within 11 bits; held within 16 whatever comes.
  c->predicted = std::clamp<int32_t>(c->predicted + r.Receive(s), -32768, 32767);
  // The DC is eight times the mean of the block's samples less 128.
  *mean = Clamp255(((static_cast<int64_t>(c->predicted) * c->quant + 4) >> 3) + 128);
  int k = 1;
  while (k < 64) {
    r.Fill();
    const uint16_t e = ac.skip[r.Peek(kFastBits)];
    if (e) {
      r.Skip(e >> 8);
      if (!(e & 0xFF)) break;
      k += e & 0xFF;
      continue;
    }
    int symbol = 0;
    if (!DecodeSymbol(r, ac, &symbol)) return false;
    const int run = symbol >> 4, extra = symbol & 15;
    if (extra) {
      r.Skip(extra);
      k += run + 1;
    } else if (run == 15) {
      k += 16;
    } else {
      break;
    }
  }
  return k <= 64;
}

bool ReadFrameHeader(const uint8_t* seg, size_t len, Frame* f) {
  if (f->seen || len < 6 || seg[0] != 8) return false;  // 12-bit samples are left to others
  f->height = Be16(seg + 1);
  f->width = Be16(seg + 3);
  f->count = seg[5];
  // A height of 0 is given later in the data, which is rare and not read here.
  if (f->width == 0 || f->height == 0 || (f->count != 1 && f->count != 3) || len != 6 + 3 * static_cast<size_t>(f->count))
    return false;
  if (!WithinPictureLimit(PictureSize{f->width, f->height})) return false;
  for (int i = 0; i < f->count; ++i) {
    Component& c = f->components[static_cast<size_t>(i)];
    const uint8_t* p = seg + 6 + 3 * i;
    c.id = p[0];
    c.h = p[1] >> 4;
    c.v = p[1] & 15;
    c.quantTable = p[2];
    if (c.h < 1 || c.h > 2 || c.v < 1 || c.v > 2 || c.quantTable > 3) return false;
    for (int j = 0; j < i; ++j)
      if (f->components[static_cast<size_t>(j)].id == c.id) return false;
    // A single component is coded block by block whatever its factors say.
    if (f->count == 1) c.h = c.v = 1;
    f->hMax = std::max(f->hMax, c.h);
    f->vMax = std::max(f->vMax, c.v);
  }
  f->seen = true;
  return true;
}

bool ReadHuffmanTables(const uint8_t* seg, size_t len, State* s) {
  size_t i = 0;
  while (i < len) {
    if (len - i < 17) return false;
    const int cls = seg[i] >> 4, id = seg[i] & 15;
    if (cls > 1 || id > 3) return false;
    size_t total = 0;
    for (int k = 1; k <= 16; ++k) total += seg[i + k];
    if (total > 256 || len - i - 17 < total) return false;
    Huffman& t = cls ? s->ac[static_cast<size_t>(id)] : s->dc[static_cast<size_t>(id)];
    if (!BuildHuffman(seg + i + 1, seg + i + 17, total, cls == 1, &t)) return false;
    i += 17 + total;
  }
  return true;
}

bool ReadQuantTables(const uint8_t* seg, size_t len, State* s) {
  size_t i = 0;
  while (i < len) {
    const int precision = seg[i] >> 4, id = seg[i] & 15;
    if (precision > 1 || id > 3) return false;
    const size_t size = 1 + 64 * static_cast<size_t>(precision + 1);
    if (len - i < size) return false;
    s->quant[static_cast<size_t>(id)] = static_cast<int32_t>(precision ? Be16(seg + i + 1) : seg[i + 1]);
    i += size;
  }
  return true;
}

// The scan must hold every component (one scan for the whole picture) and
// every coefficient at full precision.
bool ReadScanHeader(const uint8_t* seg, size_t len, State* s, std::array<int, 3>* order) {
  Frame& f = s->frame;
  if (len < 1) return false;
  const int n = seg[0];
  if (n != f.count || len != 4 + 2 * static_cast<size_t>(n)) return false;
  for (int i = 0; i < n; ++i) {
    const uint8_t* p = seg + 1 + 2 * i;
    int found = -1;
    for (int j = 0; j < f.count; ++j)
      if (f.components[static_cast<size_t>(j)].id == p[0]) found = j;
    for (int j = 0; j < i; ++j)
      if ((*order)[static_cast<size_t>(j)] == found) found = -1;
    if (found < 0) return false;
    Component& c = f.components[static_cast<size_t>(found)];
    c.dcTable = p[1] >> 4;
    c.acTable = p[1] & 15;
    if (c.dcTable > 3 || c.acTable > 3 || !s->dc[static_cast<size_t>(c.dcTable)].defined ||
        !s->ac[static_cast<size_t>(c.acTable)].defined || !s->quant[static_cast<size_t>(c.quantTable)])
      return false;
    c.quant = *s->quant[static_cast<size_t>(c.quantTable)];
    (*order)[static_cast<size_t>(i)] = found;
  }
  const uint8_t* tail = seg + 1 + 2 * n;
  if (tail[0] != 0 || tail[1] != 63 || tail[2] != 0) return false;
  // Three components marked as RGB rather than YCbCr are left to others.
  return !(f.count == 3 && s->adobeTransform == 0);
}

// Reads the segments from the start of the file up to the frame header
// (`order` null) or up to the scan header, setting *dataStart to the first
// byte of the coded data.
bool ReadSegments(const uint8_t* p, size_t n, State* s, std::array<int, 3>* order, size_t* dataStart) {
  if (n < 2 || p[0] != 0xFF || p[1] != 0xD8) return false;
  size_t pos = 2;
  for (;;) {
    if (pos >= n || p[pos] != 0xFF) return false;
    while (pos < n && p[pos] == 0xFF) ++pos;
    if (n - pos < 3) return false;
    const uint8_t marker = p[pos++];
    const size_t len = Be16(p + pos);
    if (len < 2 || n - pos < len) return false;
    const uint8_t* seg = p + pos + 2;
    const size_t segLen = len - 2;
    pos += len;
    switch (marker) {
      case 0xC0:  // baseline
      case 0xC1:  // extended sequential, Huffman-coded
        if (!ReadFrameHeader(seg, segLen, &s->frame)) return false;
        if (!order) return true;
        break;
      case 0xC4:
        if (!ReadHuffmanTables(seg, segLen, s)) return false;
        break;
      case 0xDB:
        if (!ReadQuantTables(seg, segLen, s)) return false;
        break;
      case 0xDD:
        if (segLen != 2) return false;
        s->restartInterval = Be16(seg);
        break;
      case 0xDA:
        if (!order || !s->frame.seen || !ReadScanHeader(seg, segLen, s, order)) return false;
        *dataStart = pos;
        return true;
      case 0xEE:
        if (segLen >= 12 && std::string_view(reinterpret_cast<const char*>(seg), 5) == "Adobe") s->adobeTransform = seg[11];
        break;
      default:
        // Other application segments and comments say nothing about the
        // pixels; any other marker (progressive, arithmetic, lossless,
        // hierarchical frames) is a kind not read here.
        if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) break;
        return false;
    }
  }
}

uint32_t RGB(int y, int cb, int cr) {
  cb -= 128;
  cr -= 128;
  // JFIF's conversion in 16-bit fixed point.
  const uint32_t r = Clamp255(y + ((91881 * cr + 32768) >> 16));
  const uint32_t g = Clamp255(y + ((-22554 * cb - 46802 * cr + 32768) >> 16));
  const uint32_t b = Clamp255(y + ((116130 * cb + 32768) >> 16));
  return 0xFF000000u | r << 16 | g << 8 | b;
}

}  // namespace

std::optional<PictureSize> HandledJpegSize(std::string_view head) {
  State s;
  if (!ReadSegments(reinterpret_cast<const uint8_t*>(head.data()), head.size(), &s, nullptr, nullptr))
    return std::nullopt;
  return PictureSize{s.frame.width, s.frame.height};
}

bool DecodeJpegEighth(std::string_view file, std::vector<uint32_t>* pixels, PictureSize* size) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(file.data());
  State s;
  std::array<int, 3> order{};
  size_t dataStart = 0;
  if (!ReadSegments(p, file.size(), &s, &order, &dataStart)) return false;
  Frame& f = s.frame;
  const PictureSize eighth = EighthSize(PictureSize{f.width, f.height});
  const uint32_t outWidth = eighth.width, outHeight = eighth.height;
  const uint32_t unitW = 8 * static_cast<uint32_t>(f.hMax), unitH = 8 * static_cast<uint32_t>(f.vMax);
  const uint32_t mcuX = (f.width + unitW - 1) / unitW, mcuY = (f.height + unitH - 1) / unitH;
  for (int i = 0; i < f.count; ++i) {
    Component& c = f.components[static_cast<size_t>(i)];
    c.planeWidth = static_cast<size_t>(mcuX) * static_cast<size_t>(c.h);
    c.means.assign(c.planeWidth * mcuY * static_cast<size_t>(c.v), 0);
  }
  BitReader r(p, file.size(), dataStart);
  uint32_t left = s.restartInterval;
  int restarts = 0;
  for (uint32_t my = 0; my < mcuY; ++my) {
    for (uint32_t mx = 0; mx < mcuX; ++mx) {
      if (s.restartInterval) {
        if (left == 0) {
          if (!r.Restart(restarts++)) return false;
          for (int i = 0; i < f.count; ++i) f.components[static_cast<size_t>(i)].predicted = 0;
          left = s.restartInterval;
        }
        --left;
      }
      for (int i = 0; i < f.count; ++i) {
        Component& c = f.components[static_cast<size_t>(order[static_cast<size_t>(i)])];
        const Huffman& dc = s.dc[static_cast<size_t>(c.dcTable)];
        const Huffman& ac = s.ac[static_cast<size_t>(c.acTable)];
        for (int by = 0; by < c.v; ++by)
          for (int bx = 0; bx < c.h; ++bx) {
            const size_t row = static_cast<size_t>(my) * static_cast<size_t>(c.v) + static_cast<size_t>(by);
            const size_t col = static_cast<size_t>(mx) * static_cast<size_t>(c.h) + static_cast<size_t>(bx);
            if (!DecodeBlock(r, dc, ac, &c, &c.means[row * c.planeWidth + col])) return false;
          }
      }
      if (r.UsedPadding()) return false;
    }
  }
  pixels->assign(static_cast<size_t>(outWidth) * outHeight, 0);
  // A component sampled at half the rate has one block for two of the picture's.
  auto mean = [&](int i, uint32_t x, uint32_t y) {
    const Component& c = f.components[static_cast<size_t>(i)];
    const size_t row = static_cast<size_t>(y) * static_cast<size_t>(c.v) / static_cast<size_t>(f.vMax);
    const size_t col = static_cast<size_t>(x) * static_cast<size_t>(c.h) / static_cast<size_t>(f.hMax);
    return static_cast<int>(c.means[row * c.planeWidth + col]);
  };
  uint32_t* out = pixels->data();
  for (uint32_t y = 0; y < outHeight; ++y)
    for (uint32_t x = 0; x < outWidth; ++x)
      *out++ = f.count == 1 ? 0xFF000000u | 0x010101u * static_cast<uint32_t>(mean(0, x, y))
                            : RGB(mean(0, x, y), mean(1, x, y), mean(2, x, y));
  *size = eighth;
  return true;
}

}  // namespace dz
