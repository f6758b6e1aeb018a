// The settings engine against the system's own profile functions: files
// written by one must read the same through the other, and the Windows file
// adapter must create directories and never write over a file it cannot read.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "store/win_fs.h"

namespace {

// Code page 932 characters whose trail byte is an INI-significant or escape
// character: "ソ" 0x83 0x5C '\', "ゼ" 0x83 0x5B '[', "ゾ" 0x83 0x5D ']',
// "表" 0x95 0x5C '\', "チ" 0x83 0x60 '`', "ボ" 0x83 0x7B '{', "゛" 0x81 0x4A,
// "ー" 0x81 0x5B '[', "＝" 0x81 0x81.
const std::string kSo = "\x83\x5c", kZe = "\x83\x5b", kZo = "\x83\x5d", kHyo = "\x95\x5c", kChi = "\x83\x60",
                  kBo = "\x83\x7b", kDakuten = "\x81\x4a", kChoon = "\x81\x5b", kEq = "\x81\x81";

std::vector<std::string> AwkwardValues() {
  std::vector<std::string> v = {
      "plain",
      "",
      " lead",
      "trail ",
      "  both  ",
      "\ttab\t",
      "\"double\"",
      "'single'",
      "\"",
      "'",
      "\"\"",
      "''",
      "\"mixed'",
      "'  '",
      "a=b",
      "=start",
      "end=",
      "[bracket]",
      "; semicolon",
      "# hash",
      "in\"side",
      kSo,
      kSo + kSo + "\\",
      kZe + kZo,
      "[" + kZo,
      kZe + "]",
      kHyo + "=" + kEq,
      kBo + kDakuten + kChoon,
      " " + kSo + " ",
      "\"" + kZo + "\"",
      "a$$b`c$d",
      kChi + "`" + kChi,
      "\x81\x40wide blanks\x81\x40",  // "　" 0x81 0x40, the ideographic space
  };
  // A long memo text (8190 bytes) that ends with the trail byte '\'.
  std::string text;
  while (text.size() + 2 <= 8190) text += (text.size() % 6 == 0) ? kHyo : (text.size() % 6 == 2 ? "$$" : kSo);
  v.push_back(text);
  return v;
}

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += d[c >> 4];
      out += d[c & 15];
    }
  }
  return out.size() > 120 ? out.substr(0, 120) + "..." : out;
}

// All bytes equal. A mismatch shows both values in hex from a little before
// the first difference (a whole long value would be unreadable).
::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  const size_t from = at < 16 ? 0 : at - 16;
  return ::testing::AssertionFailure() << "bytes differ at " << at << " (sizes " << got.size() << " and "
                                       << want.size() << "), from " << from << ": " << Hex(got.substr(from))
                                       << " vs " << Hex(want.substr(from));
}

// The system's profile functions pass every value through the ANSI code
// page (bytes to UTF-16 and back). Comparing them with the engine byte for
// byte holds only where that keeps every byte of the values: code page 932,
// or a single-byte code page such as 1252 (the suite's default locale).
// Returns why not, or "".
std::string WhyTheAnsiCodePageChangesBytes() {
  for (const std::string& v : AwkwardValues()) {
    if (v.empty()) continue;
    const int wide = MultiByteToWideChar(CP_ACP, 0, v.data(), static_cast<int>(v.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0) MultiByteToWideChar(CP_ACP, 0, v.data(), static_cast<int>(v.size()), &w[0], wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string back(static_cast<size_t>(narrow > 0 ? narrow : 0), '\0');
    if (narrow > 0) WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &back[0], narrow, nullptr, nullptr);
    if (back != v)
      return "the ANSI code page " + std::to_string(GetACP()) + " changes the bytes " + Hex(v) +
             ", so the system's profile functions cannot be compared with the engine byte for byte";
  }
  return "";
}

class WinFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, tmp), 0u);
    dir_ = std::wstring(tmp) + L"dz_compat_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    // The temporary directory is plain ASCII under Wine and on test machines,
    // so the same text serves the ANSI profile functions and the UTF-8 engine.
    for (wchar_t c : dir_) ASSERT_LT(c, 0x80) << "temporary path must be ASCII for this test";
    dirA_.assign(dir_.begin(), dir_.end());
  }
  void TearDown() override {
    if (dir_.empty()) return;  // skipped before it made one
    std::wstring from = dir_ + L'\0';
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
  }
  std::string Path(const char* name) const { return dirA_ + "\\" + name; }

  static std::string SysRead(const std::string& file, const std::string& sec, const std::string& key) {
    std::vector<char> buf(8192);
    DWORD n = GetPrivateProfileStringA(sec.c_str(), key.c_str(), "<absent>", buf.data(),
                                       static_cast<DWORD>(buf.size()), file.c_str());
    return std::string(buf.data(), n);
  }
  static std::string Bytes(const std::string& file) {
    std::string b;
    dz::WinFileSystem fs;
    fs.ReadAll(file, &b);
    return b;
  }
  static void PutBytes(const std::string& file, const std::string& bytes) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD w = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &w, nullptr);
    CloseHandle(h);
  }

  std::wstring dir_;
  std::string dirA_;
  dz::WinFileSystem fs_;
};

class SettingsCompat : public WinFiles {
 protected:
  void SetUp() override {
    const std::string why = WhyTheAnsiCodePageChangesBytes();
    if (!why.empty()) GTEST_SKIP() << why;
    WinFiles::SetUp();
  }
};

TEST_F(SettingsCompat, SystemReadsWhatTheEngineWrote) {
  const std::string file = Path("ours.ini");
  dz::SettingsFile ours(fs_, file);
  std::vector<std::string> values = AwkwardValues();
  ASSERT_TRUE(ours.Write("Sec", "before", "1"));
  for (size_t i = 0; i < values.size(); ++i) ASSERT_TRUE(ours.Write("Sec", "k" + std::to_string(i), values[i]));
  ASSERT_TRUE(ours.Write("Other", "k0", "other section"));
  for (size_t i = 0; i < values.size(); ++i) {
    std::string key = "k" + std::to_string(i);
    EXPECT_TRUE(SameBytes(SysRead(file, "Sec", key), values[i])) << key;
    EXPECT_TRUE(SameBytes(SysRead(file, "sEC", key), values[i])) << key << " (case)";
  }
  EXPECT_EQ(SysRead(file, "Other", "K0"), "other section");
  ASSERT_TRUE(ours.Remove("Sec", "before"));
  EXPECT_EQ(SysRead(file, "Sec", "before"), "<absent>");
}

TEST_F(SettingsCompat, EngineReadsWhatTheSystemWrote) {
  const std::string file = Path("theirs.ini");
  std::vector<std::string> values = AwkwardValues();
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_TRUE(WritePrivateProfileStringA("Sec", ("k" + std::to_string(i)).c_str(), values[i].c_str(),
                                           file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Sec", "gone", "x", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Sec", "gone", nullptr, file.c_str()));
  dz::SettingsFile ours(fs_, file);
  // The system does not quote what it writes, so it may lose edge blanks;
  // the engine must read exactly what the system itself reads back.
  for (size_t i = 0; i < values.size(); ++i) {
    std::string key = "k" + std::to_string(i);
    EXPECT_TRUE(SameBytes(ours.Read("SEC", key, "<absent>", 8191), SysRead(file, "Sec", key))) << key;
  }
  EXPECT_FALSE(ours.Get("Sec", "gone").has_value());
  EXPECT_EQ(ours.Read("Sec", "k0", ""), "plain");
}

TEST_F(SettingsCompat, BothReadHandWrittenFilesAlike) {
  const std::string file = Path("hand.ini");
  const std::string text = "; comment at the top\r\n"
                           "stray=before any section\r\n"
                           "[Sec]\r\n"
                           "  spaced  =   value with blanks   \r\n"
                           "dq=\"  kept  \"\r\n"
                           "sq=' kept '\n"
                           "half=\"open\r\n"
                           "empty=\r\n"
                           "blank=   \r\n"
                           "noequals\r\n"
                           "dup=first\r\n"
                           "DUP=second\r\n"
                           "eq = a = b \r\n"
                           "; k=commented\r\n"
                           "[open=no closing bracket\r\n"
                           "sjis=" + kSo + kZe + kZo + kHyo + "\r\n"
                           "sjisq=\"" + kZo + " \"\r\n"
                           "\r\n"
                           "[sec2]\r\n"
                           "dup=other section\r\n"
                           "[SEC]\r\n"
                           "late=second copy of the section\r\n";
  PutBytes(file, text);
  dz::SettingsFile ours(fs_, file);
  const char* keys[] = {"spaced", "dq",  "sq",       "half",    "empty", "blank", "noequals", "dup",
                        "Dup",    "eq",  "; k",      "k",       "[open",       "sjis",  "sjisq", "late",     "stray",
                        "missing"};
  for (const char* k : keys)
    EXPECT_TRUE(SameBytes(ours.Read("sec", k, "<absent>"), SysRead(file, "Sec", k))) << k;
  EXPECT_TRUE(SameBytes(ours.Read("SEC2", "dup", "<absent>"), SysRead(file, "sec2", "dup")));
  // Spot checks, so that a shared misreading cannot pass.
  EXPECT_EQ(ours.Read("Sec", "empty", "<absent>"), "");
  EXPECT_EQ(ours.Read("Sec", "dup", "<absent>"), "first");
  EXPECT_EQ(ours.Read("Sec", "sjis", "<absent>"), kSo + kZe + kZo + kHyo);
}

TEST_F(SettingsCompat, EachSideKeepsTheOthersKeys) {
  const std::string file = Path("shared.ini");
  dz::SettingsFile ours(fs_, file);
  ASSERT_TRUE(ours.Write("Sec", "mine", " a "));
  ASSERT_TRUE(WritePrivateProfileStringA("Sec", "theirs", kSo.c_str(), file.c_str()));
  // The engine sees the system's write although it parsed the file before.
  EXPECT_EQ(ours.Read("Sec", "theirs", "<absent>"), kSo);
  ASSERT_TRUE(ours.Write("Sec", "theirs", kZo + "x"));
  ASSERT_TRUE(ours.Write("Sec2", "k", "v"));
  EXPECT_TRUE(SameBytes(SysRead(file, "Sec", "theirs"), kZo + "x"));
  EXPECT_EQ(SysRead(file, "Sec", "mine"), " a ");
  ASSERT_TRUE(WritePrivateProfileStringA("Sec", "mine", nullptr, file.c_str()));
  EXPECT_FALSE(ours.Get("Sec", "mine").has_value());
  EXPECT_EQ(ours.Read("Sec2", "k", ""), "v");
}

TEST_F(SettingsCompat, CommentsAndUnknownLinesSurviveEngineWrites) {
  const std::string file = Path("comments.ini");
  const std::string text = "; top\r\n[Sec]\r\n  odd line\r\na=1\r\n; about b\r\n\r\n[Other]\r\n";
  PutBytes(file, text);
  dz::SettingsFile ours(fs_, file);
  ASSERT_TRUE(ours.Write("Sec", "new", "2"));
  EXPECT_EQ(Bytes(file), "; top\r\n[Sec]\r\n  odd line\r\na=1\r\nnew=2\r\n; about b\r\n\r\n[Other]\r\n");
  EXPECT_EQ(SysRead(file, "Sec", "new"), "2");
  EXPECT_EQ(SysRead(file, "Sec", "a"), "1");
}

TEST_F(SettingsCompat, CreatesTheMissingDataDirectory) {
  const std::string file = Path("data\\sub\\data1.dat");
  dz::SettingsFile ours(fs_, file);
  EXPECT_EQ(ours.Read("ChildWindow", "No", "0"), "0");
  ASSERT_TRUE(ours.WriteInt("ChildWindow", "No", 3));
  EXPECT_EQ(SysRead(file, "ChildWindow", "No"), "3");
  // No temporary file is left beside it.
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir_ + L"\\data\\sub\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) names.push_back(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  EXPECT_EQ(names, std::vector<std::wstring>{L"data1.dat"});
}

TEST_F(SettingsCompat, LockedFileIsNeitherReadNorOverwritten) {
  const std::string file = Path("locked.ini");
  PutBytes(file, "[Sec]\r\nk=precious\r\n");
  HANDLE lock = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  std::string bytes;
  EXPECT_FALSE(fs_.ReadAll(file, &bytes));
  bool used = false;
  EXPECT_FALSE(fs_.ReadWith(file, [&](std::string_view) { used = true; }));
  EXPECT_FALSE(used);
  dz::SettingsFile ours(fs_, file);
  EXPECT_EQ(ours.Read("Sec", "k", "def"), "def");
  EXPECT_FALSE(ours.Write("Sec", "other", "x"));
  EXPECT_FALSE(fs_.ReplaceAtomically(file, "clobbered"));
  CloseHandle(lock);
  EXPECT_EQ(Bytes(file), "[Sec]\r\nk=precious\r\n");
  EXPECT_EQ(ours.Read("Sec", "k", "def"), "precious");
  EXPECT_TRUE(ours.Write("Sec", "other", "x"));
  EXPECT_EQ(SysRead(file, "Sec", "other"), "x");
  EXPECT_EQ(SysRead(file, "Sec", "k"), "precious");
}

// The engine parses from ReadWith: the same bytes as ReadAll, an empty file
// as an empty text, a missing one as a failure.
TEST_F(WinFiles, ReadWithHandsOverTheWholeFile) {
  const std::string file = Path("whole.ini");
  std::string big = "[Sec]\r\n";
  while (big.size() < 300000) big += "k" + std::to_string(big.size()) + "=\x83\x81\x83\x82 value\r\n";
  PutBytes(file, big);
  std::string seen = "not called";
  EXPECT_TRUE(fs_.ReadWith(file, [&](std::string_view b) { seen.assign(b); }));
  EXPECT_EQ(seen, big);

  PutBytes(file, "");
  EXPECT_TRUE(fs_.ReadWith(file, [&](std::string_view b) { seen.assign(b); }));
  EXPECT_EQ(seen, "");

  seen = "not called";
  EXPECT_FALSE(fs_.ReadWith(Path("missing.ini"), [&](std::string_view b) { seen.assign(b); }));
  EXPECT_EQ(seen, "not called");
}

TEST_F(WinFiles, StampFollowsReplacements) {
  const std::string file = Path("stamp.ini");
  EXPECT_FALSE(fs_.Stamp(file).exists);
  ASSERT_TRUE(fs_.ReplaceAtomically(file, "one"));
  dz::FileStamp a = fs_.Stamp(file);
  EXPECT_TRUE(a.exists);
  EXPECT_EQ(a.size, 3u);
  ASSERT_TRUE(fs_.ReplaceAtomically(file, "two"));
  const dz::FileStamp b = fs_.Stamp(file);
  EXPECT_NE(b, a);  // same size, but a new file
  std::string bytes;
  ASSERT_TRUE(fs_.ReadAll(file, &bytes));
  EXPECT_EQ(fs_.Stamp(file), b) << "reading the file is no change";
}

}  // namespace
