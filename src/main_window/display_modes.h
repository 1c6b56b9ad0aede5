#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/display_modes.h"

// The resolution list of the main window and the screen shape of its chosen
// entry. The list holds only texts such as "1280x1024@75Hz"; width, height and
// refresh rate are read back from the text when they are needed.
namespace valdor::main_window {

// Modes narrower than this are not offered.
inline constexpr std::uint32_t kMinimumModeWidth = 640;

// The aspect-ratio label's text before its first update.
inline constexpr std::string_view kInitialAspectRatio = "16:10";

// "%ix%i@%iHz": the text a stored mode is looked for by, e.g. "0x0@0Hz" when
// the keys are missing.
std::string entryText(std::int64_t width, std::int64_t height, std::int64_t refreshRate);

// The three numbers of an entry text as the texts they are: everything before
// the first "x", from there to the next "@", and from there to the next "H".
struct EntryParts {
  std::string_view width;
  std::string_view height;
  std::string_view refreshRate;
};

// nullopt when a separator is missing.
std::optional<EntryParts> splitEntryText(std::string_view text);

// The entry texts of the source's modes at least kMinimumModeWidth wide, each
// once, in ascending order of width, height and refresh rate.
std::vector<std::string> FillDisplayModes(const platform::DisplayModeSource& source);

// "5:4", "4:3", "16:10" or "16:9" for an entry text; nullopt when the text
// names no positive width and height.
std::optional<std::string_view> aspectRatioOf(std::string_view entryText);

// The aspect-ratio text for the chosen entry of the list; nullopt, meaning
// that the text stays as it is, when no entry is chosen or it names no size.
std::optional<std::string_view> UpdateAspectRatio(std::span<const std::string> entries,
                                                  std::optional<std::size_t> chosen);

// The entry chosen for text (loading, restoring defaults): the first entry
// that begins with text, ignoring case, searched from the second entry to the
// end and then from the first; current when no entry matches.
std::optional<std::size_t> chooseEntry(std::span<const std::string> entries, std::string_view text,
                                       std::optional<std::size_t> current);

}  // namespace valdor::main_window
