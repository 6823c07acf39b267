# Cross-compiles the 64-bit flavour with Debian's mingw-w64 (posix thread model, which
# GoogleTest needs). Programs of this flavour run under 64-bit Wine, which CTest uses as
# the emulator so that plain `ctest` runs the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TARVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(TARVEL_WINE_ARCH x86_64)
set(CMAKE_C_COMPILER   ${TARVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TARVEL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
