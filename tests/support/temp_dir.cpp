#include "support/temp_dir.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace valdor::test {

TempDir::TempDir() {
  // create_directory reports whether it made the folder, so a name another
  // test or process took at the same moment is never shared.
  const auto base = std::filesystem::temp_directory_path();
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "valdor-test-%016llx", static_cast<unsigned long long>(random()));
    if (std::filesystem::create_directory(base / name)) {
      m_path = base / name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests make files read-only; give the owner write access back so they go.
  for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
  }
  std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::write(std::string_view name, std::string_view bytes) const {
  auto file = m_path / name;
  writeBytes(file, bytes);
  return file;
}

void TempDir::copySample(std::string_view part) const {
  std::filesystem::copy(std::filesystem::path(VALDOR_SOURCE_DIR) / "demo" / part, m_path / part,
                        std::filesystem::copy_options::recursive);
}

std::string TempDir::read(std::string_view name) const { return readBytes(m_path / name); }

std::string readBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace valdor::test
