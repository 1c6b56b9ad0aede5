#include "app/startup.h"

#include <algorithm>
#include <system_error>

#include "i18n/cp1252.h"
#include "i18n/entry_texts.h"
#include "i18n/file_messages.h"
#include "config/list_search.h"
#include "app/resources.h"

namespace valdor::app {

const std::array<std::string, 2>& languageEntries() {
  static const std::array<std::string, 2> kEntries{std::string(i18n::kLanguages[0]), std::string(i18n::kLanguages[1])};
  return kEntries;
}

std::optional<std::size_t> languageIndexFor(std::string_view stored) {
  return config::findStringPrefix(languageEntries(), stored, 0);
}

std::string effectiveLanguage(std::string_view stored) {
  if (stored.empty()) return std::string(i18n::kGerman);
  if (auto index = languageIndexFor(stored)) return languageEntries()[*index];
  return {};
}

std::optional<std::filesystem::path> knownGameFolder(const SettingsStore& store, const StartupOptions& options) {
  if (options.gameDir) return options.gameDir;
  // The stored folder is taken exactly as stored and not tested: a wrong one
  // shows as default values, as it always has.
  if (auto stored = store.read(kInstallDirValue); !stored.empty()) return config::pathFromText(stored);
  return std::nullopt;
}

std::optional<std::filesystem::path> gameDocumentsFolder(const SettingsStore& store, const StartupOptions& options,
                                                         const std::filesystem::path& gameFolder) {
  // What was stored with the folder wins: it names the prefix whose registry
  // led to the folder, which need not be the one the folder lies in.
  if (config::pathText(gameFolder) == store.read(kInstallDirValue)) {
    if (auto stored = store.read(kDocumentsDirValue); !stored.empty()) return config::pathFromText(stored);
  }
  if (!options.wine) return std::nullopt;
  auto prefix = wine::prefixOfGame(gameFolder, *options.wine);
  if (!prefix) return std::nullopt;
  return wine::prefixDocuments(*prefix, wine::isProtonPrefix(*prefix), options.wine->user);
}

std::filesystem::path effectiveDocumentsFolder(const StartupOptions& options,
                                               const std::optional<std::filesystem::path>& gameDocuments) {
  if (options.documentsDir || !gameDocuments) return documentsFolder(options.documentsDir);
  return *gameDocuments;
}

ConfigPaths plannedPaths(const StartupOptions& options, const std::filesystem::path& gameFolder,
                         const std::optional<std::filesystem::path>& gameDocuments) {
  ConfigPaths paths;
  if (const auto folder = privateFolder(options.stateDir); !folder.empty()) {
    paths.translationFile = folder / i18n::kTranslationFileName;
  }
  setDocumentsFolder(paths, effectiveDocumentsFolder(options, gameDocuments));
  setGameFolder(paths, gameFolder);
  return paths;
}

std::filesystem::path gameSearchFolder(const StartupOptions& options) {
  if (!options.wine) return {};
  // Steam installs every game there, and the player has to reach the one
  // below ~/.local or ~/.steam, which the dialog's folder list hides.
  for (const auto& library : wine::steamLibrariesOf(*options.wine)) {
    std::error_code ec;
    if (const auto common = library / "steamapps" / "common"; std::filesystem::is_directory(common, ec)) return common;
  }
  return options.wine->home;
}

bool isReadableFile(const std::filesystem::path& file) {
  // Read as the windows will read it: a folder, a pipe (which would block
  // opening) or a file too large is no file the tool can use.
  return config::readFile(file).ok();
}

Startup::Startup(SettingsStore& store, Dialogs& dialogs, i18n::Translator& translator, StartupOptions options)
    : m_store(store), m_dialogs(dialogs), m_translator(translator), m_options(std::move(options)) {}

bool Startup::run() {
  extractTranslation();
  auto location = locateGame();
  if (!location) return false;
  m_gameFolder = location->gameFolder;
  buildUserPaths(location->documents);
  setGameFolder(m_paths, m_gameFolder);
  readLanguage();
  return true;
}

void Startup::extractTranslation() {
  // A place refused for the tool's files is reported, since the player may
  // want to look at what is there; a failed extraction is not: the
  // translator then answers from the table carried in the program.
  PrivatePlace place = choosePrivateFolder(m_options.stateDir);
  for (const config::Result& refused : place.refused) m_dialogs.showMessage(failureMessage(m_translator, refused));
  m_privateFolder = place.folder;
  if (m_privateFolder.empty()) return;
  const auto extracted =
      ExtractResourceToTemp(kTranslationResourceId, kTranslationResourceType, i18n::kTranslationFileName, m_privateFolder);
  if (!extracted) return;
  m_paths.translationFile = m_privateFolder / i18n::kTranslationFileName;
  m_translator.setTranslationFile(m_paths.translationFile);
}

void Startup::buildUserPaths(const std::optional<std::filesystem::path>& gameDocuments) {
  const auto documents = effectiveDocumentsFolder(m_options, gameDocuments);
  // A Linux user may have no documents folder yet, so it is made as well.
  // Failing here only means the settings cannot be saved, and saving says so.
  std::error_code ignored;
  std::filesystem::create_directories(userFolder(documents), ignored);
  setDocumentsFolder(m_paths, documents);
}

std::optional<Startup::Location> Startup::locateGame() {
  if (auto known = knownGameFolder(m_store, m_options)) {
    return Location{*known, gameDocumentsFolder(m_store, m_options, *known)};
  }
  auto location = discoverGame();
  if (!location) location = locateManually();
  if (location) remember(*location);
  return location;
}

std::optional<Startup::Location> Startup::discoverGame() {
  if (!m_options.wine) return std::nullopt;
  const auto found = wine::findWineInstallations(*m_options.wine);
  if (found.empty()) return std::nullopt;
  std::size_t index = 0;
  if (found.size() > 1) {
    std::vector<InstallationChoice> choices;
    for (const auto& installation : found)
      choices.push_back({installation.gameFolder, std::string(wine::sourceName(installation.source)), installation.prefix});
    // The language is not known yet: the prompt holds both languages.
    auto chosen = m_dialogs.chooseInstallation(i18n::cp1252ToUtf8(m_translator.generalMessage("MESSAGE_CHOOSEINSTALLATION")), choices);
    if (!chosen || *chosen >= found.size()) return std::nullopt;
    index = *chosen;
  }
  return Location{found[index].gameFolder, found[index].documents};
}

std::optional<Startup::Location> Startup::locateManually() {
  // The language is not known yet: these messages hold both languages.
  m_dialogs.showMessage(i18n::cp1252ToUtf8(m_translator.generalMessage("MESSAGE_NOINSTALLATIONFOUND")));
  FileDialogOptions dialog;
  dialog.title = "\"Valdor3.exe\"";
  dialog.filterDescription = "*.exe";
  dialog.filterPattern = "*.exe";
  dialog.fileName = "valdor3.exe";
  dialog.folder = gameSearchFolder(m_options);
  // Wine prefixes (~/.wine) and Steam (~/.local/share/Steam) lie in hidden folders.
  dialog.showHidden = m_options.wine.has_value();
  auto chosen = m_dialogs.openFile(dialog);
  if (!chosen) return std::nullopt;

  // Any file of the right folder will do; only the engine file is tested.
  auto folder = folderOfFile(*chosen);
  ConfigPaths candidate;
  setGameFolder(candidate, folder);
  if (!isReadableFile(candidate.engineIni)) {
    m_dialogs.showMessage(i18n::cp1252ToUtf8(m_translator.generalMessage("MESSAGE_INVALIDPATH")));
    return std::nullopt;
  }
  Location location{folder, std::nullopt};
  if (m_options.wine) {
    if (auto prefix = wine::prefixOfGame(folder, *m_options.wine))
      location.documents = wine::prefixDocuments(*prefix, wine::isProtonPrefix(*prefix), m_options.wine->user);
  }
  return location;
}

void Startup::remember(const Location& location) {
  store(kInstallDirValue, config::pathText(location.gameFolder));
  // A documents folder left from an earlier prefix would otherwise go with
  // the new folder; none is written where none was, as on Windows.
  if (location.documents) {
    store(kDocumentsDirValue, config::pathText(*location.documents));
  } else if (!m_store.read(kDocumentsDirValue).empty()) {
    store(kDocumentsDirValue, "");
  }
}

void Startup::readLanguage() {
  auto stored = m_store.read(kLanguageValue);
  if (stored.empty()) {
    stored = i18n::kGerman;
    store(kLanguageValue, stored);
  }
  m_languageIndex = languageIndexFor(stored);
}

void Startup::changeLanguage(std::string section) {
  m_translator.setLanguage(section);
  store(kLanguageValue, section);
}

void Startup::store(std::string_view name, std::string_view value) {
  auto result = m_store.write(name, value);
  if (result.ok()) return;
  // The tool goes on with the value in memory; the next start asks again.
  std::pair reported{result.failure, result.where};
  if (std::find(m_reported.begin(), m_reported.end(), reported) != m_reported.end()) return;
  m_reported.push_back(std::move(reported));
  m_dialogs.showMessage(failureMessage(m_translator, result));
}

void Startup::removeTranslationFile() {
  // Only the regular file extracted into the checked folder goes; whatever
  // else may have been put under that name meanwhile stays.
  removeExtracted(m_paths.translationFile);
}

}  // namespace valdor::app
