#include "app/startup.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "app/file_messages.h"
#include "app/list_search.h"
#include "i18n/resources.h"

namespace valdor::app {

const std::array<std::string, 2>& languageEntries() {
  static const std::array<std::string, 2> kEntries{std::string(i18n::kGerman), std::string(i18n::kEnglish)};
  return kEntries;
}

std::optional<std::size_t> languageIndexFor(std::string_view stored) {
  return findStringPrefix(languageEntries(), stored, 0);
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
  if (auto stored = store.read(kInstallDirValue); !stored.empty()) return std::filesystem::path(stored);
  return std::nullopt;
}

ConfigPaths plannedPaths(const StartupOptions& options, const std::filesystem::path& gameFolder) {
  ConfigPaths paths;
  paths.translationFile = i18n::privateFolder(options.stateDir) / i18n::kTranslationFileName;
  setDocumentsFolder(paths, documentsFolder(options.documentsDir));
  setGameFolder(paths, gameFolder);
  return paths;
}

bool isReadableFile(const std::filesystem::path& file) {
  std::error_code ec;
  // Opening a folder for reading succeeds on Linux; it is still no file.
  if (std::filesystem::is_directory(file, ec)) return false;
  std::ifstream in(file, std::ios::binary);
  return in.is_open();
}

Startup::Startup(SettingsStore& store, Dialogs& dialogs, i18n::Translator& translator, StartupOptions options)
    : m_store(store), m_dialogs(dialogs), m_translator(translator), m_options(std::move(options)) {}

bool Startup::run() {
  extractTranslation();
  buildUserPaths();
  auto folder = locateGame();
  if (!folder) return false;
  m_gameFolder = *folder;
  setGameFolder(m_paths, m_gameFolder);
  readLanguage();
  return true;
}

void Startup::extractTranslation() {
  // A failed extraction is not reported: the translator then answers from
  // the table carried in the program.
  auto extraction = i18n::ExtractResourceToTemp(i18n::kTranslationResourceId, i18n::kTranslationResourceType,
                                                i18n::kTranslationFileName, i18n::privateFolder(m_options.stateDir));
  m_paths.translationFile = extraction.path;
  m_translator.setTranslationFile(extraction.path);
}

void Startup::buildUserPaths() {
  const auto documents = documentsFolder(m_options.documentsDir);
  // A Linux user may have no documents folder yet, so it is made as well.
  // Failing here only means the settings cannot be saved, and saving says so.
  std::error_code ignored;
  std::filesystem::create_directories(userFolder(documents), ignored);
  setDocumentsFolder(m_paths, documents);
}

std::optional<std::filesystem::path> Startup::locateGame() {
  if (auto known = knownGameFolder(m_store, m_options)) return known;

  // The language is not known yet: these messages hold both languages.
  m_dialogs.showMessage(m_translator.generalMessage("MESSAGE_NOINSTALLATIONFOUND"));
  FileDialogOptions dialog;
  dialog.title = "\"Valdor3.exe\"";
  dialog.filterDescription = "*.exe";
  dialog.filterPattern = "*.exe";
  dialog.fileName = "valdor3.exe";
  auto chosen = m_dialogs.openFile(dialog);
  if (!chosen) return std::nullopt;

  // Any file of the right folder will do; only the engine file is tested.
  auto folder = folderOfFile(*chosen);
  ConfigPaths candidate;
  setGameFolder(candidate, folder);
  if (!isReadableFile(candidate.engineIni)) {
    m_dialogs.showMessage(m_translator.generalMessage("MESSAGE_INVALIDPATH"));
    return std::nullopt;
  }
  store(kInstallDirValue, folder.string());
  return folder;
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
  std::pair reported{result.error, result.path};
  if (std::find(m_reported.begin(), m_reported.end(), reported) != m_reported.end()) return;
  m_reported.push_back(std::move(reported));
  m_dialogs.showMessage(writeFailureMessage(m_translator, result));
}

void Startup::removeTranslationFile() {
  if (m_paths.translationFile.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(m_paths.translationFile, ignored);
}

}  // namespace valdor::app
