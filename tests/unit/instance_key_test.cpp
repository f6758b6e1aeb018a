#include "core/instance_key.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

TEST(InstanceKey, SpellsShortPathsOutWithoutBackslashesOrTrailingOnes) {
  EXPECT_EQ(InstanceKey(u"C:\\MEMO\\DEREZIZ"), u"C:/MEMO/DEREZIZ");
  EXPECT_EQ(InstanceKey(u"C:\\MEMO\\DEREZIZ\\"), u"C:/MEMO/DEREZIZ");
  EXPECT_EQ(InstanceKey(u"C:\\MEMO\\DEREZIZ\\\\"), u"C:/MEMO/DEREZIZ");
  EXPECT_EQ(InstanceKey(u"\\\\SERVER\\SHARE\\"), u"//SERVER/SHARE");
  // Folders whose names only run together differently stay apart.
  EXPECT_NE(InstanceKey(u"C:\\A\\B"), InstanceKey(u"C:\\AB"));
  EXPECT_NE(InstanceKey(u"C:\\A\\B"), InstanceKey(u"C:\\A\\B\\C"));
  // Japanese folder names pass through unchanged.
  EXPECT_EQ(InstanceKey(u"C:\\\u30E1\u30E2"), u"C:/\u30E1\u30E2");
}

TEST(InstanceKey, HashesLongPathsWithinTheLimitKeepingThemApart) {
  // A key holds at most 200 units: "C:\\" and 197 letters fit as they are.
  const std::u16string fits = u"C:\\" + std::u16string(197, u'A');
  EXPECT_EQ(InstanceKey(fits), u"C:/" + std::u16string(197, u'A'));
  // Trailing backslashes do not push a path over the limit.
  EXPECT_EQ(InstanceKey(fits + u"\\\\"), InstanceKey(fits));

  const std::u16string longer = fits + u"B";
  const std::u16string key = InstanceKey(longer);
  EXPECT_LE(key.size(), 200u);
  EXPECT_EQ(key.find(u'\\'), std::u16string::npos);
  EXPECT_EQ(key[0], u'#');
  EXPECT_EQ(InstanceKey(longer + u"\\"), key);
  EXPECT_EQ(InstanceKey(longer), key) << "the same folder must give the same key every time";

  // One unit changed anywhere, in either of its bytes, gives another key.
  std::u16string lowByte = longer, highByte = longer, middle = longer;
  lowByte.back() = u'C';
  highByte.back() = static_cast<char16_t>(u'B' | 0x100);
  middle[100] = u'Z';
  EXPECT_NE(InstanceKey(lowByte), key);
  EXPECT_NE(InstanceKey(highByte), key);
  EXPECT_NE(InstanceKey(middle), key);
  EXPECT_NE(InstanceKey(longer + u"A"), key);
  // A very long path stays within the limit too.
  EXPECT_LE(InstanceKey(std::u16string(32767, u'X')).size(), 200u);
}

}  // namespace
}  // namespace dz
