# The names by which Tarvel binds to the maker's bridge: read from the built files and
# compiled from the header on the host, not under Wine.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(bridge_check ${TARVEL_TESTS_DIR}/unit/bridge/bridge_names.py)

# Each flavour's Tarvel.exe and stand-in bridge. The i686 flavour is built in its own folder
# (scripts/test.sh builds it first); when it is not there, its check is skipped.
set(TARVEL_I686_BUILD_DIR ${CMAKE_BINARY_DIR}/../i686 CACHE PATH "The i686 build whose files the bridge check reads")
add_test(NAME bridge_imports_x86_64
    COMMAND ${Python3_EXECUTABLE} ${bridge_check} imports x86_64 ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-x86_64.def
            ${CMAKE_OBJDUMP} $<TARGET_FILE:Tarvel> $<TARGET_FILE:ORVWmiAcpi>)
add_test(NAME bridge_imports_i686
    COMMAND ${Python3_EXECUTABLE} ${bridge_check} imports i686 ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-i686.def
            ${CMAKE_OBJDUMP} ${TARVEL_I686_BUILD_DIR}/bin/Tarvel.exe ${TARVEL_I686_BUILD_DIR}/bin/ORVWmiAcpi.dll
            --skip-missing)
set_tests_properties(bridge_imports_i686 PROPERTIES SKIP_RETURN_CODE 77)

# Microsoft's names of the header's declarations, as clang compiles them for both targets,
# are the names the .def files give.
find_program(TARVEL_CLANG clang)
if(NOT TARVEL_CLANG)
    set(TARVEL_CLANG clang)  # the check then fails and says so
endif()
add_test(NAME bridge_msvc_names
    COMMAND ${Python3_EXECUTABLE} ${bridge_check} msvc ${TARVEL_CLANG} ${PROJECT_SOURCE_DIR}/firmware
            ${TARVEL_TESTS_DIR}/unit/bridge ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-i686.def
            ${PROJECT_SOURCE_DIR}/firmware/ORVWmiAcpi-x86_64.def)
set_tests_properties(bridge_imports_x86_64 bridge_imports_i686 bridge_msvc_names PROPERTIES LABELS unit TIMEOUT 120)
