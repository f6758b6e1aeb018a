#pragma once
// Link marks "<\" address "\>" in a memo's stored (escaped) text, for the
// link submenus of the memo menu and for opening a chosen link.
#include <string>
#include <string_view>
#include <vector>

namespace dz {

struct Link {
  // The stored characters between the markers, as Shift_JIS bytes: escapes
  // ("$" line breaks, "`" tabs) and blanks included, never cut.
  std::string text;
  // The menu item's caption: text with every '&' doubled, because a menu
  // takes a lone '&' as the underline of the next character and would
  // show "a=1&b=2" as "a=1b=2".
  std::string caption;
};

// The first kMaxLinks link marks of stored, in text order. The scan walks
// Shift_JIS characters (a lead byte and the byte after it are one), so a
// trail byte 0x5C is never taken for a marker's '\'. Inside a mark an opening
// "<\" is text; outside, a closing "\>" is plain text; a mark still open at
// the end gives no link; "<\\>" gives an empty link.
std::vector<Link> ScanLinks(std::string_view stored);

// '&' doubled for a menu caption.
std::string MenuCaption(std::string_view text);

// What the shell is asked to open for a link: first as it stands (a web
// address or a path), then, only when that fails, retry (a bare mail
// address for the mail client). An empty link opens nothing (both empty):
// the shell would open the current folder instead. A link that already is
// a "mailto:" address has no retry, which could only fail the same way.
struct LinkTargets {
  std::string first;
  std::string retry;
};
LinkTargets LinkOpenTargets(std::string_view text);

}  // namespace dz
