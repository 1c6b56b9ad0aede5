#pragma once

#include <string>
#include <string_view>

#include "config/file_io.h"
#include "i18n/translator.h"

// The player's view of results: a translated message naming the file or key
// and the reason, for the windows and the command line alike. Messages about
// files are in German when the translator has no language yet. Every message
// is UTF-8, so that a file name keeps characters Windows-1252 lacks; labels
// and field names passed in are Windows-1252, as the table holds them.
namespace valdor::i18n {

// What the player is told about a failed result; "" for success. `field` is
// the name of the value that is not a number (Windows-1252), for NotANumber.
std::string failureMessage(const Translator& translator, const config::Result& result, std::string_view field = {});

// The request for a number in the named field, by the key of
// the kind of number the field takes.
std::string notANumberMessage(const Translator& translator, std::string_view field,
                              std::string_view key = "MESSAGE_NOTANUMBER");

// A label as the name of its field in messages: without the closing ':' (one
// English label closes with ';') and the blanks before it.
std::string withoutColon(std::string label);

// The label of labelKey, looked up and named as withoutColon does.
std::string labelName(const Translator& translator, std::string_view labelKey);

// "Settings saved!" or what the player is told about the failure.
std::string saveMessage(const Translator& translator, const config::Result& result);

}  // namespace valdor::i18n
