#pragma once
// What the conflict-copy tests and the sync soak look at in a base folder:
// its files, the fold notice and the stored texts.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "text_fixture.h"

namespace e2e {

class ConflictTest : public TextTest {
 protected:
  // The texts of the memos the category file counts, in number order (none
  // before the first memo was saved).
  std::vector<std::string> Texts(const std::string& category = "data1") {
    std::vector<std::string> texts;
    if (!FileExists(Path("data\\" + category + ".dat"))) return texts;
    const dz::IniDocument cat = Category(category);
    const int n = std::atoi(Get(cat, "ChildWindow", "No").c_str());
    for (int i = 0; i < n; ++i) texts.push_back(Get(cat, "ChildWindow", std::to_string(i) + "Text"));
    return texts;
  }
  // The notice about folded copies, answered; false when none came.
  bool AnswerFoldNotice(const std::wstring& part = L"競合コピー") {
    Dialog d = WaitForMessageWith(part);
    return d && Press(d, IDOK);
  }
};

}  // namespace e2e
