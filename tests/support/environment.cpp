#include "support/environment.h"

#include <cstdlib>
#include <stdexcept>

namespace valdor::test {

std::string native(const std::filesystem::path& path) {
  std::filesystem::path copy = path;
  return copy.make_preferred().string();
}

void setEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  const int failed = _putenv_s(name, value.c_str());
#else
  const int failed = ::setenv(name, value.c_str(), 1);
#endif
  if (failed) throw std::runtime_error(std::string("cannot set ") + name);
}

void unsetEnv(const char* name) {
#ifdef _WIN32
  // An empty value removes the variable on Windows.
  const int failed = _putenv_s(name, "");
#else
  const int failed = ::unsetenv(name);
#endif
  if (failed) throw std::runtime_error(std::string("cannot unset ") + name);
}

}  // namespace valdor::test
