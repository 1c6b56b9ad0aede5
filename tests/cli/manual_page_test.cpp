#include "cli/manual_page.h"

#include <gtest/gtest.h>

#include "cli/program_options.h"

namespace valdor::cli {
namespace {

const ManualHead kHead{"valdor3-tuning", "edit settings", "1.0", "2026-01-01"};

// ---- the usage text's parts ----

TEST(ManualPage, EveryOptionAndCommandOfTheUsageIsATerm) {
  const std::string page = manualPage(kHead, usageText());
  EXPECT_NE(page.find(".SH SYNOPSIS\nvaldor3\\-tuning [OPTIONS] [COMMAND ...]\n"), std::string::npos) << page;
  EXPECT_NE(page.find(".SH OPTIONS\n"), std::string::npos);
  EXPECT_NE(page.find(".SH COMMANDS\n"), std::string::npos);
  for (const auto& option : optionNames().folders) {
    std::string term;
    for (char c : option) term += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find(".TP\n.B " + term + " DIR\n"), std::string::npos) << option;
  }
  // A term alone on its line takes the deeper indented lines below it.
  EXPECT_NE(page.find(".TP\n.B main set KEY=VALUE...\nchange main settings"), std::string::npos) << page;
  EXPECT_NE(page.find(".TP\n.B locate\nshow the game folder"), std::string::npos) << page;
}

TEST(ManualPage, ParagraphsAfterTheListStayParagraphs) {
  const std::string page = manualPage(kHead, "Usage: p\nSays what.\n\nOptions:\n  --a  first\n\nA note\non two lines.\n");
  EXPECT_NE(page.find(".SH DESCRIPTION\nSays what.\n.SH OPTIONS\n.TP\n.B \\-\\-a\nfirst\n.PP\nA note\non two lines.\n"),
            std::string::npos)
      << page;
}

// ---- text roff would not print as written ----

TEST(ManualPage, RoffCharactersAreEscaped) {
  const std::string page = manualPage(kHead, "Usage: p\n\nNotes:\n  C:\\Games  a folder\n\n.vib files\n'quoted'\n");
  EXPECT_NE(page.find(".B C:\\eGames\n"), std::string::npos) << page;
  // A line starting with a dot or an apostrophe would be a request.
  EXPECT_NE(page.find("\n\\&.vib files\n"), std::string::npos) << page;
  EXPECT_NE(page.find("\n\\&'quoted'\n"), std::string::npos) << page;
}

}  // namespace
}  // namespace valdor::cli
