# Cross-build for 64-bit Windows with MinGW-w64 (Debian's gcc-mingw-w64).
# The posix thread model: the win32 one has no std::thread or std::mutex in
# GCC 12. Programs built with it run here under Wine (scripts/test-windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VALDOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VALDOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VALDOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VALDOR_MINGW_TRIPLE}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VALDOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The MinGW runtime linked in, so the .exe files run without its DLLs next
# to them (under Wine and when copied to a Windows machine).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test discovery and ctest run the .exe files through Wine.
find_program(VALDOR_WINE NAMES wine64 wine)
if(VALDOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VALDOR_WINE})
endif()
