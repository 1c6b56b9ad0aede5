#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "credits_window/credits_controls.h"
#include "platform/music_player.h"
#include "app/dialogs.h"
#include "i18n/translator.h"
#include "ui/template_dialog.h"

class QLabel;

namespace valdor::credits_window {

// Hands a web address to whatever opens web addresses; false when nothing
// could open it.
using OpenAddress = std::function<bool(std::string_view address)>;

// The desktop's handler for web addresses (the user's browser).
bool openInBrowser(std::string_view address);

// The credits: picture, version, thanks, the community's link and the contact
// line, with the short tune playing while the window is shown. A left click
// anywhere but on the link closes it, and so does Escape.
class CCreditsDlg : public ui::TemplateDialog<ControlId> {
  Q_OBJECT

 public:
  // Texts and language come from translator and messages go to dialogs, both
  // of which must outlive the window; the tune is written into privateFolder
  // and played by a player of makeMusic.
  CCreditsDlg(const i18n::Translator& translator, app::Dialogs& dialogs, std::filesystem::path privateFolder,
              platform::MusicPlayerFactory makeMusic, OpenAddress openAddress = openInBrowser,
              QWidget* parent = nullptr);
  ~CCreditsDlg() override;

  // Opens the community's site for the selected language; when nothing can
  // open it, a message gives the address to copy. The window stays open.
  void OnLink();

  // Ends the window either way, stopping the tune, also in the middle.
  void done(int result) override;

 protected:
  // Each showing plays the tune from its beginning.
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // The picture, the labels that let clicks through, the texts.
  void OnInitDialog();
  void showPicture(QLabel* picture);
  void ApplyTexts();

  const i18n::Translator& m_translator;
  app::Dialogs& m_dialogs;
  std::filesystem::path m_privateFolder;
  platform::MusicPlayerFactory m_makeMusic;
  OpenAddress m_openAddress;
  std::unique_ptr<platform::MusicPlayer> m_music;  // while the window is shown; none without a player
};

}  // namespace valdor::credits_window
