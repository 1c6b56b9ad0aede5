#include "i18n/file_messages.h"

#include <array>
#include <utility>

#include "i18n/cp1252.h"

namespace valdor::i18n {

namespace {

using config::Failure;

// Failures without a message of their own get the general one, with the
// system's words as the reason.
constexpr std::array<std::pair<Failure, std::string_view>, 14> kWriteMessages{{
    {Failure::ReadOnly, "MESSAGE_FILEREADONLY"},
    {Failure::EditedFile, "MESSAGE_BACKUPISEDITEDFILE"},
    {Failure::AlreadyExists, "MESSAGE_BACKUPEXISTS"},
    {Failure::NotARegularFile, "MESSAGE_SAVENOTAFILE"},
    {Failure::TooLarge, "MESSAGE_SAVETOOLARGE"},
    {Failure::Unreadable, "MESSAGE_SAVEUNREADABLE"},
    {Failure::FolderMissing, "MESSAGE_FOLDERMISSING"},
    {Failure::AccessDenied, "MESSAGE_ACCESSDENIED"},
    {Failure::DiskFull, "MESSAGE_DISKFULL"},
    {Failure::InvalidName, "MESSAGE_INVALIDENTRY"},
    {Failure::UnsupportedEncoding, "MESSAGE_UNSUPPORTEDENCODING"},
    {Failure::Busy, "MESSAGE_FILEBUSY"},
    {Failure::InUse, "MESSAGE_FILEINUSE"},
    {Failure::OutsideCodePage, "MESSAGE_OUTSIDECODEPAGE"},
}};
constexpr std::string_view kWriteFailed = "MESSAGE_WRITEFAILED";

constexpr std::array<std::pair<Failure, std::string_view>, 5> kReadMessages{{
    {Failure::NotFound, "MESSAGE_FILENOTFOUND"},
    {Failure::UnsupportedEncoding, "MESSAGE_UNSUPPORTEDENCODING"},
    {Failure::NotARegularFile, "MESSAGE_READNOTAFILE"},
    {Failure::TooLarge, "MESSAGE_READTOOLARGE"},
    {Failure::Unreadable, "MESSAGE_READUNREADABLE"},
}};
constexpr std::string_view kReadFailed = "MESSAGE_READFAILED";

template <typename Keys>
std::string fileMessage(const Translator& translator, const config::Result& result, const Keys& keys,
                        std::string_view fallback) {
  std::string_view key = fallback;
  for (const auto& [failure, messageKey] : keys) {
    if (failure == result.failure) key = messageKey;
  }
  Translator speaking = translator;
  if (speaking.language().empty()) speaking.setLanguage(std::string(kGerman));
  // format() takes its values in UTF-8, as the system gives names and reasons.
  return speaking.format(key, {{"file", result.where}, {"detail", result.detail}});
}

}  // namespace

std::string failureMessage(const Translator& translator, const config::Result& result, std::string_view field) {
  switch (result.failure) {
    case Failure::None:
      return {};
    case Failure::NotANumber:
      return notANumberMessage(translator, field);
    case Failure::InvalidFile:
      return cp1252ToUtf8(translator.message("MESSAGE_INVALIDFILE"));
    case Failure::NotPrivate:
      return fileMessage(translator, result, std::array<std::pair<Failure, std::string_view>, 0>{},
                         "MESSAGE_FOLDERNOTPRIVATE");
    default:
      break;
  }
  if (result.operation == config::Operation::Read) return fileMessage(translator, result, kReadMessages, kReadFailed);
  return fileMessage(translator, result, kWriteMessages, kWriteFailed);
}

std::string withoutColon(std::string label) {
  while (!label.empty() && (label.back() == ':' || label.back() == ';' || label.back() == ' ')) label.pop_back();
  return label;
}

std::string labelName(const Translator& translator, std::string_view labelKey) {
  return withoutColon(translator.LookupText(labelKey));
}

std::string notANumberMessage(const Translator& translator, std::string_view field, std::string_view key) {
  return translator.format(key, {{"field", cp1252ToUtf8(field)}});
}

std::string saveMessage(const Translator& translator, const config::Result& result) {
  return result.ok() ? cp1252ToUtf8(translator.message("MESSAGE_SETTINGSSAVED")) : failureMessage(translator, result);
}

}  // namespace valdor::i18n
