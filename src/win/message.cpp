#include "win/message.h"

#include <string>

#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {
int g_openBoxes = 0;
}  // namespace

int MessageBoxJ(HWND owner, const char* utf8Text, const char* utf8Caption, UINT flags) {
  const std::wstring text = WidenUtf8(utf8Text ? utf8Text : "");
  const std::wstring caption = WidenUtf8(utf8Caption ? utf8Caption : "");
  ++g_openBoxes;
  const int answer = MessageBoxW(owner, text.c_str(), utf8Caption ? caption.c_str() : nullptr, flags);
  --g_openBoxes;
  return answer;
}

bool MessageBoxOpen() { return g_openBoxes > 0; }

void Tell(const char* utf8Text) { MessageBoxJ(TheProcess().main, utf8Text, nullptr, MB_OK); }

}  // namespace dz
