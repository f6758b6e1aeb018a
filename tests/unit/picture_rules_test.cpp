#include "core/picture_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dz {
namespace {

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string Le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string Be16(uint32_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }

std::string Png(uint32_t w, uint32_t h) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(w) + Be32(h) + std::string("\x08\x02\0\0\0", 5);
}
// A JPEG whose frame header follows an application segment of `app` bytes.
std::string Jpeg(uint32_t w, uint32_t h, size_t app, char frame = '\xC0') {
  return std::string("\xFF\xD8", 2) + "\xFF\xE1" + Be16(static_cast<uint32_t>(app + 2)) + std::string(app, 'x') +
         "\xFF\xC4" + Be16(4) + "ab" + "\xFF" + frame + Be16(11) + "\x08" + Be16(h) + Be16(w) + "\x01" + "abc";
}
std::string Bmp(int32_t w, int32_t h) {
  return "BM" + Le32(0) + Le32(0) + Le32(54) + Le32(40) + Le32(static_cast<uint32_t>(w)) +
         Le32(static_cast<uint32_t>(h)) + Le16(1) + Le16(24);
}
std::string TiffLe(uint32_t w, uint32_t h) {
  // Header, then one directory of three entries: width (short), height (long), and one more.
  return std::string("II*\0", 4) + Le32(8) + Le16(3) + Le16(256) + Le16(3) + Le32(1) + Le16(w) + Le16(0) + Le16(257) +
         Le16(4) + Le32(1) + Le32(h) + Le16(259) + Le16(3) + Le32(1) + Le32(1);
}

struct SizeCase {
  const char* name;
  std::string head;
  PictureFormat format;
  std::optional<PictureSize> size;
};

TEST(PictureRules, DeclaredSizeIsReadFromEachFormatsHeader) {
  const std::vector<SizeCase> cases = {
      {"png", Png(4000, 3000), PictureFormat::kPng, PictureSize{4000, 3000}},
      {"png bomb", Png(20000, 20000), PictureFormat::kPng, PictureSize{20000, 20000}},
      {"png cut short", Png(10, 10).substr(0, 20), PictureFormat::kPng, std::nullopt},
      {"png without IHDR first", Png(10, 10).replace(12, 4, "IDAT"), PictureFormat::kPng, std::nullopt},
      {"png of zero width", Png(0, 10), PictureFormat::kPng, std::nullopt},
      {"jpeg after a long segment", Jpeg(4032, 3024, 60000), PictureFormat::kJpeg, PictureSize{4032, 3024}},
      {"progressive jpeg", Jpeg(640, 480, 10, '\xC2'), PictureFormat::kJpeg, PictureSize{640, 480}},
      {"jpeg cut before its frame", Jpeg(640, 480, 100).substr(0, 60), PictureFormat::kJpeg, std::nullopt},
      {"jpeg with a broken marker", std::string("\xFF\xD8\xFF\xE0\x00\x10", 6) + std::string(14, 'x') + "zz",
       PictureFormat::kJpeg, std::nullopt},
      {"gif", std::string("GIF89a") + Le16(320) + Le16(200), PictureFormat::kGif, PictureSize{320, 200}},
      {"bmp bottom-up", Bmp(2, 3), PictureFormat::kBmp, PictureSize{2, 3}},
      {"bmp top-down", Bmp(7, -5), PictureFormat::kBmp, PictureSize{7, 5}},
      {"bmp of negative width", Bmp(-7, 5), PictureFormat::kBmp, std::nullopt},
      {"tiff", TiffLe(1200, 900), PictureFormat::kTiff, PictureSize{1200, 900}},
      {"tiff whose directory lies beyond", TiffLe(1200, 900).substr(0, 20), PictureFormat::kTiff, std::nullopt},
      {"text", "this is not a picture", PictureFormat::kUnknown, std::nullopt},
      {"empty", "", PictureFormat::kUnknown, std::nullopt},
  };
  for (const SizeCase& c : cases) {
    const DeclaredPicture d = DeclaredSize(c.head);
    EXPECT_EQ(d.format, c.format) << c.name;
    EXPECT_EQ(d.size.has_value(), c.size.has_value()) << c.name;
    if (d.size && c.size) {
      EXPECT_EQ(*d.size, *c.size) << c.name << ": " << d.size->width << "x" << d.size->height;
    }
  }
}

TEST(PictureRules, PhotosAndPanoramasAreDecodedBombsAndBrokenHeadersAreNot) {
  struct Case {
    DeclaredPicture declared;
    PictureVerdict verdict;
  };
  const std::vector<Case> cases = {
      {{PictureFormat::kJpeg, PictureSize{4000, 3000}}, PictureVerdict::kDecode},     // 12 MP photo
      {{PictureFormat::kJpeg, PictureSize{40000, 2500}}, PictureVerdict::kDecode},    // 100 MP panorama
      {{PictureFormat::kPng, PictureSize{16000, 8000}}, PictureVerdict::kDecode},     // exactly 128 MP
      {{PictureFormat::kPng, PictureSize{16000, 8001}}, PictureVerdict::kTooLarge},   // one row more
      {{PictureFormat::kPng, PictureSize{20000, 20000}}, PictureVerdict::kTooLarge},
      {{PictureFormat::kPng, PictureSize{65536, 10}}, PictureVerdict::kTooLarge},     // a side too long
      {{PictureFormat::kPng, PictureSize{65535, 10}}, PictureVerdict::kDecode},
      {{PictureFormat::kPng, std::nullopt}, PictureVerdict::kUnreadable},
      {{PictureFormat::kUnknown, std::nullopt}, PictureVerdict::kDecode},  // icons, metafiles: the decoder decides
  };
  for (const Case& c : cases) {
    const PictureSize s = c.declared.size.value_or(PictureSize{});
    EXPECT_EQ(JudgePicture(c.declared), c.verdict) << s.width << "x" << s.height;
  }
}

TEST(PictureRules, DecodeSizeShrinksEachSideToTheMemoAndNeverEnlarges) {
  struct Case {
    PictureSize source, target, want;
  };
  const std::vector<Case> cases = {
      {{4000, 3000}, {110, 80}, {110, 80}},
      {{2, 2}, {200, 150}, {2, 2}},          // enlarged when drawn, not decoded larger
      {{4000, 50}, {110, 80}, {110, 50}},     // each side on its own
      {{4000, 3000}, {0, 0}, {1, 1}},         // a memo of no area
      {{110, 80}, {110, 80}, {110, 80}},
  };
  for (const Case& c : cases) {
    const PictureSize got = DecodeSize(c.source, c.target);
    EXPECT_EQ(got, c.want) << c.source.width << "x" << c.source.height << " for " << c.target.width << "x"
                           << c.target.height << ": " << got.width << "x" << got.height;
  }
}

TEST(PictureRules, OneDecodeIsSharedOnlyByTheSameFileAsItIsNow) {
  const PictureKey base{L"C:\\Pictures\\Photo.jpg", 1000, 5000};
  struct Case {
    PictureKey other;
    bool same;
  };
  const std::vector<Case> cases = {
      {{L"C:\\Pictures\\Photo.jpg", 1000, 5000}, true},
      {{L"c:\\pictures\\PHOTO.JPG", 1000, 5000}, true},  // the file system ignores letter case
      {{L"C:\\Pictures\\Photo.jpg", 1001, 5000}, false},  // written again
      {{L"C:\\Pictures\\Photo.jpg", 1000, 5001}, false},  // same time, other length
      {{L"C:\\Pictures\\Photo2.jpg", 1000, 5000}, false},
      {{L"C:\\Pictures\\Phot.jpg", 1000, 5000}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameDecode(base, c.other), c.same) << std::string(c.other.path.begin(), c.other.path.end());
}

TEST(PictureRules, ShrinkingAveragesTheSourcePixelsOfEachTargetPixel) {
  struct Case {
    const char* name;
    PictureSize source, target;
    std::vector<uint32_t> pixels, want;
  };
  const uint32_t k = 0xFF000000, w = 0xFFFFFFFF, red = 0xFFFF0000;
  const std::vector<Case> cases = {
      {"2x2 black and white to one grey", {2, 2}, {1, 1}, {k, w, w, k}, {0xFF808080}},
      {"4x2 to 2x1 keeps left and right", {4, 2}, {2, 1}, {red, red, w, w, red, red, w, w}, {red, w}},
      {"3x1 to 2x1 unequal shares", {3, 1}, {2, 1}, {k, w, w}, {0xFF808080, w}},
      {"same size copies", {2, 1}, {2, 1}, {red, w}, {red, w}},
      {"larger target keeps the source size", {1, 2}, {10, 10}, {red, w}, {red, w}},
      {"transparent stays transparent", {2, 1}, {1, 1}, {0, 0}, {0}},
  };
  for (const Case& c : cases) {
    PictureShrinker s(c.source, c.target);
    for (uint32_t y = 0; y < c.source.height; ++y) s.AddRow(&c.pixels[static_cast<size_t>(y) * c.source.width]);
    EXPECT_EQ(s.pixels(), c.want) << c.name;
  }
}

TEST(PictureRules, ShrinkingTwelveMegapixelsKeepsOnlyTheResult) {
  PictureShrinker s({4000, 3000}, {110, 80});
  std::vector<uint32_t> row(4000);
  for (uint32_t y = 0; y < 3000; ++y) {
    for (uint32_t x = 0; x < 4000; ++x) row[x] = x < 2000 ? 0xFF0000FFu : 0xFF00FF00u;
    s.AddRow(row.data());
  }
  ASSERT_EQ(s.pixels().size(), 110u * 80u);
  EXPECT_EQ(s.pixels()[0], 0xFF0000FFu);
  EXPECT_EQ(s.pixels()[109], 0xFF00FF00u);
  EXPECT_EQ(s.pixels()[79 * 110 + 54], 0xFF0000FFu);  // column 54 takes source columns 1964..1999
  EXPECT_EQ(s.pixels()[79 * 110 + 55], 0xFF00FF00u);
}

TEST(PictureRules, StretchingBlendsBetweenPixelCentresAndHoldsTheEdges) {
  const uint32_t k = 0xFF000000, w = 0xFFFFFFFF;
  struct Case {
    const char* name;
    PictureSize from, to;
    std::vector<uint32_t> pixels, want;
  };
  const std::vector<Case> cases = {
      // Centres of 1x4 over 2 source pixels: 0.125, 0.375, 0.625, 0.875 of
      // the way -> the outer two hold the edge colours, the inner two blend.
      {"two to four", {2, 1}, {4, 1}, {k, w}, {k, 0xFF404040, 0xFFBFBFBF, w}},
      {"one pixel fills everything", {1, 1}, {3, 2}, {w}, {w, w, w, w, w, w}},
      {"same size copies exactly", {2, 2}, {2, 2}, {k, w, w, k}, {k, w, w, k}},
      {"rows blend, columns copied", {1, 2}, {1, 4}, {k, w}, {k, 0xFF404040, 0xFFBFBFBF, w}},
      {"damaged input gives transparent", {4, 4}, {1, 1}, {k}, {0}},
  };
  for (const Case& c : cases) EXPECT_EQ(StretchSmooth(c.pixels, c.from, c.to), c.want) << c.name;
}

TEST(PictureRules, TransparentPartsShowWhite) {
  struct Case {
    uint32_t pixel, want;
  };
  const std::vector<Case> cases = {
      {0x00000000, 0xFFFFFFFF},  // clear
      {0xFF0000FF, 0xFF0000FF},  // opaque blue
      {0x80000080, 0xFF7F7FFF},  // half-clear blue, premultiplied
  };
  for (const Case& c : cases) EXPECT_EQ(OverWhite(c.pixel), c.want) << std::hex << c.pixel;
}

TEST(PictureRules, AClipboardPictureNeverTakesTheFileOfAnotherMemo) {
  const std::string dir = "C:\\Memo\\data\\data1";
  struct Case {
    int n;
    std::vector<std::string> inUse;
    const char* want;
  };
  const std::vector<Case> cases = {
      {4, {}, "Bit4.png"},
      {1, {dir + "\\Bit2.png", "C:\\elsewhere\\Bit1.png"}, "Bit1.png"},
      // Memo 1 renumbered to 0 still shows Bit1.png; letter case does not make another file.
      {1, {dir + "\\bit1.PNG"}, "Bit1-2.png"},
      {1, {dir + "\\Bit1.png", dir + "\\Bit1-2.png"}, "Bit1-3.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(ClipboardPictureName(dir, c.n, c.inUse), c.want) << c.n;
}

}  // namespace
}  // namespace dz
