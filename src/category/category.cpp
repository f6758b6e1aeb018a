#include "category/category.h"

// Adding, deleting and switching categories are not built yet: these
// commands do nothing so far.
namespace dz {
void OnAddCategory(HWND) {}
void OnDeleteCategory(HWND) {}
void OnSwitchCategory(HWND, WPARAM) {}
void OnCategoryInitMenu(HMENU) {}
}  // namespace dz
