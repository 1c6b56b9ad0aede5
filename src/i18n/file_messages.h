#pragma once

#include "config/file_io.h"
#include "i18n/translator.h"

// The player's view of a failed file operation: a translated message naming
// the file and the reason. In German when the translator has no language yet.
namespace valdor::i18n {

std::string writeFailureMessage(const i18n::Translator& translator, const config::FileResult& result);

std::string readFailureMessage(const i18n::Translator& translator, const config::FileResult& result);

}  // namespace valdor::i18n
