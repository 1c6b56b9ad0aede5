#include "i18n/file_messages.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace valdor::i18n {

namespace {

using config::FileError;
using MessageKeys = std::array<std::pair<FileError, std::string_view>, 5>;

// Errors without a message of their own get the general one, with the
// system's words as the reason.
constexpr MessageKeys kWriteMessages{{
    {FileError::ReadOnly, "MESSAGE_FILEREADONLY"},
    {FileError::FolderMissing, "MESSAGE_FOLDERMISSING"},
    {FileError::AccessDenied, "MESSAGE_ACCESSDENIED"},
    {FileError::DiskFull, "MESSAGE_DISKFULL"},
    {FileError::InvalidName, "MESSAGE_INVALIDENTRY"},
}};
constexpr std::string_view kWriteFailed = "MESSAGE_WRITEFAILED";

constexpr std::array<std::pair<FileError, std::string_view>, 1> kReadMessages{{
    {FileError::NotFound, "MESSAGE_FILENOTFOUND"},
}};
constexpr std::string_view kReadFailed = "MESSAGE_READFAILED";

template <typename Keys>
std::string failureMessage(const i18n::Translator& translator, const config::FileResult& result, const Keys& keys,
                           std::string_view fallback) {
  std::string_view key = fallback;
  for (const auto& [error, messageKey] : keys) {
    if (error == result.error) key = messageKey;
  }
  i18n::Translator speaking = translator;
  if (speaking.language().empty()) speaking.setLanguage(std::string(i18n::kGerman));
  const auto file = result.path.u8string();
  // format() takes its values in UTF-8, as the system gives names and reasons.
  return speaking.format(key, {{"file", std::string(file.begin(), file.end())}, {"detail", result.detail}});
}

}  // namespace

std::string writeFailureMessage(const i18n::Translator& translator, const config::FileResult& result) {
  return failureMessage(translator, result, kWriteMessages, kWriteFailed);
}

std::string readFailureMessage(const i18n::Translator& translator, const config::FileResult& result) {
  return failureMessage(translator, result, kReadMessages, kReadFailed);
}

}  // namespace valdor::i18n
