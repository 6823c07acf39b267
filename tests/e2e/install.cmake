# The release installer under Wine, in both install modes: silent installs, Tarvel started
# from the Start-menu shortcut and by the installer (/Start), updates over a running Tarvel,
# silent uninstalls that end it through its Exit command and leave nothing behind.
if(TARGET tarvel_installer)
    tarvel_add_e2e_test(install_e2e_tests SOURCES InstallTest.cpp LIBS version ole32 uuid shell32
                        DEPENDS tarvel_installer gpu_standins)
    # The test finds the installer from its own folder, as the build lays them out.
    file(RELATIVE_PATH setup_from_bin ${CMAKE_BINARY_DIR}/bin ${TARVEL_SETUP_FILE})
    target_compile_definitions(install_e2e_tests PRIVATE
        "TARVEL_SETUP_FROM_BIN=\"${setup_from_bin}\"" "TARVEL_VERSION=\"${PROJECT_VERSION}\"")
else()
    # The release is part of what the test command proves: no silent skip.
    message(FATAL_ERROR "the installer cannot be built (makensis missing): run scripts/setup.sh")
endif()
