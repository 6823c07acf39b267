# The names by which Tarvel binds to the maker's bridge: read from the built files and
# compiled from the header on the host, not under Wine.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(bridge_check ${TARVEL_TESTS_DIR}/unit/bridge/bridge_names.py)

# This build's Tarvel.exe and stand-in bridge, against its flavour's .def (each flavour's
# build runs its own check).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(bridge_flavour i686)
else()
    set(bridge_flavour x86_64)
endif()
add_test(NAME bridge_imports_${bridge_flavour}
    COMMAND ${Python3_EXECUTABLE} ${bridge_check} imports ${bridge_flavour}
            ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-${bridge_flavour}.def
            $<TARGET_FILE:Tarvel> $<TARGET_FILE:ORVWmiAcpi>)

# Each .def line pairs GCC's and Microsoft's names of one and the same declaration of the
# header, for both flavours: GCC's as each flavour's mingw compiler gives them, Microsoft's as
# clang gives them for the flavour's MSVC target.
find_program(TARVEL_CLANG clang)
if(NOT TARVEL_CLANG)
    set(TARVEL_CLANG clang)  # the check then fails and says so
endif()
# The compiler a flavour's build uses, as its toolchain file names it; read in a function, so
# that nothing else of that file reaches this build.
function(bridge_flavour_compiler flavour out)
    include(${PROJECT_SOURCE_DIR}/cmake/toolchain-${flavour}-w64-mingw32.cmake)
    set(${out} ${CMAKE_CXX_COMPILER} PARENT_SCOPE)
endfunction()
bridge_flavour_compiler(i686 bridge_gxx_i686)
bridge_flavour_compiler(x86_64 bridge_gxx_x86_64)
add_test(NAME bridge_msvc_names
    COMMAND ${Python3_EXECUTABLE} ${bridge_check} pairs ${TARVEL_CLANG} ${bridge_gxx_i686} ${bridge_gxx_x86_64}
            ${PROJECT_SOURCE_DIR}/firmware ${TARVEL_TESTS_DIR}/unit/bridge
            ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-i686.def
            ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-x86_64.def)
set_tests_properties(bridge_imports_${bridge_flavour} bridge_msvc_names PROPERTIES LABELS unit TIMEOUT 120)
