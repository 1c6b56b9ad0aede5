#include "cli/manual_page.h"

#include <cctype>
#include <vector>

namespace valdor::cli {

namespace {

// Text as roff shows it literally: a backslash is its escape character, a
// hyphen would be printed (and copied) as a typographic dash, and a line
// starting with a dot or an apostrophe would be taken for a request.
std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (out.starts_with('.') || out.starts_with('\'')) out.insert(0, "\\&");
  return out;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::size_t indentOf(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  return i;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text.substr(indentOf(text));
}

std::string upper(std::string_view text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::string manualPage(const ManualHead& head, std::string_view usage) {
  std::string page = ".TH " + upper(head.name) + " 1 \"" + std::string(head.date) + "\" \"" +
                     escaped(head.name) + " " + escaped(head.version) + "\" \"User Commands\"\n" +
                     ".SH NAME\n" + escaped(head.name) + " \\- " + escaped(head.summary) + "\n";
  constexpr std::string_view kUsagePrefix = "Usage: ";
  bool inDescription = false;  // the sentences after the synopsis
  bool inList = false;         // term lines under a heading
  bool paragraphOpen = false;
  for (std::string_view line : splitLines(usage)) {
    const std::string_view text = trimmed(line);
    if (text.empty()) {
      inList = false;
      paragraphOpen = false;
      continue;
    }
    if (line.starts_with(kUsagePrefix)) {
      page += ".SH SYNOPSIS\n" + escaped(line.substr(kUsagePrefix.size())) + "\n.SH DESCRIPTION\n";
      inDescription = true;
      continue;
    }
    const std::size_t indent = indentOf(line);
    if (indent == 0 && text.ends_with(':') && text.find(' ') == std::string_view::npos) {
      page += ".SH " + upper(text.substr(0, text.size() - 1)) + "\n";
      inDescription = false;
      inList = true;
      continue;
    }
    if (inList && indent > 0) {
      // A term is indented by two; its description follows after two or
      // more spaces, or on the deeper indented lines below it.
      if (indent <= 2) {
        const auto gap = text.find("  ");
        page += ".TP\n.B " + escaped(text.substr(0, gap)) + "\n";
        if (gap != std::string_view::npos) page += escaped(trimmed(text.substr(gap))) + "\n";
      } else {
        page += escaped(text) + "\n";
      }
      continue;
    }
    if (!paragraphOpen && !inDescription) page += ".PP\n";
    paragraphOpen = true;
    page += escaped(text) + "\n";
  }
  return page;
}

}  // namespace valdor::cli
