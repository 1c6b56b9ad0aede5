#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include "i18n/cp1252.h"
#include "i18n/translator.h"

namespace valdor::ui {

QString toQString(std::string_view cp1252) { return QString::fromStdString(i18n::cp1252ToUtf8(cp1252)); }

std::string fromQString(const QString& text) { return i18n::utf8ToCp1252(text.toStdString()); }

QString pathToQString(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  // File names are bytes here; Qt decodes them the way it opens files.
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path pathFromQString(const QString& path) {
#ifdef _WIN32
  return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

void applyQtLanguage(std::string_view languageSection) {
  static QTranslator german;
  QCoreApplication::removeTranslator(&german);
  if (languageSection != i18n::kGerman) return;
  // Without Qt's translations installed the words simply stay English.
  if (german.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&german);
  }
}

}  // namespace valdor::ui
