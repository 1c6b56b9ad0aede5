#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile.h"

// The translation table that ships inside the program, checked as a file: the
// windows look texts up by key and never notice a missing or garbled one, so
// the table itself has to be right.
namespace {

using namespace std::string_view_literals;

constexpr auto kTablePath = VALDOR_SOURCE_DIR "/src/res/translation.ini";

// Every key the windows look up, per group, in table order.
constexpr std::array kMessageKeys{
    "MESSAGE_RESTORESTARTLOGOS"sv, "MESSAGE_REMOVESTARTLOGOS"sv, "MESSAGE_RESTORESETTINGS"sv,
    "MESSAGE_LOADBACKUP"sv,        "MESSAGE_SETTINGSSAVED"sv,    "MESSAGE_INVALIDFILE"sv,
};
constexpr std::array kMainKeys{
    "TEXT_COMMONSETTINGS"sv,
    "TEXT_ADVANCEDSETTINGS"sv,
    "TEXT_RESOLUTION"sv,
    "TEXT_ASPECTRATIO"sv,
    "TEXT_VIEWRANGEHIGH"sv,
    "TEXT_VIEWRANGELOW"sv,
    "TEXT_RESOURCECACHE"sv,
    "TEXT_OBJECTDETAILS"sv,
    "TEXT_SHADERQUALITY"sv,
    "TEXT_TEXTUREQUALITY"sv,
    "TEXT_TEXTUREFILTER"sv,
    "TEXT_VEGETATIONQUALITY"sv,
    "TEXT_SHADOWQUALITY"sv,
    "TEXT_POSTPROCESSING"sv,
    "TEXT_RISK"sv,
    "TEXT_VEGETATION"sv,
    "TEXT_VEGETATIONDETAILS"sv,
    "TEXT_VEGETATIONVIEWRANGE"sv,
    "TEXT_TREESHADOWS"sv,
    "TEXT_STATICSHADOWS"sv,
    "TEXT_DETAILEDSHADOWS"sv,
    "TEXT_PHYSICSVIEWRANGE"sv,
    "TEXT_MAXRAGDOLLS"sv,
    "TEXT_ROIVIEWRANGE"sv,
    "TEXT_LOWPOLYGONS"sv,
    "TEXT_MESHQUALITY"sv,
    "TEXT_ANIMATIONQUALITY"sv,
    "TEXT_IMAGEQUALITY"sv,
    "TEXT_RESTORESTARTLOGOS"sv,
    "TEXT_REMOVESTARTLOGOS"sv,
    "TEXT_CACHESETTINGS"sv,
    "TEXT_OTHERSETTINGS"sv,
    "TEXT_RESTORESETTINGS"sv,
    "TEXT_LOADBACKUP"sv,
    "TEXT_CREATEBACKUP"sv,
    "TEXT_CREDITS"sv,
    "TEXT_SAVESETTINGS"sv,
    "TEXT_EXIT"sv,
    "TEXT_TEXTUREFILTERLINEAR"sv,
    "TEXT_TEXTUREFILTERANISOTROPIC"sv,
    "TEXT_TEXTUREFILTERANISOTROPIC4X"sv,
    "TEXT_TEXTUREFILTERANISOTROPIC8X"sv,
    "TEXT_TEXTUREFILTERANISOTROPIC16X"sv,
    "TEXT_POSTPROCESSINGBLOOM"sv,
    "TEXT_POSTPROCESSINGHORIZONTALBLUR"sv,
    "TEXT_LOWQUALITY"sv,
    "TEXT_MEDIUMQUALITY"sv,
    "TEXT_HIGHQUALITY"sv,
    "TEXT_ULTRAHIGHQUALITY"sv,
    "TEXT_NORMALQUALITY"sv,
    "TEXT_ENABLED"sv,
    "TEXT_DISABLED"sv,
    "TOOLTIP_LANGUAGE"sv,
    "TOOLTIP_RESOLUTION"sv,
    "TOOLTIP_VIEWRANGEHIGH"sv,
    "TOOLTIP_VIEWRANGELOW"sv,
    "TOOLTIP_RESOURCECACHE"sv,
    "TOOLTIP_SHADOWQUALITY"sv,
    "TOOLTIP_OBJECTDETAILS"sv,
    "TOOLTIP_SHADERQUALITY"sv,
    "TOOLTIP_TEXTUREQUALITY"sv,
    "TOOLTIP_TEXTUREFILTER"sv,
    "TOOLTIP_VEGETATIONQUALITY"sv,
    "TOOLTIP_POSTPROCESSING"sv,
    "TOOLTIP_REMOVESTARTLOGOS"sv,
    "TOOLTIP_RESTORESTARTLOGOS"sv,
    "TOOLTIP_VEGETATION"sv,
    "TOOLTIP_VEGETATIONDETAILS"sv,
    "TOOLTIP_VEGETATIONVIEWRANGE"sv,
    "TOOLTIP_TREESHADOWS"sv,
    "TOOLTIP_STATICSHADOWS"sv,
    "TOOLTIP_DETAILEDSHADOWS"sv,
    "TOOLTIP_PHYSICSVIEWRANGE"sv,
    "TOOLTIP_MAXRAGDOLLS"sv,
    "TOOLTIP_ROIVIEWRANGE"sv,
    "TOOLTIP_LOWPOLYGONS"sv,
    "TOOLTIP_MESHQUALITY"sv,
    "TOOLTIP_ANIMATIONQUALITY"sv,
    "TOOLTIP_IMAGEQUALITY"sv,
    "TOOLTIP_CACHESETTINGS"sv,
    "TOOLTIP_OTHERSETTINGS"sv,
    "TOOLTIP_LOADBACKUP"sv,
    "TOOLTIP_CREATEBACKUP"sv,
    "TOOLTIP_SAVE"sv,
    "TOOLTIP_CREDITS"sv,
};
constexpr std::array kCacheKeys{
    "TEXT_TITLECACHESETTINGS"sv, "TEXT_COMMON"sv,
    "TEXT_RESOURCECACHELOW"sv,   "TEXT_RESOURCECACHEMEDIUM"sv,
    "TEXT_RESOURCECACHEHIGH"sv,  "TEXT_CACHEIMAGE"sv,
    "TEXT_CACHEMESH"sv,          "TEXT_CACHESOUND"sv,
    "TEXT_CACHEMATERIAL"sv,      "TEXT_CACHECOLMESH"sv,
    "TEXT_CACHEANIMATION"sv,     "TEXT_CACHESPEEDTREE"sv,
    "TEXT_CACHETEXTURES"sv,      "TEXT_TOTAL"sv,
    "TEXT_FINALCACHE"sv,         "TEXT_MODIFY"sv,
    "TOOLTIP_CACHEIMAGE"sv,      "TOOLTIP_CACHEMESH"sv,
    "TOOLTIP_CACHESOUND"sv,      "TOOLTIP_CACHEMATERIAL"sv,
    "TOOLTIP_CACHECOLMESH"sv,    "TOOLTIP_CACHEANIMATION"sv,
    "TOOLTIP_CACHESPEEDTREE"sv,  "TOOLTIP_CACHETEXTURES"sv,
    "TOOLTIP_FINALCACHE"sv,      "TOOLTIP_INCREASECACHE"sv,
    "TOOLTIP_DECREASECACHE"sv,
};
constexpr std::array kOtherKeys{
    "TEXT_TITLEOTHERSETTINGS"sv,
    "TEXT_WARNING"sv,
    "TEXT_LOWVIEWRANGE"sv,
    "TEXT_LOWVIEWRANGEOBJECTS"sv,
    "TEXT_LOWVIEWRANGEHIGH"sv,
    "TEXT_LOWVIEWRANGELOW"sv,
    "TEXT_MEDIUMVIEWRANGE"sv,
    "TEXT_MEDIUMVIEWRANGEOBJECTS"sv,
    "TEXT_MEDIUMVIEWRANGEHIGH"sv,
    "TEXT_MEDIUMVIEWRANGELOW"sv,
    "TEXT_HIGHVIEWRANGE"sv,
    "TEXT_HIGHVIEWRANGEOBJECTS"sv,
    "TEXT_HIGHVIEWRANGEHIGH"sv,
    "TEXT_HIGHVIEWRANGELOW"sv,
    "TEXT_OTHERVIEWRANGE"sv,
    "TEXT_PREFETCHCELLSIZE"sv,
    "TEXT_MAXDISTTOPLAYER"sv,
    "TEXT_DOFSTART"sv,
    "TEXT_DOFEND"sv,
    "TEXT_FPS"sv,
    "TEXT_FPSAVERAGE"sv,
    "TEXT_FPSMIN"sv,
    "TEXT_FPSMAX"sv,
    "TEXT_MISCELLANEOUS"sv,
    "TEXT_PLAYERMEMORY"sv,
    "TEXT_LEVELOFDETAIL"sv,
    "TEXT_TESTMODE"sv,
    "TEXT_CLOSE"sv,
    "TEXT_SAVE"sv,
    "TOOLTIP_VIEWRANGEOBJECTS"sv,
    "TOOLTIP_VIEWRANGEHIGH2"sv,
    "TOOLTIP_VIEWRANGELOW2"sv,
    "TOOLTIP_PREFETCHCELLSIZE"sv,
    "TOOLTIP_MAXDISTTOPLAYER"sv,
    "TOOLTIP_DOFSTART"sv,
    "TOOLTIP_DOFEND"sv,
    "TOOLTIP_FPSAVERAGE"sv,
    "TOOLTIP_FPSMIN"sv,
    "TOOLTIP_FPSMAX"sv,
    "TOOLTIP_LEVELOFDETAIL"sv,
    "TOOLTIP_PLAYERMEMORY"sv,
    "TOOLTIP_TESTMODE"sv,
};
constexpr std::array kCreditsKeys{"TEXT_VERSION"sv, "TEXT_THANKS"sv, "TEXT_LINK"sv, "TEXT_CONTACT"sv};

// The messages the program adds about failed file access; they name the file.
constexpr std::array kFileMessageKeys{
    "MESSAGE_FILEREADONLY"sv, "MESSAGE_FOLDERMISSING"sv, "MESSAGE_ACCESSDENIED"sv, "MESSAGE_DISKFULL"sv,
    "MESSAGE_INVALIDENTRY"sv, "MESSAGE_WRITEFAILED"sv,   "MESSAGE_FILENOTFOUND"sv, "MESSAGE_READFAILED"sv,
};
// The message about an edit field that holds no number; it names the field.
constexpr std::array kFieldMessageKeys{"MESSAGE_NOTANUMBER"sv, "MESSAGE_NOTANUNSIGNEDNUMBER"sv,
                                       "MESSAGE_NOTADECIMALNUMBER"sv};

// Tooltips that get no default appended: the language box and the buttons.
constexpr std::array kTooltipsWithoutDefault{
    "TOOLTIP_LANGUAGE"sv,      "TOOLTIP_REMOVESTARTLOGOS"sv, "TOOLTIP_RESTORESTARTLOGOS"sv, "TOOLTIP_CACHESETTINGS"sv,
    "TOOLTIP_OTHERSETTINGS"sv, "TOOLTIP_LOADBACKUP"sv,       "TOOLTIP_CREATEBACKUP"sv,      "TOOLTIP_SAVE"sv,
    "TOOLTIP_CREDITS"sv,       "TOOLTIP_FINALCACHE"sv,       "TOOLTIP_INCREASECACHE"sv,     "TOOLTIP_DECREASECACHE"sv,
};

// The main window's buttons: without a tooltip in English, with one in German.
constexpr std::array kMainButtonTooltips{
    "TOOLTIP_REMOVESTARTLOGOS"sv, "TOOLTIP_RESTORESTARTLOGOS"sv, "TOOLTIP_CACHESETTINGS"sv, "TOOLTIP_OTHERSETTINGS"sv,
    "TOOLTIP_LOADBACKUP"sv,       "TOOLTIP_CREATEBACKUP"sv,      "TOOLTIP_SAVE"sv,          "TOOLTIP_CREDITS"sv,
};

// The list entries that are turned back into the game's value words by an
// exact comparison of their texts.
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

TEST(TranslationTable, LanguageSectionsHoldEveryKeyInOrderInFiveGroups) {
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
    // Further messages of the program's own follow the required ones.
    for (std::size_t i = 0; i < messages.entries.size(); ++i) {
      const auto& key = messages.entries[i].key;
      EXPECT_TRUE(key.starts_with("MESSAGE_")) << key;
      if (!contains(kMessageKeys, key)) {
        EXPECT_GE(i, kMessageKeys.size()) << key << " among the required messages";
      }
    }

    const auto exactly = [&](const Group& group, const auto& expected) {
      std::vector<std::string_view> keys;
      for (const auto& entry : group.entries) keys.push_back(entry.key);
      EXPECT_EQ(keys, std::vector(expected.begin(), expected.end())) << section->name << " " << group.heading;
    };
    exactly(section->groups[1], kMainKeys);
    exactly(section->groups[2], kCacheKeys);
    exactly(section->groups[3], kOtherKeys);
    exactly(section->groups[4], kCreditsKeys);
  }

  EXPECT_EQ(kMessageKeys.size() + kMainKeys.size() + kCacheKeys.size() + kOtherKeys.size() + kCreditsKeys.size(), 164u);
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
      const bool mayBeEmpty = isEnglish && contains(kMainButtonTooltips, entry.key);
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
      if (contains(kTooltipsWithoutDefault, entry.key)) {
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
  for (const auto key : kFieldMessageKeys) {
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
