#include "wine/wine_registry.h"

#include <gtest/gtest.h>

#include <array>

namespace valdor::wine {
namespace {

using Values = std::vector<std::optional<std::string>>;

Values read(std::string_view hive, std::initializer_list<RegistryValueName> wanted) {
  return readRegistryStrings(hive, std::span(wanted.begin(), wanted.size()));
}

// A hive as Wine writes it, with the game's keys between others.
constexpr std::string_view kHive =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Halvikor] 1700000000\n"
    "#time=1d9f0c4a5b6e7f0\n"
    "\"INSTALL_DIR\"=\"C:\\\\wrong key\"\n"
    "\n"
    "[SOFTWARE\\\\wow6432node\\\\HALVIKOR\\\\valdor iii] 1700000000\n"
    "#time=1d9f0c4a5b6e7f0\n"
    "\"Version\"=dword:00000001\n"
    "\"install_dir\"=\"C:\\\\Program Files (x86)\\\\Halvikor\\\\Valdor 3\"\n"
    "@=\"default\"\n"
    "\n"
    "[Software\\\\Halvikor\\\\Valdor III] 1700000000\n"
    "\"Icon\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
    "  18,19,1a\n"
    "\"INSTALL_DIR\"=dword:00000001\n";

// ---- keys and names ----

TEST(WineRegistry, KeysAndValueNamesAreFoundWithoutRegardToCase) {
  const auto values = read(kHive, {{"Software\\Wow6432Node\\Halvikor\\Valdor III", "INSTALL_DIR"},
                                   {"software\\wow6432node\\halvikor\\valdor iii", "@"},
                                   {"Software\\Wow6432Node\\Halvikor\\Valdor III", "Missing"},
                                   {"Software\\Missing", "INSTALL_DIR"}});
  EXPECT_EQ(values, (Values{"C:\\Program Files (x86)\\Halvikor\\Valdor 3", "default", std::nullopt, std::nullopt}));
}

TEST(WineRegistry, AValueThatHoldsNoStringIsMissingAndHexDataDoesNotEndTheKey) {
  // INSTALL_DIR below the continued binary value is a number: no folder.
  EXPECT_EQ(read(kHive, {{"Software\\Halvikor\\Valdor III", "INSTALL_DIR"}}), Values{std::nullopt});
  // A value of a parent key is no value of the child.
  EXPECT_EQ(read(kHive, {{"Software\\Halvikor", "INSTALL_DIR"}}), Values{"C:\\wrong key"});
}

// ---- strings ----

TEST(WineRegistry, EscapesGiveUtf8) {
  constexpr std::string_view kEscaped =
      "[Software\\\\Test] 1\n"
      // \x00e4 before a hex digit keeps four digits; \xe4 alone takes what it finds.
      "\"Umlaut\"=\"C:\\\\Spiele\\\\M\\x00e4rchen\\xfc \\\"Zwei\\\"\"\n"
      "\"Wide\"=\"\\xd83c\\xdfae game\"\n"
      "\"Lone\"=\"a\\xd83cb\"\n"
      "\"Controls\"=\"tab\\tline\\nnul\\0end\"\n"  // a string ends at its first zero

      "\"Expand\"=str(2):\"%ProgramFiles%\\\\Valdor 3\"\n"
      "\"Multi\"=str(7):\"a\\0b\\0\"\n"
      "\"Broken\"=\"no end\n";
  const auto values = read(kEscaped, {{"Software\\Test", "Umlaut"},
                                      {"Software\\Test", "Wide"},
                                      {"Software\\Test", "Lone"},
                                      {"Software\\Test", "Controls"},
                                      {"Software\\Test", "Expand"},
                                      {"Software\\Test", "Multi"},
                                      {"Software\\Test", "Broken"}});
  EXPECT_EQ(values, (Values{"C:\\Spiele\\M\xC3\xA4rchen\xC3\xBC \"Zwei\"", "\xF0\x9F\x8E\xAE game",
                            "a\xEF\xBF\xBD" "b", "tab\tline\nnul",
                            "%ProgramFiles%\\Valdor 3", std::nullopt, std::nullopt}));
}

TEST(WineRegistry, ContinuedLinesAreJoinedAfterTheirLeadingBlanks) {
  // "C:\Spiele\Ä" as UTF-16LE hex data over three lines, and a quoted string
  // broken after a backslash that is not part of an escape.
  constexpr std::string_view kContinued =
      "[Software\\\\Test] 1\r\n"
      "\"Hex\"=hex(2):43,00,3a,00,5c,00,53,00,70,00,69,00,\\\r\n"
      "  65,00,6c,00,65,00,5c,00,\\\r\n"
      "  c4,00,00,00\r\n"
      "\"Split\"=\"C:\\\\Games\\\\Val\\\r\n"
      "  dor\"\r\n"
      "\"Last\"=\"ends in a backslash\\\\\"\r\n";
  const auto values = read(kContinued, {{"Software\\Test", "Hex"}, {"Software\\Test", "Split"},
                                        {"Software\\Test", "Last"}});
  EXPECT_EQ(values, (Values{"C:\\Spiele\\\xC3\x84", "C:\\Games\\Valdor", "ends in a backslash\\"}));
}

// ---- texts that are no hive ----

TEST(WineRegistry, AHiveOverTheSizeLimitGivesNothingAndLongContinuationsCostNoStack) {
  const std::string hive = "[Software\\\\A] 1\n\"N\"=\"v\"\n";
  const std::array wanted{RegistryValueName{"Software\\A", "N"}};
  EXPECT_EQ(readRegistryStrings(hive, wanted), Values{"v"});
  EXPECT_EQ(readRegistryStrings(hive + std::string(64 * 1024 * 1024, '\n'), wanted), Values{std::nullopt});

  // 100,000 continued lines make one value of 100,000 characters.
  std::string continued = "[Software\\\\A] 1\n\"N\"=\"";
  for (int i = 0; i < 100'000; ++i) continued += "x\\\n  ";
  continued += "\"\n";
  const auto found = readRegistryStrings(continued, wanted);
  ASSERT_TRUE(found[0]);
  EXPECT_EQ(found[0]->size(), 100'000u);
}

}  // namespace
}  // namespace valdor::wine
