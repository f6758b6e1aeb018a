#pragma once
// Decoding background pictures away from the windows' thread: memos paint
// at once and their pictures follow. Inside the look subsystem only.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/picture_rules.h"

namespace dz {

struct PictureRequest {
  HWND memo = nullptr;
  uint64_t generation = 0;
  PictureKey key;
  PictureSize target;  // the memo's client area
};

enum class PictureOutcome { kReady, kUnreadable, kTooLarge };

struct GdiBitmapDelete {
  void operator()(HBITMAP b) const {
    if (b) DeleteObject(b);
  }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiBitmapDelete>;

struct PictureResult {
  PictureRequest request;
  PictureOutcome outcome = PictureOutcome::kUnreadable;
  OwnedBitmap bitmap;  // kReady: the picture at request.target, white under transparent parts
};

// Queues a decode; a request queued earlier for the same memo and not
// started yet is replaced. Decoding starts once the windows' thread has no
// paint left to do, so that memos showing one file share one decode.
// The answer comes back on the windows' thread through OnPictureDecoded.
void RequestPicture(const PictureRequest& request);
// Defined by the painting code: takes a decode's answer.
void OnPictureDecoded(std::unique_ptr<PictureResult> result);

// The first bytes of path (up to kPictureHeadBytes) and what they declare;
// kUnreadable when the file cannot be opened.
PictureVerdict JudgePictureFile(const std::wstring& path);

}  // namespace dz
