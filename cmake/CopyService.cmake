# Copies the 64-bit simnotebook.exe into the 32-bit build (standins/CMakeLists.txt).
#   cmake -DFROM=<x86_64 bin>/simnotebook.exe -DTO=<bin>/simnotebook.exe -P CopyService.cmake
if(NOT EXISTS "${FROM}")
    message(FATAL_ERROR "${FROM} is missing: build the x86_64 flavour first (cmake --build --preset x86_64)")
endif()
file(COPY_FILE "${FROM}" "${TO}" ONLY_IF_DIFFERENT)
