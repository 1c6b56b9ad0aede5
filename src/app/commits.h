#pragma once

#include <filesystem>
#include <optional>

// Where this tool keeps its commit records, and the tidying every start does.
namespace valdor::app {

// The folder of commit records: inside stateDir when given, else a lasting
// per-user folder. Not the private folder of extracted files, which may be in
// memory ($XDG_RUNTIME_DIR) and gone after the very power cut a record is for.
std::filesystem::path journalFolder(const std::optional<std::filesystem::path>& stateDir);

// Tells the config layer where commit records go and finishes any save an
// earlier run was killed in. Every start of the tool calls this first.
void prepareSaving(const std::optional<std::filesystem::path>& stateDir);

}  // namespace valdor::app
