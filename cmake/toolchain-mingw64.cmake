# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix, whose
# POSIX thread model gives std::thread and std::mutex). Programs are linked statically, so
# kr39eds-cli.exe needs no DLL beside it. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KR39_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KR39_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KR39_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KR39_MINGW_TRIPLET}-windres)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_FIND_ROOT_PATH /usr/${KR39_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine, in a Wine prefix of the build's own, without debug output
# and without the offer to download Mono or Gecko.
find_program(KR39_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(KR39_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all
      WINEDLLOVERRIDES=mscoree,mshtml= ${KR39_WINE})
endif()
