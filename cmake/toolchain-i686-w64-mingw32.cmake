# Cross-compiles the 32-bit flavour, the target the product is designed for. Its programs
# run here as on 64-bit Windows, under WoW64: 32-bit Wine (native where the kernel runs
# 32-bit programs, else under qemu-user) beside the system's 64-bit Wine, in one 64-bit
# prefix. CTest uses scripts/wine-exec.sh as the emulator, which picks that Wine for a
# 32-bit program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(TARVEL_MINGW_TRIPLE i686-w64-mingw32)
set(TARVEL_WINE_ARCH i686)
# The win32 thread model: its C++ runtime needs no thread library, where the posix model's
# links winpthreads into every program (about 30 KB of Tarvel.exe). Its standard library
# has no std::thread or std::mutex; the programs of this flavour use Win32 locks and threads.
set(CMAKE_C_COMPILER   ${TARVEL_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TARVEL_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${TARVEL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
