// Entry of the end-to-end driver (dereziz_e2e.exe).
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "harness.h"

int main(int argc, char** argv) {
  // Output goes through a pipe under Wine; keep it in step with failures.
  setvbuf(stdout, nullptr, _IONBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  if (!e2e::UseTestDesktop()) return 2;
  if (!e2e::WriteDisplayScale(96)) return 2;
  return RUN_ALL_TESTS();
}
