#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cache_window/address_space.h"
#include "cache_window/cache_controls.h"
#include "config/profile.h"
#include "credits_window/credits_controls.h"
#include "main_window/main_controls.h"
#include "other_window/other_controls.h"

// The translation table that ships inside the program, checked as a file: the
// windows look texts up by key and never notice a missing or garbled one, so
// the table itself has to be right.
namespace {

using namespace std::string_view_literals;

constexpr auto kTablePath = VALDOR_SOURCE_DIR "/src/res/translation.ini";

// The messages every language group begins with, in table order.
constexpr std::array kMessageKeys{
    "MESSAGE_RESTORESTARTLOGOS"sv, "MESSAGE_REMOVESTARTLOGOS"sv, "MESSAGE_RESTORESETTINGS"sv,
    "MESSAGE_LOADBACKUP"sv,        "MESSAGE_SETTINGSSAVED"sv,    "MESSAGE_INVALIDFILE"sv,
};

// The question every settings window asks when closed with changes, and the
// captions of its buttons (the save button reuses "TEXT_SAVE"); they sit
// with the messages, since no one window owns them.
constexpr std::array kCloseQuestionKeys{"MESSAGE_SAVECHANGES"sv, "TEXT_DISCARDCHANGES"sv, "TEXT_GOBACK"sv};

// The captions of the question a window asks when another program changed
// the settings it is about to save (going back reuses "TEXT_GOBACK").
constexpr std::array kOutsideEditKeys{"TEXT_TAKEFILEVALUES"sv, "TEXT_OVERWRITE"sv};

// The main window's list entries, which no table names.
constexpr std::array kMainEntryKeys{
    "TEXT_TEXTUREFILTERLINEAR"sv,      "TEXT_TEXTUREFILTERANISOTROPIC"sv,    "TEXT_TEXTUREFILTERANISOTROPIC4X"sv,
    "TEXT_TEXTUREFILTERANISOTROPIC8X"sv, "TEXT_TEXTUREFILTERANISOTROPIC16X"sv, "TEXT_POSTPROCESSINGBLOOM"sv,
    "TEXT_POSTPROCESSINGHORIZONTALBLUR"sv, "TEXT_LOWQUALITY"sv,              "TEXT_MEDIUMQUALITY"sv,
    "TEXT_HIGHQUALITY"sv,              "TEXT_ULTRAHIGHQUALITY"sv,            "TEXT_NORMALQUALITY"sv,
    "TEXT_ENABLED"sv,                  "TEXT_DISABLED"sv,
};

// The messages the program adds about failed file access; they name the file.
constexpr std::array kFileMessageKeys{
    "MESSAGE_FILEREADONLY"sv, "MESSAGE_FOLDERMISSING"sv, "MESSAGE_ACCESSDENIED"sv, "MESSAGE_DISKFULL"sv, "MESSAGE_FILEBUSY"sv,
    "MESSAGE_FILEINUSE"sv,    "MESSAGE_OUTSIDECODEPAGE"sv,
    "MESSAGE_INVALIDENTRY"sv, "MESSAGE_WRITEFAILED"sv,   "MESSAGE_FILENOTFOUND"sv, "MESSAGE_READFAILED"sv,
    "MESSAGE_UNSUPPORTEDENCODING"sv,
    "MESSAGE_BACKUPISEDITEDFILE"sv, "MESSAGE_BACKUPEXISTS"sv,
    "MESSAGE_SAVENOTAFILE"sv, "MESSAGE_SAVETOOLARGE"sv,  "MESSAGE_SAVEUNREADABLE"sv,
    "MESSAGE_READNOTAFILE"sv, "MESSAGE_READTOOLARGE"sv,  "MESSAGE_READUNREADABLE"sv, "MESSAGE_FOLDERNOTPRIVATE"sv,
};

// The groups of the language sections after the messages, one per window.
enum class Window { Main, Cache, Other, Credits };
constexpr std::array kWindows{Window::Main, Window::Cache, Window::Other, Window::Credits};

// Captions more than one window shows, each held in one window's group.
constexpr std::array<std::pair<std::string_view, Window>, 5> kSharedKeys{{
    {"TEXT_RESTORESETTINGS"sv, Window::Main},
    {"TEXT_WARNING"sv, Window::Other},
    {"TEXT_SAVE"sv, Window::Other},
    {"TEXT_CLOSE"sv, Window::Other},
    {"TEXT_VERSION"sv, Window::Credits},
}};

using KeySet = std::set<std::string_view>;

void addCaptions(KeySet& keys, const auto& controls) {
  for (const auto& row : controls) {
    if (!row.captionKey.empty()) keys.insert(row.captionKey);
  }
}

// Every key a window looks up: its template's captions, its rows' labels and
// tooltips and its other tooltips and entries.
KeySet windowKeys(Window window) {
  namespace mw = valdor::main_window;
  namespace cw = valdor::cache_window;
  namespace ow = valdor::other_window;
  KeySet keys;
  switch (window) {
    case Window::Main:
      addCaptions(keys, mw::kControls);
      for (const auto& row : mw::kMainRows) keys.insert({row.labelKey, row.tooltipKey});
      for (const auto& tip : mw::kTooltips) keys.insert(tip.key);
      keys.insert(kMainEntryKeys.begin(), kMainEntryKeys.end());
      break;
    case Window::Cache:
      addCaptions(keys, cw::kControls);
      for (const auto& row : cw::kCacheRows) keys.insert({row.labelKey, row.tooltipKey});
      for (const auto& column : cw::kCacheColumnRows) keys.insert(column.captionKey);
      keys.insert({cw::kFinalCacheTooltip, cw::kIncreaseTooltip, cw::kDecreaseTooltip, cw::kCeilingTooltip});
      break;
    case Window::Other:
      addCaptions(keys, ow::kControls);
      for (const auto& row : ow::kOtherRows) keys.insert({row.labelKey, row.tooltipKey});
      break;
    case Window::Credits:
      addCaptions(keys, valdor::credits_window::kControls);
      break;
  }
  return keys;
}

// The keys a window's group holds: its own, without the shared ones held elsewhere.
KeySet groupKeys(Window window) {
  KeySet keys = windowKeys(window);
  for (const auto& [key, holder] : kSharedKeys) {
    if (holder != window) keys.erase(key);
  }
  return keys;
}

// Tooltips that get no default appended: the ones without a setting.
KeySet tooltipsWithoutDefault() {
  KeySet keys;
  for (const auto& tip : valdor::main_window::kTooltips) keys.insert(tip.key);
  namespace cw = valdor::cache_window;
  keys.insert({cw::kFinalCacheTooltip, cw::kIncreaseTooltip, cw::kDecreaseTooltip, cw::kCeilingTooltip});
  return keys;
}

// The main window's buttons: without a tooltip in English, with one in German.
KeySet mainButtonTooltips() {
  namespace mw = valdor::main_window;
  KeySet keys;
  for (const auto& tip : mw::kTooltips) {
    const auto control = std::find_if(mw::kControls.begin(), mw::kControls.end(),
                                      [&tip](const auto& row) { return row.id == tip.id; });
    if (control != mw::kControls.end() && control->kind == valdor::ui::ControlKind::Button) keys.insert(tip.key);
  }
  return keys;
}

// The messages about an edit field that holds no number; they name the field.
KeySet fieldMessageKeys() {
  KeySet keys;
  for (const auto& [kind, key] : valdor::other_window::kNotANumberKeys) keys.insert(key);
  return keys;
}

// The list entries a typed text is compared with to choose an entry, so no
// two may be alike.
constexpr std::array kValueWordEntryKeys{
    "TEXT_DISABLED"sv,    "TEXT_ENABLED"sv,       "TEXT_LOWQUALITY"sv,       "TEXT_MEDIUMQUALITY"sv,
    "TEXT_HIGHQUALITY"sv, "TEXT_NORMALQUALITY"sv, "TEXT_ULTRAHIGHQUALITY"sv,
};

struct Entry {
  std::string key;
  std::string value;  // as stored, trailing blanks included
};

struct Group {
  std::string heading;
  std::vector<Entry> entries;
};

struct Section {
  std::string name;
  std::vector<Group> groups;  // entries before the first comment go into a group without heading

  std::vector<Entry> entries() const {
    std::vector<Entry> all;
    for (const auto& group : groups) all.insert(all.end(), group.entries.begin(), group.entries.end());
    return all;
  }
  const Entry* find(std::string_view key) const {
    for (const auto& group : groups) {
      for (const auto& entry : group.entries) {
        if (entry.key == key) return &entry;
      }
    }
    return nullptr;
  }
};

struct Table {
  std::vector<Section> sections;
  std::vector<std::string> badLines;  // lines that are none of the known kinds

  const Section* find(std::string_view name) const {
    for (const auto& section : sections) {
      if (section.name == name) return &section;
    }
    return nullptr;
  }
};

std::string readTableBytes() {
  std::ifstream in(kTablePath, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> splitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const auto end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      return lines;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
}

bool isKeyName(std::string_view key) {
  if (!key.starts_with("MESSAGE_") && !key.starts_with("TEXT_") && !key.starts_with("TOOLTIP_")) return false;
  return std::all_of(key.begin(), key.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; });
}

Table parseTable(const std::string& bytes) {
  Table table;
  for (const auto& line : splitLines(bytes)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      table.sections.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    if (table.sections.empty()) {
      table.badLines.push_back(line);
      continue;
    }
    auto& groups = table.sections.back().groups;
    if (line.front() == ';') {
      groups.push_back({line, {}});
      continue;
    }
    const auto equals = line.find('=');
    const std::string key = line.substr(0, equals);
    if (equals == std::string::npos || !isKeyName(key) || (equals + 1 < line.size() && line[equals + 1] == ' ')) {
      table.badLines.push_back(line);
      continue;
    }
    if (groups.empty()) groups.push_back({});
    groups.back().entries.push_back({key, line.substr(equals + 1)});
  }
  return table;
}

const Table& table() {
  static const Table parsed = parseTable(readTableBytes());
  return parsed;
}

std::string_view trimmedEnd(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool contains(const auto& list, std::string_view key) { return std::find(list.begin(), list.end(), key) != list.end(); }

std::set<std::string> placeholders(std::string_view text) {
  std::set<std::string> names;
  for (auto open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
    const auto close = text.find('}', open);
    if (close == std::string_view::npos) break;
    names.emplace(text.substr(open, close - open + 1));
  }
  return names;
}

// The keys of a group with the required keys taken out, in their order.
std::vector<std::string_view> requiredKeysOf(const Group& group, const auto& required) {
  std::vector<std::string_view> keys;
  for (const auto& entry : group.entries) {
    if (contains(required, entry.key)) keys.push_back(entry.key);
  }
  return keys;
}

// ---- bytes ----

TEST(TranslationTable, IsWindows1252WithCrLfLinesAndNoFinalLineEnd) {
  const std::string bytes = readTableBytes();
  ASSERT_FALSE(bytes.empty()) << kTablePath;
  EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF")) << "byte order mark";
  EXPECT_NE(bytes.back(), '\n');
  EXPECT_NE(bytes.back(), '\r');

  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    const auto previous = i > 0 ? static_cast<unsigned char>(bytes[i - 1]) : 0;
    if (byte == '\r') {
      EXPECT_EQ(next, '\n') << "bare CR at byte " << i;
    }
    if (byte == '\n') {
      EXPECT_EQ(previous, '\r') << "bare LF at byte " << i;
    }
    if (byte < 0x20 && byte != '\r' && byte != '\n') {
      ADD_FAILURE() << "control byte " << int(byte) << " at " << i;
    }
    // The five bytes without a character in Windows-1252.
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) {
      ADD_FAILURE() << "byte " << int(byte) << " has no Windows-1252 character, at " << i;
    }
    // A UTF-8 lead byte followed by a continuation byte: an umlaut saved as UTF-8.
    if (byte >= 0xC2 && byte <= 0xF4 && next >= 0x80 && next <= 0xBF) {
      ADD_FAILURE() << "UTF-8 sequence at byte " << i;
    }
  }
}

// ---- layout ----

TEST(TranslationTable, HasGeneralGermanAndEnglishSectionsOfWellFormedLines) {
  const auto& parsed = table();
  EXPECT_TRUE(parsed.badLines.empty()) << "first bad line: " << parsed.badLines.front();

  std::vector<std::string> names;
  for (const auto& section : parsed.sections) names.push_back(section.name);
  EXPECT_EQ(names, (std::vector<std::string>{"general", "deutsch", "english"}));

  for (const auto& section : parsed.sections) {
    std::set<std::string> seen;
    for (const auto& entry : section.entries()) {
      EXPECT_TRUE(seen.insert(entry.key).second) << section.name << ": " << entry.key << " twice";
      // The reader's buffer holds kTextCapacity bytes; stay well inside it.
      EXPECT_LE(entry.value.size(), 1000u) << entry.key;
      // A value enclosed in quotes loses them when read.
      const auto& v = entry.value;
      EXPECT_FALSE(v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) << entry.key;
    }
  }
}

TEST(TranslationTable, GeneralSectionHoldsTheStartUpMessagesInBothLanguages) {
  const auto* general = table().find("general");
  ASSERT_NE(general, nullptr);
  const auto entries = general->entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].key, "MESSAGE_NOINSTALLATIONFOUND");
  EXPECT_EQ(entries[1].key, "MESSAGE_INVALIDPATH");
  EXPECT_EQ(entries[2].key, "MESSAGE_CHOOSEINSTALLATION");

  for (const auto& entry : entries) {
    // German first, then a blank line, then English: each half has the same lines.
    const std::string_view text = entry.value;
    const auto blankLine = text.find("||");
    ASSERT_NE(blankLine, std::string_view::npos) << entry.key;
    EXPECT_EQ(text.find("||", blankLine + 2), std::string_view::npos) << entry.key;
    const auto german = text.substr(0, blankLine);
    const auto english = text.substr(blankLine + 2);
    EXPECT_FALSE(german.empty()) << entry.key;
    EXPECT_FALSE(english.empty()) << entry.key;
    EXPECT_EQ(std::count(german.begin(), german.end(), '|'), std::count(english.begin(), english.end(), '|'))
        << entry.key;
    // Read before the language is known, with the smaller buffer of configuration values.
    EXPECT_LT(entry.value.size(), valdor::config::kValueCapacity) << entry.key;
  }
}

TEST(TranslationTable, LanguageSectionsHoldTheMessagesInOrderAndEachWindowsKeysInItsGroup) {
  const auto* german = table().find("deutsch");
  const auto* english = table().find("english");
  ASSERT_NE(german, nullptr);
  ASSERT_NE(english, nullptr);

  std::vector<std::string> germanKeys;
  std::vector<std::string> englishKeys;
  for (const auto& entry : german->entries()) germanKeys.push_back(entry.key);
  for (const auto& entry : english->entries()) englishKeys.push_back(entry.key);
  EXPECT_EQ(germanKeys, englishKeys);

  std::vector<std::string> englishHeadings;
  for (const auto& group : english->groups) englishHeadings.push_back(group.heading);
  EXPECT_EQ(englishHeadings, (std::vector<std::string>{"; MESSAGES", "; MAIN SETTINGS", "; CACHE SETTINGS",
                                                       "; OTHER SETTINGS", "; CREDITS"}));

  for (const auto* section : {german, english}) {
    ASSERT_EQ(section->groups.size(), 5u) << section->name;
    for (const auto& group : section->groups) EXPECT_GT(group.heading.size(), 2u) << section->name;

    const auto& messages = section->groups[0];
    EXPECT_EQ(requiredKeysOf(messages, kMessageKeys), std::vector(kMessageKeys.begin(), kMessageKeys.end()));
    EXPECT_EQ(requiredKeysOf(messages, kCloseQuestionKeys),
              std::vector(kCloseQuestionKeys.begin(), kCloseQuestionKeys.end()));
    // Further messages of the program's own follow the required ones.
    for (std::size_t i = 0; i < messages.entries.size(); ++i) {
      const auto& key = messages.entries[i].key;
      EXPECT_TRUE(key.starts_with("MESSAGE_") || contains(kCloseQuestionKeys, key) || contains(kOutsideEditKeys, key))
          << key;
      if (!contains(kMessageKeys, key)) {
        EXPECT_GE(i, kMessageKeys.size()) << key << " among the required messages";
      }
    }

    // Each window's group holds exactly the keys the window looks up, so a
    // new row or control is checked for free.
    for (std::size_t i = 0; i < kWindows.size(); ++i) {
      const Group& group = section->groups[i + 1];
      KeySet missing = groupKeys(kWindows[i]);
      for (const auto& entry : group.entries) {
        EXPECT_EQ(missing.erase(entry.key), 1u) << section->name << " " << group.heading << ": " << entry.key
                                                << " is not looked up by this window";
      }
      for (const auto key : missing) ADD_FAILURE() << section->name << " " << group.heading << " lacks " << key;
    }
  }

  // A shared key is looked up by the window whose group holds it, and by another.
  for (const auto& [key, holder] : kSharedKeys) {
    EXPECT_TRUE(windowKeys(holder).contains(key)) << key;
    EXPECT_GE(std::count_if(kWindows.begin(), kWindows.end(), [key](Window w) { return windowKeys(w).contains(key); }),
              2)
        << key;
  }
}

// ---- texts ----

TEST(TranslationTable, TextsAreFilledAndMarkersSitOnlyInMessagesAndTooltips) {
  const auto* german = table().find("deutsch");
  const auto* english = table().find("english");
  ASSERT_NE(german, nullptr);
  ASSERT_NE(english, nullptr);

  for (const auto* section : {german, english}) {
    const bool isEnglish = section == english;
    for (const auto& entry : section->entries()) {
      const bool mayBeEmpty = isEnglish && mainButtonTooltips().contains(entry.key);
      if (mayBeEmpty) {
        EXPECT_EQ(entry.value, "") << "english " << entry.key;
      } else {
        EXPECT_FALSE(trimmedEnd(entry.value).empty()) << section->name << " " << entry.key;
      }
      const bool markersAllowed = entry.key.starts_with("MESSAGE_") || entry.key.starts_with("TOOLTIP_");
      if (!markersAllowed) {
        EXPECT_EQ(entry.value.find('|'), std::string::npos) << section->name << " " << entry.key;
      }
      // Captions are not pre-wrapped: trailing blanks are only the harmless one after a tooltip's colon.
      if (!entry.key.starts_with("TOOLTIP_")) {
        EXPECT_EQ(entry.value, trimmedEnd(entry.value)) << entry.key;
      }
    }
    // The other settings window shows this question without turning markers into line breaks.
    const auto* restore = section->find("MESSAGE_RESTORESETTINGS");
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(restore->value.find('|'), std::string::npos) << section->name;
  }

  for (const auto key : {"TOOLTIP_LANGUAGE"sv, "TOOLTIP_FINALCACHE"sv}) {
    const auto* entry = english->find(key);
    ASSERT_NE(entry, nullptr) << key;
    EXPECT_NE(entry->value, "") << key << " is no main window button";
  }
}

TEST(TranslationTable, SettingTooltipsEndInTheWordForDefault) {
  // The program appends the default value right after the word and its colon.
  for (const auto& [name, word] : {std::pair{"deutsch"sv, "Standard:"sv}, std::pair{"english"sv, "default:"sv}}) {
    const auto* section = table().find(name);
    ASSERT_NE(section, nullptr);
    for (const auto& entry : section->entries()) {
      if (!entry.key.starts_with("TOOLTIP_")) continue;
      const auto text = trimmedEnd(entry.value);
      if (tooltipsWithoutDefault().contains(entry.key)) {
        EXPECT_EQ(text.find(word), std::string_view::npos) << name << " " << entry.key << " has no default";
      } else {
        EXPECT_TRUE(text.ends_with(word)) << name << " " << entry.key << ": " << entry.value;
        EXPECT_GT(text.size(), word.size()) << name << " " << entry.key << " names nothing";
      }
    }
  }
}

TEST(TranslationTable, PlaceholdersAndValueWordEntriesAgreeInBothLanguages) {
  const auto* german = table().find("deutsch");
  const auto* english = table().find("english");
  ASSERT_NE(german, nullptr);
  ASSERT_NE(english, nullptr);

  for (const auto& entry : english->entries()) {
    const auto* translated = german->find(entry.key);
    ASSERT_NE(translated, nullptr) << entry.key;
    EXPECT_EQ(placeholders(translated->value), placeholders(entry.value)) << entry.key;
  }
  for (const auto key : kFileMessageKeys) {
    for (const auto* section : {german, english}) {
      const auto* entry = section->find(key);
      ASSERT_NE(entry, nullptr) << section->name << " " << key;
      EXPECT_NE(entry->value.find("{file}"), std::string::npos) << section->name << " " << key;
    }
  }
  for (const auto* section : {german, english}) {
    const auto* entry = section->find("MESSAGE_LINKNOTOPENED");
    ASSERT_NE(entry, nullptr) << section->name;
    EXPECT_NE(entry->value.find("{address}"), std::string::npos) << section->name;
  }
  for (const auto key : fieldMessageKeys()) {
    for (const auto* section : {german, english}) {
      const auto* entry = section->find(key);
      ASSERT_NE(entry, nullptr) << section->name << " " << key;
      EXPECT_NE(entry->value.find("{field}"), std::string::npos) << section->name << " " << key;
    }
  }

  // The chosen entry's text is mapped back to a value word, so no two may be equal.
  for (const auto* section : {german, english}) {
    std::set<std::string> texts;
    for (const auto key : kValueWordEntryKeys) {
      const auto* entry = section->find(key);
      ASSERT_NE(entry, nullptr) << section->name << " " << key;
      EXPECT_TRUE(texts.insert(entry->value).second) << section->name << " " << key << " repeats " << entry->value;
    }
  }

  // German texts stay out of the English section.
  for (const auto& entry : english->entries()) {
    EXPECT_TRUE(std::all_of(entry.value.begin(), entry.value.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x80;
    })) << entry.key;
  }
}

}  // namespace
