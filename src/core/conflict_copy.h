#pragma once
// Conflict copies: when two PCs change the same settings file before the
// sync service has carried either change across, the service keeps one
// version and saves the other beside it under a name of its own making.
// Names are Shift_JIS bytes (file names without their folder).
#include <string>
#include <string_view>
#include <vector>

namespace dz {

enum class ConflictStyle {
  kNone,
  kSyncthing,     // name.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.ext
  kDropbox,       // name (who's conflicted copy YYYY-MM-DD).ext, optionally " (N)"
  kCloud,         // name (conflicted copy YYYY-MM-DD HHMMSS).ext
  kComputerName,  // name-COMPUTERNAME.ext
};

struct ConflictCopy {
  ConflictStyle style = ConflictStyle::kNone;
  std::string original;  // the entry of `originals` it is a copy of
};

// Whether fileName is a conflict copy of one of originals (file names such
// as "data1.dat" and "Memo.dat"; compared as Windows compares file names).
// A copy of a copy counts as a copy of the original. A name that is itself
// one of originals is never a copy, and the computer-name form, which any
// name with a hyphen could take, counts only for the originals listed.
ConflictCopy RecognizeConflictCopy(std::string_view fileName, const std::vector<std::string>& originals);

}  // namespace dz
