#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/config_paths.h"
#include "app/dialogs.h"
#include "app/settings_store.h"
#include "wine/wine_discovery.h"
#include "config/file_io.h"
#include "i18n/translator.h"

// What the tool finds out before its main window can show anything: the
// translation table, the game folder, the paths of the files and the language.
namespace valdor::app {

struct StartupOptions {
  std::optional<std::filesystem::path> gameDir;       // used for this run, never stored
  std::optional<std::filesystem::path> documentsDir;  // instead of the user's documents folder
  std::optional<std::filesystem::path> stateDir;      // the tool's own files for this run
  // Where to look for the game under Wine and Proton when no folder is known;
  // with it a game folder inside a Wine prefix also takes that prefix's
  // documents folder. Without it neither happens (Windows, most tests).
  std::optional<wine::DiscoveryEnvironment> wine = std::nullopt;
};

// Kept beside "INSTALL_DIR" for a game in a Wine prefix: the prefix's
// documents folder, whose UserOptions.ini the game reads. Empty otherwise.
inline constexpr std::string_view kDocumentsDirValue = "V3TU_DOCUMENTS_DIR";

// The entries of the language box, in list order; also the stored words.
const std::array<std::string, 2>& languageEntries();

// The language entry the platform's list search selects for a stored value
// (searching from the second entry, wrapping to the first); nullopt for none.
std::optional<std::size_t> languageIndexFor(std::string_view stored);

// The language the windows would use for a stored value: the selected entry,
// "" when none matches, German when nothing is stored.
std::string effectiveLanguage(std::string_view stored);

// The game folder known without asking: --game-dir, else the stored one.
std::optional<std::filesystem::path> knownGameFolder(const SettingsStore& store, const StartupOptions& options);

// The documents folder of the Wine prefix a game folder belongs to: the one
// stored beside it when it is the stored game folder, else (with options.wine)
// that of its prefix (prefixOfGame); nullopt for a game outside of Wine.
std::optional<std::filesystem::path> gameDocumentsFolder(const SettingsStore& store, const StartupOptions& options,
                                                         const std::filesystem::path& gameFolder);

// The documents folder in use: --documents-dir, else the game's prefix's, else the user's.
std::filesystem::path effectiveDocumentsFolder(const StartupOptions& options,
                                               const std::optional<std::filesystem::path>& gameDocuments);

// The paths as the editor would build them, without extracting the table or
// making the per-user folder (only the private folder is made, if missing).
ConfigPaths plannedPaths(const StartupOptions& options, const std::filesystem::path& gameFolder,
                         const std::optional<std::filesystem::path>& gameDocuments = std::nullopt);

// Where the file dialog for finding the game starts: the steamapps/common
// folder of the first Steam library that has one, else the home folder; with
// no Wine search (Windows) empty, the platform's choice.
std::filesystem::path gameSearchFolder(const StartupOptions& options);

// Whether a file can be opened for reading.
bool isReadableFile(const std::filesystem::path& file);

class Startup {
 public:
  Startup(SettingsStore& store, Dialogs& dialogs, i18n::Translator& translator, StartupOptions options);

  // Extracts the translation table, finds the game folder (searching the
  // Wine prefixes, then asking the user when none is known), builds the paths
  // and reads the language. False when the tool has to end: the user
  // cancelled or chose a folder without the game's files; nothing is stored then.
  bool run();

  const ConfigPaths& paths() const { return m_paths; }
  const StartupOptions& options() const { return m_options; }
  const std::filesystem::path& gameFolder() const { return m_gameFolder; }

  // The checked folder for extracted files after run(); empty when there is none.
  const std::filesystem::path& privateFolder() const { return m_privateFolder; }

  // The language box's entry to select after run(); nullopt selects none.
  std::optional<std::size_t> languageIndex() const { return m_languageIndex; }

  // The language handler's work: the box's text (or "") becomes the language
  // of the texts and is stored. A failed write is shown once per run.
  void changeLanguage(std::string section);

  // Deletes the extracted translation table; every end of the tool does this.
  void removeTranslationFile();

 private:
  // A game folder and, for a game in a Wine prefix, that prefix's documents folder.
  struct Location {
    std::filesystem::path gameFolder;
    std::optional<std::filesystem::path> documents;
  };

  void extractTranslation();
  void buildUserPaths(const std::optional<std::filesystem::path>& gameDocuments);
  std::optional<Location> locateGame();
  std::optional<Location> discoverGame();
  std::optional<Location> locateManually();
  void remember(const Location& location);
  void readLanguage();
  void store(std::string_view name, std::string_view value);

  SettingsStore& m_store;
  Dialogs& m_dialogs;
  i18n::Translator& m_translator;
  StartupOptions m_options;
  ConfigPaths m_paths;
  std::filesystem::path m_gameFolder;
  std::filesystem::path m_privateFolder;
  std::optional<std::size_t> m_languageIndex;
  // Failures already shown, so an unwritable settings file is reported once
  // and not again for every value written to it.
  std::vector<std::pair<config::Failure, std::string>> m_reported;
};

}  // namespace valdor::app
