#include "app/qt_text.h"

#include <QDir>
#include <QFile>

#include "i18n/cp1252.h"

namespace valdor::app {

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

}  // namespace valdor::app
