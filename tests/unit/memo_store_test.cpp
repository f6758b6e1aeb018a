#include "core/memo_store.h"

#include <gtest/gtest.h>

#include "core/keys.h"
#include "fake_fs.h"
#include "ini_lines.h"

namespace dz {
namespace {

class MemoStoreTest : public ::testing::Test {
 protected:
  std::string Key(int n, const char* p) { return cat.Read(kSecMemos, MemoKey(n, p), "<absent>", 8191); }
  bool Has(int n, const char* p) { return cat.Get(kSecMemos, MemoKey(n, p)).has_value(); }
  test::FakeFileSystem fs;
  SettingsFile cat{fs, "data/data1.dat"};
};

TEST_F(MemoStoreTest, TemplateDefaultsGiveAWhiteFramedTopmostMemo) {
  NewMemo m = ApplyTemplate(cat, "", "id0");
  EXPECT_EQ(m.number, 0);
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(m.font.face, kDefaultFace);
  EXPECT_EQ(m.font.height, 15);
  EXPECT_FALSE(m.font.italic || m.font.underline || m.font.strikeout);
  EXPECT_EQ(m.style, 1);
  EXPECT_EQ(m.place.x, 0);
  EXPECT_EQ(m.place.y, 0);
  EXPECT_EQ(m.place.w, 100);
  EXPECT_EQ(m.place.h, 100);
  EXPECT_EQ(m.windowLevel, 0);
  const std::string expected = std::string("[ChildWindow]\r\n0FontColor=0\r\n0Font=") + kDefaultFace +
                               "\r\n0FontHeight=15\r\n0Italic=0\r\n0UnderLine=0\r\n0OnLine=0\r\n"
                               "0Style=1\r\n0x=0\r\n0y=0\r\n0h=100\r\n0l=100\r\n0Back=1\r\n"
                               "0Color1=16777215\r\n0Color2=16777215\r\n0Color3=16777215\r\n"
                               "0GradMode=0\r\n0Text=\r\n0WindowLebel=0\r\n0Id=id0\r\nNo=1\r\n";
  EXPECT_EQ(fs.files["data/data1.dat"], expected);
  EXPECT_FALSE(Has(0, "Brows"));
  EXPECT_FALSE(Has(0, "BroURL"));
}

TEST_F(MemoStoreTest, TemplateKeysAreCopied) {
  fs.Put("data/data1.dat",
         "[ChildWindow]\r\nNo=3\r\nTemplateFontColor=255\r\nTemplateFont=Arial\r\nTemplateFontHeight=-20\r\n"
         "TemplateItalic=1\r\nTemplateUnderLine=1\r\nTemplateOnLine=1\r\nTemplateStyle=0\r\n"
         "Templatex=10\r\nTemplatey=20\r\nTemplateh=300\r\nTemplatel=200\r\nTemplateBack=C:\\pic.png\r\n"
         "TemplateColor1=1\r\nTemplateColor2=2\r\nTemplateColor3=3\r\nTemplateGradMode=2\r\n"
         "TemplateWindowLebel=1\r\n");
  NewMemo m = ApplyTemplate(cat, "a$$b", "id3");
  EXPECT_EQ(m.number, 3);  // after the file's last memo
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(m.font.face, "Arial");
  EXPECT_EQ(m.font.height, -20);
  EXPECT_TRUE(m.font.italic && m.font.underline && m.font.strikeout);
  EXPECT_EQ(m.style, 0);
  EXPECT_EQ(m.place.x, 10);
  EXPECT_EQ(m.place.y, 20);
  EXPECT_EQ(m.place.w, 300);
  EXPECT_EQ(m.place.h, 200);
  EXPECT_EQ(m.windowLevel, 1);
  EXPECT_EQ(Key(3, "FontColor"), "255");
  EXPECT_EQ(Key(3, "Back"), "C:\\pic.png");
  EXPECT_EQ(Key(3, "Color1"), "1");
  EXPECT_EQ(Key(3, "Color2"), "2");
  EXPECT_EQ(Key(3, "Color3"), "3");
  EXPECT_EQ(Key(3, "GradMode"), "2");
  EXPECT_EQ(Key(3, "Text"), "a$$b");
  EXPECT_EQ(Key(3, "WindowLebel"), "1");
  EXPECT_EQ(Key(3, "Id"), "id3");
  EXPECT_EQ(cat.Read(kSecMemos, "No", ""), "4");
}

TEST_F(MemoStoreTest, LoadTableClampsTheCount) {
  const char* counts[] = {"-5", "101", "abc", "100", "2", "", " +3x"};
  const int expected[] = {0, 100, 0, 100, 2, 0, 3};
  for (int i = 0; i < 7; ++i) {
    fs.Put("data/data1.dat", std::string("[ChildWindow]\r\nNo=") + counts[i] + "\r\n");
    LoadedTable t = LoadTable(cat, kDefaultHomePage);
    EXPECT_EQ(t.count, expected[i]) << counts[i];
    EXPECT_EQ(t.memos.size(), static_cast<size_t>(expected[i]));
  }
}

// An unreadable count must not hide memos that the file holds: the next new
// memo would be written over memo 0.
TEST_F(MemoStoreTest, LoadTableCountsStoredMemosWhenTheCountIsUnreadable) {
  const std::string memos = "0x=1\r\n0Text=a\r\n1Text=b\r\n2x=3\r\n4x=9\r\n5WindowLebel=1\r\n";
  for (const char* no : {"-3", "abc", "", "-"}) {
    fs.Put("data/data1.dat", std::string("[ChildWindow]\r\nNo=") + no + "\r\n" + memos);
    EXPECT_EQ(LoadTable(cat, kDefaultHomePage).count, 3) << no;  // 0..2; memo 3 is missing
  }
  fs.Put("data/data1.dat", "[ChildWindow]\r\n" + memos);
  EXPECT_EQ(LoadTable(cat, kDefaultHomePage).count, 0) << "no count at all is an empty category";
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=0\r\n" + memos);
  EXPECT_EQ(LoadTable(cat, kDefaultHomePage).count, 0) << "a real 0 is kept";
}

TEST_F(MemoStoreTest, LoadTableReadsValuesAndDefaults) {
  fs.Put("data/data1.dat",
         "[Xdata]\r\nNo0=10\r\nNo99=-20\r\n[Ydata]\r\nNo5=30\r\n[ChildWindow]\r\nNo=2\r\nCustColor15=16777215\r\n"
         "0x=5\r\n0y=6\r\n0h=7\r\n0l=8\r\n0Style=2\r\n0Brows=1\r\n0BroURL=http://example.com/\r\n"
         "0WindowLebel=1\r\n0Font=Arial\r\n0FontHeight=-12\r\n0Italic=1\r\n");
  LoadedTable t = LoadTable(cat, "about:blank");
  ASSERT_EQ(t.count, 2);
  EXPECT_EQ(t.vOffset[0], 10);
  EXPECT_EQ(t.vOffset[99], -20);
  EXPECT_EQ(t.vOffset[1], 0);
  EXPECT_EQ(t.hOffset[5], 30);
  EXPECT_EQ(t.custColors[15], 16777215u);
  EXPECT_EQ(t.custColors[0], 0u);
  const LoadedMemo& a = t.memos[0];
  EXPECT_EQ(a.place.x, 5);
  EXPECT_EQ(a.place.h, 8);
  EXPECT_EQ(a.style, 2);
  EXPECT_EQ(a.brows, 1);
  EXPECT_EQ(a.broUrl, "http://example.com/");
  EXPECT_EQ(a.windowLevel, 1);
  EXPECT_EQ(a.font.face, "Arial");
  EXPECT_EQ(a.font.height, -12);
  EXPECT_TRUE(a.font.italic);
  const LoadedMemo& b = t.memos[1];  // no keys at all
  EXPECT_EQ(b.place.x, 0);
  EXPECT_EQ(b.place.w, 100);
  EXPECT_EQ(b.place.h, 100);
  EXPECT_EQ(b.style, 1);
  EXPECT_EQ(b.brows, 0);
  EXPECT_EQ(b.broUrl, "about:blank");
  EXPECT_EQ(b.font.face, kDefaultFace);
  EXPECT_EQ(b.font.height, 15);
}

TEST_F(MemoStoreTest, LoadTableReadsALongBrowserAddressWhole) {
  const std::string url = "http://example.com/" + std::string(600, 'p') + "?q=1";
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=1\r\n0Brows=1\r\n0BroURL=" + url + "\r\n");
  LoadedTable t = LoadTable(cat, kDefaultHomePage);
  ASSERT_EQ(t.count, 1);
  EXPECT_EQ(t.memos[0].broUrl, url);
}

using test::kMemoProperties;

TEST_F(MemoStoreTest, DeletingTheFirstOfThreeMovesEveryKeyDown) {
  // Every value names its memo, so a wrong move shows.
  const std::string longText(8191, 'T');
  std::string file = "[ChildWindow]\r\nNo=3\r\n";
  for (int n = 0; n < 3; ++n)
    for (const char* p : kMemoProperties) {
      std::string v = std::to_string(n) + "-" + p;
      if (std::string(p) == "Text") v = n == 1 ? longText + "$$x" : n == 2 ? "\x83\x5c$`" : v;
      file += MemoKey(n, p) + "=" + v + "\r\n";
    }
  fs.Put("data/data1.dat", file);

  ASSERT_TRUE(RenumberAfterDelete(cat, 0, 3));
  EXPECT_EQ(fs.replaceCalls, 1);
  for (const char* p : kMemoProperties) {
    if (std::string(p) == "Text") continue;
    EXPECT_EQ(Key(0, p), std::string("1-") + p);
    EXPECT_EQ(Key(1, p), std::string("2-") + p);
  }
  EXPECT_EQ(cat.Get(kSecMemos, "0Text"), longText + "$$x");  // moved whole, not cut
  EXPECT_EQ(Key(1, "Text"), "\x83\x5c$`");
  for (const char* p : kMemoProperties) {
    if (std::string(p) == "WindowLebel")
      EXPECT_EQ(Key(2, p), "2-WindowLebel");  // creation rewrites it
    else
      EXPECT_FALSE(Has(2, p)) << p;
  }
  EXPECT_EQ(Key(0, "Text").size(), 8191u);  // a read still gets the first 8191 bytes
}

TEST_F(MemoStoreTest, DeletingKeepsMissingKeysMissing) {
  fs.Put("data/data1.dat", "[ChildWindow]\r\n0h=50\r\n0Text=old\r\n1x=9\r\n");
  ASSERT_TRUE(RenumberAfterDelete(cat, 0, 2));
  EXPECT_EQ(Key(0, "x"), "9");
  // Memo 1 had no size and no text: it still has none, so it keeps reading
  // 100 x 100 and an empty text instead of 0 x 0 and "0".
  EXPECT_FALSE(Has(0, "h"));
  EXPECT_FALSE(Has(0, "Text"));
  EXPECT_FALSE(Has(1, "x"));
}

TEST_F(MemoStoreTest, DeletingTheOnlyMemoAndBadNumbers) {
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=1\r\n0Text=a\r\n0x=1\r\n0WindowLebel=1\r\n; mine\r\n");
  EXPECT_FALSE(RenumberAfterDelete(cat, 1, 1));
  EXPECT_FALSE(RenumberAfterDelete(cat, -1, 1));
  EXPECT_EQ(fs.replaceCalls, 0);
  ASSERT_TRUE(RenumberAfterDelete(cat, 0, 1));
  EXPECT_EQ(fs.files["data/data1.dat"], "[ChildWindow]\r\nNo=1\r\n0WindowLebel=1\r\n; mine\r\n");
}

TEST_F(MemoStoreTest, FailedRenumberingKeepsTheFile) {
  const std::string file = "[ChildWindow]\r\n0Text=a\r\n1Text=b\r\n";
  fs.Put("data/data1.dat", file);
  fs.failReplace = true;
  EXPECT_FALSE(RenumberAfterDelete(cat, 0, 2));
  EXPECT_EQ(fs.files["data/data1.dat"], file);
  EXPECT_EQ(Key(0, "Text"), "a");
}

}  // namespace
}  // namespace dz
