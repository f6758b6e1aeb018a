#pragma once
// The step before a memo is deleted: what it was goes to its category's bin.

namespace dz {

// Keeps every key of memo n, its place and size as its window has them now,
// its offsets and the time in the current category's bin. False when the
// bin could not be written: the memo must then stay.
bool KeepDeletedMemo(int n);
// Takes the memo kept last out of the bin again, when its delete failed.
void ForgetKeptMemo();

}  // namespace dz
