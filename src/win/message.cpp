#include "win/message.h"

#include <string>

#include "win/process.h"
#include "win/text.h"

namespace dz {

int MessageBoxJ(HWND owner, const char* utf8Text, const char* utf8Caption, UINT flags) {
  std::wstring text = WidenUtf8(utf8Text ? utf8Text : "");
  if (!utf8Caption) return MessageBoxW(owner, text.c_str(), nullptr, flags);
  std::wstring caption = WidenUtf8(utf8Caption);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void Tell(const char* utf8Text) { MessageBoxJ(TheProcess().main, utf8Text, nullptr, MB_OK); }

}  // namespace dz
