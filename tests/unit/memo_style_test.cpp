#include "core/memo_style.h"

#include <gtest/gtest.h>

#include <string>

#include "core/keys.h"
#include "fake_fs.h"

namespace dz {
namespace {

class MemoStyleTest : public ::testing::Test {
 protected:
  void File(const std::string& body) { fs.Put(kPath, "[ChildWindow]\r\n" + body); }
  std::string Key(const std::string& key) { return cat.Read(kSecMemos, key, "<absent>", 8191); }
  static constexpr const char* kPath = "data/data1.dat";
  test::FakeFileSystem fs;
  SettingsFile cat{fs, kPath};
};

TEST_F(MemoStyleTest, FlagsFollowTheRulesOfWindowCreation) {
  // Missing keys: topmost and framed.
  StyleFlags f = ReadStyleFlags(cat, 0);
  EXPECT_TRUE(f.topmost);
  EXPECT_TRUE(f.framed);

  File("0WindowLebel=1\r\n0Style=0\r\n");
  f = ReadStyleFlags(cat, 0);
  EXPECT_FALSE(f.topmost);
  EXPECT_FALSE(f.framed);

  // Hand-edited values: no number is 0 (topmost); a style other than 1 makes
  // a frameless window, so it must not show the frame as checked.
  File("0WindowLebel=abc\r\n0Style=2\r\n1WindowLebel= -3\r\n1Style= 1x\r\n");
  f = ReadStyleFlags(cat, 0);
  EXPECT_TRUE(f.topmost);
  EXPECT_FALSE(f.framed);
  f = ReadStyleFlags(cat, 1);
  EXPECT_FALSE(f.topmost);
  EXPECT_TRUE(f.framed);
  // Each memo reads its own keys.
  f = ReadStyleFlags(cat, 2);
  EXPECT_TRUE(f.topmost && f.framed);
}

TEST_F(MemoStyleTest, FontKeysAreOneReplacementInTheirOrder) {
  File("No=1\r\n0Text=keep\r\n0Font=old\r\n");
  FontSpec font;
  font.face = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";  // a Japanese face, Shift_JIS
  font.height = -27;
  font.italic = true;
  font.underline = false;
  font.strikeout = true;
  ASSERT_TRUE(WriteFontKeys(cat, 0, font, 0x00FF8000));
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(fs.files[kPath], "[ChildWindow]\r\nNo=1\r\n0Text=keep\r\n0Font=" + font.face +
                                 "\r\n0FontColor=16744448\r\n0FontHeight=-27\r\n0UnderLine=0\r\n"
                                 "0Italic=1\r\n0OnLine=1\r\n");

  // A file that cannot be written keeps what it had, and says so.
  fs.failReplace = true;
  font.face = "Other";
  EXPECT_FALSE(WriteFontKeys(cat, 0, font, 1));
  EXPECT_EQ(Key("0Font"), "\x82\x6c\x82\x72 \x96\xbe\x92\xa9");
  EXPECT_EQ(Key("0FontColor"), "16744448");
}

TEST_F(MemoStyleTest, TemplateCopiesTheMemoAsStoredWithItsOuterRectangle) {
  File("No=2\r\n1WindowLebel=1\r\n1FontColor=255\r\n1Style=0\r\n1x=5\r\n1y=6\r\n1h=7\r\n1l=8\r\n"
       "1Font=Arial\r\n1FontHeight=-20\r\n1Italic=1\r\n1UnderLine=1\r\n1OnLine=1\r\n"
       "1Back=C:\\pictures\\a long name.png\r\n1Color1=1\r\n1Color2=2\r\n1Color3=3\r\n1GradMode=2\r\n"
       "1Text=not copied\r\n1Brows=1\r\n1BroURL=http://x/\r\n");
  ASSERT_TRUE(CopyStyleToTemplate(cat, 1, Placement{-10, 20, 300, 150}));
  EXPECT_EQ(fs.replaceCalls, 1);
  const std::string& bytes = fs.files[kPath];
  const std::string expected =
      "TemplateWindowLebel=1\r\nTemplateFontColor=255\r\nTemplateStyle=0\r\nTemplatex=-10\r\n"
      "Templatey=20\r\nTemplateh=300\r\nTemplatel=150\r\nTemplateFont=Arial\r\nTemplateFontHeight=-20\r\n"
      "TemplateItalic=1\r\nTemplateUnderLine=1\r\nTemplateOnLine=1\r\n"
      "TemplateBack=C:\\pictures\\a long name.png\r\nTemplateColor1=1\r\nTemplateColor2=2\r\n"
      "TemplateColor3=3\r\nTemplateGradMode=2\r\n";
  ASSERT_GE(bytes.size(), expected.size());
  EXPECT_EQ(bytes.substr(bytes.size() - expected.size()), expected);
  EXPECT_EQ(bytes.find("Template"), bytes.size() - expected.size()) << "no other template key";
  EXPECT_EQ(bytes.find("TemplateText"), std::string::npos);
}

TEST_F(MemoStyleTest, TemplateOfAMemoWithoutKeysLooksLikeTheMemo) {
  File("No=1\r\nTemplateBack=2\r\nTemplateColor1=77\r\n");
  ASSERT_TRUE(CopyStyleToTemplate(cat, 0, Placement{1, 2, 3, 4}));
  EXPECT_EQ(Key("TemplateWindowLebel"), "0");
  EXPECT_EQ(Key("TemplateStyle"), "1");
  EXPECT_EQ(Key("TemplateFontColor"), "0");
  EXPECT_EQ(Key("TemplateFont"), kDefaultFace);
  EXPECT_EQ(Key("TemplateFontHeight"), "15");
  EXPECT_EQ(Key("TemplateItalic"), "0");
  EXPECT_EQ(Key("TemplateUnderLine"), "0");
  EXPECT_EQ(Key("TemplateOnLine"), "0");
  // Painted transparent without "%dBack"; black without "%dColor1".
  EXPECT_EQ(Key("TemplateBack"), "3");
  EXPECT_EQ(Key("TemplateColor1"), "");
  EXPECT_EQ(Key("TemplateColor2"), "0");
  EXPECT_EQ(Key("TemplateColor3"), "0");
  EXPECT_EQ(Key("TemplateGradMode"), "0");
  EXPECT_EQ(Key("Templateh"), "3");
  EXPECT_EQ(Key("Templatel"), "4");

  fs.failReplace = true;
  EXPECT_FALSE(CopyStyleToTemplate(cat, 0, Placement{9, 9, 9, 9}));
  EXPECT_EQ(Key("Templatex"), "1");
}

TEST(FaceName, CutNeverSplitsASurrogatePair) {
  const std::u16string bmp = u"ＭＳ ゴシック";
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(bmp), 31), bmp.size());
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(bmp), 3), 3u);
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(bmp), 0), 0u);

  std::u16string face(30, u'a');
  face += u"\U0002000B";  // two code units at 30 and 31
  face += u"b";
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(face), 31), 30u);  // the pair does not fit
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(face), 32), 32u);  // it does
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(face), 33), 33u);  // all of it
  // A lone low surrogate is not the end of a pair that could be split.
  std::u16string odd(31, u'a');
  odd[30] = 0xDC00;
  odd += u"cd";
  EXPECT_EQ(Utf16PrefixLen(std::u16string_view(odd), 31), 31u);
}

}  // namespace
}  // namespace dz
