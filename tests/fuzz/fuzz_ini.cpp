// Arbitrary bytes as a settings file, then arbitrary writes: nothing may
// crash, serialising must be stable, and every value written (without CR,
// LF or NUL) must read back exactly, also after a save and a reload, while
// other keys keep their values.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "core/escape.h"
#include "core/number.h"
#include "core/settings.h"
#include "core/sjis.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
bool SameAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}
std::string Clean(std::string v) {
  std::string out;
  for (char c : v)
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string file = in.ConsumeRandomLengthString(4096);
  dz::IniDocument doc = dz::IniDocument::Parse(file);
  std::string once = doc.Serialize();
  Check(dz::IniDocument::Parse(once).Serialize() == once);

  // Helpers that read the same untrusted bytes.
  (void)dz::ParseInt(file);
  // Every escape decodes to as many bytes as it takes.
  Check(dz::DecodeText(file).size() == file.size());
  Check(dz::EscapeText(file).find_first_of(std::string("\t\r\n")) == std::string::npos);
  size_t cut = dz::SjisPrefixLen(file, file.size() / 2);
  Check(cut <= file.size() / 2 && cut + 1 >= file.size() / 2);

  while (in.remaining_bytes() > 0) {
    std::string section = in.ConsumeBool() ? "ChildWindow" : in.ConsumeRandomLengthString(16);
    std::string key = in.ConsumeRandomLengthString(16);
    std::string other = in.ConsumeRandomLengthString(16);
    std::string value = Clean(in.ConsumeRandomLengthString(300));
    bool remove = in.ConsumeIntegralInRange(0, 7) == 0;

    auto before = doc.Get(section, other);
    if (remove) {
      doc.Remove(section, key);
    } else if (dz::IniDocument::IsValidSection(section) && dz::IniDocument::IsValidKey(key)) {
      doc.Set(section, key, value);
      Check(doc.Get(section, key) == value);
      dz::IniDocument again = dz::IniDocument::Parse(doc.Serialize());
      Check(again.Get(section, key) == value);
    } else {
      Check(!doc.Set(section, key, value));
    }
    if (!SameAscii(key, other)) Check(doc.Get(section, other) == before);
  }
  return 0;
}
