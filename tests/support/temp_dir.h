#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace valdor::test {

// A fresh folder below the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

  // Writes bytes exactly as given, creating folders on the way.
  std::filesystem::path write(std::string_view name, std::string_view bytes) const;
  std::string read(std::string_view name) const;

  // A copy of a part of the sample installation in demo/ ("game" or
  // "documents") under the same name here.
  void copySample(std::string_view part) const;

 private:
  std::filesystem::path m_path;
};

std::string readBytes(const std::filesystem::path& file);
// Writes bytes exactly as given, creating the file's folders on the way.
void writeBytes(const std::filesystem::path& file, std::string_view bytes);

}  // namespace valdor::test
