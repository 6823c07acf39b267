# The bridge library stand-in and the simulated notebook. Registered here rather than with
# tarvel_add_unit_test because these tests start simnotebook.exe and so share the notebook
# (its pipes and its single-instance mutex) with the end-to-end tests.
add_executable(bridge_simulation_tests BridgeSimulationTest.cpp SimNotebookServiceTest.cpp)
target_link_libraries(bridge_simulation_tests PRIVATE gtest_main orvwmiacpi_import simnotebook_client user32)
target_include_directories(bridge_simulation_tests PRIVATE ${TARVEL_TESTS_DIR}/unit)
target_compile_options(bridge_simulation_tests PRIVATE ${TARVEL_WARNINGS})
add_dependencies(bridge_simulation_tests ORVWmiAcpi simnotebook notebookctl)
gtest_discover_tests(bridge_simulation_tests
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK notebook LABELS unit TIMEOUT 300)
