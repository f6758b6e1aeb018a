// The settings engine under Wine against a key-at-a-time design on the
// system's profile functions (every write rewrites the whole file), on a
// category of 100 memos with every key: the reads of one repaint, deleting
// memo 0 of 100 (the others move down), saving the table, and switching to
// another category of 100 memos (save the table, name the new category in
// the application file, load the new table). Prints the medians, their
// ratio and how many times each replaced a file.
//
//   settings_bench.exe <work dir> [runs] [text bytes]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_store.h"
#include "core/memo_sync.h"
#include "store/win_fs.h"
#include "win/text.h"

namespace {

const char* const kProps[] = {"WindowLebel", "FontColor", "Style", "x",      "y",        "h",     "l",
                              "Font",        "FontHeight", "Italic", "UnderLine", "OnLine", "Back",  "Color1",
                              "Color2",      "Color3",     "GradMode", "Brows", "BroURL", "Text"};

std::string FullCategory(size_t textLen) {
  dz::IniDocument d;
  for (int k = 0; k < 100; ++k) d.Set(dz::kSecVOffset, dz::OffsetKey(k), "0");
  for (int k = 0; k < 100; ++k) d.Set(dz::kSecHOffset, dz::OffsetKey(k), "0");
  d.Set(dz::kSecMemos, "No", "100");
  for (int n = 0; n < 100; ++n) {
    for (const char* p : kProps) d.Set(dz::kSecMemos, dz::MemoKey(n, p), "123");
    d.Set(dz::kSecMemos, dz::MemoKey(n, "Text"), std::string(textLen, static_cast<char>('a' + n % 26)));
  }
  return d.Serialize();
}

// Counts the file replacements of the engine.
class CountingFs : public dz::WinFileSystem {
 public:
  bool Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) override {
    ++replacements;
    return WinFileSystem::Replace(path, bytes, stillSafe);
  }
  int replacements = 0;
};

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string g_path;      // UTF-8, for the engine
std::string g_ansiPath;  // for the profile functions
int g_writes = 0;

std::string ProfileGet(const std::string& section, const std::string& key) {
  static char buf[65536];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, g_ansiPath.c_str());
  return buf;
}
void ProfileSet(const std::string& section, const std::string& key, const char* value) {
  ++g_writes;
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value, g_ansiPath.c_str());
}

void KeyReads() {
  for (int n = 0; n < 100; ++n) {
    for (const char* p : {"FontColor", "Text", "Back", "Color1"}) ProfileGet(dz::kSecMemos, dz::MemoKey(n, p));
  }
}
void EngineReads(dz::SettingsFile& cat) {
  for (int n = 0; n < 100; ++n) {
    dz::SettingsHold paint(cat);  // as each memo's paint does
    cat.ReadInt(dz::kSecMemos, dz::MemoKey(n, "FontColor"), 0);
    cat.Read(dz::kSecMemos, dz::MemoKey(n, "Text"), "", 8191);
    cat.Read(dz::kSecMemos, dz::MemoKey(n, "Back"), "3");
    cat.ReadInt(dz::kSecMemos, dz::MemoKey(n, "Color1"), 0);
  }
}

// Memo 0 deleted: every key of every later memo moves down one by one.
void KeyRenumber() {
  for (int m = 1; m < 100; ++m) {
    for (const char* p : kProps) {
      std::string v = ProfileGet(dz::kSecMemos, dz::MemoKey(m, p));
      ProfileSet(dz::kSecMemos, dz::MemoKey(m - 1, p), v.c_str());
    }
    for (const char* sec : {dz::kSecVOffset, dz::kSecHOffset}) {
      std::string v = ProfileGet(sec, dz::OffsetKey(m));
      ProfileSet(sec, dz::OffsetKey(m - 1), v.c_str());
    }
  }
  for (const char* p : kProps) ProfileSet(dz::kSecMemos, dz::MemoKey(99, p), nullptr);
  ProfileSet(dz::kSecMemos, "No", "99");
}

void KeySaveTable(int round) {
  ProfileSet(dz::kSecMemos, "No", "100");
  for (int n = 0; n < 100; ++n) {
    for (const char* p : {"x", "y", "h", "l"})
      ProfileSet(dz::kSecMemos, dz::MemoKey(n, p), std::to_string(round + n).c_str());
    ProfileSet(dz::kSecVOffset, dz::OffsetKey(n), std::to_string(round).c_str());
    ProfileSet(dz::kSecHOffset, dz::OffsetKey(n), "0");
  }
}

// The table as read from cat and as it is after every memo was moved (the
// most a save writes).
std::pair<dz::TableState, dz::TableState> Moved(dz::SettingsFile& cat, int round) {
  const dz::TableState read = dz::ReadTableState(cat);
  dz::TableState mine = read;
  for (int n = 0; n < static_cast<int>(mine.memos.size()); ++n) {
    mine.memos[n].place = dz::Placement{round + n, round + n, round + n, round + n};
    mine.memos[n].vOffset = round;
  }
  return {read, mine};
}

// Everything the program reads of each memo to create its window.
void KeyLoadTable(const std::string& ansiPath) {
  static char buf[65536];
  auto get = [&](const char* sec, const std::string& key) {
    GetPrivateProfileStringA(sec, key.c_str(), "", buf, sizeof buf, ansiPath.c_str());
  };
  for (int k = 0; k < 100; ++k) get(dz::kSecVOffset, dz::OffsetKey(k));
  for (int k = 0; k < 100; ++k) get(dz::kSecHOffset, dz::OffsetKey(k));
  for (int k = 0; k < 16; ++k) get(dz::kSecMemos, "CustColor" + std::to_string(k));
  get(dz::kSecMemos, "No");
  for (int n = 0; n < 100; ++n) {
    for (const char* p : {"FontHeight", "Italic", "UnderLine", "OnLine", "Font", "x", "y", "h", "l", "Style", "Brows",
                          "BroURL", "WindowLebel"})
      get(dz::kSecMemos, dz::MemoKey(n, p));
  }
}

struct Figure {
  double keyMs, engineMs;
  int keyWrites, engineWrites;
};

void Print(const char* what, const Figure& f) {
  printf("%-34s per key %9.2f ms (%4d file writes), engine %7.3f ms (%d replacements), %.0fx faster\n", what,
         f.keyMs, f.keyWrites, f.engineMs, f.engineWrites, f.keyMs / f.engineMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: settings_bench <work dir> [runs] [text bytes]\n");
    return 2;
  }
  const std::wstring dir = argv[1];
  const int runs = argc > 2 ? _wtoi(argv[2]) : 5;
  const size_t textBytes = argc > 3 ? static_cast<size_t>(_wtoi(argv[3])) : 160;
  CreateDirectoryW(dir.c_str(), nullptr);
  g_path = dz::NarrowUtf8(dir + L"\\data1.dat");
  g_ansiPath = g_path;  // the work directory is plain ASCII
  const std::string full = FullCategory(textBytes);
  CountingFs fs;
  auto fresh = [&] { fs.WinFileSystem::Replace(g_path, full, nullptr); };

  const std::string path2 = dz::NarrowUtf8(dir + L"\\data2.dat");
  const std::string appPath = dz::NarrowUtf8(dir + L"\\Memo.dat");
  const std::string app = "[Cagoteri]\r\nCagoteriNo=2\r\n1Cagoteri=data1\r\n2Cagoteri=data2\r\nNowCagoteri=data1\r\n";

  std::vector<double> kr, er, kd, ed, ks, es, kc, ec;
  int keyDel = 0, engDel = 0, keySave = 0, engSave = 0, keySwitch = 0, engSwitch = 0;
  for (int r = 0; r < runs; ++r) {
    fresh();
    double t0 = Now();
    KeyReads();
    kr.push_back(Now() - t0);
    {
      dz::SettingsFile cat(fs, g_path);
      cat.Read(dz::kSecMemos, "No", "");  // the file is parsed once when the category opens
      t0 = Now();
      EngineReads(cat);
      er.push_back(Now() - t0);
    }
    fresh();
    g_writes = 0;
    t0 = Now();
    KeyRenumber();
    kd.push_back(Now() - t0);
    keyDel = g_writes;
    fresh();
    {
      dz::SettingsFile cat(fs, g_path);
      cat.Read(dz::kSecMemos, "No", "");
      fs.replacements = 0;
      t0 = Now();
      dz::RenumberAfterDelete(cat, 0, 100);
      ed.push_back(Now() - t0);
      engDel = fs.replacements;
    }
    fresh();
    g_writes = 0;
    t0 = Now();
    KeySaveTable(r + 1);
    ks.push_back(Now() - t0);
    keySave = g_writes;
    fresh();
    {
      dz::SettingsFile cat(fs, g_path);
      cat.Read(dz::kSecMemos, "No", "");
      fs.replacements = 0;
      const auto [read, mine] = Moved(cat, r + 1);
      t0 = Now();
      dz::SaveTable(cat, read, mine);
      es.push_back(Now() - t0);
      engSave = fs.replacements;
    }
    // Category switch: the table of data1 saved with its memos moved, data2
    // named current, the table of data2 loaded.
    fresh();
    fs.WinFileSystem::Replace(path2, full, nullptr);
    fs.WinFileSystem::Replace(appPath, app, nullptr);
    g_writes = 0;
    t0 = Now();
    KeySaveTable(r + 1);
    ++g_writes;
    WritePrivateProfileStringA("Cagoteri", "NowCagoteri", "data2", appPath.c_str());
    KeyLoadTable(path2);
    kc.push_back(Now() - t0);
    keySwitch = g_writes;
    fresh();
    fs.WinFileSystem::Replace(appPath, app, nullptr);
    {
      dz::SettingsFile cat(fs, g_path), appFile(fs, appPath), next(fs, path2);
      cat.Read(dz::kSecMemos, "No", "");
      appFile.Read("Cagoteri", "NowCagoteri", "");
      fs.replacements = 0;
      const auto [read, mine] = Moved(cat, r + 1);
      t0 = Now();
      dz::SaveTable(cat, read, mine);
      appFile.Write("Cagoteri", "NowCagoteri", "data2");
      const dz::LoadedTable loaded = dz::LoadTable(next, "about:blank");
      ec.push_back(Now() - t0);
      engSwitch = fs.replacements;
      if (loaded.count != 100) fprintf(stderr, "category switch: %d memos loaded\n", loaded.count);
    }
  }
  printf("settings under Wine, texts of %zu bytes, median of %d runs:\n", textBytes, runs);
  Print("reads of one repaint (100 memos)", {Median(kr), Median(er), 0, 0});
  Print("delete memo 0 of 100", {Median(kd), Median(ed), keyDel, engDel});
  Print("save the table", {Median(ks), Median(es), keySave, engSave});
  Print("switch category (2 files written)", {Median(kc), Median(ec), keySwitch, engSwitch});
  return 0;
}
