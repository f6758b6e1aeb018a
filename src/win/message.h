#pragma once
// Message boxes with Japanese texts written as UTF-8 in the source.
#include <windows.h>

namespace dz {

inline constexpr char kTooManyMemos[] = "メモが百枚を超えています。";
inline constexpr char kMemoNotAdded[] = "メモを追加できませんでした。設定ファイルに書き込めません。";
inline constexpr char kMemoNotDeleted[] = "メモを削除できませんでした。設定ファイルに書き込めません。";
inline constexpr char kBadPicturePath[] = "このファイルの場所は背景の画像として記録できません。";
inline constexpr char kTextNotStored[] = "メモのテキストを保存できませんでした。設定ファイルに書き込めません。";

// utf8Caption may be null (the system's default caption).
int MessageBoxJ(HWND owner, const char* utf8Text, const char* utf8Caption, UINT flags);
// A plain notice owned by the main window: no caption of its own, OK only.
void Tell(const char* utf8Text);
// True while one of the program's message boxes is open: a notice that can
// wait must not open another inside its modal loop.
bool MessageBoxOpen();

}  // namespace dz
