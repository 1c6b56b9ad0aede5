#include "platform/shared_library.h"

#ifdef _WIN32
#include <windows.h>

#include "config/environment.h"
#else
#include <dlfcn.h>
#endif

namespace valdor::platform {

#ifdef _WIN32

std::variant<SharedLibrary, std::string> SharedLibrary::open(const std::string& fileName) {
  // Only the program's folder and the system folders: never the working
  // folder, where anyone could have put a library of that name.
  HMODULE module = ::LoadLibraryExW(config::widen(fileName).c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return fileName + ": error " + std::to_string(::GetLastError());
  return SharedLibrary(module);
}

void* SharedLibrary::symbol(const char* name) const {
  if (!m_handle) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

#else

std::variant<SharedLibrary, std::string> SharedLibrary::open(const std::string& fileName) {
  void* handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = ::dlerror();
    return reason ? std::string(reason) : fileName + ": cannot be loaded";
  }
  return SharedLibrary(handle);
}

void* SharedLibrary::symbol(const char* name) const { return m_handle ? ::dlsym(m_handle, name) : nullptr; }

#endif

}  // namespace valdor::platform
