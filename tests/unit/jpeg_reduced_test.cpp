#include "core/jpeg_reduced.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dz {
namespace {

// Made once from solid squares and blocks with a known mean; see data/jpeg.
std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(DEREZIZ_UNIT_DATA) + "/jpeg/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Rgb {
  int r, g, b;
};
constexpr Rgb kRed{220, 30, 40}, kGreen{40, 200, 60}, kBlue{30, 60, 210}, kYellow{240, 220, 50};
Rgb Grey(int level) { return {level, level, level}; }

// Four 16 x 16 squares read at an eighth: 4 x 4 pixels, a colour per quarter.
std::vector<Rgb> Quarters(Rgb tl, Rgb tr, Rgb bl, Rgb br) {
  std::vector<Rgb> out;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) out.push_back(y < 2 ? (x < 2 ? tl : tr) : (x < 2 ? bl : br));
  return out;
}
const std::vector<Rgb> kFourColours = Quarters(kRed, kGreen, kBlue, kYellow);

// Every occurrence of `marker` (two bytes) gets `before` put in front.
std::string InsertBefore(std::string s, const std::string& marker, const std::string& before) {
  for (size_t at = s.find(marker); at != std::string::npos; at = s.find(marker, at + before.size() + 2))
    s.insert(at, before);
  return s;
}
// The byte `offset` bytes after the first `marker` set to v.
std::string Patch(std::string s, const std::string& marker, size_t offset, char v) {
  s[s.find(marker) + offset] = v;
  return s;
}
std::string Adobe(std::string s, char transform) {
  return s.insert(2, std::string("\xFF\xEE\x00\x0E" "Adobe\x00\x64\x00\x00\x00\x00", 15) + transform);
}

struct DecodeCase {
  const char* name;
  std::string file;
  PictureSize size;
  std::vector<Rgb> pixels;
  int tolerance;  // what quantising a flat block's mean may cost
};

TEST(JpegEighth, EachBlockBecomesOnePixelOfItsMeanColour) {
  const std::string restarts = Fixture("yuv420_restarts.jpg");
  const std::vector<DecodeCase> cases = {
      {"grey", Fixture("grey.jpg"), {4, 4}, Quarters(Grey(40), Grey(200), Grey(120), Grey(240)), 2},
      {"4:4:4", Fixture("yuv444.jpg"), {4, 4}, kFourColours, 2},
      {"4:2:2", Fixture("yuv422.jpg"), {4, 4}, kFourColours, 2},
      {"4:2:0", Fixture("yuv420.jpg"), {4, 4}, kFourColours, 2},
      {"restart markers", restarts, {4, 4}, kFourColours, 2},
      {"fill bytes before markers", InsertBefore(InsertBefore(restarts, "\xFF\xDA", "\xFF\xFF"), "\xFF\xD1", "\xFF"),
       {4, 4}, kFourColours, 2},
      {"extended frame with 16-bit tables", Fixture("coarse_16bit_tables.jpg"), {4, 4}, kFourColours, 12},
      {"Adobe marker saying YCbCr", Adobe(Fixture("yuv444.jpg"), 1), {4, 4}, kFourColours, 2},
      {"size not a whole number of blocks", Fixture("yuv420_20x12.jpg"), {3, 2}, std::vector<Rgb>(6, kGreen), 2},
      // Noisy blocks: the means of a full decode of the same file.
      {"texture within each block", Fixture("grey_texture.jpg"), {4, 2},
       {Grey(146), Grey(161), Grey(98), Grey(137), Grey(143), Grey(78), Grey(131), Grey(118)}, 2},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> pixels;
    PictureSize size;
    ASSERT_TRUE(DecodeJpegEighth(c.file, &pixels, &size));
    const std::optional<PictureSize> declared = HandledJpegSize(c.file);
    ASSERT_TRUE(declared);
    EXPECT_EQ(EighthSize(*declared), c.size);
    ASSERT_EQ(size, c.size);
    ASSERT_EQ(pixels.size(), c.pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
      const uint32_t p = pixels[i];
      const int got[3] = {static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255), static_cast<int>(p & 255)};
      const int want[3] = {c.pixels[i].r, c.pixels[i].g, c.pixels[i].b};
      EXPECT_EQ(p >> 24, 255u) << "pixel " << i;
      for (int k = 0; k < 3; ++k)
        EXPECT_LE(std::abs(got[k] - want[k]), c.tolerance) << "pixel " << i << " channel " << k << ": " << got[k];
    }
  }
}

TEST(JpegEighth, WhatItDoesNotReadFullyIsLeftToOthers) {
  const std::string yuv420 = Fixture("yuv420.jpg"), restarts = Fixture("yuv420_restarts.jpg");
  std::string overfull = yuv420;
  // The first code table, its sixteen counts all moved to length 1.
  const size_t counts = yuv420.find("\xFF\xC4") + 5;
  int total = 0;
  for (size_t k = 0; k < 16; ++k) {
    total += static_cast<unsigned char>(overfull[counts + k]);
    overfull[counts + k] = 0;
  }
  overfull[counts] = static_cast<char>(total);
  ASSERT_GT(total, 2);
  std::string noRestart = restarts;
  noRestart.erase(noRestart.find("\xFF\xD1"), 2);
  const struct {
    const char* name;
    std::string file;
  } cases[] = {
      {"progressive", Fixture("progressive.jpg")},
      {"arithmetic-coded", Patch(yuv420, "\xFF\xC0", 1, '\xC9')},
      {"12-bit samples", Patch(yuv420, "\xFF\xC0", 4, 12)},
      {"larger than the picture limit", Patch(Patch(yuv420, "\xFF\xC0", 5, '\xFF'), "\xFF\xC0", 7, '\xFF')},
      {"RGB by its Adobe marker", Adobe(Fixture("yuv444.jpg"), 0)},
      {"over-full code table", overfull},
      {"cut short in its data", yuv420.substr(0, yuv420.size() - 12)},
      {"cut short before its data", yuv420.substr(0, yuv420.find("\xFF\xDA") + 6)},
      {"a restart marker missing", noRestart},
      {"restart markers out of turn", Patch(restarts, "\xFF\xD1", 1, '\xD2')},
      {"not a JPEG", std::string("\x89PNG\r\n\x1a\n", 8)},
      {"empty", std::string()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> pixels;
    PictureSize size;
    EXPECT_FALSE(DecodeJpegEighth(c.file, &pixels, &size));
  }
  // The size is known from the frame header alone, before any table.
  EXPECT_EQ(HandledJpegSize(yuv420.substr(0, yuv420.find("\xFF\xC0") + 19)), (PictureSize{32, 32}));
  EXPECT_EQ(HandledJpegSize(yuv420.substr(0, yuv420.find("\xFF\xC0") + 18)), std::nullopt);
  EXPECT_EQ(HandledJpegSize(Fixture("progressive.jpg")), std::nullopt);
}

}  // namespace
}  // namespace dz
