# The bridge ORVWmiAcpi.dll binds by the names of the maker's build, listed per flavour in
# ORVWmiAcpi-<flavour>.def. Made from that file here:
#   orvwmiacpi_import      the import library (and header) that the program and tests link;
#   TARVEL_BRIDGE_LINK_DEF the export list with which the stand-in library is linked, so that
#                          it exports exactly what the program imports;
#   orvwmiacpi_names       BridgeExportNames.h, the exported names as a C++ array, for the
#                          installer's check that a library is the maker's bridge.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(bridge_flavour x86_64)
else()
    set(bridge_flavour i686)
endif()
set(bridge_def ${CMAKE_CURRENT_SOURCE_DIR}/ORVWmiAcpi-${bridge_flavour}.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${bridge_def})

# Each export line is either `gccName == "ExportedName"` (a C++ member) or a bare name (a C
# function, the same for both compilers).
file(STRINGS ${bridge_def} bridge_def_lines)
set(bridge_exports "")
set(bridge_exports_gnu "")
set(bridge_export_names "")
set(bridge_in_exports FALSE)
foreach(line IN LISTS bridge_def_lines)
    if(line MATCHES "^[ \t]*(;.*)?$" OR line MATCHES "^LIBRARY[ \t]")
        continue()
    elseif(line MATCHES "^EXPORTS[ \t]*$")
        set(bridge_in_exports TRUE)
    elseif(bridge_in_exports AND line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]*==[ \t]*\"([^\" \t]+)\"[ \t]*$")
        string(APPEND bridge_exports "    ${CMAKE_MATCH_2}\n")
        string(APPEND bridge_export_names "    \"${CMAKE_MATCH_2}\",\n")
        # ld sorts a DLL's name table by the left-hand name, and the loader looks names up by
        # binary search in it: the exported name has to stand on the left for the library.
        string(APPEND bridge_exports_gnu "    \"${CMAKE_MATCH_2}\" = ${CMAKE_MATCH_1}\n")
    elseif(bridge_in_exports AND line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]*$")
        string(APPEND bridge_exports "    ${CMAKE_MATCH_1}\n")
        string(APPEND bridge_exports_gnu "    ${CMAKE_MATCH_1}\n")
        string(APPEND bridge_export_names "    \"${CMAKE_MATCH_1}\",\n")
    else()
        message(FATAL_ERROR "${bridge_def}: not an export line of the expected form: ${line}")
    endif()
endforeach()
if(bridge_exports STREQUAL "")
    message(FATAL_ERROR "${bridge_def}: no exports")
endif()

# Written only when the content changes, so that a new configure does not rebuild what
# depends on the file.
function(bridge_write_if_changed path content)
    file(WRITE ${path}.new "${content}")
    configure_file(${path}.new ${path} COPYONLY)
    file(REMOVE ${path}.new)
endfunction()
function(bridge_write_def path exports)
    bridge_write_if_changed(${path} "LIBRARY \"ORVWmiAcpi.dll\"\nEXPORTS\n${exports}")
endfunction()

set(bridge_names_dir ${CMAKE_CURRENT_BINARY_DIR}/names)
bridge_write_if_changed(${bridge_names_dir}/BridgeExportNames.h
"// Made by the build from firmware/ORVWmiAcpi-${bridge_flavour}.def: the names the maker's
// ORVWmiAcpi.dll exports in this flavour, all of which Tarvel imports.
#pragma once

constexpr const char* kBridgeExportNames[] = {
${bridge_export_names}};
")
add_library(orvwmiacpi_names INTERFACE)
target_include_directories(orvwmiacpi_names INTERFACE ${bridge_names_dir})

if(MSVC)
    # Microsoft's tools take the exported names as they are, for the import library
    # (lib /def) and for the stand-in's link alike. Untested: no Microsoft compiler is
    # reachable here, so neither lib /def nor a link from this list has ever run.
    set(bridge_link_def ${CMAKE_CURRENT_BINARY_DIR}/ORVWmiAcpi-msvc.def)
    bridge_write_def(${bridge_link_def} "${bridge_exports}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(bridge_machine X64)
    else()
        set(bridge_machine X86)
    endif()
    set(bridge_implib ${CMAKE_CURRENT_BINARY_DIR}/ORVWmiAcpi.lib)
    add_custom_command(OUTPUT ${bridge_implib}
        COMMAND ${CMAKE_AR} /nologo /def:${bridge_link_def} /machine:${bridge_machine}
                /name:ORVWmiAcpi.dll /out:${bridge_implib}
        DEPENDS ${bridge_link_def}
        COMMENT "Import library of ORVWmiAcpi.dll (${bridge_flavour})"
        VERBATIM)
else()
    # dlltool reads the pairs as they stand: GCC's name is the symbol the program's objects
    # refer to, the quoted name the one imported from the library.
    set(bridge_link_def ${CMAKE_CURRENT_BINARY_DIR}/ORVWmiAcpi-gnu.def)
    bridge_write_def(${bridge_link_def} "${bridge_exports_gnu}")
    if(NOT CMAKE_DLLTOOL)
        find_program(CMAKE_DLLTOOL ${TARVEL_MINGW_TRIPLE}-dlltool REQUIRED)
    endif()
    if(bridge_flavour STREQUAL "x86_64")
        set(bridge_machine i386:x86-64)
    else()
        set(bridge_machine i386)
    endif()
    set(bridge_implib ${CMAKE_CURRENT_BINARY_DIR}/libORVWmiAcpi.dll.a)
    add_custom_command(OUTPUT ${bridge_implib}
        COMMAND ${CMAKE_DLLTOOL} --machine ${bridge_machine} --input-def ${bridge_def}
                --dllname ORVWmiAcpi.dll --output-lib ${bridge_implib}
        DEPENDS ${bridge_def}
        COMMENT "Import library of ORVWmiAcpi.dll (${bridge_flavour})"
        VERBATIM)
endif()
set(TARVEL_BRIDGE_LINK_DEF ${bridge_link_def} PARENT_SCOPE)

add_custom_target(orvwmiacpi_implib DEPENDS ${bridge_implib})
add_library(orvwmiacpi_import INTERFACE)
target_include_directories(orvwmiacpi_import INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(orvwmiacpi_import INTERFACE ${bridge_implib})
add_dependencies(orvwmiacpi_import orvwmiacpi_implib)
