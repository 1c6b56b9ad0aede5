// Any bytes as an INI file, with a section, key and value taken from the
// front of the input. Checks that reading never fails and that a write
// changes only the line it owns: every other key reads the same afterwards,
// and what the write removed lies within one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile.h"
#include "config/value_words.h"

namespace {

using namespace valdor::config;

// Short names from a small alphabet, so the fuzzer hits existing keys often.
std::string takeName(std::string_view& input) {
  static constexpr std::string_view kAlphabet = "abSK[]=; \t\"'\r\n.x";
  std::string name;
  std::size_t length = input.empty() ? 0 : static_cast<unsigned char>(input.front()) % 4;
  if (!input.empty()) input.remove_prefix(1);
  for (std::size_t i = 0; i < length && !input.empty(); ++i) {
    name += kAlphabet[static_cast<unsigned char>(input.front()) % kAlphabet.size()];
    input.remove_prefix(1);
  }
  return name;
}

std::string_view trimmed(std::string_view name) {
  constexpr std::string_view kBlanks(" \t\v\f\x1a");
  const std::size_t first = name.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return name.substr(first, name.find_last_not_of(kBlanks) - first + 1);
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string section = takeName(input);
  const std::string key = takeName(input);
  const std::string value = takeName(input);
  const std::string_view content = input;

  (void)readProfileString(content, section, key, "d", 7);
  (void)readProfileInt(content, section, key, -1);
  (void)parseProfileInt(content.substr(0, 40));

  if (!isWritableEntry(section, key, value)) return 0;
  const std::string updated = setProfileValue(content, section, key, value);

  // The written key reads back as what a read of that value gives.
  std::string probe = "[x]\r\nk=" + value + "\r\n";
  check(findProfileValue(updated, section, key) == findProfileValue(probe, "x", "k"));

  // Every other key of every section reads as before.
  static constexpr std::string_view kNames[] = {"", "a", "b", "S", "K", "ab", "a b", "x"};
  for (std::string_view otherSection : kNames) {
    for (std::string_view otherKey : kNames) {
      if (equalsIgnoreCase(otherSection, trimmed(section)) && equalsIgnoreCase(otherKey, trimmed(key))) continue;
      check(findProfileValue(content, otherSection, otherKey) == findProfileValue(updated, otherSection, otherKey));
    }
  }

  // What the write took away from the old bytes lies inside one line.
  std::size_t prefix = 0;
  while (prefix < content.size() && prefix < updated.size() && content[prefix] == updated[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < content.size() - prefix && suffix < updated.size() - prefix &&
         content[content.size() - 1 - suffix] == updated[updated.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::string_view removed = content.substr(prefix, content.size() - prefix - suffix);
  check(removed.find_first_of("\r\n") == std::string_view::npos);
  return 0;
}
