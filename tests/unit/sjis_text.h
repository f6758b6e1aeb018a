#pragma once
// Japanese test texts written as UTF-8 in the source, turned into the code
// page 932 bytes the program stores (glibc's converter).
#include <iconv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace dz::test {

inline std::string Sjis(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::string in(utf8), out(utf8.size() * 2 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) throw std::runtime_error("not convertible to CP932: " + in);
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace dz::test
