#include "credits_window/credits_dlg.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "credits_window/credits_settings.h"
#include "credits_window/fake_credits_music.h"
#include "main_window/main_dlg.h"
#include "support/fakes.h"
#include "support/qt_print.h"
#include "support/temp_dir.h"
#include "support/window_driver.h"

namespace valdor::credits_window {
namespace {

using test::MusicRecord;

class CreditsDlgTest : public ::testing::Test {
 protected:
  // The window as the player finds it, texts from the table in the program.
  std::unique_ptr<CCreditsDlg> open(const std::string& language = "english", platform::MusicPlayerFactory music = {}) {
    m_translator.setLanguage(language);
    auto window = std::make_unique<CCreditsDlg>(m_translator, m_dialogs, m_dir.path(),
                                                music ? music : test::fakeCreditsMusic(m_record),
                                                [this](std::string_view address) {
                                                  m_opened.emplace_back(address);
                                                  return m_browserOpens;
                                                });
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
  }

  // A click through the windowing system, which gives it to the topmost
  // control at that point that takes mouse clicks.
  static void clickAt(CCreditsDlg& window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(window.windowHandle(), button, {}, at);
  }
  static QPoint middleOf(CCreditsDlg& window, ControlId id) { return window.control(id)->geometry().center(); }

  test::TempDir m_dir;
  i18n::Translator m_translator;
  MusicRecord m_record;
  std::vector<std::string> m_opened;
  bool m_browserOpens = true;  // what the fake browser answers
  test::FakeDialogs m_dialogs;
};

// ---- the link and closing ----
TEST_F(CreditsDlgTest, TheLinkOpensTheGermanSiteOnlyForDeutschSpelledExactlyAndLeavesTheWindowOpen) {
  for (auto [language, address] : {std::pair{"english", kOtherCommunityAddress},
                                   {"deutsch", kGermanCommunityAddress}, {"Deutsch", kOtherCommunityAddress}}) {
    m_opened.clear();
    auto window = open(language);
    clickAt(*window, middleOf(*window, ControlId::Link));
    EXPECT_EQ(m_opened, std::vector<std::string>{std::string(address)}) << language;
    EXPECT_TRUE(window->isVisible()) << language;
  }
}

// Without a browser the click did nothing at all; the player now gets the
// address to open by hand, in the window's language.
TEST_F(CreditsDlgTest, ALinkNoBrowserOpensGivesItsAddressInAMessageAndTheWindowStaysOpen) {
  m_browserOpens = false;
  for (auto [language, address, words] : {std::tuple{"english", kOtherCommunityAddress, "could not be opened"},
                                          {"deutsch", kGermanCommunityAddress, "konnte nicht"}}) {
    m_dialogs.messages.clear();
    auto window = open(language);
    clickAt(*window, middleOf(*window, ControlId::Link));
    ASSERT_EQ(m_dialogs.messages.size(), 1u) << language;
    EXPECT_NE(m_dialogs.messages[0].find(address), std::string::npos) << m_dialogs.messages[0];
    EXPECT_NE(m_dialogs.messages[0].find(words), std::string::npos) << m_dialogs.messages[0];
    EXPECT_TRUE(window->isVisible()) << language;
  }
  m_browserOpens = true;
  m_dialogs.messages.clear();
  auto window = open();
  clickAt(*window, middleOf(*window, ControlId::Link));
  EXPECT_TRUE(m_dialogs.messages.empty());
}

// ---- layout ----
// The template's 8-point font has base units of 6 by 13 pixels; laid out in
// the main window's 6 by 12 the texts covered the picture's bottom rows.
TEST_F(CreditsDlgTest, TheWindowHasItsTemplatesSizeAndItsTextsStandBelowThePicture) {
  auto window = open();
  EXPECT_EQ(window->size(), QSize(482 + 4, 431 + 4));  // with the sunken edge
  const QRect picture = window->findChild<QLabel*>("-1")->geometry();
  for (ControlId text : {ControlId::Version, ControlId::Thanks, ControlId::Link, ControlId::Contact}) {
    EXPECT_GT(window->control(text)->y(), picture.bottom()) << static_cast<int>(text);
    EXPECT_LE(window->control(text)->geometry().bottom(), window->height()) << static_cast<int>(text);
  }
}

TEST_F(CreditsDlgTest, ALeftClickOnThePictureALabelOrTheBackgroundCloses) {
  const QPoint thanks = middleOf(*open(), ControlId::Thanks);
  for (QPoint at : {QPoint(100, 100), thanks, QPoint(8, thanks.y())}) {  // picture, label, background
    auto window = open();
    clickAt(*window, at, Qt::RightButton);
    EXPECT_TRUE(window->isVisible()) << at.x();
    clickAt(*window, at);
    EXPECT_FALSE(window->isVisible()) << at.x();
    EXPECT_EQ(window->result(), QDialog::Accepted);
  }
  EXPECT_TRUE(m_opened.empty());
}

// ---- the music ----
TEST_F(CreditsDlgTest, EachOpeningStartsTheTuneAndClosingStopsAndReleasesItOnce) {
  auto first = open();
  EXPECT_EQ(m_record.starts, 1);
  EXPECT_EQ(m_record.tracks.at(0), m_dir / "v3tu.mp3");
  clickAt(*first, middleOf(*first, ControlId::Thanks));  // in the middle of the track
  EXPECT_EQ(m_record.stops, 1);
  EXPECT_EQ(m_record.releases, 1);
  first.reset();
  EXPECT_EQ(m_record.releases, 1);

  auto second = open();
  EXPECT_EQ(m_record.starts, 2);
  QTest::keyClick(second.get(), Qt::Key_Escape);
  EXPECT_FALSE(second->isVisible());
  EXPECT_EQ(m_record.stops, 2);
  EXPECT_EQ(m_record.releases, 2);
}

// The real player on an audio driver that does not exist, then on ALSA
// with an empty configuration, which knows no device.
TEST_F(CreditsDlgTest, WithoutSoundTheWindowStillShowsItsTextsAndCloses) {
  qputenv("ALSA_CONFIG_PATH", QFile::encodeName(QString::fromStdString(m_dir.write("empty.conf", "").string())));
  for (const char* driver : {"no-such-driver", "alsa"}) {
    qputenv("SDL_AUDIODRIVER", driver);
    auto window = open("english", platform::makeSdlMusicPlayer);
    EXPECT_EQ(window->control<QLabel>(ControlId::Version)->text(), "version 1.12") << driver;
    clickAt(*window, middleOf(*window, ControlId::Contact));
    EXPECT_FALSE(window->isVisible()) << driver;
  }
  qunsetenv("SDL_AUDIODRIVER");
  qunsetenv("ALSA_CONFIG_PATH");
}

// ---- from the main window ----
TEST_F(CreditsDlgTest, TheCreditsButtonRunsTheWindowModallyWithTheMainWindowsPlayer) {
  m_dir.copySample("game");
  m_dir.copySample("documents");
  test::FakeSettingsStore store;
  test::FakeDialogs dialogs;
  platform::FixedDisplayModeSource modes{{{1024, 768, 60}}};
  main_window::CTuningDlg main(store, dialogs, {m_dir / "game", m_dir / "documents", m_dir / "state"}, modes);
  main.setCreditsMusic(test::fakeCreditsMusic(m_record));
  ASSERT_TRUE(main.OnInitDialog());
  main.show();

  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* credits = qobject_cast<CCreditsDlg*>(QApplication::activeModalWidget());
    if (!credits) return;
    shown = credits->isVisible() && credits->parentWidget() == &main && m_record.starts == 1;
    QTest::keyClick(credits, Qt::Key_Escape);
  });
  test::click(main, main_window::ControlId::Credits);
  EXPECT_TRUE(shown);
  EXPECT_EQ(m_record.tracks.at(0), main.paths().translationFile.parent_path() / "v3tu.mp3");
  EXPECT_EQ(m_record.releases, 1);
}

}  // namespace
}  // namespace valdor::credits_window
