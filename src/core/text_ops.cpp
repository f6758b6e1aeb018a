#include "core/text_ops.h"

#include <cstring>

#include "core/escape.h"

namespace dz {

namespace {
// Escaping keeps the length, so the limit can be checked on the raw parts.
bool Fits(size_t bytes) { return bytes <= static_cast<size_t>(kMaxTextChars); }

constexpr const char* kPictureExtensions[] = {
    ".bmp", ".dib", ".jpg", ".jpeg", ".gif", ".ico", ".png", ".tif", ".tiff", ".BMP",
    ".DIB", ".JPG", ".JPEG", ".Jpeg", ".GIF", ".ICO", ".PNG", ".TIF", ".TIFF",
};
}  // namespace

std::string_view UpToFirstZero(std::string_view bytes) {
  size_t zero = bytes.find('\0');
  return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

std::optional<std::string> InsertFileText(std::string_view stored, std::string_view fileText, bool atStart) {
  std::string combined;
  if (atStart) {
    if (!Fits(fileText.size() + 2 + stored.size())) return std::nullopt;
    combined.append(fileText).append("\n\n").append(stored);
  } else {
    if (!Fits(stored.size() + fileText.size())) return std::nullopt;
    combined.append(stored).append(fileText);
  }
  return EscapeText(combined);
}

std::optional<std::string> InsertClipboardText(std::string_view stored, std::string_view clipText,
                                               bool atStart) {
  if (!Fits(stored.size() + clipText.size())) return std::nullopt;
  std::string combined;
  if (atStart)
    combined.append(clipText).append(stored);
  else
    combined.append(stored).append(clipText);
  return EscapeText(combined);
}

std::optional<std::string> InsertPageLink(std::string_view stored, std::string_view url, bool atStart) {
  std::string mark;
  mark.append("<\\").append(url).append("\\>");
  if (!Fits(stored.size() + 2 + mark.size())) return std::nullopt;
  std::string combined;
  if (atStart)
    combined.append(mark).append("\n\n").append(stored);
  else
    combined.append(stored).append("\n\n").append(mark);
  return EscapeText(combined);
}

std::optional<std::string> NewMemoText(std::string_view fileText) {
  if (!Fits(fileText.size())) return std::nullopt;
  return EscapeText(fileText);
}

bool IsPictureFileName(std::string_view path) {
  for (const char* ext : kPictureExtensions) {
    size_t n = std::strlen(ext);
    if (path.size() >= n && path.compare(path.size() - n, n, ext) == 0) return true;
  }
  return false;
}

std::string FormatTimeInsert(int hour, int minute, int second) {
  return std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
}

std::string FormatDateInsert(int year, int month, int day) {
  return std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day);
}

}  // namespace dz
