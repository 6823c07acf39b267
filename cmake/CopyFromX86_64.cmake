# Copies a program or library of the x86_64 build into the i686 build (standins/CMakeLists.txt).
#   cmake -DFROM=<x86_64 bin>/<file> -DTO=<bin>/<file> -P CopyFromX86_64.cmake
if(NOT EXISTS "${FROM}")
    message(FATAL_ERROR "${FROM} is missing: build the x86_64 flavour first (cmake --build --preset x86_64)")
endif()
file(COPY_FILE "${FROM}" "${TO}" ONLY_IF_DIFFERENT)
