#pragma once

#include <string>
#include <string_view>

// The manual page made from the usage text, so the two never disagree.
namespace valdor::cli {

struct ManualHead {
  std::string_view name;     // the program's name, e.g. "valdor3-tuning"
  std::string_view summary;  // what NAME says after the dash
  std::string_view version;  // shown in the page's footer
  std::string_view date;     // e.g. "2026-12-07"
};

// A roff manual page (section 1) of `usage`, read the way usageText() writes
// it: "Usage: ..." then a sentence, then headings ending in ":" over lines
// "  TERM  description" (a description may start on the next, deeper
// indented line and go on over several), then paragraphs of plain text.
std::string manualPage(const ManualHead& head, std::string_view usage);

}  // namespace valdor::cli
