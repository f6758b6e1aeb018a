// The crash test of the settings engine through the Windows file adapter: a
// writer process (crash_writer.exe, beside the driver) is terminated at
// random points of its numbered writes, and the file must then hold exactly
// the state before or after the interrupted write. The native unit test
// does the same a thousand times with SIGKILL; here every start of a
// process costs a Wine process, so fewer kills (DZ_WINE_CRASH_KILLS) prove
// the Windows replacement path.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "../crash/crash_writes.h"
#include "harness.h"
#include "store/win_fs.h"

namespace e2e {
namespace {

int EnvInt(const char* name, int def) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : def;
}

std::vector<std::wstring> OtherFiles(const std::wstring& dir, const std::wstring& name) {
  std::vector<std::wstring> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::wstring n = fd.cFileName;
    if (n != L"." && n != L".." && n != name) out.push_back(n);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

// A busy wait: the point is where in the writer's work the kill lands, and
// a sleep is far coarser than a write.
void SpinMicroseconds(int us) {
  LARGE_INTEGER f, start, now;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&start);
  do QueryPerformanceCounter(&now);
  while ((now.QuadPart - start.QuadPart) * 1000000 / f.QuadPart < us);
}

TEST(CrashConsistency, TerminatedWriterLeavesTheStateBeforeOrAfterTheInterruptedWrite) {
  // At least this many kills, then more until this many landed inside a
  // write (where a kill lands depends on scheduling), up to the bound.
  const int kills = EnvInt("DZ_WINE_CRASH_KILLS", 100);
  const int wantInside = EnvInt("DZ_WINE_CRASH_INSIDE", 10);
  const int maxKills = EnvInt("DZ_WINE_CRASH_MAX_KILLS", 1000);
  const unsigned seed = static_cast<unsigned>(EnvInt("DZ_CRASH_SEED", 20240612));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> delay(0, 1000), ahead(1, 3), early(0, 7), startup(0, 30000);

  const std::wstring dir = DriverDirectory() + L"\\e2e-runs\\CrashConsistency";
  RemoveTree(dir);
  ASSERT_TRUE(CreateDirectoryW((DriverDirectory() + L"\\e2e-runs").c_str(), nullptr) ||
              GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  const std::wstring name = L"data1.dat", path = dir + L"\\" + name;
  const std::wstring writer = DriverDirectory() + L"\\crash_writer.exe";
  ASSERT_TRUE(FileExists(writer)) << Narrow(writer);

  const std::wstring section = L"dz_crash_" + std::to_wstring(GetCurrentProcessId());
  HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(dz::test::Progress),
                                  section.c_str());
  ASSERT_NE(map, nullptr);
  auto* progress = static_cast<dz::test::Progress*>(
      MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(dz::test::Progress)));
  ASSERT_NE(progress, nullptr);

  dz::WinFileSystem fs;
  dz::test::State current;
  dz::test::KillTally tally;
  size_t leftovers = 0;
  while ((tally.kills < kills || tally.midWrite < wantInside) && tally.kills < maxKills) {
    const int n = tally.kills;
    progress->started.store(current.k);
    progress->done.store(current.k);
    std::wstring cmd = L"\"" + writer + L"\" \"" + path + L"\" " + std::to_wstring(current.k) + L" " + section +
                       L" " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(writer.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, dir.c_str(), &si, &pi));
    const bool fromStart = early(rng) == 0;
    const int64_t target = current.k + ahead(rng);
    const int us = fromStart ? startup(rng) : delay(rng);
    // A writer that stops making progress is a failure, not a hang.
    const ULONGLONG limit = GetTickCount64() + 20000;
    while (!fromStart && progress->started.load() < target) {
      ASSERT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
          << "the writer ended by itself";
      ASSERT_LT(GetTickCount64(), limit) << "the writer made no progress in 20 s";
      SwitchToThread();
    }
    SpinMicroseconds(us);
    TerminateProcess(pi.hProcess, 1);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    ASSERT_EQ(code, 1u) << "the writer ended by itself";

    const int64_t started = progress->started.load(), done = progress->done.load();
    dz::test::State seen;
    std::string bytes;
    if (FileExists(path)) {
      ASSERT_TRUE(fs.ReadAll(Narrow(path), &bytes));
      seen.bytes = bytes;
    }
    const std::string where = "kill " + std::to_string(n) + ", started " + std::to_string(started) + ", done " +
                              std::to_string(done) + ", seed " + std::to_string(seed);
    const std::string fault = dz::test::CheckKill(current, started, done, seen, tally);
    ASSERT_EQ(fault, "") << where;
    if (current.bytes) {
      EXPECT_EQ(dz::IniDocument::Parse(*current.bytes).Get("Progress", "k"), dz::test::ProgressMark(current.k));
    }
    // Only a kill inside a write can leave its temporary file behind.
    const std::vector<std::wstring> others = OtherFiles(dir, name);
    ASSERT_LE(others.size(), leftovers + (started > done ? 1 : 0)) << where << ": unexpected files beside the file";
    leftovers = others.size();
  }
  std::printf(
      "[ crash    ] %d kills under Windows (seed %u): %d before the first write, %d inside a write, %d between "
      "writes; %lld writes completed; %zu temporary files left by kills\n",
      tally.kills, seed, tally.beforeFirst, tally.midWrite, tally.betweenWrites,
      static_cast<long long>(tally.writesDone), leftovers);
  EXPECT_GE(tally.midWrite, wantInside) << "only " << tally.midWrite << " of " << tally.kills
                                        << " kills reached into a write";
  UnmapViewOfFile(progress);
  CloseHandle(map);
}

}  // namespace
}  // namespace e2e
