#pragma once

#include <string>

// What a shell's completion offers for the command line, taken from the same
// tables the commands read, so a new setting or entry is offered without
// anyone editing the completion script.
namespace valdor::cli {

// One line per context, fields separated by tabs (an entry text may hold a
// space), text in UTF-8:
//   options OPTION...                   the options that take no value
//   folder-options OPTION...            the options that take a folder
//   choice-option OPTION CHOICE...      the option that takes one of the words
//   commands WORD...                    the words a command starts with
//   words  CONTEXT WORD...              the words that may follow the command
//                                       words CONTEXT ("main", "cache scale")
//   keys   COMMAND KEY...               the KEY of each KEY=VALUE COMMAND takes
//   values LANGUAGE COMMAND KEY VALUE... the entry texts a key takes in LANGUAGE
std::string completionData();

}  // namespace valdor::cli
