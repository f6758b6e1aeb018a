#pragma once
// One running program per base folder. Two programs on the same folder would
// each keep their own memo table and save it at exit, the last to end
// overwriting what the other wrote; so a later start only asks the running
// one to come forward and ends before it loads or writes anything.
#include <windows.h>

namespace dz {

enum class FolderClaim {
  kOwned,       // this process runs the folder: go on starting
  kHandedOver,  // the program already running there came forward: end now
  kNoAnswer,    // the program already running there did not answer, and the user was told: end now
};

// Claims the current directory for this process. Call before anything is
// loaded; the claim lasts until ReleaseBaseFolder or the end of the process.
FolderClaim ClaimBaseFolder();
// Lets later starts in the same folder find the main window; call once its
// creation (which loads the memos) is over, and with null when shutdown
// begins (a later start then waits for this process to end and runs on
// what it saved).
void PublishMainWindow(HWND main);
void ReleaseBaseFolder();

// The registered message a later start sends to the main window; 0 when it
// could not be registered.
UINT ComeForwardMessage();
// What the main window does with that message: shows every memo and brings
// them to the front. Returns the answer the later start waits for.
LRESULT OnComeForward();

}  // namespace dz
