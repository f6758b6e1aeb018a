#pragma once
// Conflict copies that a sync service left beside "Memo.dat" and the
// category files, folded back into them.
#include <string>

namespace dz {

// Folds every conflict copy of "Memo.dat" (the categories it lists that are
// missing here) and of the listed categories' files (the memos missing
// here) into its original, each in one replacement, and moves the copy to
// "<base>\backup\conflicts". A copy that cannot be read or folded now stays
// where it is for the next time. New memos of the current category get
// their windows when its memos are loaded, or at once when they are.
// Returns the notice for the user (UTF-8): empty when no copy was moved.
std::string FoldConflictCopies();

}  // namespace dz
