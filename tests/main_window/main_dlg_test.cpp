#include "main_window/main_dlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog_builder.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"
#include "ui/window_look.h"
#include "support/fakes.h"
#include "support/qt_print.h"
#include "support/temp_dir.h"
#include "support/window_driver.h"

namespace valdor::main_window {
namespace {

using namespace test;  // the window driver

// The sample installation's values where a test changes them.
constexpr std::string_view kStoredTexture = "TextureQuality=3\r\n";
constexpr std::string_view kStoredWidth = "Resolution.Width=1280\r\nResolution.Height=1024\r\n";
constexpr std::string_view kStoredVegetation = "Render.EnableVegetationRendering=false\r\n";
constexpr std::string_view kStoredViewRange = "VegetationAdmin.ViewRange=2750.0\r\n";

std::string replaced(std::string bytes, std::string_view from, std::string_view to) {
  const auto at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) bytes.replace(at, from.size(), to);
  return bytes;
}


class TuningDlgTest : public ::testing::Test {
 protected:
  TuningDlgTest() {
    m_dir.copySample("game");
    m_dir.copySample("documents");
    m_userOptions = m_dir.read("documents/valdor3/UserOptions.ini");
    m_engine = m_dir.read("game/Ini/ve3.ini");
  }

  app::StartupOptions options() const { return {m_dir / "game", m_dir / "documents", m_dir / "state"}; }

  // The window as the player finds it after start-up, in German.
  std::unique_ptr<CTuningDlg> open() {
    auto window = std::make_unique<CTuningDlg>(m_store, m_dialogs, options(), m_modes);
    EXPECT_TRUE(window->OnInitDialog());
    window->show();
    return window;
  }

  std::string userOptions() const { return m_dir.read("documents/valdor3/UserOptions.ini"); }
  std::string engine() const { return m_dir.read("game/Ini/ve3.ini"); }

  test::TempDir m_dir;
  test::FakeSettingsStore m_store;
  test::FakeDialogs m_dialogs;
  platform::FixedDisplayModeSource m_modes{{{640, 480, 60}, {1024, 768, 60}, {1280, 1024, 60}, {1920, 1080, 60}}};
  std::string m_userOptions;
  std::string m_engine;
};

// ---- showing and saving ----

TEST_F(TuningDlgTest, EverySettingIsShownAsTheModelLoadsIt) {
  auto window = open();
  const auto texts = MainTexts::fromTranslator(window->translator());
  const auto expected = LoadMainSettings(window->paths(), texts, window->resolutions(), {});
  EXPECT_EQ(window->settings(), expected);
  for (const MainRow& row : kMainRows) {
    EXPECT_EQ(shown(*window, row.control), ui::toQString(SettingText(expected, row, texts))) << row.key;
  }
  EXPECT_EQ(find<QComboBox>(*window, ControlId::Resolution)->count(), 4);
  EXPECT_EQ(shown(*window, ControlId::AspectRatio), "5:4");  // 1280x1024
  EXPECT_EQ(shown(*window, ControlId::TextureQuality), "hoch");
}

TEST_F(TuningDlgTest, SavingWritesThePlayersChoicesAndNothingElse) {
  auto window = open();
  choose(*window, ControlId::TextureQuality, 0);
  choose(*window, ControlId::Vegetation, 1);
  choose(*window, ControlId::Resolution, 3);
  type(*window, ControlId::VegetationViewRange, "-50a00");  // the sign and the letter are refused
  EXPECT_EQ(shown(*window, ControlId::VegetationViewRange), "5000");
  EXPECT_EQ(shown(*window, ControlId::AspectRatio), "16:9");

  click(*window, ControlId::SaveSettings);
  ASSERT_EQ(m_dialogs.messages, std::vector<std::string>{"Einstellungen gespeichert!"});
  auto user = replaced(m_userOptions, kStoredTexture, "TextureQuality=1\r\n");
  EXPECT_EQ(userOptions(), replaced(user, kStoredWidth, "Resolution.Width=1920\r\nResolution.Height=1080\r\n"));
  const auto ve3 = replaced(m_engine, kStoredVegetation, "Render.EnableVegetationRendering=true\r\n");
  EXPECT_EQ(engine(), replaced(ve3, kStoredViewRange, "VegetationAdmin.ViewRange=5000.0\r\n"));
}

TEST_F(TuningDlgTest, TheAspectRatioFollowsTheChosenResolution) {
  auto window = open();
  const char* expected[] = {"4:3", "4:3", "5:4", "16:9"};
  for (int i = 0; i < 4; ++i) {
    choose(*window, ControlId::Resolution, i);
    EXPECT_EQ(shown(*window, ControlId::AspectRatio), expected[i]) << i;
  }
}

TEST_F(TuningDlgTest, WithNoModeListedSavingKeepsTheStoredResolution) {
  m_modes = platform::FixedDisplayModeSource{};
  auto window = open();
  EXPECT_EQ(shown(*window, ControlId::AspectRatio), "16:10");  // the template's text stays
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(userOptions(), m_userOptions);
}

TEST_F(TuningDlgTest, SavingWhatNobodyTouchedLeavesBothFilesAsTheyWere) {
  // The stored 1280x1024@60Hz is not listed (another refresh rate), and two
  // fields hold values they cannot show as stored.
  m_modes = platform::FixedDisplayModeSource{{{1280, 1024, 75}, {1920, 1080, 60}}};
  m_engine = replaced(m_engine, "Entity.ROI=3000.0\r\n", "Entity.ROI=-1\r\n");
  m_engine = replaced(m_engine, "AnimationBlending.PhysicControllerDistance=800.0\r\n",
                      "AnimationBlending.PhysicControllerDistance=16777217\r\n");
  writeBytes(m_dir / "game/Ini/ve3.ini", m_engine);
  auto window = open();
  EXPECT_EQ(find<QComboBox>(*window, ControlId::Resolution)->currentIndex(), -1);
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(find<QComboBox>(*window, ControlId::Resolution)->currentIndex(), -1);
  EXPECT_EQ(userOptions(), m_userOptions);
  EXPECT_EQ(engine(), m_engine);

  // Reloaded in another language, the same holds; a field the player types
  // into is written, and only that one.
  choose(*window, ControlId::Language, 1);
  type(*window, ControlId::VegetationViewRange, "5000");
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(userOptions(), m_userOptions);
  EXPECT_EQ(engine(), replaced(m_engine, kStoredViewRange, "VegetationAdmin.ViewRange=5000.0\r\n"));

  // The defaults, asked for, are written; 1024x768@60Hz is not listed, so the
  // resolution stays as stored.
  m_dialogs.yesNoAnswers = {true};
  click(*window, ControlId::RestoreSettings);
  click(*window, ControlId::SaveSettings);
  EXPECT_NE(engine().find("\r\nEntity.ROI=4000.0\r\n"), std::string::npos);
  EXPECT_NE(userOptions().find(kStoredWidth), std::string::npos);
}

TEST_F(TuningDlgTest, AFieldWithoutANumberIsNamedAndNothingIsWritten) {
  auto window = open();
  choose(*window, ControlId::TextureQuality, 0);
  auto* ragdolls = find<QLineEdit>(*window, ControlId::MaxRagdolls);
  ragdolls->setText("99999999999");  // digits, but more than the game's 32 bits
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Bitte geben Sie eine ganze Zahl ein:\nmax. Ragdoll-Effekte"});
  EXPECT_TRUE(ragdolls->hasFocus());
  EXPECT_EQ(userOptions(), m_userOptions);
  EXPECT_EQ(engine(), m_engine);

  // Saving on the way out takes the fields too: the window stays until the
  // field is right, or the changes are discarded.
  ragdolls->setText("");
  m_dialogs.closeAnswers = {app::CloseAnswer::Save, app::CloseAnswer::Discard};
  click(*window, ControlId::Exit);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(m_dialogs.messages.size(), 2u);
  click(*window, ControlId::Exit);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(m_dialogs.closeQuestions.size(), 2u);
  EXPECT_EQ(engine(), m_engine);
}

TEST_F(TuningDlgTest, AReadOnlyEngineFileIsNamedAndNothingIsSaved) {
  std::filesystem::permissions(m_dir / "game/Ini/ve3.ini", std::filesystem::perms::owner_read);
  auto window = open();
  choose(*window, ControlId::TextureQuality, 0);
  choose(*window, ControlId::Vegetation, 1);
  click(*window, ControlId::SaveSettings);
  ASSERT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_NE(m_dialogs.messages[0].find((m_dir / "game/Ini/ve3.ini").string()), std::string::npos)
      << m_dialogs.messages[0];
  EXPECT_EQ(m_dialogs.messages[0].find("gespeichert!"), std::string::npos);
  EXPECT_EQ(userOptions(), m_userOptions);  // both files or neither
}

// ---- restoring the defaults ----

TEST_F(TuningDlgTest, ASettingChangedOutsideIsAskedAboutBeforeItIsWrittenOver) {
  auto window = open();
  choose(*window, ControlId::TextureQuality, 0);
  m_dir.write("documents/valdor3/UserOptions.ini", replaced(m_userOptions, kStoredTexture, "TextureQuality=2\r\n"));
  const std::string changedOutside = userOptions();

  m_dialogs.outsideEditAnswers = {app::OutsideEditAnswer::TakeFiles};
  click(*window, ControlId::SaveSettings);
  ASSERT_EQ(m_dialogs.outsideEditQuestions.size(), 1u);
  EXPECT_EQ(m_dialogs.outsideEditQuestions[0].overwrite, "\xC3\xBC" "berschreiben");
  EXPECT_TRUE(m_dialogs.messages.empty());  // nothing was saved
  EXPECT_EQ(userOptions(), changedOutside);
  EXPECT_EQ(engine(), m_engine);
  EXPECT_EQ(window->settings().textureQuality, 1);  // the file's value is shown

  // The window's own values over another program's: the question again, then saved.
  m_dir.write("game/Ini/ve3.ini", replaced(m_engine, kStoredVegetation, "Render.EnableVegetationRendering=true\r\n"));
  m_dialogs.outsideEditAnswers = {app::OutsideEditAnswer::Overwrite};
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(m_dialogs.outsideEditQuestions.size(), 2u);
  EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Einstellungen gespeichert!"});
  EXPECT_NE(engine().find(kStoredVegetation), std::string::npos);
  EXPECT_EQ(userOptions(), changedOutside);

  // What the window saved is what it holds now: saving again asks nothing.
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(m_dialogs.outsideEditQuestions.size(), 2u);
}

TEST_F(TuningDlgTest, RestoringAnsweredNoChangesNothing) {
  auto window = open();
  choose(*window, ControlId::ShadowQuality, 0);
  const auto before = window->settings();
  std::vector<QString> shownBefore;
  for (const MainRow& row : kMainRows) shownBefore.push_back(shown(*window, row.control));

  m_dialogs.yesNoAnswers = {false};
  click(*window, ControlId::RestoreSettings);
  EXPECT_EQ(m_dialogs.questions, std::vector<std::string>{"Wollen Sie die Einstellungen wirklich wiederherstellen?"});
  for (std::size_t i = 0; i < kMainRows.size(); ++i) EXPECT_EQ(shown(*window, kMainRows[i].control), shownBefore[i]);
  EXPECT_EQ(window->settings(), before);
}

TEST_F(TuningDlgTest, RestoringYesShowsTheDefaultsAndSavingWritesThem) {
  auto window = open();
  m_dialogs.yesNoAnswers = {true};
  click(*window, ControlId::RestoreSettings);
  EXPECT_EQ(userOptions(), m_userOptions);  // restoring alone writes nothing
  EXPECT_EQ(shown(*window, ControlId::Resolution), "1024x768@60Hz");
  EXPECT_EQ(shown(*window, ControlId::AspectRatio), "4:3");
  EXPECT_EQ(shown(*window, ControlId::RoiViewRange), "4000");
  click(*window, ControlId::SaveSettings);

  // What the models write for the defaults into another copy of the same files.
  test::TempDir other;
  other.copySample("game");
  other.copySample("documents");
  app::ConfigPaths paths;
  paths.userOptionsIni = other / "documents/valdor3/UserOptions.ini";
  paths.engineIni = other / "game/Ini/ve3.ini";
  MainSettings defaults;
  RestoreMainDefaults(defaults, MainTexts::fromTranslator(window->translator()), window->resolutions());
  ASSERT_TRUE(SaveMainSettings(paths, defaults).ok());
  EXPECT_EQ(userOptions(), test::readBytes(paths.userOptionsIni));
  EXPECT_EQ(engine(), test::readBytes(paths.engineIni));
}

// ---- language, texts and tooltips ----

TEST_F(TuningDlgTest, SwitchingTheLanguageRelistsAndReloads) {
  auto window = open();
  EXPECT_EQ(find<QPushButton>(*window, ControlId::Exit)->text(), "Beenden");
  // Qt's own buttons (the Yes and No of a question) follow the language too.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Ja");
  choose(*window, ControlId::TextureQuality, 0);  // discarded, so lost
  choose(*window, ControlId::Resolution, 0);
  m_dialogs.closeAnswers = {app::CloseAnswer::Discard};
  choose(*window, ControlId::Language, 1);
  EXPECT_EQ(m_dialogs.closeQuestions.size(), 1u);

  EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], "english");
  EXPECT_EQ(find<QPushButton>(*window, ControlId::Exit)->text(), "quit");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Yes");
  auto* texture = find<QComboBox>(*window, ControlId::TextureQuality);
  ASSERT_EQ(texture->count(), 3);
  EXPECT_EQ(texture->itemText(0), "low");
  EXPECT_EQ(texture->currentText(), "high");
  EXPECT_EQ(find<QComboBox>(*window, ControlId::ViewRangeLow)->itemText(0), "disabled");
  EXPECT_EQ(find<QComboBox>(*window, ControlId::Resolution)->count(), 4);
  EXPECT_EQ(shown(*window, ControlId::Resolution), "1280x1024@60Hz");  // searched again from the file
  EXPECT_EQ(shown(*window, ControlId::LanguageLabel), "Sprache / language:");
  EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(TuningDlgTest, ALanguageMatchingNoEntrySelectsNoneAndLeavesCaptionsEmpty) {
  m_store.values["V3TU_LANGUAGE"] = "francais";
  auto window = open();
  EXPECT_EQ(find<QComboBox>(*window, ControlId::Language)->currentIndex(), -1);
  EXPECT_EQ(find<QPushButton>(*window, ControlId::Exit)->text(), "");
  EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], "");
}

TEST_F(TuningDlgTest, TooltipsAnnounceTheDefaults) {
  m_store.values["V3TU_LANGUAGE"] = "english";
  auto window = open();
  const auto tip = [&](ControlId id) { return find(*window, id)->toolTip(); };
  EXPECT_EQ(tip(ControlId::MaxRagdolls), "max ragdoll effects\ndefault:999");
  EXPECT_EQ(tip(ControlId::VegetationViewRange), "view range vegetation\ndefault:3500.0");
  EXPECT_EQ(tip(ControlId::ViewRangeLow), "view range low\ndefault:medium");
  EXPECT_EQ(tip(ControlId::Resolution), "screen resolution and refresh rate\ndefault:1024x768@60Hz");
  EXPECT_EQ(tip(ControlId::Language), "language of the user interface");
  EXPECT_EQ(tip(ControlId::SaveSettings), "");  // the English table has none for the buttons
  EXPECT_EQ(tip(ControlId::Exit), "");

  choose(*window, ControlId::Language, 0);
  EXPECT_EQ(tip(ControlId::ViewRangeLow), "Sichtweite niedrig\nStandard:mittel");
  EXPECT_EQ(tip(ControlId::SaveSettings), "Speichert die Einstellungen in die Dateien des Spiels");
}

TEST(TooltipLook, LongLinesAreBrokenBetweenWordsAtTheMaximumWidth) {
  ui::applyTooltipLook();
  EXPECT_EQ(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase), QColor(255, 255, 0));
  EXPECT_EQ(QToolTip::font(), ui::dialogFont());

  QString line;
  for (int i = 0; i < 60; ++i) line += QStringLiteral("word%1 ").arg(i);
  const QString text = QStringLiteral("short\n") + line.trimmed();
  const QString wrapped = ui::wrapLines(text, QToolTip::font(), 300);
  const QStringList lines = wrapped.split('\n');
  ASSERT_GT(lines.size(), 3);
  EXPECT_EQ(lines[0], "short");
  const QFontMetrics metrics(QToolTip::font());
  for (const QString& part : lines) {
    EXPECT_LE(metrics.horizontalAdvance(part), 300) << part.toStdString();
    EXPECT_FALSE(part.endsWith(' '));
  }
  EXPECT_EQ(lines.mid(1).join(' '), line.trimmed());  // broken only at blanks, nothing lost
}

// ---- closing ----

// The ways a player closes the window; Enter in a field presses quit, the
// default button.
enum class Closing { EnterInAField, Quit, Escape, CloseBox };
constexpr std::array kClosings{Closing::EnterInAField, Closing::Quit, Closing::Escape, Closing::CloseBox};

void closeBy(CTuningDlg& window, Closing way) {
  switch (way) {
    case Closing::EnterInAField:
      QTest::keyClick(find(window, ControlId::VegetationViewRange), Qt::Key_Return);
      break;
    case Closing::Quit:
      click(window, ControlId::Exit);
      break;
    case Closing::Escape:
      QTest::keyClick(&window, Qt::Key_Escape);
      break;
    case Closing::CloseBox:
      window.close();
      break;
  }
}

TEST_F(TuningDlgTest, EscapeWithChangesDiscardedClosesWithoutTakingOrSavingAnything) {
  auto window = open();
  choose(*window, ControlId::TextureQuality, 0);
  find<QLineEdit>(*window, ControlId::MaxRagdolls)->setText("");
  m_dialogs.closeAnswers = {app::CloseAnswer::Discard};
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_EQ(userOptions(), m_userOptions);
}

TEST_F(TuningDlgTest, ClosingWithoutChangesAsksNothingAndSavesNothing) {
  for (const auto way : kClosings) {
    auto window = open();
    // Changes the player undid by hand are none.
    const QString range = shown(*window, ControlId::VegetationViewRange);
    type(*window, ControlId::VegetationViewRange, "1");
    type(*window, ControlId::VegetationViewRange, range);
    choose(*window, ControlId::TextureQuality, 0);
    choose(*window, ControlId::TextureQuality, 2);
    closeBy(*window, way);
    EXPECT_FALSE(window->isVisible()) << int(way);
  }
  EXPECT_TRUE(m_dialogs.closeQuestions.empty());
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_EQ(userOptions(), m_userOptions);
}

TEST_F(TuningDlgTest, ClosingWithChangesAsksToSaveDiscardOrGoBack) {
  for (const auto way : kClosings) {
    for (const auto answer : {app::CloseAnswer::GoBack, app::CloseAnswer::Discard, app::CloseAnswer::Save}) {
      test::writeBytes(m_dir / "documents/valdor3/UserOptions.ini", m_userOptions);
      m_dialogs.closeQuestions.clear();
      m_dialogs.messages.clear();
      auto window = open();
      choose(*window, ControlId::TextureQuality, 0);
      m_dialogs.closeAnswers = {answer};
      closeBy(*window, way);

      ASSERT_EQ(m_dialogs.closeQuestions.size(), 1u) << int(way);
      const app::CloseQuestion& question = m_dialogs.closeQuestions.front();
      EXPECT_EQ(question.text, "Die Änderungen sind noch nicht gespeichert.\n\nWollen Sie sie speichern?");
      EXPECT_EQ(question.save, "speichern");
      EXPECT_EQ(question.discard, "verwerfen");
      EXPECT_EQ(question.goBack, "zurück");
      EXPECT_EQ(window->isVisible(), answer == app::CloseAnswer::GoBack) << int(way);
      EXPECT_EQ(shown(*window, ControlId::TextureQuality), "niedrig");
      if (answer == app::CloseAnswer::Save) {
        EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Einstellungen gespeichert!"});
        EXPECT_EQ(userOptions(), replaced(m_userOptions, kStoredTexture, "TextureQuality=1\r\n"));
      } else {
        EXPECT_TRUE(m_dialogs.messages.empty());
        EXPECT_EQ(userOptions(), m_userOptions);
      }
    }
  }
}

TEST_F(TuningDlgTest, SavedOrReloadedSettingsAreNoChanges) {
  auto window = open();
  choose(*window, ControlId::TextureQuality, 0);
  click(*window, ControlId::SaveSettings);
  window->close();
  EXPECT_FALSE(window->isVisible());

  window = open();
  choose(*window, ControlId::TextureQuality, 1);
  m_dialogs.closeAnswers = {app::CloseAnswer::Discard};
  choose(*window, ControlId::Language, 1);  // applying a language reloads the files
  m_dialogs.closeQuestions.clear();
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(m_dialogs.closeQuestions.empty());
}

TEST_F(TuningDlgTest, ChoosingALanguageWithChangesAsksFirstAsClosingDoes) {
  auto window = open();
  choose(*window, ControlId::Language, 1);  // nothing changed: nothing asked
  EXPECT_TRUE(m_dialogs.closeQuestions.empty());
  EXPECT_EQ(shown(*window, ControlId::Language), "english");

  choose(*window, ControlId::TextureQuality, 0);
  type(*window, ControlId::MaxRagdolls, "12");
  m_dialogs.closeAnswers = {app::CloseAnswer::GoBack};
  choose(*window, ControlId::Language, 0);
  EXPECT_EQ(m_dialogs.closeQuestions.size(), 1u);
  EXPECT_EQ(shown(*window, ControlId::Language), "english");  // taken back
  EXPECT_EQ(shown(*window, ControlId::TextureQuality), "low");
  EXPECT_EQ(shown(*window, ControlId::MaxRagdolls), "12");
  EXPECT_EQ(userOptions(), m_userOptions);

  m_dialogs.closeAnswers = {app::CloseAnswer::Save};
  choose(*window, ControlId::Language, 0);
  EXPECT_EQ(shown(*window, ControlId::Language), "deutsch");
  EXPECT_EQ(shown(*window, ControlId::TextureQuality), "niedrig");  // saved, so reloaded as chosen
  EXPECT_EQ(shown(*window, ControlId::MaxRagdolls), "12");
  EXPECT_EQ(userOptions(), replaced(m_userOptions, kStoredTexture, "TextureQuality=1\r\n"));
  EXPECT_NE(engine().find("Animation.MaxRagDolls=12\r\n"), std::string::npos);
}

// The question box of the real dialogs, answered by hand once it shows.
app::CloseAnswer answerCloseQuestion(QWidget* owner, const std::function<void(QMessageBox&)>& answer,
                                     QWidget** parent = nullptr) {
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    poll.stop();
    EXPECT_EQ(box->windowTitle(), "");
    if (parent) *parent = box->parentWidget();
    answer(*box);
  });
  poll.start(10);
  ui::QtDialogs dialogs(owner);
  return dialogs.askSaveChanges({"Save the changes?", "save", "discard", "go back"});
}

QAbstractButton* buttonCalled(const QMessageBox& box, const QString& caption) {
  for (auto* button : box.buttons()) {
    if (button->text() == caption) return button;
  }
  ADD_FAILURE() << caption.toStdString();
  return nullptr;
}

TEST(CloseQuestion, EnterSavesEscapeOrClosingGoesBackAndOnlyTheDiscardButtonDiscards) {
  const auto key = [](Qt::Key pressed) { return [pressed](QMessageBox& box) { QTest::keyClick(&box, pressed); }; };
  EXPECT_EQ(answerCloseQuestion(nullptr, key(Qt::Key_Return)), app::CloseAnswer::Save);
  EXPECT_EQ(answerCloseQuestion(nullptr, key(Qt::Key_Escape)), app::CloseAnswer::GoBack);
  EXPECT_EQ(answerCloseQuestion(nullptr, [](QMessageBox& box) { box.close(); }), app::CloseAnswer::GoBack);
  for (const auto& [caption, expected] : {std::pair{"save", app::CloseAnswer::Save},
                                          std::pair{"discard", app::CloseAnswer::Discard},
                                          std::pair{"go back", app::CloseAnswer::GoBack}}) {
    EXPECT_EQ(answerCloseQuestion(nullptr, [caption = caption](QMessageBox& box) { buttonCalled(box, caption)->click(); }),
              expected)
        << caption;
  }
}

TEST(CloseQuestion, BelongsToAShownOwnerAndIsCentredOnTheScreenBeforeTheOwnerShows) {
  QWidget owner;
  QWidget* parent = &owner;
  const auto goBack = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
  answerCloseQuestion(&owner, goBack, &parent);
  EXPECT_EQ(parent, nullptr);  // over the unplaced owner it would sit in the screen's corner
  owner.show();
  answerCloseQuestion(&owner, goBack, &parent);
  EXPECT_EQ(parent, &owner);
}

TEST_F(TuningDlgTest, TheExtractedTableGoesWithTheWindow) {
  const auto table = m_dir / "state/translation.ini";
  {
    auto window = open();
    EXPECT_TRUE(std::filesystem::exists(table));
  }
  EXPECT_FALSE(std::filesystem::exists(table));
}

TEST_F(TuningDlgTest, ACancelledLocationEndsBeforeTheWindowShows) {
  CTuningDlg window(m_store, m_dialogs, {std::nullopt, m_dir / "documents", m_dir / "state"}, m_modes);
  EXPECT_FALSE(window.OnInitDialog());
  EXPECT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_TRUE(m_store.values.empty());
}

// ---- layout and look ----

TEST_F(TuningDlgTest, EveryControlOfTheTemplateSitsAtItsDialogUnits) {
  // Liberation Sans at 11 pixels, which fontconfig gives for Arial.
  const auto units = ui::dialogUnitsOf(ui::dialogFont());
  ASSERT_EQ(units.baseX(), 6);
  ASSERT_EQ(units.baseY(), 12);

  CTuningDlg window(m_store, m_dialogs, options(), m_modes);
  EXPECT_EQ(window.size(), QSize(647, 609));
  EXPECT_EQ(window.windowTitle(), "Valdor 3 Tuning Utility");
  for (const auto& row : kControls) {
    if (row.id == ControlId::None) continue;
    const QWidget* control = find(window, row.id);
    ASSERT_NE(control, nullptr) << static_cast<int>(row.id);
    const QRect expected = ui::toQRect(units.toPixels(row.rect));
    // A label beside a list or field stands on that one's text line instead.
    const bool lineLabel = row.kind == ui::ControlKind::Label || row.kind == ui::ControlKind::LabelNoWrap;
    EXPECT_EQ(control->x(), expected.x()) << static_cast<int>(row.id);
    EXPECT_NEAR(control->y(), expected.y(), lineLabel ? 4 : 0) << static_cast<int>(row.id);
    EXPECT_EQ(control->width(), expected.width()) << static_cast<int>(row.id);
    // Combo boxes are as high as closed, the rest as the template says.
    if (row.kind == ui::ControlKind::ComboBox) {
      EXPECT_LE(control->height(), units.toPixelsY(14)) << static_cast<int>(row.id);
    } else {
      EXPECT_EQ(control->height(), expected.height()) << static_cast<int>(row.id);
    }
  }
}

TEST_F(TuningDlgTest, FocusAndTheDefaultButtonAreMarkedInTheWindowsColours) {
  auto window = open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const QColor text(220, 150, 0);
  const QColor caret(255 - 75, 255, 255);  // Qt's caret inverts the background, as Windows' does
  // The pixels the focus changes; for a button and a field all of them in the text colour.
  const auto focusMark = [&](QWidget* control, bool textColourOnly) {
    window->setFocus();
    const QImage without = control->grab().toImage();
    control->setFocus();
    const QImage with = control->grab().toImage();
    int changed = 0;
    for (int y = 0; y < with.height(); ++y) {
      for (int x = 0; x < with.width(); ++x) {
        if (with.pixel(x, y) == without.pixel(x, y)) continue;
        ++changed;
        const QColor colour = with.pixelColor(x, y);
        if (textColourOnly && colour != caret) {
          EXPECT_EQ(colour, text) << x << "," << y;
        }
      }
    }
    return changed;
  };
  EXPECT_GT(focusMark(find(*window, ControlId::SaveSettings), true), 0);
  EXPECT_GT(focusMark(find(*window, ControlId::MaxRagdolls), true), 0);
  EXPECT_GT(focusMark(find(*window, ControlId::TextureQuality), false), 0);

  window->setFocus();
  auto* exit = find<QPushButton>(*window, ControlId::Exit);
  const QImage asDefault = exit->grab().toImage();
  exit->setDefault(false);
  EXPECT_NE(exit->grab().toImage(), asDefault);
}

TEST_F(TuningDlgTest, TheArtworkAndTheWindowsColoursReachEveryControl) {
  auto window = open();
  const QColor text(220, 150, 0);
  const QColor background(75, 0, 0);
  auto* language = find<QComboBox>(*window, ControlId::Language);
  EXPECT_EQ(language->view()->palette().color(QPalette::Base), background);
  EXPECT_EQ(language->view()->palette().color(QPalette::Text), text);
  auto* exit = find<QPushButton>(*window, ControlId::Exit);
  EXPECT_EQ(exit->palette().color(QPalette::Button), background);
  EXPECT_EQ(exit->palette().color(QPalette::ButtonText), text);
  EXPECT_TRUE(exit->isDefault());
  EXPECT_EQ(find<QLineEdit>(*window, ControlId::RoiViewRange)->palette().color(QPalette::Base), background);

  // What the open list paints, beside an entry that is not the chosen one.
  auto* texture = find<QComboBox>(*window, ControlId::TextureQuality);
  texture->showPopup();
  QWidget* popup = texture->view()->window();
  const QRect entry = texture->view()->visualRect(texture->model()->index(0, 0));
  const QPoint blank = texture->view()->viewport()->mapTo(popup, QPoint(entry.right() - 4, entry.center().y()));
  EXPECT_EQ(popup->grab().toImage().pixelColor(blank), background);
  EXPECT_GE(popup->geometry().top(), texture->mapToGlobal(QPoint(0, texture->height() - 1)).y());  // drops below
  texture->hidePopup();

  auto* picture = find<QLabel>(*window, ControlId::Picture);
  ASSERT_FALSE(picture->pixmap().isNull());
  EXPECT_EQ(picture->pixmap().size(), picture->contentsRect().size().boundedTo(QSize(480, 150)));
  EXPECT_FALSE(window->windowIcon().pixmap(16, 16).isNull());
  EXPECT_FALSE(window->windowIcon().pixmap(32, 32).isNull());
  EXPECT_EQ(shown(*window, ControlId::Author), "by the Valdor 3 tuning team");
}

// ---- start logos and backups ----

TEST_F(TuningDlgTest, StartLogoButtonsAskFirstAndRewriteTheList) {
  auto window = open();
  const std::string logos = m_dir.read("game/Ini/logo.ini");
  m_dialogs.yesNoAnswers = {false, true};
  click(*window, ControlId::RemoveStartLogos);
  EXPECT_EQ(m_dir.read("game/Ini/logo.ini"), logos);
  click(*window, ControlId::RemoveStartLogos);
  EXPECT_EQ(m_dir.read("game/Ini/logo.ini").size(), 14u);
  m_dialogs.yesNoAnswers = {true};
  click(*window, ControlId::RestoreStartLogos);
  EXPECT_EQ(m_dir.read("game/Ini/logo.ini"), logos);
}

TEST_F(TuningDlgTest, ALoadedBackupRestoresBothFilesAndIsShownAtOnce) {
  auto window = open();
  m_dialogs.fileAnswers = {m_dir / "mine"};
  click(*window, ControlId::CreateBackup);
  ASSERT_TRUE(std::filesystem::exists(m_dir / "mine.vib"));

  choose(*window, ControlId::TextureQuality, 0);
  click(*window, ControlId::SaveSettings);
  ASSERT_NE(userOptions(), m_userOptions);

  m_dialogs.yesNoAnswers = {true};
  m_dialogs.fileAnswers = {m_dir / "mine.vib"};
  click(*window, ControlId::LoadBackup);
  EXPECT_EQ(userOptions(), m_userOptions);
  EXPECT_EQ(engine(), m_engine);
  EXPECT_EQ(shown(*window, ControlId::TextureQuality), "hoch");
}

TEST_F(TuningDlgTest, WhileTheGameRunsEveryWriteAsksFirstAndNoWritesNothing) {
  auto window = open();
  m_dialogs.fileAnswers = {m_dir / "mine"};
  click(*window, ControlId::CreateBackup);  // writes no file of the game's: nothing asked
  ASSERT_TRUE(m_dialogs.questions.empty());

  auto processes = std::make_shared<test::FakeProcesses>();
  processes->runGame(window->paths().gameExecutable);
  window->setProcesses(processes);
  const std::string logos = m_dir.read("game/Ini/logo.ini");
  choose(*window, ControlId::TextureQuality, 0);
  m_dialogs.yesNoAnswers = {false, true, false, true, false};
  click(*window, ControlId::SaveSettings);
  click(*window, ControlId::RemoveStartLogos);  // Yes to the logos, No to saving while the game runs
  m_dialogs.fileAnswers = {m_dir / "mine.vib"};
  click(*window, ControlId::LoadBackup);
  EXPECT_EQ(m_dialogs.questions.size(), 5u);
  for (const std::size_t i : {0u, 2u, 4u}) {
    EXPECT_TRUE(m_dialogs.questions[i].starts_with("Valdor 3 l\xC3\xA4uft gerade:")) << m_dialogs.questions[i];
    // A hasty Enter must not write files the game undoes anyway.
    EXPECT_EQ(m_dialogs.preselectedAnswers[i], app::Answer::No);
  }
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_EQ(userOptions(), m_userOptions);
  EXPECT_EQ(engine(), m_engine);
  EXPECT_EQ(m_dir.read("game/Ini/logo.ini"), logos);
  EXPECT_EQ(shown(*window, ControlId::TextureQuality), "niedrig");  // the edit stays

  m_dialogs.yesNoAnswers = {true};
  click(*window, ControlId::SaveSettings);
  EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Einstellungen gespeichert!"});
  EXPECT_NE(userOptions(), m_userOptions);
}

TEST_F(TuningDlgTest, StartLogoButtonsAskInThePlayersLanguageAndNameAFileThatCannotBeWritten) {
  namespace fs = std::filesystem;
  m_store.values[std::string(app::kLanguageValue)] = "english";
  auto window = open();
  const fs::path logoIni = m_dir / "game/Ini/logo.ini";
  m_dialogs.yesNoAnswers = {false, true, true};
  click(*window, ControlId::RestoreStartLogos);  // No
  click(*window, ControlId::RemoveStartLogos);
  EXPECT_EQ(m_dir.read("game/Ini/logo.ini").size(), 14u);
  fs::permissions(logoIni, fs::perms::owner_read);  // read-only: never replaced
  click(*window, ControlId::RestoreStartLogos);
  EXPECT_EQ(m_dir.read("game/Ini/logo.ini").size(), 14u);

  ASSERT_EQ(m_dialogs.questions.size(), 3u);
  EXPECT_EQ(m_dialogs.questions[0], "Do you really want to restore the start logos?");
  EXPECT_EQ(m_dialogs.questions[1], "Do you really want to remove the start logos?");
  EXPECT_EQ(m_dialogs.messages,
            std::vector<std::string>{"Could not save\n" + logoIni.string() + "\n\nThe file is read-only."});
}

TEST_F(TuningDlgTest, CreateBackupOffersVibFilesAndAppendsTheExtension) {
  namespace fs = std::filesystem;
  m_store.values[std::string(app::kLanguageValue)] = "english";
  auto window = open();
  fs::create_directories(m_dir / "backups");
  click(*window, ControlId::CreateBackup);  // cancelled
  m_dialogs.fileAnswers = {m_dir / "backups/mine", m_dir / "backups/mine.txt"};
  click(*window, ControlId::CreateBackup);
  click(*window, ControlId::CreateBackup);

  ASSERT_EQ(m_dialogs.saveDialogs.size(), 3u);
  EXPECT_EQ(m_dialogs.saveDialogs[0].filterDescription, "Valdor III Ini BackUp (*.vib)");
  EXPECT_EQ(m_dialogs.saveDialogs[0].filterPattern, "*.vib");
  EXPECT_EQ(m_dialogs.saveDialogs[0].fileName, "");
  EXPECT_EQ(m_dialogs.saveDialogs[0].defaultExtension, "vib");
  EXPECT_TRUE(m_dialogs.questions.empty());
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_EQ(m_dir.read("backups/mine.vib"), *PackBackup(m_engine, m_userOptions));
  EXPECT_EQ(m_dir.read("backups/mine.txt"), *PackBackup(m_engine, m_userOptions));
  EXPECT_FALSE(fs::exists(m_dir / "backups/mine"));

  const fs::path engineIni = m_dir / "game/Ini/ve3.ini";
  fs::remove(engineIni);
  m_dialogs.fileAnswers = {m_dir / "backups/other.vib"};
  click(*window, ControlId::CreateBackup);
  EXPECT_EQ(m_dialogs.messages,
            std::vector<std::string>{"Could not read\n" + engineIni.string() + "\n\nThe file does not exist."});
  EXPECT_FALSE(fs::exists(m_dir / "backups/other.vib"));
}

TEST_F(TuningDlgTest, CreateBackupRefusesTheFilesTheEditorEditsWithoutWriting) {
  namespace fs = std::filesystem;
  m_store.values[std::string(app::kLanguageValue)] = "english";
  auto window = open();
  // The player confirmed the save dialog's overwrite question for the wrong file.
  const fs::path userOptions = m_dir / "documents/valdor3/UserOptions.ini";
  m_dialogs.fileAnswers = {userOptions};
  click(*window, ControlId::CreateBackup);
  EXPECT_EQ(m_dialogs.messages,
            std::vector<std::string>{"Could not save\n" + userOptions.string() +
                                     "\n\nThis is one of the files this program edits. A backup there would "
                                     "overwrite it; choose another file."});
  EXPECT_EQ(m_dir.read("documents/valdor3/UserOptions.ini"), m_userOptions);
}

TEST_F(TuningDlgTest, LoadBackupAsksBeforeTheFileDialogAndLoadsOnlyAFittingFile) {
  m_store.values[std::string(app::kLanguageValue)] = "english";
  auto window = open();
  const auto backup = m_dir.write("backups/b.vib", *PackBackup("engine from backup", "user from backup"));
  const auto text = m_dir.write("backups/b.txt", *PackBackup("engine from backup", "user from backup"));

  click(*window, ControlId::LoadBackup);  // No
  EXPECT_TRUE(m_dialogs.openDialogs.empty());
  m_dialogs.yesNoAnswers = {true, true, true};
  m_dialogs.fileAnswers = {std::nullopt, text};
  click(*window, ControlId::LoadBackup);  // Yes, then cancel
  click(*window, ControlId::LoadBackup);  // Yes, then the wrong name
  EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Invalid file!"});
  EXPECT_EQ(engine(), m_engine);
  EXPECT_EQ(userOptions(), m_userOptions);

  m_dialogs.fileAnswers = {backup};
  click(*window, ControlId::LoadBackup);
  EXPECT_EQ(engine(), "engine from backup");
  EXPECT_EQ(userOptions(), "user from backup");
  EXPECT_EQ(m_dialogs.questions, std::vector<std::string>(4, "Current data will be overwritten!\n\nContinue?"));
  ASSERT_EQ(m_dialogs.openDialogs.size(), 3u);
  EXPECT_EQ(m_dialogs.openDialogs[0].filterDescription, "Valdor III Ini BackUp (*.vib)");
  EXPECT_EQ(m_dialogs.openDialogs[0].filterPattern, "*.vib");
  EXPECT_EQ(m_dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace valdor::main_window
