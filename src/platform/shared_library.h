#pragma once

#include <string>
#include <variant>

// A shared library opened while the program runs, for a feature that only
// some sessions use: linking it would make every start load it.
namespace valdor::platform {

class SharedLibrary {
 public:
  // Opens the library by its file name, searched as the system loader
  // searches; on failure, the loader's reason.
  static std::variant<SharedLibrary, std::string> open(const std::string& fileName);

  // The address of an exported function or object; nullptr when missing.
  void* symbol(const char* name) const;

  // The library stays loaded until the process ends: the libraries opened
  // here start threads and register exit handlers that would outlive an
  // unload.
  SharedLibrary() = default;

 private:
  explicit SharedLibrary(void* handle) : m_handle(handle) {}
  void* m_handle = nullptr;
};

}  // namespace valdor::platform
